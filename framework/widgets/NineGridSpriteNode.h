#pragma once

#include "content/CAtlasTexture.h"
#include "content/CQuadBatch.h"
#include "core/BaseNode.h"

namespace fw
{
// An atlas image stretched over Bounds as a 3 x 3 grid of quads: the corners keep their pixel
// sizes (TopLeftDelta, BottomRightDelta), the edges stretch one way and the centre both, so that
// panels of any size come from one small image. Rebuilt on every draw.
class NineGridSpriteNode : public BaseNode
{
public:
	FW_NODE_TYPE(4, BaseNode)

	static constexpr u8 HIT_ALPHA_THRESHOLD = 20;

	NineGridSpriteNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~NineGridSpriteNode() override;

	const PropertyTable& getPropertyTable() const override { return getClassPropertyTable(); }
	static const PropertyTable& getClassPropertyTable();
	BaseNode* clone(BaseNode* parent = nullptr, ISceneManager* sceneManager = nullptr) const override;
	const wchar_t* getTypeName() const override;
	const wchar_t* getClassName() const override;

	void collectRenderables(RenderList& list) override;
	void render(video::IVideoDriver* driver, const core::rect<f32>* clip) override;
	// The node's rectangle; no per-pixel test.
	bool hitTest(const core::vector3df& point) const override;
	void copyFrom(const BaseNode* source, ISceneManager* sceneManager) override;
	void writeProperties(CPropertyContainer* container) const override;
	void readProperties(CPropertyContainer* container) override;

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

private:
	void setAtlasTextureProperty(IAtlasTextureContent* atlasTexture);
	IAtlasTextureContent* getAtlasTextureProperty() const { return m_atlasTexture.get(); }
	bool hasTexture() const { return m_atlasTexture && m_atlasTexture->getTexture(); }

	CRefHolder<CAtlasTexture> m_atlasTexture;
	video2d::SMaterial m_material;
	SQuad m_cells[9];
	core::vector2df m_topLeftDelta = core::vector2df(10.f, 10.f);
	core::vector2df m_bottomRightDelta = core::vector2df(10.f, 10.f);
};
} // namespace fw
