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

CContent* CSceneNodeProcessor::load(CContentManager*, io::IReadFile* file, const ContentReference& key)
{
	if (!file || !m_fileSystem)
		return nullptr;
	const CRefHolder<IXMLReader> reader = adoptRef(m_fileSystem->createXMLReader(file));
	if (!reader)
		return nullptr;
	// The key's owner is the content manager that asked: the file's name goes on its path stack
	// while the nodes read, so that "File" children resolve against this file's folder.
	const core::stringc fileName(file->getFileName());
	BaseNode* node = loadSceneFile(reader.get(), m_nodeFactory.get(), key, fileName);
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
	return saveSceneFile(writer.get(), node, manager, core::stringc(file->getFileName()));
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
