// Birds, cars, pedestrians and text trails in a headless scene whose clock the tests step by hand:
// each starts itself on the first drawing pass, runs on its own timer and leaves the tree at the
// end of its way.

#include "MoverTestSupport.h"

#include "LevelTestSupport.h"
#include "core/CNodeFactory.h"
#include "core/NodeCasts.h"
#include "core/SceneFile.h"
#include "level/nodes/GAmbientMovers.h"
#include "level/nodes/GCarNode.h"
#include "level/nodes/GFacing.h"
#include "level/scene/GLevelNodeClasses.h"
#include "platform/CRandomGenerator.h"
#include "support/LogCapture.h"
#include "widgets/TextNode.h"

#include <gtest/gtest.h>

#include <set>

using namespace movertest;
using fw::core::vector2df;

namespace
{
// The edge a bird's point lies on: 0 top, 1 right, 2 bottom, 3 left; -1 none.
int edgeOf(const vector2df& p)
{
	if (p.Y == 0.f && p.X >= 0.f && p.X < 1024.f)
		return 0;
	if (p.X == 1024.f && p.Y >= 0.f && p.Y < 660.f)
		return 1;
	if (p.Y == 680.f && p.X >= 0.f && p.X < 1024.f)
		return 2;
	if (p.X == -20.f && p.Y >= 0.f && p.Y < 660.f)
		return 3;
	return -1;
}

vector2df at(const fw::BaseNode* node)
{
	return vector2df(node->getPosition().X, node->getPosition().Y);
}

template <class T>
fw::CRefHolder<T> withBody(fw::CRefHolder<CRecordingNode>& body)
{
	fw::CRefHolder<T> node = fw::adoptRef(new T(fw::ContentReference(), nullptr, nullptr));
	body = fw::adoptRef(new CRecordingNode("Body"));
	node->addChild(body.get());
	node->onInit();
	return node;
}

TEST(AmbientMovers, ABirdCrossesFromOneEdgeToAnotherFlappingAndLeaves)
{
	fw::CRandomGeneratorSingleton::Instance().seed(11);
	CHeadlessScene scene;
	fw::CRefHolder<CRecordingNode> body;
	fw::CRefHolder<GBirdNode> bird = withBody<GBirdNode>(body);
	ASSERT_EQ(body.get(), bird->getBody());
	scene.scene->addChild(bird.get());
	EXPECT_FALSE(bird->isTimerRunning());

	scene.draw();
	ASSERT_TRUE(bird->isTimerRunning());
	const vector2df from = at(bird.get());
	const vector2df to = bird->getSegmentTarget();
	const int fromEdge = edgeOf(from);
	const int toEdge = edgeOf(to);
	EXPECT_NE(-1, fromEdge);
	EXPECT_NE(-1, toEdge);
	EXPECT_NE(fromEdge, toEdge);
	EXPECT_GE(bird->getVelocity(), 25.f);
	EXPECT_LT(bird->getVelocity(), 35.f);
	// Later passes start nothing again.
	scene.draw();
	EXPECT_EQ(to, bird->getSegmentTarget());

	const std::string flap = nameOf(bird->getDirectionStateId()) + "_Flap";
	std::vector<fw::u32> flaps;
	fw::u32 ticks = 0;
	while (bird->getParent() && ticks < 10000)
	{
		body->log.clear();
		scene.step(GBirdNode::INTERVAL);
		++ticks;
		if (std::find(body->log.begin(), body->log.end(), "enter " + flap) != body->log.end())
			flaps.push_back(ticks * GBirdNode::INTERVAL);
	}
	ASSERT_EQ(nullptr, bird->getParent()) << "the bird never arrived";
	// It flew the straight line at its speed, and is on the far edge.
	const fw::f32 seconds = ticks * GBirdNode::INTERVAL * 0.001f;
	EXPECT_NEAR(from.getDistanceFrom(to) / bird->getVelocity(), seconds, 0.031f);
	EXPECT_EQ(to, at(bird.get()));
	// A flap on the first tick, then one every 4 to 6 seconds.
	ASSERT_GE(flaps.size(), 2u);
	EXPECT_EQ(GBirdNode::INTERVAL, flaps[0]);
	for (size_t i = 1; i < flaps.size(); ++i)
	{
		EXPECT_GE(flaps[i] - flaps[i - 1], 4000u);
		EXPECT_LE(flaps[i] - flaps[i - 1], 6000u + GBirdNode::INTERVAL);
	}
	// Out of the tree and off the clock: only the test holds it now.
	scene.step(GBirdNode::INTERVAL);
	EXPECT_FALSE(bird->isTimerRunning());
	EXPECT_EQ(1, bird->getReferenceCount());
}

TEST(AmbientMovers, BirdsStartedTogetherTakeTheirOwnWays)
{
	fw::CRandomGeneratorSingleton::Instance().seed(3);
	CHeadlessScene scene;
	std::set<std::pair<float, float>> starts;
	std::set<float> speeds;
	std::vector<fw::CRefHolder<GBirdNode>> birds;
	for (int i = 0; i < 8; ++i)
	{
		birds.push_back(fw::adoptRef(new GBirdNode(fw::ContentReference(), nullptr, nullptr)));
		scene.scene->addChild(birds.back().get());
	}
	scene.draw();
	for (const auto& bird : birds)
	{
		starts.insert(std::make_pair(bird->getPosition().X, bird->getPosition().Y));
		speeds.insert(bird->getVelocity());
		EXPECT_NE(edgeOf(at(bird.get())), edgeOf(bird->getSegmentTarget()));
	}
	EXPECT_EQ(8u, starts.size());
	EXPECT_EQ(8u, speeds.size());
}

TEST(AmbientMovers, AMoverWaitsForATimerManagerBeforeItStarts)
{
	fw::CRefHolder<fw::BaseNode> loose = fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr));
	fw::CRefHolder<GBirdNode> bird = fw::adoptRef(new GBirdNode(fw::ContentReference(), nullptr, nullptr));
	loose->addChild(bird.get());
	fw::RenderList list;
	loose->collectRenderables(list);
	EXPECT_FALSE(bird->isTimerRunning());
	EXPECT_EQ(0u, bird->getRemainingPointCount());

	// In a scene it starts at the next pass, hidden or not.
	CHeadlessScene scene;
	bird->setVisible(false);
	scene.scene->addChild(bird.get());
	scene.draw();
	EXPECT_TRUE(bird->isTimerRunning());
	EXPECT_EQ(2u, bird->getRemainingPointCount());
}

