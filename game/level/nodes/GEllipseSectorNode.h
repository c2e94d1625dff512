#pragma once

#include "content/video/S2DVertex.h"
#include "content/video/SMaterial.h"
#include "core/BaseNode.h"
#include "level/data/GameNodeTypeIds.h"

// A filled sector of the ellipse inscribed in the node's bounds, from Angle1 to Angle2 degrees
// clockwise from 12 o'clock, in one colour, drawn as one triangle fan (the gameplay screen's clock
// face). MaxVerticesCount cuts a full circle into that many steps.
class GEllipseSectorNode : public fw::BaseNode
{
public:
	FW_NODE_CLASS(GEllipseSectorNode, fw::BaseNode, NODE_TYPE_GAME_ELLIPSE_SECTOR, L"GEllipseSectorNode")
	static const fw::PropertyTable& getClassPropertyTable();

	// The vertices 16-bit indices can address: no fan is drawn with more.
	static constexpr fw::u32 MAX_VERTICES = 0x10000;

	GEllipseSectorNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	// Flushes the frame's batch and draws the fan; nothing with fewer than three vertices. The clip
	// rectangle is not applied.
	void render(const fw::SRenderContext& context, const fw::core::rect<fw::f32>* clip) override;

	fw::video::SColor getFillColor() const { return m_fillColor; }
	void setFillColor(fw::video::SColor color) { m_fillColor = color; }
	fw::s32 getAngle1() const { return m_angle1; }
	void setAngle1(fw::s32 angle) { m_angle1 = angle; }
	fw::s32 getAngle2() const { return m_angle2; }
	void setAngle2(fw::s32 angle) { m_angle2 = angle; }
	// Below 1 counts as 1 when drawing.
	fw::s32 getMaxVerticesCount() const { return m_maxVerticesCount; }
	void setMaxVerticesCount(fw::s32 count) { m_maxVerticesCount = count; }

	// Rebuilds the fan from the absolute transformation and colour: the centre, a vertex at every
	// whole step from Angle1 while below Angle2, then one at Angle2.
	void buildVertices();
	const fw::core::array<fw::video2d::S2DVertex>& getVertices() const { return m_vertices; }
	const fw::video2d::SMaterial& getMaterial() const { return m_material; }

protected:
	void appendRenderables(fw::RenderList& list) override;

private:
	void addVertex(fw::s32 degrees, fw::f32 cx, fw::f32 cy, fw::f32 rx, fw::f32 ry, fw::video::SColor color);

	fw::video::SColor m_fillColor = fw::video::SColor(0xFFFFFFFF);
	fw::s32 m_angle1 = 0;
	fw::s32 m_angle2 = 360;
	fw::s32 m_maxVerticesCount = 32;
	fw::core::array<fw::video2d::S2DVertex> m_vertices;
	fw::video2d::SMaterial m_material;
};
