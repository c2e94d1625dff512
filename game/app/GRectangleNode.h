#pragma once

#include "content/video/SMaterial.h"
#include "core/BaseNode.h"
#include "level/data/GameNodeTypeIds.h"

// A rectangle the size of the node's bounds, filled with one colour and outlined with another,
// drawn in the node's own frame: it moves, scales, rotates and fades with the node and its parents.
class GRectangleNode : public fw::BaseNode
{
public:
	FW_NODE_CLASS(GRectangleNode, fw::BaseNode, NODE_TYPE_GAME_RECTANGLE, L"GRectangleNode")
	static const fw::PropertyTable& getClassPropertyTable();

	GRectangleNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	void render(const fw::SRenderContext& context, const fw::core::rect<fw::f32>* clip) override;

	fw::video::SColor getBorderColor() const { return m_borderColor; }
	void setBorderColor(fw::video::SColor color) { m_borderColor = color; }
	fw::video::SColor getFillColor() const { return m_fillColor; }
	void setFillColor(fw::video::SColor color) { m_fillColor = color; }

	const fw::video2d::SMaterial& getMaterial() const { return m_material; }
	// The left end of the top edge: 0 at an x scale above 0.9, where it closes the outline's corner,
	// else 1.
	static fw::f32 outlineStart(const fw::core::matrix4& absolute);

protected:
	// An entry only while the node's absolute colour is not fully transparent.
	void appendRenderables(fw::RenderList& list) override;

private:
	fw::video::SColor m_borderColor = 0;
	fw::video::SColor m_fillColor = 0;
	fw::video2d::SMaterial m_material;
};
