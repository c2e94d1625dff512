#include "minigames/GSelectGridNode.h"

#include "content/video/CVideoDriver2D.h"
#include "content/video/IdentityMatrix.h"
#include "core/PropertyAccessors.h"

namespace
{
fw::u32 multiplyRounded(fw::u32 a, fw::u32 b)
{
	return (a * b + 127) / 255;
}

fw::video::SColor modulate(fw::video::SColor color, fw::video::SColor tint)
{
	return fw::video::SColor(multiplyRounded(color.getAlpha(), tint.getAlpha()),
		multiplyRounded(color.getRed(), tint.getRed()), multiplyRounded(color.getGreen(), tint.getGreen()),
		multiplyRounded(color.getBlue(), tint.getBlue()));
}

// The positions 0, step, 2 step, ... up to and including end; none for a step that is not positive.
fw::u32 lineCount(fw::f32 step, fw::f32 end)
{
	if (!(step > 0.f) || !(end >= 0.f))
		return 0;
	const fw::f64 count = static_cast<fw::f64>(end) / static_cast<fw::f64>(step) + 1.0;
	return count >= GSelectGridNode::MAX_LINES ? GSelectGridNode::MAX_LINES : static_cast<fw::u32>(count);
}
} // namespace

GSelectGridNode::GSelectGridNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	fw::BaseNode(reference, parent, sceneManager)
{
	m_material.MaterialType = fw::video::EMT_TRANSPARENT_VERTEX_ALPHA;
	m_material.UsedLayers = 1;
	m_material.GouraudShading = 0;
	m_material.Lighting = 0;
	m_material.ZBuffer = 0;
	m_material.ZWriteEnable = 0;
	// Smoothed lines spread a one-pixel line over two rows at half strength.
	m_material.AntiAliasing = 0;
}

const fw::PropertyTable& GSelectGridNode::getClassPropertyTable()
{
	static const fw::PropertyTable& table =
		fw::makePropertyTable<GSelectGridNode>(fw::BaseNode::getClassPropertyTable(),
			{
				fw::makeProperty<&GSelectGridNode::setGridColor, &GSelectGridNode::getGridColor>("GridColor").stored(),
				fw::makeProperty<&GSelectGridNode::setFillColor, &GSelectGridNode::getFillColor>("FillColor").stored(),
				fw::makeProperty<&GSelectGridNode::setCellSize, &GSelectGridNode::getCellSize>("CellSize").stored(),
			});
	return table;
}

void GSelectGridNode::setGridColor(fw::video::SColor color)
{
	m_gridColor = color;
	setTintColor(getTintColor());
}

void GSelectGridNode::setFillColor(fw::video::SColor color)
{
	m_fillColor = color;
	setTintColor(getTintColor());
}

void GSelectGridNode::buildLines()
{
	m_lines.set_used(0);
	const fw::f32 w = getBounds().X;
	const fw::f32 h = getBounds().Y;
	const fw::u32 columns = lineCount(m_cellSize.X, w);
	const fw::u32 rows = lineCount(m_cellSize.Y, h);
	m_lines.reallocate(2 * (columns + rows));
	for (fw::u32 i = 0; i < columns; ++i)
	{
		const fw::f32 x = static_cast<fw::f32>(i) * m_cellSize.X;
		m_lines.push_back(fw::video2d::S2DVertex(x, 0.f, 0.f, m_gridColor, 0.f, 0.f));
		m_lines.push_back(fw::video2d::S2DVertex(x, h, 0.f, m_gridColor, 0.f, 0.f));
	}
	for (fw::u32 i = 0; i < rows; ++i)
	{
		const fw::f32 y = static_cast<fw::f32>(i) * m_cellSize.Y;
		m_lines.push_back(fw::video2d::S2DVertex(0.f, y, 0.f, m_gridColor, 0.f, 0.f));
		m_lines.push_back(fw::video2d::S2DVertex(w, y, 0.f, m_gridColor, 0.f, 0.f));
	}
}

void GSelectGridNode::updateAbsoluteTransformation()
{
	fw::BaseNode::updateAbsoluteTransformation();
	buildLines();
}

void GSelectGridNode::updateAbsoluteColor()
{
	fw::BaseNode::updateAbsoluteColor();
	// The lines keep the grid colour as set; drawing decides by the tinted one.
	for (fw::u32 i = 0; i < m_lines.size(); ++i)
		m_lines[i].Color = m_gridColor;
}

void GSelectGridNode::appendRenderables(fw::RenderList& list)
{
	if (getAbsoluteColor().getAlpha() != 0)
		list.push_back(fw::SRenderEntry{this, getAbsoluteTransformation()[14], 0});
}

void GSelectGridNode::render(const fw::SRenderContext& context, const fw::core::rect<fw::f32>*)
{
	if (!context.driver)
		return;
	fw::video2d::CVideoDriver2D* layer = fw::video2d::CVideoDriver2D::get(context.driver);
	if (!layer)
		return;
	const fw::video::SColor fill = modulate(m_fillColor, getAbsoluteColor());
	const fw::video::SColor lines = modulate(m_gridColor, getAbsoluteColor());
	// Quads batched so far lie below the grid.
	context.flush();
	layer->enter2DMode();
	layer->setMaterial(m_material);
	context.driver->setTransform(fw::video::ETS_WORLD, getAbsoluteTransformation());
	if (fill.getAlpha() != 0)
	{
		const fw::f32 w = getBounds().X;
		const fw::f32 h = getBounds().Y;
		const fw::video2d::S2DVertex rectangle[4] = {
			fw::video2d::S2DVertex(0.f, 0.f, 0.f, fill, 0.f, 0.f),
			fw::video2d::S2DVertex(w, 0.f, 0.f, fill, 0.f, 0.f),
			fw::video2d::S2DVertex(w, h, 0.f, fill, 0.f, 0.f),
			fw::video2d::S2DVertex(0.f, h, 0.f, fill, 0.f, 0.f),
		};
		layer->drawVertexPrimitiveList(rectangle, 4, nullptr, 2, irr::scene::EPT_TRIANGLE_FAN);
	}
	if (lines.getAlpha() != 0 && m_lines.size() > 1)
		layer->drawVertexPrimitiveList(m_lines.const_pointer(), m_lines.size(), nullptr, m_lines.size() / 2,
			irr::scene::EPT_LINES);
	context.driver->setTransform(fw::video::ETS_WORLD, fw::video2d::getIdentityMatrix());
}
