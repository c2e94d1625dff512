#pragma once

// Numbers read from content files, bounded before they become integers or enter arithmetic.

#include "core/CoreTypes.h"

#include <rect.h>
#include <vector2d.h>

#include <cmath>

namespace fw
{
// Far beyond any texture a driver makes, yet small enough that sums and differences of a few
// such numbers stay exact in a float and inside an s32.
constexpr f32 MAX_CONTENT_COORDINATE = 1048576.f;

// Not a number gives 0; everything else is clamped to +-MAX_CONTENT_COORDINATE.
inline f32 boundCoordinate(f32 value)
{
	if (std::isnan(value))
		return 0.f;
	if (value > MAX_CONTENT_COORDINATE)
		return MAX_CONTENT_COORDINATE;
	if (value < -MAX_CONTENT_COORDINATE)
		return -MAX_CONTENT_COORDINATE;
	return value;
}

inline s32 boundedInteger(f32 value)
{
	return static_cast<s32>(boundCoordinate(value));
}

inline s32 boundedInteger(s32 value)
{
	const s32 limit = static_cast<s32>(MAX_CONTENT_COORDINATE);
	return value > limit ? limit : (value < -limit ? -limit : value);
}

inline core::vector2df boundCoordinates(const core::vector2df& value)
{
	return core::vector2df(boundCoordinate(value.X), boundCoordinate(value.Y));
}

inline core::rect<f32> boundCoordinates(const core::rect<f32>& value)
{
	return core::rect<f32>(boundCoordinate(value.UpperLeftCorner.X), boundCoordinate(value.UpperLeftCorner.Y),
		boundCoordinate(value.LowerRightCorner.X), boundCoordinate(value.LowerRightCorner.Y));
}
} // namespace fw
