// The circling bird, the firework, the shield effect and star, the lake wave: each law on a clock
// stepped by hand, with seeded draws.

#include "AmbientTestSupport.h"

#include "core/CAnimatorState.h"
#include "core/SceneFile.h"
#include "core/StateItem.h"
#include "level/LevelTestSupport.h"
#include "level/nodes/GFacing.h"
#include "minigames/GAmbientEffects.h"
#include "minigames/GBirdFireworkNodes.h"
#include "minigames/GLakeWaveNode.h"
#include "minigames/GShieldNodes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace ambienttest;
using fw::core::vector2df;
using fw::core::vector3df;

namespace
{
constexpr fw::f32 K = 3.14159265f / 180.f;

class AmbientFlights : public ::testing::Test
{
protected:
	AmbientFlights() { fw::CRandomGeneratorSingleton::Instance().seed(23); }

	// A template "Bird" whose Body has the eight facings and their flaps.
	void addBirdTemplate()
	{
		const fw::CRefHolder<fw::BaseNode> bird =
			fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, scene.headless.manager.get()));
		bird->setName("Bird");
		bird->setVisible(false);
		const fw::CRefHolder<fw::BaseNode> body =
			fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, scene.headless.manager.get()));
		body->setName("Body");
		for (const char* facing : {"Right", "RightUp", "Up", "LeftUp", "Left", "LeftDown", "Down", "RightDown"})
		{
			body->addState(fw::adoptRef(new fw::CAnimatorState(fw::nameId(facing))).get());
			body->addState(
				fw::adoptRef(new fw::CAnimatorState(fw::nameId((std::string(facing) + "_Flap").c_str()))).get());
		}
		bird->addChild(body.get());
		scene.collection->addTemplate(bird.get());
	}

	CAmbientScene scene;
};

TEST_F(AmbientFlights, ABirdCirclesTheSumOfTwoEllipsesFacingAlongItsWay)
{
	addBirdTemplate();
	GCircularBirdNode* node = scene.place<GCircularBirdNode>(vector3df(500.f, 300.f, 0.f));
	node->setEllipse2Size(vector2df(100.f, 50.f));
	node->setAngularVelocity1(0.f);
	node->setAngularVelocity2(30.f);
	scene.headless.draw();
	EXPECT_FALSE(node->isTimerRunning()) << "no template named yet";
	node->setBirdTemplate(fw::nameId("Bird"));
	scene.headless.draw();
	ASSERT_TRUE(node->isTimerRunning());
	fw::BaseNode* bird = node->getBird();
	ASSERT_NE(nullptr, bird);
	EXPECT_TRUE(bird->isTransient()) << "never written with the scene";
	EXPECT_GE(node->getFlapCountdown(), 4000);
	EXPECT_LT(node->getFlapCountdown(), 7000);

	const fw::f32 start = node->getAngle2();
	for (int i = 1; i <= 400; ++i)
	{
		scene.headless.step(30);
		const fw::f32 a = node->getAngle2();
		ASSERT_NEAR(start + 30.f * 0.03f * static_cast<fw::f32>(i), a, 1e-2f);
		ASSERT_NEAR(100.f * std::cos(a * K), bird->getPosition().X, 1e-2f);
		ASSERT_NEAR(50.f * std::sin(a * K), bird->getPosition().Y, 1e-2f);
		// Clockwise on screen: the tangent of the circle at angle2.
		const fw::s32 facing = directionStateName(-5000.f * std::sin(a * K), 5000.f * std::cos(a * K));
		ASSERT_EQ(facing, node->getDirectionStateId());
		const fw::s32 state = bird->getCurrentStateId();
		ASSERT_TRUE(state == facing || state == fw::nameId((movertest::nameOf(facing) + "_Flap").c_str()))
			<< movertest::nameOf(state);
	}
	// Round once every 12 s.
	EXPECT_NEAR(start + 360.f, node->getAngle2(), 1e-2f);

	// A copy finds its template again and flies a bird of its own.
	const fw::CRefHolder<fw::BaseNode> copyNode = fw::adoptRef(node->clone());
	GCircularBirdNode* copy = fw::nodeCast<GCircularBirdNode>(copyNode.get());
	ASSERT_NE(nullptr, copy);
	EXPECT_EQ(fw::nameId("Bird"), copy->getBirdTemplateID());
	EXPECT_EQ(nullptr, copy->getBird());
	scene.headless.scene->addChild(copy);
	scene.headless.draw();
	ASSERT_NE(nullptr, copy->getBird());
	EXPECT_NE(bird, copy->getBird());
	EXPECT_EQ((std::vector<std::string>{"BirdTemplateID=Bird", "Ellipse2Size=100.000000;50.000000",
				  "AngularVelocity1=0.000000", "AngularVelocity2=30.000000"}),
		written(node));
}

