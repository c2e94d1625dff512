// The player's operations on buildings (what each checks, takes and starts) and the level's
// handling of the works' results.

#include "LevelSceneSupport.h"

#include "level/scene/LevelServices.h"
#include "level/works/GBuildingWork.h"
#include "level/works/GCleaningWork.h"
#include "level/works/GConstructionWork.h"
#include "level/works/GDestroyWork.h"
#include "level/works/GFeatureWork.h"
#include "level/works/GRepairWork.h"
#include "level/works/GRestoringWork.h"
#include "level/works/GServeWork.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace leveltest;

namespace
{
typedef std::vector<std::string> Lines;

const Lines TWO_STATE_CHANGES = {"4100", "4100"};

// An empty place, a hotel, two cafes (service 4), a factory with features and a place not owned.
std::string operationsScene()
{
	return scene({building("P1", "BuildingPlace", 0, 400, true), building("H1", "Hotel1", 300, 0, true),
		building("C1", "Cafe", 0, 0, true), building("C2", "Cafe", 600, 0, true),
		building("FA", "Factory", 600, 300, true), building("N1", "BuildingPlace", 0, 600, false)});
}

// A copy of the building's type, changed by the caller and then given to the building.
template <class Change>
void changeType(GBuildingNode* building, Change change)
{
	const fw::CRefHolder<GBuildingConfiguration> type = fw::adoptRef(new GBuildingConfiguration(*building->getType()));
	change(*type);
	building->setType(type.get(), false);
}

// Hands the message to the level's event map as a work does; the handler's answer.
bool deliver(CLevelRig& rig, GGameMessage* message)
{
	const fw::CRefHolder<GGameMessage> held = fw::adoptRef(message);
	return rig.level->onEvent(message);
}

// The level with its economy written down, to see that a refused operation changes nothing.
struct SSnapshot
{
	explicit SSnapshot(CLevelRig& rig) :
		money(rig.level->getEconomy().getMoney()),
		materials(rig.level->getEconomy().getMaterials()),
		freeWorkers(rig.level->getEconomy().getFreeWorkers()),
		works(rig.level->getWorks().size()),
		history(rig.level->getHistory().size())
	{
		for (GBuildingNode* b : rig.buildingList())
		{
			workCodes.push_back(b->getWorkCode());
			alerts.push_back(b->getAlert());
			types.push_back(b->getType()->Name);
		}
	}
	bool operator==(const SSnapshot& o) const
	{
		return money == o.money && materials == o.materials && freeWorkers == o.freeWorkers && works == o.works &&
			history == o.history && workCodes == o.workCodes && alerts == o.alerts && types == o.types;
	}
	fw::f32 money;
	fw::f32 materials;
	fw::s32 freeWorkers;
	fw::u32 works;
	fw::u32 history;
	std::vector<fw::s32> workCodes;
	std::vector<fw::s32> alerts;
	std::vector<fw::s32> types;
};
// Steps the level until the building is free again; false when it never is.
bool runUntilFree(CLevelRig& rig, GBuildingNode* building, int maxSteps = 2000)
{
	for (int i = 0; i < maxSteps && building->getWorkCode() != GBuildingNode::WORK_NONE; ++i)
		rig.step(50);
	return building->getWorkCode() == GBuildingNode::WORK_NONE;
}
} // namespace

// --- Building and upgrading.

