#include "content/CContentProcessorsManager.h"

#include "content/CAtlasTextureProcessor.h"
#include "content/CFontProcessor.h"
#include "content/CImageProcessor.h"
#include "content/CParticleProcessors.h"
#include "content/CSceneNodeProcessor.h"
#include "content/CSoundPackProcessor.h"
#include "content/CSoundProcessor.h"
#include "content/CTextureProcessor.h"
#include "core/CLogger.h"
#include "core/CNodeFactory.h"
#include "platform/CEventDevice.h"
#include "platform/CFileSystem.h"

#include <string>

namespace fw
{
CContentProcessorsManager::CContentProcessorsManager(video::IVideoDriver* videoDriver, CFileSystem* fileSystem,
	CNodeFactory* nodeFactory) :
	CContentProcessorsManager(videoDriver, nullptr, fileSystem, nodeFactory)
{
}

CContentProcessorsManager::CContentProcessorsManager(video::IVideoDriver* videoDriver, IAudioDriver* audioDriver,
	CFileSystem* fileSystem, CNodeFactory* nodeFactory) :
	m_videoDriver(videoDriver), m_audioDriver(audioDriver), m_fileSystem(fileSystem), m_nodeFactory(nodeFactory)
{
	setEventMask(EVENT_CATEGORY_DEVICE);
	// The order of registration: textures, atlas textures, atlas collections, images, scene nodes,
	// fonts, particle collections, particle emitters; the processors of the other content types
	// take their places as those types arrive.
	const CRefHolder<IContentProcessor> processors[] = {
		adoptRef<IContentProcessor>(new CTextureProcessor(videoDriver)),
		adoptRef<IContentProcessor>(new CAtlasTextureProcessor(videoDriver)),
		adoptRef<IContentProcessor>(new CAtlasTextureCollectionProcessor(fileSystem)),
		adoptRef<IContentProcessor>(new CImageProcessor),
		adoptRef<IContentProcessor>(new CSceneNodeProcessor(fileSystem, videoDriver, nodeFactory)),
		adoptRef<IContentProcessor>(new CFontProcessor(fileSystem, videoDriver)),
		adoptRef<IContentProcessor>(new CParticleCollectionProcessor(fileSystem)),
		adoptRef<IContentProcessor>(new CParticleEmitterProcessor(fileSystem)),
		adoptRef<IContentProcessor>(new CSoundProcessor(audioDriver)),
		adoptRef<IContentProcessor>(new CSoundPackProcessor(fileSystem, audioDriver)),
	};
	for (const CRefHolder<IContentProcessor>& processor : processors)
		registerProcessor(processor.get());
}

CContentProcessorsManager::~CContentProcessorsManager()
{
	core::array<IContentProcessor*> processors;
	processors.swap(m_processors);
	for (u32 i = 0; i < processors.size(); ++i)
		processors[i]->drop();
	m_videoDriver.release();
	m_audioDriver.release();
	m_fileSystem.release();
	m_nodeFactory.release();
}

const EventMap& CContentProcessorsManager::getClassEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(CEventReceiver::getClassEventMap(),
		{
			eventMapEntry<&CContentProcessorsManager::onVideoDriverReleased>(),
			eventMapEntry<&CContentProcessorsManager::onVideoDriverCreated>(),
		}));
	return map;
}

bool CContentProcessorsManager::routeDown(s32, CEvent* event)
{
	if (!event)
		return false;
	// Held for the walk: a processor's handler may register another processor.
	const core::array<IContentProcessor*> processors(m_processors);
	for (u32 i = 0; i < processors.size(); ++i)
		processors[i]->grab();
	for (u32 i = 0; i < processors.size(); ++i)
		if (processors[i]->acceptsEvent(event))
			processors[i]->onEvent(event);
	for (u32 i = 0; i < processors.size(); ++i)
		processors[i]->drop();
	return false;
}

IContentProcessor* CContentProcessorsManager::getProcessor(u32 contentType) const
{
	for (u32 i = 0; i < m_processors.size(); ++i)
		if (m_processors[i]->getContentType() == contentType)
			return m_processors[i];
	return nullptr;
}

void CContentProcessorsManager::registerProcessor(IContentProcessor* processor)
{
	if (!processor)
		return;
	const u32 contentType = processor->getContentType();
	if (getProcessor(contentType))
	{
		const std::string hint =
			"IContentProcessor for the type #" + std::to_string(contentType) + " is already present";
		logWarning("CContentProcessorsManager", hint.c_str());
		return;
	}
	processor->grab();
	m_processors.push_back(processor);
}

bool CContentProcessorsManager::onVideoDriverReleased(CEventDeviceVideoDriverReleased*)
{
	m_videoDriver.release();
	return false;
}

bool CContentProcessorsManager::onVideoDriverCreated(CEventDeviceVideoDriverCreated* event)
{
	m_videoDriver.assign(event->getDriver());
	return false;
}
} // namespace fw
