// The serve works (the serving building's short bar; the requester's bus, service and bus back) and
// the feature work of buildings of Type 3 and up.

#include "LevelSceneSupport.h"

#include "level/data/GLevelPaths.h"
#include "level/nodes/GPathMovableNode.h"
#include "level/works/GFeatureWork.h"
#include "level/works/GServeWork.h"
#include "widgets/ProgressBarNode.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace leveltest;

namespace
{
typedef std::vector<std::string> Lines;

// A cafe that serves, a hotel that asks and a factory with features.
std::string serveScene()
{
	return scene({building("C1", "Cafe", 0, 0, true), building("H1", "Hotel1", 300, 0, true),
		building("FA", "Factory", 600, 300, true)});
}

fw::CRefHolder<GLevelPaths> pathsFrom(const std::string& text)
{
	fw::CRefHolder<GLevelPaths> paths = fw::adoptRef(new GLevelPaths);
	EXPECT_TRUE(paths->load(readerOver(text).get()));
	return paths;
}

// The hotel's delivery path: 300 units, which the serve bus drives in 1667 ms.
const char* const HOTEL_PATH = "<LevelPaths><CarPaths>"
							   "<Path ID=\"H1\"><p p=\"100, 50\"/><p p=\"400, 50\"/></Path>"
							   "</CarPaths></LevelPaths>";

size_t count(const Lines& lines, fw::s32 typeId)
{
	return static_cast<size_t>(std::count(lines.begin(), lines.end(), std::to_string(typeId)));
}

size_t countHistory(const GGameLevelScene* level, fw::s32 kind)
{
	size_t n = 0;
	for (fw::u32 i = 0; i < level->getHistory().size(); ++i)
		if (level->getHistory()[i].kind == kind)
			++n;
	return n;
}

// Gives the building a copy of its type with another ServeTime.
void setServeTime(GBuildingNode* building, fw::f32 serveTime)
{
	const fw::CRefHolder<GBuildingConfiguration> type = fw::adoptRef(new GBuildingConfiguration(*building->getType()));
	type->ServeTime = serveTime;
	building->setType(type.get(), false);
}
} // namespace

// --- The serving building.

TEST(ServeWork, EndsAtTheFirstStepPastTwoSecondsAndTheLevelFreesTheServer)
{
	struct SCase
	{
		fw::u32 stepMs;
		int expectedSteps;
	};
	// At exactly 2000 ms the work still runs; it ends at the first step beyond.
	const SCase cases[] = {{500, 5}, {700, 3}, {1000, 3}, {2000, 2}, {2001, 1}, {20, 101}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.stepMs);
		CLevelRig rig(serveScene());
		GBuildingNode* cafe = rig.building("C1");
		const fw::CRefHolder<GServeWork> work =
			fw::adoptRef(new GServeWork(rig.level.get(), cafe, rig.templates.get()));
		cafe->setWork(GBuildingNode::WORK_SERVE, work.get());
		rig.messages();
		const fw::CRefHolder<fw::BaseProgressBarNode> bar(work->getProgressBar());
		ASSERT_NE(nullptr, bar.get());
		EXPECT_EQ(cafe, bar->getParent());
		EXPECT_TRUE(bar->isVisible());
		EXPECT_EQ(0.f, work->getProgress());
		EXPECT_EQ(0.f, bar->getValue());

		int steps = 0;
		bool running = true;
		while (running && steps < 1000)
		{
			running = work->update(c.stepMs);
			++steps;
			if (running)
			{
				EXPECT_EQ(work->getProgress(), bar->getValue());
				EXPECT_EQ(0u, count(rig.messages(), GAME_MESSAGE_FEATURE_READY));
			}
		}
		EXPECT_EQ(c.expectedSteps, steps);
		EXPECT_EQ(0.f, work->getRemaining());
		EXPECT_EQ(1.f, work->getProgress());
		EXPECT_EQ(nullptr, bar->getParent()) << "the bar leaves the building";
		EXPECT_EQ(nullptr, work->getProgressBar());
		EXPECT_EQ(1u, count(rig.messages(), GAME_MESSAGE_FEATURE_READY));
		EXPECT_EQ(GBuildingNode::WORK_NONE, cafe->getWorkCode());
	}
}

// --- The requester.

