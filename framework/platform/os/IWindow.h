#pragma once

#include "platform/os/DisplayModes.h"
#include "platform/os/WindowMessages.h"

#include <dimension2d.h>
#include <position2d.h>
#include <rect.h>

struct _XDisplay;

namespace fw
{
namespace os
{
class IWindow;

// The system's id of a window (an X window).
typedef u64 WindowId;

// Called for every message dispatched to a window, and by the window itself for the messages it
// sends directly (WM_DESTROY while it is destroyed).
typedef LResult (*WindowProcedure)(IWindow* window, u32 message, WParam wParam, LParam lParam);

// What the OpenGL surface inside the window must offer; chosen the way the engine's OpenGL
// driver chooses its own, so that the driver accepts the surface.
struct SSurfaceFormat
{
	u8 DepthBits = 16;
	bool StencilBuffer = false;
	bool Doublebuffer = true;
	bool WithAlphaChannel = false;
	bool Stereobuffer = false;
	u8 AntiAlias = 0;
};

// One size of a window's icon.
struct SIconImage
{
	core::dimension2d<s32> Size;
	core::array<u32> Pixels; // ARGB, row after row
};

// How a window is made.
struct SWindowDescription
{
	// Also the window's class, as the desktop groups windows by it.
	core::stringw Caption;
	// Client size.
	core::dimension2d<s32> Size = core::dimension2d<s32>(800, 600);
	bool FullScreen = false;
	// Draw into this window instead of making one; it is neither styled nor destroyed.
	WindowId ExistingWindow = 0;
};

// A top-level window of the desktop and the message queue of the thread that made it. The
// messages mirror what the window procedure expects of a desktop window: keys with virtual-key
// codes and the key code in bits 16 to 23 of lParam, mouse positions in client pixels, WM_SIZE
// for minimising, restoring and resizing, activation, WM_SYSCOMMAND/SC_CLOSE for a close request,
// WM_DESTROY when the window goes, and WM_QUIT at the end.
class IWindow : public virtual IReferenceCounted
{
public:
	virtual WindowId getId() const = 0;
	// The window came from SWindowDescription::ExistingWindow.
	virtual bool isExternal() const = 0;

	// Messages. peekMessage takes one waiting message without blocking; waitMessage blocks for
	// one and answers false when it is WM_QUIT. translateMessage queues the character messages of
	// a key; dispatchMessage calls the window procedure.
	virtual bool peekMessage(SWindowMessage& message) = 0;
	virtual bool waitMessage(SWindowMessage& message) = 0;
	virtual void translateMessage(const SWindowMessage& message) = 0;
	virtual LResult dispatchMessage(const SWindowMessage& message) = 0;
	virtual void postQuitMessage(s32 exitCode) = 0;
	// A message can be taken without waiting for the system: one is queued, or has been read
	// from the system already. Sends what the window has buffered for the system first, so that
	// its answers can come while the caller waits.
	virtual bool hasWaitingMessages() = 0;
	// What to wait on for new messages from the system: a descriptor that becomes readable when
	// they arrive; -1 when there is none.
	virtual s32 getMessageDescriptor() = 0;
	// Takes waiting quit messages out of the queue.
	virtual void removeQuitMessages() = 0;
	// What the system does with a message the procedure leaves to it: a close request destroys
	// the window, Alt+F4 asks to close.
	virtual LResult defaultProcedure(u32 message, WParam wParam, LParam lParam) = 0;

	// Mouse capture: pointer messages keep coming to the window while the pointer is outside.
	virtual void setCapture() = 0;
	virtual void releaseCapture() = 0;
	virtual bool hasCapture() const = 0;

	// The state of every virtual key as of the message being handled.
	virtual void readKeyboardState(u8 state[256]) = 0;
	// The UTF-16 unit a key types with the given state; 0 when none.
	virtual u16 translateKey(u32 virtualKey, LParam lParam, const u8 state[256]) = 0;

