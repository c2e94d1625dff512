#include "widgets/SpriteNode.h"

#include "core/CPropertyContainer.h"
#include "core/NodeCasts.h"
#include "core/PropertyAccessors.h"
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

const s32 DEFAULT_WRAP_TYPE = video2d::TEXTURE_WRAP_CLAMP;

bool isWrittenStretch(s32 mode)
{
	// Fit is worked out again from the image; natural is the default.
	return mode != SPRITE_STRETCH_NATURAL && mode != SPRITE_STRETCH_FIT;
}
} // namespace

SpriteNode::SpriteNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager)
	: BaseNode(reference, parent, sceneManager), m_material(makeQuadMaterial())
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
	static const PropertyTable& table = makePropertyTable(BaseNode::getClassPropertyTable(),
		{
			makeProperty<&SpriteNode::setImageStretchX, &SpriteNode::getImageStretchX>(IMAGE_STRETCH_X),
			makeProperty<&SpriteNode::setImageStretchY, &SpriteNode::getImageStretchY>(IMAGE_STRETCH_Y),
			makeProperty<&SpriteNode::setImagePivotPoint, &SpriteNode::getImagePivotPoint>(IMAGE_PIVOT_POINT),
			makeProperty<&SpriteNode::setWrapType, &SpriteNode::getWrapType>(WRAP_TYPE),
			makeProperty<&SpriteNode::setFlipX, &SpriteNode::getFlipX>(FLIP_X),
			makeProperty<&SpriteNode::setFlipY, &SpriteNode::getFlipY>(FLIP_Y),
			makeProperty<&SpriteNode::setBlendType, &SpriteNode::getBlendType>(BLEND_TYPE),
			makeProperty<&SpriteNode::setAtlasTextureProperty, &SpriteNode::getAtlasTextureProperty>(ATLAS_TEXTURE),
		});
	return table;
}

BaseNode* SpriteNode::clone(BaseNode* parent, ISceneManager* sceneManager) const
{
	ISceneManager* manager = sceneManager ? sceneManager : getSceneManager();
	return finishClone(new SpriteNode(getContentReference(), parent, manager), parent, manager);
}

const wchar_t* SpriteNode::getTypeName() const
{
	return L"SpriteNode";
}

const wchar_t* SpriteNode::getClassName() const
{
	return L"SpriteNode";
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

void SpriteNode::setAtlasTextureProperty(IAtlasTextureContent* atlasTexture)
{
	setAtlasTexture(dynamic_cast<CAtlasTexture*>(atlasTexture));
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
	m_localQuad = layoutSpriteQuad(image, m_imagePivotPoint, m_imageStretchX, m_imageStretchY, extent, m_flipX, m_flipY);
	if (extent.X != bounds.X || extent.Y != bounds.Y)
		setBounds(core::vector3df(extent.X, extent.Y, bounds.Z));

	const core::matrix4& m = getAbsoluteTransformation();
	const video::SColor color = getAbsoluteColor();
	for (u32 i = 0; i < 4; ++i)
	{
		const core::vector2df at = toScreen(m, m_localQuad.corners[i].X, m_localQuad.corners[i].Y);
		m_quad.Vertices[i] =
			video2d::S2DVertex(at.X, at.Y, 1.f, color, m_localQuad.uv[i].X, m_localQuad.uv[i].Y);
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

void SpriteNode::collectRenderables(RenderList& list)
{
	if (!isVisible())
		return;
	if (isTransformationDirty())
		updateAbsoluteTransformation();
	if (isColorDirty())
		updateAbsoluteColor();
	if (hasTexture() && getAbsoluteColor().getAlpha() != 0)
		list.push_back(SRenderEntry{this, getAbsoluteTransformation()[14], textureSortKey(m_atlasTexture->getTexture())});
	collectChildRenderables(this, list);
}

void SpriteNode::render(video::IVideoDriver* driver, const core::rect<f32>*)
{
	if (CQuadBatch* batch = getQuadBatch(driver))
		batch->addQuad(m_quad);
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
	const SpriteNode* sprite = nodeCast<const SpriteNode>(source);
	if (!sprite || sprite == this)
		return;
	m_imageStretchX = sprite->m_imageStretchX;
	m_imageStretchY = sprite->m_imageStretchY;
	m_material.TextureLayer[0].WrapMode = sprite->m_material.TextureLayer[0].WrapMode;
	m_flipX = sprite->m_flipX;
	m_flipY = sprite->m_flipY;
	m_imagePivotPoint = sprite->m_imagePivotPoint;
	setBlendType(sprite->m_blendType);
	setAtlasTexture(sprite->m_atlasTexture.get());
	updateQuad();
}

void SpriteNode::writeProperties(CPropertyContainer* container) const
{
	BaseNode::writeProperties(container);
	if (!container)
		return;
	if (isWrittenStretch(m_imageStretchX))
		container->addInt(IMAGE_STRETCH_X, m_imageStretchX);
	if (isWrittenStretch(m_imageStretchY))
		container->addInt(IMAGE_STRETCH_Y, m_imageStretchY);
	if (m_imagePivotPoint.X != 0.f || m_imagePivotPoint.Y != 0.f)
		container->addVector2d(IMAGE_PIVOT_POINT, m_imagePivotPoint);
	if (getWrapType() != DEFAULT_WRAP_TYPE)
		container->addInt(WRAP_TYPE, getWrapType());
	if (m_flipX)
		container->addBool(FLIP_X, true);
	if (m_flipY)
		container->addBool(FLIP_Y, true);
	if (m_blendType != 0)
		container->addInt(BLEND_TYPE, m_blendType);
	if (m_atlasTexture)
		container->addAtlasTexture(ATLAS_TEXTURE, m_atlasTexture.get());
}

void SpriteNode::readProperties(CPropertyContainer* container)
{
	BaseNode::readProperties(container);
	if (!container)
		return;
	const auto has = [container](const c8* name) { return container->indexOf(name) >= 0; };
	if (has(IMAGE_STRETCH_X))
		setImageStretchX(SPropertyValue<s32>::get(container->get(IMAGE_STRETCH_X)));
	if (has(IMAGE_STRETCH_Y))
		setImageStretchY(SPropertyValue<s32>::get(container->get(IMAGE_STRETCH_Y)));
	if (has(IMAGE_PIVOT_POINT))
		m_imagePivotPoint = SPropertyValue<core::vector2df>::get(container->get(IMAGE_PIVOT_POINT));
	if (has(WRAP_TYPE))
	{
		const PropertyHolder value = container->get(WRAP_TYPE);
		// An int out of range is ignored; another type is read as 0.
		setWrapType(value && value->isOfType(PDT_INT) ? SPropertyValue<s32>::get(value) : 0);
	}
	if (has(FLIP_X))
		m_flipX = SPropertyValue<bool>::get(container->get(FLIP_X));
	if (has(FLIP_Y))
		m_flipY = SPropertyValue<bool>::get(container->get(FLIP_Y));
	if (has(BLEND_TYPE))
		setBlendType(SPropertyValue<s32>::get(container->get(BLEND_TYPE)));
	// Last: its rebuild uses every value read before it.
	if (has(ATLAS_TEXTURE))
		setAtlasTextureProperty(SPropertyValue<IAtlasTextureContent*>::get(container->get(ATLAS_TEXTURE)));
}
} // namespace fw