// A bird draws its way from the generator its scene manager hands out; without one it stays put.
TEST(AmbientMovers, ABirdWithoutARandomGeneratorSaysSoAndStaysPut)
{
	CHeadlessScene scene;
	scene.manager->setServices(fw::SServices());
	fw::CRefHolder<GBirdNode> bird = fw::adoptRef(new GBirdNode(fw::ContentReference(), nullptr, nullptr));
	bird->setName("Gull");
	scene.scene->addChild(bird.get());
	fw::test::CLogCapture log;
	scene.draw();
	EXPECT_EQ(0u, bird->getRemainingPointCount());
	EXPECT_EQ(1u, log.countContaining("Node \"Gull\": no random generator")) << log.all();
	scene.scene->removeChild(bird.get());
}

fw::CRefHolder<GLevelPaths> pathsFrom(const std::string& text)
{
	fw::CRefHolder<GLevelPaths> paths = fw::adoptRef(new GLevelPaths);
	EXPECT_TRUE(paths->load(leveltest::readerOver(text).get()));
	return paths;
}

TEST(AmbientMovers, APedestrianWalksStandsLooksAroundAndWalksOn)
{
	fw::CRandomGeneratorSingleton::Instance().seed(5);
	fw::CRefHolder<CTestLevelScene> level = fw::adoptRef(new CTestLevelScene);
	level->paths = pathsFrom("<LevelPaths><PedestrianPaths><Path ID=\"Walk\">"
							 "<p p=\"0, 500\"/><p p=\"500, 500\"/><p p=\"500, 300\"/><p p=\"0, 300\"/>"
							 "</Path></PedestrianPaths></LevelPaths>");
	CHeadlessScene scene(level.get());
	// Pedestrians stand three levels below the level scene.
	fw::CRefHolder<fw::BaseNode> street = fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr));
	fw::CRefHolder<fw::BaseNode> group = fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr));
	level->addChild(street.get());
	street->addChild(group.get());
	fw::CRefHolder<CRecordingNode> body;
	fw::CRefHolder<GPedestrianNode> walker = withBody<GPedestrianNode>(body);
	group->addChild(walker.get());

	scene.draw();
	ASSERT_EQ(GPedestrianNode::PHASE_WALKING, walker->getPhase());
	EXPECT_EQ(vector2df(0.f, 500.f), at(walker.get()));
	EXPECT_GE(walker->getVelocity(), 10.f);
	EXPECT_LT(walker->getVelocity(), 20.f);
	const fw::s32 firstWalk = walker->getPhaseTime();
	EXPECT_GE(firstWalk, 10000);
	EXPECT_LT(firstWalk, 30000);

	// Walking, standing and walking again, tick by tick.
	fw::u32 now = 0;
	fw::u32 standStart = 0;
	fw::s32 standLength = 0;
	std::vector<fw::u32> looks;
	while (walker->getPhase() == GPedestrianNode::PHASE_WALKING && now < 40000)
	{
		scene.step(GPedestrianNode::INTERVAL);
		now += GPedestrianNode::INTERVAL;
	}
	ASSERT_EQ(GPedestrianNode::PHASE_STANDING, walker->getPhase());
	standStart = now;
	standLength = walker->getPhaseTime();
	EXPECT_GE(static_cast<fw::s32>(standStart), firstWalk);
	EXPECT_LT(static_cast<fw::s32>(standStart), firstWalk + static_cast<fw::s32>(GPedestrianNode::INTERVAL));
	EXPECT_GE(standLength, 4000);
	EXPECT_LT(standLength, 6000);
	const vector2df standingAt = at(walker.get());
	const vector2df segmentTarget = walker->getSegmentTarget();
	body->log.clear();
	while (walker->getPhase() == GPedestrianNode::PHASE_STANDING)
	{
		const size_t before = body->log.size();
		scene.step(GPedestrianNode::INTERVAL);
		now += GPedestrianNode::INTERVAL;
		EXPECT_EQ(standingAt, at(walker.get()));
		if (walker->getPhase() == GPedestrianNode::PHASE_STANDING && body->log.size() > before)
			looks.push_back(now);
	}
	// The first look on the first standing tick, then one every 1 to 3 seconds; each look a
	// facing the body then holds.
	ASSERT_GE(looks.size(), 2u);
	EXPECT_EQ(standStart + GPedestrianNode::INTERVAL, looks[0]);
	for (size_t i = 1; i < looks.size(); ++i)
	{
		EXPECT_GE(looks[i] - looks[i - 1], 1000u);
		EXPECT_LE(looks[i] - looks[i - 1], 3000u + GPedestrianNode::INTERVAL);
	}
	// Walking on: the same segment, the walking look again.
	EXPECT_EQ(segmentTarget, walker->getSegmentTarget());
	EXPECT_EQ("enter " + nameOf(walker->getDirectionStateId()), body->log.back());
	scene.step(GPedestrianNode::INTERVAL, 10);
	EXPECT_NE(standingAt, at(walker.get()));

	// On to the end of the path, where it leaves.
	for (int i = 0; i < 10000 && walker->getParent(); ++i)
		scene.step(GPedestrianNode::INTERVAL);
	EXPECT_EQ(nullptr, walker->getParent());
	EXPECT_EQ(vector2df(0.f, 300.f), at(walker.get()));
}

