#include "core/SineTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using namespace fw;

TEST(SineTableTest, WholeDegreesReadTheTableAndWrapBothWays)
{
	struct SCase
	{
		s32 degrees;
		f32 sine;
		f32 cosine;
	};
	const SCase cases[] = {
		{0, 0.f, 1.f},
		{90, 1.f, 0.f},
		{180, 0.f, -1.f},
		{270, -1.f, 0.f},
		{360, 0.f, 1.f},
		{-90, -1.f, 0.f},
		{-10, std::sin(350 * 3.14159265f / 180), std::cos(350 * 3.14159265f / 180)},
		{30, 0.5f, 0.8660254f},
		{720 + 45, 0.70710678f, 0.70710678f},
	};
	for (const SCase& c : cases)
	{
		EXPECT_NEAR(sinDegrees(c.degrees), c.sine, 1e-6f) << c.degrees;
		EXPECT_NEAR(cosDegrees(c.degrees), c.cosine, 1e-6f) << c.degrees;
	}
	// The far ends of the integer range still land inside the table.
	EXPECT_NEAR(sinDegrees(INT_MIN), sinDegrees(INT_MIN % 360 + 360), 0.f);
	EXPECT_NEAR(cosDegrees(INT_MAX), cosDegrees(INT_MAX % 360), 0.f);
}

TEST(SineTableTest, PositiveAnglesTurnClockwiseOnTheScreen)
{
	core::vector2df v(1.f, 0.f);
	rotateVector2dByDegrees(v, 90);
	EXPECT_EQ(v, core::vector2df(0.f, 1.f));
	v.set(1.f, 0.f);
	rotateVector2dByDegrees(v, -90);
	EXPECT_EQ(v, core::vector2df(0.f, -1.f));

	// A drift of (1500, 0) turned by -210 degrees heads down and to the left.
	v.set(1500.f, 0.f);
	rotateVector2dByDegrees(v, -210);
	EXPECT_NEAR(v.X, -1299.04f, 0.01f);
	EXPECT_NEAR(v.Y, 750.f, 0.01f);
}

TEST(SineTableTest, HeadingsOnScreenAxes)
{
	struct SCase
	{
		f32 x;
		f32 y;
		f32 degrees;
	};
	const SCase cases[] = {
		// The axes, the zero vector heading right.
		{1.f, 0.f, 0.f},
		{0.f, -1.f, 90.f},
		{-1.f, 0.f, 180.f},
		{0.f, 1.f, 270.f},
		{0.f, 0.f, 0.f},
		// One heading per quadrant: up is negative y.
		{1.f, -1.f, 45.f},
		{-1.f, -1.f, 135.f},
		{-1.f, 1.f, 225.f},
		{1.f, 1.f, 315.f},
		{2.f, -1.f, 26.565051f},
		{-1.f, 2.f, 243.434949f},
		// Far from the axes' scale: still inside a turn, never NaN.
		{1e30f, 1e-30f, 0.f},
		{1e-30f, 1e30f, 270.f},
		{-3e38f, -3e38f, 135.f},
	};
	for (const SCase& c : cases)
	{
		const f32 heading = getVector2dAngleDegrees(core::vector2df(c.x, c.y));
		EXPECT_NEAR(c.degrees, heading, 1e-4f) << c.x << ", " << c.y;
		EXPECT_GE(heading, 0.f);
		EXPECT_LT(heading, 360.f);
	}
}
