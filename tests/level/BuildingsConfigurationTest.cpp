#include "LevelTestSupport.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GLevelConfiguration.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using leveltest::id;
using leveltest::readerOver;

namespace
{
std::string buildings(const std::string& body)
{
	return "<BuildingsConfiguration>" + body + "</BuildingsConfiguration>";
}

// One building named B with these property elements and other children.
std::string building(const std::string& properties, const std::string& children = "")
{
	return "<Building><Properties><string Name=\"Name\" Value=\"B\"/>" + properties + "</Properties>" + children +
		"</Building>";
}

GBuildingConfiguration* loadOne(GBuildingsConfiguration& config, const std::string& text)
{
	EXPECT_TRUE(config.load(readerOver(text).get()));
	EXPECT_EQ(1u, config.getBuildings().size());
	return config.getBuilding(id("B"));
}

TEST(BuildingsConfiguration, DefaultsOfARecordWithOnlyAName)
{
	GBuildingsConfiguration config;
	const GBuildingConfiguration* b = loadOne(config, buildings(building("")));
	ASSERT_NE(nullptr, b);
	EXPECT_EQ(id("B"), b->Name);
	EXPECT_EQ(0.75f, b->PreviewScale);
	EXPECT_EQ(-1, b->BuiltSoundCueName);
	EXPECT_EQ(-1, b->SelectedSoundCueName);
	EXPECT_EQ(-1, b->NextLevelName);
	EXPECT_EQ(-1, b->ButtonTemplate);
	EXPECT_EQ(0, b->Level);
	EXPECT_EQ(0, b->Type);
	EXPECT_EQ(5000.f, b->BuildTime);
	EXPECT_EQ(2000.f, b->RepairTime);
	EXPECT_EQ(1500.f, b->DestroyTime);
	EXPECT_EQ(2000.f, b->ServeTime);
	EXPECT_EQ(2000.f, b->ServeWorkTime);
	EXPECT_EQ(10.f, b->BuildMaterialsCost);
	EXPECT_EQ(1, b->BuildWorkersCost);
	EXPECT_EQ(10.f, b->RepairMaterialsCost);
	EXPECT_EQ(1, b->RepairWorkersCost);
	EXPECT_EQ(1, b->DestroyWorkersCost);
	EXPECT_EQ(0, b->GuestsCount);
	EXPECT_EQ(0.f, b->Income);
	EXPECT_FALSE(b->LevelModifiers);
	EXPECT_EQ(0u, b->ActiveFeatures.size());
	EXPECT_EQ(nullptr, config.getBuilding(id("NoSuchBuilding")));
}

TEST(BuildingsConfiguration, PropertiesTakeTheirValueOnlyFromTheirOwnType)
{
	struct SCase
	{
		const char* properties;
		std::function<void(const GBuildingConfiguration&)> check;
	};
	const std::vector<SCase> cases = {
		{"<float Name=\"BuildTime\" Value=\"7000\"/>", [](auto& b) { EXPECT_EQ(7000.f, b.BuildTime); }},
		{"<int Name=\"BuildTime\" Value=\"7000\"/>", [](auto& b) { EXPECT_EQ(0.f, b.BuildTime); }},
		{"<float Name=\"Level\" Value=\"2\"/>", [](auto& b) { EXPECT_EQ(0, b.Level); }},
		{"<int Name=\"Level\" Value=\"2\"/><int Name=\"Type\" Value=\"7\"/>",
			[](auto& b)
			{
				EXPECT_EQ(2, b.Level);
				EXPECT_EQ(7, b.Type);
			}},
		{"<int Name=\"ProvidedService\" Value=\"3\"/>", [](auto& b) { EXPECT_EQ(0, b.ProvidedService); }},
		{"<int Name=\"ProvidedService\" Value=\"4\"/>", [](auto& b) { EXPECT_EQ(4, b.ProvidedService); }},
		{"<int Name=\"ProvidedService\" Value=\"5\"/>", [](auto& b) { EXPECT_EQ(5, b.ProvidedService); }},
		{"<int Name=\"ProvidedService\" Value=\"6\"/>", [](auto& b) { EXPECT_EQ(0, b.ProvidedService); }},
		{"<vector2d Name=\"ServeArea\" Value=\"200, 150\"/>",
			[](auto& b) { EXPECT_EQ(fw::core::vector2df(200.f, 150.f), b.BoostedServeArea); }},
		{"<vector2d Name=\"ServeArea\" Value=\"200, 150\"/><vector2d Name=\"BoostedServeArea\" Value=\"0, 0\"/>",
			[](auto& b) { EXPECT_EQ(fw::core::vector2df(200.f, 150.f), b.BoostedServeArea); }},
		{"<vector2d Name=\"ServeArea\" Value=\"200, 150\"/><vector2d Name=\"BoostedServeArea\" Value=\"0, 90\"/>",
			[](auto& b) { EXPECT_EQ(fw::core::vector2df(0.f, 90.f), b.BoostedServeArea); }},
		{"<string Name=\"ServeArea\" Value=\"200, 150\"/>",
			[](auto& b) { EXPECT_EQ(fw::core::vector2df(0.f, 0.f), b.ServeArea); }},
		{"<stringw Name=\"DisplayName\" Value=\"Inn\"/><string Name=\"Description\" Value=\"Rooms\"/>",
			[](auto& b)
			{
				EXPECT_STREQ("Inn", b.DisplayName.c_str());
				EXPECT_EQ(fw::core::stringw(L"Rooms"), b.Description);
			}},
		{"<string Name=\"NextLevelName\" Value=\"B2\"/><string Name=\"BuiltSoundCueName\" Value=\"\"/>",
			[](auto& b)
			{
				EXPECT_EQ(id("B2"), b.NextLevelName);
				EXPECT_EQ(-1, b.BuiltSoundCueName);
			}},
		{"<int Name=\"BuildWorkersCost\" Value=\"3\"/><float Name=\"DestroyWorkersCost\" Value=\"3\"/>",
			[](auto& b)
			{
				EXPECT_EQ(3, b.BuildWorkersCost);
				EXPECT_EQ(0, b.DestroyWorkersCost);
			}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.properties);
		GBuildingsConfiguration config;
		const GBuildingConfiguration* b = loadOne(config, buildings(building(c.properties)));
		ASSERT_NE(nullptr, b);
		c.check(*b);
	}
}

TEST(BuildingsConfiguration, FirstBuildingOfANameWinsAndNamelessOnesShareTheEmptyName)
{
	GBuildingsConfiguration config;
	EXPECT_TRUE(config.load(readerOver(
		buildings(building("<int Name=\"Level\" Value=\"1\"/>") + building("<int Name=\"Level\" Value=\"2\"/>") +
			"<Building><Properties><int Name=\"Level\" Value=\"3\"/></Properties></Building>"
			"<Building><Properties><int Name=\"Level\" Value=\"4\"/></Properties></Building>"))
								.get()));
	ASSERT_EQ(2u, config.getBuildings().size());
	EXPECT_EQ(1, config.getBuilding(id("B"))->Level);
	EXPECT_EQ(3, config.getBuilding(-1)->Level);
}

TEST(BuildingsConfiguration, FeatureDurationsAreTruncatedAndRechargeDefaultsToTheDuration)
{
	struct SCase
	{
		const char* attributes;
		fw::s32 duration;
		fw::s32 recharge;
	};
	const std::vector<SCase> cases = {
		{"", 15000, 15000},
		{"DurationTime=\"20000\"", 20000, 20000},
		{"RechargeTime=\"3000\"", 15000, 3000},
		{"DurationTime=\"1500.9\" RechargeTime=\"-2.7\"", 1500, -2},
		{"DurationTime=\"soon\"", 0, 0},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.attributes);
		GBuildingsConfiguration config;
		const GBuildingConfiguration* b = loadOne(config,
			buildings(building("", std::string("<ActiveFeature ") + c.attributes + "></ActiveFeature>")));
		ASSERT_EQ(1u, b->ActiveFeatures.size());
		EXPECT_EQ(c.duration, b->ActiveFeatures[0].DurationTime);
		EXPECT_EQ(c.recharge, b->ActiveFeatures[0].RechargeTime);
	}
}