TEST(LevelConstruction, BuildingOnAnEmptyPlaceTakesTheCostsAtOnceAndStartsTheWork)
{
	CLevelRig rig(operationsScene());
	fw::CRefHolder<GBuildingConfiguration> hotel =
		fw::adoptRef(new GBuildingConfiguration(*rig.buildings->getBuilding(id("Hotel1"))));
	hotel->BuildWorkersCost = 2;
	GBuildingNode* place = rig.building("P1");
	ASSERT_EQ(1000.f, rig.level->getEconomy().getMoney());
	ASSERT_EQ(20.f, rig.level->getEconomy().getMaterials());
	ASSERT_EQ(3, rig.level->getEconomy().getFreeWorkers());
	rig.messages();

	ASSERT_TRUE(rig.level->startConstruction(place, hotel.get()));
	EXPECT_EQ(600.f, rig.level->getEconomy().getMoney());
	EXPECT_EQ(10.f, rig.level->getEconomy().getMaterials());
	EXPECT_EQ(1, rig.level->getEconomy().getFreeWorkers());
	EXPECT_EQ(3, rig.level->getEconomy().getAllWorkers());
	EXPECT_EQ(GBuildingNode::WORK_CONSTRUCTION, place->getWorkCode());
	EXPECT_NE(nullptr, dynamic_cast<GConstructionWork*>(place->getWork()));
	EXPECT_NE(-1, rig.level->getWorks().linear_search(place->getWork()));
	EXPECT_EQ(id("Hotel1"), place->getType()->Name);
	EXPECT_EQ(id("BuildingPlace"), place->getPreviousType()->Name);
	EXPECT_EQ(id("BuildingPlace"), place->getTemplateName()) << "the place's look until the work changes it";
	EXPECT_EQ(TWO_STATE_CHANGES, rig.messages()) << "from the recalculation and from the operation";

	// The construction ends: recorded once, the building free, the crew back, no materials back.
	ASSERT_TRUE(runUntilFree(rig, place));
	for (int i = 0; i < 200; ++i)
		rig.step(50);
	size_t built = 0;
	for (const GLevelHistoryRecord& record : levelservices::items(rig.level->getHistory()))
		if (record.kind == 0)
		{
			++built;
			EXPECT_EQ(id("Hotel1"), record.buildingType);
			EXPECT_EQ(id("P1"), record.place);
		}
	EXPECT_EQ(1u, built);
	EXPECT_EQ(3, rig.level->getEconomy().getFreeWorkers());
	EXPECT_EQ(10.f, rig.level->getEconomy().getMaterials());
}

TEST(LevelConstruction, RefusedConstructionsChangeNothing)
{
	struct SCase
	{
		const char* name;
		const char* place;
		const char* type;
		void (*prepare)(CLevelRig& rig);
		bool withCargos = true;
		bool started = false;
	};
	const SCase cases[] = {
		{"an empty owned place", "P1", "Hotel1", [](CLevelRig&) {}, true, true},
		{"no cargos node", "P1", "Hotel1", [](CLevelRig&) {}, false},
		{"not an empty place", "H1", "Hotel3", [](CLevelRig&) {}},
		{"no type", "P1", nullptr, [](CLevelRig&) {}},
		{"not affordable", "P1", "Hotel1", [](CLevelRig& rig) { rig.level->getEconomy().setMoney(399.f); }},
		{"not enough materials", "P1", "Hotel1", [](CLevelRig& rig) { rig.level->getEconomy().setMaterials(9.f); }},
		{"not owned", "N1", "Hotel1", [](CLevelRig&) {}},
		{"the place has a work", "P1", "Hotel1",
			[](CLevelRig& rig) { rig.building("P1")->setWork(GBuildingNode::WORK_SERVE, nullptr); }},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CLevelRig rig(levelScene(building("P1", "BuildingPlace", 0, 400, true) +
				building("H1", "Hotel1", 300, 0, true) + building("N1", "BuildingPlace", 0, 600, false),
			c.withCargos));
		c.prepare(rig);
		rig.messages();
		const SSnapshot before(rig);
		EXPECT_EQ(c.started,
			rig.level->startConstruction(rig.building(c.place),
				c.type ? rig.buildings->getBuilding(id(c.type)) : nullptr));
		if (c.started)
			continue;
		EXPECT_TRUE(before == SSnapshot(rig));
		EXPECT_TRUE(rig.messages().empty());
	}
}

