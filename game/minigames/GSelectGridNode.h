#pragma once

#include "content/video/S2DVertex.h"
#include "content/video/SMaterial.h"
#include "core/BaseNode.h"
#include "level/data/GameNodeTypeIds.h"

// A rectangle the size of its bounds, optionally filled with one colour, with a grid of lines every
// CellSize over it, drawn with the video driver in the node's own coordinates. A CellSize component
// of 0 or less draws no lines in that direction; more than MAX_LINES lines in one direction are cut
// there.
class GSelectGridNode : public fw::BaseNode
{
public:
	FW_NODE_CLASS(GSelectGridNode, fw::BaseNode, NODE_TYPE_GAME_SELECT_GRID, L"GSelectGridNode")
	static const fw::PropertyTable& getClassPropertyTable();

	static constexpr fw::u32 MAX_LINES = 4096;

	GSelectGridNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	void render(const fw::SRenderContext& context, const fw::core::rect<fw::f32>* clip) override;
	void updateAbsoluteTransformation() override;
	void updateAbsoluteColor() override;

	fw::video::SColor getGridColor() const { return m_gridColor; }
	void setGridColor(fw::video::SColor color);
	fw::video::SColor getFillColor() const { return m_fillColor; }
	void setFillColor(fw::video::SColor color);
	const fw::core::vector2df& getCellSize() const { return m_cellSize; }
	void setCellSize(const fw::core::vector2df& size) { m_cellSize = size; }

	// Two vertices a line: the vertical lines left to right, then the horizontal ones top to bottom.
	const fw::core::array<fw::video2d::S2DVertex>& getLineVertices() const { return m_lines; }
	const fw::video2d::SMaterial& getMaterial() const { return m_material; }

protected:
	void appendRenderables(fw::RenderList& list) override;

private:
	void buildLines();

	fw::video::SColor m_gridColor = fw::video::SColor(0);
	fw::video::SColor m_fillColor = fw::video::SColor(0);
	fw::core::vector2df m_cellSize = fw::core::vector2df(40.f, 40.f);
	fw::core::array<fw::video2d::S2DVertex> m_lines;
	fw::video2d::SMaterial m_material;
};