TEST(AmbientMovers, APedestrianOutsideALevelSceneStandsStill)
{
	CHeadlessScene scene;
	fw::CRefHolder<GPedestrianNode> walker =
		fw::adoptRef(new GPedestrianNode(fw::ContentReference(), nullptr, nullptr));
	walker->setPosition(fw::core::vector3df(10.f, 20.f, 0.f));
	scene.scene->addChild(walker.get());
	scene.draw();
	EXPECT_TRUE(walker->isTimerRunning());
	scene.step(GPedestrianNode::INTERVAL, 100);
	EXPECT_EQ(GPedestrianNode::PHASE_NONE, walker->getPhase());
	EXPECT_EQ(vector2df(10.f, 20.f), at(walker.get()));
	EXPECT_EQ(scene.scene.get(), walker->getParent());
}

TEST(AmbientMovers, ACarFollowsItsScatteredRouteAndLeavesUnlessToldToStay)
{
	fw::CRefHolder<GLevelPaths> paths =
		pathsFrom("<LevelPaths><CarPaths><Path ID=\"Road\">"
				  "<p p=\"0, 300\" d1=\"6\" d2=\"6\"/><p p=\"600, 300\" d1=\"6\" d2=\"6\"/>"
				  "<p p=\"600, 100\" d1=\"6\" d2=\"6\"/>"
				  "</Path></CarPaths></LevelPaths>");
	const GLevelPath& path = *paths->findPath(nameId("Road"), fw::CRandomGeneratorSingleton::Instance());
	for (bool stays : {false, true})
	{
		SCOPED_TRACE(stays ? "told to stay" : "leaving");
		fw::CRandomGeneratorSingleton::Instance().seed(9);
		CHeadlessScene scene;
		fw::CRefHolder<GCarNode> car = fw::adoptRef(new GCarNode(fw::ContentReference(), nullptr, nullptr));
		car->setRemoveAtEnd(!stays);
		fw::core::array<vector2df> route;
		for (fw::s32 i = 0; i < 3; ++i)
			route.push_back(scatterPathPoint(path, i, fw::CRandomGeneratorSingleton::Instance()));
		// Scattered across the road: off the line, within the spreads.
		EXPECT_NE(300.f, route[0].Y);
		EXPECT_LE(std::abs(route[0].Y - 300.f), 6.f);
		car->setVelocity(200.f);
		car->start(route, -1, false, false);
		scene.scene->addChild(car.get());
		scene.draw();
		bool passedCorner = false;
		for (int i = 0; i < 1000 && car->getRemainingPointCount() >= 2; ++i)
		{
			scene.step(GCarNode::INTERVAL);
			passedCorner = passedCorner || car->getRemainingPointCount() == 2;
		}
		EXPECT_TRUE(passedCorner);
		EXPECT_EQ(route[2], at(car.get()));
		if (stays)
		{
			scene.step(GCarNode::INTERVAL, 50);
			EXPECT_EQ(scene.scene.get(), car->getParent());
			EXPECT_EQ(route[2], at(car.get()));
		}
		else
		{
			EXPECT_EQ(nullptr, car->getParent());
			EXPECT_FALSE(car->isTimerRunning());
		}
	}
}