TEST(LevelConstruction, UpgradingBuildsTheNextLevelOfAWorkingBuilding)
{
	struct SCase
	{
		const char* name;
		const char* building;
		void (*prepare)(CLevelRig& rig);
		bool started;
	};
	const SCase cases[] = {
		{"a working hotel", "H1", [](CLevelRig&) {}, true},
		{"a type without a next level", "C1", [](CLevelRig&) {}, false},
		{"a next level that is no type", "H1",
			[](CLevelRig& rig) {
				changeType(rig.building("H1"), [](GBuildingConfiguration& type) { type.NextLevelName = id("Hotel9"); });
			},
			false},
		{"broken", "H1", [](CLevelRig& rig) { rig.building("H1")->setAlertIcon(1); }, false},
		{"not affordable", "H1", [](CLevelRig& rig) { rig.level->getEconomy().setMaterials(5.f); }, false},
		{"an empty place", "P1", [](CLevelRig&) {}, false},
		// A factory counts as working under a serve or feature work; it still waits for it.
		{"a factory with nothing to do", "FA",
			[](CLevelRig& rig)
			{
				changeType(rig.building("FA"), [](GBuildingConfiguration& type) { type.NextLevelName = id("Hotel3"); });
				rig.building("FA")->setAlertIcon(0);
			},
			true},
		{"a factory serving", "FA",
			[](CLevelRig& rig)
			{
				changeType(rig.building("FA"), [](GBuildingConfiguration& type) { type.NextLevelName = id("Hotel3"); });
				rig.building("FA")->setAlertIcon(0);
				rig.building("FA")->setWork(GBuildingNode::WORK_SERVE, nullptr);
			},
			false},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CLevelRig rig(operationsScene());
		c.prepare(rig);
		GBuildingNode* target = rig.building(c.building);
		const fw::s32 was = target->getType()->Name;
		rig.messages();
		const SSnapshot before(rig);
		EXPECT_EQ(c.started, rig.level->startUpgrade(target));
		if (!c.started)
		{
			EXPECT_TRUE(before == SSnapshot(rig));
			EXPECT_TRUE(rig.messages().empty());
			continue;
		}
		EXPECT_EQ(id("Hotel3"), target->getType()->Name);
		EXPECT_EQ(was, target->getPreviousType()->Name);
		EXPECT_EQ(GBuildingNode::WORK_CONSTRUCTION, target->getWorkCode());
		EXPECT_EQ(before.materials - 10.f, rig.level->getEconomy().getMaterials());
		EXPECT_EQ(before.freeWorkers - 1, rig.level->getEconomy().getFreeWorkers());
		EXPECT_EQ(TWO_STATE_CHANGES, rig.messages());
	}
}

// --- Destroying.

TEST(LevelDestroy, TheBuildingBecomesAPlaceAtOnceAndItsEndRecordsTheDestroyedType)
{
	CLevelRig rig(operationsScene());
	GBuildingNode* cafe = rig.building("C1");
	GBuildingNode* hotel = rig.building("H1");
	ASSERT_NE(nullptr, hotel->getServerOf(id("Cafe")));
	// The hotel is served by the first cafe.
	hotel->setServerOf(id("Cafe"), cafe);
	rig.messages();

	ASSERT_TRUE(rig.level->startDestroy(cafe));
	EXPECT_EQ(id("BuildingPlace"), cafe->getType()->Name);
	EXPECT_EQ(id("Cafe"), cafe->getPreviousType()->Name);
	EXPECT_EQ(GBuildingNode::WORK_DESTROY, cafe->getWorkCode());
	EXPECT_NE(nullptr, dynamic_cast<GDestroyWork*>(cafe->getWork()));
	EXPECT_EQ(2, rig.level->getEconomy().getFreeWorkers()) << "the crew";
	EXPECT_EQ(1000.f, rig.level->getEconomy().getMoney());
	EXPECT_EQ(20.f, rig.level->getEconomy().getMaterials());
	EXPECT_EQ(rig.building("C2"), hotel->getServerOf(id("Cafe"))) << "the other cafe takes the hotel over";
	EXPECT_EQ(TWO_STATE_CHANGES, rig.messages());

	cafe->setFocused(true);
	ASSERT_TRUE(runUntilFree(rig, cafe));
	ASSERT_EQ(1u, rig.level->getHistory().size());
	EXPECT_EQ(1, rig.level->getHistory()[0].kind);
	EXPECT_EQ(id("Cafe"), rig.level->getHistory()[0].buildingType);
	EXPECT_EQ(id("C1"), rig.level->getHistory()[0].place);
	EXPECT_EQ(3, rig.level->getEconomy().getFreeWorkers()) << "the crew is back";
	const Lines lines = rig.messages();
	EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "4098 C1 C1")) << "the panel of the place refreshes";
}

TEST(LevelDestroy, ARequestNobodyProvidesAnyMoreIsDropped)
{
	for (const bool secondCafe : {false, true})
	{
		SCOPED_TRACE(secondCafe ? "another cafe still serves" : "the only cafe");
		CLevelRig rig(scene({building("H1", "Hotel1", 300, 0, true), building("C1", "Cafe", 0, 0, true),
			building("C2", "Cafe", 600, 0, secondCafe)}));
		rig.building("H1")->setAlertIcon(4);
		ASSERT_TRUE(rig.level->startDestroy(rig.building("C1")));
		EXPECT_EQ(secondCafe ? 4 : GBuildingNode::ALERT_NONE, rig.building("H1")->getAlert());
	}
}

