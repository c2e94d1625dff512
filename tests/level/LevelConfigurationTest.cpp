#include "LevelTestSupport.h"
#include "core/CPropertyContainer.h"
#include "level/data/GLevelConfiguration.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using leveltest::id;
using leveltest::ids;
using leveltest::readerOver;

namespace
{
fw::CRefHolder<GLevelConfiguration> readLevel(const std::string& text, bool expectComplete = true)
{
	fw::CRefHolder<GLevelConfiguration> config = fw::adoptRef(new GLevelConfiguration);
	EXPECT_EQ(expectComplete, config->read(readerOver(text).get()));
	return config;
}

std::string level(const std::string& properties, const std::string& rest = "")
{
	return "<?xml version=\"1.0\"?><Level><Properties>" + properties + "</Properties>" + rest + "</Level>";
}

TEST(LevelConfiguration, WithoutPropertiesTheDefaultsStandAndThereAreNoOffers)
{
	const fw::CRefHolder<GLevelConfiguration> config = readLevel("<Level></Level>");
	EXPECT_EQ(-1, config->getLevelNumber());
	EXPECT_EQ(1, config->getSettingIndex());
	EXPECT_EQ(-1, config->getLevelTime());
	EXPECT_EQ(60, config->getDayLength());
	EXPECT_EQ(0.f, config->getInitMoney());
	EXPECT_EQ(fw::core::vector2df(10000.f, 60000.f), config->getBuildingsSellTime());
	EXPECT_EQ(fw::core::vector2df(10000.f, 60000.f), config->getBuildingsBuyRequestTime());
	EXPECT_EQ(fw::core::vector2df(10000.f, 20000.f), config->getBuildingsBuyRequestTimeWaiting());
	EXPECT_EQ(fw::core::vector2df(0.8f, 1.f), config->getBuildingsBuyRequestPriceMultiplier());
	EXPECT_TRUE(config->isRatingOn());
	EXPECT_TRUE(config->isClockOn());
	EXPECT_TRUE(config->isBuildingLevelOn());
	EXPECT_TRUE(config->isBuildingPlaceLuckinessOn());
	EXPECT_TRUE(config->isSellOn());
	EXPECT_FALSE(config->isNotOwnedDecorationsDirty());
	EXPECT_EQ(0u, config->getMaterialsOffers().size());
	EXPECT_EQ(0u, config->getWorkersOffers().size());
	EXPECT_EQ(0u, config->getObjectives()->size());
	EXPECT_EQ(0u, config->getRandomEvents()->size());
	EXPECT_EQ(1.f, config->getModifierValues().MaterialPriceM);
	EXPECT_TRUE(config->getModifierValues().CanBuildingsBroke);
}

TEST(LevelConfiguration, PropertiesTable)
{
	struct SCase
	{
		const char* properties;
		std::function<void(const GLevelConfiguration&)> check;
	};
	const std::vector<SCase> cases = {
		{"<stringw Name=\"Name\" Value=\"12\"/>",
			[](auto& c)
			{
				EXPECT_EQ(12, c.getLevelNumber());
				EXPECT_EQ(fw::core::stringw(L"12"), c.getName());
			}},
		{"<stringw Name=\"Name\" Value=\"-3rd\"/>", [](auto& c) { EXPECT_EQ(-3, c.getLevelNumber()); }},
		{"<stringw Name=\"Name\" Value=\"Harbour\"/>", [](auto& c) { EXPECT_EQ(0, c.getLevelNumber()); }},
		{"<int Name=\"DayLength\" Value=\"90\"/>",
			[](auto& c)
			{
				// Without a name the level number is 0.
				EXPECT_EQ(0, c.getLevelNumber());
				EXPECT_EQ(90, c.getDayLength());
			}},
		{"<int Name=\"SettingIndex\" Value=\"4\"/>", [](auto& c) { EXPECT_EQ(4, c.getSettingIndex()); }},
		{"<float Name=\"SettingIndex\" Value=\"4\"/>", [](auto& c) { EXPECT_EQ(0, c.getSettingIndex()); }},
		{"<string Name=\"UnlockLevels\" Value=\" level2 ;;level3;\"/>",
			[](auto& c)
			{
				const auto& levels = c.getUnlockLevels();
				ASSERT_EQ(4u, levels.size());
				EXPECT_STREQ(" level2 ", levels[0].c_str());
				EXPECT_STREQ("", levels[1].c_str());
				EXPECT_STREQ("level3", levels[2].c_str());
				EXPECT_STREQ("", levels[3].c_str());
			}},
		{"<string Name=\"UnlockLevels\" Value=\"\"/>", [](auto& c) { EXPECT_EQ(1u, c.getUnlockLevels().size()); }},
		{"<string Name=\"AvailableBuildingsForBuild\" Value=\" Hotel1 ;; Fountain ;\"/>",
			[](auto& c) {
				EXPECT_EQ(ids({"Hotel1", "Fountain"}), ids(c.getAvailableBuildings()));
			}},
		{"<string Name=\"PyramidIncomeBonusPlaces\" Value=\"Place5\"/>"
		 "<string Name=\"StationIncomeBonus1BuildingTypes\" Value=\"Hotel2;Hotel3\"/>"
		 "<string Name=\"StationIncomeBonus2BuildingTypes\" Value=\"FerrisWheel\"/>"
		 "<float Name=\"StationIncomeBonus1\" Value=\"5\"/><float Name=\"StationIncomeBonus2\" Value=\"3\"/>",
			[](auto& c)
			{
				EXPECT_EQ(ids({"Place5"}), ids(c.getPyramidIncomeBonusPlaces()));
				EXPECT_EQ(ids({"Hotel2", "Hotel3"}), ids(c.getStationIncomeBonus1BuildingTypes()));
				EXPECT_EQ(ids({"FerrisWheel"}), ids(c.getStationIncomeBonus2BuildingTypes()));
				EXPECT_EQ(5.f, c.getStationIncomeBonus1());
				EXPECT_EQ(3.f, c.getStationIncomeBonus2());
			}},
		{"<int Name=\"LevelTime\" Value=\"300\"/><int Name=\"Score\" Value=\"10\"/><float Name=\"ExpertScore\" Value=\"20\"/>",
			[](auto& c)
			{
				EXPECT_EQ(300, c.getLevelTime());
				EXPECT_EQ(10, c.getScore());
				EXPECT_EQ(0, c.getExpertScore());
			}},
		{"<float Name=\"InitMoney\" Value=\"2500.5\"/><int Name=\"InitRating\" Value=\"10\"/>"
		 "<int Name=\"InitWorkersCount\" Value=\"3\"/><float Name=\"InitMaterialsCount\" Value=\"40\"/>",
			[](auto& c)
			{
				EXPECT_EQ(2500.5f, c.getInitMoney());
				EXPECT_EQ(0.f, c.getInitRating());
				EXPECT_EQ(3, c.getInitWorkersCount());
				EXPECT_EQ(40.f, c.getInitMaterialsCount());
			}},
		{"<float Name=\"IncomeBonus1\" Value=\"10\"/><float Name=\"IncomeBonus2\" Value=\"-10\"/>",
			[](auto& c)
			{
				EXPECT_EQ(10.f, c.getIncomeBonus1());
				EXPECT_EQ(-10.f, c.getIncomeBonus2());
			}},
		{"<vector2d Name=\"BuildingsSellTime\" Value=\"1, 2\"/><string Name=\"BuildingsBuyRequestTime\" Value=\"1, 2\"/>",
			[](auto& c)
			{
				EXPECT_EQ(fw::core::vector2df(1.f, 2.f), c.getBuildingsSellTime());
				EXPECT_EQ(fw::core::vector2df(0.f, 0.f), c.getBuildingsBuyRequestTime());
			}},
		{"<int Name=\"IsClockOn\" Value=\"1\"/><bool Name=\"IsSellOn\" Value=\"false\"/>"
		 "<bool Name=\"IsNotOwnedDecorationsDirty\" Value=\"true\"/>",
			[](auto& c)
			{
				EXPECT_FALSE(c.isClockOn());
				EXPECT_FALSE(c.isSellOn());
				EXPECT_TRUE(c.isNotOwnedDecorationsDirty());
				EXPECT_TRUE(c.isRatingOn());
			}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.properties);
		c.check(*readLevel(level(c.properties)));
	}
}

TEST(LevelConfiguration, EachPropertiesElementAppendsTheFixedOffers)
{
	const fw::CRefHolder<GLevelConfiguration> once = readLevel(level(""));
	const auto& materials = once->getMaterialsOffers();
	ASSERT_EQ(6u, materials.size());
	EXPECT_EQ(125.f, materials[0]->amount);
	EXPECT_EQ(12500.f, materials[0]->price);
	EXPECT_EQ(5000.f, materials[0]->deliveryTime);
	EXPECT_EQ(5000.f, materials[5]->amount);
	EXPECT_EQ(250000.f, materials[5]->price);
	EXPECT_EQ(12000.f, materials[5]->deliveryTime);
	const auto& workers = once->getWorkersOffers();
	ASSERT_EQ(4u, workers.size());
	EXPECT_EQ(1.f, workers[0]->amount);
	EXPECT_EQ(50000.f, workers[0]->price);
	EXPECT_EQ(4.f, workers[3]->amount);
	EXPECT_EQ(12000.f, workers[3]->deliveryTime);

	const fw::CRefHolder<GLevelConfiguration> twice = readLevel(level("<int Name=\"DayLength\" Value=\"30\"/>",
		"<Properties><int Name=\"SettingIndex\" Value=\"4\"/></Properties>"));
	EXPECT_EQ(12u, twice->getMaterialsOffers().size());
	EXPECT_EQ(8u, twice->getWorkersOffers().size());
	// The second element sets only what it holds.
	EXPECT_EQ(30, twice->getDayLength());
	EXPECT_EQ(4, twice->getSettingIndex());
}

TEST(LevelConfiguration, RatingThresholds)
{
	const fw::CRefHolder<GLevelConfiguration> config = fw::adoptRef(new GLevelConfiguration);
	EXPECT_EQ(0, config->getRatingThreshold(0));
	EXPECT_EQ(50, config->getRatingThreshold(1));
	EXPECT_EQ(50, config->getRatingThreshold(7));
}

TEST(LevelConfiguration, ObjectivesAndEventsOfEveryKindAreRead)
{
	const fw::CRefHolder<GLevelConfiguration> config = readLevel(level("",
		"<Objectives>"
		"<Objective Type=\"Money\" Value=\"5000.5\" InfoStr=\"%Obj_Money%\"/>"
		"<Objective Type=\"Income\" Value=\"400\"/>"
		"<Objective Type=\"Workers\" Value=\"10.9\"/>"
		"<Objective Type=\"GuestsCount\" Value=\"12\"/>"
		"<Objective Type=\"HaveTypedBuildingsCount\" BuildingTypes=\" Hotel1 ; Hotel2 ;;\" PlaceNames=\"P1\" Value=\"2\""
		" MinServedGuests=\"3\" MustOwn=\"true\" InfoStr=\"Typed\"/>"
		"<Objective Type=\"HaveEachTypeBuildingsCount\" BuildingTypes=\"Hotel1\" Value=\"1\" MustOwn=\"True\"/>"
		"<Objective Type=\"TypedHistoryActionsCount\" Action=\"2\" Value=\"3\" PlaceNames=\"P2;P3\"/>"
		"<Objective Type=\"HaveConcurrentFeatures\" BuildingTypes=\"Hall\" FeatureIndices=\"0, 1\"/>"
		"<Objective Type=\"money\" Value=\"1\"/><Objective Value=\"1\"/>"
		"</Objectives>"
		"<RandomEvents><Event Type=\"OneTimeLetterRequest\" TimeRange=\"1000, 2000\"/>"
		"<Event Type=\"RegularWeatherEffectRequest\"/><Event Type=\"Weather\"/></RandomEvents>"));
	GLevelObjectiveList* objectives = config->getObjectives();
	ASSERT_EQ(8u, objectives->size());

	auto* money = dynamic_cast<GMoneyObjective*>(objectives->get(0));
	ASSERT_NE(nullptr, money);
	EXPECT_EQ(5000.5f, money->FloatValue);
	EXPECT_EQ(fw::core::stringw(L"%Obj_Money%"), money->getDisplayName(nullptr, true));
	EXPECT_EQ(fw::core::stringw(L"%GamePlay_CompleteHintMoney%"), money->getHint());
	ASSERT_NE(nullptr, dynamic_cast<GIncomeObjective*>(objectives->get(1)));
	auto* workers = dynamic_cast<GWorkersObjective*>(objectives->get(2));
	ASSERT_NE(nullptr, workers);
	EXPECT_EQ(10, workers->IntValue);
	EXPECT_EQ(fw::core::stringw(L"%GamePlay_CompleteHintWorkers%"), workers->getHint());
	ASSERT_NE(nullptr, dynamic_cast<GGuestsCountObjective*>(objectives->get(3)));

	auto* typed = dynamic_cast<GHaveTypedBuildingsCountObjective*>(objectives->get(4));
	ASSERT_NE(nullptr, typed);
	EXPECT_EQ(ids({"Hotel1", "Hotel2"}), ids(typed->BuildingTypes));
	EXPECT_EQ(ids({"P1"}), ids(typed->PlaceNames));
	EXPECT_EQ(2, typed->IntValue);
	EXPECT_EQ(OBJECTIVE_NO_MIN_INCOME_BONUS, typed->MinIncomeBonus);
	EXPECT_EQ(3, typed->MinServedGuests);
	EXPECT_TRUE(typed->MustOwn);
	EXPECT_EQ(fw::core::stringw(), typed->getHint());

	auto* each = dynamic_cast<GHaveEachTypeBuildingsCountObjective*>(objectives->get(5));
	ASSERT_NE(nullptr, each);
	// Only the exact text "true" turns it on.
	EXPECT_FALSE(each->MustOwn);
	auto* history = dynamic_cast<GTypedHistoryActionsCountObjective*>(objectives->get(6));
	ASSERT_NE(nullptr, history);
	EXPECT_EQ(2, history->Action);
	EXPECT_EQ(ids({"P2", "P3"}), ids(history->PlaceNames));
	auto* features = dynamic_cast<GHaveConcurrentFeaturesObjective*>(objectives->get(7));
	ASSERT_NE(nullptr, features);
	// Cut to the shorter list: one pair.
	EXPECT_EQ(ids({"Hall"}), ids(features->BuildingTypes));
	ASSERT_EQ(1u, features->FeatureIndices.size());
	EXPECT_EQ(0, features->FeatureIndices[0]);

	ASSERT_EQ(2u, config->getRandomEvents()->size());
	EXPECT_NE(nullptr, dynamic_cast<GOneTimeLetterRequest*>(config->getRandomEvents()->get(0)));
	EXPECT_NE(nullptr, dynamic_cast<GRegularWeatherEffectRequest*>(config->getRandomEvents()->get(1)));
}

TEST(LevelConfiguration, EmptyFormsAndAMissingClosingTag)
{
	const fw::CRefHolder<GLevelConfiguration> empty = readLevel(
		"<Level><Objectives/><Objective Type=\"Money\"/><RandomEvents/><Event Type=\"OneTimeSellBuildingRequest\"/>"
		"<Properties/><Properties><int Name=\"DayLength\" Value=\"20\"/></Properties></Level>");
	EXPECT_EQ(0u, empty->getObjectives()->size());
	EXPECT_EQ(0u, empty->getRandomEvents()->size());
	EXPECT_EQ(20, empty->getDayLength());
	EXPECT_EQ(12u, empty->getMaterialsOffers().size());

	EXPECT_TRUE(fw::adoptRef(new GLevelConfiguration)->read(readerOver("<Level/>").get()));

	const fw::CRefHolder<GLevelConfiguration> cut =
		readLevel("<Level><Properties><int Name=\"DayLength\" Value=\"45\"/></Properties><Objectives>"
				  "<Objective Type=\"Income\" Value=\"1\"/>",
			false);
	EXPECT_EQ(45, cut->getDayLength());
	EXPECT_EQ(1u, cut->getObjectives()->size());
}

TEST(LevelConfiguration, ReadPropertiesFromAContainerInCode)
{
	const fw::CRefHolder<fw::CPropertyContainer> properties = fw::adoptRef(new fw::CPropertyContainer(nullptr));
	properties->setStringW("Name", L"7 Hills");
	properties->setInt("SettingIndex", 4);
	const fw::CRefHolder<GLevelConfiguration> config = fw::adoptRef(new GLevelConfiguration);
	config->readProperties(properties.get());
	EXPECT_EQ(7, config->getLevelNumber());
	EXPECT_EQ(4, config->getSettingIndex());
}
} // namespace
