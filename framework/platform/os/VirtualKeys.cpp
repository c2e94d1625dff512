#include "platform/os/VirtualKeys.h"

#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

namespace fw
{
namespace os
{
namespace
{
struct SKeysymKey
{
	u32 keysym;
	u32 virtualKey;
};

const SKeysymKey s_keysymKeys[] = {
	{XK_BackSpace, VK_BACK},
	{XK_Tab, VK_TAB},
	{XK_ISO_Left_Tab, VK_TAB},
	{XK_Clear, VK_CLEAR},
	{XK_Return, VK_RETURN},
	{XK_Pause, VK_PAUSE},
	{XK_Scroll_Lock, VK_SCROLL},
	{XK_Escape, VK_ESCAPE},
	{XK_Delete, VK_DELETE},
	{XK_Home, VK_HOME},
	{XK_Left, VK_LEFT},
	{XK_Up, VK_UP},
	{XK_Right, VK_RIGHT},
	{XK_Down, VK_DOWN},
	{XK_Prior, VK_PRIOR},
	{XK_Next, VK_NEXT},
	{XK_End, VK_END},
	{XK_Select, VK_SELECT},
	{XK_Print, VK_SNAPSHOT},
	{XK_Execute, VK_EXECUTE},
	{XK_Insert, VK_INSERT},
	{XK_Menu, VK_APPS},
	{XK_Help, VK_HELP},
	{XK_Num_Lock, VK_NUMLOCK},
	{XK_Caps_Lock, VK_CAPITAL},
	{XK_Shift_L, VK_LSHIFT},
	{XK_Shift_R, VK_RSHIFT},
	{XK_Control_L, VK_LCONTROL},
	{XK_Control_R, VK_RCONTROL},
	{XK_Alt_L, VK_LMENU},
	{XK_Alt_R, VK_RMENU},
	{XK_Meta_L, VK_LMENU},
	{XK_Meta_R, VK_RMENU},
	{XK_ISO_Level3_Shift, VK_RMENU},
	{XK_Super_L, VK_LWIN},
	{XK_Super_R, VK_RWIN},
	{XK_space, VK_SPACE},
	// The keypad: with Num Lock its digits, without it the editing keys.
	{XK_KP_Space, VK_SPACE},
	{XK_KP_Tab, VK_TAB},
	{XK_KP_Enter, VK_RETURN},
	{XK_KP_Home, VK_HOME},
	{XK_KP_Left, VK_LEFT},
	{XK_KP_Up, VK_UP},
	{XK_KP_Right, VK_RIGHT},
	{XK_KP_Down, VK_DOWN},
	{XK_KP_Prior, VK_PRIOR},
	{XK_KP_Next, VK_NEXT},
	{XK_KP_End, VK_END},
	{XK_KP_Begin, VK_CLEAR},
	{XK_KP_Insert, VK_INSERT},
	{XK_KP_Delete, VK_DELETE},
	{XK_KP_Multiply, VK_MULTIPLY},
	{XK_KP_Add, VK_ADD},
	{XK_KP_Separator, VK_SEPARATOR},
	{XK_KP_Subtract, VK_SUBTRACT},
	{XK_KP_Decimal, VK_DECIMAL},
	{XK_KP_Divide, VK_DIVIDE},
	// Punctuation of the US layout, on the keys Windows names after it.
	{XK_semicolon, VK_OEM_1},
	{XK_equal, VK_OEM_PLUS},
	{XK_comma, VK_OEM_COMMA},
	{XK_minus, VK_OEM_MINUS},
	{XK_period, VK_OEM_PERIOD},
	{XK_slash, VK_OEM_2},
	{XK_grave, VK_OEM_3},
	{XK_bracketleft, VK_OEM_4},
	{XK_backslash, VK_OEM_5},
	{XK_bracketright, VK_OEM_6},
	{XK_apostrophe, VK_OEM_7},
	{XK_less, VK_OEM_102},
};

// Keys by their place, X key codes 9 to 61: what the US layout has there.
const u8 s_keysByPlace[] = {VK_ESCAPE, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', VK_OEM_MINUS, VK_OEM_PLUS,
	VK_BACK, VK_TAB, 'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', VK_OEM_4, VK_OEM_6, VK_RETURN, VK_LCONTROL, 'A',
	'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L', VK_OEM_1, VK_OEM_7, VK_OEM_3, VK_LSHIFT, VK_OEM_5, 'Z', 'X', 'C', 'V', 'B',
	'N', 'M', VK_OEM_COMMA, VK_OEM_PERIOD, VK_OEM_2};
const u32 FIRST_PLACED_KEYCODE = 9;
const u32 KEYCODE_102ND_KEY = 94;
} // namespace

u32 virtualKeyOf(u32 keysym, u32 keycode)
{
	if (keysym >= XK_a && keysym <= XK_z)
		return keysym - XK_a + 'A';
	if ((keysym >= XK_A && keysym <= XK_Z) || (keysym >= XK_0 && keysym <= XK_9))
		return keysym;
	if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
		return VK_NUMPAD0 + (keysym - XK_KP_0);
	if (keysym >= XK_F1 && keysym <= XK_F24)
		return VK_F1 + (keysym - XK_F1);
	for (const SKeysymKey& entry : s_keysymKeys)
		if (entry.keysym == keysym)
			return entry.virtualKey;

	if (keycode >= FIRST_PLACED_KEYCODE && keycode < FIRST_PLACED_KEYCODE + sizeof(s_keysByPlace))
		return s_keysByPlace[keycode - FIRST_PLACED_KEYCODE];
	if (keycode == KEYCODE_102ND_KEY)
		return VK_OEM_102;
	return 0;
}

u32 genericVirtualKey(u32 virtualKey)
{
	switch (virtualKey)
	{
	case VK_LSHIFT:
	case VK_RSHIFT:
		return VK_SHIFT;
	case VK_LCONTROL:
	case VK_RCONTROL:
		return VK_CONTROL;
	case VK_LMENU:
	case VK_RMENU:
		return VK_MENU;
	default:
		return virtualKey;
	}
}

u32 characterOfKeysym(u32 keysym, bool control)
{
	// Delete types nothing on Windows; the keypad's Enter types a carriage return like Return.
	if (keysym == XK_Delete || keysym == XK_KP_Delete)
		return 0;
	if (keysym == XK_KP_Enter)
		return '\r';
	const u32 character = xkb_keysym_to_utf32(keysym);
	if (!control || character == 0)
		return character;
	if ((character >= 'a' && character <= 'z') || (character >= 'A' && character <= 'Z'))
		return character & 0x1F;
	switch (character)
	{
	case '[':
		return 0x1B;
	case '\\':
		return 0x1C;
	case ']':
		return 0x1D;
	case ' ':
	case '\b':
	case '\t':
	case '\r':
	case 0x1B:
		return character;
	default:
		return 0;
	}
}
} // namespace os
} // namespace fw