TEST(LevelDestroy, RefusedDestroysChangeNothing)
{
	struct SCase
	{
		const char* name;
		const char* building;
		void (*prepare)(CLevelRig& rig);
	};
	const SCase cases[] = {
		{"an empty place", "P1", [](CLevelRig&) {}},
		{"not owned", "H1", [](CLevelRig& rig) { rig.building("H1")->setOwned(false); }},
		{"under a work", "H1",
			[](CLevelRig& rig) { rig.building("H1")->setWork(GBuildingNode::WORK_REPAIR, nullptr); }},
		{"serving", "C1", [](CLevelRig& rig) { rig.building("C1")->setWork(GBuildingNode::WORK_SERVE, nullptr); }},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CLevelRig rig(operationsScene());
		c.prepare(rig);
		rig.messages();
		const SSnapshot before(rig);
		EXPECT_FALSE(rig.level->startDestroy(rig.building(c.building)));
		EXPECT_TRUE(before == SSnapshot(rig));
		EXPECT_TRUE(rig.messages().empty());
	}
}

// --- Repairing, cleaning and restoring.

TEST(LevelRepairs, EachTakesItsCostsClearsTheAlertAndOnlyCleaningRecalculates)
{
	enum EOperation
	{
		REPAIR,
		CLEANING,
		RESTORING
	};
	struct SCase
	{
		const char* name;
		EOperation operation;
		fw::s32 alert;
		fw::f32 materials;
		fw::s32 freeWorkers;
		Lines messages;
		fw::s32 kind;
	};
	// The hotel's repairs cost 4 materials and 2 workers, its building 7 and 1.
	const SCase cases[] = {
		{"repair", REPAIR, 1, 16.f, 1, {"4100"}, 4},
		{"cleaning", CLEANING, 2, 16.f, 1, TWO_STATE_CHANGES, 8},
		{"restoring", RESTORING, 3, 13.f, 2, {"4100"}, 4},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CLevelRig rig(operationsScene());
		GBuildingNode* hotel = rig.building("H1");
		changeType(hotel,
			[](GBuildingConfiguration& type)
			{
				type.RepairMaterialsCost = 4.f;
				type.RepairWorkersCost = 2;
				type.BuildMaterialsCost = 7.f;
				type.BuildWorkersCost = 1;
			});
		hotel->setAlertIcon(c.alert);
		rig.messages();
		bool (GGameLevelScene::*const start[])(GBuildingNode*) = {&GGameLevelScene::startRepair,
			&GGameLevelScene::startCleaning, &GGameLevelScene::startRestoring};
		// Each asks for its own alert.
		for (int other = REPAIR; other <= RESTORING; ++other)
		{
			if (other != c.operation)
			{
				EXPECT_FALSE((rig.level.get()->*start[other])(hotel));
			}
		}
		ASSERT_TRUE((rig.level.get()->*start[c.operation])(hotel));
		EXPECT_EQ(GBuildingNode::WORK_REPAIR, hotel->getWorkCode());
		GBuildingWork* work = hotel->getWork();
		EXPECT_TRUE(c.operation == REPAIR ? dynamic_cast<GRepairWork*>(work) != nullptr
				: c.operation == CLEANING ? dynamic_cast<GCleaningWork*>(work) != nullptr
										  : dynamic_cast<GRestoringWork*>(work) != nullptr);
		EXPECT_EQ(GBuildingNode::ALERT_NONE, hotel->getAlert());
		EXPECT_EQ(c.materials, rig.level->getEconomy().getMaterials());
		EXPECT_EQ(c.freeWorkers, rig.level->getEconomy().getFreeWorkers());
		EXPECT_EQ(1000.f, rig.level->getEconomy().getMoney());
		EXPECT_EQ(c.messages, rig.messages());

		// The end: recorded once, the crew back, the spent materials not.
		ASSERT_TRUE(runUntilFree(rig, hotel));
		for (int i = 0; i < 200; ++i)
			rig.step(50);
		ASSERT_EQ(1u, rig.level->getHistory().size());
		EXPECT_EQ(c.kind, rig.level->getHistory()[0].kind);
		EXPECT_EQ(3, rig.level->getEconomy().getFreeWorkers());
		EXPECT_EQ(c.materials, rig.level->getEconomy().getMaterials());
	}
}

