#pragma once

#include "core/CoreTypes.h"

namespace fw
{
// "mm:ss" of a time in milliseconds; whole hours are dropped.
core::stringw formatTimeMinutesSeconds(u32 milliseconds);

// Decimal text with the separator before every group of three digits; a minus sign stays in front.
core::stringw formatThousands(s32 value, wchar_t separator);
} // namespace fw
