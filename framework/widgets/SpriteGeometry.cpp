#include "widgets/SpriteGeometry.h"

#include <algorithm>
#include <cmath>

namespace fw
{
namespace
{
// One axis of the sprite's quad: the placed range [low, high] and the texture range [uvLow, uvHigh].
void layoutAxis(f32 region, f32 marginBefore, f32 pivot, s32 mode, f32& bound, f32& uvLow, f32& uvHigh, f32& low,
	f32& high)
{
	const f32 offset = pivot - marginBefore;
	low = -offset;
	high = region - offset;
	switch (mode)
	{
	case SPRITE_STRETCH_BOUNDS:
		high = bound - offset;
		break;
	case SPRITE_STRETCH_FIT:
		bound = region;
		break;
	case SPRITE_STRETCH_CROP:
	{
		// An image without size has nothing to cut in proportion.
		if (!(region > 0.f))
			break;
		const f32 span = uvHigh - uvLow;
		if (low < 0.f)
		{
			uvLow += span * (-low / region);
			low = 0.f;
		}
		if (high > bound)
		{
			uvHigh += span * ((bound - high) / region);
			high = bound;
		}
		// Entirely outside 0..bound: nothing is left to show.
		if (high < low)
		{
			high = low;
			uvHigh = uvLow;
		}
		break;
	}
	default:
		break;
	}
}

// The texel column (or row) under a point at the fraction of the way from the first corner to the
// second, whose texture coordinates are uv0 and uv1. Along falling coordinates the pixel at the
// first corner takes the last texel, as the mirror of the rising case.
bool texelAlong(f32 fraction, f32 uv0, f32 uv1, u32 textureSide, f32 placedSide, s32& texel)
{
	const f32 side = static_cast<f32>(textureSide);
	const f32 du = uv1 - uv0;
	if (du == 0.f || placedSide == 0.f || !std::isfinite(fraction))
		return false;
	const f32 at = (uv0 + fraction * du) * side;
	const bool rising = (du > 0.f) == (placedSide > 0.f);
	f32 chosen = rising ? std::floor(at) : std::ceil(at) - 1.f;
	const f32 lowest = std::floor(std::min(uv0, uv1) * side);
	const f32 highest = std::ceil(std::max(uv0, uv1) * side) - 1.f;
	chosen = std::max(lowest, std::min(highest, chosen));
	if (!std::isfinite(chosen) || chosen < -2147483648.f || chosen > 2147483520.f)
		return false;
	texel = static_cast<s32>(chosen);
	return true;
}
} // namespace

SSpriteQuad layoutSpriteQuad(const SSpriteImage& image, const core::vector2df& pivot, s32 stretchX, s32 stretchY,
	core::vector2df& bounds, bool flipX, bool flipY)
{
	const core::vector2df region = image.getRegionSize();
	f32 uMin = image.uvRect.UpperLeftCorner.X;
	f32 uMax = image.uvRect.LowerRightCorner.X;
	f32 vMin = image.uvRect.UpperLeftCorner.Y;
	f32 vMax = image.uvRect.LowerRightCorner.Y;
	f32 left, right, top, bottom;
	layoutAxis(region.X, image.marginBefore.X, pivot.X, stretchX, bounds.X, uMin, uMax, left, right);
	layoutAxis(region.Y, image.marginBefore.Y, pivot.Y, stretchY, bounds.Y, vMin, vMax, top, bottom);

	SSpriteQuad quad;
	quad.corners[0] = core::vector2df(left, top);
	quad.corners[1] = core::vector2df(right, top);
	quad.corners[2] = core::vector2df(right, bottom);
	quad.corners[3] = core::vector2df(left, bottom);
	const f32 u0 = flipX ? uMax : uMin;
	const f32 u1 = flipX ? uMin : uMax;
	const f32 v0 = flipY ? vMax : vMin;
	const f32 v1 = flipY ? vMin : vMax;
	quad.uv[0] = core::vector2df(u0, v0);
	quad.uv[1] = core::vector2df(u1, v0);
	quad.uv[2] = core::vector2df(u1, v1);
	quad.uv[3] = core::vector2df(u0, v1);
	return quad;
}

bool spriteTexelAt(const SSpriteQuad& quad, const core::dimension2d<u32>& textureSize, const core::vector2df& point,
	s32& texelX, s32& texelY)
{
	const f32 x0 = quad.corners[0].X;
	const f32 x1 = quad.corners[1].X;
	const f32 y0 = quad.corners[0].Y;
	const f32 y1 = quad.corners[3].Y;
	if (!(point.X >= std::min(x0, x1) && point.X < std::max(x0, x1)))
		return false;
	if (!(point.Y >= std::min(y0, y1) && point.Y < std::max(y0, y1)))
		return false;
	return texelAlong((point.X - x0) / (x1 - x0), quad.uv[0].X, quad.uv[1].X, textureSize.Width, x1 - x0, texelX) &&
		texelAlong((point.Y - y0) / (y1 - y0), quad.uv[0].Y, quad.uv[3].Y, textureSize.Height, y1 - y0, texelY);
}

bool layoutNineGrid(const core::rect<f32>& uvRect, const core::dimension2d<u32>& textureSize,
	const core::vector2df& bounds, const core::vector2df& topLeftDelta, const core::vector2df& bottomRightDelta,
	SNineGridCell cells[9])
{
	if (!textureSize.Width || !textureSize.Height)
		return false;
	const f32 width = static_cast<f32>(textureSize.Width);
	const f32 height = static_cast<f32>(textureSize.Height);
	const f32 x[4] = {0.f, topLeftDelta.X, bounds.X - bottomRightDelta.X, bounds.X};
	const f32 y[4] = {0.f, topLeftDelta.Y, bounds.Y - bottomRightDelta.Y, bounds.Y};
	const f32 u[4] = {uvRect.UpperLeftCorner.X, uvRect.UpperLeftCorner.X + topLeftDelta.X / width,
		uvRect.LowerRightCorner.X - bottomRightDelta.X / width, uvRect.LowerRightCorner.X};
	const f32 v[4] = {uvRect.UpperLeftCorner.Y, uvRect.UpperLeftCorner.Y + topLeftDelta.Y / height,
		uvRect.LowerRightCorner.Y - bottomRightDelta.Y / height, uvRect.LowerRightCorner.Y};
	for (u32 row = 0; row < 3; ++row)
		for (u32 column = 0; column < 3; ++column)
		{
			SNineGridCell& cell = cells[row * 3 + column];
			const u32 xs[4] = {column, column + 1, column + 1, column};
			const u32 ys[4] = {row, row, row + 1, row + 1};
			for (u32 corner = 0; corner < 4; ++corner)
			{
				cell.corners[corner] = core::vector2df(x[xs[corner]], y[ys[corner]]);
				cell.uv[corner] = core::vector2df(u[xs[corner]], v[ys[corner]]);
			}
		}
	return true;
}
} // namespace fw
