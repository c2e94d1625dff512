// The destroy, repair, cleaning and restoring works on the fixture level: their shared phases with
// and without a bus, their clocks under the level's BuildTimeM, their reports, and their cancels.

#include "CrewWorkTestSupport.h"

#include "core/CAnimatorState.h"
#include "core/KeyFrame.h"
#include "level/nodes/GPathMovableNode.h"
#include "level/scene/LevelServices.h"
#include "level/works/GCleaningWork.h"
#include "level/works/GDestroyWork.h"
#include "level/works/GRepairWork.h"
#include "level/works/GRestoringWork.h"
#include "widgets/ProgressBarNode.h"
#include "widgets/TextNode.h"

#include <gtest/gtest.h>

#include <limits>

using namespace leveltest;

namespace
{
typedef std::vector<std::string> Lines;

enum EKind
{
	REPAIR,
	CLEANING,
	DESTROY,
	RESTORING
};

const char* kindName(EKind kind)
{
	static const char* const names[] = {"repair", "cleaning", "destroy", "restoring"};
	return names[kind];
}

// 28 units: the bus arrives in two steps of 100 ms at 140 units/s.
fw::CRefHolder<GLevelPath> shortRoad()
{
	return makePath({{0.f, 300.f}, {14.f, 300.f}, {28.f, 300.f}});
}

// A bus whose leaving takes far longer than any test runs.
const char* const SLOW_BUS =
	"<SceneNode Type=\"GPathMovableNode\"><Properties><string Name=\"Name\" Value=\"Bus\"/></Properties><States>"
	"<State Name=\"MovingTo\"/><State Name=\"MovingFrom\"><Animator Type=\"KeyFrame\"><Properties>"
	"<color Name=\"TintColor\" Value=\"ffffffff\"/></Properties><KeyFrame t=\"0\" Value0=\"ffffffff\"/>"
	"<KeyFrame t=\"1000000\" Value0=\"00ffffff\"/></Animator></State></States></SceneNode>";
const char* const BAR_ONLY =
	"<SceneNode Type=\"ProgressBarNode\"><Properties><string Name=\"Name\" Value=\"ProgressBarOverBuilding\"/>"
	"</Properties></SceneNode>";

// clang-format off
#define CREWTEST_TINT_KEYS(t1) "<Animator Type=\"KeyFrame\"><Properties><color Name=\"TintColor\" Value=\"ffffffff\"/></Properties>" \
	"<KeyFrame t=\"0\" Value0=\"ffffffff\"/><KeyFrame t=\"" t1 "\" Value0=\"00ffffff\"/></Animator>"

// A part of the building's look with the restoring animation: a two-key item, a one-key item, and a
// part of its own below it that the work must leave alone.
const char* const RESTORING_LOOK =
	"<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"RestoringLook\"/></Properties><States>"
	"<State Name=\"Restoring\">" CREWTEST_TINT_KEYS("7") "<Animator Type=\"KeyFrame\"><Properties>"
	"<color Name=\"TintColor\" Value=\"ffffffff\"/></Properties><KeyFrame t=\"9\" Value0=\"ffffffff\"/></Animator></State>"
	"<State Name=\"CancelRestoring\">" CREWTEST_TINT_KEYS("1000000") "</State></States>"
	"<SceneNode Type=\"BaseNode\"><States><State Name=\"Restoring\">" CREWTEST_TINT_KEYS("7") "</State></States></SceneNode>"
	"</SceneNode>";
// clang-format on

fw::KeyFrame* keyFrame(fw::BaseNode* node, const char* state, fw::u32 index)
{
	fw::CAnimatorState* found = node ? node->findState(id(state)) : nullptr;
	fw::Base* item = found ? found->getAnimator(index) : nullptr;
	return item && item->isOfType(fw::KeyFrame::TypeId) ? static_cast<fw::KeyFrame*>(item) : nullptr;
}

fw::u32 keyTime(fw::BaseNode* node, const char* state, fw::u32 animator, fw::u32 key)
{
	fw::KeyFrame* item = keyFrame(node, state, animator);
	return item && key < item->getKeys().size() ? item->getKeys()[key].t : 0xDEAD;
}

class CrewWorks : public ::testing::Test
{
protected:
	CrewWorks() :
		rig(levelScene(building("A", "Hotel1", 0, 0, true))),
		log(fw::adoptRef(new CLevelMessageLog(rig.level.get()))),
		a(rig.building("A"))
	{
		registerTraceCue(rig.sounds, "Bus");
		rig.plays();
	}

