#include "LevelTestSupport.h"
#include "level/data/GComicsConfiguration.h"
#include "level/data/GGameStatistics.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GLevelScores.h"
#include "level/data/GUpgradesConfiguration.h"

#include <gtest/gtest.h>

#include <string>

using leveltest::id;
using leveltest::ids;
using leveltest::readerOver;

namespace
{
TEST(UpgradesConfiguration, UpgradesReadTheirChildrenAndTheFirstOfANameWins)
{
	GUpgradesConfiguration config;
	EXPECT_TRUE(config.load(readerOver(
		"<UpgradesConfiguration>"
		"<Upgrade><Name Value=\"Parade\"/><Info Value=\"Streets\"/><Price Value=\"20000.9\"/><Level Value=\"2\"/>"
		"<ObligatoryLevel Value=\"3\"/><AllowsBuilding Value=\"Fountain\"/><AllowsBuilding Value=\"Hall\"/>"
		"<AllowsBuildingFeature Building=\"Hall\" FeatureIndex=\"2\"/><AllowsBuildingFeature Building=\"Inn\"/>"
		"<LevelModifiers><Modifier Type=\"MaterialPriceM\" Value=\"0.5\"/></LevelModifiers></Upgrade>"
		"<Upgrade><Name Value=\"Parade\"/><Price Value=\"1\"/></Upgrade>"
		"<Upgrade><Price Value=\"7\"/></Upgrade>"
		"</UpgradesConfiguration>")
								.get()));
	ASSERT_EQ(2u, config.getUpgrades().size());
	const GUpgrade* parade = config.getUpgrade(id("Parade"));
	ASSERT_NE(nullptr, parade);
	EXPECT_EQ(fw::core::stringw(L"Streets"), parade->Info);
	EXPECT_EQ(20000, parade->Price);
	EXPECT_EQ(2, parade->Level);
	EXPECT_EQ(3, parade->ObligatoryLevel);
	EXPECT_EQ(ids({"Fountain", "Hall"}), ids(parade->AllowedBuildings));
	ASSERT_EQ(2u, parade->AllowedFeatures.size());
	EXPECT_EQ(id("Hall"), parade->AllowedFeatures[0].building);
	EXPECT_EQ(1, parade->AllowedFeatures[0].featureIndex);
	EXPECT_EQ(-1, parade->AllowedFeatures[1].featureIndex);
	EXPECT_EQ(1u, parade->LevelModifiers->size());

	const GUpgrade* nameless = config.getUpgrade(-1);
	ASSERT_NE(nullptr, nameless);
	EXPECT_EQ(7, nameless->Price);
	EXPECT_EQ(-1, nameless->ObligatoryLevel);
	// Without LevelModifiers the list is there and empty: applying it changes nothing.
	ASSERT_TRUE(nameless->LevelModifiers);
	EXPECT_EQ(0u, nameless->LevelModifiers->size());
	fw::CRefHolder<GLevelConfiguration> level = fw::adoptRef(new GLevelConfiguration);
	nameless->LevelModifiers->applyAll(level.get());
	EXPECT_EQ(1.f, level->getModifierValues().MaterialPriceM);
}

TEST(UpgradesConfiguration, EmptyFormsAndAMissingClosingTag)
{
	GUpgradesConfiguration config;
	EXPECT_TRUE(config.load(readerOver("<UpgradesConfiguration><Upgrade/><Upgrade><Name Value=\"A\"/>"
									   "<LevelModifiers/><Price Value=\"5\"/></Upgrade></UpgradesConfiguration>")
								.get()));
	ASSERT_EQ(2u, config.getUpgrades().size());
	EXPECT_EQ(5, config.getUpgrade(id("A"))->Price);
	EXPECT_EQ(0, config.getUpgrade(-1)->Price);

	EXPECT_FALSE(config.load(readerOver("<UpgradesConfiguration><Upgrade><Name Value=\"B\"/>").get()));
	ASSERT_EQ(1u, config.getUpgrades().size());
	EXPECT_NE(nullptr, config.getUpgrade(id("B")));
}

TEST(ComicsConfiguration, EntriesByLevelFirstWins)
{
	GComicsConfiguration config;
	EXPECT_TRUE(
		config.load(readerOver("<ComicsConfiguration>"
							   "<Comics><Level Value=\"1\"/><ScenePath Value=\"scenes/comics/A.oscn\"/></Comics>"
							   "<Comics><Level Value=\"1\"/><ScenePath Value=\"scenes/comics/B.oscn\"/></Comics>"
							   "<Comics><Level Value=\"3\"/></Comics><Comics/>"
							   "</ComicsConfiguration>")
						.get()));
	ASSERT_EQ(3u, config.getEntries().size());
	EXPECT_STREQ("scenes/comics/A.oscn", config.getComics(1)->ScenePath.c_str());
	ASSERT_NE(nullptr, config.getComics(3));
	EXPECT_TRUE(config.getComics(3)->ScenePath.empty());
	EXPECT_NE(nullptr, config.getComics(0));
	EXPECT_EQ(nullptr, config.getComics(2));

	EXPECT_FALSE(config.load(readerOver("<ComicsConfiguration><Comics><Level Value=\"4\"/>").get()));
	ASSERT_EQ(1u, config.getEntries().size());
	EXPECT_NE(nullptr, config.getComics(4));
	EXPECT_TRUE(config.load(readerOver("<ComicsConfiguration/>").get()));
	EXPECT_TRUE(config.getEntries().empty());
}

TEST(LevelScores, LastEntryOfANameWinsAndALookupMissAddsTheDefaults)
{
	GLevelScores scores;
	EXPECT_TRUE(scores.load(readerOver("<LevelScores>"
									   "<Level Name=\"level1\" Score=\"100\" ExpertScore=\"150\" Time=\"300\"/>"
									   "<Level Name=\"level1\" Score=\"200\" ExpertScore=\"250.7\" Time=\"400\"/>"
									   "<Level Name=\"level2\" Score=\"300\"/>"
									   "</LevelScores>")
								.get()));
	ASSERT_EQ(2u, scores.getScores().size());
	const GLevelScore first = scores.getScore("level1");
	EXPECT_EQ(200, first.score);
	EXPECT_EQ(250, first.expertScore);
	EXPECT_EQ(400, first.time);
	// A written entry without Time has 0; only a lookup miss gets 360.
	EXPECT_EQ(0, scores.getScore("level2").time);
	EXPECT_FALSE(scores.hasScore("level9"));
	const GLevelScore added = scores.getScore("level9");
	EXPECT_EQ(0, added.score);
	EXPECT_EQ(0, added.expertScore);
	EXPECT_EQ(360, added.time);
	EXPECT_TRUE(scores.hasScore("level9"));

	EXPECT_FALSE(scores.load(readerOver("<LevelScores><Level Name=\"level5\" Score=\"1\"/>").get()));
	EXPECT_EQ(1u, scores.getScores().size());
	EXPECT_EQ(1, scores.getScore("level5").score);
}

TEST(GameStatistics, HooksDoNothingAndPlayTimeAddsUp)
{
	fw::CRefHolder<GGameStatistics> statistics = fw::adoptRef(new GGameStatistics);
	EXPECT_EQ(0, statistics->getPlayTime());
	EXPECT_TRUE(statistics->start());
	statistics->addPlayTime(10);
	statistics->addPlayTime(25);
	statistics->reportLevelResult("level1", "300");
	EXPECT_EQ(35, statistics->getPlayTime());
	EXPECT_TRUE(statistics->stop());
}
} // namespace
