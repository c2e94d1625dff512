// Balloons, picture effects and spirals: each starts at the first drawing pass that reaches it,
// moves by its own law on its scene's clock, fades in its last second and leaves its parent when
// its life is over. Properties reach files only when they differ from their defaults.

#include "AmbientTestSupport.h"

#include "core/SineTable.h"
#include "minigames/GAmbientEffects.h"
#include "minigames/GShieldNodes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace ambienttest;
using fw::core::vector2df;
using fw::core::vector3df;

namespace
{
class AmbientEffects : public ::testing::Test
{
protected:
	AmbientEffects() { fw::CRandomGeneratorSingleton::Instance().seed(17); }

	CAmbientScene scene;
};

TEST_F(AmbientEffects, NothingStartsWithoutAPassOrOutsideAScene)
{
	const fw::CRefHolder<GBaloonNode> loose = scene.make<GBaloonNode>();
	loose->setLifeTime(1000);
	fw::RenderList list;
	loose->collectRenderables(list);
	EXPECT_FALSE(loose->isTimerRunning()) << "no scene, no timer manager";

	GBaloonNode* placed = scene.place<GBaloonNode>();
	placed->setLifeTime(1000);
	scene.headless.step(30, 3);
	EXPECT_FALSE(placed->isTimerRunning()) << "not drawn yet";
	scene.headless.draw();
	EXPECT_TRUE(placed->isTimerRunning());
	EXPECT_EQ(1000, placed->getRemaining());
}

TEST_F(AmbientEffects, ABalloonTurnsAtItsWidthAndSetsItsDepthFromPlaceLifeAndSpeed)
{
	GBaloonNode* balloon = scene.place<GBaloonNode>(vector3df(300.f, 400.f, 0.f));
	balloon->setWidthRange(vector2df(50.f, 50.f));
	balloon->setXVelocityRange(vector2df(20.f, 20.f));
	balloon->setYVelocityRange(vector2df(-10.f, -10.f));
	balloon->setLifeTime(100000);
	scene.headless.draw();
	ASSERT_EQ(20.f, std::fabs(balloon->getXVelocity()));
	EXPECT_EQ(vector3df(300.f, 400.f, 0.f), balloon->getStartPoint());

	int reversals = 0;
	fw::f32 widest = 0.f;
	for (int i = 0; i < 1000; ++i)
	{
		const fw::f32 before = balloon->getPosition().X;
		const fw::f32 vx = balloon->getXVelocity();
		scene.headless.step(30);
		// Tested before the move: the turn comes at the first step that starts 50 or more out.
		const bool out = std::fabs(before - 300.f) >= 50.f;
		ASSERT_EQ(out ? -vx : vx, balloon->getXVelocity()) << "step " << i;
		reversals += out ? 1 : 0;
		widest = std::max(widest, std::fabs(balloon->getPosition().X - 300.f));
		const vector3df& p = balloon->getPosition();
		ASSERT_NEAR((p.X + p.Y) * 0.0001f + balloon->getRemaining() * 0.01f - 10.f * 0.1f, p.Z, 1e-3f);
	}
	EXPECT_GE(reversals, 6);
	EXPECT_GE(widest, 50.f);
	EXPECT_LE(widest, 50.f + 2 * 0.6f + 1e-3f) << "it passes the turning point by a step at most";
	EXPECT_NEAR(400.f - 10.f * 30.f, balloon->getPosition().Y, 0.05f);
}

// Both risers accelerate only while their remaining life is above the start minus the draw.
TEST_F(AmbientEffects, AccelerationStopsAfterItsTime)
{
	struct SCase
	{
		const char* what;
		std::function<fw::BaseNode*(CAmbientScene&)> make;
	};
	const SCase cases[] = {
		{"balloon",
			[](CAmbientScene& s)
			{
				GBaloonNode* n = s.place<GBaloonNode>();
				n->setYAccelRange(vector2df(10.f, 10.f));
				n->setYAccelTimeRange(vector2df(2000.f, 2000.f));
				n->setLifeTime(10000);
				return n;
			}},
		{"picture effect",
			[](CAmbientScene& s)
			{
				GPicEffectNode* n = s.place<GPicEffectNode>();
				n->setAnimTime(0);
				n->setYAccelRange(vector2df(10.f, 10.f));
				n->setYAccelTimeRange(vector2df(2000.f, 2000.f));
				n->setLifeTime(10000);
				return n;
			}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		fw::BaseNode* node = c.make(scene);
		scene.headless.draw();
		// 66 steps of 30 ms leave more than 8000 ms: vy = 66 * 10 * 0.03.
		fw::f32 y = 0.f;
		fw::f32 vy = 0.f;
		for (int i = 1; i <= 100; ++i)
		{
			scene.headless.step(30);
			if (i <= 66)
				vy += 10.f * 0.03f;
			y += vy * 0.03f;
			ASSERT_NEAR(y, node->getPosition().Y, 1e-2f) << "step " << i;
		}
		node->getParent()->removeChild(node);
	}
}

TEST_F(AmbientEffects, APictureSwaysOnASineAndStepsBackInTheMiddleHalf)
{
	GPicEffectNode* picture = scene.place<GPicEffectNode>(vector3df(200.f, 100.f, 0.f));
	picture->setWidthRange(vector2df(10.f, 10.f));
	picture->setLifeTime(100000);
	scene.headless.draw();
	struct SCase
	{
		int steps;   // total steps of 30 ms so far
		int degrees; // the sway's phase then
	};
	// 33 steps reach 990 ms; the 34th wraps to 0.
	const SCase cases[] = {{1, 10}, {3, 32}, {4, 43}, {10, 108}, {30, 324}, {33, 356}, {34, 0}, {37, 32}};
	int done = 0;
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.steps);
		scene.headless.step(30, static_cast<fw::u32>(c.steps - done));
		done = c.steps;
		const vector3df& p = picture->getPosition();
		EXPECT_NEAR(200.f - 10.f * fw::sinDegrees(c.degrees), p.X, 1e-4f);
		EXPECT_EQ(100.f, p.Y);
		const bool behind = c.degrees >= 91 && c.degrees <= 269;
		EXPECT_NEAR(100.f * 0.00001f - (behind ? 0.1f : 0.f), p.Z, 1e-6f);
	}
}

