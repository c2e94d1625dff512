#include "core/SineTable.h"

#include <cmath>

namespace fw
{
namespace
{
struct SSineTable
{
	f32 values[360];

	SSineTable()
	{
		for (s32 k = 0; k < 360; ++k)
			values[k] = static_cast<f32>(std::sin(k * 3.14159265358979323846 / 180.0));
		// Exact at the quarter turns, so right angles rotate without a trace of the other axis.
		values[0] = 0.f;
		values[90] = 1.f;
		values[180] = 0.f;
		values[270] = -1.f;
	}
};

const SSineTable& table()
{
	static const SSineTable sines;
	return sines;
}

u32 wrapDegrees(s32 degrees)
{
	s32 index = degrees % 360;
	if (index < 0)
		index += 360;
	return static_cast<u32>(index);
}
} // namespace

f32 sinDegrees(s32 degrees)
{
	return table().values[wrapDegrees(degrees)];
}

f32 cosDegrees(s32 degrees)
{
	// degrees + 90 cannot overflow for the angles callers pass; wrap first all the same.
	return table().values[(wrapDegrees(degrees) + 90) % 360];
}

void rotateVector2dByDegrees(core::vector2df& vector, s32 degrees)
{
	const f32 s = sinDegrees(degrees);
	const f32 c = cosDegrees(degrees);
	const f32 x = vector.X * c - vector.Y * s;
	const f32 y = vector.X * s + vector.Y * c;
	vector.X = x;
	vector.Y = y;
}

f32 getVector2dAngleDegrees(const core::vector2df& vector)
{
	const f64 x = vector.X;
	const f64 y = vector.Y;
	if (y == 0.0)
		return x < 0.0 ? 180.f : 0.f;
	if (x == 0.0)
		return y < 0.0 ? 90.f : 270.f;
	// The angle from the y axis, through its cosine; rounding can push the cosine a hair past 1,
	// where the square root below would give NaN.
	f64 c = y / std::sqrt(x * x + y * y);
	c = c < -1.0 ? -1.0 : (c > 1.0 ? 1.0 : c);
	const f64 r = std::atan(std::sqrt(1.0 - c * c) / c) * 57.29577951308232;
	f64 angle;
	if (x > 0.0)
		angle = y > 0.0 ? r + 270.0 : r + 90.0;
	else
		angle = y < 0.0 ? 90.0 - r : 270.0 - r;
	// Headings a hair below a full turn round up to it; they are 0.
	const f32 degrees = static_cast<f32>(angle);
	return degrees >= 360.f ? degrees - 360.f : degrees;
}
} // namespace fw