TEST(AmbientMovers, AMoverThatNothingElseHoldsIsDestroyedAfterTheTickThatRemovedIt)
{
	CHeadlessScene scene;
	for (int i = 0; i < 3; ++i)
	{
		GCarNode* car = new GCarNode(fw::ContentReference(), scene.scene.get(), nullptr);
		car->drop();
		car->setVelocity(100.f + 50.f * static_cast<fw::f32>(i));
		car->start(points({{0.f, 0.f}, {10.f, 0.f}}), -1, false, false);
	}
	scene.draw();
	EXPECT_EQ(3u, scene.timers->getTimerCount());
	// Each leaves the tree from its own tick; the manager lets it go once the tick is over.
	scene.step(GCarNode::INTERVAL, 20);
	EXPECT_TRUE(scene.scene->getChildren().empty());
	EXPECT_EQ(0u, scene.timers->getTimerCount());
}

TEST(AmbientMovers, ATextTrailFliesAboveEverythingThenDiesAndGoes)
{
	CHeadlessScene scene;
	fw::CRefHolder<GTextTrailNode> trail = fw::adoptRef(new GTextTrailNode(fw::ContentReference(), nullptr, nullptr));
	fw::CRefHolder<fw::TextNode> text = fw::adoptRef(new fw::TextNode(fw::ContentReference(), nullptr, nullptr));
	text->setName("Text");
	trail->addChild(text.get());
	fw::CRefHolder<CRecordingNode> look = fw::adoptRef(new CRecordingNode("Look"));
	trail->addChild(look.get());
	trail->setText(L"+250");
	EXPECT_EQ(fw::core::stringw(L"+250"), text->getText());

	trail->setVelocity(200.f);
	trail->start(points({{100.f, 600.f}, {100.f, 400.f}}), -1, false, false);
	scene.scene->addChild(trail.get());
	look->log.clear();
	scene.draw();
	EXPECT_EQ(std::vector<std::string>({"enter Start"}), look->log);

	scene.step(GTextTrailNode::INTERVAL);
	EXPECT_EQ(GTextTrailNode::DEPTH, trail->getPosition().Z);
	EXPECT_EQ(vector2df(100.f, 598.f), at(trail.get()));
	// 200 units at 200 a second: one second in all.
	scene.step(GTextTrailNode::INTERVAL, 98);
	EXPECT_EQ(-1, trail->getWait());
	look->log.clear();
	scene.step(GTextTrailNode::INTERVAL);
	EXPECT_EQ(GTextTrailNode::DIE_TIME, trail->getWait());
	EXPECT_NE(look->log.end(), std::find(look->log.begin(), look->log.end(), "enter Die"));
	EXPECT_EQ(GTextTrailNode::DEPTH, trail->getPosition().Z);
	EXPECT_EQ(vector2df(100.f, 400.f), at(trail.get()));

	scene.step(GTextTrailNode::INTERVAL, GTextTrailNode::DIE_TIME / GTextTrailNode::INTERVAL - 1);
	EXPECT_EQ(scene.scene.get(), trail->getParent());
	scene.step(GTextTrailNode::INTERVAL);
	EXPECT_EQ(nullptr, trail->getParent());
	EXPECT_FALSE(trail->isTimerRunning());
}

