#pragma once

#include "core/CoreTypes.h"

namespace fw
{
// The key codes that key events carry (the device's virtual-key numbers) for the keys the nodes
// and scenes handle by name.
constexpr u32 KEY_BACK = 8;
constexpr u32 KEY_RETURN = 13;
constexpr u32 KEY_ESCAPE = 27;
constexpr u32 KEY_END = 35;
constexpr u32 KEY_HOME = 36;
constexpr u32 KEY_LEFT = 37;
constexpr u32 KEY_UP = 38;
constexpr u32 KEY_RIGHT = 39;
constexpr u32 KEY_DOWN = 40;
constexpr u32 KEY_DELETE = 46;
} // namespace fw
