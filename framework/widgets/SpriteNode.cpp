#include "widgets/SpriteNode.h"

#include "content/ContentPropertyValues.h"
#include "widgets/DrawingSupport.h"

namespace fw
{
namespace
{
const c8* const IMAGE_STRETCH_X = "ImageStretchX";
const c8* const IMAGE_STRETCH_Y = "ImageStretchY";
const c8* const IMAGE_PIVOT_POINT = "ImagePivotPoint";
const c8* const WRAP_TYPE = "WrapType";
const c8* const FLIP_X = "FlipX";
const c8* const FLIP_Y = "FlipY";
const c8* const BLEND_TYPE = "BlendType";
const c8* const ATLAS_TEXTURE = "AtlasTexture";

// Fit is worked out again from the image at every rebuild, so files leave it out like the default.
template <auto Member>
bool isNaturalOrFit(const IPropertyOwner* object, const PropertyDescriptor&)
{
	const s32 mode = static_cast<const SpriteNode*>(object)->*Member;
	return mode == SPRITE_STRETCH_NATURAL || mode == SPRITE_STRETCH_FIT;
}

template <auto Member>
PropertyDescriptor writtenUnlessNaturalOrFit(PropertyDescriptor property)
{
	property.isDefault = &isNaturalOrFit<Member>;
	return property;
}
} // namespace

SpriteNode::SpriteNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	BaseNode(reference, parent, sceneManager), m_material(makeQuadMaterial())
{
	m_quad.Material = &m_material;
	for (u32 i = 0; i < 4; ++i)
		m_quad.Vertices[i].Pos.Z = 1.f;
}

SpriteNode::~SpriteNode()
{
	m_material.TextureLayer[0].Texture = nullptr;
}

const PropertyTable& SpriteNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable<SpriteNode>(BaseNode::getClassPropertyTable(),
		{
			writtenUnlessNaturalOrFit<&SpriteNode::m_imageStretchX>(
				makeProperty<&SpriteNode::setImageStretchX, &SpriteNode::getImageStretchX>(IMAGE_STRETCH_X)
					.stored()
					.copiedIn<&SpriteNode::m_imageStretchX>()),
			writtenUnlessNaturalOrFit<&SpriteNode::m_imageStretchY>(
				makeProperty<&SpriteNode::setImageStretchY, &SpriteNode::getImageStretchY>(IMAGE_STRETCH_Y)
					.stored()
					.copiedIn<&SpriteNode::m_imageStretchY>()),
			makeProperty<&SpriteNode::setImagePivotPoint, &SpriteNode::getImagePivotPoint>(IMAGE_PIVOT_POINT).stored(),
			makeProperty<&SpriteNode::setWrapType, &SpriteNode::getWrapType>(WRAP_TYPE).stored(),
			makeProperty<&SpriteNode::setFlipX, &SpriteNode::getFlipX>(FLIP_X).stored(),
			makeProperty<&SpriteNode::setFlipY, &SpriteNode::getFlipY>(FLIP_Y).stored(),
			makeProperty<&SpriteNode::setBlendType, &SpriteNode::getBlendType>(BLEND_TYPE).stored(),
			// Last: its rebuild, when a file is read, uses every value read before it.
			makeProperty<&SpriteNode::setAtlasTexture, &SpriteNode::getAtlasTexture>(ATLAS_TEXTURE).stored(),
		});
	return table;
}

void SpriteNode::setAtlasTexture(CAtlasTexture* atlasTexture)
{
	if (atlasTexture == m_atlasTexture.get())
		return;
	m_atlasTexture.assign(atlasTexture);
	// The layer must not keep a texture that the dropped image may have been the last to hold.
	m_material.TextureLayer[0].Texture = atlasTexture ? atlasTexture->getTexture() : nullptr;
	if (atlasTexture)
		updateQuad();
}

void SpriteNode::setImageStretchX(s32 mode)
{
	m_imageStretchX = mode;
	updateQuad();
}