TEST_F(AmbientFlights, ABirdWithoutItsTemplateNeverStarts)
{
	GCircularBirdNode* node = scene.place<GCircularBirdNode>();
	node->setBirdTemplate(fw::nameId("Nowhere"));
	scene.headless.draw();
	scene.headless.step(30, 5);
	EXPECT_FALSE(node->isTimerRunning());
	EXPECT_TRUE(node->getChildren().empty());
}

TEST_F(AmbientFlights, AFireworkRisesSlowsToAStopThenBoostsAndLeaves)
{
	const fw::CRefHolder<movertest::CRecordingNode> spark = fw::adoptRef(new movertest::CRecordingNode("Spark"));
	GFireworkNode* firework = scene.place<GFireworkNode>(vector3df(400.f, 500.f, 1.f));
	firework->addChild(spark.get());
	firework->setVelocityYRange(vector2df(-300.f, -300.f));
	firework->setAcceleration(vector2df(0.f, 200.f));
	firework->setMoveTimeRange(vector2df(1500.f, 1500.f));
	scene.headless.draw();
	const vector3df start = firework->getPosition();
	EXPECT_LE(std::fabs(start.X - 400.f), 10.f);
	EXPECT_LE(std::fabs(start.Y - 500.f), 5.f);
	EXPECT_EQ(2001.f, start.Z);
	EXPECT_EQ(1500, firework->getMoveTime());
	EXPECT_EQ((std::vector<std::string>{"enter Up"}), spark->log);

	// 50 steps make 1500 ms: the flight time is spent but not yet below 0.
	scene.headless.step(30, 50);
	EXPECT_NEAR(0.f, firework->getYVelocity(), 1e-3f);
	// Rises 0.5 * 300 * 1.5 = 225, less what each step adds its speed change before it moves.
	EXPECT_NEAR(start.Y - 225.f + 0.5f * 200.f * 1.5f * 0.03f, firework->getPosition().Y, 0.05f);
	EXPECT_EQ(start.Z, firework->getPosition().Z);
	EXPECT_EQ(1u, scene.headless.scene->getChildren().size());

	scene.headless.step(30);
	EXPECT_EQ((std::vector<std::string>{"enter Up", "enter Boost"}), spark->log);
	EXPECT_TRUE(scene.headless.scene->getChildren().empty()) << "its children ended Boost at once";
	scene.headless.step(30, 3);
}

// The scene alone holds the firework, and its timer has long let go when the spark's animation
// ends: the firework's own handler of that end takes it out of the tree (ASan).
TEST_F(AmbientFlights, AFireworkLeavesFromTheEndOfItsChildrensBoost)
{
	const std::string file = "<SceneNode Type=\"GFireworkNode\"><Properties>"
							 "<vector2d Name=\"MoveTimeRange\" Value=\"60, 60\"/></Properties>"
							 "<SceneNode Type=\"BaseNode\"><States><State Name=\"Boost\">"
							 "<Animator Type=\"KeyFrame\"><Properties><color Name=\"TintColor\" Value=\"ffffffff\"/>"
							 "</Properties><KeyFrame t=\"0\" Value0=\"ffffffff\"/>"
							 "<KeyFrame t=\"300\" i=\"0\" Value0=\"00ffffff\"/></Animator>"
							 "</State></States></SceneNode></SceneNode>";
	fw::CRefHolder<fw::BaseNode> loaded = fw::adoptRef(
		fw::loadSceneFile(leveltest::readerOver(file).get(), scene.factory.get(), fw::ContentReference(), "firework"));
	ASSERT_NE(nullptr, fw::nodeCast<GFireworkNode>(loaded.get()));
	fw::BaseNode* spark = loaded->getChildren()[0];
	scene.headless.scene->addChild(loaded.get());
	loaded.release();
	scene.headless.draw();
	scene.headless.step(30, 3);
	ASSERT_EQ(1u, scene.headless.scene->getChildren().size()) << "the spark is still boosting";
	EXPECT_EQ(fw::nameId("Boost"), spark->getCurrentStateId());
	scene.headless.step(30, 12);
	EXPECT_TRUE(scene.headless.scene->getChildren().empty());
	scene.headless.step(30, 3);
}

