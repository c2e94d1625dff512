// Ten minutes of a generated level of 50, 100 and 200 buildings with the game's own building types
// and templates: about ten works running at all times (builds, upgrades, demolitions, repairs,
// cleanings, restorings, served requests and features, each new one started as one ends), about
// twenty neutral cars on four streets, the clouds, and random events that break, dirty and offer
// buildings, bring letters and rain every few seconds. Each step is one 20 ms level step; the
// drawing pass that starts new cars' clocks follows every step or once a second of level time.
// Reported: level time per second of stepping ("x real time", to stay above 1000), the heap
// allocations per step, the works running per step and the works started.
#include "core/CNodeFactory.h"
#include "core/CRefHolder.h"
#include "core/CXMLReader.h"
#include "core/NodeCasts.h"
#include "core/SRenderEntry.h"
#include "core/SceneFile.h"
#include "level/buildings/GBuildingNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GLevelPaths.h"
#include "level/data/IGLevelUpgradeEffects.h"
#include "level/scene/GGameLevelScene.h"
#include "level/scene/GLevelNodeClasses.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"
#include "platform/CVirtualFile.h"
#include "widgets/SceneManager.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/WidgetServices.h"

#include "CountingAllocator.h"
#include "LevelBenchSupport.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
// Random events every few seconds on whatever building they find; the day is a minute.
const char* const LEVEL = R"(<Level><Properties><int Name="DayLength" Value="60"/><float Name="InitMoney" Value="1e9"/>
	<float Name="InitMaterialsCount" Value="1e7"/><int Name="InitWorkersCount" Value="100000"/>
	<int Name="SettingIndex" Value="1"/></Properties>
	<Objectives><Objective Type="Money" Value="1e30"/></Objectives>
	<RandomEvents>
	<Event Type="RegularBrokenBuildingRequest" FirstTimeRange="1000, 2000" PeriodRange="3000, 5000"/>
	<Event Type="RegularDirtyBuildingRequest" FirstTimeRange="1500, 2500" PeriodRange="3000, 5000"/>
	<Event Type="RegularSellBuildingRequest" FirstTimeRange="2000, 3000" PeriodRange="4000, 6000"/>
	<Event Type="RegularLetterRequest" FirstTimeRange="2000, 3000" PeriodRange="3000, 5000" MoneyRange="100, 200" WaitTimeRange="4000, 6000"/>
	<Event Type="RegularCafeBuildingRequest" FirstTimeRange="2500, 3500" PeriodRange="4000, 6000"/>
	<Event Type="RegularWeatherEffectRequest" FirstTimeRange="5000, 6000" PeriodRange="30000, 40000" DurationTimeRange="10000, 15000"/>
	</RandomEvents>
</Level>)";