	fw::CRefHolder<GCrewWork> make(EKind kind, GLevelPath* path = nullptr,
		fw::TemplateCollectionNode* templates = nullptr, GBuildingNode* building = nullptr, fw::f32 materials = 10.f,
		fw::s32 workers = 1)
	{
		GGameLevelScene* level = rig.level.get();
		fw::BaseNode* cargos = level->getCargosNode();
		building = building ? building : a;
		templates = templates ? templates : rig.templates.get();
		switch (kind)
		{
		case REPAIR:
			return fw::adoptRef<GCrewWork>(
				new GRepairWork(level, building, cargos, templates, path, materials, workers));
		case CLEANING:
			return fw::adoptRef<GCrewWork>(
				new GCleaningWork(level, building, cargos, templates, path, materials, workers));
		case DESTROY:
			return fw::adoptRef<GCrewWork>(new GDestroyWork(level, building, cargos, templates, path));
		case RESTORING:
			return fw::adoptRef<GCrewWork>(
				new GRestoringWork(level, building, cargos, templates, path, materials, workers));
		}
		return fw::CRefHolder<GCrewWork>();
	}

	// The phase after creation, then after each step until the work says it is over.
	static std::string trace(GCrewWork* work, fw::u32 stepMs, fw::u32 most = 100)
	{
		std::string text = std::to_string(work->getPhase()) + "|";
		for (fw::u32 i = 0; i < most; ++i)
		{
			const bool goesOn = work->update(stepMs);
			text += (i ? " " : "") + std::to_string(work->getPhase());
			if (!goesOn)
				break;
		}
		return text;
	}

	// Steps until the work is over; the number of steps it took.
	static fw::u32 stepsToEnd(GCrewWork* work, fw::u32 stepMs, fw::u32 most = 1000)
	{
		for (fw::u32 i = 1; i <= most; ++i)
			if (!work->update(stepMs))
				return i;
		return 0;
	}

	// The cues played since the last look, but for the bus's, which may be registered elsewhere.
	Lines cues()
	{
		Lines out;
		for (const std::string& cue : rig.plays())
			if (cue != "Bus")
				out.push_back(cue);
		return out;
	}

	fw::u32 progressBars() const
	{
		fw::u32 count = 0;
		for (fw::BaseNode* child : levelservices::items(a->getChildren()))
			count += child->isOfType(fw::NODE_TYPE_BASE_PROGRESS_BAR) ? 1 : 0;
		return count;
	}

	std::string workersText() const
	{
		fw::TextNode* text = a->getWorkersText();
		return text && text->isVisible() ? narrow(text->getText()) : "";
	}

	void setBuildTimeFactor(fw::f32 factor) { rig.config->getModifierValues().BuildTimeM = factor; }

	CLevelRig rig;
	fw::CRefHolder<CLevelMessageLog> log;
	GBuildingNode* a;
};
} // namespace

