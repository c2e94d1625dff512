#include "platform/os/CX11Window.h"

#include "core/CLogger.h"
#include "platform/os/VirtualKeys.h"

#include <GL/glx.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xcursor/Xcursor.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace fw
{
namespace os
{
namespace
{
// The crossings place the pointer where it enters and leaves, so that it is followed without
// asking the server.
const long INPUT_EVENTS = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
	EnterWindowMask | LeaveWindowMask;
const long WINDOW_EVENTS = INPUT_EVENTS | FocusChangeMask | StructureNotifyMask | ExposureMask;
const long NET_WM_STATE_REMOVE = 0;
const long NET_WM_STATE_ADD = 1;
// lParam bits of key messages.
const LParam KEY_ALT_HELD = LParam(1) << 29;
const LParam KEY_WAS_DOWN = LParam(1) << 30;
const LParam KEY_RELEASED = LParam(1) << 31;

int logDisplayError(Display* display, XErrorEvent* error)
{
	char text[128] = {};
	XGetErrorText(display, error->error_code, text, sizeof(text));
	logFormat(LOG_INFORMATION, "X error %d (%s) on request %d.%d", error->error_code, text, error->request_code,
		error->minor_code);
	return 0;
}

// UTF-16 units, one per wchar_t, to UTF-8; unpaired surrogates become U+FFFD.
std::string utf8Of(const wchar_t* text)
{
	std::string out;
	for (const wchar_t* p = text; p && *p; ++p)
	{
		u32 c = static_cast<u32>(*p) & 0xFFFF;
		if (c >= 0xD800 && c <= 0xDBFF && (static_cast<u32>(p[1]) & 0xFC00) == 0xDC00)
		{
			c = 0x10000 + ((c - 0xD800) << 10) + ((static_cast<u32>(p[1]) & 0xFFFF) - 0xDC00);
			++p;
		}
		else if (c >= 0xD800 && c <= 0xDFFF)
			c = 0xFFFD;
		if (c < 0x80)
			out += static_cast<char>(c);
		else if (c < 0x800)
		{
			out += static_cast<char>(0xC0 | (c >> 6));
			out += static_cast<char>(0x80 | (c & 0x3F));
		}
		else if (c < 0x10000)
		{
			out += static_cast<char>(0xE0 | (c >> 12));
			out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
			out += static_cast<char>(0x80 | (c & 0x3F));
		}
		else
		{
			out += static_cast<char>(0xF0 | (c >> 18));
			out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
			out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
			out += static_cast<char>(0x80 | (c & 0x3F));
		}
	}
	return out;
}

// The legacy window name holds Latin-1.
std::string latin1Of(const wchar_t* text)
{
	std::string out;
	for (const wchar_t* p = text; p && *p; ++p)
		out += static_cast<u32>(*p) <= 0xFF ? static_cast<char>(*p) : '?';
	return out;
}

bool isKeypad(KeySym keysym)
{
	return keysym >= XK_KP_Space && keysym <= XK_KP_Equal;
}

void setWindowActive(Display* display, Window window)
{
	const Window root = DefaultRootWindow(display);
	XEvent event = {};
	event.xclient.type = ClientMessage;
	event.xclient.window = window;
	event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = 1; // from an application
	event.xclient.data.l[1] = CurrentTime;
	XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
	XRaiseWindow(display, window);
	// Without a window manager nobody acts on the request: the keyboard is given directly.
	XWindowAttributes attributes;
	if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
		XSetInputFocus(display, window, RevertToParent, CurrentTime);
}
} // namespace

Display* openDisplay(const char* name)
{
	// A busy X server now and then resets a new connection: a few more tries, briefly spaced.
	const int ATTEMPTS = 20;
	for (int attempt = 0; attempt < ATTEMPTS; ++attempt)
	{
		if (Display* display = XOpenDisplay(name))
			return display;
		if (!XDisplayName(name) || !*XDisplayName(name))
			break;
		std::this_thread::sleep_for(std::chrono::milliseconds(2));
	}
	return nullptr;
}

void installDisplayErrorHandler()
{
	XSetErrorHandler(&logDisplayError);
}

void closeDisplay(void* display)
{
	if (display)
		XCloseDisplay(static_cast<Display*>(display));
}

IWindow* createWindow(const SWindowDescription& description, WindowProcedure procedure)
{
	return CX11Window::create(description, procedure);
}

namespace
{
bool s_trappedError = false;
int trapError(Display*, XErrorEvent*)
{
	s_trappedError = true;
	return 0;
}
} // namespace

bool raiseWindow(WindowId window)
{
	Display* display = openDisplay();
	if (!display)
		return false;
	// The id comes from another process and may name a window that is gone.
	s_trappedError = false;
	XErrorHandler previous = XSetErrorHandler(&trapError);
	XWindowAttributes attributes;
	bool raised = XGetWindowAttributes(display, static_cast<Window>(window), &attributes) && !s_trappedError;
	if (raised)
	{
		XMapRaised(display, static_cast<Window>(window));
		XSync(display, False);
		setWindowActive(display, static_cast<Window>(window));
		XSync(display, False);
		raised = !s_trappedError;
	}
	XSetErrorHandler(previous);
	XCloseDisplay(display);
	return raised;
}

bool getDesktopMode(core::dimension2d<s32>& size, s32& depth)
{
	Display* display = openDisplay();
	if (!display)
		return false;
	const int screen = DefaultScreen(display);
	size = core::dimension2d<s32>(DisplayWidth(display, screen), DisplayHeight(display, screen));
	depth = DefaultDepth(display, screen);
	XCloseDisplay(display);
	return true;
}

CX11Window* CX11Window::create(const SWindowDescription& description, WindowProcedure procedure)
{
	Display* display = openDisplay();
	if (!display)
	{
		const char* name = XDisplayName(nullptr);
		if (name && *name)
			logFormat(LOG_ERROR, "Can't open the X display \"%s\": no window can be made.", name);
		else
			logError("Can't open the X display: DISPLAY is not set, so no window can be made.");
		return nullptr;
	}
	installDisplayErrorHandler();
	CX11Window* window = new CX11Window(display, procedure);
	const bool made =
		description.ExistingWindow ? window->attach(description.ExistingWindow) : window->make(description);
	if (!made)
	{
		window->drop();
		return nullptr;
	}
	return window;
}

CX11Window::CX11Window(Display* display, WindowProcedure procedure) : m_display(display), m_procedure(procedure)
{
	// Held keys repeat as presses alone, as on Windows, not as release and press pairs.
	XkbSetDetectableAutoRepeat(m_display, True, nullptr);
	m_wmProtocols = XInternAtom(m_display, "WM_PROTOCOLS", False);
	m_wmDeleteWindow = XInternAtom(m_display, "WM_DELETE_WINDOW", False);
	m_netWmPing = XInternAtom(m_display, "_NET_WM_PING", False);
	m_netWmState = XInternAtom(m_display, "_NET_WM_STATE", False);
	m_netWmStateFullScreen = XInternAtom(m_display, "_NET_WM_STATE_FULLSCREEN", False);
	m_netActiveWindow = XInternAtom(m_display, "_NET_ACTIVE_WINDOW", False);
	m_netWmName = XInternAtom(m_display, "_NET_WM_NAME", False);
	m_netWmIcon = XInternAtom(m_display, "_NET_WM_ICON", False);
	m_utf8String = XInternAtom(m_display, "UTF8_STRING", False);
	findModifierMasks();
}

CX11Window::~CX11Window()
{
	releaseCapture();
	destroySurface();
	if (m_window && !m_external)
		XDestroyWindow(m_display, m_window);
	if (m_imageCursor)
		XFreeCursor(m_display, m_imageCursor);
	if (m_blankCursor)
		XFreeCursor(m_display, m_blankCursor);
	if (m_arrowCursor)
		XFreeCursor(m_display, m_arrowCursor);
	XCloseDisplay(m_display);
}

bool CX11Window::make(const SWindowDescription& description)
{
	const int screen = DefaultScreen(m_display);
	const s32 width = description.Size.Width > 0 ? description.Size.Width : 1;
	const s32 height = description.Size.Height > 0 ? description.Size.Height : 1;
	m_clientSize = core::dimension2d<s32>(width, height);
	m_fullScreen = description.FullScreen;
	s32 x = 0;
	s32 y = 0;
	if (!m_fullScreen)
	{
		x = (DisplayWidth(m_display, screen) - width) / 2;
		y = (DisplayHeight(m_display, screen) - height) / 2;
	}

	XSetWindowAttributes attributes = {};
	// No background: the driver paints every pixel, and the server must not clear them first.
	attributes.background_pixmap = None;
	attributes.border_pixel = 0;
	attributes.event_mask = WINDOW_EVENTS;
	m_window = XCreateWindow(m_display, RootWindow(m_display, screen), x, y, static_cast<unsigned>(width),
		static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
		CWBackPixmap | CWBorderPixel | CWEventMask, &attributes);
	if (!m_window)
	{
		logError("Can't create the window.");
		return false;
	}

	Atom protocols[] = {m_wmDeleteWindow, m_netWmPing};
	XSetWMProtocols(m_display, m_window, protocols, 2);
	std::string className = latin1Of(description.Caption.c_str());
	XClassHint classHint;
	classHint.res_name = &className[0];
	classHint.res_class = &className[0];
	XSetClassHint(m_display, m_window, &classHint);
	setCaption(description.Caption.c_str());
	updateSizeHints();
	if (m_fullScreen)
		XChangeProperty(m_display, m_window, m_netWmState, XA_ATOM, 32, PropModeReplace,
			reinterpret_cast<unsigned char*>(&m_netWmStateFullScreen), 1);

	// Shown at once; it takes the keyboard as soon as the server has mapped it.
	m_focusWanted = true;
	XMapRaised(m_display, m_window);
	XFlush(m_display);
	return true;
}

bool CX11Window::attach(WindowId window)
{
	XWindowAttributes attributes;
	s_trappedError = false;
	XErrorHandler previous = XSetErrorHandler(&trapError);
	const bool exists = XGetWindowAttributes(m_display, static_cast<Window>(window), &attributes) && !s_trappedError;
	XSetErrorHandler(previous);
	if (!exists)
	{
		logError("Can't draw into the given window: it does not exist.");
		return false;
	}
	m_window = static_cast<Window>(window);
	m_external = true;
	m_clientSize = core::dimension2d<s32>(attributes.width, attributes.height);
	m_mapped = attributes.map_state == IsViewable;
	// The events another client selects exclusively (button presses) stay with it.
	XSelectInput(m_display, m_window, WINDOW_EVENTS);
	XFlush(m_display);
	return true;
}

void CX11Window::findModifierMasks()
{
	m_numLockMask = XkbKeysymToModifiers(m_display, XK_Num_Lock);
	m_altMask = XkbKeysymToModifiers(m_display, XK_Alt_L);
	m_level3Mask = XkbKeysymToModifiers(m_display, XK_ISO_Level3_Shift);
	if (!m_altMask)
		m_altMask = Mod1Mask;
}

bool CX11Window::takeQueued(SWindowMessage& message)
{
	if (m_queue.empty())
		return false;
	message = m_queue.front();
	m_queue.pop_front();
	return true;
}

bool CX11Window::peekMessage(SWindowMessage& message)
{
	while (!takeQueued(message))
	{
		if (!XPending(m_display))
			return false;
		XEvent event;
		XNextEvent(m_display, &event);
		convertEvent(event);
	}
	return true;
}

bool CX11Window::waitMessage(SWindowMessage& message)
{
	while (!takeQueued(message))
	{
		XEvent event;
		XNextEvent(m_display, &event);
		convertEvent(event);
	}
	return message.message != WM_QUIT;
}

bool CX11Window::hasWaitingMessages()
{
	XFlush(m_display);
	return !m_queue.empty() || XEventsQueued(m_display, QueuedAlready) > 0;
}

void CX11Window::trackPointer(s32 x, s32 y)
{
	m_pointer = core::position2d<s32>(x, y);
	m_pointerKnown = true;
}

void CX11Window::queue(u32 message, WParam wParam, LParam lParam)
{
	SWindowMessage entry;
	entry.message = message;
	entry.wParam = wParam;
	entry.lParam = lParam;
	m_queue.push_back(entry);
}

void CX11Window::postQuitMessage(s32 exitCode)
{
	queue(WM_QUIT, static_cast<WParam>(exitCode), 0);
}

void CX11Window::removeQuitMessages()
{
	for (auto it = m_queue.begin(); it != m_queue.end();)
		it = it->message == WM_QUIT ? m_queue.erase(it) : it + 1;
}

void CX11Window::translateMessage(const SWindowMessage& message)
{
	if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)
		return;
	const u32 keycode = (static_cast<u32>(message.lParam) >> 16) & 0xFF;
	const u32 character = characterOf(keycode, m_keyState);
	if (character == 0)
		return;
	// The characters come next, before anything already waiting, as the key's own messages.
	const u32 charMessage = message.message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
	SWindowMessage entry;
	entry.message = charMessage;
	entry.lParam = message.lParam;
	if (character >= 0x10000)
	{
		const u32 offset = character - 0x10000;
		entry.wParam = 0xDC00 + (offset & 0x3FF);
		m_queue.push_front(entry);
		entry.wParam = 0xD800 + (offset >> 10);
	}
	else
		entry.wParam = character;
	m_queue.push_front(entry);
}

LResult CX11Window::dispatchMessage(const SWindowMessage& message)
{
	if (message.message == WM_QUIT)
		return 0;
	return sendMessage(message.message, message.wParam, message.lParam);
}

LResult CX11Window::sendMessage(u32 message, WParam wParam, LParam lParam)
{
	if (m_procedure)
		return m_procedure(this, message, wParam, lParam);
	return defaultProcedure(message, wParam, lParam);
}

LResult CX11Window::defaultProcedure(u32 message, WParam wParam, LParam lParam)
{
	switch (message)
	{
	case WM_SYSCOMMAND:
		switch (wParam & 0xFFF0)
		{
		case SC_CLOSE:
			return sendMessage(WM_CLOSE, 0, 0);
		case SC_MINIMIZE:
			minimize();
			return 0;
		default:
			return 0;
		}
	case WM_CLOSE:
		destroy();
		return 0;
	case WM_SYSKEYDOWN:
		if (wParam == VK_F4 && (lParam & KEY_ALT_HELD))
			return sendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
		return 0;
	case WM_NCHITTEST:
		return HTCLIENT;
	default:
		return 0;
	}
}

void CX11Window::convertEvent(XEvent& event)
{
	if (event.type == MappingNotify)
	{
		XRefreshKeyboardMapping(&event.xmapping);
		findModifierMasks();
		return;
	}
	if (m_destroyed || event.xany.window != m_window)
		return;

	switch (event.type)
	{
	case KeyPress:
	case KeyRelease:
		convertKey(event.xkey, event.type == KeyPress);
		break;
	case ButtonPress:
	case ButtonRelease:
		trackPointer(event.xbutton.x, event.xbutton.y);
		convertButton(event.xbutton, event.type == ButtonPress);
		break;
	case EnterNotify:
	case LeaveNotify:
		trackPointer(event.xcrossing.x, event.xcrossing.y);
		break;
	case MotionNotify:
	{
		// Moves coalesce, as on Windows: only the latest position of a run counts.
		XEvent next;
		while (XPending(m_display) && (XPeekEvent(m_display, &next), next.type == MotionNotify) &&
			next.xmotion.window == m_window)
			XNextEvent(m_display, &event);
		trackPointer(event.xmotion.x, event.xmotion.y);
		queue(WM_MOUSEMOVE, 0, makeLParam(event.xmotion.x, event.xmotion.y));
		break;
	}
	case FocusIn:
	case FocusOut:
		// Grabs of the keyboard (by the window manager) and moves between our own windows are
		// no change of the application's activity.
		if (event.xfocus.mode == NotifyGrab || event.xfocus.mode == NotifyUngrab ||
			event.xfocus.detail == NotifyInferior || event.xfocus.detail == NotifyPointer)
			break;
		convertFocus(event.type == FocusIn);
		break;
	case ConfigureNotify:
	{
		// Moved under a pointer that stood still: the client position is asked for again.
		m_pointerKnown = false;
		const core::dimension2d<s32> size(event.xconfigure.width, event.xconfigure.height);
		if (size == m_clientSize)
			break;
		m_clientSize = size;
		if (m_surface)
			XResizeWindow(m_display, m_surface, static_cast<unsigned>(size.Width), static_cast<unsigned>(size.Height));
		queue(WM_SIZE, SIZE_RESTORED, makeLParam(size.Width, size.Height));
		break;
	}
	case MapNotify:
		m_mapped = true;
		if (m_focusWanted)
			requestFocus();
		if (m_minimized)
		{
			m_minimized = false;
			queue(WM_SIZE, SIZE_RESTORED, makeLParam(m_clientSize.Width, m_clientSize.Height));
		}
		break;
	case UnmapNotify:
		// Unmapped by the window manager or another client: the window is minimised.
		m_mapped = false;
		m_minimized = true;
		m_captured = false; // the server ends a grab whose window is no longer viewable
		queue(WM_SIZE, SIZE_MINIMIZED, 0);
		break;
	case Expose:
		if (event.xexpose.count == 0)
			queue(WM_PAINT, 0, 0);
		break;
	case ClientMessage:
		if (event.xclient.message_type != m_wmProtocols)
			break;
		if (static_cast<Atom>(event.xclient.data.l[0]) == m_wmDeleteWindow)
			queue(WM_SYSCOMMAND, SC_CLOSE, 0);
		else if (static_cast<Atom>(event.xclient.data.l[0]) == m_netWmPing)
		{
			// The window manager asks whether the program still answers.
			event.xclient.window = DefaultRootWindow(m_display);
			XSendEvent(m_display, event.xclient.window, False, SubstructureNotifyMask | SubstructureRedirectMask,
				&event);
		}
		break;
	case DestroyNotify:
		// An external window destroyed by its owner.
		m_destroyed = true;
		m_window = 0;
		sendMessage(WM_DESTROY, 0, 0);
		break;
	default:
		break;
	}
}

void CX11Window::convertKey(XKeyEvent& event, bool press)
{
	KeySym keysym = XkbKeycodeToKeysym(m_display, static_cast<KeyCode>(event.keycode), 0, 0);
	if (isKeypad(keysym))
	{
		// The keypad's keys are digits or editing keys depending on Num Lock.
		char text[8];
		XLookupString(&event, text, sizeof(text), &keysym, nullptr);
	}
	const u32 key = virtualKeyOf(static_cast<u32>(keysym), event.keycode);
	const u32 generic = genericVirtualKey(key);
	const bool wasDown = (m_keyState[generic] & KEY_STATE_DOWN) != 0;

	// The lock keys' toggles as the server had them before this key; a lock key itself flips its own.
	auto setToggle = [this](u32 vk, bool on)
	{ m_keyState[vk] = static_cast<u8>((m_keyState[vk] & ~KEY_STATE_TOGGLED) | (on ? KEY_STATE_TOGGLED : 0)); };
	setToggle(VK_CAPITAL, (event.state & LockMask) != 0);
	setToggle(VK_NUMLOCK, m_numLockMask && (event.state & m_numLockMask) != 0);
	if (press && !wasDown && (key == VK_CAPITAL || key == VK_NUMLOCK))
		m_keyState[key] ^= KEY_STATE_TOGGLED;

	if (key != 0)
	{
		if (press)
		{
			m_keyState[key] |= KEY_STATE_DOWN;
			m_keyState[generic] |= KEY_STATE_DOWN;
		}
		else
		{
			m_keyState[key] &= static_cast<u8>(~KEY_STATE_DOWN);
			// The generic key is up when neither side is down.
			const bool otherSide = generic != key &&
				((m_keyState[generic == VK_SHIFT  ? VK_LSHIFT
						  : generic == VK_CONTROL ? VK_LCONTROL
												  : VK_LMENU] |
					 m_keyState[generic == VK_SHIFT  ? VK_RSHIFT
							 : generic == VK_CONTROL ? VK_RCONTROL
													 : VK_RMENU]) &
					KEY_STATE_DOWN);
			if (!otherSide)
				m_keyState[generic] &= static_cast<u8>(~KEY_STATE_DOWN);
		}
	}

	// Alt without Control (AltGr is both) and F10 make system keys, which only the default
	// procedure looks at.
	const bool alt = (m_keyState[VK_MENU] & KEY_STATE_DOWN) != 0;
	const bool control = (m_keyState[VK_CONTROL] & KEY_STATE_DOWN) != 0;
	const bool system = (alt && !control) || key == VK_F10;
	LParam lParam = 1 | (static_cast<LParam>(event.keycode & 0xFF) << 16);
	if (alt)
		lParam |= KEY_ALT_HELD;
	if (press)
	{
		if (wasDown)
			lParam |= KEY_WAS_DOWN;
		queue(system ? WM_SYSKEYDOWN : WM_KEYDOWN, generic, lParam);
	}
	else
		queue(system ? WM_SYSKEYUP : WM_KEYUP, generic, lParam | KEY_WAS_DOWN | KEY_RELEASED);
}

void CX11Window::convertButton(XButtonEvent& event, bool press)
{
	const LParam point = makeLParam(event.x, event.y);
	switch (event.button)
	{
	case Button1:
		queue(press ? WM_LBUTTONDOWN : WM_LBUTTONUP, 0, point);
		break;
	case Button2:
		queue(press ? WM_MBUTTONDOWN : WM_MBUTTONUP, 0, point);
		break;
	case Button3:
		queue(press ? WM_RBUTTONDOWN : WM_RBUTTONUP, 0, point);
		break;
	case Button4:
	case Button5:
		// One notch a press; the wheel message carries the pointer in screen pixels.
		if (press)
		{
			const s32 delta = event.button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA;
			queue(WM_MOUSEWHEEL, makeWParam(0, static_cast<u32>(static_cast<u16>(delta))),
				makeLParam(event.x_root, event.y_root));
		}
		break;
	default:
		break;
	}
}

void CX11Window::convertFocus(bool focused)
{
	if (focused == m_focused)
		return;
	m_focused = focused;
	const WParam minimised = m_minimized ? 1 : 0;
	if (focused)
	{
		queue(WM_ACTIVATEAPP, 1, 0);
		queue(WM_ACTIVATE, makeWParam(WA_ACTIVE, static_cast<u32>(minimised)), 0);
	}
	else
	{
		// Keys released elsewhere never come back to us.
		std::memset(m_keyState, 0, sizeof(m_keyState));
		queue(WM_ACTIVATE, makeWParam(WA_INACTIVE, static_cast<u32>(minimised)), 0);
		queue(WM_ACTIVATEAPP, 0, 0);
	}
}

void CX11Window::setCapture()
{
	if (!m_window || m_destroyed)
		return;
	const int result = XGrabPointer(m_display, m_window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
		GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
	m_captured = result == GrabSuccess;
	XFlush(m_display);
}

void CX11Window::releaseCapture()
{
	if (!m_captured)
		return;
	m_captured = false;
	XUngrabPointer(m_display, CurrentTime);
	XFlush(m_display);
}

void CX11Window::readKeyboardState(u8 state[256])
{
	std::memcpy(state, m_keyState, sizeof(m_keyState));
}

u32 CX11Window::modifierMaskOf(const u8 state[256]) const
{
	u32 mask = 0;
	if (state[VK_SHIFT] & KEY_STATE_DOWN)
		mask |= ShiftMask;
	if (state[VK_CONTROL] & KEY_STATE_DOWN)
		mask |= ControlMask;
	if (state[VK_CAPITAL] & KEY_STATE_TOGGLED)
		mask |= LockMask;
	if (state[VK_NUMLOCK] & KEY_STATE_TOGGLED)
		mask |= m_numLockMask;
	if (state[VK_LMENU] & KEY_STATE_DOWN)
		mask |= m_altMask;
	if (state[VK_RMENU] & KEY_STATE_DOWN)
		mask |= m_level3Mask ? m_level3Mask : m_altMask;
	return mask;
}

u32 CX11Window::characterOf(u32 keycode, const u8 state[256]) const
{
	if (keycode < 8)
		return 0;
	XKeyEvent event = {};
	event.type = KeyPress;
	event.display = m_display;
	event.keycode = keycode;
	event.state = modifierMaskOf(state);
	KeySym keysym = NoSymbol;
	char text[16];
	XLookupString(&event, text, sizeof(text), &keysym, nullptr);
	return characterOfKeysym(static_cast<u32>(keysym), (state[VK_CONTROL] & KEY_STATE_DOWN) != 0);
}

u16 CX11Window::translateKey(u32, LParam lParam, const u8 state[256])
{
	const u32 character = characterOf((static_cast<u32>(lParam) >> 16) & 0xFF, state);
	// One unit only: a character beyond the first plane comes as a pair of character messages.
	return character < 0x10000 && (character < 0xD800 || character > 0xDFFF) ? static_cast<u16>(character) : 0;
}

bool CX11Window::getClientOrigin(core::position2d<s32>& origin)
{
	if (!m_window)
		return false;
	int x = 0;
	int y = 0;
	Window child;
	if (!XTranslateCoordinates(m_display, m_window, DefaultRootWindow(m_display), 0, 0, &x, &y, &child))
		return false;
	origin = core::position2d<s32>(x, y);
	return true;
}

bool CX11Window::getWindowRect(core::rect<s32>& rect)
{
	core::position2d<s32> origin;
	if (!getClientOrigin(origin))
		return false;
	rect = core::rect<s32>(origin, m_clientSize);
	return true;
}

core::dimension2d<s32> CX11Window::getClientSize()
{
	XWindowAttributes attributes;
	if (m_window && XGetWindowAttributes(m_display, m_window, &attributes))
		return core::dimension2d<s32>(attributes.width, attributes.height);
	return m_clientSize;
}

core::dimension2d<s32> CX11Window::getScreenSize()
{
	const int screen = DefaultScreen(m_display);
	return core::dimension2d<s32>(DisplayWidth(m_display, screen), DisplayHeight(m_display, screen));
}

s32 CX11Window::getScreenDepth()
{
	return DefaultDepth(m_display, DefaultScreen(m_display));
}

void CX11Window::place(const core::rect<s32>& client)
{
	if (!m_window || m_destroyed)
		return;
	const s32 width = client.getWidth() > 0 ? client.getWidth() : 1;
	const s32 height = client.getHeight() > 0 ? client.getHeight() : 1;
	m_clientSize = core::dimension2d<s32>(width, height);
	updateSizeHints();
	if (!m_external)
		XMoveResizeWindow(m_display, m_window, client.UpperLeftCorner.X, client.UpperLeftCorner.Y,
			static_cast<unsigned>(width), static_cast<unsigned>(height));
	if (m_surface)
		XResizeWindow(m_display, m_surface, static_cast<unsigned>(width), static_cast<unsigned>(height));
	if (!m_external)
		XMapRaised(m_display, m_window);
	XFlush(m_display);
}

void CX11Window::updateSizeHints()
{
	if (m_external)
		return;
	XSizeHints* hints = XAllocSizeHints();
	if (!hints)
		return;
	// The position is the program's choice (centred), which window managers otherwise ignore.
	hints->flags = PPosition | USPosition;
	if (!m_resizable)
	{
		hints->flags |= PMinSize | PMaxSize;
		hints->min_width = hints->max_width = m_clientSize.Width;
		hints->min_height = hints->max_height = m_clientSize.Height;
	}
	XSetWMNormalHints(m_display, m_window, hints);
	XFree(hints);
}

void CX11Window::setFullScreen(bool fullScreen)
{
	m_fullScreen = fullScreen;
	if (!m_window || m_external || m_destroyed)
		return;
	if (!m_mapped)
	{
		if (fullScreen)
			XChangeProperty(m_display, m_window, m_netWmState, XA_ATOM, 32, PropModeReplace,
				reinterpret_cast<unsigned char*>(&m_netWmStateFullScreen), 1);
		else
			XDeleteProperty(m_display, m_window, m_netWmState);
	}
	else
	{
		XEvent event = {};
		event.xclient.type = ClientMessage;
		event.xclient.window = m_window;
		event.xclient.message_type = m_netWmState;
		event.xclient.format = 32;
		event.xclient.data.l[0] = fullScreen ? NET_WM_STATE_ADD : NET_WM_STATE_REMOVE;
		event.xclient.data.l[1] = static_cast<long>(m_netWmStateFullScreen);
		event.xclient.data.l[3] = 1;
		XSendEvent(m_display, DefaultRootWindow(m_display), False, SubstructureRedirectMask | SubstructureNotifyMask,
			&event);
	}
	XFlush(m_display);
}

void CX11Window::setResizable(bool resizable)
{
	m_resizable = resizable;
	if (m_window && !m_destroyed)
	{
		updateSizeHints();
		XFlush(m_display);
	}
}

void CX11Window::setCaption(const wchar_t* caption)
{
	if (!m_window || m_destroyed)
		return;
	const std::string utf8 = utf8Of(caption);
	XChangeProperty(m_display, m_window, m_netWmName, m_utf8String, 8, PropModeReplace,
		reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
	XStoreName(m_display, m_window, latin1Of(caption).c_str());
	XFlush(m_display);
}

void CX11Window::setIcon(const core::array<SIconImage>& images)
{
	if (!m_window || m_destroyed || m_external)
		return;
	if (images.empty())
	{
		XDeleteProperty(m_display, m_window, m_netWmIcon);
		XFlush(m_display);
		return;
	}
	// Width, height, then the pixels of each image; 32-bit items travel as longs in Xlib.
	std::vector<unsigned long> data;
	for (u32 i = 0; i < images.size(); ++i)
	{
		const SIconImage& image = images[i];
		if (image.Size.Width <= 0 || image.Size.Height <= 0 ||
			image.Pixels.size() != static_cast<u32>(image.Size.Width * image.Size.Height))
			continue;
		data.push_back(static_cast<unsigned long>(image.Size.Width));
		data.push_back(static_cast<unsigned long>(image.Size.Height));
		for (u32 p = 0; p < image.Pixels.size(); ++p)
			data.push_back(image.Pixels[p]);
	}
	if (data.empty())
		return;
	XChangeProperty(m_display, m_window, m_netWmIcon, XA_CARDINAL, 32, PropModeReplace,
		reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
	XFlush(m_display);
}

void CX11Window::minimize()
{
	if (m_window && !m_external && !m_destroyed)
	{
		XIconifyWindow(m_display, m_window, DefaultScreen(m_display));
		XFlush(m_display);
	}
}

bool CX11Window::isFocused()
{
	Window focus = 0;
	int revert = 0;
	XGetInputFocus(m_display, &focus, &revert);
	return m_window && (focus == m_window || (m_surface && focus == m_surface));
}

void CX11Window::activate()
{
	if (!m_window || m_destroyed)
		return;
	if (m_mapped)
		requestFocus();
	else
		m_focusWanted = true;
}

void CX11Window::requestFocus()
{
	m_focusWanted = false;
	setWindowActive(m_display, m_window);
	XFlush(m_display);
}

void CX11Window::destroy()
{
	if (m_destroyed || !m_window)
		return;
	releaseCapture();
	m_destroyed = true;
	// The window leaves the screen now; the X window itself goes with this object, after the
	// driver that draws into its surface.
	if (!m_external)
		XUnmapWindow(m_display, m_window);
	XFlush(m_display);
	sendMessage(WM_DESTROY, 0, 0);
}

WindowId CX11Window::createSurface(const SSurfaceFormat& format)
{
	destroySurface();
	if (!m_window || m_destroyed)
		return 0;
	const int screen = DefaultScreen(m_display);
	int errorBase = 0;
	int eventBase = 0;
	if (!glXQueryExtension(m_display, &errorBase, &eventBase))
	{
		logError("The X display has no OpenGL (GLX).");
		return 0;
	}

	// The attributes and the order of the fallbacks are the engine's: its driver then picks the
	// same configuration, whose visual must be the surface's.
	const bool multisample = format.AntiAlias >= 2;
	int attributes[] = {GLX_RENDER_TYPE, GLX_RGBA_BIT, GLX_RED_SIZE, 4, GLX_GREEN_SIZE, 4, GLX_BLUE_SIZE, 4,
		GLX_ALPHA_SIZE, format.WithAlphaChannel ? 1 : 0, GLX_DEPTH_SIZE, format.DepthBits, GLX_DOUBLEBUFFER,
		format.Doublebuffer ? True : False, GLX_STENCIL_SIZE, format.StencilBuffer ? 1 : 0, GLX_SAMPLE_BUFFERS,
		multisample ? 1 : 0, GLX_SAMPLES, multisample ? format.AntiAlias : 0, GLX_STEREO,
		format.Stereobuffer ? True : False, None};
	const int STENCIL_VALUE = 15;
	const int SAMPLE_BUFFERS_VALUE = 17;
	const int SAMPLES_VALUE = 19;
	int count = 0;
	GLXFBConfig* configs = glXChooseFBConfig(m_display, screen, attributes, &count);
	if (!configs && format.AntiAlias)
	{
		while (!configs && attributes[SAMPLES_VALUE] > 1)
		{
			--attributes[SAMPLES_VALUE];
			configs = glXChooseFBConfig(m_display, screen, attributes, &count);
		}
		if (!configs)
		{
			attributes[SAMPLE_BUFFERS_VALUE] = 0;
			attributes[SAMPLES_VALUE] = 0;
			configs = glXChooseFBConfig(m_display, screen, attributes, &count);
			if (!configs)
			{
				attributes[SAMPLE_BUFFERS_VALUE] = 1;
				attributes[SAMPLES_VALUE] = format.AntiAlias;
			}
		}
	}
	if (!configs)
	{
		attributes[STENCIL_VALUE] = format.StencilBuffer ? 0 : 1;
		configs = glXChooseFBConfig(m_display, screen, attributes, &count);
	}
	if (!configs || count < 1)
	{
		if (configs)
			XFree(configs);
		logError("No OpenGL configuration of the display has the buffers asked for.");
		return 0;
	}
	XVisualInfo* visual = glXGetVisualFromFBConfig(m_display, configs[0]);
	XFree(configs);
	if (!visual)
	{
		logError("No OpenGL configuration of the display has the buffers asked for.");
		return 0;
	}

	m_surfaceColormap = XCreateColormap(m_display, m_window, visual->visual, AllocNone);
	XSetWindowAttributes surfaceAttributes = {};
	surfaceAttributes.colormap = m_surfaceColormap;
	surfaceAttributes.background_pixmap = None;
	surfaceAttributes.border_pixel = 0;
	// It selects no input: its events go on to the window.
	m_surface = XCreateWindow(m_display, m_window, 0, 0, static_cast<unsigned>(m_clientSize.Width),
		static_cast<unsigned>(m_clientSize.Height), 0, visual->depth, InputOutput, visual->visual,
		CWColormap | CWBackPixmap | CWBorderPixel, &surfaceAttributes);
	XFree(visual);
	if (!m_surface)
	{
		XFreeColormap(m_display, m_surfaceColormap);
		m_surfaceColormap = 0;
		logError("Can't create the OpenGL surface of the window.");
		return 0;
	}
	XMapWindow(m_display, m_surface);
	XSync(m_display, False);
	return m_surface;
}

void CX11Window::destroySurface()
{
	if (m_surface)
		XDestroyWindow(m_display, m_surface);
	if (m_surfaceColormap)
		XFreeColormap(m_display, m_surfaceColormap);
	m_surface = 0;
	m_surfaceColormap = 0;
	XSync(m_display, False);
}

bool CX11Window::getCursorPosition(core::position2d<s32>& position)
{
	Window root;
	Window child;
	int rootX = 0;
	int rootY = 0;
	int x = 0;
	int y = 0;
	unsigned int mask = 0;
	if (!XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY, &x, &y, &mask))
		return false;
	position = core::position2d<s32>(rootX, rootY);
	return true;
}

bool CX11Window::getTrackedCursorPosition(core::position2d<s32>& client)
{
	if (!m_pointerKnown)
	{
		if (!m_window || m_destroyed)
			return false;
		Window root;
		Window child;
		int rootX = 0;
		int rootY = 0;
		int x = 0;
		int y = 0;
		unsigned int mask = 0;
		// False when the pointer is on another screen.
		if (!XQueryPointer(m_display, m_window, &root, &child, &rootX, &rootY, &x, &y, &mask))
			return false;
		trackPointer(x, y);
	}
	client = m_pointer;
	return true;
}

void CX11Window::setCursorPosition(const core::position2d<s32>& position)
{
	XWarpPointer(m_display, None, DefaultRootWindow(m_display), 0, 0, 0, 0, position.X, position.Y);
	XFlush(m_display);
	// A warp outside the window sends it no event.
	m_pointerKnown = false;
}

void CX11Window::defineCursor()
{
	if (!m_window || m_destroyed)
		return;
	if (!m_cursorShown)
	{
		if (!m_blankCursor)
		{
			// One transparent pixel.
			char none = 0;
			Pixmap pixmap = XCreateBitmapFromData(m_display, m_window, &none, 1, 1);
			XColor black = {};
			m_blankCursor = XCreatePixmapCursor(m_display, pixmap, pixmap, &black, &black, 0, 0);
			XFreePixmap(m_display, pixmap);
		}
		XDefineCursor(m_display, m_window, m_blankCursor);
	}
	else if (m_imageCursor)
		XDefineCursor(m_display, m_window, m_imageCursor);
	else
	{
		if (!m_arrowCursor)
		{
			m_arrowCursor = XcursorLibraryLoadCursor(m_display, "left_ptr");
			if (!m_arrowCursor)
				m_arrowCursor = XCreateFontCursor(m_display, XC_left_ptr);
		}
		XDefineCursor(m_display, m_window, m_arrowCursor);
	}
	XFlush(m_display);
}

void CX11Window::showCursor(bool show)
{
	m_cursorShown = show;
	defineCursor();
}

bool CX11Window::setCursorImage(const u32* pixels, s32 width, s32 height, s32 hotSpotX, s32 hotSpotY)
{
	const s32 MAX_CURSOR_SIDE = 256;
	if (!pixels || width <= 0 || height <= 0 || width > MAX_CURSOR_SIDE || height > MAX_CURSOR_SIDE)
		return false;
	XcursorImage* image = XcursorImageCreate(width, height);
	if (!image)
		return false;
	image->xhot = static_cast<XcursorDim>(core::clamp(hotSpotX, 0, width - 1));
	image->yhot = static_cast<XcursorDim>(core::clamp(hotSpotY, 0, height - 1));
	// The cursor wants its colours multiplied by alpha.
	for (s32 i = 0; i < width * height; ++i)
	{
		const u32 argb = pixels[i];
		const u32 alpha = argb >> 24;
		const u32 red = ((argb >> 16) & 0xFF) * alpha / 255;
		const u32 green = ((argb >> 8) & 0xFF) * alpha / 255;
		const u32 blue = (argb & 0xFF) * alpha / 255;
		image->pixels[i] = (alpha << 24) | (red << 16) | (green << 8) | blue;
	}
	const Cursor cursor = XcursorImageLoadCursor(m_display, image);
	XcursorImageDestroy(image);
	if (!cursor)
		return false;
	// The old cursor stays valid until the new one stands in its place.
	const Cursor old = m_imageCursor;
	m_imageCursor = cursor;
	defineCursor();
	if (old)
		XFreeCursor(m_display, old);
	return true;
}

void CX11Window::setDefaultCursor()
{
	const Cursor old = m_imageCursor;
	m_imageCursor = 0;
	defineCursor();
	if (old)
		XFreeCursor(m_display, old);
}
} // namespace os
} // namespace fw