TEST(LevelRepairs, RefusedRepairsChangeNothing)
{
	struct SCase
	{
		const char* name;
		const char* building;
		fw::s32 alert;
		void (*prepare)(CLevelRig& rig);
	};
	const SCase cases[] = {
		{"no alert", "H1", 0, [](CLevelRig&) {}},
		{"a service request", "H1", 4, [](CLevelRig&) {}},
		{"not owned", "H1", 1, [](CLevelRig& rig) { rig.building("H1")->setOwned(false); }},
		{"an empty place", "P1", 1, [](CLevelRig&) {}},
		{"already under a work", "H1", 1,
			[](CLevelRig& rig) { rig.building("H1")->setWork(GBuildingNode::WORK_CONSTRUCTION, nullptr); }},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CLevelRig rig(operationsScene());
		for (GBuildingNode* b : {rig.building("H1"), rig.building("P1")})
			b->setAlertIcon(c.alert);
		c.prepare(rig);
		rig.messages();
		const SSnapshot before(rig);
		GBuildingNode* target = rig.building(c.building);
		EXPECT_FALSE(rig.level->startRepair(target));
		EXPECT_FALSE(rig.level->startCleaning(target));
		EXPECT_FALSE(rig.level->startRestoring(target));
		EXPECT_TRUE(before == SSnapshot(rig));
		EXPECT_TRUE(rig.messages().empty());
	}
}

// --- Serving.

TEST(LevelServe, ARequestPutsAServeWorkOnTheFirstIdleProviderAndFreesTheRequester)
{
	// C1 and C2 serve 4, C3 serves 5; with a bus trip for service 5 only.
	for (const fw::s32 alert : {4, 5})
	{
		SCOPED_TRACE(alert);
		CLevelRig rig(scene({building("H1", "Hotel1", 300, 0, true), building("C1", "Cafe", 0, 0, true),
			building("C2", "Cafe", 600, 0, true), building("C3", "Cafe", 900, 0, true)}));
		changeType(rig.building("C3"), [](GBuildingConfiguration& type) { type.ProvidedService = 5; });
		GBuildingNode* hotel = rig.building("H1");
		GBuildingNode* server = rig.building(alert == 4 ? "C1" : "C3");
		hotel->setAlertIcon(alert);
		rig.messages();
		EXPECT_EQ(server, rig.level->findServer(alert));
		ASSERT_TRUE(rig.level->startCustomServe(hotel));
		EXPECT_EQ(GBuildingNode::WORK_SERVE, server->getWorkCode());
		EXPECT_NE(nullptr, dynamic_cast<GServeWork*>(server->getWork()));
		EXPECT_EQ(GBuildingNode::ALERT_NONE, hotel->getAlert());
		if (alert == 5)
		{
			EXPECT_EQ(GBuildingNode::WORK_REPAIR, hotel->getWorkCode());
			EXPECT_NE(nullptr, dynamic_cast<GServeProgressWork*>(hotel->getWork()));
		}
		else
			EXPECT_EQ(GBuildingNode::WORK_NONE, hotel->getWorkCode());
		EXPECT_EQ(alert == 5 ? 2u : 1u, rig.level->getWorks().size() - 1) << "beside the clouds";
		EXPECT_EQ(Lines{"4100"}, rig.messages());
		// The next request of the same service goes to the next idle provider.
		EXPECT_EQ(alert == 4 ? rig.building("C2") : nullptr, rig.level->findServer(alert));

		// Both works end and the level frees both buildings.
		rig.step(100, 60);
		EXPECT_EQ(GBuildingNode::WORK_NONE, server->getWorkCode());
		EXPECT_EQ(GBuildingNode::WORK_NONE, hotel->getWorkCode());
		EXPECT_EQ(1u, rig.level->getWorks().size());
		EXPECT_EQ(server, rig.level->findServer(alert));
	}
}

