// The game object in a real window: the black bars of a wide screen and the debug overlay's three
// lines, read back from the back buffer.

#include "GameWindowSupport.h"

#include "app/GDebugStatsScene.h"
#include "app/GGame.h"
#include "app/GRectangleNode.h"
#include "core/CNameTable.h"
#include "platform/CEngineDeviceSingleton.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CProfileManager.h"
#include "widgets/SceneManager.h"
#include "widgets/TextNode.h"
#include "widgets/WidgetServices.h"

#include <algorithm>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace fw;
using namespace fw::wintest;

namespace
{
const video::SColor BLACK(255, 0, 0, 0);
const video::SColor WHITE(255, 255, 255, 255);

class GameWindow : public CGameWindowTest
{
protected:
	void SetUp() override
	{
		CGameWindowTest::SetUp();
		if (HasFatalFailure())
			return;
		ASSERT_EQ(video::EDT_OPENGL, device->getVideoDriver()->getDriverType());
	}

	void step(u32 ms) { device->postEvent(adoptRef(new CEventSystemFlowUpdate(ms)).get()); }
};

TEST_F(GameWindow, AWideScreenGetsBarsLeftAndRight)
{
	// The driver made again for a 1920 x 1080 window: the game fits its design screen anew.
	SDeviceCreationParameters params = game->getDeviceParameters();
	params.FullScreen = false;
	params.WindowSize = core::dimension2d<s32>(1920, 1080);
	ASSERT_TRUE(device->reinitialize(params));
	video::IVideoDriver* driver = device->getVideoDriver();
	ASSERT_EQ(core::dimension2d<u32>(1920, 1080), driver->getScreenSize());
	EXPECT_EQ(core::rect<s32>(0, 0, 240, 1080), game->getFirstBar());
	EXPECT_EQ(core::rect<s32>(1680, 0, 1920, 1080), game->getSecondBar());

	// A white design screen shows where the scenes are drawn.
	SceneNode* scene = game->getSceneManager()->getActiveScene();
	ASSERT_NE(nullptr, scene);
	CRefHolder<GRectangleNode> white = adoptRef(new GRectangleNode(ContentReference(), nullptr, nullptr));
	white->setPosition(core::vector3df(-1.f, -1.f, 10.f));
	white->setBounds(core::vector3df(1025.f, 769.f, 0.f));
	white->setFillColor(WHITE);
	scene->addChild(white.get());

	ASSERT_TRUE(driver->beginScene(true, true, video::SColor(255, 90, 90, 90)));
	game->drawFrame(driver);
	for (u32 y : {5u, 540u, 1075u})
	{
		SCOPED_TRACE(y);
		EXPECT_TRUE(near(BLACK, readPixel(driver, 0, y)));
		EXPECT_TRUE(near(BLACK, readPixel(driver, 238, y)));
		EXPECT_TRUE(near(WHITE, readPixel(driver, 242, y)));
		EXPECT_TRUE(near(WHITE, readPixel(driver, 1677, y)));
		EXPECT_TRUE(near(BLACK, readPixel(driver, 1682, y)));
		EXPECT_TRUE(near(BLACK, readPixel(driver, 1919, y)));
	}
	driver->endScene();
}

TEST_F(GameWindow, TheOverlayShowsThreeLines)
{
	CRefHolder<GDebugStatsScene> overlay = adoptRef(new GDebugStatsScene(ContentReference(), nullptr, nullptr));
	ASSERT_TRUE(game->getSceneManager()->getActiveScene()->openScene(overlay.get(), true));
	for (int i = 0; i < 5; ++i)
		step(10);
	ASSERT_NE(nullptr, overlay->getTextNode());
	EXPECT_EQ(3,
		std::count(overlay->getTextNode()->getText().c_str(),
			overlay->getTextNode()->getText().c_str() + overlay->getTextNode()->getText().size(), L'\n') +
			1);

	video::IVideoDriver* driver = device->getVideoDriver();
	ASSERT_TRUE(driver->beginScene(true, true, BLACK));
	game->drawFrame(driver);
	// Bands of rows with lit pixels in the top-left corner: one per line of text.
	u32 bands = 0;
	bool inBand = false;
	for (u32 y = 0; y < 160; ++y)
	{
		bool lit = false;
		for (u32 x = 0; x < 160 && !lit; ++x)
			lit = readPixel(driver, x, y).getRed() > 100;
		if (lit && !inBand)
			++bands;
		inBand = lit;
	}
	driver->endScene();
	EXPECT_EQ(3u, bands);
}
} // namespace