TEST(AmbientMovers, TheRegistryKnowsTheClassesAndCopiesCarryThePedestriansRanges)
{
	fw::CRefHolder<fw::CNodeFactory> factory = fw::adoptRef(new fw::CNodeFactory);
	registerLevelNodeClasses(*factory);
	const std::pair<const wchar_t*, fw::s32> classes[] = {
		{L"GPathMovableNode", NODE_TYPE_GAME_PATH_MOVABLE},
		{L"GBirdNode", NODE_TYPE_GAME_BIRD},
		{L"GCarNode", NODE_TYPE_GAME_CAR},
		{L"GPedestrianNode", NODE_TYPE_GAME_PEDESTRIAN},
		{L"GTextTrailNode", NODE_TYPE_GAME_TEXT_TRAIL},
		{L"GEllipseSectorNode", NODE_TYPE_GAME_ELLIPSE_SECTOR},
		{L"GHOHintParticlesNode", NODE_TYPE_GAME_HO_HINT_PARTICLES},
		{L"GWeatherParticlesNode", NODE_TYPE_GAME_WEATHER_PARTICLES},
		{L"OnceSpawnerNode", NODE_TYPE_GAME_ONCE_SPAWNER},
	};
	for (const auto& entry : classes)
	{
		fw::CRefHolder<fw::BaseNode> node = fw::adoptRef(factory->create(entry.first, fw::ContentReference()));
		ASSERT_TRUE(node) << fw::core::stringc(entry.first).c_str();
		EXPECT_EQ(entry.second, node->getTypeId());
		EXPECT_TRUE(node->isOfType(0));
		const bool mover = (entry.second >= NODE_TYPE_GAME_BIRD && entry.second <= NODE_TYPE_GAME_TEXT_TRAIL) ||
			entry.second == NODE_TYPE_GAME_PATH_MOVABLE;
		EXPECT_EQ(mover, node->isOfType(NODE_TYPE_GAME_PATH_MOVABLE));
		EXPECT_EQ(fw::core::stringw(entry.first), fw::core::stringw(node->getClassName()));
	}

	// A scene file's walker binds its Body; its copies keep the spells of their template.
	const std::string file =
		"<SceneNode Type=\"GPedestrianNode\"><Properties><string Name=\"Name\" Value=\"Walker\"/>"
		"</Properties><SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Body\"/>"
		"</Properties></SceneNode></SceneNode>";
	fw::CRefHolder<fw::BaseNode> loaded = fw::adoptRef(
		fw::loadSceneFile(leveltest::readerOver(file).get(), factory.get(), fw::ContentReference(), "walker"));
	GPedestrianNode* walker = fw::nodeCast<GPedestrianNode>(loaded.get());
	ASSERT_NE(nullptr, walker);
	ASSERT_NE(nullptr, walker->getBody());
	EXPECT_EQ("Body", std::string(walker->getBody()->getName().c_str()));
	walker->setWalkTimeRange(vector2df(1.f, 2.f));
	walker->setStandTimeRange(vector2df(3.f, 4.f));
	walker->setLookTimeRange(vector2df(5.f, 6.f));
	walker->setVelocity(77.f);
	fw::CRefHolder<fw::BaseNode> copy = fw::adoptRef(walker->clone());
	GPedestrianNode* twin = fw::nodeCast<GPedestrianNode>(copy.get());
	ASSERT_NE(nullptr, twin);
	EXPECT_EQ(vector2df(1.f, 2.f), twin->getWalkTimeRange());
	EXPECT_EQ(vector2df(3.f, 4.f), twin->getStandTimeRange());
	EXPECT_EQ(vector2df(5.f, 6.f), twin->getLookTimeRange());
	// Nothing of the route travels with a copy.
	EXPECT_EQ(100.f, twin->getVelocity());
	ASSERT_NE(nullptr, twin->getBody());
	EXPECT_NE(walker->getBody(), twin->getBody());
}
} // namespace