TEST(LevelServe, RefusedRequestsChangeNothing)
{
	struct SCase
	{
		const char* name;
		void (*prepare)(CLevelRig& rig);
		bool started = false;
	};
	const SCase cases[] = {
		{"a request of a provided service", [](CLevelRig&) {}, true},
		{"no request", [](CLevelRig& rig) { rig.building("H1")->setAlertIcon(0); }},
		{"a repair is no request", [](CLevelRig& rig) { rig.building("H1")->setAlertIcon(3); }},
		{"no provider of that service", [](CLevelRig& rig) { rig.building("H1")->setAlertIcon(6); }},
		{"requester not owned", [](CLevelRig& rig) { rig.building("H1")->setOwned(false); }},
		{"the only providers are busy",
			[](CLevelRig& rig)
			{
				rig.building("C1")->setWork(GBuildingNode::WORK_SERVE, nullptr);
				rig.building("C2")->setWork(GBuildingNode::WORK_REPAIR, nullptr);
			}},
		{"providers not owned",
			[](CLevelRig& rig)
			{
				rig.building("C1")->setOwned(false);
				rig.building("C2")->setOwned(false);
			}},
		{"the requester already has a work",
			[](CLevelRig& rig) { rig.building("H1")->setWork(GBuildingNode::WORK_CONSTRUCTION, nullptr); }},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CLevelRig rig(operationsScene());
		rig.building("H1")->setAlertIcon(4);
		c.prepare(rig);
		rig.messages();
		const SSnapshot before(rig);
		EXPECT_EQ(c.started, rig.level->startCustomServe(rig.building("H1")));
		if (c.started)
			continue;
		EXPECT_TRUE(before == SSnapshot(rig));
		EXPECT_TRUE(rig.messages().empty());
	}
}

// --- Features.

// A feature that has recharged says so with the message a serve work ends with; only the serve
// work's building is freed by it.
TEST(LevelFeatures, ARechargedFeatureLeavesTheBuildingsFeatureWorkRunning)
{
	CLevelRig rig(operationsScene());
	GBuildingNode* factory = rig.building("FA");
	factory->setAlertIcon(0);
	ASSERT_TRUE(rig.level->activateFeature(factory, 0));
	ASSERT_EQ(GBuildingNode::WORK_FEATURE, factory->getWorkCode());
	offerGameMessage(rig.level.get(), new GFeatureReadyMessage(factory));
	EXPECT_EQ(GBuildingNode::WORK_FEATURE, factory->getWorkCode());
	EXPECT_NE(nullptr, factory->getWork());

	factory->setWork(GBuildingNode::WORK_SERVE, nullptr);
	offerGameMessage(rig.level.get(), new GFeatureReadyMessage(factory));
	EXPECT_EQ(GBuildingNode::WORK_NONE, factory->getWorkCode());
}

TEST(LevelFeatures, AFactoryRunsItsFeatureAsAWorkOtherBuildingsRunItThemselves)
{
	{
		CLevelRig rig(operationsScene());
		GBuildingNode* factory = rig.building("FA");
		factory->setAlertIcon(0);
		rig.level->getEconomy().setMoney(30.f);
		rig.messages();
		ASSERT_TRUE(rig.level->activateFeature(factory, 0));
		EXPECT_EQ(GBuildingNode::WORK_FEATURE, factory->getWorkCode());
		GFeatureWork* work = dynamic_cast<GFeatureWork*>(factory->getWork());
		ASSERT_NE(nullptr, work);
		EXPECT_EQ(0, work->getFeatureIndex());
		EXPECT_NE(-1, rig.level->getWorks().linear_search(work));
		EXPECT_EQ(GFeatureState::ACTIVE, factory->getFeatureState(0));
		EXPECT_EQ(-20.f, rig.level->getEconomy().getMoney()) << "the cost is taken even beyond the money";
		EXPECT_EQ(TWO_STATE_CHANGES, rig.messages()) << "from the recalculation and from the operation";
	}
	{
		// A hotel given the factory's features (its Type stays 0).
		CLevelRig rig(operationsScene());
		GBuildingNode* hotel = rig.building("H1");
		const GBuildingConfiguration* factoryType = rig.building("FA")->getType();
		changeType(hotel, [&](GBuildingConfiguration& type) { type.ActiveFeatures = factoryType->ActiveFeatures; });
		rig.messages();
		CLevelRig::plays();
		ASSERT_TRUE(rig.level->activateFeature(hotel, 0));
		EXPECT_EQ(GBuildingNode::WORK_NONE, hotel->getWorkCode());
		EXPECT_EQ(GFeatureState::ACTIVE, hotel->getFeatureState(0));
		EXPECT_EQ(950.f, rig.level->getEconomy().getMoney());
		EXPECT_EQ(Lines{"HotelIdle"}, CLevelRig::plays()) << "the building's work cue";
		EXPECT_EQ(TWO_STATE_CHANGES, rig.messages());
	}
}

