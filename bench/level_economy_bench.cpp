// The running level's costs on generated maps of 50, 100 and 200 buildings (hotels, fountains that
// give bonuses, cafes that serve hotels, factories with an income feature running): one 20 ms step
// of the level's timer manager (the level's tick and its share of the buildings' 50 ms timers,
// days ending every second), and one recalculation (modifiers, serve-area bonuses of every
// building, income, guests, the completion check). A step must stay under 20 us at 100 buildings
// for the level to run a thousand times faster than real time.
#include "core/CRefHolder.h"
#include "core/CXMLReader.h"
#include "level/buildings/GBuildingNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/IGLevelUpgradeEffects.h"
#include "level/scene/GGameLevelScene.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"
#include "platform/CVirtualFile.h"
#include "widgets/SceneManager.h"

#include "LevelBenchSupport.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{
const char* const BUILDINGS = R"(<BuildingsConfiguration>
	<Building><Properties><string Name="Name" Value="Hotel"/><int Name="Level" Value="1"/>
		<float Name="Income" Value="1000"/><int Name="GuestsCount" Value="4"/><float Name="SellPrice" Value="20000"/></Properties></Building>
	<Building><Properties><string Name="Name" Value="Fountain"/><int Name="Level" Value="1"/><int Name="Type" Value="2"/>
		<vector2d Name="ServeArea" Value="300, 200"/><float Name="ServeAreaIncomeBonus" Value="10"/></Properties></Building>
	<Building><Properties><string Name="Name" Value="Cafe"/><int Name="Level" Value="1"/><int Name="Type" Value="1"/>
		<vector2d Name="ServeArea" Value="400, 300"/><float Name="ServeIncome" Value="5"/><int Name="ProvidedService" Value="4"/></Properties></Building>
	<Building><Properties><string Name="Name" Value="Factory"/><int Name="Level" Value="1"/><int Name="Type" Value="3"/>
		<vector2d Name="ServeArea" Value="200, 200"/><float Name="ServeIncome" Value="1"/><float Name="ServeBoostedIncome" Value="50"/></Properties>
		<ActiveFeature DurationTime="100000000" RechargeTime="1000"><Feature Type="BoostIncome"/></ActiveFeature></Building>
</BuildingsConfiguration>)";

// Days of one second, so that steps include their days' ends; an objective never met.
const char* const LEVEL = R"(<Level><Properties><int Name="DayLength" Value="1"/><float Name="InitMoney" Value="1000"/>
	<int Name="InitWorkersCount" Value="3"/></Properties>
	<Objectives><Objective Type="Money" Value="1e30"/><Objective Type="HaveTypedBuildingsCount" BuildingTypes="Hotel" Value="100000"/></Objectives>
</Level>)";

using levelbench::CAllUpgrades;
using levelbench::readerOver;

// A level of n buildings on a grid of 160 x 80 cells, entered into a scene manager.
class CGeneratedLevel
{
public:
	explicit CGeneratedLevel(fw::u32 count) :
		manager(fw::adoptRef(new fw::SceneManager)),
		level(fw::adoptRef(new GGameLevelScene(fw::ContentReference(), nullptr, nullptr))),
		buildings(fw::adoptRef(new GBuildingsConfiguration)),
		config(fw::adoptRef(new GLevelConfiguration)),
		effects(fw::adoptRef(new CAllUpgrades))
	{
		fw::CRandomGeneratorSingleton::Instance().seed(7);
		buildings->load(readerOver(BUILDINGS).get());
		config->read(readerOver(LEVEL).get());
		level->setBounds(fw::core::vector3df(4000.f, 4000.f, 0.f));
		fw::ControlNode* map = new fw::ControlNode(fw::ContentReference(), level.get(), nullptr);
		map->setName("Buildings");
		map->drop();
		static const char* const kinds[] = {"Hotel", "Hotel", "Fountain", "Hotel", "Cafe", "Hotel", "Hotel", "Factory"};
		for (fw::u32 i = 0; i < count; ++i)
		{
			GBuildingNode* building = new GBuildingNode(fw::ContentReference(), map, nullptr);
			building->setName(("Place" + std::to_string(i)).c_str());
			building->setTemplateName(kinds[i % 8]);
			building->setPosition(
				fw::core::vector3df(static_cast<fw::f32>((i % 20) * 160), static_cast<fw::f32>((i / 20) * 80), 0.f));
			building->setBounds(fw::core::vector3df(140.f, 56.f, 0.f));
			building->setOwned(true);
			building->drop();
		}
		level->onInit();
		level->setBuildingsConfiguration(buildings.get());
		level->setLevelConfiguration(config.get());
		level->setLevelUpgradeEffects(effects.get());
		manager->setActiveScene(level.get());
		manager->processMessageQueue();
		timers = dynamic_cast<fw::CTimerManager*>(level->getTimerManager());
		for (GBuildingNode* building : levelservices::items(level->getBuildings()))
			if (building->getType()->Type == 3)
			{
				building->setAlertIcon(0);
				building->activateFeature(0);
			}
		level->recalculate();
		manager->processMessageQueue();
	}
	~CGeneratedLevel()
	{
		manager->setActiveScene(nullptr);
		manager->processMessageQueue();
	}

	fw::CRefHolder<fw::SceneManager> manager;
	fw::CRefHolder<GGameLevelScene> level;
	fw::CRefHolder<GBuildingsConfiguration> buildings;
	fw::CRefHolder<GLevelConfiguration> config;
	fw::CRefHolder<CAllUpgrades> effects;
	fw::CTimerManager* timers = nullptr;
};
} // namespace

static void BM_LevelStep(benchmark::State& state)
{
	CGeneratedLevel generated(static_cast<fw::u32>(state.range(0)));
	for (auto _ : state)
	{
		generated.timers->update(GGameLevelScene::INTERVAL);
		generated.manager->processMessageQueue();
	}
	state.counters["income"] = generated.level->getEconomy().getIncome();
	state.counters["realTimeFactor"] =
		benchmark::Counter(static_cast<double>(state.iterations()) * GGameLevelScene::INTERVAL * 1e-3,
			benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LevelStep)->Arg(50)->Arg(100)->Arg(200);

static void BM_LevelRecalculate(benchmark::State& state)
{
	CGeneratedLevel generated(static_cast<fw::u32>(state.range(0)));
	for (auto _ : state)
	{
		generated.level->recalculate();
		generated.manager->processMessageQueue();
	}
	state.counters["guests"] = generated.level->getEconomy().getGuests();
}
BENCHMARK(BM_LevelRecalculate)->Arg(50)->Arg(100)->Arg(200);
