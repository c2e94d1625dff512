// One level from its scene file, run tick by tick under a seeded generator: days, a delivery, both
// pauses, random events that offer, break and dirty buildings, bring letters and rain, a purchase,
// a sale into a buyer's request, a feature, and the completion once every objective holds. Every
// queued message and every cue, with its tick, is compared with a committed trace
// (tests/fixtures/level/ScenarioTrace.txt; QB_UPDATE_GOLDEN=1 writes it anew).

#include "LevelSceneSupport.h"

#include "level/nodes/GWeatherParticlesNode.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

using namespace leveltest;

namespace
{
const char* const OBJECTIVES = R"(<Objectives>
	<Objective Type="Money" Value="1000"/>
	<Objective Type="Income" Value="1000"/>
	<Objective Type="Workers" Value="6"/>
	<Objective Type="GuestsCount" Value="4"/>
	<Objective Type="HaveTypedBuildingsCount" BuildingTypes="Hotel1" Value="1" MustOwn="true"/>
	<Objective Type="HaveEachTypeBuildingsCount" BuildingTypes="Hotel1;Cafe" Value="1"/>
	<Objective Type="TypedHistoryActionsCount" BuildingTypes="Factory" Action="2" Value="1"/>
	<Objective Type="HaveConcurrentFeatures" BuildingTypes="Factory" FeatureIndices="0"/>
</Objectives>)";

const char* const EVENTS = R"(<RandomEvents>
	<Event Type="OneTimeSellBuildingRequest" TimeRange="2000, 2000" PlaceNames="FA"/>
	<Event Type="OneTimeLetterRequest" TimeRange="3000, 3000" PlaceNames="H1" MoneyRange="0.5, 0.5" WaitTimeRange="20000, 20000"/>
	<Event Type="OneTimeLetterRequest" TimeRange="3000, 3000" PlaceNames="H3" MoneyRange="0.5, 0.5" WaitTimeRange="20000, 20000"/>
	<Event Type="RegularWeatherEffectRequest" FirstTimeRange="6000, 6000" PeriodRange="1000, 1000" LastTimeRange="9000, 9000" DurationTimeRange="3000, 3000"/>
	<Event Type="OneTimeBrokenBuildingRequest" TimeRange="12000, 12000" PlaceNames="H3"/>
	<Event Type="OneTimeDirtyBuildingRequest" TimeRange="13000, 13000" BuildingTypes="Fountain"/>
</RandomEvents>)";

std::string goldenPath()
{
	return std::string(QB_FIXTURES_DIR) + "/level/ScenarioTrace.txt";
}

class CScenario
{
public:
	CScenario() :
		rig(levelScene(building("H1", "Hotel1", 0, 0, true) + building("H2", "Hotel1", 0, 300, true) +
				building("H3", "Hotel3", 300, 0, true) + building("F1", "Fountain", 100, 0, true) +
				building("FA", "Factory", 600, 600, false) + building("C1", "Cafe", 300, 300, true) +
				building("P1", "BuildingPlace", 800, 0, true)),
			levelXml("<int Name=\"DayLength\" Value=\"5\"/><float Name=\"InitMoney\" Value=\"40000\"/>"
					 "<vector2d Name=\"BuildingsBuyRequestTime\" Value=\"1000, 1000\"/>"
					 "<vector2d Name=\"BuildingsBuyRequestTimeWaiting\" Value=\"3000, 3000\"/>"
					 "<vector2d Name=\"BuildingsBuyRequestPriceMultiplier\" Value=\"1.13, 1.13\"/>",
				std::string(OBJECTIVES) + EVENTS),
			false),
		upgrades(modifierList("<Modifier Type=\"MaterialDeliveryTimeM\" Value=\"2\"/>"
							  "<Modifier Type=\"CanReceiveMoneyLetters\" Value=\"1\"/>"))
	{
		rig.effects->blocks.push_back(upgrades.get());
		rig.setUpAndEnter();
		collect();
	}

	static fw::CRefHolder<GLevelModifierList> modifierList(const std::string& elements)
	{
		fw::CRefHolder<GLevelModifierList> list = fw::adoptRef(new GLevelModifierList);
		const fw::CRefHolder<fw::IXMLReader> reader = readerOver("<LevelModifiers>" + elements + "</LevelModifiers>");
		moveTo(reader.get(), L"LevelModifiers");
		list->read(reader.get());
		return list;
	}

	// What the screen and the speakers heard since the last look, under the tick number.
	void collect()
	{
		for (const std::string& message : rig.messages())
			trace << tick << " message " << message << "\n";
		for (const std::string& cue : CLevelRig::plays())
			trace << tick << " cue " << cue << "\n";
	}
	void note(const std::string& what)
	{
		collect();
		trace << tick << " # " << what << "\n";
	}
	void run(fw::u32 ticks)
	{
		for (fw::u32 i = 0; i < ticks; ++i)
		{
			++tick;
			rig.step(GGameLevelScene::INTERVAL);
			collect();
			if (rig.level->getWeatherNode()->isEnabled())
				++rainTicks;
		}
	}
	GBuildingNode* at(const char* name) { return rig.building(name); }
	GGameLevelScene& level() { return *rig.level; }

	CLevelRig rig;
	fw::CRefHolder<GLevelModifierList> upgrades;
	std::ostringstream trace;
	fw::u32 tick = 0;
	fw::u32 rainTicks = 0;
};
} // namespace

