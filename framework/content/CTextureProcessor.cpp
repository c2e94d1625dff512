#include "content/CTextureProcessor.h"

#include "content/CContentManager.h"
#include "content/CDeviceTexture.h"
#include "content/CImage.h"
#include "content/CImageManager.h"
#include "content/CTextureContent.h"
#include "core/CLogger.h"
#include "platform/CEventDevice.h"

namespace fw
{
CTextureProcessor::CTextureProcessor(video::IVideoDriver* videoDriver) : m_videoDriver(videoDriver)
{
	setEventMask(EVENT_CATEGORY_DEVICE);
}

u32 CTextureProcessor::getContentType() const
{
	return CONTENT_TYPE_TEXTURE;
}

CContent* CTextureProcessor::load(CContentManager* manager, io::IReadFile* file, const ContentReference& key)
{
	if (!file)
		return nullptr;
	// Through the cache, so the file is decoded once however many ask; without a manager the image
	// is read for this texture alone.
	CRefHolder<CContent> image = manager
		? adoptRef(manager->getContent(CONTENT_TYPE_IMAGE, file))
		: adoptRef<CContent>(CImageManager::Instance().createImageFromFile(file, nullptr, ContentReference()));
	if (!image || image->getContentType() != CONTENT_TYPE_IMAGE)
		return nullptr;
	const CRefHolder<CDeviceTexture> texture =
		adoptRef(createDeviceTexture(m_videoDriver.get(), static_cast<CImage*>(image.get())));
	image.release();
	if (!texture)
		return nullptr;
	const core::stringc name = file->getFileName();
	CTextureContent* content = new CTextureContent(key, name, texture.get());
	logInfo("Loaded texture", name.c_str());
	return content;
}

bool CTextureProcessor::save(CContentManager*, CContent*, io::IWriteFile*, void*)
{
	return false;
}

void CTextureProcessor::onCacheEvent(CEvent* event, ContentCacheMap& cache)
{
	if (!event)
		return;
	const s32 type = event->getTypeId();
	if (type != CEventDeviceVideoDriverReleased::TypeId && type != CEventDeviceVideoDriverCreated::TypeId)
		return;
	for (ContentCacheMap::iterator it = cache.begin(); it != cache.end(); ++it)
	{
		CTextureContent* content = dynamic_cast<CTextureContent*>(it->second);
		if (!content)
			continue;
		if (type == CEventDeviceVideoDriverReleased::TypeId)
		{
			content->setTexture(nullptr);
			continue;
		}
		IContentManager* owner = content->getContentManager();
		if (!owner)
			continue;
		const CRefHolder<CContent> image =
			adoptRef(owner->getContent(CONTENT_TYPE_IMAGE, content->getFileName(), false));
		if (!image || image->getContentType() != CONTENT_TYPE_IMAGE)
			continue;
		const CRefHolder<CDeviceTexture> texture =
			adoptRef(createDeviceTexture(m_videoDriver.get(), static_cast<CImage*>(image.get())));
		if (texture)
			content->setTexture(texture.get());
	}
}

bool CTextureProcessor::onVideoDriverReleased(CEventDeviceVideoDriverReleased*)
{
	CTextureContent::releaseDeviceTextures(m_videoDriver.get());
	m_videoDriver.release();
	return false;
}

bool CTextureProcessor::onVideoDriverCreated(CEventDeviceVideoDriverCreated* event)
{
	m_videoDriver.assign(event->getDriver());
	return false;
}
} // namespace fw
