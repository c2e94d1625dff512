#pragma once

#include "content/video/SMaterial.h"
#include "core/CoreTypes.h"

#include <matrix4.h>
#include <vector2d.h>

#include <cstdint>

namespace fw
{
// The render entry's tie-break key for what a node draws with: equal keys at equal depth are
// drawn together.
inline u32 textureSortKey(const void* texture)
{
	const std::uintptr_t bits = reinterpret_cast<std::uintptr_t>(texture);
	return static_cast<u32>(bits ^ (static_cast<u64>(bits) >> 32));
}

// A local point taken to screen space with the 2-D part of an absolute transformation.
inline core::vector2df toScreen(const core::matrix4& m, f32 x, f32 y)
{
	return core::vector2df(x * m[0] + y * m[4] + m[12], x * m[1] + y * m[5] + m[13]);
}

// The material of a textured 2-D quad: normal blending, one clamped and bilinearly filtered
// layer, no lighting and no depth. Both faces draw, so that a mirroring scale keeps the quad.
inline video2d::SMaterial makeQuadMaterial()
{
	video2d::SMaterial material;
	material.MaterialType = video2d::MATERIAL_2D_MODULATE;
	material.UsedLayers = 1;
	material.TextureLayer[0].WrapMode = video2d::TEXTURE_WRAP_CLAMP;
	material.TextureLayer[0].BilinearFilter = 1;
	material.TextureLayer[0].TrilinearFilter = 0;
	material.TextureLayer[0].AnisotropicFilter = 0;
	material.GouraudShading = 0;
	material.Lighting = 0;
	material.ZWriteEnable = 0;
	material.ZBuffer = 0;
	material.BackfaceCulling = 0;
	return material;
}
} // namespace fw
