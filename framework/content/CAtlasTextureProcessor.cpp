#include "content/CAtlasTextureProcessor.h"

#include "content/AtlasTextureCollection.h"
#include "content/CAtlasTexture.h"
#include "content/CContentManager.h"
#include "core/CLogger.h"
#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "platform/CEventDevice.h"
#include "platform/CFileSystem.h"

namespace fw
{
CAtlasTextureProcessor::CAtlasTextureProcessor(video::IVideoDriver* videoDriver) : m_videoDriver(videoDriver)
{
	setEventMask(EVENT_CATEGORY_DEVICE);
}

u32 CAtlasTextureProcessor::getContentType() const
{
	return CONTENT_TYPE_ATLAS_TEXTURE;
}

CContent* CAtlasTextureProcessor::load(CContentManager* manager, io::IReadFile* file, const ContentReference& key)
{
	if (!manager || !file)
		return nullptr;
	CContent* content = manager->getContent(CONTENT_TYPE_TEXTURE, file);
	CTextureContent* texture = dynamic_cast<CTextureContent*>(content);
	if (!texture)
	{
		if (content)
			content->drop();
		return nullptr;
	}
	// The rectangle covers exactly the image inside a texture padded to powers of two.
	const core::vector2df corner = texture->getTextureCoords(static_cast<f32>(texture->getOriginalSize().Width),
		static_cast<f32>(texture->getOriginalSize().Height));
	CAtlasTexture* atlasTexture = new CAtlasTexture(key, texture, core::rect<f32>(0.f, 0.f, corner.X, corner.Y),
		core::vector2df(0.f, 0.f), core::vector2df(0.f, 0.f));
	content->drop();
	logInfo("Loaded atlas texture", core::stringc(file->getFileName()).c_str());
	return atlasTexture;
}

bool CAtlasTextureProcessor::save(CContentManager*, CContent*, io::IWriteFile*, void*)
{
	return false;
}

void CAtlasTextureProcessor::onCacheEvent(CEvent*, ContentCacheMap&)
{
}

bool CAtlasTextureProcessor::onVideoDriverReleased(CEventDeviceVideoDriverReleased*)
{
	m_videoDriver.release();
	return false;
}

bool CAtlasTextureProcessor::onVideoDriverCreated(CEventDeviceVideoDriverCreated* event)
{
	m_videoDriver.assign(event->getDriver());
	return false;
}

CAtlasTextureCollectionProcessor::CAtlasTextureCollectionProcessor(CFileSystem* fileSystem) : m_fileSystem(fileSystem)
{
	if (m_fileSystem)
		m_fileSystem->grab();
}

CAtlasTextureCollectionProcessor::~CAtlasTextureCollectionProcessor()
{
	if (m_fileSystem)
		m_fileSystem->drop();
}

u32 CAtlasTextureCollectionProcessor::getContentType() const
{
	return CONTENT_TYPE_ATLAS_COLLECTION;
}

CContent* CAtlasTextureCollectionProcessor::load(CContentManager* manager, io::IReadFile* file,
	const ContentReference& key)
{
	if (!manager || !file || !m_fileSystem)
		return nullptr;
	const CRefHolder<IXMLReader> reader = adoptRef(m_fileSystem->createXMLReader(file));
	if (!reader)
		return nullptr;
	const core::stringc fileName(file->getFileName());
	AtlasTextureCollection* collection = new AtlasTextureCollection(key);
	manager->pushPath(fileName);
	collection->loadXml(reader.get());
	manager->popPath();
	logInfo("Loaded atlas texture collection", fileName.c_str());
	return collection;
}

bool CAtlasTextureCollectionProcessor::save(CContentManager*, CContent* content, io::IWriteFile* file, void*)
{
	AtlasTextureCollection* collection = dynamic_cast<AtlasTextureCollection*>(content);
	if (!collection || !file || !m_fileSystem)
		return false;
	const CRefHolder<IXMLWriter> writer = adoptRef(m_fileSystem->createXMLWriter(file));
	if (!writer)
		return false;
	writer->writeXMLHeader();
	collection->writeXml(writer.get());
	return true;
}

void CAtlasTextureCollectionProcessor::onCacheEvent(CEvent*, ContentCacheMap&)
{
}
} // namespace fw
