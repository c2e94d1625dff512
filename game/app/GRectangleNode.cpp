#include "app/GRectangleNode.h"

#include "content/video/CQuadBatch.h"
#include "content/video/CVideoDriver2D.h"
#include "content/video/IdentityMatrix.h"
#include "core/PropertyAccessors.h"
#include "core/TextParsing.h"

#include <cmath>

using namespace fw;

namespace
{
const u32 MATERIAL_TRANSPARENT_VERTEX_ALPHA = video::EMT_TRANSPARENT_VERTEX_ALPHA;

video2d::SMaterial makeRectangleMaterial()
{
	video2d::SMaterial material;
	material.MaterialType = MATERIAL_TRANSPARENT_VERTEX_ALPHA;
	material.UsedLayers = 0;
	material.GouraudShading = 0;
	material.Lighting = 0;
	material.ZBuffer = 0;
	material.ZWriteEnable = 0;
	// A mirroring scale keeps the fill.
	material.BackfaceCulling = 0;
	// Smoothed lines would spread the one-pixel outline over two rows at half strength.
	material.AntiAliasing = 0;
	return material;
}

video2d::S2DVertex corner(f32 x, f32 y, video::SColor color)
{
	return video2d::S2DVertex(x, y, 0.f, color, 0.f, 0.f);
}
} // namespace

GRectangleNode::GRectangleNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	BaseNode(reference, parent, sceneManager), m_material(makeRectangleMaterial())
{
}

const PropertyTable& GRectangleNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable<GRectangleNode>(BaseNode::getClassPropertyTable(),
		{
			makeProperty<&GRectangleNode::setBorderColor, &GRectangleNode::getBorderColor>("BorderColor").stored(),
			makeProperty<&GRectangleNode::setFillColor, &GRectangleNode::getFillColor>("FillColor").stored(),
		});
	return table;
}

f32 GRectangleNode::outlineStart(const core::matrix4& m)
{
	const bool axisAligned = std::fabs(m[1]) < 1e-6f && std::fabs(m[2]) < 1e-6f && std::fabs(m[4]) < 1e-6f &&
		std::fabs(m[6]) < 1e-6f && std::fabs(m[8]) < 1e-6f && std::fabs(m[9]) < 1e-6f;
	const f32 scaleX = axisAligned ? m[0] : std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
	return scaleX > 0.9f ? 0.f : 1.f;
}

void GRectangleNode::appendRenderables(RenderList& list)
{
	if (getAbsoluteColor().getAlpha() != 0)
		list.push_back(SRenderEntry{this, getAbsoluteTransformation()[14], 0});
}

void GRectangleNode::render(const SRenderContext& context, const core::rect<f32>*)
{
	video::IVideoDriver* driver = context.driver;
	video2d::CVideoDriver2D* layer = video2d::CVideoDriver2D::get(driver);
	if (!layer)
		return;
	const video::SColor border = modulateColor(m_borderColor, getAbsoluteColor());
	const video::SColor fill = modulateColor(m_fillColor, getAbsoluteColor());
	const f32 w = getBounds().X;
	const f32 h = getBounds().Y;

	// Quads batched before this node stay below it.
	context.flush();
	layer->setMaterial(m_material);
	layer->enter2DMode();
	driver->setTransform(video::ETS_WORLD, getAbsoluteTransformation());

	if (fill.getAlpha() != 0)
	{
		const video2d::S2DVertex quad[4] = {corner(1.f, 1.f, fill), corner(w, 1.f, fill), corner(w, h, fill),
			corner(1.f, h, fill)};
		const u16 indices[4] = {0, 1, 2, 3};
		layer->drawVertexPrimitiveList(quad, 4, indices, 2, irr::scene::EPT_TRIANGLE_FAN);
	}
	if (border.getAlpha() != 0)
	{
		const f32 o = outlineStart(getAbsoluteTransformation());
		const video2d::S2DVertex outline[5] = {corner(o, 1.f, border), corner(w, 1.f, border), corner(w, h, border),
			corner(1.f, h, border), corner(1.f, 1.f, border)};
		const u16 indices[8] = {0, 1, 1, 2, 2, 3, 3, 4};
		layer->drawVertexPrimitiveList(outline, 5, indices, 4, irr::scene::EPT_LINES);
	}
	driver->setTransform(video::ETS_WORLD, video2d::getIdentityMatrix());
}