TEST(LevelScenario, RunsItsCourseAndMatchesTheTrace)
{
	CScenario s;
	EXPECT_EQ(1100.f + 1000.f + 1375.f + 120.f, s.level().getEconomy().getIncome())
		<< "H1 and H3 with the fountain, the cafe serving H2";

	// A materials order: 5000 ms at twice the speed arrives on the 126th tick after it.
	const fw::CRefHolder<GPurchaseOffer> materials = fw::adoptRef(new GPurchaseOffer(30.f, 100.f, 5000.f));
	ASSERT_TRUE(s.level().buyMaterials(materials.get()));
	s.note("materials ordered");
	s.run(125);
	EXPECT_EQ(20.f, s.level().getEconomy().getMaterials());
	s.run(1);
	EXPECT_EQ(50.f, s.level().getEconomy().getMaterials());

	// The paused flag stops the economy but not the level's timer manager; the request stops both.
	s.run(24);
	s.level().setPaused(true);
	s.note("paused flag on");
	const fw::f32 elapsed = s.level().getEconomy().getElapsed();
	s.run(50);
	EXPECT_EQ(elapsed, s.level().getEconomy().getElapsed());
	s.level().setPaused(false);
	s.note("paused flag off");
	s.run(50);
	ASSERT_TRUE(offerGameMessage(s.rig.level.get(), new GPauseRequestMessage(true)));
	s.note("pause requested");
	const fw::u32 factoryTicks = static_cast<fw::u32>(s.level().getEconomy().getElapsed());
	s.run(25);
	EXPECT_EQ(static_cast<fw::f32>(factoryTicks), s.level().getEconomy().getElapsed());
	ASSERT_TRUE(offerGameMessage(s.rig.level.get(), new GPauseRequestMessage(false)));
	s.note("pause lifted");

	// The sale offer (2 s) and the letters (3 s) come; the factory is bought, unfinished.
	s.run(200);
	ASSERT_TRUE(s.at("FA")->isForSale());
	ASSERT_EQ(2u, s.level().getMoneyLetters().size());
	ASSERT_TRUE(s.level().buyBuilding(s.at("FA")));
	s.note("factory bought");
	EXPECT_EQ(3, s.at("FA")->getAlert());
	EXPECT_FALSE(s.at("FA")->isWorking());

	// The letter of H1 is collected by a click; its 600 come in.
	const fw::f32 beforeLetter = s.level().getEconomy().getMoney();
	s.at("H1")->click();
	s.run(1);
	EXPECT_EQ(beforeLetter + 600.f, s.level().getEconomy().getMoney());
	EXPECT_EQ(1u, s.level().getMoneyLetters().size());
	EXPECT_EQ(700, dynamic_cast<GMoneyLetter*>(s.level().getMoneyLetters()[0]->getUserData())->amount);

	// H2 goes up for sale; a buyer comes after a second and the player sells into his request.
	s.at("H2")->setForSale(true);
	s.note("H2 offered");
	s.run(60);
	ASSERT_TRUE(s.at("H2")->isBuyRequestActive());
	ASSERT_TRUE(s.level().sellBuilding(s.at("H2")));
	s.note("H2 sold");
	EXPECT_FALSE(s.at("H2")->isOwnedByThePlayer());

	// Rain came twice (3 s each, a second apart: 6 s of rain in all), then the breakdown of H3,
	// whose letter expires, and the fountain's dirt.
	s.run(650);
	EXPECT_FALSE(s.level().getWeatherNode()->isEnabled());
	EXPECT_EQ(300u, s.rainTicks);
	EXPECT_EQ(1, s.at("H3")->getAlert());
	EXPECT_EQ(2, s.at("F1")->getAlert());
	EXPECT_EQ(0u, s.level().getMoneyLetters().size());

	// The factory, restored (as a restoring work would), runs its feature; workers come: every
	// objective holds, but the broken hotel and the dirty fountain block the completion.
	s.at("FA")->setAlertIcon(0);
	s.at("FA")->activateFeature(0);
	const fw::CRefHolder<GPurchaseOffer> workers = fw::adoptRef(new GPurchaseOffer(3.f, 100.f, 200.f));
	ASSERT_TRUE(s.level().buyWorkers(workers.get()));
	s.note("factory restored, feature on, workers ordered");
	s.run(12);
	EXPECT_EQ(6, s.level().getEconomy().getAllWorkers());
	EXPECT_TRUE(s.level().areObjectivesMet());
	EXPECT_EQ(fw::core::stringw(L"%GamePlay_CompleteBlocked1Hint%"), s.level().getCompletionHint());
	EXPECT_FALSE(s.level().isLevelCompleted());
	s.note("blocked");
	s.at("H3")->setAlertIcon(0);
	s.at("F1")->setAlertIcon(0);
	s.level().recalculate();
	s.note("repaired and cleaned");
	s.run(100);
	EXPECT_TRUE(s.level().isLevelCompleted());

	const std::string trace = s.trace.str();
	EXPECT_EQ(1u,
		[&]
		{
			size_t count = 0;
			for (size_t at = trace.find("message 4096\n"); at != std::string::npos;
				 at = trace.find("message 4096\n", at + 1))
				++count;
			return count;
		}());
	if (std::getenv("QB_UPDATE_GOLDEN"))
	{
		std::ofstream(goldenPath(), std::ios::binary) << trace;
		return;
	}
	std::ifstream in(goldenPath(), std::ios::binary);
	ASSERT_TRUE(in.good()) << goldenPath();
	const std::string golden((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	EXPECT_EQ(golden, trace);
}
