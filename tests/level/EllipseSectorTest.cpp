// The ellipse sector: the fan's vertices for the angles, bounds, scale and colours, its properties
// in files and copies, and one indexed fan drawn through the video layer without culling.

#include "MoverTestSupport.h"

#include "content/video/CQuadBatch.h"
#include "core/CPropertyContainer.h"
#include "core/NodeCasts.h"
#include "core/PropertyAccessors.h"
#include "level/nodes/GEllipseSectorNode.h"
#include "video/VideoTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using namespace movertest;

namespace
{
fw::CRefHolder<GEllipseSectorNode> makeSector()
{
	return fw::adoptRef(new GEllipseSectorNode(fw::ContentReference(), nullptr, nullptr));
}

// The vertex of an angle, as the fan puts it: 0 at 12 o'clock, clockwise.
fw::core::vector2df onEllipse(fw::f32 degrees, fw::f32 cx, fw::f32 cy, fw::f32 rx, fw::f32 ry)
{
	const fw::f64 r = degrees * 3.14159265358979323846 / 180.0;
	return fw::core::vector2df(static_cast<fw::f32>(cx + std::sin(r) * rx),
		static_cast<fw::f32>(cy - std::cos(r) * ry));
}

TEST(EllipseSector, VerticesFollowTheAnglesAndSteps)
{
	struct SCase
	{
		const char* what;
		fw::s32 angle1;
		fw::s32 angle2;
		fw::s32 maxVertices;
		// The angles of the vertices after the centre.
		std::vector<fw::s32> angles;
	};
	std::vector<fw::s32> full;
	for (int k = 0; k < 32; ++k)
		full.push_back(static_cast<fw::s32>(k * 11.25f));
	full.push_back(360);
	const SCase cases[] = {
		{"defaults: 32 steps and the closing vertex", 0, 360, 32, full},
		{"the upper-left quarter", 270, 360, 32, {270, 281, 292, 303, 315, 326, 337, 348, 360}},
		{"equal angles: centre and end only", 90, 90, 32, {90}},
		{"reversed angles: centre and end only", 200, 100, 32, {100}},
		{"four steps", 0, 360, 4, {0, 90, 180, 270, 360}},
		{"below one step counts as one", 0, 360, 0, {0, 360}},
		{"negative counts as one", 10, 400, -5, {10, 370, 400}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		fw::CRefHolder<GEllipseSectorNode> sector = makeSector();
		sector->setAngle1(c.angle1);
		sector->setAngle2(c.angle2);
		sector->setMaxVerticesCount(c.maxVertices);
		sector->updateAbsoluteTransformation();
		sector->updateAbsoluteColor();
		sector->buildVertices();
		const fw::core::array<fw::video2d::S2DVertex>& vertices = sector->getVertices();
		ASSERT_EQ(c.angles.size() + 1, vertices.size());
		// Default bounds 100 x 100 at the origin.
		EXPECT_EQ(fw::core::vector3df(50.f, 50.f, 0.f), vertices[0].Pos);
		for (size_t i = 0; i < c.angles.size(); ++i)
		{
			const fw::core::vector2df expected = onEllipse(static_cast<fw::f32>(c.angles[i]), 50.f, 50.f, 50.f, 50.f);
			EXPECT_NEAR(expected.X, vertices[i + 1].Pos.X, 1e-3f) << c.angles[i];
			EXPECT_NEAR(expected.Y, vertices[i + 1].Pos.Y, 1e-3f) << c.angles[i];
		}
	}
}

TEST(EllipseSector, BoundsPositionAndScalePlaceTheEllipse)
{
	fw::CRefHolder<GEllipseSectorNode> sector = makeSector();
	sector->setBounds(fw::core::vector3df(100.f, 50.f, 0.f));
	sector->setPosition(fw::core::vector3df(10.f, 20.f, 0.f));
	sector->setMaxVerticesCount(4);
	sector->updateAbsoluteTransformation();
	sector->updateAbsoluteColor();
	sector->buildVertices();
	const fw::core::array<fw::video2d::S2DVertex>& v = sector->getVertices();
	ASSERT_EQ(6u, v.size());
	EXPECT_EQ(fw::core::vector3df(60.f, 45.f, 0.f), v[0].Pos);
	EXPECT_EQ(fw::core::vector3df(60.f, 20.f, 0.f), v[1].Pos);
	// 90 degrees: the right end of the horizontal radius.
	EXPECT_EQ(fw::core::vector3df(110.f, 45.f, 0.f), v[2].Pos);
	EXPECT_EQ(fw::core::vector3df(60.f, 70.f, 0.f), v[3].Pos);
	EXPECT_EQ(fw::core::vector3df(10.f, 45.f, 0.f), v[4].Pos);

	// Scaled twice: radii and centre follow.
	sector->setScale(fw::core::vector3df(2.f, 2.f, 1.f));
	sector->updateAbsoluteTransformation();
	sector->buildVertices();
	EXPECT_EQ(fw::core::vector3df(110.f, 70.f, 0.f), sector->getVertices()[0].Pos);
	EXPECT_EQ(fw::core::vector3df(210.f, 70.f, 0.f), sector->getVertices()[2].Pos);
}

TEST(EllipseSector, ColourIsTheFillTintedByTheNodeRounded)
{
	fw::CRefHolder<GEllipseSectorNode> sector = makeSector();
	sector->setFillColor(fw::video::SColor(200, 255, 128, 1));
	sector->setTintColor(fw::video::SColor(128, 128, 255, 255));
	sector->updateAbsoluteTransformation();
	sector->updateAbsoluteColor();
	sector->buildVertices();
	// 200 x 128 / 255 = 100.39, 255 x 128 / 255 = 128, 128, 1.
	EXPECT_EQ(fw::video::SColor(100, 128, 128, 1), sector->getVertices()[0].Color);

	// A see-through node adds no entry; a see-through fill still draws, invisibly.
	CHeadlessScene scene;
	scene.scene->addChild(sector.get());
	EXPECT_EQ(1u, scene.draw().size());
	sector->setTintColor(fw::video::SColor(0, 255, 255, 255));
	EXPECT_EQ(0u, scene.draw().size());
}

TEST(EllipseSector, HugeAnglesStopAtWhatSixteenBitIndicesDraw)
{
	fw::CRefHolder<GEllipseSectorNode> sector = makeSector();
	sector->setAngle1(INT_MIN);
	sector->setAngle2(INT_MAX);
	sector->setMaxVerticesCount(INT_MAX);
	sector->updateAbsoluteTransformation();
	sector->updateAbsoluteColor();
	sector->buildVertices();
	EXPECT_EQ(GEllipseSectorNode::MAX_VERTICES, sector->getVertices().size());
}

TEST(EllipseSector, PropertiesAreWrittenWhenChangedReadAndCopied)
{
	fw::CRefHolder<GEllipseSectorNode> sector = makeSector();
	fw::CRefHolder<fw::CPropertyContainer> written = fw::adoptRef(new fw::CPropertyContainer(nullptr));
	sector->writeProperties(written.get());
	EXPECT_EQ(-1, written->indexOf("FillColor"));
	EXPECT_EQ(-1, written->indexOf("Angle1"));
	EXPECT_EQ(-1, written->indexOf("Angle2"));
	EXPECT_EQ(-1, written->indexOf("MaxVerticesCount"));

	sector->setFillColor(fw::video::SColor(0x80FF0000));
	sector->setAngle1(45);
	sector->setAngle2(300);
	sector->setMaxVerticesCount(64);
	written = fw::adoptRef(new fw::CPropertyContainer(nullptr));
	sector->writeProperties(written.get());
	fw::CRefHolder<GEllipseSectorNode> read = makeSector();
	read->readProperties(written.get());
	EXPECT_EQ(fw::video::SColor(0x80FF0000), read->getFillColor());
	EXPECT_EQ(45, read->getAngle1());
	EXPECT_EQ(300, read->getAngle2());
	EXPECT_EQ(64, read->getMaxVerticesCount());

	fw::CRefHolder<fw::BaseNode> copy = fw::adoptRef(sector->clone());
	GEllipseSectorNode* clone = fw::nodeCast<GEllipseSectorNode>(copy.get());
	ASSERT_NE(nullptr, clone);
	EXPECT_EQ(fw::video::SColor(0x80FF0000), clone->getFillColor());
	EXPECT_EQ(45, clone->getAngle1());
	EXPECT_EQ(300, clone->getAngle2());
	EXPECT_EQ(64, clone->getMaxVerticesCount());

	// A value of another type stores 0.
	fw::CRefHolder<fw::CPropertyContainer> wrong = fw::adoptRef(new fw::CPropertyContainer(nullptr));
	wrong->setFloat("Angle2", 90.f);
	read->readProperties(wrong.get());
	EXPECT_EQ(0, read->getAngle2());
}

TEST(EllipseSector, DrawsOneIndexedFanWithoutCulling)
{
	fw::CRefHolder<fw::test::CRecordingVideoDriver> driver = fw::test::makeRecordingDriver();
	fw::CRefHolder<GEllipseSectorNode> sector = makeSector();
	sector->setAngle1(270);
	sector->updateAbsoluteTransformation();
	sector->updateAbsoluteColor();
	const fw::SRenderContext context = fw::makeRenderContext(driver.get());
	sector->render(context, nullptr);
	ASSERT_EQ(1u, driver->draws.size());
	const fw::test::SRecordedDraw& draw = driver->draws[0];
	EXPECT_EQ(irr::scene::EPT_TRIANGLE_FAN, draw.primitiveType);
	EXPECT_EQ(10u, draw.vertexCount);
	EXPECT_EQ(8u, draw.primitiveCount);
	EXPECT_NE(nullptr, draw.indices);
	EXPECT_EQ(fw::video::EMT_TRANSPARENT_VERTEX_ALPHA, draw.material.MaterialType);
	EXPECT_FALSE(draw.material.BackfaceCulling);
	EXPECT_FALSE(draw.material.Lighting);

	// Angle2 at Angle1: nothing.
	driver->clearRecords();
	sector->setAngle2(270);
	sector->render(context, nullptr);
	EXPECT_TRUE(driver->draws.empty());
}
} // namespace