TEST_F(AmbientFlights, AShieldStartsOnTheRingAndGlidesOnItsPowerCurve)
{
	// Start points over many nodes: inside the outer rectangle, outside the inner one, all four bands.
	std::set<int> bands;
	for (int i = 0; i < 200; ++i)
	{
		GShieldEffectNode* shield = scene.place<GShieldEffectNode>();
		shield->setArea1Rect1Size(vector2df(800.f, 600.f));
		shield->setArea1Rect2Size(vector2df(600.f, 400.f));
		scene.headless.draw();
		const vector3df& p = shield->getStartPoint();
		ASSERT_LE(std::fabs(p.X), 400.f);
		ASSERT_LE(std::fabs(p.Y), 300.f);
		ASSERT_TRUE(std::fabs(p.X) >= 300.f || std::fabs(p.Y) >= 200.f) << p.X << ", " << p.Y;
		bands.insert(p.X <= -300.f ? 0 : p.X >= 300.f ? 2 : p.Y < 0.f ? 1 : 3);
		scene.headless.scene->removeChild(shield);
	}
	EXPECT_EQ(4u, bands.size());

	struct SCase
	{
		fw::f32 power;
		fw::f32 fractionAt510;
	};
	const SCase cases[] = {{1.f, 0.51f}, {2.f, 0.2601f}, {0.5f, 0.71414f}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.power);
		GShieldEffectNode* shield = scene.place<GShieldEffectNode>();
		shield->setArea1Rect1Size(vector2df(800.f, 600.f));
		shield->setArea1Rect2Size(vector2df(600.f, 400.f));
		shield->setArea2RectSize(vector2df(100.f, 60.f));
		shield->setVelocityPower(c.power);
		shield->setMovingTime(1000);
		shield->setDisappearWaitTime(60);
		shield->setDisappearTime(300);
		scene.headless.draw();
		const vector3df a = shield->getStartPoint();
		const vector3df b = shield->getEndPoint();
		EXPECT_LE(std::fabs(b.X), 50.f);
		EXPECT_LE(std::fabs(b.Y), 30.f);
		EXPECT_EQ(b.X + b.Y + 100.f, b.Z);
		EXPECT_EQ(a, shield->getPosition());
		scene.headless.step(30, 17);
		const vector3df& p = shield->getPosition();
		EXPECT_NEAR(a.X + c.fractionAt510 * (b.X - a.X), p.X, 1e-2f);
		EXPECT_NEAR(a.Y + c.fractionAt510 * (b.Y - a.Y), p.Y, 1e-2f);
		EXPECT_NEAR(p.X + p.Y + 100.f, p.Z, 1e-3f);
		// 1020 ms: at the end point exactly, waiting.
		scene.headless.step(30, 17);
		EXPECT_EQ(b, shield->getPosition());
		EXPECT_EQ(GShieldEffectNode::PHASE_WAITING, shield->getPhase());
		scene.headless.step(30, 2);
		EXPECT_EQ(GShieldEffectNode::PHASE_FADING, shield->getPhase());
		scene.headless.step(30, 5);
		// 150 of 300 ms: 255 - 127.5 rounded up.
		EXPECT_EQ(127u, shield->getTintColor().getAlpha());
		scene.headless.step(30, 5);
		EXPECT_TRUE(scene.headless.scene->getChildren().empty());
	}
}