TEST(ServeProgressWork, WithoutAPathTheServiceStartsAtTheSecondStepAndTheWorkEndsTwoStepsAfterIt)
{
	struct SCase
	{
		const char* name;
		fw::f32 serveTime;
		std::vector<fw::s32> phases; // after each step of 500 ms
		fw::f32 firstProgress;
	};
	const SCase cases[] = {
		{"2000 ms", 2000.f, {3, 3, 3, 3, 3, 4, 6, 7}, 0.f},
		{"1200 ms", 1200.f, {3, 3, 3, 4, 6, 7}, 0.f},
		{"no serve time is done at once", 0.f, {3, 4, 6, 7}, 1.f},
		{"a negative serve time too", -5.f, {3, 4, 6, 7}, 1.f},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CLevelRig rig(serveScene());
		GBuildingNode* hotel = rig.building("H1");
		setServeTime(hotel, c.serveTime);
		const fw::CRefHolder<GServeProgressWork> work = fw::adoptRef(
			new GServeProgressWork(rig.level.get(), hotel, rig.level->getCargosNode(), rig.templates.get(), nullptr));
		hotel->setWork(GBuildingNode::WORK_REPAIR, work.get());
		rig.messages();
		EXPECT_EQ(GServeProgressWork::PHASE_ARRIVED, work->getPhase());
		EXPECT_EQ(nullptr, work->getBus());
		EXPECT_EQ(c.firstProgress, work->getProgress());
		const fw::CRefHolder<fw::BaseProgressBarNode> bar(work->getProgressBar());
		ASSERT_NE(nullptr, bar.get());
		EXPECT_EQ(hotel, bar->getParent());

		std::vector<fw::s32> phases;
		std::vector<size_t> doneAt;
		bool running = true;
		while (running && phases.size() < 100)
		{
			running = work->update(500);
			phases.push_back(work->getPhase());
			if (count(rig.messages(), GAME_MESSAGE_SERVE_DONE) == 1)
				doneAt.push_back(phases.size());
		}
		EXPECT_EQ(c.phases, phases);
		// Posted in the step that ends the countdown; the level frees the requester at once.
		const size_t served =
			static_cast<size_t>(std::find(c.phases.begin(), c.phases.end(), 4) - c.phases.begin()) + 1;
		EXPECT_EQ(std::vector<size_t>{served}, doneAt);
		EXPECT_EQ(GBuildingNode::WORK_NONE, hotel->getWorkCode());
		EXPECT_EQ(nullptr, bar->getParent());
	}
}

TEST(ServeProgressWork, TheBusStaysAtTheRequesterWhileServedAndTheWorkLastsUntilItIsBack)
{
	CLevelRig rig(serveScene());
	const fw::CRefHolder<GLevelPaths> paths = pathsFrom(HOTEL_PATH);
	rig.level->setLevelPaths(paths.get());
	GBuildingNode* hotel = rig.building("H1");
	GLevelPath* path = paths->findPath(id("H1"), fw::CRandomGeneratorSingleton::Instance());
	const fw::CRefHolder<GServeProgressWork> work = fw::adoptRef(
		new GServeProgressWork(rig.level.get(), hotel, rig.level->getCargosNode(), rig.templates.get(), path));
	hotel->setWork(GBuildingNode::WORK_REPAIR, work.get());
	rig.messages();

	const fw::CRefHolder<GPathMovableNode> bus(work->getBus());
	ASSERT_NE(nullptr, bus.get());
	EXPECT_EQ(GServeProgressWork::PHASE_BUS_COMING, work->getPhase());
	EXPECT_EQ(rig.level->getCargosNode(), bus->getParent());
	EXPECT_TRUE(bus->isVisible());
	EXPECT_EQ(180.f, bus->getVelocity());
	EXPECT_EQ(nullptr, bus->getTrafficManager()) << "the serve bus keeps out of the traffic";
	EXPECT_EQ(id("MovingTo"), bus->getEndStateId());
	EXPECT_EQ(100.f, bus->getPosition().X);
	EXPECT_TRUE(CLevelRig::plays().empty()) << "the serve bus plays no cue";

	// 90 units a step: there in the fourth step, which also starts the service; the service's
	// 2000 ms end in the fifth step after; the bus leaves in the next step and is back four later.
	const std::vector<fw::s32> expected = {1, 1, 1, 3, 3, 3, 3, 3, 4, 5, 5, 5, 5, 7};
	std::vector<fw::s32> phases;
	bool running = true;
	while (running && phases.size() < 100)
	{
		running = work->update(500);
		phases.push_back(work->getPhase());
		const Lines lines = rig.messages();
		if (count(lines, GAME_MESSAGE_SERVE_DONE) > 0)
		{
			EXPECT_EQ(4, work->getPhase());
			EXPECT_EQ(400.f, bus->getPosition().X) << "served while the bus stands at the requester";
			EXPECT_EQ(50.f, bus->getPosition().Y);
			EXPECT_EQ(GBuildingNode::WORK_NONE, hotel->getWorkCode());
		}
		if (work->getPhase() == GServeProgressWork::PHASE_BUS_LEAVING)
		{
			EXPECT_EQ(id("MovingFrom"), bus->getEndStateId());
		}
		if (running)
		{
			EXPECT_EQ(rig.level->getCargosNode(), bus->getParent());
		}
	}
	EXPECT_EQ(expected, phases);
	EXPECT_EQ(100.f, bus->getPosition().X) << "back the way it came";
	EXPECT_EQ(nullptr, bus->getParent()) << "the bus leaves the map with the work";
	EXPECT_EQ(nullptr, work->getBus());
}

