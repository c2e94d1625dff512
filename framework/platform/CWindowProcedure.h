#pragma once

#include "platform/os/IWindow.h"

namespace fw
{
class CDeviceLinux;

// Turns the window's messages into device events, posted to the device of the window (its
// onEvent, then its receivers), and keeps the device's window flags. Runs on the main thread
// only: the button counter and the keyboard state are process-wide, as the desktop's are.
class CWindowProcedure
{
public:
	// The procedure every device window is made with.
	static os::LResult procedure(os::IWindow* window, u32 message, os::WParam wParam, os::LParam lParam);

	// The process-wide list of windows and their devices; a window without a device gets the
	// system's default handling.
	static void addWindow(os::IWindow* window, CDeviceLinux* device);
	static void removeWindow(os::IWindow* window);
	static CDeviceLinux* findDevice(const os::IWindow* window);

	// Mouse buttons held down, while the window holds the capture.
	static s32 getButtonsDown();

private:
	static os::LResult handle(CDeviceLinux* device, os::IWindow* window, u32 message, os::WParam wParam,
		os::LParam lParam);
	static os::LResult handleSystemCommand(CDeviceLinux* device, os::IWindow* window, os::WParam wParam,
		os::LParam lParam);
	static os::LResult handleAppActivation(CDeviceLinux* device, os::IWindow* window, bool active, os::WParam wParam);
	static void postKey(CDeviceLinux* device, os::IWindow* window, bool down, os::WParam wParam, os::LParam lParam);
};
} // namespace fw
