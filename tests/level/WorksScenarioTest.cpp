// One level played through every work on its buildings, tick by tick under a seeded generator,
// with a drawing pass after each tick as the screen would make (street cars start at their first
// one): a hotel built on an empty place and upgraded to three stars, a feature switched on directly
// and one through its work, a building destroyed, one repaired, one cleaned, one restored and a
// neighbour's request served. Each work that can be cancelled is cancelled once first. After every
// work the level's materials and free workers are what they were, less what the work used up;
// the history and its objectives count each finished work once; the phases every work went
// through are those of its outline. Messages, cues and phase changes, with their ticks, are
// compared with a committed trace (tests/fixtures/level/WorksScenarioTrace.txt;
// QB_UPDATE_GOLDEN=1 writes it anew).

#include "LevelSceneSupport.h"

#include "core/SRenderEntry.h"
#include "level/data/GLevelObjective.h"
#include "level/data/GLevelPaths.h"
#include "level/works/GCleaningWork.h"
#include "level/works/GConstructionWork.h"
#include "level/works/GCrewWork.h"
#include "level/works/GDestroyWork.h"
#include "level/works/GFeatureWork.h"
#include "level/works/GRepairWork.h"
#include "level/works/GRestoringWork.h"
#include "level/works/GServeWork.h"
#include "widgets/SpriteNode.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

using namespace leveltest;

namespace
{
// Times and costs small enough for a short run, different enough to tell the works apart. The
// cafe (Type 1) runs its feature itself and serves requests for service 5; the factory (Type 3)
// runs its feature through a work.
const char* const WORK_TYPES = R"(<BuildingsConfiguration>
	<Building><Properties><string Name="Name" Value="BuildingPlace"/><int Name="Level" Value="0"/></Properties></Building>
	<Building><Properties><string Name="Name" Value="Hotel1"/><int Name="Level" Value="1"/><int Name="Type" Value="0"/>
		<float Name="Cost" Value="400"/><float Name="Income" Value="100"/><int Name="GuestsCount" Value="4"/>
		<string Name="NextLevelName" Value="Hotel3"/><string Name="BuiltSoundCueName" Value="BuildingBuilt"/>
		<float Name="BuildTime" Value="3000"/><float Name="BuildMaterialsCost" Value="10"/><int Name="BuildWorkersCost" Value="2"/>
		<float Name="RepairTime" Value="2000"/><float Name="RepairMaterialsCost" Value="4"/><int Name="RepairWorkersCost" Value="1"/>
		<float Name="DestroyTime" Value="2500"/><int Name="DestroyWorkersCost" Value="2"/><float Name="ServeTime" Value="1500"/></Properties></Building>
	<Building><Properties><string Name="Name" Value="Hotel3"/><int Name="Level" Value="3"/><int Name="Type" Value="0"/>
		<float Name="Cost" Value="900"/><float Name="Income" Value="300"/><int Name="GuestsCount" Value="10"/>
		<string Name="BuiltSoundCueName" Value="BuildingBuilt"/>
		<float Name="BuildTime" Value="4000"/><float Name="BuildMaterialsCost" Value="15"/><int Name="BuildWorkersCost" Value="3"/></Properties></Building>
	<Building><Properties><string Name="Name" Value="Fountain"/><int Name="Level" Value="1"/><int Name="Type" Value="2"/>
		<float Name="RepairTime" Value="1000"/><float Name="RepairMaterialsCost" Value="2"/><int Name="RepairWorkersCost" Value="1"/></Properties></Building>
	<Building><Properties><string Name="Name" Value="Cafe"/><int Name="Level" Value="1"/><int Name="Type" Value="1"/>
		<int Name="ProvidedService" Value="5"/><float Name="Income" Value="50"/></Properties>
		<ActiveFeature DurationTime="2000" RechargeTime="4000" MoneyCost="30"><Feature Type="BoostIncome"/></ActiveFeature>
	</Building>
	<Building><Properties><string Name="Name" Value="Factory"/><int Name="Level" Value="1"/><int Name="Type" Value="3"/>
		<float Name="Income" Value="200"/><float Name="BuildTime" Value="2000"/><float Name="BuildMaterialsCost" Value="6"/>
		<int Name="BuildWorkersCost" Value="2"/></Properties>
		<ActiveFeature DurationTime="3000" RechargeTime="5000" MoneyCost="50"><Feature Type="BoostIncome"/></ActiveFeature>
	</Building>
</BuildingsConfiguration>)";

