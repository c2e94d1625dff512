#pragma once

#include "content/CAtlasTexture.h"
#include "content/video/CQuadBatch.h"
#include "core/BaseNode.h"
#include "widgets/SpriteGeometry.h"

namespace fw
{
// One atlas image drawn as one quad of the quad batch: placed by its pivot, sized against Bounds
// per axis (ESpriteStretch), mirrored, blended normally or additively, hit-tested by the alpha of
// the texel under the point. The quad is kept in screen space and rebuilt only when something that
// shapes it changes (the image, a stretch mode, the transformation).
class SpriteNode : public BaseNode
{
public:
	FW_NODE_CLASS(SpriteNode, BaseNode, NODE_TYPE_SPRITE, L"SpriteNode")
	static const PropertyTable& getClassPropertyTable();

	// Alpha a texel and the tint must exceed for a hit.
	static constexpr u8 HIT_ALPHA_THRESHOLD = 20;

	SpriteNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~SpriteNode() override;

	void render(const SRenderContext& context, const core::rect<f32>* clip) override;
	bool hitTest(const core::vector3df& point) const override;
	void updateAbsoluteTransformation() override;
	void updateAbsoluteColor() override;
	// The table's values, then a rebuild with all of them.
	void copyFrom(const BaseNode* source, ISceneManager* sceneManager) override;

	// Null draws nothing.
	void setAtlasTexture(CAtlasTexture* atlasTexture);
	CAtlasTexture* getAtlasTexture() const { return m_atlasTexture.get(); }
	void setImageStretchX(s32 mode);
	s32 getImageStretchX() const { return m_imageStretchX; }
	void setImageStretchY(s32 mode);
	s32 getImageStretchY() const { return m_imageStretchY; }
	// Pivot and flips show at the next rebuild.
	void setImagePivotPoint(const core::vector2df& pivot) { m_imagePivotPoint = pivot; }
	const core::vector2df& getImagePivotPoint() const { return m_imagePivotPoint; }
	void setFlipX(bool flip) { m_flipX = flip; }
	bool getFlipX() const { return m_flipX; }
	void setFlipY(bool flip) { m_flipY = flip; }
	bool getFlipY() const { return m_flipY; }
	// The texture wrap mode, 0 to 4; other values are ignored.
	void setWrapType(s32 wrapType);
	s32 getWrapType() const { return m_material.TextureLayer[0].WrapMode; }
	// 0 normal, 1 additive; other values become 0.
	void setBlendType(s32 blendType);
	s32 getBlendType() const { return m_blendType; }

	// Rebuilds the quad; nothing without an atlas texture with a texture.
	void updateQuad();

	const SQuad& getQuad() const { return m_quad; }
	// The quad in the node's local space.
	const SSpriteQuad& getLocalQuad() const { return m_localQuad; }
	const video2d::SMaterial& getMaterial() const { return m_material; }

protected:
	void appendRenderables(RenderList& list) override;
	// The children add themselves, clipped or not: a sprite draws no clipped group.
	void collectChildRenderables(RenderList& list) override { collectEachChild(list); }

private:
	bool hasTexture() const { return m_atlasTexture && m_atlasTexture->getTexture(); }

	CRefHolder<CAtlasTexture> m_atlasTexture;
	video2d::SMaterial m_material;
	s32 m_blendType = 0;
	SQuad m_quad;
	SSpriteQuad m_localQuad;
	core::vector2df m_imagePivotPoint = core::vector2df(0.f, 0.f);
	s32 m_imageStretchX = 0;
	s32 m_imageStretchY = 0;
	bool m_flipX = false;
	bool m_flipY = false;
};
} // namespace fw