void SpriteNode::setImageStretchY(s32 mode)
{
	m_imageStretchY = mode;
	updateQuad();
}

void SpriteNode::setWrapType(s32 wrapType)
{
	if (wrapType >= video2d::TEXTURE_WRAP_REPEAT && wrapType <= video2d::TEXTURE_WRAP_MIRROR)
		m_material.TextureLayer[0].WrapMode = static_cast<u8>(wrapType);
}

void SpriteNode::setBlendType(s32 blendType)
{
	m_blendType = blendType == 1 ? 1 : 0;
	m_material.MaterialType = m_blendType ? video2d::MATERIAL_2D_ADD : video2d::MATERIAL_2D_MODULATE;
}

void SpriteNode::updateQuad()
{
	if (!hasTexture())
		return;
	const CTextureContent* texture = m_atlasTexture->getTexture();
	SSpriteImage image;
	image.uvRect = m_atlasTexture->getUVRect();
	image.textureSize = texture->getSize();
	image.marginBefore = m_atlasTexture->getMarginBefore();
	image.marginAfter = m_atlasTexture->getMarginAfter();
	const core::vector3df& bounds = getBounds();
	core::vector2df extent(bounds.X, bounds.Y);
	m_localQuad =
		layoutSpriteQuad(image, m_imagePivotPoint, m_imageStretchX, m_imageStretchY, extent, m_flipX, m_flipY);
	if (extent.X != bounds.X || extent.Y != bounds.Y)
		setBounds(core::vector3df(extent.X, extent.Y, bounds.Z));

	const core::matrix4& m = getAbsoluteTransformation();
	const video::SColor color = getAbsoluteColor();
	for (u32 i = 0; i < 4; ++i)
	{
		const core::vector2df at = toScreen(m, m_localQuad.corners[i].X, m_localQuad.corners[i].Y);
		m_quad.Vertices[i] = video2d::S2DVertex(at.X, at.Y, 1.f, color, m_localQuad.uv[i].X, m_localQuad.uv[i].Y);
	}
}

void SpriteNode::updateAbsoluteTransformation()
{
	BaseNode::updateAbsoluteTransformation();
	updateQuad();
}

void SpriteNode::updateAbsoluteColor()
{
	BaseNode::updateAbsoluteColor();
	const video::SColor color = getAbsoluteColor();
	for (u32 i = 0; i < 4; ++i)
		m_quad.Vertices[i].Color = color;
}

void SpriteNode::appendRenderables(RenderList& list)
{
	if (hasTexture() && getAbsoluteColor().getAlpha() != 0)
		list.push_back(
			SRenderEntry{this, getAbsoluteTransformation()[14], textureSortKey(m_atlasTexture->getTexture())});
}

void SpriteNode::render(const SRenderContext& context, const core::rect<f32>*)
{
	if (context.quadBatch)
		context.quadBatch->addQuad(m_quad);
}

bool SpriteNode::hitTest(const core::vector3df& point) const
{
	if (!getCanBeHit() || !isVisible() || getTintColor().getAlpha() <= HIT_ALPHA_THRESHOLD || !hasTexture())
		return false;
	core::vector3df local(point);
	core::matrix4 inverse;
	if (!getAbsoluteTransformation().getInverse(inverse))
		return false;
	inverse.transformVect(local);
	const CTextureContent* texture = m_atlasTexture->getTexture();
	s32 x = 0;
	s32 y = 0;
	// The quad as drawn is what the player sees and points at.
	if (!spriteTexelAt(m_localQuad, texture->getSize(), core::vector2df(local.X, local.Y), x, y))
		return false;
	return texture->isPixelOpaque(x, y, HIT_ALPHA_THRESHOLD);
}

void SpriteNode::copyFrom(const BaseNode* source, ISceneManager* sceneManager)
{
	BaseNode::copyFrom(source, sceneManager);
	updateQuad();
}
} // namespace fw