TEST_F(CrewWorks, PhasesRunOnOneOutlineWithAndWithoutABus)
{
	const fw::CRefHolder<GLevelPath> road = shortRoad();
	const fw::CRefHolder<fw::TemplateCollectionNode> noBus = makeTemplates(rig.factory.get(), BAR_ONLY);
	a->getType()->RepairTime = 500.f;
	a->getType()->DestroyTime = 500.f;
	a->getType()->BuildTime = 500.f;
	enum ERoad
	{
		NO_ROAD,
		BUS,
		ROAD_WITHOUT_BUS
	};
	struct SCase
	{
		EKind kind;
		ERoad road;
		// Repairs and cleanings end when the clock reaches their time, the others just after it.
		const char* phases;
		Lines creationCues;
		Lines reports;
	};
	const Lines repaired = {"4102 A", "4109 A 0 1"};
	const Lines cleaned = {"4103 A", "4109 A 0 1"};
	const Lines destroyed = {"4108 A", "4109 A 0 1"};
	const SCase cases[] = {
		{REPAIR, NO_ROAD, "2|3 4 6 6 7", {}, repaired},
		{REPAIR, BUS, "1|1 3 4 6 6 7", {}, repaired},
		{REPAIR, ROAD_WITHOUT_BUS, "2|3 4 6 6 7", {}, repaired},
		{CLEANING, NO_ROAD, "2|3 4 6 6 7", {}, cleaned},
		{CLEANING, BUS, "1|1 3 4 6 6 7", {}, cleaned},
		{CLEANING, ROAD_WITHOUT_BUS, "2|3 4 6 6 7", {}, cleaned},
		{DESTROY, NO_ROAD, "2|3 4 6 6 6 7", {"Destroying"}, destroyed},
		{DESTROY, BUS, "1|1 3 4 6 6 6 7", {}, destroyed},
		{DESTROY, ROAD_WITHOUT_BUS, "2|3 4 6 6 6 7", {"Destroying"}, destroyed},
		{RESTORING, NO_ROAD, "2|3 4 6 6 6 7", {"HotelIdle"}, repaired},
		{RESTORING, BUS, "1|1 3 4 6 6 6 7", {}, repaired},
		{RESTORING, ROAD_WITHOUT_BUS, "2|3 4 6 6 6 7", {"HotelIdle"}, repaired},
	};
	fw::BaseNode* cargos = rig.level->getCargosNode();
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(std::string(kindName(c.kind)) + " road " + std::to_string(c.road));
		silence(rig.sounds);
		cues();
		const fw::CRefHolder<GCrewWork> work =
			make(c.kind, c.road == NO_ROAD ? nullptr : road.get(), c.road == ROAD_WITHOUT_BUS ? noBus.get() : nullptr);
		EXPECT_EQ(c.creationCues, cues());
		EXPECT_EQ(c.road == BUS, work->getBus() != nullptr);
		EXPECT_EQ(c.road == BUS ? 1u : 0u, cargos->getChildren().size());
		EXPECT_EQ(c.road == BUS, rig.sounds->isPlaying(id("Bus")));
		if (GPathMovableNode* bus = work->getBus())
		{
			EXPECT_EQ(rig.level->getTrafficManager(), bus->getTrafficManager());
			EXPECT_EQ(GBuildingWork::VEHICLE_VELOCITY, bus->getVelocity());
		}
		EXPECT_EQ(1u, progressBars());
		EXPECT_EQ(c.phases, trace(work.get(), 100));
		EXPECT_EQ(c.reports, log->take());
		// The bus went before the end, the progress bar and the workers with it.
		EXPECT_EQ(nullptr, work->getBus());
		EXPECT_TRUE(cargos->getChildren().empty());
		EXPECT_EQ(0u, progressBars());
		EXPECT_EQ("", workersText());
	}
}

TEST_F(CrewWorks, TheJobStartsWithTheWorkersTextAndShowsItsProgress)
{
	a->getType()->RepairTime = 400.f;
	const fw::CRefHolder<GCrewWork> repair = make(REPAIR, nullptr, nullptr, nullptr, 10.f, 2);
	EXPECT_EQ("", workersText());
	EXPECT_EQ(0.f, repair->getProgress());
	repair->update(100);
	EXPECT_EQ("x2", workersText());
	EXPECT_FLOAT_EQ(0.25f, repair->getProgress());
	EXPECT_FLOAT_EQ(0.25f, repair->getProgressBar()->getValue());
	repair->update(100);
	EXPECT_FLOAT_EQ(0.5f, repair->getProgressBar()->getValue());
	// The building shows it once the level has given it the work.
	a->setWork(GBuildingNode::WORK_REPAIR, repair.get());
	EXPECT_FLOAT_EQ(0.5f, a->getWorkProgress());
	EXPECT_EQ(2u, stepsToEnd(repair.get(), 100));
	EXPECT_EQ((Lines{"4102 A", "4109 A 0 2"}), log->take());
	a->setWork(GBuildingNode::WORK_NONE, nullptr);

	// A missing progress bar template only leaves the bar out.
	const fw::CRefHolder<fw::TemplateCollectionNode> none = makeTemplates(rig.factory.get(), "");
	const fw::CRefHolder<GCrewWork> bare = make(CLEANING, nullptr, none.get());
	EXPECT_EQ(nullptr, bare->getProgressBar());
	EXPECT_EQ(0u, progressBars());
	EXPECT_EQ(4u, stepsToEnd(bare.get(), 100));
	EXPECT_EQ((Lines{"4103 A", "4109 A 0 1"}), log->take());
}