// Every finished work of the run counted by the objectives, by kind and type; a far goal keeps the
// level running.
const char* const OBJECTIVES = R"(<Objectives>
	<Objective Type="Money" Value="100000000"/>
	<Objective Type="TypedHistoryActionsCount" BuildingTypes="Hotel1;Hotel3" Action="0" Value="9"/>
	<Objective Type="TypedHistoryActionsCount" BuildingTypes="Hotel1" Action="1" Value="9"/>
	<Objective Type="TypedHistoryActionsCount" BuildingTypes="Hotel1;Factory" Action="4" Value="9"/>
	<Objective Type="TypedHistoryActionsCount" BuildingTypes="Cafe;Factory" Action="5" Value="9"/>
	<Objective Type="TypedHistoryActionsCount" BuildingTypes="Fountain" Action="8" Value="9"/>
</Objectives>)";

// A stretch of road along y 500 and a drive up to the place, for each place a bus serves.
std::string deliveryPath(const char* place, int x, int y)
{
	return std::string("<Path ID=\"") + place + "\"><p p=\"" + std::to_string(x - 150) + ", 500\"/><p p=\"" +
		std::to_string(x) + ", 500\"/><p p=\"" + std::to_string(x) + ", " + std::to_string(y + 60) + "\"/></Path>";
}

const fw::u32 TICK = GGameLevelScene::INTERVAL;

std::string goldenPath()
{
	return std::string(QB_FIXTURES_DIR) + "/level/WorksScenarioTrace.txt";
}

std::string nameOf(fw::s32 nameId)
{
	return fw::CNameTableSingleton::Instance().lookup(nameId).c_str();
}

// What a work shows of its progress through its outline, in one line.
std::string describe(GBuildingWork* work)
{
	std::ostringstream out;
	if (auto* construction = dynamic_cast<GConstructionWork*>(work))
		out << "construction " << nameOf(construction->getTargetType()->Name) << " helicopter "
			<< construction->getHelicopterPhase() << " bus " << construction->getBusPhase() << " site "
			<< construction->getConstructionPhase() << " star " << construction->getStarPhase();
	else if (auto* crew = dynamic_cast<GCrewWork*>(work))
		out << (dynamic_cast<GDestroyWork*>(work)            ? "destroy "
					   : dynamic_cast<GRestoringWork*>(work) ? "restoring "
					   : dynamic_cast<GRepairWork*>(work)    ? "repair "
															 : "cleaning ")
			<< crew->getBuilding()->getName().c_str() << " phase " << crew->getPhase();
	else if (auto* serving = dynamic_cast<GServeProgressWork*>(work))
		out << "serve progress phase " << serving->getPhase();
	else if (dynamic_cast<GServeWork*>(work))
		out << "serve";
	else if (auto* feature = dynamic_cast<GFeatureWork*>(work))
		out << "feature " << feature->getFeatureIndex();
	else
		return std::string();
	return out.str();
}

class CWorksScenario
{
public:
	CWorksScenario() :
		rig(levelScene(building("P1", "BuildingPlace", 300, 100, true) + building("H2", "Hotel1", 500, 100, true) +
				building("H3", "Hotel1", 700, 100, true) + building("F1", "Fountain", 100, 300, true) +
				building("C1", "Cafe", 300, 300, true) + building("FA", "Factory", 500, 300, true) +
				building("H4", "Hotel1", 700, 300, true)),
			levelXml("<float Name=\"InitMoney\" Value=\"5000\"/><float Name=\"InitMaterialsCount\" Value=\"60\"/>"
					 "<int Name=\"InitWorkersCount\" Value=\"8\"/>",
				OBJECTIVES),
			false),
		paths(fw::adoptRef(new GLevelPaths))
	{
		// The works' own cues, traced as the level's are.
		for (const char* name : {"Bus", "Helicopter", "BuildingBuilt"})
			if (!rig.sounds->findCue(id(name)))
			{
				const fw::CRefHolder<fw::CSoundCue> cue = fw::adoptRef(new fw::CSoundCue(id(name)));
				cue->addSound(fw::adoptRef(new fw::soundtest::CScriptedSound(name, &soundTrace())).get());
				rig.sounds->registerCue(cue.get());
			}
		rig.buildings = makeBuildings(WORK_TYPES);
		rig.setUpAndEnter();
		const std::string roads = "<LevelPaths><CarPaths>" + deliveryPath("P1", 300, 100) +
			deliveryPath("H2", 500, 100) + deliveryPath("H3", 700, 100) + deliveryPath("F1", 100, 300) +
			deliveryPath("FA", 500, 300) + deliveryPath("H4", 700, 300) + "</CarPaths></LevelPaths>";
		paths->load(readerOver(roads).get());
		rig.level->setLevelPaths(paths.get());
		collect();
	}

