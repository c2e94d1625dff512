#include "platform/CDeviceStub.h"

#include "core/CLogger.h"
#include "core/CPropertyContainer.h"
#include "platform/CDictionary.h"
#include "platform/CEventDevice.h"
#include "platform/CFileSystem.h"
#include "platform/CNullAudioDriver.h"
#include "platform/COpenALAudioDriver.h"
#include "platform/CRandomGenerator.h"
#include "platform/CSoundManager.h"
#include "platform/CTimerManager.h"
#include "platform/CVideoModeList.h"
#include "platform/DeviceSettings.h"

namespace fw
{
const c8* const DEVICE_ENGINE_VERSION = "1.4.2";

namespace
{
s32 s_audioDriverType = DEVICE_AUDIO_OPENAL;
} // namespace

CDeviceStub::CDeviceStub(IMonotonicClock* clock) :
	m_timer(adoptRef(new CDeviceClock(clock))), m_settings(adoptRef(createDeviceSettings()))
{
	setEventMask(EVENT_CATEGORY_DEVICE);
	logFormat(LOG_INFORMATION, "Irrlicht Engine version %s", DEVICE_ENGINE_VERSION);

	// The file system reads the publisher, title and key settings when it needs them: the
	// application writes them after the device exists.
	m_fileSystem = adoptRef(createFileSystem());
	m_fileSystem->setSettings(m_settings.get());
	m_fileSystem->setRandomSource([] { return CRandomGeneratorSingleton::Instance().next(); });
	m_soundManager = adoptRef(new CSoundManager);
	addEventReceiver(m_soundManager.get(), SOUND_MANAGER_PRIORITY);
	m_dictionary = adoptRef(new CDictionary(m_fileSystem.get()));
}

CDeviceStub::~CDeviceStub()
{
	releaseServices();
}

void CDeviceStub::releaseServices()
{
	m_processorsManager.release();
	while (!m_receivers.empty())
	{
		CEventReceiver* receiver = m_receivers.getLast().receiver;
		m_receivers.erase(m_receivers.size() - 1);
		receiver->drop();
	}
	for (u32 i = 0; i < m_pendingAdds.size(); ++i)
		m_pendingAdds[i].receiver->drop();
	m_pendingAdds.clear();
	m_audioDriver.release();
	releaseVideoDriver();
	m_fileSystem.release();
	m_soundManager.release();
	m_dictionary.release();
	m_videoModeList.release();
	m_timer.release();
	m_settings.release();
}

const video::IVideoModeList* CDeviceStub::getVideoModeList()
{
	if (!m_videoModeList)
		m_videoModeList = adoptRef(new CVideoModeList);
	return m_videoModeList.get();
}

bool CDeviceStub::setGammaRamp(f32, f32, f32, f32, f32)
{
	return false;
}

bool CDeviceStub::getGammaRamp(f32&, f32&, f32&, f32& brightness, f32& contrast)
{
	brightness = 0.f;
	contrast = 0.f;
	return false;
}

bool CDeviceStub::run()
{
	m_running = true;
	return true;
}

void CDeviceStub::closeDevice()
{
	logInfo("closeDevice() was called");
	m_running = false;
}

void CDeviceStub::sleep(u32 milliseconds, bool pauseTimer)
{
	IMonotonicClock* clock = m_timer->getSource();
	if (pauseTimer && !m_timer->isStopped())
	{
		m_timer->stop();
		clock->sleep(milliseconds);
		m_timer->start();
	}
	else
		clock->sleep(milliseconds);
}

bool CDeviceStub::reinitialize(const SDeviceCreationParameters&)
{
	return false;
}

CTimerManager* CDeviceStub::createTimerManager()
{
	return new CTimerManager;
}

void CDeviceStub::setAudioDriverType(s32 type)
{
	s_audioDriverType = type;
}

s32 CDeviceStub::getAudioDriverType()
{
	return s_audioDriverType;
}

bool CDeviceStub::createAudioDriver(s32 type)
{
	if (type == DEVICE_AUDIO_NULL)
		m_audioDriver = adoptRef<IAudioDriver>(createNullAudioDriver(m_fileSystem.get()));
	else if (type == DEVICE_AUDIO_OPENAL)
	{
		m_audioDriver = adoptRef<IAudioDriver>(createOpenALAudioDriver(m_fileSystem.get()));
		// The program decides how to tell the player it runs without sound.
		if (!m_audioDriver)
			logInfo("Could not create OpenAL Audio Driver.");
	}
	if (!m_audioDriver)
		return false;
	logInfo((core::stringc("Using audio: ") + m_audioDriver->getDescription()).c_str());
	postEvent(adoptRef(new CEventDeviceAudioDriverCreated(m_audioDriver.get())).get());
	return true;
}

void CDeviceStub::setProcessorsManager(CEventReceiver* manager)
{
	if (manager == m_processorsManager.get())
		return;
	if (m_processorsManager)
		removeEventReceiver(m_processorsManager.get());
	m_processorsManager = CRefHolder<CEventReceiver>(manager);
	if (manager)
		addEventReceiver(manager, PROCESSORS_MANAGER_PRIORITY);
}

SServices CDeviceStub::getServices() const
{
	SServices services;
	services.device = const_cast<CDeviceStub*>(this);
	services.sound = m_soundManager.get();
	services.dictionary = m_dictionary.get();
	services.cursor = getCursorControl();
	return services;
}

void CDeviceStub::releaseVideoDriver()
{
	m_videoDriver.release();
	m_engineDevice.release();
}

s32 CDeviceStub::findReceiver(const CEventReceiver* receiver) const
{
	for (u32 i = 0; i < m_receivers.size(); ++i)
		if (m_receivers[i].receiver == receiver)
			return static_cast<s32>(i);
	return -1;
}

s32 CDeviceStub::findPendingAdd(const CEventReceiver* receiver) const
{
	for (u32 i = 0; i < m_pendingAdds.size(); ++i)
		if (m_pendingAdds[i].receiver == receiver)
			return static_cast<s32>(i);
	return -1;
}

s32 CDeviceStub::findPendingRemove(const CEventReceiver* receiver) const
{
	for (u32 i = 0; i < m_pendingRemoves.size(); ++i)
		if (m_pendingRemoves[i] == receiver)
			return static_cast<s32>(i);
	return -1;
}

bool CDeviceStub::addEventReceiver(CEventReceiver* receiver, s32 priority)
{
	if (!receiver || findPendingAdd(receiver) >= 0)
		return false;

	const s32 index = findReceiver(receiver);
	if (index >= 0)
	{
		// Registered: only a removal pending in the running dispatch can be taken back.
		const s32 removal = findPendingRemove(receiver);
		if (removal < 0)
			return false;
		m_pendingRemoves.erase(static_cast<u32>(removal));
		SReceiverEntry& entry = m_receivers[static_cast<u32>(index)];
		if (entry.priority != priority)
		{
			entry.priority = priority;
			m_resortPending = true;
		}
		return true;
	}

	receiver->grab();
	const SReceiverEntry entry = {receiver, priority};
	if (m_dispatchDepth > 0)
		m_pendingAdds.push_back(entry);
	else
		insertReceiver(entry);
	return true;
}

void CDeviceStub::removeEventReceiver(CEventReceiver* receiver)
{
	if (m_dispatchDepth == 0)
	{
		removeReceiverNow(receiver);
		return;
	}
	const s32 add = findPendingAdd(receiver);
	if (add >= 0)
	{
		m_pendingAdds.erase(static_cast<u32>(add));
		receiver->drop();
		return;
	}
	if (findReceiver(receiver) >= 0 && findPendingRemove(receiver) < 0)
		m_pendingRemoves.push_back(receiver);
}

core::array<CEventReceiver*> CDeviceStub::getEventReceivers() const
{
	core::array<CEventReceiver*> receivers;
	receivers.reallocate(m_receivers.size());
	for (u32 i = 0; i < m_receivers.size(); ++i)
		receivers.push_back(m_receivers[i].receiver);
	return receivers;
}

void CDeviceStub::insertReceiver(const SReceiverEntry& entry)
{
	// The whole list is sorted again after every addition, as the engine's array sorts.
	m_receivers.push_back(entry);
	m_receivers.sort();
}

void CDeviceStub::removeReceiverNow(CEventReceiver* receiver)
{
	// Compared before anything is read of it: the receiver may be gone already.
	const s32 index = findReceiver(receiver);
	if (index < 0)
		return;
	m_receivers.erase(static_cast<u32>(index));
	receiver->drop();
}

void CDeviceStub::applyPendingChanges()
{
	// Dropping a receiver may run code that registers or removes receivers again.
	const core::array<SReceiverEntry> adds(m_pendingAdds);
	const core::array<CEventReceiver*> removes(m_pendingRemoves);
	m_pendingAdds.clear();
	m_pendingRemoves.clear();

	for (u32 i = 0; i < adds.size(); ++i)
		insertReceiver(adds[i]);
	if (m_resortPending)
	{
		m_resortPending = false;
		m_receivers.set_sorted(false);
		m_receivers.sort();
	}
	for (u32 i = 0; i < removes.size(); ++i)
		removeReceiverNow(removes[i]);
}

bool CDeviceStub::routeDown(s32 mode, CEvent* event)
{
	++m_dispatchDepth;
	bool taken = false;
	// Changes wait until the outermost dispatch ends, so the list holds still and every entry
	// keeps its reference for the walk.
	for (u32 i = 0; i < m_receivers.size() && !taken; ++i)
	{
		CEventReceiver* receiver = m_receivers[i].receiver;
		if (receiver->acceptsEvent(event))
			taken = receiver->routeEvent(mode, event);
	}
	if (--m_dispatchDepth == 0)
		applyPendingChanges();
	return taken;
}

bool CDeviceStub::postEvent(CEvent* event)
{
	if (!event)
		return false;
	CRefHolder<CEvent> hold(event);
	return onEvent(event) || routeDown(ROUTE_SELF_DOWN, event);
}
} // namespace fw