TEST_F(CrewWorks, TheWorkHoldsTheTypeItWasMadeFor)
{
	a->getType()->RepairTime = 300.f;
	const fw::CRefHolder<GCrewWork> work = make(REPAIR);
	// Two new types: the building lets its record of the hotel go.
	a->setType(rig.buildings->getBuilding(id("BuildingPlace")), false);
	a->setType(rig.buildings->getBuilding(id("BuildingPlace")), false);
	EXPECT_EQ(1, work->getType()->getReferenceCount());
	EXPECT_EQ(id("Hotel1"), work->getType()->Name);
	EXPECT_EQ(3u, stepsToEnd(work.get(), 100));
}

TEST_F(CrewWorks, AJobThatTakesNoTimeIsDoneAtItsFirstStep)
{
	a->getType()->RepairTime = 0.f;
	a->getType()->DestroyTime = 0.f;
	a->getType()->BuildTime = 0.f;
	for (EKind kind : {REPAIR, CLEANING, DESTROY, RESTORING})
	{
		SCOPED_TRACE(kindName(kind));
		const fw::CRefHolder<GCrewWork> work = make(kind);
		EXPECT_EQ(1.f, work->getProgress());
		EXPECT_EQ("2|7", trace(work.get(), 20));
		EXPECT_EQ(2u, log->take().size());
		EXPECT_EQ(1.f, work->getProgress());
	}
}

TEST_F(CrewWorks, BuildTimeFactorScalesEveryClock)
{
	a->getType()->RepairTime = 1000.f;
	a->getType()->DestroyTime = 1000.f;
	a->getType()->BuildTime = 1000.f;
	struct SCase
	{
		EKind kind;
		fw::f32 factor;
		fw::u32 steps;
	};
	// Steps of 100 ms; repairs end when the scaled time reaches 1000, the others just past it.
	const SCase cases[] = {
		{REPAIR, 1.f, 10},
		{REPAIR, 0.5f, 20},
		{REPAIR, 2.f, 5},
		{CLEANING, 0.5f, 20},
		{CLEANING, 2.f, 5},
		{DESTROY, 1.f, 11},
		{DESTROY, 0.5f, 21},
		{DESTROY, 2.f, 6},
		{RESTORING, 1.f, 11},
		{RESTORING, 2.f, 6},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(std::string(kindName(c.kind)) + " " + std::to_string(c.factor));
		setBuildTimeFactor(c.factor);
		const fw::CRefHolder<GCrewWork> work = make(c.kind);
		EXPECT_EQ(c.steps, stepsToEnd(work.get(), 100));
		EXPECT_EQ(2u, log->take().size());
	}
	// Without time going by nothing ends.
	setBuildTimeFactor(0.f);
	const fw::CRefHolder<GCrewWork> stalled = make(REPAIR);
	EXPECT_EQ(0u, stepsToEnd(stalled.get(), 100, 50));
	EXPECT_EQ(0.f, stalled->getProgress());
	EXPECT_TRUE(log->take().empty());
}