TEST(ServeProgressWork, AMissingBusCountsAsArrived)
{
	CLevelRig rig(serveScene());
	std::string text = TEMPLATES;
	text.replace(text.find("Value=\"Bus\""), 11, "Value=\"Van\"");
	rig.templates = fw::CRefHolder<fw::TemplateCollectionNode>(
		fw::nodeCast<fw::TemplateCollectionNode>(loadScene(rig.factory.get(), text, "Templates.oscn").get()));
	ASSERT_EQ(nullptr, rig.templates->getTemplate(id("Bus")));
	const fw::CRefHolder<GLevelPaths> paths = pathsFrom(HOTEL_PATH);
	GBuildingNode* hotel = rig.building("H1");
	const fw::CRefHolder<GServeProgressWork> work =
		fw::adoptRef(new GServeProgressWork(rig.level.get(), hotel, rig.level->getCargosNode(), rig.templates.get(),
			paths->findPath(id("H1"), fw::CRandomGeneratorSingleton::Instance())));
	EXPECT_EQ(GServeProgressWork::PHASE_ARRIVED, work->getPhase());
	EXPECT_EQ(nullptr, work->getBus());
	int steps = 0;
	while (work->update(500) && steps < 100)
		++steps;
	EXPECT_EQ(7, steps) << "the same eight steps as without a path";
	EXPECT_EQ(1u, count(rig.messages(), GAME_MESSAGE_SERVE_DONE));
}

TEST(ServeProgressWork, KeepsTheTypeItStartedWith)
{
	CLevelRig rig(serveScene());
	GBuildingNode* hotel = rig.building("H1");
	setServeTime(hotel, 1000.f);
	const fw::CRefHolder<GServeProgressWork> work = fw::adoptRef(
		new GServeProgressWork(rig.level.get(), hotel, rig.level->getCargosNode(), rig.templates.get(), nullptr));
	// Two new types: the building lets go of the one the work read.
	setServeTime(hotel, 4000.f);
	setServeTime(hotel, 4000.f);
	work->update(500);
	work->update(500);
	EXPECT_EQ(0.5f, work->getProgress());
}

// --- Features.

