#pragma once

#include "platform/CDeviceStub.h"
#include "platform/os/IWindow.h"

namespace fw
{
class CCursorControl;

// The desktop device: its window, the drivers that draw into it and the main loop that pumps
// its messages. The window procedure (CWindowProcedure) turns the messages into device events.
class CDeviceLinux : public CDeviceStub
{
public:
	// Makes the window (unless the null driver is asked for without an existing window), then
	// the video driver for params.VideoDriver, then the processors manager. Without a clock, the
	// system's steady clock.
	explicit CDeviceLinux(const SDeviceCreationParameters& params, IMonotonicClock* clock = nullptr);
	~CDeviceLinux() override;

	// The main loop, until the device is closed or the window's quit message comes.
	bool run() override;
	// Also destroys the window, whose destruction posts the quit message.
	void closeDevice() override;
	// Posts the release of the old driver, then makes the new one (posting its creation) in the
	// same window, making the window first when the device has none yet.
	bool reinitialize(const SDeviceCreationParameters& params) override;

	bool isWindowActive() const override { return m_appActive; }
	bool isWindowFocused() const override;
	bool isWindowMinimized() const override;
	ICursorControl* getCursorControl() const override;
	void setWindowCaption(const wchar_t* text) override;
	void setResizable(bool resizable) override;
	const video::IVideoModeList* getVideoModeList() override;
	// Through the display's gamma ramps; false, after one log line, without a window or where the
	// display has none.
	bool setGammaRamp(f32 red, f32 green, f32 blue, f32 brightness, f32 contrast) override;
	bool getGammaRamp(f32& red, f32& green, f32& blue, f32& brightness, f32& contrast) override;
	bool openURL(const c8* url) override;

	// Null while the device has no window.
	os::IWindow* getWindow() const { return m_window.get(); }
	os::WindowId getWindowId() const { return m_window ? m_window->getId() : 0; }

	// How the device makes its window; tests without a display install their own (null: the
	// desktop's). Returns the maker it replaces.
	typedef os::IWindow* (*WindowMaker)(const os::SWindowDescription& description, os::WindowProcedure procedure);
	static WindowMaker setWindowMaker(WindowMaker maker);

protected:
	friend class CMainLoop;
	friend class CWindowProcedure;

	// A window is needed for a real driver or an existing window; false when none was made.
	bool createWindow();
	// Takes the window as the device's: lists it for the window procedure and makes the cursor
	// control.
	void attachWindow(os::IWindow* window);
	// Gives the device's own window the program's icon: the icon file that lies beside the
	// program, or else the one in the working directory (ICON_FILE_NAME both); none without.
	void loadWindowIcon();
	// An icon file for the window; false (after a log line) when it cannot be used.
	bool loadWindowIcon(const io::path& fileName);
	// Places the device's own window for FullScreen and WindowSize, shown.
	void fitWindow();
	// Switches the display to the mode of WindowSize and covers the screen with the window;
	// without such a mode (after a log line) the window covers the screen at the desktop's mode,
	// whose size WindowSize takes, and the result is false.
	bool switchToFullScreen();
	// The desktop's own display mode comes back (own window only).
	void restoreDisplayMode();
	// A WM_SIZE came: the driver learns the new client size (the loop calls this).
	void handleResize();
	core::dimension2d<s32> getDesktopSize();

	// 0 the null driver; 1 and 2 (Direct3D) and 3 OpenGL, drawn into the window: without one
	// they fail. Posts the new driver's creation.
	bool createVideoDriver(s32 type);
	bool createNullDriver();
	bool createOpenGLDriver();
	void releaseVideoDriver() override;

	CRefHolder<os::IWindow> m_window;
	CRefHolder<CCursorControl> m_cursorControl;
	// The window is shown and not minimised: the loop updates and draws.
	bool m_notMinimised = false;
	// The application is in the foreground: the loop updates. Set when a driver is made.
	bool m_appActive = false;
	bool m_resizable = false;
	// A WM_SIZE came and the loop has not handled it yet.
	bool m_resized = false;
	// The window came from params.WindowHandle: the loop makes one pass per run.
	bool m_externalWindow = false;
	// The real time at which the next draw is due while the application is in the background.
	u64 m_nextBackgroundDraw = 0;
	// The display connection the engine opens for an OpenGL driver and leaves open.
	void* m_engineDisplay = nullptr;
};

// The program's icon file, beside the program or in the working directory.
extern const c8* const ICON_FILE_NAME;

// A new device with count 1 for the caller, or null when it has no driver although one was asked
// for.
CDeviceStub* createDevice(const SDeviceCreationParameters& params, IMonotonicClock* clock = nullptr);
} // namespace fw
