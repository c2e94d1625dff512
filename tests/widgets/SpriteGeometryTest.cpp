// The sprite's quad and the nine-grid's cells as pure geometry: where the corners go and which
// texture coordinates they take, for every sizing mode, flip and pivot.

#include "widgets/SpriteGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace fw;

namespace
{
// A 64 x 32 region at (32, 16) of a 128 x 64 texture: u 0.25..0.75, v 0.25..0.75.
SSpriteImage image64x32(f32 marginBefore = 0.f, f32 marginAfter = 0.f)
{
	SSpriteImage image;
	image.uvRect = core::rect<f32>(0.25f, 0.25f, 0.75f, 0.75f);
	image.textureSize = core::dimension2d<u32>(128, 64);
	image.marginBefore = core::vector2df(marginBefore, marginBefore);
	image.marginAfter = core::vector2df(marginAfter, marginAfter);
	return image;
}

struct SQuadCase
{
	const char* what;
	f32 margin;
	core::vector2df pivot;
	s32 stretchX, stretchY;
	bool flipX, flipY;
	core::vector2df bounds;
	// Placed rectangle: left, top, right, bottom.
	f32 left, top, right, bottom;
	// Texture coordinates at the top-left and bottom-right corners.
	f32 u0, v0, u2, v2;
	core::vector2df boundsAfter;
};

std::string describe(const SSpriteQuad& quad)
{
	std::string text;
	for (u32 i = 0; i < 4; ++i)
		text += "(" + std::to_string(quad.corners[i].X) + "," + std::to_string(quad.corners[i].Y) + " uv " +
			std::to_string(quad.uv[i].X) + "," + std::to_string(quad.uv[i].Y) + ") ";
	return text;
}

TEST(SpriteGeometry, QuadCornersAndTextureCoordinatesForEachSizingFlipAndPivot)
{
	const core::vector2df b(100.f, 50.f);
	const core::vector2df small(40.f, 20.f);
	const core::vector2df none(0.f, 0.f);
	const core::vector2df centre(32.f, 16.f);
	// Crop: the quad ends at Bounds and uMax moves left by 24 / 64 of the region's 0.5.
	const f32 cropU = 0.75f - 0.5f * 24.f / 64.f;
	const f32 cropV = 0.75f - 0.5f * 12.f / 32.f;
	const SQuadCase cases[] = {
		{"natural", 0, none, 0, 0, false, false, b, 0, 0, 64, 32, .25f, .25f, .75f, .75f, b},
		{"natural, pivot at the centre", 0, centre, 0, 0, false, false, b, -32, -16, 32, 16, .25f, .25f, .75f, .75f, b},
		{"flip x", 0, centre, 0, 0, true, false, b, -32, -16, 32, 16, .75f, .25f, .25f, .75f, b},
		{"flip y", 0, centre, 0, 0, false, true, b, -32, -16, 32, 16, .25f, .75f, .75f, .25f, b},
		{"flip both", 0, none, 0, 0, true, true, b, 0, 0, 64, 32, .75f, .75f, .25f, .25f, b},
		{"stretch", 0, none, 1, 1, false, false, b, 0, 0, 100, 50, .25f, .25f, .75f, .75f, b},
		{"stretch from the pivot", 0, centre, 1, 1, true, false, b, -32, -16, 68, 34, .75f, .25f, .25f, .75f, b},
		{"stretch x only", 0, none, 1, 0, false, false, b, 0, 0, 100, 32, .25f, .25f, .75f, .75f, b},
		{"fit writes Bounds", 0, centre, 2, 2, false, false, b, -32, -16, 32, 16, .25f, .25f, .75f, .75f,
			core::vector2df(64.f, 32.f)},
		{"crop the far side", 0, none, 3, 3, false, false, small, 0, 0, 40, 20, .25f, .25f, cropU, cropV, small},
		{"crop the near side", 0, centre, 3, 3, false, false, small, 0, 0, 32, 16, .5f, .5f, .75f, .75f, small},
		{"crop flipped", 0, none, 3, 0, true, false, small, 0, 0, 40, 32, cropU, .25f, .25f, .75f, small},
		{"crop keeps what fits", 0, none, 3, 3, false, false, b, 0, 0, 64, 32, .25f, .25f, .75f, .75f, b},
		{"unknown modes act as natural", 0, none, 4, -1, false, false, b, 0, 0, 64, 32, .25f, .25f, .75f, .75f, b},
		{"margins place the region", 4, none, 0, 0, false, false, b, 4, 4, 68, 36, .25f, .25f, .75f, .75f, b},
		{"margins with the frame's centre", 4, core::vector2df(36.f, 20.f), 0, 0, false, false, b, -32, -16, 32, 16,
			.25f, .25f, .75f, .75f, b},
		{"margins, flipped: only the coordinates swap", 4, none, 0, 0, true, true, b, 4, 4, 68, 36, .75f, .75f, .25f,
			.25f, b},
		{"margins stretched: Bounds wide from where it starts", 4, none, 1, 1, false, false, b, 4, 4, 104, 54, .25f,
			.25f, .75f, .75f, b},
	};
	for (const SQuadCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		core::vector2df bounds = c.bounds;
		const SSpriteQuad quad =
			layoutSpriteQuad(image64x32(c.margin, c.margin), c.pivot, c.stretchX, c.stretchY, bounds, c.flipX, c.flipY);
		SCOPED_TRACE(describe(quad));
		EXPECT_EQ(core::vector2df(c.left, c.top), quad.corners[0]);
		EXPECT_EQ(core::vector2df(c.right, c.top), quad.corners[1]);
		EXPECT_EQ(core::vector2df(c.right, c.bottom), quad.corners[2]);
		EXPECT_EQ(core::vector2df(c.left, c.bottom), quad.corners[3]);
		EXPECT_FLOAT_EQ(c.u0, quad.uv[0].X);
		EXPECT_FLOAT_EQ(c.v0, quad.uv[0].Y);
		EXPECT_FLOAT_EQ(c.u2, quad.uv[2].X);
		EXPECT_FLOAT_EQ(c.v2, quad.uv[2].Y);
		EXPECT_FLOAT_EQ(c.u2, quad.uv[1].X);
		EXPECT_FLOAT_EQ(c.v0, quad.uv[1].Y);
		EXPECT_FLOAT_EQ(c.u0, quad.uv[3].X);
		EXPECT_FLOAT_EQ(c.v2, quad.uv[3].Y);
		EXPECT_EQ(c.boundsAfter, bounds);
	}
}

TEST(SpriteGeometry, CropsThatLeaveNothingAndImagesWithoutSizeGiveFiniteEmptyQuads)
{
	// Placed entirely right of Bounds: nothing of it lies in 0..40.
	core::vector2df bounds(40.f, 20.f);
	SSpriteQuad quad = layoutSpriteQuad(image64x32(), core::vector2df(-50.f, 0.f), 3, 0, bounds, false, false);
	EXPECT_EQ(quad.corners[0].X, quad.corners[1].X);
	EXPECT_EQ(quad.uv[0].X, quad.uv[1].X);

	// A region without width in crop mode and a zero Bounds in stretch mode: no infinity, no NaN.
	SSpriteImage empty = image64x32();
	empty.uvRect.LowerRightCorner.X = empty.uvRect.UpperLeftCorner.X;
	bounds = core::vector2df(0.f, 0.f);
	quad = layoutSpriteQuad(empty, core::vector2df(8.f, 0.f), 3, 1, bounds, false, false);
	for (u32 i = 0; i < 4; ++i)
		EXPECT_TRUE(std::isfinite(quad.corners[i].X) && std::isfinite(quad.corners[i].Y) &&
			std::isfinite(quad.uv[i].X) && std::isfinite(quad.uv[i].Y))
			<< describe(quad);
	s32 x = -1;
	s32 y = -1;
	EXPECT_FALSE(spriteTexelAt(quad, core::dimension2d<u32>(128, 64), core::vector2df(0.f, 0.f), x, y));
}

TEST(SpriteGeometry, TheTexelUnderAPointIsTheOneDrawnThere)
{
	const core::dimension2d<u32> texture(128, 64);
	core::vector2df bounds(100.f, 50.f);
	struct SCase
	{
		const char* what;
		core::vector2df pivot;
		s32 stretch;
		bool flipX, flipY;
		core::vector2df point;
		bool hit;
		s32 x, y;
	} cases[] = {
		{"top-left pixel", {0, 0}, 0, false, false, {0.f, 0.f}, true, 32, 16},
		{"inside a pixel", {0, 0}, 0, false, false, {5.7f, 3.2f}, true, 37, 19},
		{"bottom-right pixel", {0, 0}, 0, false, false, {63.9f, 31.9f}, true, 95, 47},
		{"right edge is outside", {0, 0}, 0, false, false, {64.f, 0.f}, false, 0, 0},
		{"left of the quad", {0, 0}, 0, false, false, {-0.1f, 0.f}, false, 0, 0},
		{"pivoted: the origin is the middle", {32, 16}, 0, false, false, {0.f, 0.f}, true, 64, 32},
		{"pivoted: where the image starts", {32, 16}, 0, false, false, {-32.f, -16.f}, true, 32, 16},
		{"pivoted: beyond the drawn image", {32, 16}, 0, false, false, {40.f, 20.f}, false, 0, 0},
		{"flipped: the left pixel shows the last texel", {0, 0}, 0, true, false, {0.f, 0.f}, true, 95, 16},
		{"flipped: one pixel in", {0, 0}, 0, true, true, {1.f, 1.f}, true, 94, 46},
		{"flipped: the right pixel shows the first texel", {0, 0}, 0, true, false, {63.5f, 0.f}, true, 32, 16},
		{"stretched: the far end", {0, 0}, 1, false, false, {99.f, 49.f}, true, 95, 47},
		{"stretched: the middle", {0, 0}, 1, false, false, {50.f, 25.f}, true, 64, 32},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		const SSpriteQuad quad =
			layoutSpriteQuad(image64x32(), c.pivot, c.stretch, c.stretch, bounds, c.flipX, c.flipY);
		s32 x = -1;
		s32 y = -1;
		ASSERT_EQ(c.hit, spriteTexelAt(quad, texture, c.point, x, y));
		if (c.hit)
		{
			EXPECT_EQ(c.x, x);
			EXPECT_EQ(c.y, y);
		}
	}
}

TEST(NineGridGeometry, CornersKeepTheirSizeEdgesAndCentreStretch)
{
	// A 32 x 32 region at (0, 0) of a 128 x 64 texture over a 200 x 100 node.
	const core::rect<f32> uv(0.f, 0.f, 0.25f, 0.5f);
	SNineGridCell cells[9];
	ASSERT_TRUE(layoutNineGrid(uv, core::dimension2d<u32>(128, 64), core::vector2df(200.f, 100.f),
		core::vector2df(10.f, 10.f), core::vector2df(10.f, 10.f), cells));
	const core::vector2df sizes[9] = {{10, 10}, {180, 10}, {10, 10}, {10, 80}, {180, 80}, {10, 80}, {10, 10}, {180, 10},
		{10, 10}};
	const core::vector2df origins[9] = {{0, 0}, {10, 0}, {190, 0}, {0, 10}, {10, 10}, {190, 10}, {0, 90}, {10, 90},
		{190, 90}};
	for (u32 i = 0; i < 9; ++i)
	{
		SCOPED_TRACE("cell " + std::to_string(i));
		EXPECT_EQ(origins[i], cells[i].corners[0]);
		EXPECT_EQ(origins[i] + core::vector2df(sizes[i].X, 0.f), cells[i].corners[1]);
		EXPECT_EQ(origins[i] + sizes[i], cells[i].corners[2]);
		EXPECT_EQ(origins[i] + core::vector2df(0.f, sizes[i].Y), cells[i].corners[3]);
	}
	// The centre maps the image's middle 12 x 12 pixels.
	EXPECT_FLOAT_EQ(10.f, cells[4].uv[0].X * 128.f);
	EXPECT_FLOAT_EQ(10.f, cells[4].uv[0].Y * 64.f);
	EXPECT_FLOAT_EQ(22.f, cells[4].uv[2].X * 128.f);
	EXPECT_FLOAT_EQ(22.f, cells[4].uv[2].Y * 64.f);
	// The corners map their 10 x 10 pixels.
	EXPECT_FLOAT_EQ(22.f, cells[8].uv[0].X * 128.f);
	EXPECT_FLOAT_EQ(32.f, cells[8].uv[2].X * 128.f);
	EXPECT_FLOAT_EQ(32.f, cells[8].uv[2].Y * 64.f);
}

TEST(NineGridGeometry, ZeroDeltasLeaveOnlyTheCentreAndLargeOnesAreNotClamped)
{
	const core::rect<f32> uv(0.f, 0.f, 0.25f, 0.5f);
	SNineGridCell cells[9];
	ASSERT_TRUE(layoutNineGrid(uv, core::dimension2d<u32>(128, 64), core::vector2df(200.f, 100.f),
		core::vector2df(0.f, 0.f), core::vector2df(0.f, 0.f), cells));
	for (u32 i = 0; i < 9; ++i)
	{
		if (i == 4)
			continue;
		EXPECT_TRUE(cells[i].corners[0].X == cells[i].corners[2].X || cells[i].corners[0].Y == cells[i].corners[2].Y)
			<< "cell " << i << " has no area";
	}
	EXPECT_EQ(core::vector2df(0.f, 0.f), cells[4].corners[0]);
	EXPECT_EQ(core::vector2df(200.f, 100.f), cells[4].corners[2]);
	EXPECT_EQ(core::vector2df(0.f, 0.f), cells[4].uv[0]);
	EXPECT_EQ(core::vector2df(0.25f, 0.5f), cells[4].uv[2]);

	// Deltas of 60 over a width of 100: the middle column runs backwards from 60 to 40.
	ASSERT_TRUE(layoutNineGrid(uv, core::dimension2d<u32>(128, 64), core::vector2df(100.f, 100.f),
		core::vector2df(60.f, 10.f), core::vector2df(60.f, 10.f), cells));
	EXPECT_EQ(60.f, cells[4].corners[0].X);
	EXPECT_EQ(40.f, cells[4].corners[2].X);

	EXPECT_FALSE(layoutNineGrid(uv, core::dimension2d<u32>(0, 0), core::vector2df(1.f, 1.f), core::vector2df(1.f, 1.f),
		core::vector2df(1.f, 1.f), cells))
		<< "a texture without size divides by nothing";
}
} // namespace
