// The rectangle node drawn in a real window: its fill and outline at full and half width, and
// faded by a half-transparent parent, read back from the back buffer.

#include "window/WindowTestSupport.h"

#include "app/GRectangleNode.h"
#include "content/video/CQuadBatch.h"

using namespace fw;
using namespace fw::wintest;

namespace
{
const video::SColor BACKGROUND(255, 0, 0, 0);
const video::SColor BLUE(255, 40, 60, 220);
const video::SColor RED(255, 230, 30, 20);

// Whether any pixel within one pixel of (x, y) has the colour: a line at a whole coordinate may
// light either row beside it.
bool nearby(video::IVideoDriver* driver, s32 x, s32 y, video::SColor colour)
{
	for (s32 dy = -1; dy <= 1; ++dy)
		for (s32 dx = -1; dx <= 1; ++dx)
			if (near(colour, readPixel(driver, static_cast<u32>(x + dx), static_cast<u32>(y + dy))))
				return true;
	return false;
}

class RectangleWindow : public WindowTest
{
protected:
	void SetUp() override
	{
		WindowTest::SetUp();
		parent = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
		parent->setPosition(core::vector3df(100.f, 100.f, 0.f));
		rectangle = adoptRef(new GRectangleNode(ContentReference(), parent.get(), nullptr));
		rectangle->setBounds(core::vector3df(200.f, 100.f, 0.f));
		rectangle->setFillColor(BLUE);
		rectangle->setBorderColor(RED);
	}

	// Draws the parent's subtree as the scene manager does, keeping the frame for reading.
	void draw()
	{
		video::IVideoDriver* driver = device->getVideoDriver();
		ASSERT_TRUE(driver->beginScene(true, true, BACKGROUND));
		RenderList list;
		parent->collectRenderables(list);
		const SRenderContext context = makeRenderContext(driver);
		for (u32 i = 0; i < list.size(); ++i)
			list[i].node->render(context, nullptr);
	}

	CRefHolder<BaseNode> parent;
	CRefHolder<GRectangleNode> rectangle;
};

TEST_F(RectangleWindow, FillAndOutlineAtFullAndHalfWidth)
{
	video::IVideoDriver* driver = device->getVideoDriver();
	struct SCase
	{
		f32 scaleX;
		s32 right;
	};
	for (const SCase& c : {SCase{1.f, 300}, SCase{0.5f, 200}})
	{
		SCOPED_TRACE(c.scaleX);
		rectangle->setScale(core::vector3df(c.scaleX, 1.f, 1.f));
		draw();
		// The fill from (1, 1) to the bounds, in the node's frame.
		EXPECT_TRUE(near(BLUE, readPixel(driver, static_cast<u32>(100 + (c.right - 100) / 2), 150)));
		EXPECT_TRUE(near(BLUE, readPixel(driver, static_cast<u32>(c.right - 3), 197)));
		EXPECT_TRUE(near(BACKGROUND, readPixel(driver, static_cast<u32>(c.right + 3), 150))) << "nothing beyond";
		EXPECT_TRUE(near(BACKGROUND, readPixel(driver, 150, 203)));
		// The outline on each side.
		EXPECT_TRUE(nearby(driver, 100 + (c.right - 100) / 2, 101, RED)) << "top";
		EXPECT_TRUE(nearby(driver, 100 + (c.right - 100) / 2, 200, RED)) << "bottom";
		EXPECT_TRUE(nearby(driver, c.right, 150, RED)) << "right";
		EXPECT_TRUE(nearby(driver, 101, 150, RED)) << "left";
		driver->endScene();
	}
}

TEST_F(RectangleWindow, AHalfTransparentParentHalvesBothColours)
{
	video::IVideoDriver* driver = device->getVideoDriver();
	parent->setTintColor(video::SColor(128, 255, 255, 255));
	draw();
	const video::SColor halfBlue(255, BLUE.getRed() / 2, BLUE.getGreen() / 2, BLUE.getBlue() / 2);
	const video::SColor halfRed(255, RED.getRed() / 2, RED.getGreen() / 2, RED.getBlue() / 2);
	EXPECT_TRUE(near(halfBlue, readPixel(driver, 200, 150)));
	driver->endScene();
	// The outline alone: where it lies over the fill, the two blend.
	rectangle->setFillColor(0);
	draw();
	EXPECT_TRUE(nearby(driver, 300, 150, halfRed));
	EXPECT_TRUE(nearby(driver, 200, 101, halfRed));
	driver->endScene();

	// Fully faded, the node draws nothing.
	parent->setTintColor(video::SColor(0, 255, 255, 255));
	draw();
	EXPECT_TRUE(near(BACKGROUND, readPixel(driver, 200, 150)));
	driver->endScene();
}
} // namespace
