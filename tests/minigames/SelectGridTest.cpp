// The selection grid: its lines from the bounds and cell size, bounded for sizes that would never
// end, and its fill and lines drawn through the video layer with index lists.

#include "AmbientTestSupport.h"

#include "content/video/CQuadBatch.h"
#include "minigames/GSelectGridNode.h"
#include "video/VideoTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

using namespace ambienttest;
using fw::core::vector2df;
using fw::core::vector3df;

namespace
{
fw::CRefHolder<GSelectGridNode> makeGrid(const vector3df& bounds, const vector2df& cell)
{
	fw::CRefHolder<GSelectGridNode> grid = fw::adoptRef(new GSelectGridNode(fw::ContentReference(), nullptr, nullptr));
	grid->setBounds(bounds);
	grid->setCellSize(cell);
	grid->setGridColor(fw::video::SColor(0xFF00FF00));
	grid->updateAbsoluteTransformation();
	grid->updateAbsoluteColor();
	return grid;
}

TEST(SelectGrid, LinesEveryCellIncludingTheFarEdges)
{
	const fw::f32 inf = std::numeric_limits<fw::f32>::infinity();
	const fw::f32 nan = std::numeric_limits<fw::f32>::quiet_NaN();
	struct SCase
	{
		const char* what;
		vector3df bounds;
		vector2df cell;
		fw::u32 vertices;
	};
	const SCase cases[] = {
		{"x 0, 40, 80 and y 0, 40, 80", {100.f, 80.f, 0.f}, {40.f, 40.f}, 12},
		{"the right and bottom edges", {120.f, 40.f, 0.f}, {40.f, 40.f}, 12},
		{"empty bounds: one line each way", {0.f, 0.f, 0.f}, {40.f, 40.f}, 4},
		{"no vertical lines for a zero width", {100.f, 80.f, 0.f}, {0.f, 40.f}, 6},
		{"none for negative sizes", {100.f, 80.f, 0.f}, {-5.f, -1.f}, 0},
		{"none for NaN", {100.f, 80.f, 0.f}, {nan, nan}, 0},
		{"one line each way for infinite cells", {100.f, 80.f, 0.f}, {inf, inf}, 4},
		{"tiny cells are capped", {100.f, 80.f, 0.f}, {1e-6f, 1e-6f}, 4 * GSelectGridNode::MAX_LINES},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		const fw::CRefHolder<GSelectGridNode> grid = makeGrid(c.bounds, c.cell);
		const fw::core::array<fw::video2d::S2DVertex>& lines = grid->getLineVertices();
		ASSERT_EQ(c.vertices, lines.size());
		for (fw::u32 i = 0; i < lines.size(); ++i)
			ASSERT_EQ(fw::video::SColor(0xFF00FF00), lines[i].Color);
	}
	const fw::CRefHolder<GSelectGridNode> grid = makeGrid(vector3df(120.f, 40.f, 0.f), vector2df(40.f, 40.f));
	const fw::core::array<fw::video2d::S2DVertex>& v = grid->getLineVertices();
	// Vertical lines first, then horizontal, in the node's own coordinates.
	EXPECT_EQ(vector3df(120.f, 0.f, 0.f), v[6].Pos);
	EXPECT_EQ(vector3df(120.f, 40.f, 0.f), v[7].Pos);
	EXPECT_EQ(vector3df(0.f, 40.f, 0.f), v[10].Pos);
	EXPECT_EQ(vector3df(120.f, 40.f, 0.f), v[11].Pos);
}

TEST(SelectGrid, DrawsTheFillFanAndTheLineListWithIndices)
{
	fw::CRefHolder<fw::test::CRecordingVideoDriver> driver = fw::test::makeRecordingDriver();
	const fw::CRefHolder<GSelectGridNode> grid = makeGrid(vector3df(100.f, 80.f, 0.f), vector2df(40.f, 40.f));
	grid->setPosition(vector3df(30.f, 20.f, 0.f));
	grid->setFillColor(fw::video::SColor(0x80102030));
	grid->updateAbsoluteTransformation();
	grid->updateAbsoluteColor();
	const fw::SRenderContext context = fw::makeRenderContext(driver.get());
	grid->render(context, nullptr);
	ASSERT_EQ(2u, driver->draws.size());
	EXPECT_EQ(irr::scene::EPT_TRIANGLE_FAN, driver->draws[0].primitiveType);
	EXPECT_EQ(4u, driver->draws[0].vertexCount);
	EXPECT_EQ(2u, driver->draws[0].primitiveCount);
	EXPECT_EQ(fw::video::SColor(0x80102030), driver->draws[0].vertexCopy[0].Color);
	EXPECT_EQ(irr::scene::EPT_LINES, driver->draws[1].primitiveType);
	EXPECT_EQ(12u, driver->draws[1].vertexCount);
	EXPECT_EQ(6u, driver->draws[1].primitiveCount);
	for (const fw::test::SRecordedDraw& draw : driver->draws)
	{
		EXPECT_NE(nullptr, draw.indices);
		EXPECT_EQ(fw::video::EMT_TRANSPARENT_VERTEX_ALPHA, draw.material.MaterialType);
		EXPECT_FALSE(draw.material.ZBuffer);
		EXPECT_FALSE(draw.material.ZWriteEnable);
		EXPECT_EQ(30.f, draw.world.getTranslation().X) << "placed by the node's transformation";
	}

	struct SCase
	{
		const char* what;
		fw::video::SColor fill, grid, tint;
		std::vector<irr::scene::E_PRIMITIVE_TYPE> drawn;
	};
	const SCase cases[] = {
		{"no fill", 0, 0xFF00FF00, 0xFFFFFFFF, {irr::scene::EPT_LINES}},
		{"grid alpha 0", 0x80102030, 0x0000FF00, 0xFFFFFFFF, {irr::scene::EPT_TRIANGLE_FAN}},
		{"tinted to alpha 0", 0x80102030, 0xFF00FF00, 0x00FFFFFF, {}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		driver->clearRecords();
		grid->setFillColor(c.fill);
		grid->setGridColor(c.grid);
		grid->setTintColor(c.tint);
		grid->updateAbsoluteColor();
		grid->render(context, nullptr);
		std::vector<irr::scene::E_PRIMITIVE_TYPE> drawn;
		for (const fw::test::SRecordedDraw& draw : driver->draws)
			drawn.push_back(draw.primitiveType);
		EXPECT_EQ(c.drawn, drawn);
	}
	// A node at alpha 0 adds no entry at all.
	fw::RenderList list;
	grid->collectRenderables(list);
	EXPECT_TRUE(list.empty());
	grid->setTintColor(0xFFFFFFFF);
	grid->collectRenderables(list);
	EXPECT_EQ(1u, list.size());
}

TEST(SelectGrid, PropertiesAreWrittenWhenTheyDiffer)
{
	const fw::CRefHolder<GSelectGridNode> grid =
		fw::adoptRef(new GSelectGridNode(fw::ContentReference(), nullptr, nullptr));
	EXPECT_TRUE(written(grid.get()).empty());
	grid->setGridColor(fw::video::SColor(0xFF00FF00));
	grid->setCellSize(vector2df(0.f, 0.f));
	const std::vector<std::string> items = written(grid.get());
	ASSERT_EQ(2u, items.size());
	EXPECT_EQ(0u, items[0].find("GridColor="));
	EXPECT_EQ("CellSize=0.000000;0.000000", items[1]);

	const fw::CRefHolder<fw::BaseNode> copyNode = fw::adoptRef(grid->clone());
	const GSelectGridNode* copy = fw::nodeCast<GSelectGridNode>(copyNode.get());
	ASSERT_NE(nullptr, copy);
	EXPECT_EQ(fw::video::SColor(0xFF00FF00), copy->getGridColor());
	EXPECT_EQ(vector2df(0.f, 0.f), copy->getCellSize());
}
} // namespace