TEST_F(CrewWorks, ADestroyWithoutAPathSoundsAtOnceAndLooksLikeAPlaceWhenTheJobStarts)
{
	// The default DestroyTime of 1500 ms at BuildTimeM 2: below zero at the eighth step of 100 ms.
	rig.config->getModifierValues().WorkersCostA = 1.f;
	a->getType()->DestroyWorkersCost = 3;
	setBuildTimeFactor(2.f);
	const fw::CRefHolder<GCrewWork> work = make(DESTROY);
	EXPECT_EQ(Lines{"Destroying"}, cues());
	EXPECT_EQ(2, work->getWorkers()) << "the cost less WorkersCostA";
	EXPECT_EQ(0.f, work->getMaterials());
	// The level makes the place the building's type next; the work keeps the destroyed one.
	a->saveFeatureState();
	a->setType(rig.buildings->getBuilding(id("BuildingPlace")), false);
	a->setWork(GBuildingNode::WORK_DESTROY, work.get());
	EXPECT_EQ(id("Hotel1"), work->getType()->Name);
	EXPECT_EQ(id("Hotel1"), a->getTemplateName());

	for (fw::u32 step = 1; step <= 8; ++step)
	{
		SCOPED_TRACE(step);
		EXPECT_EQ(step < 8, work->update(100));
		EXPECT_EQ(id("BuildingPlace"), a->getTemplateName());
		if (step < 8)
		{
			EXPECT_TRUE(log->take().empty());
			EXPECT_EQ("x2", workersText());
			EXPECT_FLOAT_EQ(static_cast<fw::f32>(step * 200) / 1500.f, work->getProgress());
		}
	}
	EXPECT_EQ((Lines{"4108 A", "4109 A 0 2"}), log->take());
	EXPECT_EQ(1.f, work->getProgress());
	EXPECT_EQ("", workersText());
}

TEST_F(CrewWorks, ABusStillLeavingWhenTheClockEndsGoesWithTheWork)
{
	const fw::CRefHolder<fw::TemplateCollectionNode> slow =
		makeTemplates(rig.factory.get(), std::string(SLOW_BUS) + BAR_ONLY);
	const fw::CRefHolder<GLevelPath> road = shortRoad();
	a->getType()->DestroyTime = 600.f;
	fw::BaseNode* cargos = rig.level->getCargosNode();
	fw::CRefHolder<GCrewWork> work = make(DESTROY, road.get(), slow.get());
	rig.level->addWork(work.get());

	// On the level's own clock: the bus comes, the crew works, the bus starts to leave.
	fw::u32 ms = 0;
	while (work->getPhase() != GCrewWork::PHASE_BUS_LEAVING && ms < 2000)
	{
		rig.step(20);
		ms += 20;
	}
	ASSERT_EQ(GCrewWork::PHASE_BUS_LEAVING, work->getPhase());
	GPathMovableNode* bus = work->getBus();
	ASSERT_NE(nullptr, bus);
	EXPECT_EQ(GBuildingWork::nameIdMovingFrom(), bus->getCurrentStateId());

	// The clock runs out while the bus is still on its way: the level lets the work go.
	while (rig.level->getWorks().linear_search(work.get()) != -1 && ms < 4000)
	{
		rig.step(20);
		ms += 20;
	}
	EXPECT_EQ(GCrewWork::PHASE_OVER, work->getPhase());
	EXPECT_EQ((Lines{"4108 A", "4109 A 0 1"}), log->take());
	EXPECT_EQ(bus, work->getBus()) << "still leaving";
	EXPECT_EQ(1u, cargos->getChildren().size());
	work.release();
	EXPECT_TRUE(cargos->getChildren().empty());
}

