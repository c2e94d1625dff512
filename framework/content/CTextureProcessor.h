#pragma once

#include "content/IContentProcessor.h"
#include "core/CRefHolder.h"

#include <IVideoDriver.h>

namespace fw
{
// Textures ("itex"): the image comes through the content manager, the device texture from the
// current video driver. Runs after the other processors in the content manager's broadcast, so
// that on a driver's creation it rebuilds with the driver it has just taken.
class CTextureProcessor : public IContentProcessor
{
public:
	// Takes a reference to the driver (null allowed).
	explicit CTextureProcessor(video::IVideoDriver* videoDriver);

	s32 getPriority() const override { return 1; }
	u32 getContentType() const override;
	// Logs "Loaded texture" with the file's name. Null without an image or a device texture.
	CContent* load(CContentManager* manager, io::IReadFile* file, const ContentReference& key) override;
	// Textures are not written.
	bool save(CContentManager* manager, CContent* content, io::IWriteFile* file, void* parameter) override;
	// The driver's release takes the cached contents' device textures; its creation rebuilds them,
	// each from its image file.
	void onCacheEvent(CEvent* event, ContentCacheMap& cache) override;

	// Also takes the device textures of contents no longer cached: they cannot be rebuilt (their
	// content manager may be gone) but must not outlive the driver.
	bool onVideoDriverReleased(CEventDeviceVideoDriverReleased* event) override;
	bool onVideoDriverCreated(CEventDeviceVideoDriverCreated* event) override;

	video::IVideoDriver* getVideoDriver() const { return m_videoDriver.get(); }

private:
	CRefHolder<video::IVideoDriver> m_videoDriver;
};
} // namespace fw
