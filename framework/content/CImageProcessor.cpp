#include "content/CImageProcessor.h"

#include "content/CContentManager.h"
#include "content/CImage.h"
#include "content/CImageManager.h"
#include "core/CLogger.h"

namespace fw
{
u32 CImageProcessor::getContentType() const
{
	return CONTENT_TYPE_IMAGE;
}

CContent* CImageProcessor::load(CContentManager* manager, io::IReadFile* file, const ContentReference& key)
{
	if (!file)
		return nullptr;
	CImage* image = CImageManager::Instance().createImageFromFile(file, manager, key, nullptr);
	const core::stringc name = file->getFileName();
	if (image)
		logInfo("Loaded image", name.c_str());
	else
		logWarning("Can't load image", name.c_str());
	return image;
}

bool CImageProcessor::save(CContentManager*, CContent* content, io::IWriteFile* file, void* parameter)
{
	if (!content || content->getContentType() != CONTENT_TYPE_IMAGE)
		return false;
	return CImageManager::Instance().writeImageToFile(static_cast<CImage*>(content), file,
		static_cast<const u32*>(parameter));
}

void CImageProcessor::onCacheEvent(CEvent*, ContentCacheMap&)
{
}
} // namespace fw