TEST_F(CrewWorks, RestoringIsRetimedWhenBuildTimeFactorChanges)
{
	const fw::CRefHolder<fw::BaseNode> look = makeNode(rig.factory.get(), RESTORING_LOOK);
	a->addChild(look.get());
	fw::BaseNode* inner = look->getChildren()[0];
	a->getType()->BuildTime = 1005.f;
	const fw::CRefHolder<GCrewWork> work = make(RESTORING, nullptr, nullptr, nullptr, 30.f, 2);
	GRestoringWork* restoring = static_cast<GRestoringWork*>(work.get());
	// At creation the animation takes the whole time.
	EXPECT_EQ(1005u, keyTime(look.get(), "Restoring", 0, 1));
	EXPECT_EQ(9u, keyTime(look.get(), "Restoring", 1, 0)) << "a one-key item is left alone";
	EXPECT_EQ(7u, keyTime(inner, "Restoring", 0, 1)) << "only the building's own children are retimed";

	for (int step = 0; step < 5; ++step)
		EXPECT_TRUE(work->update(100));
	EXPECT_EQ(id("Restoring"), look->getCurrentStateId());
	EXPECT_EQ(505.f, restoring->getRemaining());
	EXPECT_EQ(1005u, keyTime(look.get(), "Restoring", 0, 1));

	// Halfway the factor goes from 1 to 2: 505 / 2 rounds to 253, and the time runs twice as fast.
	setBuildTimeFactor(2.f);
	EXPECT_TRUE(work->update(100));
	EXPECT_EQ(253u, keyTime(look.get(), "Restoring", 0, 1));
	EXPECT_EQ(2.f, restoring->getBuildTimeFactor());
	EXPECT_EQ(305.f, restoring->getRemaining());
	EXPECT_TRUE(work->update(100));
	EXPECT_EQ(253u, keyTime(look.get(), "Restoring", 0, 1)) << "retimed only when the factor changes";
	EXPECT_FALSE(work->update(100));
	EXPECT_EQ((Lines{"4102 A", "4109 A 0 2"}), log->take());
	a->removeChild(look.get());
}

TEST_F(CrewWorks, RestoringKeepsItsTimingWhileTimeStandsStillAndClampsItsKeys)
{
	const fw::CRefHolder<fw::BaseNode> look = makeNode(rig.factory.get(), RESTORING_LOOK);
	a->addChild(look.get());
	a->getType()->BuildTime = 1000.f;
	setBuildTimeFactor(0.f);
	const fw::CRefHolder<GCrewWork> work = make(RESTORING);
	GRestoringWork* restoring = static_cast<GRestoringWork*>(work.get());
	EXPECT_EQ(7u, keyTime(look.get(), "Restoring", 0, 1)) << "no time at a factor of 0";
	EXPECT_TRUE(work->update(100));
	EXPECT_EQ(1000.f, restoring->getRemaining());

	setBuildTimeFactor(1.f);
	EXPECT_TRUE(work->update(100));
	EXPECT_EQ(1000u, keyTime(look.get(), "Restoring", 0, 1));
	EXPECT_EQ(900.f, restoring->getRemaining());

	// A factor of 0 again stops the clock and leaves the animation as it was.
	setBuildTimeFactor(0.f);
	EXPECT_TRUE(work->update(100));
	EXPECT_EQ(1000u, keyTime(look.get(), "Restoring", 0, 1));
	EXPECT_EQ(900.f, restoring->getRemaining());

	// A tiny factor would make the time larger than a key can hold.
	setBuildTimeFactor(1e-9f);
	EXPECT_TRUE(work->update(100));
	EXPECT_EQ(std::numeric_limits<fw::u32>::max(), keyTime(look.get(), "Restoring", 0, 1));

	restoring->setRestoringPeriod(42);
	EXPECT_EQ(42u, keyTime(look.get(), "Restoring", 0, 1));
	a->removeChild(look.get());
}

