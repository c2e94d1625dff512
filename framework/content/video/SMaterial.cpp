#include "content/video/SMaterial.h"

#include "content/video/IdentityMatrix.h"

namespace fw
{
namespace video2d
{
SMaterialLayer::SMaterialLayer(const SMaterialLayer& other)
{
	*this = other;
}

SMaterialLayer& SMaterialLayer::operator=(const SMaterialLayer& other)
{
	if (this == &other)
		return *this;
	Texture = other.Texture;
	if (other.TextureMatrix)
		setTextureMatrix(*other.TextureMatrix);
	else
	{
		delete TextureMatrix;
		TextureMatrix = nullptr;
	}
	WrapMode = other.WrapMode;
	BilinearFilter = other.BilinearFilter;
	TrilinearFilter = other.TrilinearFilter;
	AnisotropicFilter = other.AnisotropicFilter;
	LODBias = other.LODBias;
	return *this;
}

SMaterialLayer::~SMaterialLayer()
{
	delete TextureMatrix;
}

const core::matrix4& SMaterialLayer::getTextureMatrix() const
{
	return TextureMatrix ? *TextureMatrix : getIdentityMatrix();
}

void SMaterialLayer::setTextureMatrix(const core::matrix4& matrix)
{
	if (TextureMatrix)
		*TextureMatrix = matrix;
	else
		TextureMatrix = new core::matrix4(matrix);
}

bool SMaterialLayer::operator==(const SMaterialLayer& other) const
{
	if (Texture != other.Texture || WrapMode != other.WrapMode || BilinearFilter != other.BilinearFilter ||
		TrilinearFilter != other.TrilinearFilter || AnisotropicFilter != other.AnisotropicFilter ||
		LODBias != other.LODBias)
		return false;
	if (TextureMatrix == other.TextureMatrix)
		return true;
	return getTextureMatrix() == other.getTextureMatrix();
}

SMaterial& SMaterial::operator=(const SMaterial& other)
{
	if (this == &other)
		return *this;
	MaterialType = other.MaterialType;
	AmbientColor = other.AmbientColor;
	DiffuseColor = other.DiffuseColor;
	EmissiveColor = other.EmissiveColor;
	SpecularColor = other.SpecularColor;
	Shininess = other.Shininess;
	MaterialTypeParam = other.MaterialTypeParam;
	MaterialTypeParam2 = other.MaterialTypeParam2;
	Thickness = other.Thickness;
	const u32 layers = other.getActiveLayerCount();
	for (u32 i = 0; i < layers; ++i)
		TextureLayer[i] = other.TextureLayer[i];
	UsedLayers = other.UsedLayers;
	ColorMask = other.ColorMask;
	ColorMaterial = other.ColorMaterial;
	Wireframe = other.Wireframe;
	PointCloud = other.PointCloud;
	GouraudShading = other.GouraudShading;
	Lighting = other.Lighting;
	ZWriteEnable = other.ZWriteEnable;
	BackfaceCulling = other.BackfaceCulling;
	FrontfaceCulling = other.FrontfaceCulling;
	FogEnable = other.FogEnable;
	NormalizeNormals = other.NormalizeNormals;
	ZBuffer = other.ZBuffer;
	AntiAliasing = other.AntiAliasing;
	return *this;
}

bool SMaterial::operator==(const SMaterial& other) const
{
	if (MaterialType != other.MaterialType || AmbientColor != other.AmbientColor ||
		DiffuseColor != other.DiffuseColor || EmissiveColor != other.EmissiveColor ||
		SpecularColor != other.SpecularColor || Shininess != other.Shininess ||
		MaterialTypeParam != other.MaterialTypeParam || MaterialTypeParam2 != other.MaterialTypeParam2 ||
		Thickness != other.Thickness || UsedLayers != other.UsedLayers || ColorMask != other.ColorMask ||
		ColorMaterial != other.ColorMaterial || Wireframe != other.Wireframe || PointCloud != other.PointCloud ||
		GouraudShading != other.GouraudShading || Lighting != other.Lighting || ZWriteEnable != other.ZWriteEnable ||
		BackfaceCulling != other.BackfaceCulling || FrontfaceCulling != other.FrontfaceCulling ||
		FogEnable != other.FogEnable || NormalizeNormals != other.NormalizeNormals || ZBuffer != other.ZBuffer ||
		AntiAliasing != other.AntiAliasing)
		return false;
	const u32 layers = getActiveLayerCount();
	for (u32 i = 0; i < layers; ++i)
		if (TextureLayer[i] != other.TextureLayer[i])
			return false;
	return true;
}
} // namespace video2d
} // namespace fw
