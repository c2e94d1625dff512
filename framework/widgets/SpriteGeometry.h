#pragma once

#include "core/CoreTypes.h"

#include <dimension2d.h>
#include <rect.h>
#include <vector2d.h>

namespace fw
{
// How a sprite sizes its image on one axis against the node's Bounds.
enum ESpriteStretch : s32
{
	SPRITE_STRETCH_NATURAL = 0, // as large as the image region
	SPRITE_STRETCH_BOUNDS = 1,  // stretched to Bounds
	SPRITE_STRETCH_FIT = 2,     // Bounds takes the region's size
	SPRITE_STRETCH_CROP = 3     // natural size, cut to 0..Bounds
};

// An atlas image as its geometry sees it.
struct SSpriteImage
{
	// Left, top, right, bottom in texture coordinates.
	core::rect<f32> uvRect;
	// The texture's own size, which the coordinates are applied to.
	core::dimension2d<u32> textureSize;
	core::vector2df marginBefore;
	core::vector2df marginAfter;

	// The region in pixels.
	core::vector2df getRegionSize() const
	{
		return core::vector2df(uvRect.getWidth() * static_cast<f32>(textureSize.Width),
			uvRect.getHeight() * static_cast<f32>(textureSize.Height));
	}
};

// A quad in the node's local space: corners top-left, top-right, bottom-right, bottom-left (as
// placed, before flips) with their texture coordinates (flips applied).
struct SSpriteQuad
{
	core::vector2df corners[4];
	core::vector2df uv[4];
};

// Places the image region so that the pivot (a point of the full frame, margins included) falls on
// the origin, sizes each axis by its stretch mode (fit writes the region's size into bounds; other
// values act as natural) and mirrors the texture coordinates for the flips. A crop that leaves
// nothing of the image gives a quad of no width or height.
SSpriteQuad layoutSpriteQuad(const SSpriteImage& image, const core::vector2df& pivot, s32 stretchX, s32 stretchY,
	core::vector2df& bounds, bool flipX, bool flipY);

// The texel under a local point of the quad as drawn, or false when the point is off the quad (or
// the quad has no area). Edges: the left and top edges belong to the quad, the right and bottom not.
bool spriteTexelAt(const SSpriteQuad& quad, const core::dimension2d<u32>& textureSize, const core::vector2df& point,
	s32& texelX, s32& texelY);

// One cell of a nine-grid: local corners top-left, top-right, bottom-right, bottom-left and their
// texture coordinates.
struct SNineGridCell
{
	core::vector2df corners[4];
	core::vector2df uv[4];
};

// The nine cells over bounds, row by row from the top-left: the corners keep their pixel sizes (the
// deltas), the edges stretch one way and the centre both. Not clamped: deltas larger than the
// bounds invert the middle row or column. False, leaving the cells alone, for a texture without size.
bool layoutNineGrid(const core::rect<f32>& uvRect, const core::dimension2d<u32>& textureSize,
	const core::vector2df& bounds, const core::vector2df& topLeftDelta, const core::vector2df& bottomRightDelta,
	SNineGridCell cells[9]);
} // namespace fw