	// Geometry in screen pixels. The outer rectangle is the window's own; the frame the desktop
	// draws around it is not the window's, so the client area starts at its corner.
	virtual bool getClientOrigin(core::position2d<s32>& origin) = 0;
	virtual bool getWindowRect(core::rect<s32>& rect) = 0;
	virtual core::dimension2d<s32> getClientSize() = 0;
	virtual core::dimension2d<s32> getScreenSize() = 0;
	// Bits per pixel of the screen.
	virtual s32 getScreenDepth() = 0;
	// Moves and sizes the client area, shows the window and takes it to the front.
	virtual void place(const core::rect<s32>& client) = 0;

	virtual void setFullScreen(bool fullScreen) = 0;
	virtual void setResizable(bool resizable) = 0;
	virtual void setCaption(const wchar_t* caption) = 0;
	virtual bool isMinimized() = 0;
	virtual void minimize() = 0;
	virtual bool isFocused() = 0;
	// Makes the window the active one and gives it the keyboard.
	virtual void activate() = 0;
	// Sends WM_DESTROY to the procedure and closes the window.
	virtual void destroy() = 0;

	// The OpenGL surface that fills the client area: a new one for every driver; its id, or 0.
	virtual WindowId createSurface(const SSurfaceFormat& format) = 0;
	virtual void destroySurface() = 0;

	// The screen's display modes and gamma ramps (DisplayModes.h).
	virtual bool getDisplayModes(core::array<SDisplayMode>& modes, SDisplayMode& current) = 0;
	virtual bool switchDisplayMode(const core::dimension2d<s32>& size) = 0;
	virtual void restoreDisplayMode() = 0;
	virtual void restoreGammaRamps() = 0;
	virtual u32 getGammaRampSize() = 0;
	virtual bool setGammaRamps(const u16* red, const u16* green, const u16* blue, u32 size) = 0;
	virtual bool getGammaRamps(u16* red, u16* green, u16* blue, u32 size) = 0;
	// The icon the desktop shows for the window: images of 32-bit ARGB pixels, row after row,
	// largest first; none takes the icon away.
	virtual void setIcon(const core::array<SIconImage>& images) = 0;

	// The pointer, in screen pixels.
	virtual bool getCursorPosition(core::position2d<s32>& position) = 0;
	// The pointer in client pixels as the window's own pointer and crossing messages last placed
	// it; the system is asked only when they have not told it yet (after the window was made,
	// moved, or the pointer warped). False when it cannot be told.
	virtual bool getTrackedCursorPosition(core::position2d<s32>& client) = 0;
	virtual void setCursorPosition(const core::position2d<s32>& position) = 0;
	virtual void showCursor(bool show) = 0;
	// 32-bit ARGB pixels, row after row; false when the cursor could not be made.
	virtual bool setCursorImage(const u32* pixels, s32 width, s32 height, s32 hotSpotX, s32 hotSpotY) = 0;
	virtual void setDefaultCursor() = 0;
};

// A window of the X server named by $DISPLAY; null, after a log line, when there is no display
// or the window cannot be made.
IWindow* createWindow(const SWindowDescription& description, WindowProcedure procedure);

// Brings another program's window to the front, restoring it when minimised, and gives it the
// keyboard; false when there is no display or no such window.
bool raiseWindow(WindowId window);

// A connection to the named X server (null: the one named by $DISPLAY), tried again when the
// server resets it; null when there is none. Closed with closeDisplay.
_XDisplay* openDisplay(const char* name = nullptr);

// X errors are logged and never end the process. Libraries that set a handler of their own
// (the engine does, for each driver) replace this one: call it again after them.
void installDisplayErrorHandler();

// Closes a display connection that a library opened and left open.
void closeDisplay(void* display);

// The size and colour depth of the screen; false when there is no display.
bool getDesktopMode(core::dimension2d<s32>& size, s32& depth);
} // namespace os
} // namespace fw