TEST_F(CrewWorks, CancelGivesTheResourcesBackOnceAndTheAlertComesBack)
{
	const fw::CRefHolder<fw::BaseNode> look = makeNode(rig.factory.get(), RESTORING_LOOK);
	a->addChild(look.get());
	struct SCase
	{
		EKind kind;
		fw::s32 alert;
		bool alertIcon;
	};
	const SCase cases[] = {
		{REPAIR, GBuildingNode::ALERT_BROKEN, true},
		{CLEANING, GBuildingNode::ALERT_DIRTY, true},
		{RESTORING, GBuildingNode::ALERT_UNFINISHED, false},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(kindName(c.kind));
		a->setAlertIcon(GBuildingNode::ALERT_NONE);
		const fw::CRefHolder<GCrewWork> work = make(c.kind, nullptr, nullptr, nullptr, 30.f, 2);
		a->setWork(GBuildingNode::WORK_REPAIR, work.get());
		EXPECT_TRUE(work->update(100));
		EXPECT_EQ("x2", workersText());

		work->cancel();
		EXPECT_EQ(GCrewWork::PHASE_OVER, work->getPhase());
		EXPECT_EQ(nullptr, a->getWork());
		EXPECT_EQ(GBuildingNode::WORK_NONE, a->getWorkCode());
		EXPECT_EQ(c.alert, a->getAlert());
		EXPECT_EQ(c.alertIcon, a->getAlertIcon() != nullptr);
		EXPECT_EQ("", workersText());
		EXPECT_EQ(c.kind == RESTORING, look->getCurrentStateId() == id("CancelRestoring"));
		EXPECT_EQ(Lines{"4109 A 30 2"}, log->take());

		// A second cancel, and the step after, do nothing more.
		work->cancel();
		EXPECT_FALSE(work->update(100));
		EXPECT_TRUE(log->take().empty());
		EXPECT_EQ(c.alert, a->getAlert());
	}
	a->removeChild(look.get());
}

TEST_F(CrewWorks, CancelLeavesTheBuildingsSlotToAnotherWork)
{
	for (EKind kind : {REPAIR, RESTORING, DESTROY})
	{
		SCOPED_TRACE(kindName(kind));
		const fw::CRefHolder<GCrewWork> work = make(kind);
		const fw::CRefHolder<GCrewWork> other = make(REPAIR);
		a->setWork(GBuildingNode::WORK_REPAIR, other.get());
		work->cancel();
		EXPECT_EQ(other.get(), a->getWork());
		EXPECT_EQ(GBuildingNode::WORK_REPAIR, a->getWorkCode());
		a->setWork(GBuildingNode::WORK_NONE, nullptr);
		log->take();
	}
}

TEST_F(CrewWorks, ABusArrivingAfterACancelStartsNothing)
{
	const fw::CRefHolder<GLevelPath> road = shortRoad();
	const fw::CRefHolder<GCrewWork> work = make(REPAIR, road.get());
	EXPECT_TRUE(work->update(100));
	EXPECT_EQ(GCrewWork::PHASE_BUS_COMING, work->getPhase());
	work->cancel();
	EXPECT_EQ(Lines{"4109 A 10 1"}, log->take());
	// The bus reaches the building in this step.
	EXPECT_FALSE(work->update(100));
	EXPECT_EQ(GCrewWork::PHASE_OVER, work->getPhase());
	EXPECT_EQ("", workersText());
	EXPECT_TRUE(log->take().empty());
}

TEST_F(CrewWorks, DestroyCancelPutsTheBuildingBack)
{
	const fw::CRefHolder<GCrewWork> work = make(DESTROY);
	cues();
	a->saveFeatureState();
	a->setType(rig.buildings->getBuilding(id("BuildingPlace")), false);
	a->setWork(GBuildingNode::WORK_DESTROY, work.get());
	EXPECT_TRUE(work->update(100));
	EXPECT_EQ(id("BuildingPlace"), a->getTemplateName());

	work->cancel();
	EXPECT_EQ(GCrewWork::PHASE_OVER, work->getPhase());
	EXPECT_EQ(id("Hotel1"), a->getType()->Name);
	EXPECT_EQ(id("Hotel1"), a->getTemplateName());
	EXPECT_EQ(nullptr, a->getWork());
	EXPECT_EQ("", workersText());
	EXPECT_EQ(0u, progressBars());
	EXPECT_EQ(Lines{"4109 A 0 1"}, log->take());
	// Once over, a cancel does nothing: the building keeps its type.
	work->cancel();
	EXPECT_FALSE(work->update(100));
	EXPECT_TRUE(log->take().empty());
	EXPECT_EQ(id("Hotel1"), a->getType()->Name);
}

