#include "content/CFontProcessor.h"

#include "content/BitmapFont.h"
#include "content/CContentManager.h"
#include "core/CLogger.h"
#include "core/IXMLReader.h"
#include "platform/CEventDevice.h"
#include "platform/CFileSystem.h"

namespace fw
{
CFontProcessor::CFontProcessor(CFileSystem* fileSystem, video::IVideoDriver* videoDriver) :
	m_fileSystem(fileSystem), m_videoDriver(videoDriver)
{
	if (m_fileSystem)
		m_fileSystem->grab();
	setEventMask(EVENT_CATEGORY_DEVICE);
}

CFontProcessor::~CFontProcessor()
{
	if (m_fileSystem)
		m_fileSystem->drop();
}

u32 CFontProcessor::getContentType() const
{
	return CONTENT_TYPE_FONT;
}

CContent* CFontProcessor::load(CContentManager*, io::IReadFile* file, const ContentReference& key)
{
	if (!file || !m_fileSystem)
		return nullptr;
	const CRefHolder<IXMLReader> reader = adoptRef(m_fileSystem->createXMLReader(file));
	if (!reader)
		return nullptr;
	const core::stringc fileName(file->getFileName());
	BitmapFont* font = nullptr;
	while (reader->read())
	{
		const EXmlNodeType type = reader->getNodeType();
		const core::stringw& name = reader->getNodeName();
		if (type == XML_NODE_ELEMENT && name == L"Font" && reader->getAttributeValue(L"Type") == L"Bitmap")
		{
			// A second font element in the file replaces the first.
			if (font)
				font->drop();
			font = new BitmapFont(key);
			// Page names resolve against this file's folder: the manager set it for the load.
			font->loadXml(reader.get());
		}
		else if (type == XML_NODE_ELEMENT_END && name == L"Font")
			break;
	}
	logInfo("Loaded font", fileName.c_str());
	return font;
}

bool CFontProcessor::save(CContentManager*, CContent*, io::IWriteFile*, void*)
{
	return false;
}

void CFontProcessor::onCacheEvent(CEvent*, ContentCacheMap&)
{
}

bool CFontProcessor::onVideoDriverReleased(CEventDeviceVideoDriverReleased*)
{
	m_videoDriver.release();
	return false;
}

bool CFontProcessor::onVideoDriverCreated(CEventDeviceVideoDriverCreated* event)
{
	m_videoDriver.assign(event->getDriver());
	return false;
}
} // namespace fw
