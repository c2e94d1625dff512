// The levels of assets/ load into a running level with the common template collection and run ten
// simulated minutes, random events and all, without a warning or error line.

#include "LevelSceneSupport.h"

#include "level/GLevelPaths.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;
using namespace leveltest;

namespace
{
std::string readAsset(const fs::path& relative)
{
	std::ifstream in(fs::path(QB_ASSETS_DIR) / relative, std::ios::binary);
	EXPECT_TRUE(in.good()) << relative;
	return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
} // namespace

TEST(LevelAssets, EveryLevelRunsTenMinutesCleanly)
{
	for (const char* name : {"level1", "level2", "level3"})
	{
		SCOPED_TRACE(name);
		const fs::path folder = fs::path("levels") / name;
		fw::test::CLogCapture log;
		CLevelRig rig(readAsset(folder / "Level.oscn"), readAsset(folder / "LevelConfiguration.xml"), false);
		ASSERT_NE(nullptr, rig.level.get());
		rig.buildings = makeBuildings(readAsset("levels/common/BuildingsConfiguration.xml").c_str());
		rig.templates = fw::CRefHolder<fw::TemplateCollectionNode>(fw::nodeCast<fw::TemplateCollectionNode>(
			loadScene(rig.factory.get(), readAsset("levels/common/TemplateCollection.oscn"), "TemplateCollection.oscn")
				.get()));
		ASSERT_NE(nullptr, rig.templates.get());
		rig.manager->setTemplateCollection(rig.templates.get());
		const fw::CRefHolder<GLevelPaths> paths = fw::adoptRef(new GLevelPaths);
		paths->load(readerOver(readAsset(folder / "LevelPaths.xml")).get());
		rig.setUpAndEnter();
		rig.level->setLevelPaths(paths.get());
		EXPECT_GE(rig.level->getBuildings().size(), 4u);
		for (GBuildingNode* building : rig.buildingList())
		{
			EXPECT_EQ(building->getTemplateName(), building->getType()->Name) << building->getName().c_str();
			EXPECT_NE(nullptr, building->getForSaleNode());
			EXPECT_NE(nullptr, building->getServeAreaNode());
		}
		const fw::f32 money = rig.level->money;
		rig.step(100, 6000);
		EXPECT_NEAR(600000.f, rig.level->elapsed, 1.f);
		EXPECT_GT(rig.level->money, money) << "ten days of income";
		for (const fw::test::SLogLine& line : log.lines)
			EXPECT_LT(line.level, fw::LOG_WARNING) << line.text;
	}
}
