#pragma once

#include "content/IContentProcessor.h"
#include "core/CRefHolder.h"

#include <IVideoDriver.h>

namespace fw
{
class CFileSystem;

// Fonts ("font"): the XML font format through the file system; a "Font" element of the type
// "Bitmap" becomes a BitmapFont. Follows the video driver. Fonts are not written.
class CFontProcessor : public IContentProcessor
{
public:
	// Takes a reference to each (either may be null).
	CFontProcessor(CFileSystem* fileSystem, video::IVideoDriver* videoDriver);
	~CFontProcessor() override;

	u32 getContentType() const override;
	// Null when the file holds no bitmap font.
	CContent* load(CContentManager* manager, io::IReadFile* file, const ContentReference& key) override;
	bool save(CContentManager* manager, CContent* content, io::IWriteFile* file, void* parameter) override;
	void onCacheEvent(CEvent* event, ContentCacheMap& cache) override;

	bool onVideoDriverReleased(CEventDeviceVideoDriverReleased* event) override;
	bool onVideoDriverCreated(CEventDeviceVideoDriverCreated* event) override;

	video::IVideoDriver* getVideoDriver() const { return m_videoDriver.get(); }

private:
	CFileSystem* m_fileSystem;
	CRefHolder<video::IVideoDriver> m_videoDriver;
};
} // namespace fw