std::string readAsset(const char* relative)
{
	std::ifstream in(std::string(QB_ASSETS_DIR) + "/" + relative, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using levelbench::CAllUpgrades;
using levelbench::readerOver;

fw::s32 id(const char* name)
{
	return levelservices::nameId(name);
}

// A level of n buildings on a grid of 160 x 100 cells, each with a delivery path from the street
// below its row; four streets of neutral cars across the map.
class CGeneratedLevel
{
public:
	explicit CGeneratedLevel(fw::u32 count) :
		factory(fw::adoptRef(new fw::CNodeFactory)),
		manager(fw::adoptRef(new fw::SceneManager)),
		buildings(fw::adoptRef(new GBuildingsConfiguration)),
		config(fw::adoptRef(new GLevelConfiguration)),
		paths(fw::adoptRef(new GLevelPaths)),
		effects(fw::adoptRef(new CAllUpgrades))
	{
		fw::CRandomGeneratorSingleton::Instance().seed(11);
		fw::registerWidgetServices();
		registerLevelNodeClasses(*factory);
		buildings->load(readerOver(readAsset("levels/common/BuildingsConfiguration.xml")).get());
		config->read(readerOver(LEVEL).get());
		templates = fw::CRefHolder<fw::TemplateCollectionNode>(fw::nodeCast<fw::TemplateCollectionNode>(
			load(readAsset("levels/common/TemplateCollection.oscn"), "TemplateCollection.oscn").get()));
		manager->setTemplateCollection(templates.get());

		static const char* const kinds[] = {"Hotel1", "Hotel1", "Fountain", "Hotel2", "FerrisWheel", "Hotel1",
			"BuildingPlace", "ConcertHall", "CateringDepot", "Hotel3"};
		std::string scene =
			"<SceneNode Type=\"GGameLevelScene\"><Properties><string Name=\"Name\" Value=\"Level\"/>"
			"<vector3d Name=\"Bounds\" Value=\"3200;2000;0\"/></Properties>"
			"<SceneNode Type=\"ControlNode\"><Properties><string Name=\"Name\" Value=\"Buildings\"/></Properties>";
		std::string roads = "<LevelPaths><CarPaths>";
		for (fw::u32 i = 0; i < count; ++i)
		{
			const int x = static_cast<int>(i % 20) * 160;
			const int y = static_cast<int>(i / 20) * 100;
			const std::string name = "Place" + std::to_string(i);
			scene += "<SceneNode Type=\"GBuildingNode\"><Properties><string Name=\"Name\" Value=\"" + name +
				"\"/><string Name=\"TemplateName\" Value=\"" + kinds[i % 10] +
				"\"/><vector3d Name=\"Position\" Value=\"" + std::to_string(x) + ";" + std::to_string(y) +
				";0\"/><vector3d Name=\"Bounds\" Value=\"140;56;0\"/><bool Name=\"IsOwnedByThePlayer\" Value=\"true\"/>"
				"</Properties></SceneNode>";
			roads += "<Path ID=\"" + name + "\"><p p=\"" + std::to_string(x - 200) + ", " + std::to_string(y + 90) +
				"\"/><p p=\"" + std::to_string(x + 70) + ", " + std::to_string(y + 90) + "\"/><p p=\"" +
				std::to_string(x + 70) + ", " + std::to_string(y + 60) + "\"/></Path>";
		}
		scene += "</SceneNode><SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"CargosNode\"/>"
				 "</Properties></SceneNode></SceneNode>";
		for (int street = 0; street < 4; ++street)
		{
			const std::string y = std::to_string(90 + street * 200);
			const bool east = street % 2 == 0;
			roads += std::string(
						 "<Path ID=\"NeutralCar\" Time=\"8000, 9000\" Cars=\"NeutralCarRed; NeutralCarTaxi\"><p p=\"") +
				(east ? "-80, " : "3280, ") + y + "\"/><p p=\"" + (east ? "3280, " : "-80, ") + y + "\"/></Path>";
		}
		roads += "</CarPaths></LevelPaths>";
		paths->load(readerOver(roads).get());

		level = fw::CRefHolder<GGameLevelScene>(fw::nodeCast<GGameLevelScene>(load(scene, "Level.oscn").get()));
		level->setBuildingsConfiguration(buildings.get());
		level->setLevelConfiguration(config.get());
		level->setLevelUpgradeEffects(effects.get());
		level->setLevelPaths(paths.get());
		level->setPaused(false);
		manager->setActiveScene(level.get());
		manager->processMessageQueue();
		timers = dynamic_cast<fw::CTimerManager*>(level->getTimerManager());
		placeType = buildings->getBuilding(id("Hotel1"));
	}
	~CGeneratedLevel()
	{
		manager->setActiveScene(nullptr);
		manager->processMessageQueue();
	}

	fw::CRefHolder<fw::BaseNode> load(const std::string& text, const char* name)
	{
		return fw::adoptRef(
			fw::loadSceneFile(readerOver(text).get(), factory.get(), fw::ContentReference(nullptr, name), name));
	}

	// The buildings that have a work, counted as the level's works list holds them (the level's own
	// effects aside).
	fw::u32 busyBuildings() const
	{
		fw::u32 busy = 0;
		for (GBuildingNode* building : levelservices::items(level->getBuildings()))
			busy += building->getWorkCode() != GBuildingNode::WORK_NONE;
		return busy;
	}

	// Starts the work the player would order on a random building, if it can take one.
	bool startSomeWork()
	{
		const fw::core::array<GBuildingNode*>& all = level->getBuildings();
		GBuildingNode* building = all[fw::CRandomGeneratorSingleton::Instance().nextUInt() % all.size()];
		if (building->getWorkCode() != GBuildingNode::WORK_NONE)
			return false;
		const GBuildingConfiguration* type = building->getType();
		switch (building->getAlert())
		{
		case GBuildingNode::ALERT_BROKEN:
			return level->startRepair(building);
		case GBuildingNode::ALERT_DIRTY:
			return level->startCleaning(building);
		case GBuildingNode::ALERT_UNFINISHED:
			return level->startRestoring(building);
		case GBuildingNode::ALERT_NONE:
			break;
		default:
			return level->startCustomServe(building);
		}
		if (type->Level == 0)
			return level->startConstruction(building, placeType);
		if (type->Type >= 3 && building->getFeatureState(0) == 0 && level->activateFeature(building, 0))
			return true;
		if (type->NextLevelName != -1)
			return level->startUpgrade(building);
		return level->startDestroy(building);
	}

	fw::CRefHolder<fw::CNodeFactory> factory;
	fw::CRefHolder<fw::SceneManager> manager;
	fw::CRefHolder<fw::TemplateCollectionNode> templates;
	fw::CRefHolder<GBuildingsConfiguration> buildings;
	fw::CRefHolder<GLevelConfiguration> config;
	fw::CRefHolder<GLevelPaths> paths;
	fw::CRefHolder<CAllUpgrades> effects;
	fw::CRefHolder<GGameLevelScene> level;
	fw::CTimerManager* timers = nullptr;
	const GBuildingConfiguration* placeType = nullptr;
};

constexpr fw::u32 WORKS = 10;
// Ten minutes of 20 ms steps.
constexpr fw::u32 STEPS = 10 * 60 * 1000 / GGameLevelScene::INTERVAL;

void BM_WorksLevelTenMinutes(benchmark::State& state)
{
	const fw::u32 drawEvery = static_cast<fw::u32>(state.range(1));
	double steps = 0.0;
	double allocations = 0.0;
	double works = 0.0;
	double started = 0.0;
	double vehicles = 0.0;
	for (auto _ : state)
	{
		state.PauseTiming();
		{
			CGeneratedLevel generated(static_cast<fw::u32>(state.range(0)));
			fw::RenderList list;
			state.ResumeTiming();
			const long before = g_allocations.load(std::memory_order_relaxed);
			for (fw::u32 i = 0; i < STEPS; ++i)
			{
				// A few tries a step keep about ten works going.
				for (int tries = 0; tries < 4 && generated.busyBuildings() < WORKS; ++tries)
					started += generated.startSomeWork();
				generated.timers->update(GGameLevelScene::INTERVAL);
				generated.manager->processMessageQueue();
				if (i % drawEvery == 0)
				{
					list.set_used(0);
					generated.level->collectRenderables(list);
				}
				works += generated.level->getWorks().size();
				vehicles +=
					generated.level->getCargosNode() ? generated.level->getCargosNode()->getChildren().size() : 0;
			}
			allocations += static_cast<double>(g_allocations.load(std::memory_order_relaxed) - before);
			steps += STEPS;
			state.PauseTiming();
		}
		state.ResumeTiming();
	}
	state.counters["works/step"] = works / steps;
	state.counters["cargo nodes/step"] = vehicles / steps;
	state.counters["works started"] = started / static_cast<double>(state.iterations());
	state.counters["allocs/step"] = allocations / steps;
	state.counters["x real time"] =
		benchmark::Counter(steps * GGameLevelScene::INTERVAL * 1e-3, benchmark::Counter::kIsRate);
}
// Second argument: steps per collecting pass. 1: a pass every step, as the screen makes at real
// speed; 50: one a second of level time, which still starts every new car's clock, as when the
// level runs far faster than it is shown.
BENCHMARK(BM_WorksLevelTenMinutes)
	->ArgsProduct({{50, 100, 200}, {1, 50}})
	->ArgNames({"buildings", "stepsPerDraw"})
	->Unit(benchmark::kMillisecond)
	->Iterations(1);
} // namespace
