#pragma once

// Virtual-key codes, numbered as on Windows, and the translation of X key symbols into them and
// into characters.

#include "core/CoreTypes.h"

namespace fw
{
namespace os
{
enum EVirtualKey : u32
{
	VK_LBUTTON = 0x01,
	VK_RBUTTON = 0x02,
	VK_CANCEL = 0x03,
	VK_MBUTTON = 0x04,
	VK_BACK = 0x08,
	VK_TAB = 0x09,
	VK_CLEAR = 0x0C,
	VK_RETURN = 0x0D,
	VK_SHIFT = 0x10,
	VK_CONTROL = 0x11,
	VK_MENU = 0x12,
	VK_PAUSE = 0x13,
	VK_CAPITAL = 0x14,
	VK_ESCAPE = 0x1B,
	VK_SPACE = 0x20,
	VK_PRIOR = 0x21,
	VK_NEXT = 0x22,
	VK_END = 0x23,
	VK_HOME = 0x24,
	VK_LEFT = 0x25,
	VK_UP = 0x26,
	VK_RIGHT = 0x27,
	VK_DOWN = 0x28,
	VK_SELECT = 0x29,
	VK_PRINT = 0x2A,
	VK_EXECUTE = 0x2B,
	VK_SNAPSHOT = 0x2C,
	VK_INSERT = 0x2D,
	VK_DELETE = 0x2E,
	VK_HELP = 0x2F,
	// '0'..'9' and 'A'..'Z' are their ASCII codes.
	VK_LWIN = 0x5B,
	VK_RWIN = 0x5C,
	VK_APPS = 0x5D,
	VK_NUMPAD0 = 0x60,
	VK_MULTIPLY = 0x6A,
	VK_ADD = 0x6B,
	VK_SEPARATOR = 0x6C,
	VK_SUBTRACT = 0x6D,
	VK_DECIMAL = 0x6E,
	VK_DIVIDE = 0x6F,
	VK_F1 = 0x70,
	VK_F4 = 0x73,
	VK_F10 = 0x79,
	VK_F24 = 0x87,
	VK_NUMLOCK = 0x90,
	VK_SCROLL = 0x91,
	VK_LSHIFT = 0xA0,
	VK_RSHIFT = 0xA1,
	VK_LCONTROL = 0xA2,
	VK_RCONTROL = 0xA3,
	VK_LMENU = 0xA4,
	VK_RMENU = 0xA5,
	VK_OEM_1 = 0xBA,      // ;:
	VK_OEM_PLUS = 0xBB,   // =+
	VK_OEM_COMMA = 0xBC,  // ,<
	VK_OEM_MINUS = 0xBD,  // -_
	VK_OEM_PERIOD = 0xBE, // .>
	VK_OEM_2 = 0xBF,      // /?
	VK_OEM_3 = 0xC0,      // `~
	VK_OEM_4 = 0xDB,      // [{
	VK_OEM_5 = 0xDC,      // \|
	VK_OEM_6 = 0xDD,      // ]}
	VK_OEM_7 = 0xDE,      // '"
	VK_OEM_102 = 0xE2     // the extra key of 105-key keyboards
};

// The keyboard state the window procedure reads: one byte per virtual key, top bit down, low bit
// toggled (Caps Lock, Num Lock).
const u32 KEYBOARD_STATE_SIZE = 256;
const u8 KEY_STATE_DOWN = 0x80;
const u8 KEY_STATE_TOGGLED = 0x01;

// The virtual key of an X key: by the symbol of its unshifted level where that names the key
// (letters, digits, editing and function keys), else by the key's place on a standard keyboard
// (X key codes are the kernel's plus 8), else 0.
u32 virtualKeyOf(u32 keysym, u32 keycode);

// The generic key that Windows reports for a left or right modifier (shift, control, menu) and
// the key itself otherwise.
u32 genericVirtualKey(u32 virtualKey);

// The character that a key symbol types, as a Unicode code point; 0 for keys that type none
// (arrows, Delete, function keys). With control held, letters and [ \ ] give control characters.
u32 characterOfKeysym(u32 keysym, bool control);
} // namespace os
} // namespace fw
