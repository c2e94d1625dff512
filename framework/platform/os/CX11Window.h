#pragma once

#include "platform/os/IWindow.h"

#include <X11/Xlib.h>

#include <deque>

namespace fw
{
namespace os
{
// A top-level X window on a display connection of its own. The OpenGL driver draws into a child
// window (the surface) made for each driver with the visual the driver asks for, so that a new
// driver with other buffers never needs a new top-level window.
class CX11Window : public IWindow
{
public:
	// Null, after a log line, when there is no display or no window.
	static CX11Window* create(const SWindowDescription& description, WindowProcedure procedure);
	~CX11Window() override;

	WindowId getId() const override { return m_window; }
	bool isExternal() const override { return m_external; }

	bool peekMessage(SWindowMessage& message) override;
	bool waitMessage(SWindowMessage& message) override;
	void translateMessage(const SWindowMessage& message) override;
	LResult dispatchMessage(const SWindowMessage& message) override;
	void postQuitMessage(s32 exitCode) override;
	bool hasWaitingMessages() override;
	s32 getMessageDescriptor() override { return ConnectionNumber(m_display); }
	void removeQuitMessages() override;
	LResult defaultProcedure(u32 message, WParam wParam, LParam lParam) override;

	void setCapture() override;
	void releaseCapture() override;
	bool hasCapture() const override { return m_captured; }

	void readKeyboardState(u8 state[256]) override;
	u16 translateKey(u32 virtualKey, LParam lParam, const u8 state[256]) override;

	bool getClientOrigin(core::position2d<s32>& origin) override;
	bool getWindowRect(core::rect<s32>& rect) override;
	core::dimension2d<s32> getClientSize() override;
	core::dimension2d<s32> getScreenSize() override;
	s32 getScreenDepth() override;
	void place(const core::rect<s32>& client) override;

	void setFullScreen(bool fullScreen) override;
	void setResizable(bool resizable) override;
	void setCaption(const wchar_t* caption) override;
	bool isMinimized() override { return m_minimized; }
	void minimize() override;
	bool isFocused() override;
	void activate() override;
	void destroy() override;

	WindowId createSurface(const SSurfaceFormat& format) override;
	void destroySurface() override;

	// Those of the display the window is on.
	bool getDisplayModes(core::array<SDisplayMode>& modes, SDisplayMode& current) override
	{
		return os::getDisplayModes(DisplayString(m_display), modes, current);
	}
	bool switchDisplayMode(const core::dimension2d<s32>& size) override
	{
		return os::switchDisplayMode(DisplayString(m_display), size);
	}
	void restoreDisplayMode() override { os::restoreDisplayMode(DisplayString(m_display)); }
	void restoreGammaRamps() override { os::restoreGammaRamps(DisplayString(m_display)); }
	u32 getGammaRampSize() override { return os::getGammaRampSize(DisplayString(m_display)); }
	bool setGammaRamps(const u16* red, const u16* green, const u16* blue, u32 size) override
	{
		return os::setGammaRamps(DisplayString(m_display), red, green, blue, size);
	}
	bool getGammaRamps(u16* red, u16* green, u16* blue, u32 size) override
	{
		return os::getGammaRamps(DisplayString(m_display), red, green, blue, size);
	}
	void setIcon(const core::array<SIconImage>& images) override;

	bool getCursorPosition(core::position2d<s32>& position) override;
	bool getTrackedCursorPosition(core::position2d<s32>& client) override;
	void setCursorPosition(const core::position2d<s32>& position) override;
	void showCursor(bool show) override;
	bool setCursorImage(const u32* pixels, s32 width, s32 height, s32 hotSpotX, s32 hotSpotY) override;
	void setDefaultCursor() override;

	Display* getDisplay() const { return m_display; }

private:
	CX11Window(Display* display, WindowProcedure procedure);
	bool make(const SWindowDescription& description);
	bool attach(WindowId window);

	// Turns one X event into the messages it stands for, appended to the queue.
	void convertEvent(XEvent& event);
	void convertKey(XKeyEvent& event, bool press);
	void convertButton(XButtonEvent& event, bool press);
	void convertFocus(bool focused);
	void queue(u32 message, WParam wParam, LParam lParam);
	void trackPointer(s32 x, s32 y);
	bool takeQueued(SWindowMessage& message);
	LResult sendMessage(u32 message, WParam wParam, LParam lParam);

	u32 modifierMaskOf(const u8 state[256]) const;
	u32 characterOf(u32 keycode, const u8 state[256]) const;
	void findModifierMasks();
	void updateSizeHints();
	void defineCursor();
	void requestFocus();

	Display* m_display;
	WindowProcedure m_procedure;
	Window m_window = 0;
	Window m_surface = 0;
	Colormap m_surfaceColormap = 0;
	bool m_external = false;
	bool m_destroyed = false;

	std::deque<SWindowMessage> m_queue;
	u8 m_keyState[256] = {};
	u32 m_numLockMask = 0;
	u32 m_altMask = 0;
	u32 m_level3Mask = 0;

	core::dimension2d<s32> m_clientSize;
	bool m_fullScreen = false;
	bool m_resizable = false;
	bool m_mapped = false;
	bool m_minimized = false;
	bool m_focused = false;
	bool m_focusWanted = false;
	bool m_captured = false;

	// The pointer in client pixels as the last pointer or crossing event gave it.
	core::position2d<s32> m_pointer;
	bool m_pointerKnown = false;

	Cursor m_blankCursor = 0;
	Cursor m_arrowCursor = 0;
	Cursor m_imageCursor = 0;
	bool m_cursorShown = true;

	Atom m_wmProtocols;
	Atom m_wmDeleteWindow;
	Atom m_netWmPing;
	Atom m_netWmState;
	Atom m_netWmStateFullScreen;
	Atom m_netActiveWindow;
	Atom m_netWmName;
	Atom m_netWmIcon;
	Atom m_utf8String;
};
} // namespace os
} // namespace fw