	GGameLevelScene& level() { return *rig.level; }
	GBuildingNode* at(const char* name) { return rig.building(name); }
	const GBuildingConfiguration* type(const char* name) const { return rig.buildings->getBuilding(id(name)); }

	// What the screen and the speakers heard since the last look, and the works' phase changes,
	// under the tick number.
	void collect()
	{
		for (const std::string& message : rig.messages())
			trace << tick << " message " << message << "\n";
		for (const std::string& cue : CLevelRig::plays())
			trace << tick << " cue " << cue << "\n";
		std::map<GBuildingWork*, std::string> now;
		const fw::core::array<GBuildingWork*>& works = level().getWorks();
		for (fw::u32 i = 0; i < works.size(); ++i)
		{
			const std::string line = describe(works[i]);
			if (line.empty())
				continue;
			now[works[i]] = line;
			auto known = shown.find(works[i]);
			if (known == shown.end() || known->second != line)
			{
				trace << tick << " work " << line << "\n";
				phases.push_back(line);
			}
		}
		for (const auto& entry : shown)
			if (!now.count(entry.first))
				trace << tick << " over " << entry.second << "\n";
		shown.swap(now);
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
			rig.step(TICK);
			fw::RenderList list;
			rig.level->collectRenderables(list);
			collect();
		}
	}
	// Ticks until the building is free of its work; false after the limit.
	bool runUntilFree(GBuildingNode* building, fw::u32 limit = 2000)
	{
		for (fw::u32 i = 0; i < limit && building->getWorkCode() != GBuildingNode::WORK_NONE; ++i)
			run(1);
		return building->getWorkCode() == GBuildingNode::WORK_NONE;
	}
	// Ticks until no work but the level's own effects runs.
	bool runUntilNoWork(fw::u32 limit = 2000)
	{
		for (fw::u32 i = 0; i < limit && !shown.empty(); ++i)
			run(1);
		return shown.empty();
	}
	// The phase lines of the works that mention the text, in order, since the last call.
	std::vector<std::string> takePhases(const std::string& text)
	{
		std::vector<std::string> out;
		for (const std::string& line : phases)
			if (line.find(text) != std::string::npos)
				out.push_back(line);
		phases.clear();
		return out;
	}

	fw::s32 historyCount(fw::s32 kind) const
	{
		fw::s32 count = 0;
		const fw::core::array<GLevelHistoryRecord>& history = rig.level->getHistory();
		for (fw::u32 i = 0; i < history.size(); ++i)
			count += history[i].kind == kind;
		return count;
	}
	// The counts of the level's TypedHistoryActionsCount objectives, by action.
	std::map<fw::s32, fw::s32> objectiveCounts()
	{
		std::map<fw::s32, fw::s32> counts;
		GLevelObjectiveList* objectives = rig.config->getObjectives();
		for (fw::u32 i = 0; i < objectives->size(); ++i)
			if (auto* typed = dynamic_cast<GTypedHistoryActionsCountObjective*>(objectives->get(i)))
				counts[typed->Action] = typed->count(rig.level.get());
		return counts;
	}

	CLevelRig rig;
	fw::CRefHolder<GLevelPaths> paths;
	std::ostringstream trace;
	fw::u32 tick = 0;
	std::map<GBuildingWork*, std::string> shown;
	std::vector<std::string> phases;
};

