#include "app/GMainMenuScene.h"
#include "app/GSelectPlayerInputNameScene.h"
#include "core/SServices.h"
#include "level/MoverTestSupport.h"
#include "level/data/GLevelPaths.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace
{
using movertest::CHeadlessScene;

// Scenes reach the program only through the services their scene manager hands down; where one is
// missing they do without it and say so once.

TEST(SceneServices, AMissingServiceIsDoneWithoutAndNamedInOneLine)
{
	CHeadlessScene scene;
	scene.manager->setServices(fw::SServices());
	fw::CRefHolder<GSelectPlayerInputNameScene> entry =
		fw::adoptRef(new GSelectPlayerInputNameScene(fw::ContentReference(), nullptr, nullptr));
	entry->setName("NameEntry");
	scene.scene->addChild(entry.get());

	fw::test::CLogCapture log;
	// No player list to compare with: no name can be told apart.
	EXPECT_FALSE(entry->isNameValid(L"Ann"));
	EXPECT_EQ(1u, log.countContaining("Scene \"NameEntry\" has no profile manager")) << log.all();
	entry->playCue("ButtonClick");
	EXPECT_EQ(1u, log.countContaining("Scene \"NameEntry\" has no sound manager")) << log.all();
	scene.scene->removeChild(entry.get());
}

TEST(SceneServices, TheMenuReadsItsStreetPathsOnlyOnceItMeetsADevice)
{
	fw::test::CLogCapture log;
	fw::CRefHolder<GMainMenuScene> menu = fw::adoptRef(new GMainMenuScene(fw::ContentReference(), nullptr, nullptr));
	EXPECT_TRUE(menu->getLevelPaths()->getGroupIds().empty());
	EXPECT_EQ(0u, log.lines.size()) << "built outside a scene manager, it has nothing to say yet\n" << log.all();
	{
		CHeadlessScene scene(menu.get());
		EXPECT_TRUE(menu->getLevelPaths()->getGroupIds().empty());
		EXPECT_EQ(1u, log.countContaining("no device to read its street paths")) << log.all();
	}
}
} // namespace