TEST_F(AmbientEffects, ASpiralCirclesWidensAndSpins)
{
	struct SCase
	{
		const char* what;
		vector2df r, rVelocity, angle, angleVelocity;
		fw::f32 radiusAfter1s;
		fw::f32 angleAfter1s;
	};
	const SCase cases[] = {
		{"constant radius", {10.f, 10.f}, {0.f, 0.f}, {0.f, 0.f}, {1.f, 1.f}, 10.f, 1.f},
		{"along a ray", {10.f, 10.f}, {5.f, 5.f}, {0.5f, 0.5f}, {0.f, 0.f}, 15.f, 0.5f},
		{"widening spiral", {0.f, 0.f}, {20.f, 20.f}, {0.f, 0.f}, {3.14159265f, 3.14159265f}, 20.f, 3.14159265f},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		GSpiralMovableNode* spiral = scene.place<GSpiralMovableNode>(vector3df(50.f, 60.f, 7.f));
		spiral->setRRange(c.r);
		spiral->setRVelocityRange(c.rVelocity);
		spiral->setAngleRange(c.angle);
		spiral->setAngleVelocityRange(c.angleVelocity);
		spiral->setRotVelocityRange(vector2df(90.f, 90.f));
		spiral->setLifeTime(100000);
		scene.headless.draw();
		EXPECT_EQ(vector3df(50.f, 60.f, 7.f), spiral->getCentre());
		EXPECT_NEAR(50.f + c.r.X * std::cos(c.angle.X), spiral->getPosition().X, 1e-4f) << "placed at once";
		// 1020 ms: 34 steps.
		scene.headless.step(30, 34);
		const fw::f32 r = c.radiusAfter1s + c.rVelocity.X * 0.02f;
		const fw::f32 a = c.angleAfter1s + c.angleVelocity.X * 0.02f;
		EXPECT_NEAR(50.f + r * std::cos(a), spiral->getPosition().X, 1e-3f);
		EXPECT_NEAR(60.f + r * std::sin(a), spiral->getPosition().Y, 1e-3f);
		EXPECT_EQ(7.f, spiral->getPosition().Z);
		EXPECT_NEAR(90.f * 1.02f, spiral->getRotation().Z, 1e-3f);
		spiral->getParent()->removeChild(spiral);
	}
}

