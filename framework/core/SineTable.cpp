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
} // namespace fw
