// The showcase of ambient nodes loaded from its scene file by the game's classes and drawn in a real
// window on a clock stepped by hand; frames read back from the back buffer at a few moments.

#include "window/WindowTestSupport.h"

#include "app/GGameClasses.h"
#include "core/CNameTable.h"
#include "core/CNodeFactory.h"
#include "core/CXMLReader.h"
#include "core/SceneFile.h"
#include "core/SceneNode.h"
#include "platform/CTimerManager.h"
#include "platform/CVirtualFile.h"
#include "widgets/SceneManager.h"

#include <fstream>
#include <iterator>
#include <string>

using namespace fw;
using namespace fw::wintest;

namespace
{
const video::SColor BACKGROUND(255, 0, 0, 0);
const video::SColor GRID_FILL(255, 0x20, 0x40, 0xa0);
const video::SColor WHITE(255, 255, 255, 255);
const video::SColor BALLOON(255, 0xe0, 0x30, 0x20);

bool nearby(video::IVideoDriver* driver, s32 x, s32 y, video::SColor colour)
{
	for (s32 dy = -1; dy <= 1; ++dy)
		for (s32 dx = -1; dx <= 1; ++dx)
			if (near(colour, readPixel(driver, static_cast<u32>(x + dx), static_cast<u32>(y + dy))))
				return true;
	return false;
}

class AmbientShowcaseWindow : public WindowTest
{
protected:
	void SetUp() override
	{
		WindowTest::SetUp();
		factory = adoptRef(new CNodeFactory);
		registerGameClassesWith(*factory);
		std::ifstream in(std::string(QB_STAGE_DIR) + "/assets/scenes/AmbientShowcase.oscn", std::ios::binary);
		ASSERT_TRUE(in.good());
		const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
		const CRefHolder<CVirtualFile> file = adoptRef(new CVirtualFile("AmbientShowcase.oscn", 0));
		file->write(text.data(), static_cast<u32>(text.size()));
		file->seek(0);
		const CRefHolder<IXMLReader> reader = adoptRef<IXMLReader>(new CXMLReader(file.get()));
		const CRefHolder<BaseNode> loaded =
			adoptRef(loadSceneFile(reader.get(), factory.get(), ContentReference(), "scenes/AmbientShowcase.oscn"));
		scene.assign(dynamic_cast<SceneNode*>(loaded.get()));
		ASSERT_NE(nullptr, scene.get());
		scenes = adoptRef(new SceneManager);
		scenes->setActiveScene(scene.get());
		timers = dynamic_cast<CTimerManager*>(scenes->getSceneTimerManager(scene.get()));
		ASSERT_NE(nullptr, timers);
	}

	void TearDown() override
	{
		if (scenes)
		{
			scene->removeAllChildren();
			scenes->setActiveScene(nullptr);
		}
		scene.release();
		scenes.release();
		WindowTest::TearDown();
	}

	// Draws the scene as the game does, keeping the frame for reading.
	void draw()
	{
		video::IVideoDriver* driver = device->getVideoDriver();
		ASSERT_TRUE(driver->beginScene(true, true, BACKGROUND));
		scenes->drawAll(driver);
	}
	void endFrame() { device->getVideoDriver()->endScene(); }

	// Steps of 30 ms on the scene's clock, as its frames would bring them.
	void advance(u32 steps)
	{
		for (u32 i = 0; i < steps; ++i)
			timers->update(30);
	}

	CRefHolder<CNodeFactory> factory;
	CRefHolder<SceneNode> scene;
	CRefHolder<SceneManager> scenes;
	CTimerManager* timers = nullptr;
};

TEST_F(AmbientShowcaseWindow, TheGridStaysAndTheBalloonRisesFrameByFrame)
{
	video::IVideoDriver* driver = device->getVideoDriver();
	ASSERT_NE(nullptr, scene->findChildByNameId(nameId("Gull"), 1)) << "every kind is made by name";

	// The first pass starts every node.
	draw();
	EXPECT_TRUE(near(GRID_FILL, readPixel(driver, 60, 60)));
	EXPECT_TRUE(nearby(driver, 80, 100, WHITE)) << "a vertical line at the second cell";
	EXPECT_TRUE(nearby(driver, 100, 80, WHITE)) << "a horizontal line";
	EXPECT_TRUE(near(GRID_FILL, readPixel(driver, 100, 100))) << "fill between the lines";
	EXPECT_TRUE(near(BALLOON, readPixel(driver, 410, 610)));
	endFrame();

	struct SMoment
	{
		u32 steps;
		s32 balloonY; // the balloon square's top
	};
	// 100 pixels a second upwards.
	const SMoment moments[] = {{34, 498}, {34, 396}};
	s32 lastY = 600;
	for (const SMoment& m : moments)
	{
		advance(m.steps);
		draw();
		SCOPED_TRACE(m.balloonY);
		EXPECT_TRUE(near(BALLOON, readPixel(driver, 410, m.balloonY + 10)));
		EXPECT_FALSE(near(BALLOON, readPixel(driver, 410, lastY + 15))) << "it has left its old place";
		EXPECT_TRUE(near(GRID_FILL, readPixel(driver, 60, 60)));
		endFrame();
		lastY = m.balloonY;
	}
	// The firework has boosted and left after its 1.5 s flight.
	EXPECT_EQ(nullptr, scene->findChildByNameId(nameId("Firework"), 1));
	EXPECT_NE(nullptr, scene->findChildByNameId(nameId("Balloon"), 1));
}
} // namespace
