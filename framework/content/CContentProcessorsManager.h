#pragma once

#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"

#include <IVideoDriver.h>

namespace fw
{
class CEventDeviceVideoDriverCreated;
class CEventDeviceVideoDriverReleased;
class CFileSystem;
class CNodeFactory;
class IAudioDriver;
class IContentProcessor;

// Makes the framework's content processors, finds the processor of a type tag for the content
// manager and passes the device's driver events on to the processors that take device events.
// The program makes it once and hands it to the device, which registers it first of all its
// receivers.
class CContentProcessorsManager : public CEventReceiver
{
public:
	// Takes a reference to each service (any may be null) and registers the processors.
	CContentProcessorsManager(video::IVideoDriver* videoDriver, CFileSystem* fileSystem, CNodeFactory* nodeFactory);
	CContentProcessorsManager(video::IVideoDriver* videoDriver, IAudioDriver* audioDriver, CFileSystem* fileSystem,
		CNodeFactory* nodeFactory);
	~CContentProcessorsManager() override;

	// Every processor whose mask takes the event sees it; never consumed.
	bool routeDown(s32 mode, CEvent* event) override;
	FW_RECEIVER_EVENT_MAP

	// The first processor registered for the tag, not referenced; null when none serves it.
	IContentProcessor* getProcessor(u32 contentType) const;
	// Null is ignored; a second processor for a tag already served is refused with a warning.
	void registerProcessor(IContentProcessor* processor);
	u32 getProcessorCount() const { return m_processors.size(); }

	video::IVideoDriver* getVideoDriver() const { return m_videoDriver.get(); }
	IAudioDriver* getAudioDriver() const { return m_audioDriver.get(); }
	CFileSystem* getFileSystem() const { return m_fileSystem.get(); }
	CNodeFactory* getNodeFactory() const { return m_nodeFactory.get(); }

	bool onVideoDriverReleased(CEventDeviceVideoDriverReleased* event);
	bool onVideoDriverCreated(CEventDeviceVideoDriverCreated* event);

private:
	CContentProcessorsManager(const CContentProcessorsManager&) = delete;
	CContentProcessorsManager& operator=(const CContentProcessorsManager&) = delete;

	CRefHolder<video::IVideoDriver> m_videoDriver;
	CRefHolder<IAudioDriver> m_audioDriver;
	CRefHolder<CFileSystem> m_fileSystem;
	CRefHolder<CNodeFactory> m_nodeFactory;
	// One reference each, in registration order.
	core::array<IContentProcessor*> m_processors;
};
} // namespace fw
