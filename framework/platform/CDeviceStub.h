#pragma once

#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"
#include "core/SServices.h"
#include "platform/CDeviceClock.h"
#include "platform/SDeviceCreationParameters.h"

#include <IVideoDriver.h>
#include <IrrlichtDevice.h>

namespace fw
{
class CDeviceStub;
class CDictionary;
class CSoundManager;
class IAudioDriver;
class CFileSystem;
class CPropertyContainer;
class CTimerManager;
class CVideoModeList;
class ICursorControl;

// The service hub: owns the video driver, the clock and the settings, keeps the event receivers
// and routes every device event to them, and makes timer managers. The content and scene managers
// belong to libraries above it: the application makes them, and hands the device the content
// processors manager. This part knows no window; the concrete device adds the window, driver
// creation and the main loop.
class CDeviceStub : public CEventReceiver
{
public:
	// Priorities of the receivers the device registers itself.
	static const s32 PROCESSORS_MANAGER_PRIORITY = -1;
	static const s32 SOUND_MANAGER_PRIORITY = 1;

	// Offered device events (category 1) only.
	explicit CDeviceStub(IMonotonicClock* clock);
	~CDeviceStub() override;

	// Offers the event to the receivers in ascending priority, skipping those whose mask lacks
	// the event's category, until one takes it. Receivers added or removed meanwhile join or leave
	// when the outermost dispatch ends.
	bool routeDown(s32 mode, CEvent* event) override;

	// Sets running; the concrete device runs its loop.
	virtual bool run();
	virtual void closeDevice();
	bool isRunning() const { return m_running; }
	// Suspends the thread; with pauseTimer the clock does not count the pause.
	virtual void sleep(u32 milliseconds, bool pauseTimer);
	// Changes video driver or display; false when no driver could be made.
	virtual bool reinitialize(const SDeviceCreationParameters& params);

	// A new timer manager with count 1 for the caller.
	virtual CTimerManager* createTimerManager();

	virtual bool isWindowActive() const = 0;
	virtual bool isWindowFocused() const = 0;
	virtual bool isWindowMinimized() const = 0;
	virtual bool isFullscreen() const { return m_params.FullScreen; }
	// Null without a window.
	virtual ICursorControl* getCursorControl() const = 0;
	virtual void setWindowCaption(const wchar_t* text) = 0;
	virtual void setResizable(bool resizable) = 0;
	// Display modes, filled on first use.
	virtual const video::IVideoModeList* getVideoModeList();
	// Gamma ramps of the display: false where the system offers none.
	virtual bool setGammaRamp(f32 red, f32 green, f32 blue, f32 brightness, f32 contrast);
	virtual bool getGammaRamp(f32& red, f32& green, f32& blue, f32& brightness, f32& contrast);
	// Opens the link with the desktop's browser; false, with a warning, when that fails.
	virtual bool openURL(const c8* url) = 0;

	// Refuses null and receivers already registered (false). A receiver removed during the running
	// dispatch and added again stays, with the new priority.
	virtual bool addEventReceiver(CEventReceiver* receiver, s32 priority);
	// Receivers that are not registered are ignored.
	virtual void removeEventReceiver(CEventReceiver* receiver);
	// The registered receivers in dispatch order (pending changes not included).
	core::array<CEventReceiver*> getEventReceivers() const;

	// The device's onEvent first, then its receivers (route 1). The caller keeps its reference.
	bool postEvent(CEvent* event);

