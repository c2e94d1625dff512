#include "content/CSceneNodeProcessor.h"

#include "content/CContentManager.h"
#include "core/BaseNode.h"
#include "core/CLogger.h"
#include "core/CNodeFactory.h"
#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "core/SceneFile.h"
#include "platform/CEventDevice.h"
#include "platform/CFileSystem.h"

namespace fw
{
CSceneNodeProcessor::CSceneNodeProcessor(CFileSystem* fileSystem, video::IVideoDriver* videoDriver,
	CNodeFactory* nodeFactory) :
	m_videoDriver(videoDriver), m_fileSystem(fileSystem), m_nodeFactory(nodeFactory)
{
	setEventMask(EVENT_CATEGORY_DEVICE);
}

CContent* CSceneNodeProcessor::load(CContentManager* manager, io::IReadFile* file, const ContentReference& key)
{
	return loadFile(manager, file, key, nullptr);
}

CContent* CSceneNodeProcessor::load(CContentManager* manager, io::IReadFile* file, const ContentReference& key,
	const SLoadContext& within)
{
	return loadFile(manager, file, key, &within);
}

CContent* CSceneNodeProcessor::loadFile(CContentManager*, io::IReadFile* file, const ContentReference& key,
	const SLoadContext* within)
{
	if (!file || !m_fileSystem)
		return nullptr;
	const CRefHolder<IXMLReader> reader = adoptRef(m_fileSystem->createXMLReader(file));
	if (!reader)
		return nullptr;
	// The key's owner is the content manager that asked; "File" children are named against this
	// file's folder.
	const core::stringc fileName(file->getFileName());
	BaseNode* node = loadSceneFile(reader.get(), m_nodeFactory.get(), key, fileName, within);
	logInfo("Loaded scene node", fileName.c_str());
	return node;
}

bool CSceneNodeProcessor::save(CContentManager* manager, CContent* content, io::IWriteFile* file, void*)
{
	const BaseNode* node = dynamic_cast<const BaseNode*>(content);
	if (!node || !file || !m_fileSystem)
		return false;
	const CRefHolder<IXMLWriter> writer = adoptRef(m_fileSystem->createXMLWriter(file));
	if (!writer)
		return false;
	(void)manager;
	return saveSceneFile(writer.get(), node);
}

void CSceneNodeProcessor::onCacheEvent(CEvent*, ContentCacheMap&)
{
}

bool CSceneNodeProcessor::onVideoDriverReleased(CEventDeviceVideoDriverReleased*)
{
	m_videoDriver.release();
	return false;
}

bool CSceneNodeProcessor::onVideoDriverCreated(CEventDeviceVideoDriverCreated* event)
{
	m_videoDriver.assign(event->getDriver());
	return false;
}
} // namespace fw