TEST_F(CrewWorks, DestroyCancelAfterTheEndOrWithoutAPreviousTypeDoesNothing)
{
	// Finished: the building stays an empty place.
	a->getType()->DestroyTime = 100.f;
	const fw::CRefHolder<GCrewWork> done = make(DESTROY);
	a->setType(rig.buildings->getBuilding(id("BuildingPlace")), false);
	EXPECT_EQ(2u, stepsToEnd(done.get(), 100));
	log->take();
	done->cancel();
	EXPECT_EQ(id("BuildingPlace"), a->getType()->Name);
	EXPECT_TRUE(log->take().empty());

	// A building that never had another type: the work goes on.
	const fw::CRefHolder<GBuildingNode> fresh =
		fw::adoptRef(new GBuildingNode(fw::ContentReference(), nullptr, nullptr));
	ASSERT_EQ(nullptr, fresh->getPreviousType());
	const fw::CRefHolder<GCrewWork> work = make(DESTROY, nullptr, nullptr, fresh.get());
	work->cancel();
	EXPECT_EQ(GCrewWork::PHASE_CREW_ARRIVED, work->getPhase());
	EXPECT_TRUE(log->take().empty());
	EXPECT_TRUE(work->update(100));
	EXPECT_EQ(GCrewWork::PHASE_JOB_STARTED, work->getPhase());
}

TEST_F(CrewWorks, TheWorkSoundFollowsTheSelection)
{
	const fw::CRefHolder<GLevelPath> road = shortRoad();
	struct SCase
	{
		EKind kind;
		bool selected;
		bool path;
		Lines atCreation;
		// Over the steps to the job's start; the building has its work code by then.
		Lines atStart;
	};
	const SCase cases[] = {
		{REPAIR, false, false, {}, {}},
		{REPAIR, true, false, {"HotelIdle"}, {"Building"}},
		{REPAIR, true, true, {}, {"Building"}},
		{DESTROY, false, true, {}, {}},
		{DESTROY, true, true, {}, {"Destroying"}},
		{RESTORING, false, false, {"HotelIdle"}, {}},
		{RESTORING, true, true, {}, {"Building"}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(std::string(kindName(c.kind)) + (c.selected ? " selected" : "") + (c.path ? " path" : ""));
		a->setFocused(c.selected);
		silence(rig.sounds);
		cues();
		const fw::CRefHolder<GCrewWork> work = make(c.kind, c.path ? road.get() : nullptr);
		EXPECT_EQ(c.atCreation, cues());
		a->setWork(c.kind == DESTROY ? GBuildingNode::WORK_DESTROY : GBuildingNode::WORK_REPAIR, work.get());
		while (work->getPhase() < GCrewWork::PHASE_JOB_STARTED)
			work->update(100);
		EXPECT_EQ(c.atStart, cues());
		work->cancel();
		a->setWork(GBuildingNode::WORK_NONE, nullptr);
		a->stopWorkSound();
		log->take();
	}
	a->setFocused(false);
}

TEST_F(CrewWorks, AWorkOnNoBuildingEndsAtOnce)
{
	for (EKind kind : {REPAIR, CLEANING, DESTROY, RESTORING})
	{
		SCOPED_TRACE(kindName(kind));
		GGameLevelScene* level = rig.level.get();
		fw::BaseNode* cargos = level->getCargosNode();
		fw::TemplateCollectionNode* templates = rig.templates.get();
		fw::CRefHolder<GCrewWork> work;
		switch (kind)
		{
		case REPAIR:
			work = fw::adoptRef<GCrewWork>(new GRepairWork(level, nullptr, cargos, templates, nullptr, 1.f, 1));
			break;
		case CLEANING:
			work = fw::adoptRef<GCrewWork>(new GCleaningWork(level, nullptr, cargos, templates, nullptr, 1.f, 1));
			break;
		case DESTROY:
			work = fw::adoptRef<GCrewWork>(new GDestroyWork(level, nullptr, cargos, templates, nullptr));
			break;
		case RESTORING:
			work = fw::adoptRef<GCrewWork>(new GRestoringWork(level, nullptr, cargos, templates, nullptr, 1.f, 1));
			break;
		}
		work->cancel();
		EXPECT_FALSE(work->update(100));
		EXPECT_TRUE(log->take().empty());
	}
}
