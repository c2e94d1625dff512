#pragma once

// Locale-free readers of numbers and lists in narrow (8-bit) and wide (16-bit unit) text.

#include "core/CoreTypes.h"

#include <SColor.h>
#include <rect.h>
#include <vector2d.h>
#include <vector3d.h>

namespace fw
{
// An unsigned decimal integer read as a float. No sign; no digit gives 0 and leaves the position.
f32 strtof10(const c8* in, const c8** out = nullptr);
f32 strtof10(const wchar_t* in, const wchar_t** out = nullptr);

// A signed 32-bit integer; values beyond the range are clamped.
s32 strtol10(const c8* in, const c8** out = nullptr);
s32 strtol10(const wchar_t* in, const wchar_t** out = nullptr);

// Optional "-", digits, optional fraction and exponent. Returns the position after the number.
const c8* fast_atof_move(const c8* in, f32& out);
const wchar_t* fast_atof_move(const wchar_t* in, f32& out);

// Like the C library's atoi (leading white space, optional sign, digits), clamped to the int range.
s32 parseInt(const c8* text);

// A float truncated toward zero, clamped to the int range; NaN gives 0.
s32 truncateToInt(f64 value);

// Pull N numbers out of a text, whatever stands between them; missing numbers are 0.
core::vector2df parseVector2d(const core::stringc& text);
core::vector2df parseVector2d(const core::stringw& text);
core::vector3df parseVector3d(const core::stringc& text);
core::vector3df parseVector3d(const core::stringw& text);
video::SColorf parseColorf(const core::stringc& text);
video::SColorf parseColorf(const core::stringw& text);
core::rect<f32> parseRect(const core::stringc& text);
core::rect<f32> parseRect(const core::stringw& text);

// A ";"-separated list of names, trimmed, empty pieces dropped, interned in the global name table.
core::array<s32> split(const core::stringc& text);

const core::stringc& getEmptyStringC();
const core::stringw& getEmptyStringW();

// The literal followed by the string.
core::stringc operator+(const c8* literal, const core::stringc& text);
core::stringw operator+(const wchar_t* literal, const core::stringw& text);

// Channel-wise product of two colours, scaled back to 0..255.
video::SColor modulateColor(video::SColor a, video::SColor b);
} // namespace fw