TEST(LevelFeatures, ActivationIsRefusedUnderBuildingDestroyingAndRepairingAndOnAFactoryNotWorking)
{
	struct SCase
	{
		const char* name;
		fw::s32 index;
		void (*prepare)(CLevelRig& rig, GBuildingNode* factory);
		bool started;
	};
	const SCase cases[] = {
		{"ready", 0, [](CLevelRig&, GBuildingNode*) {}, true},
		{"beside a serve work", 0, [](CLevelRig&, GBuildingNode* f) { f->setWork(GBuildingNode::WORK_SERVE, nullptr); },
			true},
		{"beside another feature's work", 1, [](CLevelRig& rig, GBuildingNode* f) { rig.level->activateFeature(f, 0); },
			true},
		{"under construction", 0,
			[](CLevelRig&, GBuildingNode* f) { f->setWork(GBuildingNode::WORK_CONSTRUCTION, nullptr); }, false},
		{"under destroy", 0, [](CLevelRig&, GBuildingNode* f) { f->setWork(GBuildingNode::WORK_DESTROY, nullptr); },
			false},
		{"under repair", 0, [](CLevelRig&, GBuildingNode* f) { f->setWork(GBuildingNode::WORK_REPAIR, nullptr); },
			false},
		{"not unlocked", 1, [](CLevelRig& rig, GBuildingNode*) { rig.effects->allowOthers = false; }, false},
		{"already active", 0, [](CLevelRig&, GBuildingNode* f) { f->activateFeature(0); }, false},
		{"no such feature", 2, [](CLevelRig&, GBuildingNode*) {}, false},
		{"not owned", 0, [](CLevelRig&, GBuildingNode* f) { f->setOwned(false); }, false},
		{"still to be finished", 0,
			[](CLevelRig&, GBuildingNode* f) { f->setAlertIcon(GBuildingNode::ALERT_UNFINISHED); }, false},
		{"broken", 0, [](CLevelRig&, GBuildingNode* f) { f->setAlertIcon(1); }, false},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CLevelRig rig(operationsScene());
		GBuildingNode* factory = rig.building("FA");
		factory->setAlertIcon(0);
		c.prepare(rig, factory);
		rig.messages();
		const SSnapshot before(rig);
		EXPECT_EQ(c.started, rig.level->activateFeature(factory, c.index));
		if (c.started)
		{
			EXPECT_EQ(GFeatureState::ACTIVE, factory->getFeatureState(c.index));
			EXPECT_EQ(GBuildingNode::WORK_FEATURE, factory->getWorkCode());
		}
		else
		{
			EXPECT_TRUE(before == SSnapshot(rig));
			EXPECT_TRUE(rig.messages().empty());
		}
	}
}

// --- Results of the works.

TEST(LevelResults, EachResultIsRecordedAndFreesItsBuildingAndGoesOnToTheScreen)
{
	struct SCase
	{
		const char* name;
		GGameMessage* (*make)(GBuildingNode* building);
		fw::s32 kind; // -1: no record
		bool resetsQuietTime;
		Lines messages;
		// The building's work: serving for the end of a serve work, repairing otherwise.
		fw::s32 work = GBuildingNode::WORK_REPAIR;
	};
	const SCase cases[] = {
		{"construction",
			[](GBuildingNode* b) -> GGameMessage* { return new GConstructionDoneMessage(b, b->getType()); }, 0, true,
			{"4101", "4100"}},
		{"repair", [](GBuildingNode* b) -> GGameMessage* { return new GRepairDoneMessage(b); }, 4, true,
			{"4102", "4100", "4100"}},
		{"cleaning", [](GBuildingNode* b) -> GGameMessage* { return new GCleaningDoneMessage(b); }, 8, true,
			{"4103", "4100", "4100"}},
		{"serve", [](GBuildingNode* b) -> GGameMessage* { return new GServeDoneMessage(b); }, -1, false,
			{"4104", "4100", "4100"}},
		{"feature ready", [](GBuildingNode* b) -> GGameMessage* { return new GFeatureReadyMessage(b); }, -1, false,
			{"4105", "4100"}, GBuildingNode::WORK_SERVE},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CLevelRig rig(operationsScene());
		GBuildingNode* hotel = rig.building("H1");
		changeType(hotel, [](GBuildingConfiguration& type) { type.BuiltSoundCueName = id("Building"); });
		hotel->setWork(c.work, nullptr);
		hotel->msSinceWork = 5000;
		rig.messages();
		CLevelRig::plays();
		const fw::u32 history = rig.level->getHistory().size();
		// The screen hears the message too: the level's handler leaves it unconsumed.
		offerGameMessage(rig.level.get(), c.make(hotel));
		EXPECT_EQ(c.messages, rig.messages());
		EXPECT_EQ(GBuildingNode::WORK_NONE, hotel->getWorkCode());
		EXPECT_EQ(c.resetsQuietTime ? 0 : 5000, hotel->msSinceWork);
		if (c.kind < 0)
			EXPECT_EQ(history, rig.level->getHistory().size());
		else
		{
			ASSERT_EQ(history + 1, rig.level->getHistory().size());
			EXPECT_EQ(c.kind, rig.level->getHistory().getLast().kind);
			EXPECT_EQ(id("Hotel1"), rig.level->getHistory().getLast().buildingType);
			EXPECT_EQ(id("H1"), rig.level->getHistory().getLast().place);
		}
		EXPECT_EQ(c.kind == 0 ? Lines{"Building"} : Lines{}, CLevelRig::plays()) << "the type's built cue";
	}
}

