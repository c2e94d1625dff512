#pragma once

#include "core/CoreTypes.h"

#include <SColor.h>
#include <matrix4.h>

namespace fw
{
namespace video2d
{
class ITextureContent;

// Material types of the two 2D material renderers, both alpha-blended with alpha = texture alpha x
// vertex alpha. The video layer maps them to the numbers the renderers got from the driver.
enum E2DMaterialType : u32
{
	MATERIAL_2D_MODULATE = 24, // texture colour x vertex colour
	MATERIAL_2D_ADD = 25       // texture colour + vertex colour
};

// Wrap modes of a texture layer.
enum ETextureWrap : u8
{
	TEXTURE_WRAP_REPEAT = 0,
	TEXTURE_WRAP_CLAMP = 1,
	TEXTURE_WRAP_CLAMP_TO_EDGE = 2,
	TEXTURE_WRAP_CLAMP_TO_BORDER = 3,
	TEXTURE_WRAP_MIRROR = 4
};

const u32 MATERIAL_MAX_LAYERS = 4;

// One texture layer of a material.
struct SMaterialLayer
{
	SMaterialLayer() = default;
	SMaterialLayer(const SMaterialLayer& other);
	SMaterialLayer& operator=(const SMaterialLayer& other);
	~SMaterialLayer();

	// The identity when the layer has no matrix of its own.
	const core::matrix4& getTextureMatrix() const;
	void setTextureMatrix(const core::matrix4& matrix);

	// A missing texture matrix equals an identity one.
	bool operator==(const SMaterialLayer& other) const;
	bool operator!=(const SMaterialLayer& other) const { return !(*this == other); }

	// Not referenced: whoever puts a texture into a material keeps it alive.
	ITextureContent* Texture = nullptr;
	// Owned; copied deeply.
	core::matrix4* TextureMatrix = nullptr;
	u8 WrapMode = TEXTURE_WRAP_REPEAT;
	u8 BilinearFilter = 1;
	u8 TrilinearFilter = 0;
	// 0 off, otherwise the maximum anisotropy.
	u8 AnisotropicFilter = 0;
	// In eighths of a mip-map level.
	irr::s8 LODBias = 0;
};

// The framework's material: what the quad batch compares to decide when to draw, and what the
// video layer turns into the engine's material when it draws.
struct SMaterial
{
	SMaterial() = default;
	// The same as default construction followed by assignment.
	SMaterial(const SMaterial& other) { *this = other; }
	// Copies the type, colours and numbers, only the source's used layers, then the used-layer
	// count and every flag: layers above the source's used-layer count keep what they held.
	SMaterial& operator=(const SMaterial& other);

	// Compares layers only below the used-layer count.
	bool operator==(const SMaterial& other) const;
	bool operator!=(const SMaterial& other) const { return !(*this == other); }

	// The layers that take part in comparison and drawing.
	u32 getActiveLayerCount() const { return UsedLayers < MATERIAL_MAX_LAYERS ? UsedLayers : MATERIAL_MAX_LAYERS; }

	u32 MaterialType = 0;
	video::SColor AmbientColor = 0xFFFFFFFF;
	video::SColor DiffuseColor = 0xFFFFFFFF;
	video::SColor EmissiveColor = 0x00000000;
	video::SColor SpecularColor = 0xFFFFFFFF;
	f32 Shininess = 0.f;
	f32 MaterialTypeParam = 0.f;
	f32 MaterialTypeParam2 = 0.f;
	f32 Thickness = 1.f;
	SMaterialLayer TextureLayer[MATERIAL_MAX_LAYERS];
	u32 UsedLayers = MATERIAL_MAX_LAYERS;
	// Bit 0 alpha, bit 1 red, bit 2 green, bit 3 blue.
	u8 ColorMask = 15;
	// Which lighting colour follows the vertex colour: 0 none, 1 diffuse, 2 ambient, 3 emissive,
	// 4 specular, 5 diffuse and ambient.
	u8 ColorMaterial = 1;
	u8 Wireframe = 0;
	u8 PointCloud = 0;
	u8 GouraudShading = 1;
	u8 Lighting = 1;
	u8 ZWriteEnable = 1;
	u8 BackfaceCulling = 1;
	u8 FrontfaceCulling = 0;
	u8 FogEnable = 0;
	u8 NormalizeNormals = 0;
	// Depth test: 0 off; 1 less or equal, 2 equal, 3 less, 4 not equal, 5 greater or equal,
	// 6 greater, 7 always.
	u8 ZBuffer = 1;
	// Bit flags, as the engine's.
	u8 AntiAliasing = 5;
};
} // namespace video2d
} // namespace fw