// Feature 1 of the factory runs 4000 ms: the work's progress and its bar rise from 0 towards 1 as
// the active time runs out, and the level records the feature's end once.
TEST(FeatureWork, ProgressRisesOverTheActiveTimeAndTheEndIsRecordedOnce)
{
	CLevelRig rig(serveScene());
	GBuildingNode* factory = rig.building("FA");
	factory->setAlertIcon(GBuildingNode::ALERT_NONE);
	const fw::CRefHolder<GFeatureWork> work =
		fw::adoptRef(new GFeatureWork(rig.level.get(), factory, rig.level->getCargosNode(), rig.templates.get(), 1));
	rig.level->addWork(work.get());
	factory->setWork(GBuildingNode::WORK_FEATURE, work.get());
	rig.messages();
	EXPECT_EQ(GFeatureState::ACTIVE, factory->getFeatureState(1));
	EXPECT_EQ(0.f, work->getProgress());
	const fw::CRefHolder<fw::BaseProgressBarNode> bar(work->getProgressBar());
	ASSERT_NE(nullptr, bar.get());
	EXPECT_EQ(factory, bar->getParent());
	EXPECT_TRUE(factory->isWorking()) << "a feature work leaves the building working";

	std::vector<fw::f32> progress;
	std::vector<fw::f32> barValues;
	size_t finished = 0;
	for (int ms = 0; ms < 8000 && rig.level->getWorks().linear_search(work.get()) != -1; ms += 50)
	{
		rig.step(50);
		finished += count(rig.messages(), GAME_MESSAGE_FEATURE_FINISHED);
		if (rig.level->getWorks().linear_search(work.get()) != -1)
		{
			progress.push_back(work->getProgress());
			barValues.push_back(bar->getValue());
		}
	}
	ASSERT_GT(progress.size(), 50u);
	EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
	EXPECT_TRUE(std::is_sorted(barValues.begin(), barValues.end()));
	EXPECT_GT(progress.front(), 0.f);
	EXPECT_LT(progress.front(), 0.05f);
	EXPECT_GT(barValues.back(), 0.95f);
	EXPECT_LE(barValues.back(), 1.f);

	EXPECT_EQ(-1, rig.level->getWorks().linear_search(work.get())) << "the work ends with the feature";
	EXPECT_EQ(GFeatureState::RECHARGING, factory->getFeatureState(1));
	EXPECT_EQ(1u, finished) << "one activation, one end";
	EXPECT_EQ(1u, countHistory(rig.level.get(), 6));
	EXPECT_EQ(GBuildingNode::WORK_NONE, factory->getWorkCode());
	EXPECT_EQ(nullptr, bar->getParent());
}

TEST(FeatureWork, AFeatureThatDoesNotStartEndsAtTheFirstStepAndReportsItself)
{
	struct SCase
	{
		const char* name;
		fw::s32 index;
		bool rechargeFirst;
		fw::s32 expectedKind;
	};
	const SCase cases[] = {
		{"recharging", 1, true, 6},
		{"index past the features", 5, false, 5},
		{"negative index", -1, false, 5},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		CLevelRig rig(serveScene());
		GBuildingNode* factory = rig.building("FA");
		factory->setAlertIcon(GBuildingNode::ALERT_NONE);
		if (c.rechargeFirst)
		{
			factory->activateFeature(c.index);
			rig.step(50, 100);
			ASSERT_EQ(GFeatureState::RECHARGING, factory->getFeatureState(c.index));
		}
		rig.messages();
		const size_t before = rig.level->getHistory().size();
		const fw::CRefHolder<GFeatureWork> work = fw::adoptRef(
			new GFeatureWork(rig.level.get(), factory, rig.level->getCargosNode(), rig.templates.get(), c.index));
		factory->setWork(GBuildingNode::WORK_FEATURE, work.get());
		const fw::CRefHolder<fw::BaseProgressBarNode> bar(work->getProgressBar());
		EXPECT_FALSE(work->update(20));
		EXPECT_EQ(1u, count(rig.messages(), GAME_MESSAGE_FEATURE_FINISHED));
		ASSERT_EQ(before + 1, rig.level->getHistory().size());
		EXPECT_EQ(c.expectedKind, rig.level->getHistory().getLast().kind);
		EXPECT_EQ(GBuildingNode::WORK_NONE, factory->getWorkCode());
		EXPECT_EQ(nullptr, factory->getWork());
		ASSERT_NE(nullptr, bar.get());
		EXPECT_EQ(nullptr, bar->getParent());
	}
}

TEST(FeatureWork, LeavesTheBuildingsWorkSlotToAnotherWork)
{
	CLevelRig rig(serveScene());
	GBuildingNode* factory = rig.building("FA");
	const fw::CRefHolder<GFeatureWork> work =
		fw::adoptRef(new GFeatureWork(rig.level.get(), factory, rig.level->getCargosNode(), rig.templates.get(), 5));
	factory->setWork(GBuildingNode::WORK_FEATURE, work.get());
	// A later work took the slot meanwhile.
	const fw::CRefHolder<GFeatureWork> later =
		fw::adoptRef(new GFeatureWork(rig.level.get(), factory, rig.level->getCargosNode(), rig.templates.get(), 0));
	factory->setWork(GBuildingNode::WORK_FEATURE, later.get());
	EXPECT_FALSE(work->update(20));
	EXPECT_EQ(GBuildingNode::WORK_FEATURE, factory->getWorkCode());
	EXPECT_EQ(later.get(), factory->getWork());
}
