#pragma once

#include "core/CoreTypes.h"

namespace fw
{
// The setters of a value kept within a range, shared by the bars and the sliders. A bound that
// would meet or pass the other is refused (false); the value follows a bound that passes it.
inline bool setRangeMinimum(f32& minimum, f32 maximum, f32& value, f32 newMinimum)
{
	if (!(newMinimum < maximum))
		return false;
	minimum = newMinimum;
	if (newMinimum > value)
		value = newMinimum;
	return true;
}

inline bool setRangeMaximum(f32 minimum, f32& maximum, f32& value, f32 newMaximum)
{
	if (!(newMaximum > minimum))
		return false;
	maximum = newMaximum;
	if (newMaximum < value)
		value = newMaximum;
	return true;
}

// Raised to the minimum, then lowered to the maximum (a NaN stays as it is).
inline f32 clampToRange(f32 value, f32 minimum, f32 maximum)
{
	if (value < minimum)
		value = minimum;
	if (value > maximum)
		value = maximum;
	return value;
}
} // namespace fw