TEST(LevelResults, AFinishedFeatureIsRecordedByItsIndex)
{
	const std::pair<fw::s32, fw::s32> cases[] = {{0, 5}, {1, 6}, {2, 7}, {3, 5}, {-1, 5}};
	CLevelRig rig(operationsScene());
	GBuildingNode* factory = rig.building("FA");
	factory->setWork(GBuildingNode::WORK_FEATURE, nullptr);
	for (const auto& c : cases)
	{
		EXPECT_FALSE(deliver(rig, new GFeatureFinishedMessage(factory, c.first)));
		EXPECT_EQ(c.second, rig.level->getHistory().getLast().kind) << "index " << c.first;
	}
	EXPECT_EQ(GBuildingNode::WORK_FEATURE, factory->getWorkCode()) << "the work code stays";
}

TEST(LevelResults, DestroyDoneRecordsTheDestroyedTypeAndRefreshesTheFocusedPanel)
{
	CLevelRig rig(operationsScene());
	GBuildingNode* hotel = rig.building("H1");
	hotel->setWork(GBuildingNode::WORK_DESTROY, nullptr);
	hotel->setType(rig.buildings->getBuilding(id("BuildingPlace")), false);
	hotel->setFocused(true);
	rig.messages();
	EXPECT_FALSE(deliver(rig, new GDestroyDoneMessage(hotel)));
	ASSERT_EQ(1u, rig.level->getHistory().size());
	EXPECT_EQ(1, rig.level->getHistory()[0].kind);
	EXPECT_EQ(id("Hotel1"), rig.level->getHistory()[0].buildingType);
	EXPECT_EQ(GBuildingNode::WORK_NONE, hotel->getWorkCode());
	EXPECT_EQ((Lines{"4100", "4100", "4098 H1 H1"}), rig.messages());

	// Without the focus no refresh.
	GBuildingNode* place = rig.building("P1");
	place->setWork(GBuildingNode::WORK_DESTROY, nullptr);
	EXPECT_FALSE(deliver(rig, new GDestroyDoneMessage(place)));
	EXPECT_EQ(TWO_STATE_CHANGES, rig.messages());
}

TEST(LevelResults, ReturnedResourcesGoToMaterialsAndFreeWorkers)
{
	CLevelRig rig(operationsScene());
	EXPECT_FALSE(deliver(rig, new GResourcesReturnedMessage(rig.building("H1"), 7.5f, 2)));
	EXPECT_EQ(27.5f, rig.level->getEconomy().getMaterials());
	EXPECT_EQ(5, rig.level->getEconomy().getFreeWorkers());
	EXPECT_EQ(3, rig.level->getEconomy().getAllWorkers());
}

TEST(LevelResults, MessagesWithoutABuildingChangeNothing)
{
	CLevelRig rig(operationsScene());
	rig.messages();
	const SSnapshot before(rig);
	GGameMessage* const messages[] = {new GConstructionDoneMessage(nullptr, nullptr), new GRepairDoneMessage(nullptr),
		new GCleaningDoneMessage(nullptr), new GServeDoneMessage(nullptr), new GDestroyDoneMessage(nullptr),
		new GResourcesReturnedMessage(nullptr, 5.f, 5)};
	for (GGameMessage* message : messages)
		EXPECT_FALSE(deliver(rig, message));
	EXPECT_TRUE(before == SSnapshot(rig));
	EXPECT_TRUE(rig.messages().empty());
}