TEST(BuildingsConfiguration, FeaturesAndModifierListsReadInFileOrder)
{
	GBuildingsConfiguration config;
	const GBuildingConfiguration* b = loadOne(config,
		buildings(building("",
			"<LevelModifiers><Modifier Type=\"PRIncomeBonus\" Value=\"3\"/></LevelModifiers>"
			"<ActiveFeature ButtonName=\"Btn1\" MoneyCost=\"500\" Name=\"Encore\" InfoText=\"Info\" ButtonInfoText=\"Hint\">"
			"<Feature Type=\"BoostIncome\"/><Feature Type=\"BoostServeArea\"/></ActiveFeature>"
			"<ActiveFeature><LevelModifiers><Modifier Type=\"WorkersCostA\" Value=\"1\"/>"
			"<Modifier Type=\"WorkersCostA\" Value=\"2\"/></LevelModifiers></ActiveFeature>")));
	ASSERT_TRUE(b->LevelModifiers);
	EXPECT_EQ(1u, b->LevelModifiers->size());
	ASSERT_EQ(2u, b->ActiveFeatures.size());
	const GActiveFeature& first = b->ActiveFeatures[0];
	EXPECT_EQ(id("Btn1"), first.ButtonName);
	EXPECT_EQ(500.f, first.MoneyCost);
	EXPECT_EQ(fw::core::stringw(L"Encore"), first.Name);
	EXPECT_EQ(fw::core::stringw(L"Hint"), first.ButtonInfoText);
	EXPECT_EQ(leveltest::ids({"BoostIncome", "BoostServeArea"}), leveltest::ids(first.FeatureTypes));
	EXPECT_FALSE(first.LevelModifiers);
	const GActiveFeature& second = b->ActiveFeatures[1];
	EXPECT_EQ(-1, second.ButtonName);
	ASSERT_TRUE(second.LevelModifiers);
	EXPECT_EQ(2u, second.LevelModifiers->size());
}

