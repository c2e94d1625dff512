#include "content/CSoundPackProcessor.h"

#include "content/CContentManager.h"
#include "core/CLogger.h"
#include "core/IXMLReader.h"
#include "platform/CFileSystem.h"
#include "platform/CSoundPack.h"
#include "platform/IAudioDriver.h"

namespace fw
{
CSoundPackProcessor::CSoundPackProcessor(CFileSystem* fileSystem, IAudioDriver* audioDriver) :
	m_fileSystem(fileSystem), m_audioDriver(audioDriver)
{
}

CSoundPackProcessor::~CSoundPackProcessor() = default;

u32 CSoundPackProcessor::getContentType() const
{
	return CONTENT_TYPE_SOUND_PACK;
}

CContent* CSoundPackProcessor::load(CContentManager* manager, io::IReadFile* file, const ContentReference& key)
{
	if (!file || !m_fileSystem)
		return nullptr;
	const CRefHolder<IXMLReader> reader = adoptRef(m_fileSystem->createXMLReader(file));
	if (!reader)
		return nullptr;
	const core::stringc fileName(file->getFileName());
	CSoundPack* pack = new CSoundPack(key);
	if (manager)
		manager->pushPath(fileName);
	pack->loadXml(reader.get(), manager, m_audioDriver.get());
	if (manager)
		manager->popPath();
	logInfo("Loaded sound pack", fileName.c_str());
	return pack;
}

bool CSoundPackProcessor::save(CContentManager*, CContent*, io::IWriteFile*, void*)
{
	return false;
}

void CSoundPackProcessor::onCacheEvent(CEvent*, ContentCacheMap&)
{
}
} // namespace fw
