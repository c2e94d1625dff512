#pragma once

// The desktop messages the window procedure handles, numbered as on Windows so that the procedure
// above this layer reads the same on every system. Only the values in use are defined.

#include "core/CoreTypes.h"

#include <cstdint>

namespace fw
{
namespace os
{
typedef std::uintptr_t WParam;
typedef std::intptr_t LParam;
typedef std::intptr_t LResult;

enum EWindowMessage : u32
{
	WM_DESTROY = 0x0002,
	WM_SIZE = 0x0005,
	WM_ACTIVATE = 0x0006,
	WM_PAINT = 0x000F,
	WM_CLOSE = 0x0010,
	WM_QUIT = 0x0012,
	WM_ERASEBKGND = 0x0014,
	WM_ACTIVATEAPP = 0x001C,
	WM_NCHITTEST = 0x0084,
	WM_KEYDOWN = 0x0100,
	WM_KEYUP = 0x0101,
	WM_CHAR = 0x0102,
	WM_SYSKEYDOWN = 0x0104,
	WM_SYSKEYUP = 0x0105,
	WM_SYSCHAR = 0x0106,
	WM_SYSCOMMAND = 0x0112,
	WM_MOUSEMOVE = 0x0200,
	WM_LBUTTONDOWN = 0x0201,
	WM_LBUTTONUP = 0x0202,
	WM_RBUTTONDOWN = 0x0204,
	WM_RBUTTONUP = 0x0205,
	WM_MBUTTONDOWN = 0x0207,
	WM_MBUTTONUP = 0x0208,
	WM_MOUSEWHEEL = 0x020A
};

// WM_SIZE: wParam.
enum ESizeType : u32
{
	SIZE_RESTORED = 0,
	SIZE_MINIMIZED = 1,
	SIZE_MAXIMIZED = 2,
	SIZE_MAXSHOW = 3,
	SIZE_MAXHIDE = 4
};

// WM_ACTIVATE: the low word of wParam.
enum EActivation : u32
{
	WA_INACTIVE = 0,
	WA_ACTIVE = 1,
	WA_CLICKACTIVE = 2
};

// WM_SYSCOMMAND: wParam with its low four bits cleared.
enum ESystemCommand : u32
{
	SC_SIZE = 0xF000,
	SC_MOVE = 0xF010,
	SC_MINIMIZE = 0xF020,
	SC_MAXIMIZE = 0xF030,
	SC_CLOSE = 0xF060,
	SC_KEYMENU = 0xF100,
	SC_SCREENSAVE = 0xF140,
	SC_MONITORPOWER = 0xF170
};

// WM_NCHITTEST: the point is in the client area.
const LResult HTCLIENT = 1;
// One notch of a wheel, in WM_MOUSEWHEEL's high word of wParam.
const s32 WHEEL_DELTA = 120;

struct SWindowMessage
{
	u32 message = 0;
	WParam wParam = 0;
	LParam lParam = 0;
};

inline u16 lowWord(std::uintptr_t value)
{
	return static_cast<u16>(value & 0xFFFF);
}

inline u16 highWord(std::uintptr_t value)
{
	return static_cast<u16>((value >> 16) & 0xFFFF);
}

// Two 16-bit halves, as the mouse messages and WM_SIZE carry them.
inline LParam makeLParam(s32 low, s32 high)
{
	return static_cast<LParam>(
		static_cast<u32>(static_cast<u16>(low)) | (static_cast<u32>(static_cast<u16>(high)) << 16));
}

inline WParam makeWParam(u32 low, u32 high)
{
	return static_cast<WParam>((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}

// The signed x and y of a mouse message: negative left of or above the client area while the
// mouse is captured.
inline s32 pointX(LParam lParam)
{
	return static_cast<s16>(lowWord(static_cast<std::uintptr_t>(lParam)));
}

inline s32 pointY(LParam lParam)
{
	return static_cast<s16>(highWord(static_cast<std::uintptr_t>(lParam)));
}
} // namespace os
} // namespace fw