TEST_F(AmbientFlights, AStarAcceleratesOnlyStrictlyInsideItsWindows)
{
	GShieldStarNode* star = scene.place<GShieldStarNode>(vector3df(10.f, 20.f, 3.f));
	star->setAccel1StartTimeRange(vector2df(300.f, 300.f));
	star->setAccel1EndTimeRange(vector2df(480.f, 480.f));
	star->setAccel1Range(vector2df(-500.f, -500.f));
	star->setAccel2StartTimeRange(vector2df(600.f, 600.f));
	star->setAccel2EndTimeRange(vector2df(660.f, 660.f));
	star->setAccel2Range(vector2df(1000.f, 1000.f));
	star->setVelocityRange(vector2df(400.f, 400.f));
	star->setVelocityAngleRange(vector2df(90.f, 90.f));
	star->setAngularVelocityRange(vector2df(100.f, 100.f));
	star->setLifeTime(10000);
	scene.headless.draw();
	struct SCase
	{
		int step;
		fw::f32 speed;
	};
	// Window 1 holds the steps that leave 9670 to 9550 ms (11 to 15; 10 and 16 land on its bounds),
	// window 2 the one that leaves 9370 (step 21).
	const SCase cases[] = {{10, 400.f}, {11, 385.f}, {15, 325.f}, {16, 325.f}, {20, 325.f}, {21, 355.f}, {22, 355.f}};
	int done = 0;
	fw::f32 y = 20.f;
	fw::f32 speed = 400.f;
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.step);
		for (; done < c.step; ++done)
		{
			scene.headless.step(30);
			y += star->getSpeed() * 0.03f;
		}
		speed = c.speed;
		EXPECT_NEAR(speed, star->getSpeed(), 1e-3f);
		EXPECT_NEAR(10.f, star->getPosition().X, 1e-3f) << "straight down the screen";
		EXPECT_NEAR(y, star->getPosition().Y, 1e-2f);
		EXPECT_NEAR(100.f * 0.03f * static_cast<fw::f32>(c.step), star->getRotation().Z, 1e-3f);
	}
	EXPECT_EQ((std::vector<std::string>{"Accel1StartTimeRange=300.000000;300.000000",
				  "Accel1EndTimeRange=480.000000;480.000000", "Accel2StartTimeRange=600.000000;600.000000",
				  "Accel2EndTimeRange=660.000000;660.000000", "VelocityRange=400.000000;400.000000",
				  "VelocityAngleRange=90.000000;90.000000", "Accel1Range=-500.000000;-500.000000",
				  "Accel2Range=1000.000000;1000.000000", "AngularVelocityRange=100.000000;100.000000",
				  "LifeTime=10000"}),
		written(star));
}

