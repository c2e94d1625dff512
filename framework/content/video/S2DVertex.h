#pragma once

#include "core/CoreTypes.h"

#include <SColor.h>
#include <vector2d.h>
#include <vector3d.h>

namespace fw
{
namespace video2d
{
// The vertex type number of S2DVertex in mesh buffers; the engine's own types are not used for 2D.
const u32 VERTEX_TYPE_2D = 0;

// The vertex of all 2D drawing: position (x and y in pixels, z the depth), colour, one pair of
// texture coordinates; no normal. Laid out as the hardware reads it: 24 bytes.
struct S2DVertex
{
	// The colour is left undefined, as the engine's colour type does.
	S2DVertex() : Pos(0.f, 0.f, 0.f), TCoords(0.f, 0.f) {}
	S2DVertex(f32 x, f32 y, f32 z, video::SColor color, f32 tu, f32 tv) : Pos(x, y, z), Color(color), TCoords(tu, tv) {}

	core::vector3df Pos;
	video::SColor Color;
	core::vector2df TCoords;
};

static_assert(sizeof(S2DVertex) == 24, "the 2D vertex is a 24-byte hardware format");
} // namespace video2d
} // namespace fw
