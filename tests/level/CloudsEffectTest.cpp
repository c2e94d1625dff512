// The clouds over a fixture level: three at once, a fourth at the first step and one about every
// ten seconds, each drifting from the top or right edge down to the left and leaving at the far
// side; missing templates make nothing, and the effect takes its clouds with it.

#include "TrafficTestSupport.h"

#include "level/nodes/GPathMovableNode.h"
#include "level/scene/GCloudsEffect.h"
#include "platform/CRandomGenerator.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace traffictest;
using fw::core::vector2df;

namespace
{
// Where every cloud heads: 1500 units at 150 degrees below the x axis.
const vector2df kDrift(-1299.0381f, 750.f);

class Clouds : public ::testing::Test
{
protected:
	Clouds()
	{
		fw::CRandomGeneratorSingleton::Instance().seed(3);
		for (const char* name : {"Cloud1", "Cloud2", "Cloud3"})
			level.addTemplate<GPathMovableNode>(name);
	}

	fw::CRefHolder<GCloudsEffect> makeEffect()
	{
		return fw::adoptRef(new GCloudsEffect(level.cargos.get(), level.collection.get()));
	}

	static vector2df at(const fw::BaseNode* node) { return vector2df(node->getPosition().X, node->getPosition().Y); }

	CTrafficLevel level;
};

TEST_F(Clouds, ThreeAtOnceAFourthAtTheFirstStepThenOneEveryTenSeconds)
{
	const fw::CRefHolder<GCloudsEffect> clouds = makeEffect();
	ASSERT_EQ(3u, clouds->getCloudCount());
	EXPECT_EQ(3u, level.carCount());
	ASSERT_EQ(1u, level.cargos->getPostListeners().size());
	EXPECT_EQ(clouds.get(), level.cargos->getPostListeners()[0]);
	EXPECT_EQ(0.f, clouds->getProgress());

	EXPECT_TRUE(clouds->update(20));
	EXPECT_EQ(4u, clouds->getCloudCount());
	EXPECT_EQ(10000u, clouds->getCountdown());
	// The countdown reaches the step at step 500; the next cloud comes at step 501, 10020 ms
	// after the fourth, and so on.
	const fw::u32 spawns[] = {501, 1002, 1503};
	fw::u32 step = 1;
	fw::u32 expected = 4;
	for (fw::u32 spawn : spawns)
	{
		for (++step; step < spawn; ++step)
			clouds->update(20);
		EXPECT_EQ(expected, clouds->getCloudCount()) << "before step " << spawn;
		clouds->update(20);
		EXPECT_EQ(++expected, clouds->getCloudCount()) << "at step " << spawn;
	}

	for (fw::u32 i = 0; i < clouds->getCloudCount(); ++i)
	{
		SCOPED_TRACE(i);
		const GPathMovableNode* cloud = clouds->getCloud(i);
		EXPECT_EQ(level.cargos.get(), cloud->getParent());
		EXPECT_TRUE(cloud->isVisible());
		const fw::f32 speed = cloud->getVelocity();
		EXPECT_EQ(std::floor(speed), speed);
		EXPECT_GE(speed, 30.f);
		EXPECT_LE(speed, 39.f);
		// From the top edge (y -50, x across the map) or the right edge (x 1074, y 0 to 550).
		const vector2df start = cloud->getSegmentStart();
		const bool top = start.Y == -50.f && start.X >= 0.f && start.X < 1024.f;
		const bool right = start.X == 1074.f && start.Y >= 0.f && start.Y < 550.f;
		EXPECT_TRUE(top || right) << start.X << ", " << start.Y;
		EXPECT_NEAR(start.X + kDrift.X, cloud->getSegmentTarget().X, 0.01f);
		EXPECT_NEAR(start.Y + kDrift.Y, cloud->getSegmentTarget().Y, 0.01f);
		EXPECT_EQ(GCloudsEffect::nameIdMovingTo(), cloud->getEndStateId());
	}
}

TEST_F(Clouds, ACloudLeavesWhenItReachesTheFarSide)
{
	const fw::CRefHolder<GCloudsEffect> clouds = makeEffect();
	const fw::CRefHolder<GPathMovableNode> first(clouds->getCloud(0));
	const vector2df end = first->getSegmentTarget();
	// 1500 units at the cloud's speed, in 20 ms steps.
	const int steps = static_cast<int>(std::ceil(1500.f / (first->getVelocity() * 0.02f)));
	for (int i = 0; i < steps - 2; ++i)
		clouds->update(20);
	EXPECT_EQ(level.cargos.get(), first->getParent());
	EXPECT_EQ(first.get(), clouds->getCloud(0));
	for (int i = 0; i < 3; ++i)
		clouds->update(20);
	EXPECT_EQ(nullptr, first->getParent());
	for (fw::u32 i = 0; i < clouds->getCloudCount(); ++i)
		EXPECT_NE(first.get(), clouds->getCloud(i));
	EXPECT_EQ(1, first->getReferenceCount()) << "only the test holds it now";
	EXPECT_NEAR(end.X, first->getPosition().X, 0.01f);
	EXPECT_NEAR(end.Y, first->getPosition().Y, 0.01f);
}

TEST_F(Clouds, OtherArrivalsAreNotTheEffectsAndCloudsTakenAwayAreForgotten)
{
	const fw::CRefHolder<GCloudsEffect> clouds = makeEffect();
	// A work vehicle that ends its route under the cargos node with the same end state.
	const fw::CRefHolder<GPathMovableNode> bus =
		fw::adoptRef(new GPathMovableNode(fw::ContentReference(), nullptr, nullptr));
	level.cargos->addChild(bus.get());
	fw::core::array<vector2df> route;
	route.push_back(vector2df(0.f, 0.f));
	route.push_back(vector2df(10.f, 0.f));
	bus->start(route, GCloudsEffect::nameIdMovingTo(), false, false);
	bus->update(1000);
	EXPECT_EQ(level.cargos.get(), bus->getParent());
	EXPECT_EQ(3u, clouds->getCloudCount());

	// A cloud that someone else takes off the map is dropped at the next step.
	const fw::CRefHolder<GPathMovableNode> taken(clouds->getCloud(1));
	level.cargos->removeChild(taken.get());
	clouds->update(20);
	EXPECT_EQ(3u, clouds->getCloudCount()) << "one gone, one new";
	for (fw::u32 i = 0; i < clouds->getCloudCount(); ++i)
		EXPECT_NE(taken.get(), clouds->getCloud(i));
	EXPECT_EQ(1, taken->getReferenceCount());
}

TEST_F(Clouds, TheEffectTakesItsCloudsAwayAndLeavesTheCargosNode)
{
	fw::CRefHolder<GCloudsEffect> clouds = makeEffect();
	clouds->update(20);
	const fw::CRefHolder<fw::BaseNode> other = fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr));
	level.cargos->addChild(other.get());
	const fw::CRefHolder<GPathMovableNode> cloud(clouds->getCloud(0));
	clouds.release();
	EXPECT_TRUE(level.cargos->getPostListeners().empty());
	ASSERT_EQ(1u, level.carCount());
	EXPECT_EQ(other.get(), level.car(0));
	EXPECT_EQ(nullptr, cloud->getParent());
	EXPECT_EQ(1, cloud->getReferenceCount());
}

