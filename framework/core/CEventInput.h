#pragma once

#include "core/TypeIds.h"

// The window's keyboard and mouse input, posted by the device to itself and offered to its
// receivers.

#include "core/CEvent.h"

namespace fw
{
class CEventInput : public CEvent
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_INPUT, CEvent)

protected:
	explicit CEventInput(u32 category) : CEvent(category) {}
};

class CEventInputKeyboard : public CEventInput
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_INPUT_KEYBOARD, CEventInput)
	CEventInputKeyboard(wchar_t character, u32 key, bool shift, bool control, bool third = false) :
		CEventInput(EVENT_CATEGORY_KEYBOARD), Char(character), Key(key), Shift(shift), Control(control), Third(third)
	{
	}

	// The UTF-16 unit the key types; 0 for none.
	wchar_t Char;
	// Its virtual-key code.
	u32 Key;
	bool Shift;
	bool Control;
	// Never set by the window.
	bool Third;
};

class CEventInputKeyDown : public CEventInputKeyboard
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_INPUT_KEY_DOWN, CEventInputKeyboard)
	using CEventInputKeyboard::CEventInputKeyboard;
};

class CEventInputKeyUp : public CEventInputKeyboard
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_INPUT_KEY_UP, CEventInputKeyboard)
	using CEventInputKeyboard::CEventInputKeyboard;
};

class CEventInputMouse : public CEventInput
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_INPUT_MOUSE, CEventInput)
	CEventInputMouse(s32 x, s32 y) : CEventInput(EVENT_CATEGORY_MOUSE), X(x), Y(y) {}

	// Client pixels.
	s32 X;
	s32 Y;
};

class CEventInputMouseMove : public CEventInputMouse
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_INPUT_MOUSE_MOVE, CEventInputMouse)
	using CEventInputMouse::CEventInputMouse;
};

class CEventInputMouseLeftDown : public CEventInputMouse
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_INPUT_MOUSE_LEFT_DOWN, CEventInputMouse)
	using CEventInputMouse::CEventInputMouse;
};

class CEventInputMouseRightDown : public CEventInputMouse
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_INPUT_MOUSE_RIGHT_DOWN, CEventInputMouse)
	using CEventInputMouse::CEventInputMouse;
};

class CEventInputMouseMiddleDown : public CEventInputMouse
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_INPUT_MOUSE_MIDDLE_DOWN, CEventInputMouse)
	using CEventInputMouse::CEventInputMouse;
};

class CEventInputMouseLeftUp : public CEventInputMouse
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_INPUT_MOUSE_LEFT_UP, CEventInputMouse)
	using CEventInputMouse::CEventInputMouse;
};

class CEventInputMouseRightUp : public CEventInputMouse
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_INPUT_MOUSE_RIGHT_UP, CEventInputMouse)
	using CEventInputMouse::CEventInputMouse;
};

class CEventInputMouseMiddleUp : public CEventInputMouse
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_INPUT_MOUSE_MIDDLE_UP, CEventInputMouse)
	using CEventInputMouse::CEventInputMouse;
};

class CEventInputMouseWheel : public CEventInputMouse
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_INPUT_MOUSE_WHEEL, CEventInputMouse)
	CEventInputMouseWheel(s32 x, s32 y, f32 delta) : CEventInputMouse(x, y), Delta(delta) {}

	// Notches: positive away from the user.
	f32 Delta;
};
} // namespace fw