	// Null while the device has no driver (a failed re-creation).
	video::IVideoDriver* getVideoDriver() const { return m_videoDriver.get(); }
	CDeviceClock* getTimer() const { return m_timer.get(); }
	CPropertyContainer* getSettings() const { return m_settings.get(); }
	CFileSystem* getFileSystem() const { return m_fileSystem.get(); }
	CDictionary* getDictionary() const { return m_dictionary.get(); }
	CEventReceiver* getProcessorsManager() const { return m_processorsManager.get(); }
	// Held and registered first of all receivers, so that the processors have taken or dropped a
	// driver before anyone asks them for contents. It replaces the one held before (which leaves
	// the receivers); null only lets that one go.
	void setProcessorsManager(CEventReceiver* manager);
	// Null when no audio driver could be made; the device then works on without sound.
	IAudioDriver* getAudioDriver() const { return m_audioDriver.get(); }
	CSoundManager* getSoundManager() const { return m_soundManager.get(); }
	const SDeviceCreationParameters& getCreationParameters() const { return m_params; }
	// A context holding the device's own services (the device, its sound manager, dictionary and
	// cursor control); the others are null for the caller to fill.
	SServices getServices() const;

	// Minimum time between frames, in ms.
	u32 getFrameInterval() const { return m_frameInterval; }
	void setFrameInterval(u32 milliseconds) { m_frameInterval = milliseconds; }
	// Length of one fixed update step, in ms.
	u32 getUpdateStep() const { return m_updateStep; }
	void setUpdateStep(u32 milliseconds) { m_updateStep = milliseconds; }
	// The clock time up to which updates have been posted.
	u32 getLastTick() const { return m_lastTick; }
	void setLastTick(u32 time) { m_lastTick = time; }

	// The audio driver type later devices make (OpenAL unless changed): tests without a sound
	// device keep them on the null driver.
	static void setAudioDriverType(s32 type);
	static s32 getAudioDriverType();

protected:
	struct SReceiverEntry
	{
		CEventReceiver* receiver; // one reference held
		s32 priority;
		// Priority only: the engine's heap sort leaves equal priorities in no particular order.
		bool operator<(const SReceiverEntry& other) const { return priority < other.priority; }
	};

	// 0 the null driver, 1 OpenAL; posts the new driver's creation. False when none was made.
	bool createAudioDriver(s32 type);
	// Drops the driver and the engine device that made it.
	virtual void releaseVideoDriver();
	// Drops everything the device holds, in the order the services need: the processors manager,
	// the receivers, the video driver, the clock, the settings. A concrete device calls it first
	// in its destructor, before it lets go of its window, and so that its own driver release runs.
	void releaseServices();

	SDeviceCreationParameters m_params;
	// The engine device only carries the driver: it has no window and pumps nothing.
	CRefHolder<irr::IrrlichtDevice> m_engineDevice;
	CRefHolder<video::IVideoDriver> m_videoDriver;
	CRefHolder<CEventReceiver> m_processorsManager;
	CRefHolder<CDeviceClock> m_timer;
	CRefHolder<CPropertyContainer> m_settings;
	CRefHolder<CVideoModeList> m_videoModeList;
	CRefHolder<CFileSystem> m_fileSystem;
	CRefHolder<CDictionary> m_dictionary;
	CRefHolder<IAudioDriver> m_audioDriver;
	CRefHolder<CSoundManager> m_soundManager;
	u32 m_frameInterval = 5;
	u32 m_updateStep = 15;
	u32 m_lastTick = 0;
	bool m_running = false;

private:
	CDeviceStub(const CDeviceStub&) = delete;
	CDeviceStub& operator=(const CDeviceStub&) = delete;

	s32 findReceiver(const CEventReceiver* receiver) const;
	s32 findPendingAdd(const CEventReceiver* receiver) const;
	s32 findPendingRemove(const CEventReceiver* receiver) const;
	void insertReceiver(const SReceiverEntry& entry);
	void removeReceiverNow(CEventReceiver* receiver);
	void applyPendingChanges();

	core::array<SReceiverEntry> m_receivers;
	core::array<SReceiverEntry> m_pendingAdds;
	core::array<CEventReceiver*> m_pendingRemoves;
	// Nested dispatches (a receiver posting an event) apply pending changes only at the end of
	// the outermost one, so the walk never sees the list change.
	u32 m_dispatchDepth = 0;
	bool m_resortPending = false;
};
} // namespace fw
