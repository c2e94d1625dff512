#pragma once

#include "platform/CDeviceStub.h"

namespace fw
{
// The desktop device: driver creation and the main loop. It has no window yet: every driver
// choice runs on the engine's null driver, which needs no display.
class CDeviceLinux : public CDeviceStub
{
public:
	// Makes the video driver for params.VideoDriver, then the processors manager. Without a clock,
	// the system's steady clock.
	explicit CDeviceLinux(const SDeviceCreationParameters& params, IMonotonicClock* clock = nullptr);

	// The main loop, until the device is closed.
	bool run() override;
	// Posts the release of the old driver, then makes the new one (posting its creation).
	bool reinitialize(const SDeviceCreationParameters& params) override;
	bool isWindowActive() const override { return m_appActive; }

protected:
	friend class CMainLoop;

	// 0 the null driver; 1 and 2 (Direct3D) and 3 OpenGL, which needs the window: until there is
	// one they fall back to the null driver. Posts the new driver's creation.
	bool createVideoDriver(s32 type);
	bool createNullDriver();

	// The application is in the foreground: the loop updates. Set when a driver is made.
	bool m_appActive = false;
};

// A new device with count 1 for the caller, or null when it has no driver although one was asked
// for.
CDeviceStub* createDevice(const SDeviceCreationParameters& params, IMonotonicClock* clock = nullptr);
} // namespace fw
