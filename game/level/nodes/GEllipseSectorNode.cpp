#include "level/nodes/GEllipseSectorNode.h"

#include "content/video/CVideoDriver2D.h"
#include "content/video/IdentityMatrix.h"
#include "core/PropertyAccessors.h"
#include "core/SineTable.h"
#include "core/TextParsing.h"

namespace
{
fw::u32 multiplyRounded(fw::u32 a, fw::u32 b)
{
	return (a * b + 127) / 255;
}
} // namespace

GEllipseSectorNode::GEllipseSectorNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	fw::BaseNode(reference, parent, sceneManager)
{
	m_material.MaterialType = fw::video::EMT_TRANSPARENT_VERTEX_ALPHA;
	m_material.UsedLayers = 1;
	m_material.Lighting = 0;
	m_material.ZBuffer = 0;
	m_material.ZWriteEnable = 0;
	// Clockwise on a y-down screen is the back face to the projection.
	m_material.BackfaceCulling = 0;
}

const fw::PropertyTable& GEllipseSectorNode::getClassPropertyTable()
{
	static const fw::PropertyTable& table =
		fw::makePropertyTable<GEllipseSectorNode>(fw::BaseNode::getClassPropertyTable(),
			{
				fw::makeProperty<&GEllipseSectorNode::setFillColor, &GEllipseSectorNode::getFillColor>("FillColor")
					.stored(),
				fw::makeProperty<&GEllipseSectorNode::setAngle1, &GEllipseSectorNode::getAngle1>("Angle1").stored(),
				fw::makeProperty<&GEllipseSectorNode::setAngle2, &GEllipseSectorNode::getAngle2>("Angle2").stored(),
				fw::makeProperty<&GEllipseSectorNode::setMaxVerticesCount, &GEllipseSectorNode::getMaxVerticesCount>(
					"MaxVerticesCount")
					.stored(),
			});
	return table;
}

void GEllipseSectorNode::appendRenderables(fw::RenderList& list)
{
	if (getAbsoluteColor().getAlpha() != 0)
		list.push_back(fw::SRenderEntry{this, getAbsoluteTransformation()[14], 0});
}

void GEllipseSectorNode::addVertex(fw::s32 degrees, fw::f32 cx, fw::f32 cy, fw::f32 rx, fw::f32 ry,
	fw::video::SColor color)
{
	m_vertices.push_back(fw::video2d::S2DVertex(cx + fw::sinDegrees(degrees) * rx, cy - fw::cosDegrees(degrees) * ry,
		0.f, color, 0.f, 0.f));
}

void GEllipseSectorNode::buildVertices()
{
	m_vertices.set_used(0);
	const fw::core::matrix4& transformation = getAbsoluteTransformation();
	const fw::core::vector3df scale = transformation.getScale();
	const fw::core::vector3df& bounds = getBounds();
	const fw::f32 rx = bounds.X * scale.X * 0.5f;
	const fw::f32 ry = bounds.Y * scale.Y * 0.5f;
	// The position is the bounds' top-left corner.
	const fw::f32 cx = transformation[12] + rx;
	const fw::f32 cy = transformation[13] + ry;
	const fw::video::SColor tint = getAbsoluteColor();
	const fw::video::SColor color(multiplyRounded(m_fillColor.getAlpha(), tint.getAlpha()),
		multiplyRounded(m_fillColor.getRed(), tint.getRed()), multiplyRounded(m_fillColor.getGreen(), tint.getGreen()),
		multiplyRounded(m_fillColor.getBlue(), tint.getBlue()));

	m_vertices.push_back(fw::video2d::S2DVertex(cx, cy, 0.f, color, 0.f, 0.f));
	const fw::f32 step = 360.f / static_cast<fw::f32>(m_maxVerticesCount < 1 ? 1 : m_maxVerticesCount);
	const fw::f32 end = static_cast<fw::f32>(m_angle2);
	// Whole steps counted from Angle1, so that a step too small to change a large angle still
	// ends the loop; the last vertex (Angle2) keeps its place within what the indices address.
	for (fw::u32 k = 0; m_vertices.size() < MAX_VERTICES - 1; ++k)
	{
		const fw::f32 angle = static_cast<fw::f32>(m_angle1) + static_cast<fw::f32>(k) * step;
		if (!(end > angle))
			break;
		addVertex(fw::truncateToInt(angle), cx, cy, rx, ry, color);
	}
	addVertex(m_angle2, cx, cy, rx, ry, color);
}

void GEllipseSectorNode::render(const fw::SRenderContext& context, const fw::core::rect<fw::f32>*)
{
	buildVertices();
	if (m_vertices.size() < 3 || !context.driver)
		return;
	fw::video2d::CVideoDriver2D* layer = fw::video2d::CVideoDriver2D::get(context.driver);
	if (!layer)
		return;
	// Quads batched so far lie below the sector.
	context.flush();
	context.driver->setTransform(fw::video::ETS_WORLD, fw::video2d::getIdentityMatrix());
	layer->setMaterial(m_material);
	layer->enter2DMode();
	layer->drawVertexPrimitiveList(m_vertices.const_pointer(), m_vertices.size(), nullptr, m_vertices.size() - 2,
		irr::scene::EPT_TRIANGLE_FAN);
}
