#include "platform/CWindowProcedure.h"

#include "core/CEventInput.h"
#include "core/CLogger.h"
#include "platform/CDeviceLinux.h"
#include "platform/CEventSystemFlow.h"
#include "platform/os/VirtualKeys.h"

#include <utility>
#include <vector>

namespace fw
{
namespace
{
std::vector<std::pair<os::IWindow*, CDeviceLinux*>> s_windows;
s32 s_buttonsDown = 0;
u8 s_keyboardState[os::KEYBOARD_STATE_SIZE] = {};

// Makes the event, offers it to the device and its receivers, and releases it.
template <class TEvent, class... TArgs>
bool post(CDeviceLinux* device, TArgs... args)
{
	return device->postEvent(adoptRef<CEvent>(new TEvent(args...)).get());
}
} // namespace

void CWindowProcedure::addWindow(os::IWindow* window, CDeviceLinux* device)
{
	s_windows.push_back(std::make_pair(window, device));
}

void CWindowProcedure::removeWindow(os::IWindow* window)
{
	for (auto it = s_windows.begin(); it != s_windows.end(); ++it)
		if (it->first == window)
		{
			s_windows.erase(it);
			return;
		}
}

CDeviceLinux* CWindowProcedure::findDevice(const os::IWindow* window)
{
	for (const auto& entry : s_windows)
		if (entry.first == window)
			return entry.second;
	return nullptr;
}

s32 CWindowProcedure::getButtonsDown()
{
	return s_buttonsDown;
}

os::LResult CWindowProcedure::procedure(os::IWindow* window, u32 message, os::WParam wParam, os::LParam lParam)
{
	CDeviceLinux* device = findDevice(window);
	if (!device)
		return window->defaultProcedure(message, wParam, lParam);
	// The capture was taken away (by the system or another window) while buttons were down.
	if (s_buttonsDown > 0 && !window->hasCapture())
		s_buttonsDown = 0;
	return handle(device, window, message, wParam, lParam);
}

os::LResult CWindowProcedure::handle(CDeviceLinux* device, os::IWindow* window, u32 message, os::WParam wParam,
	os::LParam lParam)
{
	using namespace os;
	const bool fullScreen = device->m_params.FullScreen;
	switch (message)
	{
	case WM_DESTROY:
		logInfo("WM_DESTROY command received");
		post<CEventSystemFlowDestroy>(device);
		window->postQuitMessage(0);
		return 0;

	case WM_SIZE:
		if (wParam == SIZE_MINIMIZED || wParam == SIZE_MAXHIDE)
		{
			device->m_notMinimised = false;
			device->m_appActive = false;
		}
		else
		{
			device->m_notMinimised = true;
			device->m_appActive = true;
			device->m_resized = true;
		}
		return 0;

	case WM_ACTIVATE:
		post<CEventSystemFlowActivate>(device, lowWord(wParam) != WA_INACTIVE && highWord(wParam) == 0);
		return window->defaultProcedure(message, wParam, lParam);

	case WM_PAINT:
		// A repaint while the application is in the background.
		if (!fullScreen && device->m_videoDriver && !device->m_appActive)
			post<CEventSystemFlowDraw>(device);
		return window->defaultProcedure(message, wParam, lParam);

	case WM_ERASEBKGND:
		return 0;

	case WM_ACTIVATEAPP:
		return handleAppActivation(device, window, wParam != 0, wParam);

	case WM_NCHITTEST:
		if (fullScreen)
			return HTCLIENT;
		return window->defaultProcedure(message, wParam, lParam);

	case WM_KEYDOWN:
		window->readKeyboardState(s_keyboardState);
		postKey(device, window, true, wParam, lParam);
		return 0;

	case WM_KEYUP:
		// With the state of the latest key down.
		postKey(device, window, false, wParam, lParam);
		return 0;

	case WM_SYSCOMMAND:
		return handleSystemCommand(device, window, wParam, lParam);

	case WM_MOUSEMOVE:
		if (device->m_notMinimised)
			post<CEventInputMouseMove>(device, pointX(lParam), pointY(lParam));
		return 0;

	case WM_LBUTTONDOWN:
	case WM_RBUTTONDOWN:
	case WM_MBUTTONDOWN:
		++s_buttonsDown;
		window->setCapture();
		if (message == WM_LBUTTONDOWN)
			post<CEventInputMouseLeftDown>(device, pointX(lParam), pointY(lParam));
		else if (message == WM_RBUTTONDOWN)
			post<CEventInputMouseRightDown>(device, pointX(lParam), pointY(lParam));
		else
			post<CEventInputMouseMiddleDown>(device, pointX(lParam), pointY(lParam));
		return 0;

	case WM_LBUTTONUP:
	case WM_RBUTTONUP:
	case WM_MBUTTONUP:
		if (--s_buttonsDown < 1)
		{
			s_buttonsDown = 0;
			window->releaseCapture();
		}
		if (message == WM_LBUTTONUP)
			post<CEventInputMouseLeftUp>(device, pointX(lParam), pointY(lParam));
		else if (message == WM_RBUTTONUP)
			post<CEventInputMouseRightUp>(device, pointX(lParam), pointY(lParam));
		else
			post<CEventInputMouseMiddleUp>(device, pointX(lParam), pointY(lParam));
		return 0;

	case WM_MOUSEWHEEL:
		if (device->m_appActive)
		{
			// The wheel's position is in screen pixels.
			core::position2d<s32> origin(0, 0);
			window->getClientOrigin(origin);
			const f32 delta = static_cast<f32>(static_cast<s16>(highWord(wParam))) / static_cast<f32>(WHEEL_DELTA);
			post<CEventInputMouseWheel>(device, pointX(lParam) - origin.X, pointY(lParam) - origin.Y, delta);
		}
		return window->defaultProcedure(message, wParam, lParam);

	default:
		return window->defaultProcedure(message, wParam, lParam);
	}
}

os::LResult CWindowProcedure::handleAppActivation(CDeviceLinux* device, os::IWindow* window, bool active,
	os::WParam wParam)
{
	const bool fullScreen = device->m_params.FullScreen;
	const bool openGL = device->m_videoDriver && device->m_videoDriver->getDriverType() == video::EDT_OPENGL;
	if (active)
	{
		device->m_appActive = true;
		if (fullScreen && openGL)
			device->switchToFullScreen();
		post<CEventSystemFlowAppActivate>(device, true);
		logInfo("Application activated.");
	}
	else
	{
		device->m_appActive = false;
		// The desktop gets its own display mode back while the game is away.
		if (fullScreen)
		{
			if (openGL)
				device->restoreDisplayMode();
			window->minimize();
		}
		post<CEventSystemFlowAppActivate>(device, false);
		logInfo("Application deactivated.");
	}
	return window->defaultProcedure(os::WM_ACTIVATEAPP, wParam, 0);
}

os::LResult CWindowProcedure::handleSystemCommand(CDeviceLinux* device, os::IWindow* window, os::WParam wParam,
	os::LParam lParam)
{
	using namespace os;
	const bool fullScreen = device->m_params.FullScreen;
	switch (wParam & 0xFFF0)
	{
	case SC_SCREENSAVE:
	case SC_MONITORPOWER:
		logInfo("SC_SCREENSAVE or SC_MONITORPOWER command received");
		return 0;
	case SC_CLOSE:
		logInfo("SC_CLOSE command received");
		if (post<CEventSystemFlowCloseRequest>(device))
			return 0;
		return window->defaultProcedure(WM_SYSCOMMAND, wParam, lParam);
	case SC_MOVE:
		logInfo("SC_MOVE command received");
		if (!device->m_timer->isStopped())
			device->m_timer->stop();
		return fullScreen ? 1 : window->defaultProcedure(WM_SYSCOMMAND, wParam, lParam);
	case SC_SIZE:
	case SC_MAXIMIZE:
	case SC_KEYMENU:
		return fullScreen ? 1 : window->defaultProcedure(WM_SYSCOMMAND, wParam, lParam);
	default:
		return window->defaultProcedure(WM_SYSCOMMAND, wParam, lParam);
	}
}

void CWindowProcedure::postKey(CDeviceLinux* device, os::IWindow* window, bool down, os::WParam wParam,
	os::LParam lParam)
{
	const u32 key = static_cast<u32>(wParam);
	const wchar_t character = window->translateKey(key, lParam, s_keyboardState);
	const bool shift = (s_keyboardState[os::VK_SHIFT] & os::KEY_STATE_DOWN) != 0;
	const bool control = (s_keyboardState[os::VK_CONTROL] & os::KEY_STATE_DOWN) != 0;
	if (down)
		post<CEventInputKeyDown>(device, character, key, shift, control, false);
	else
		post<CEventInputKeyUp>(device, character, key, shift, control, false);
}
} // namespace fw