TEST_F(AmbientFlights, ALakeWaveDriftsFadesLeavesAndBlinksItsStar)
{
	GLakeWaveNode* lake = scene.place<GLakeWaveNode>(vector3df(0.f, 0.f, 0.f));
	const fw::CRefHolder<fw::BaseNode> wave = fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr));
	wave->setName("Wave");
	wave->addState(fw::adoptRef(new fw::CAnimatorState(fw::nameId("Normal"))).get());
	const fw::CRefHolder<fw::BaseNode> star = fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr));
	star->setName("Star");
	star->addState(fw::adoptRef(new fw::CAnimatorState(fw::nameId("Blink"))).get());
	lake->addChild(wave.get());
	lake->addChild(star.get());
	lake->onInit();
	lake->setBounds(vector3df(200.f, 40.f, 0.f));
	lake->setVelocity(vector3df(10.f, 0.f, 0.f));
	lake->setLifeTime(3000);
	lake->setStarBlinkRange(vector2df(300.f, 600.f));
	EXPECT_TRUE(written(lake).size() == 3u);
	scene.headless.draw();
	ASSERT_TRUE(lake->isTimerRunning());
	EXPECT_EQ(GLakeWaveNode::nameIdNormal(), wave->getCurrentStateId());
	EXPECT_FALSE(star->isVisible());
	EXPECT_GE(lake->getStarCountdown(), 500);
	EXPECT_LT(lake->getStarCountdown(), 600);

	int blinks = 0;
	for (int i = 1; i < 50; ++i)
	{
		const fw::s32 countdown = lake->getStarCountdown();
		scene.headless.step(60);
		ASSERT_NEAR(0.6f * static_cast<fw::f32>(i), lake->getPosition().X, 1e-3f);
		// Opaque white until less than 1500 ms remain, then alpha 255 * left / 1500.
		const fw::s32 left = 3000 - 60 * i;
		const fw::u32 alpha = left < 1500 ? static_cast<fw::u32>(255 * left / 1500) : 255u;
		ASSERT_EQ(fw::video::SColor(alpha, 255, 255, 255), lake->getTintColor()) << "step " << i;
		if (countdown <= 60)
		{
			++blinks;
			EXPECT_TRUE(star->isVisible());
			EXPECT_EQ(GLakeWaveNode::nameIdBlink(), star->getCurrentStateId());
			EXPECT_GE(star->getPosition().X, 0.f);
			EXPECT_LT(star->getPosition().X, 200.f);
			EXPECT_LT(star->getPosition().Y, 40.f);
			EXPECT_EQ(1.f, star->getPosition().Z);
			EXPECT_GE(lake->getStarCountdown(), countdown + 300 - 1);
			EXPECT_LT(lake->getStarCountdown(), countdown + 600);
		}
	}
	EXPECT_GE(blinks, 4);
	EXPECT_EQ(1u, scene.headless.scene->getChildren().size());
	scene.headless.step(60);
	EXPECT_TRUE(scene.headless.scene->getChildren().empty()) << "60 ms left at a 60 ms step";
	scene.headless.step(60, 2);

	// Without a limit it never fades nor leaves; defaults are not written.
	for (fw::s32 life : {-1, 0})
	{
		GLakeWaveNode* endless = scene.place<GLakeWaveNode>();
		EXPECT_TRUE(written(endless).empty());
		endless->setLifeTime(life);
		scene.headless.draw();
		scene.headless.step(60, 100);
		EXPECT_EQ(255u, endless->getTintColor().getAlpha());
		EXPECT_EQ(endless, scene.headless.scene->getChildren()[0]);
		scene.headless.scene->removeAllChildren();
	}
}
TEST_F(AmbientFlights, WavesSideBySideStartTheirAnimationAtDifferentPoints)
{
	const std::string file = "<SceneNode Type=\"GLakeWaveNode\"><SceneNode Type=\"BaseNode\"><Properties>"
							 "<string Name=\"Name\" Value=\"Wave\"/></Properties><States><State Name=\"Normal\">"
							 "<Animator Type=\"KeyFrame\"><Properties><color Name=\"TintColor\" Value=\"ffffffff\"/>"
							 "</Properties><KeyFrame t=\"0\" Value0=\"ffffffff\"/>"
							 "<KeyFrame t=\"1000\" i=\"0\" Value0=\"00ffffff\"/></Animator>"
							 "</State></States></SceneNode></SceneNode>";
	std::set<fw::u32> starts;
	for (int i = 0; i < 4; ++i)
	{
		const fw::CRefHolder<fw::BaseNode> loaded = fw::adoptRef(
			fw::loadSceneFile(leveltest::readerOver(file).get(), scene.factory.get(), fw::ContentReference(), "lake"));
		GLakeWaveNode* lake = fw::nodeCast<GLakeWaveNode>(loaded.get());
		ASSERT_NE(nullptr, lake);
		ASSERT_NE(nullptr, lake->getWave()) << "bound when loaded";
		scene.headless.scene->addChild(lake);
		scene.headless.draw();
		const fw::CAnimatorState* normal = lake->getWave()->getCurrentState();
		ASSERT_NE(nullptr, normal);
		ASSERT_EQ(1u, normal->getAnimatorCount());
		const fw::u32 at = normal->getAnimator(0)->getCurrentTime();
		EXPECT_LT(at, 1000u);
		starts.insert(at);
	}
	EXPECT_GE(starts.size(), 3u);
	scene.headless.scene->removeAllChildren();
}

// A node that takes another out of the scene from its own tick, while the manager walks its timers.
class CRemovingNode : public GAmbientNode
{
public:
	CRemovingNode() : GAmbientNode(fw::ContentReference(), nullptr, nullptr) {}
	bool onTimer(fw::u32) override
	{
		if (victim && victim->getParent())
			victim->getParent()->removeChild(victim);
		victim = nullptr;
		++ticks;
		return true;
	}
	void onStart() override {}