TEST(BuildingsConfiguration, ACopyStartsItsOwnCountAndSharesTheModifierList)
{
	GBuildingsConfiguration config;
	GBuildingConfiguration* b = loadOne(config,
		buildings(building("<float Name=\"Income\" Value=\"120\"/>",
			"<LevelModifiers></LevelModifiers><ActiveFeature><LevelModifiers></LevelModifiers></ActiveFeature>")));
	GBuildingConfiguration* copy = new GBuildingConfiguration(*b);
	EXPECT_EQ(1, copy->getReferenceCount());
	EXPECT_EQ(120.f, copy->Income);
	EXPECT_EQ(2000.f, copy->ServeWorkTime);
	EXPECT_EQ(b->LevelModifiers.get(), copy->LevelModifiers.get());
	EXPECT_EQ(2, b->LevelModifiers->getReferenceCount());
	EXPECT_EQ(b->ActiveFeatures[0].LevelModifiers.get(), copy->ActiveFeatures[0].LevelModifiers.get());
	copy->drop();
	EXPECT_EQ(1, b->LevelModifiers->getReferenceCount());
}

TEST(BuildingsConfiguration, EmptyElementsEndAtOnceAndTheirSiblingsReadAsWritten)
{
	GBuildingsConfiguration config;
	EXPECT_TRUE(config.load(
		readerOver(buildings("<Building/>" +
					   building("<int Name=\"Level\" Value=\"2\"/>",
						   "<LevelModifiers/><ActiveFeature DurationTime=\"1000\"/>"
						   "<ActiveFeature DurationTime=\"2000\"><Feature Type=\"BoostIncome\"/></ActiveFeature>") +
					   "<Building><Properties/></Building>"))
			.get()));
	ASSERT_EQ(2u, config.getBuildings().size());
	const GBuildingConfiguration* empty = config.getBuilding(-1);
	ASSERT_NE(nullptr, empty);
	EXPECT_EQ(0, empty->Level);
	const GBuildingConfiguration* b = config.getBuilding(id("B"));
	ASSERT_NE(nullptr, b);
	EXPECT_EQ(2, b->Level);
	ASSERT_TRUE(b->LevelModifiers);
	EXPECT_EQ(0u, b->LevelModifiers->size());
	ASSERT_EQ(2u, b->ActiveFeatures.size());
	EXPECT_EQ(1000, b->ActiveFeatures[0].DurationTime);
	EXPECT_EQ(0u, b->ActiveFeatures[0].FeatureTypes.size());
	EXPECT_EQ(2000, b->ActiveFeatures[1].DurationTime);
	EXPECT_EQ(1u, b->ActiveFeatures[1].FeatureTypes.size());

	EXPECT_TRUE(config.load(readerOver("<BuildingsConfiguration/>").get()));
	EXPECT_TRUE(config.getBuildings().empty());
}

TEST(BuildingsConfiguration, AMissingClosingRootTagReturnsFalseKeepingWhatWasRead)
{
	GBuildingsConfiguration config;
	// The second building is cut off inside its properties: it stays, with what it had.
	EXPECT_FALSE(config.load(readerOver("<BuildingsConfiguration>" + building("") +
		"<Building><Properties><string Name=\"Name\" Value=\"C\"/><int Name=\"Level\" Value=\"5\"/>")
								 .get()));
	ASSERT_EQ(2u, config.getBuildings().size());
	EXPECT_EQ(5, config.getBuilding(id("C"))->Level);

	// A second load drops everything the first one read.
	EXPECT_FALSE(config.load(readerOver("").get()));
	EXPECT_TRUE(config.getBuildings().empty());
}
} // namespace