// The scene alone holds each node: its end from its own tick must leave nothing behind (ASan).
TEST_F(AmbientEffects, LifeFadesTheLastSecondAndEndsTheNodeOnce)
{
	struct SCase
	{
		const char* what;
		std::function<GAmbientNode*(CAmbientScene&, fw::s32)> make;
	};
	const SCase cases[] = {
		{"balloon",
			[](CAmbientScene& s, fw::s32 life)
			{
				GBaloonNode* n = s.place<GBaloonNode>();
				n->setLifeTime(life);
				return n;
			}},
		{"picture effect",
			[](CAmbientScene& s, fw::s32 life)
			{
				GPicEffectNode* n = s.place<GPicEffectNode>();
				n->setLifeTime(life);
				return n;
			}},
		{"spiral",
			[](CAmbientScene& s, fw::s32 life)
			{
				GSpiralMovableNode* n = s.place<GSpiralMovableNode>();
				n->setLifeTime(life);
				return n;
			}},
		{"shield star",
			[](CAmbientScene& s, fw::s32 life)
			{
				GShieldStarNode* n = s.place<GShieldStarNode>();
				n->setLifeTime(life);
				return n;
			}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		GAmbientNode* node = c.make(scene, 500);
		node->setTintColor(fw::video::SColor(255, 10, 20, 30));
		scene.headless.draw();
		scene.headless.step(30);
		// 470 / 1000 * 255 = 119.85.
		EXPECT_EQ(fw::video::SColor(120, 10, 20, 30), node->getTintColor());
		scene.headless.step(30, 15);
		EXPECT_EQ(20, node->getRemaining());
		EXPECT_EQ(5u, node->getTintColor().getAlpha());
		EXPECT_EQ(1u, scene.headless.scene->getChildren().size());
		scene.headless.step(30);
		EXPECT_TRUE(scene.headless.scene->getChildren().empty()) << "ended when life fell below 1";
		scene.headless.step(30, 3);

		// LifeTime 0 (the default) ends the node at its first step.
		c.make(scene, 0);
		scene.headless.draw();
		scene.headless.step(30);
		EXPECT_TRUE(scene.headless.scene->getChildren().empty());
	}
}

TEST_F(AmbientEffects, ANodeHeldElsewhereLeavesItsParentAndItsTimerStops)
{
	fw::CRefHolder<GBaloonNode> balloon = scene.make<GBaloonNode>();
	balloon->setLifeTime(60);
	scene.headless.scene->addChild(balloon.get());
	scene.headless.draw();
	scene.headless.step(30, 2);
	EXPECT_EQ(nullptr, balloon->getParent());
	EXPECT_FALSE(balloon->isTimerRunning());
	EXPECT_EQ(1, balloon->getReferenceCount()) << "only the test holds it once the manager has let go";
}

TEST_F(AmbientEffects, PropertiesAreWrittenWhenTheyDifferReadWithTheirTypeAndCopied)
{
	const fw::CRefHolder<GBaloonNode> balloon = scene.make<GBaloonNode>();
	const fw::CRefHolder<GPicEffectNode> picture = scene.make<GPicEffectNode>();
	const fw::CRefHolder<GSpiralMovableNode> spiral = scene.make<GSpiralMovableNode>();
	EXPECT_TRUE(written(balloon.get()).empty());
	EXPECT_TRUE(written(picture.get()).empty()) << "AnimTime 1000 is its default";
	EXPECT_TRUE(written(spiral.get()).empty());

	balloon->setWidthRange(vector2df(0.f, 4.f));
	balloon->setYAccelTimeRange(vector2df(100.f, 200.f));
	balloon->setLifeTime(5000);
	picture->setAnimTime(800);
	picture->setWidthRange(vector2df(3.f, 0.f));
	spiral->setAngleVelocityRange(vector2df(1.5f, 2.5f));
	EXPECT_EQ((std::vector<std::string>{"WidthRange=0.000000;4.000000", "YAccelTimeRange=100.000000;200.000000",
				  "LifeTime=5000"}),
		written(balloon.get()));
	EXPECT_EQ((std::vector<std::string>{"AnimTime=800", "WidthRange=3.000000;0.000000"}), written(picture.get()));
	EXPECT_EQ((std::vector<std::string>{"AngleVelocityRange=1.500000;2.500000"}), written(spiral.get()));

	const fw::CRefHolder<fw::CPropertyContainer> container = fw::adoptRef(new fw::CPropertyContainer(nullptr));
	balloon->writeProperties(container.get());
	const fw::CRefHolder<GBaloonNode> read = scene.make<GBaloonNode>();
	read->readProperties(container.get());
	EXPECT_EQ(vector2df(0.f, 4.f), read->getWidthRange());
	EXPECT_EQ(vector2df(100.f, 200.f), read->getYAccelTimeRange());
	EXPECT_EQ(5000, read->getLifeTime());

	// A pair of another type is (0, 0), an int of another type 0.
	const fw::CRefHolder<fw::CPropertyContainer> wrong = fw::adoptRef(new fw::CPropertyContainer(nullptr));
	wrong->setFloat("WidthRange", 3.f);
	wrong->setFloat("LifeTime", 2.f);
	read->readProperties(wrong.get());
	EXPECT_EQ(vector2df(0.f, 0.f), read->getWidthRange());
	EXPECT_EQ(0, read->getLifeTime());

	// A copy of a started node takes the properties and draws its own motion at its own start.
	spiral->setRRange(vector2df(5.f, 50.f));
	spiral->setLifeTime(9000);
	scene.headless.scene->addChild(spiral.get());
	scene.headless.draw();
	const fw::CRefHolder<fw::BaseNode> copyNode = fw::adoptRef(spiral->clone());
	GSpiralMovableNode* copy = fw::nodeCast<GSpiralMovableNode>(copyNode.get());
	ASSERT_NE(nullptr, copy);
	EXPECT_FALSE(copy->isTimerRunning());
	EXPECT_EQ(vector2df(5.f, 50.f), copy->getRRange());
	EXPECT_EQ(9000, copy->getLifeTime());
	scene.headless.scene->addChild(copy);
	scene.headless.draw();
	EXPECT_TRUE(copy->isTimerRunning());
	EXPECT_NE(spiral->getRadius(), copy->getRadius());
	scene.headless.scene->removeAllChildren();
}
} // namespace