	fw::BaseNode* victim = nullptr;
	int ticks = 0;
};

TEST_F(AmbientFlights, ANodeTakenAwayByAnotherDuringTheWalkIsNotCalledAgain)
{
	for (bool victimFirst : {true, false})
	{
		SCOPED_TRACE(victimFirst);
		GSpiralMovableNode* spiral = nullptr;
		if (victimFirst)
			spiral = scene.place<GSpiralMovableNode>();
		const fw::CRefHolder<CRemovingNode> remover = fw::adoptRef(new CRemovingNode);
		scene.headless.scene->addChild(remover.get());
		if (!victimFirst)
			spiral = scene.place<GSpiralMovableNode>();
		spiral->setLifeTime(100000);
		remover->victim = spiral;
		scene.headless.draw();
		ASSERT_TRUE(spiral->isTimerRunning());
		// The scene held the spiral alone: it goes with its removal, in the middle of the walk.
		scene.headless.step(30, 3);
		EXPECT_EQ(3, remover->ticks);
		EXPECT_EQ(1u, scene.headless.scene->getChildren().size());
		scene.headless.scene->removeAllChildren();
	}
}
// A turn in the middle of a wing beat goes on with the beat in the new facing, at the same phase.
TEST_F(AmbientFlights, ATurnDuringAFlapKeepsTheBeat)
{
	std::string states;
	for (const char* facing : {"Right", "RightUp", "Up", "LeftUp", "Left", "LeftDown", "Down", "RightDown"})
		states += std::string("<State Name=\"") + facing + "\"/><State Name=\"" + facing + "_Flap\" NextState=\"" +
			facing +
			"\"><Animator Type=\"KeyFrame\"><Properties><color Name=\"TintColor\" Value=\"ffffffff\"/>"
			"</Properties><KeyFrame t=\"0\" Value0=\"ffffffff\"/><KeyFrame t=\"600\" i=\"0\" "
			"Value0=\"80ffffff\"/></Animator></State>";
	const std::string file = "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Bird\"/>"
							 "</Properties><SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" "
							 "Value=\"Body\"/></Properties><States>" +
		states + "</States></SceneNode></SceneNode>";
	const fw::CRefHolder<fw::BaseNode> birdTemplate = fw::adoptRef(
		fw::loadSceneFile(leveltest::readerOver(file).get(), scene.factory.get(), fw::ContentReference(), "bird"));
	ASSERT_NE(nullptr, birdTemplate.get());
	scene.collection->addTemplate(birdTemplate.get());

	GCircularBirdNode* node = scene.place<GCircularBirdNode>();
	node->setEllipse2Size(vector2df(100.f, 100.f));
	node->setAngularVelocity1(0.f);
	node->setAngularVelocity2(200.f);
	node->setBirdTemplate(fw::nameId("Bird"));
	scene.headless.draw();
	fw::BaseNode* bird = node->getBird();
	ASSERT_NE(nullptr, bird);
	auto flapTime = [bird]() -> int
	{
		const fw::CAnimatorState* state = bird->getCurrentState();
		if (!state || state->getAnimatorCount() == 0 || !state->getAnimator(0)->isRunning())
			return -1;
		return static_cast<int>(state->getAnimator(0)->getCurrentTime());
	};
	int turnsInBeat = 0;
	int flaps = 0;
	for (int i = 0; i < 1000; ++i)
	{
		const fw::s32 facing = node->getDirectionStateId();
		const int before = flapTime();
		scene.headless.step(30);
		const int after = flapTime();
		if (before < 0 && after >= 0)
			++flaps;
		if (before >= 0 && node->getDirectionStateId() != facing)
		{
			++turnsInBeat;
			EXPECT_EQ(movertest::nameOf(node->getDirectionStateId()) + "_Flap",
				movertest::nameOf(bird->getCurrentStateId()));
			EXPECT_GE(after, before) << "the beat goes on from where it was";
			EXPECT_LE(after, before + 60);
		}
	}
	// 30 s: a flap every 4 to 7 s.
	EXPECT_GE(flaps, 4);
	EXPECT_LE(flaps, 8);
	EXPECT_GE(turnsInBeat, 1);
}
} // namespace