TEST_F(Clouds, MissingTemplatesMakeNoCloudsAndNoCollectionEndsTheEffect)
{
	struct SCase
	{
		const char* what;
		bool collection;
		bool moverTemplates;
		bool cargos;
		bool goesOn;
	};
	const SCase cases[] = {
		{"no template collection", false, true, true, false},
		{"templates that are not movers", true, false, true, true},
		{"no cargos node", true, true, false, true},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		CTrafficLevel other;
		for (const char* name : {"Cloud1", "Cloud2", "Cloud3"})
		{
			if (c.moverTemplates)
				other.addTemplate<GPathMovableNode>(name);
			else
				other.addTemplate<fw::BaseNode>(name);
		}
		const fw::CRefHolder<GCloudsEffect> clouds =
			fw::adoptRef(new GCloudsEffect(c.cargos ? other.cargos.get() : nullptr,
				c.collection ? other.collection.get() : nullptr));
		EXPECT_EQ(c.goesOn, clouds->update(20));
		EXPECT_EQ(0u, clouds->getCloudCount());
		EXPECT_EQ(0u, other.carCount());
		if (c.goesOn)
		{
			// The countdown goes on as if clouds had come.
			EXPECT_EQ(10000u, clouds->getCountdown());
			clouds->update(20);
			EXPECT_EQ(9980u, clouds->getCountdown());
		}
	}
	// The collection without those names at all.
	CTrafficLevel empty;
	const fw::CRefHolder<GCloudsEffect> clouds =
		fw::adoptRef(new GCloudsEffect(empty.cargos.get(), empty.collection.get()));
	EXPECT_TRUE(clouds->update(20));
	EXPECT_EQ(0u, clouds->getCloudCount());
}
} // namespace
