#pragma once

#include "content/CAtlasTexture.h"
#include "content/video/CQuadBatch.h"
#include "core/BaseNode.h"

namespace fw
{
// An atlas image stretched over Bounds as a 3 x 3 grid of quads: the corners keep their pixel
// sizes (TopLeftDelta, BottomRightDelta), the edges stretch one way and the centre both, so that
// panels of any size come from one small image. Rebuilt on every draw.
class NineGridSpriteNode : public BaseNode
{
public:
	FW_NODE_CLASS(NineGridSpriteNode, BaseNode, NODE_TYPE_NINE_GRID_SPRITE, L"NineGridSpriteNode")
	static const PropertyTable& getClassPropertyTable();

	static constexpr u8 HIT_ALPHA_THRESHOLD = 20;

	NineGridSpriteNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~NineGridSpriteNode() override;

	// Rebuilds the cells, then hands them to the frame's quad batch.
	void render(const SRenderContext& context, const core::rect<f32>* clip) override;
	// The node's rectangle; no per-pixel test.
	bool hitTest(const core::vector3df& point) const override;

	void setAtlasTexture(CAtlasTexture* atlasTexture);
	CAtlasTexture* getAtlasTexture() const { return m_atlasTexture.get(); }
	void setTopLeftDelta(const core::vector2df& delta) { m_topLeftDelta = delta; }
	const core::vector2df& getTopLeftDelta() const { return m_topLeftDelta; }
	void setBottomRightDelta(const core::vector2df& delta) { m_bottomRightDelta = delta; }
	const core::vector2df& getBottomRightDelta() const { return m_bottomRightDelta; }

	// Rebuilds the nine quads in screen space; nothing without an atlas texture with a texture.
	void updateCells();
	// Row by row from the top-left cell.
	const SQuad* getCells() const { return m_cells; }
	const video2d::SMaterial& getMaterial() const { return m_material; }

protected:
	void appendRenderables(RenderList& list) override;
	// The children add themselves, clipped or not: a grid draws no clipped group.
	void collectChildRenderables(RenderList& list) override { collectEachChild(list); }

private:
	bool hasTexture() const { return m_atlasTexture && m_atlasTexture->getTexture(); }

	CRefHolder<CAtlasTexture> m_atlasTexture;
	video2d::SMaterial m_material;
	SQuad m_cells[9];
	core::vector2df m_topLeftDelta = core::vector2df(10.f, 10.f);
	core::vector2df m_bottomRightDelta = core::vector2df(10.f, 10.f);
};
} // namespace fw
