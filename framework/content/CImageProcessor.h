#pragma once

#include "content/IContentProcessor.h"

namespace fw
{
// Images ("imag"), read and written by the image manager. Holds nothing and takes no device
// events: images do not depend on a driver.
class CImageProcessor : public IContentProcessor
{
public:
	u32 getContentType() const override;
	// Logs "Loaded image", or "Can't load image" as a warning, with the file's name.
	CContent* load(CContentManager* manager, io::IReadFile* file, const ContentReference& key) override;
	// The parameter, when given, points to the quality (u32); false for anything but an image.
	bool save(CContentManager* manager, CContent* content, io::IWriteFile* file, void* parameter) override;
	void onCacheEvent(CEvent* event, ContentCacheMap& cache) override;
};
} // namespace fw