// The level's stock of materials and free workers, with what each work may leave behind.
struct SStock
{
	fw::f32 materials;
	fw::s32 workers;
	bool operator==(const SStock& other) const { return materials == other.materials && workers == other.workers; }
};
std::ostream& operator<<(std::ostream& out, const SStock& stock)
{
	return out << stock.materials << " materials, " << stock.workers << " free workers";
}
SStock stockOf(const GGameLevelScene& level)
{
	return {level.getEconomy().getMaterials(), level.getEconomy().getFreeWorkers()};
}
SStock less(SStock stock, fw::f32 materials)
{
	stock.materials -= materials;
	return stock;
}
} // namespace

TEST(WorksScenario, EveryWorkRunsItsCourseAndMatchesTheTrace)
{
	CWorksScenario s;
	GGameLevelScene& level = s.level();
	const fw::s32 allWorkers = level.getEconomy().getAllWorkers();

	// --- A hotel on the empty place: cancelled once, then built.
	SStock before = stockOf(level);
	fw::f32 money = level.getEconomy().getMoney();
	ASSERT_TRUE(level.startConstruction(s.at("P1"), s.type("Hotel1")));
	s.note("construction started");
	EXPECT_EQ(money - 400.f, level.getEconomy().getMoney());
	EXPECT_EQ((SStock{before.materials - 10.f, before.workers - 2}), stockOf(level));
	s.run(10);
	s.at("P1")->abortWork();
	s.note("construction cancelled");
	EXPECT_EQ(id("BuildingPlace"), s.at("P1")->getType()->Name);
	EXPECT_EQ(before, stockOf(level)) << "everything but the money comes back";
	EXPECT_EQ(money - 400.f, level.getEconomy().getMoney());
	ASSERT_TRUE(s.runUntilNoWork());
	EXPECT_EQ(0, s.historyCount(0));
	s.takePhases("construction");

	before = stockOf(level);
	ASSERT_TRUE(level.startConstruction(s.at("P1"), s.type("Hotel1")));
	s.note("construction started again");
	ASSERT_TRUE(s.runUntilFree(s.at("P1")));
	ASSERT_TRUE(s.runUntilNoWork());
	EXPECT_EQ(id("Hotel1"), s.at("P1")->getType()->Name);
	EXPECT_EQ(less(before, 10.f), stockOf(level)) << "the materials are used up, the workers come back";
	EXPECT_EQ(1, s.historyCount(0));
	const std::vector<std::string> buildPhases = s.takePhases("construction");
	ASSERT_FALSE(buildPhases.empty());
	EXPECT_EQ("construction Hotel1 helicopter 1 bus 1 site 1 star 0", buildPhases.front());
	EXPECT_EQ("construction Hotel1 helicopter 11 bus 12 site 13 star 2", buildPhases.back())
		<< "a new hotel has no star to fly in";

	// --- Upgraded to three stars: the star effect flies to star 2.
	before = stockOf(level);
	ASSERT_TRUE(level.startUpgrade(s.at("P1")));
	s.note("upgrade started");
	GConstructionWork* upgrade = nullptr;
	for (fw::u32 i = 0; i < level.getWorks().size(); ++i)
		if (auto* construction = dynamic_cast<GConstructionWork*>(level.getWorks()[i]))
			upgrade = construction;
	ASSERT_NE(nullptr, upgrade);
	for (fw::u32 i = 0; i < 2000 && upgrade->getStarPhase() == GConstructionWork::STAR_WAITING; ++i)
		s.run(1);
	ASSERT_EQ(GConstructionWork::STAR_FLYING, upgrade->getStarPhase());
	ASSERT_NE(nullptr, upgrade->getStarEffect());
	EXPECT_TRUE(upgrade->getStarEffect()->isVisible());
	const fw::core::vector3df starAt = s.at("P1")->getNewStarPosition();
	EXPECT_EQ(fw::core::vector3df(starAt.X, starAt.Y, 3000.f), upgrade->getStarEffect()->getPosition());
	const fw::core::array<fw::SpriteNode*>& stars = s.at("P1")->getStarSprites();
	ASSERT_EQ(3u, stars.size());
	EXPECT_TRUE(stars[0]->isVisible());
	EXPECT_FALSE(stars[1]->isVisible()) << "the star in flight";
	s.note("star flying");
	ASSERT_TRUE(s.runUntilNoWork());
	EXPECT_TRUE(stars[1]->isVisible());
	EXPECT_EQ(id("Hotel3"), s.at("P1")->getType()->Name);
	EXPECT_EQ(less(before, 15.f), stockOf(level));
	EXPECT_EQ(2, s.historyCount(0));
	const std::vector<std::string> upgradePhases = s.takePhases("construction");
	ASSERT_FALSE(upgradePhases.empty());
	EXPECT_EQ("construction Hotel3 helicopter 1 bus 1 site 1 star 0", upgradePhases.front());
	EXPECT_EQ("construction Hotel3 helicopter 12 bus 12 site 13 star 2", upgradePhases.back());

	// --- A hotel destroyed: cancelled once (it stands again), then pulled down.
	before = stockOf(level);
	ASSERT_TRUE(level.startDestroy(s.at("H2")));
	s.note("destroy started");
	EXPECT_EQ(id("BuildingPlace"), s.at("H2")->getType()->Name);
	s.run(20);
	s.at("H2")->abortWork();
	s.note("destroy cancelled");
	EXPECT_EQ(id("Hotel1"), s.at("H2")->getType()->Name);
	EXPECT_EQ(before, stockOf(level));
	ASSERT_TRUE(s.runUntilNoWork());
	ASSERT_TRUE(level.startDestroy(s.at("H2")));
	s.note("destroy started again");
	ASSERT_TRUE(s.runUntilFree(s.at("H2")));
	ASSERT_TRUE(s.runUntilNoWork());
	EXPECT_EQ(before, stockOf(level));
	EXPECT_EQ(1, s.historyCount(1));
	EXPECT_EQ(id("BuildingPlace"), s.at("H2")->getType()->Name);
	const std::vector<std::string> destroyPhases = s.takePhases("destroy");
	// Seen between steps: the bus coming, the cancel; then the bus coming, the job started (the bus's
	// arrival and the start fall in one step), running, the bus gone (the fixture's bus leaves at
	// once) until the clock runs out and the level drops the work in the step of its end.
	EXPECT_EQ((std::vector<std::string>{"destroy H2 phase 1", "destroy H2 phase 7", "destroy H2 phase 1",
				  "destroy H2 phase 3", "destroy H2 phase 4", "destroy H2 phase 6"}),
		destroyPhases);

	// --- Repair, cleaning and restoring: each cancelled once, its alert back, then done.
	struct SCrewCase
	{
		const char* place;
		fw::s32 alert;
		bool (GGameLevelScene::*start)(GBuildingNode*);
		const char* work;
		fw::f32 materials;
		fw::s32 historyKind;
	};
	const SCrewCase crews[] = {{"H3", GBuildingNode::ALERT_BROKEN, &GGameLevelScene::startRepair, "repair", 4.f, 4},
		{"F1", GBuildingNode::ALERT_DIRTY, &GGameLevelScene::startCleaning, "cleaning", 2.f, 8},
		{"FA", GBuildingNode::ALERT_UNFINISHED, &GGameLevelScene::startRestoring, "restoring", 6.f, 4}};
	for (const SCrewCase& c : crews)
	{
		SCOPED_TRACE(c.work);
		GBuildingNode* building = s.at(c.place);
		building->setAlertIcon(c.alert);
		const fw::s32 recorded = s.historyCount(c.historyKind);
		before = stockOf(level);
		ASSERT_TRUE((level.*c.start)(building));
		s.note(std::string(c.work) + " started");
		EXPECT_EQ(0, building->getAlert());
		EXPECT_EQ(before.materials - c.materials, level.getEconomy().getMaterials());
		EXPECT_GT(before.workers, level.getEconomy().getFreeWorkers());
		s.run(30);
		building->abortWork();
		building->abortWork();
		s.note(std::string(c.work) + " cancelled twice");
		EXPECT_EQ(c.alert, building->getAlert());
		EXPECT_EQ(before, stockOf(level)) << "one return for two cancels";
		ASSERT_TRUE(s.runUntilNoWork());
		ASSERT_TRUE((level.*c.start)(building));
		s.note(std::string(c.work) + " started again");
		ASSERT_TRUE(s.runUntilFree(building));
		ASSERT_TRUE(s.runUntilNoWork());
		EXPECT_EQ(0, building->getAlert());
		EXPECT_EQ(less(before, c.materials), stockOf(level));
		EXPECT_EQ(recorded + 1, s.historyCount(c.historyKind));
		const std::string prefix = std::string(c.work) + " " + c.place + " phase ";
		std::vector<std::string> expected = {prefix + "1", prefix + "7"};
		for (const char* phase : {"1", "3", "4", "6"})
			expected.push_back(prefix + phase);
		EXPECT_EQ(expected, s.takePhases(c.work));
	}

	// --- Features, once the factory is restored: the cafe's directly, the factory's through its
	// work; one end recorded each.
	money = level.getEconomy().getMoney();
	ASSERT_TRUE(level.activateFeature(s.at("C1"), 0));
	s.note("cafe feature on");
	EXPECT_EQ(money - 30.f, level.getEconomy().getMoney());
	EXPECT_EQ(GBuildingNode::WORK_NONE, s.at("C1")->getWorkCode());
	s.run(150);
	EXPECT_EQ(1, s.historyCount(5));
	ASSERT_TRUE(level.activateFeature(s.at("FA"), 0));
	s.note("factory feature on");
	EXPECT_EQ(GBuildingNode::WORK_FEATURE, s.at("FA")->getWorkCode());
	ASSERT_TRUE(s.runUntilFree(s.at("FA")));
	s.run(50);
	EXPECT_EQ(2, s.historyCount(5)) << "one end of the factory's feature, not two";
	s.takePhases("feature");

	// --- A neighbour's request for service 5: the cafe serves, a bus brings the service to H4.
	s.at("H4")->setAlertIcon(5);
	before = stockOf(level);
	ASSERT_TRUE(level.startCustomServe(s.at("H4")));
	s.note("serve started");
	EXPECT_EQ(GBuildingNode::WORK_SERVE, s.at("C1")->getWorkCode());
	EXPECT_EQ(GBuildingNode::WORK_REPAIR, s.at("H4")->getWorkCode());
	ASSERT_TRUE(s.runUntilNoWork());
	EXPECT_EQ(GBuildingNode::WORK_NONE, s.at("C1")->getWorkCode());
	EXPECT_EQ(GBuildingNode::WORK_NONE, s.at("H4")->getWorkCode());
	EXPECT_EQ(0, s.at("H4")->getAlert());
	EXPECT_EQ(before, stockOf(level));
	// The bus coming, serving from its arrival, served (the message posted), the bus driving back;
	// its return and the end fall in one step.
	EXPECT_EQ((std::vector<std::string>{"serve progress phase 1", "serve progress phase 3", "serve progress phase 4",
				  "serve progress phase 5"}),
		s.takePhases("serve progress"));

	// --- The whole run: each finished work recorded once, nothing for the cancelled ones.
	s.note("end");
	EXPECT_EQ(allWorkers, level.getEconomy().getAllWorkers());
	const std::vector<std::pair<fw::s32, std::string>> recorded = [&]
	{
		std::vector<std::pair<fw::s32, std::string>> out;
		const fw::core::array<GLevelHistoryRecord>& history = level.getHistory();
		for (fw::u32 i = 0; i < history.size(); ++i)
			out.emplace_back(history[i].kind, nameOf(history[i].buildingType) + "@" + nameOf(history[i].place));
		return out;
	}();
	EXPECT_EQ((std::vector<std::pair<fw::s32, std::string>>{{0, "Hotel1@P1"}, {0, "Hotel3@P1"}, {1, "Hotel1@H2"},
				  {4, "Hotel1@H3"}, {8, "Fountain@F1"}, {4, "Factory@FA"}, {5, "Cafe@C1"}, {5, "Factory@FA"}}),
		recorded);
	EXPECT_EQ((std::map<fw::s32, fw::s32>{{0, 2}, {1, 1}, {4, 2}, {5, 2}, {8, 1}}), s.objectiveCounts());

	const std::string trace = s.trace.str();
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
