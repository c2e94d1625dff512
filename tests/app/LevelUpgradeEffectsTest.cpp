#include "app/GLevelUpgradeEffects.h"
#include "core/CNameTable.h"
#include "core/CXMLReader.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GUpgradesConfiguration.h"
#include "platform/CVirtualFile.h"

#include <gtest/gtest.h>

#include <string>

using namespace fw;

namespace
{
CRefHolder<IXMLReader> readerOver(const std::string& text)
{
	CRefHolder<CVirtualFile> file = adoptRef(new CVirtualFile("test.xml", 0));
	file->write(text.data(), static_cast<u32>(text.size()));
	file->seek(0);
	return adoptRef<IXMLReader>(new CXMLReader(file.get()));
}

s32 id(const char* name)
{
	return CNameTableSingleton::Instance().intern(name);
}

core::array<s32> names(std::initializer_list<const char*> list)
{
	core::array<s32> ids;
	for (const char* name : list)
		ids.push_back(id(name));
	return ids;
}

// Free upgrades at levels 0 and 1, bought ones at levels 6 and 7 (one of them giving a feature).
const char* const UPGRADES = R"(<?xml version="1.0"?>
<UpgradesConfiguration>
	<Upgrade><Name Value="FreeStart"/><Price Value="0"/><Level Value="0"/><AllowsBuilding Value="Hotel1"/>
		<LevelModifiers><Modifier Type="WorkerDeliveryTimeM" Value="1.2"/></LevelModifiers></Upgrade>
	<Upgrade><Name Value="FreeLater"/><Price Value="0"/><Level Value="1"/><AllowsBuilding Value="Fountain"/></Upgrade>
	<Upgrade><Name Value="Parade"/><Price Value="500"/><Level Value="6"/><AllowsBuilding Value="ConcertHall"/>
		<AllowsBuildingFeature Building="ConcertHall" FeatureIndex="2"/></Upgrade>
	<Upgrade><Name Value="Mall"/><Price Value="900"/><Level Value="7"/><AllowsBuilding Value="CityMall"/></Upgrade>
</UpgradesConfiguration>
)";

class UpgradeEffects : public ::testing::Test
{
protected:
	UpgradeEffects() : upgrades(adoptRef(new GUpgradesConfiguration)) { upgrades->load(readerOver(UPGRADES).get()); }

	CRefHolder<GLevelUpgradeEffects> build(s32 levelIndex, std::initializer_list<const char*> bought,
		const GLevelConfiguration* level = nullptr)
	{
		CRefHolder<GLevelUpgradeEffects> effects = adoptRef(new GLevelUpgradeEffects);
		effects->build(upgrades.get(), level, levelIndex, names(bought));
		return effects;
	}

	CRefHolder<GUpgradesConfiguration> upgrades;
};

TEST_F(UpgradeEffects, EveryEighthLocationIsNoOrdinaryLevel)
{
	const std::pair<s32, s32> cases[] = {{0, 0}, {6, 6}, {7, 6}, {8, 7}, {14, 13}, {15, 13}, {16, 14}};
	for (const auto& c : cases)
		EXPECT_EQ(c.second, GLevelUpgradeEffects::ordinaryLevelNumber(c.first)) << c.first;
}

TEST_F(UpgradeEffects, TheLevelNumberLimitsWhichUpgradesApply)
{
	const CRefHolder<GLevelUpgradeEffects> first = build(0, {"Parade", "Mall"});
	EXPECT_TRUE(first->isBuildingAllowed(id("Hotel1")));
	EXPECT_FALSE(first->isBuildingAllowed(id("Fountain")));
	EXPECT_FALSE(first->isBuildingAllowed(id("ConcertHall")));
	EXPECT_EQ(1u, first->getModifierBlocks().size());

	// Location 7 is level 6, location 8 level 7.
	EXPECT_TRUE(build(7, {"Parade", "Mall"})->isBuildingAllowed(id("ConcertHall")));
	EXPECT_FALSE(build(7, {"Parade", "Mall"})->isBuildingAllowed(id("CityMall")));
	EXPECT_TRUE(build(8, {"Parade", "Mall"})->isBuildingAllowed(id("CityMall")));
	// Not bought: not allowed, whatever the level.
	EXPECT_FALSE(build(8, {})->isBuildingAllowed(id("CityMall")));
	EXPECT_FALSE(build(8, {"NoSuchUpgrade"})->isBuildingAllowed(id("CityMall")));
}

TEST_F(UpgradeEffects, AnUpgradeBoughtTwiceRepeatsOnlyItsFeatures)
{
	const CRefHolder<GLevelUpgradeEffects> effects = build(8, {"Parade", "Parade"});
	EXPECT_EQ(2u, effects->getAllowedFeatures().size());
	u32 concertHalls = 0;
	for (u32 i = 0; i < effects->getAllowedBuildings().size(); ++i)
		concertHalls += effects->getAllowedBuildings()[i] == id("ConcertHall");
	EXPECT_EQ(1u, concertHalls);
	// FreeStart's block, FreeLater's and Parade's once each.
	EXPECT_EQ(3u, effects->getModifierBlocks().size());
}

TEST_F(UpgradeEffects, TheFirstFeatureNeedsNoUpgrade)
{
	const CRefHolder<GLevelUpgradeEffects> none = build(8, {});
	EXPECT_TRUE(none->isBuildingFeatureAllowed(id("ConcertHall"), 0));
	EXPECT_FALSE(none->isBuildingFeatureAllowed(id("ConcertHall"), 1));
	// The file's FeatureIndex 2 is the feature 1 counted from 0.
	const CRefHolder<GLevelUpgradeEffects> parade = build(8, {"Parade"});
	EXPECT_TRUE(parade->isBuildingFeatureAllowed(id("ConcertHall"), 1));
	EXPECT_FALSE(parade->isBuildingFeatureAllowed(id("ConcertHall"), 2));
	EXPECT_FALSE(parade->isBuildingFeatureAllowed(id("Hotel1"), 1));
}

TEST_F(UpgradeEffects, ALevelAllowsOnlyWhatItOffersForBuilding)
{
	CRefHolder<GLevelConfiguration> level = adoptRef(new GLevelConfiguration);
	ASSERT_TRUE(level->read(readerOver(R"(<?xml version="1.0"?>
<Level><Properties><string Name="AvailableBuildingsForBuild" Value="Hotel1; ConcertHall"/></Properties></Level>
)")
								.get()));
	const CRefHolder<GLevelUpgradeEffects> effects = build(8, {"Parade", "Mall"}, level.get());
	EXPECT_TRUE(effects->isBuildingAllowed(id("Hotel1")));
	EXPECT_TRUE(effects->isBuildingAllowed(id("ConcertHall")));
	EXPECT_FALSE(effects->isBuildingAllowed(id("Fountain")));
	EXPECT_FALSE(effects->isBuildingAllowed(id("CityMall")));
	EXPECT_EQ(4u, effects->getModifierBlocks().size()) << "the blocks apply whatever the level offers";
}

TEST_F(UpgradeEffects, WithoutAPlayerOnlyTheFreeUpgradesApply)
{
	CRefHolder<GLevelUpgradeEffects> effects = adoptRef(new GLevelUpgradeEffects);
	effects->build(upgrades.get(), nullptr, 8, nullptr);
	EXPECT_TRUE(effects->isBuildingAllowed(id("Fountain")));
	EXPECT_FALSE(effects->isBuildingAllowed(id("ConcertHall")));
	EXPECT_FALSE(effects->isBuildingAllowed(id("CityMall")));
}
} // namespace
