// The street traffic of a level on a small fixture level: which paths make cars, the first cars
// spread along the streets, the pauses between cars in whole steps, the templates taking turns,
// neutral cars making way for work vehicles, the passing cue and the end of a car's life.

#include "TrafficTestSupport.h"

#include "core/NodeCasts.h"
#include "level/nodes/GAmbientMovers.h"
#include "level/nodes/GCarNode.h"
#include "level/scene/GTrafficManager.h"
#include "platform/CRandomGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace traffictest;
using fw::core::vector2df;

namespace
{
fw::CRandomGenerator& randomGenerator()
{
	return fw::CRandomGeneratorSingleton::Instance();
}

// A path of the NeutralCar group along y from x0 to x1.
std::string neutralPath(const char* time, const char* cars, fw::f32 x0, fw::f32 x1, fw::f32 y = 500.f)
{
	return std::string("<Path ID=\"NeutralCar\" Time=\"") + time + "\" Cars=\"" + cars + "\"><p p=\"" +
		std::to_string(x0) + ", " + std::to_string(y) + "\"/><p p=\"" + std::to_string(x1) + ", " + std::to_string(y) +
		"\"/></Path>";
}

class Traffic : public ::testing::Test
{
protected:
	Traffic()
	{
		recordCue("GameCar");
		randomGenerator().seed(7);
		level.addTemplate<GCarNode>("CarA");
		level.addTemplate<GCarNode>("CarB");
		level.addTemplate<fw::BaseNode>("NotACar");
	}
	~Traffic() override
	{
		// The cars go first; they hold the manager.
		level.cargos->removeAllChildren();
	}

	void makeManager(fw::BaseNode* parent = nullptr)
	{
		traffic = fw::adoptRef(new GTrafficManager(level.level, parent ? parent : level.cargos.get()));
	}

	// One level step: the traffic, the cars' own clocks, then a drawing pass (cars start their
	// clocks at their first one).
	void tick(fw::u32 ms = 20)
	{
		traffic->update(ms);
		level.headless.step(ms);
		level.headless.draw();
	}

	std::string templateOf(const fw::BaseNode* car) const { return car->getName().c_str(); }

	CTrafficLevel level;
	fw::CRefHolder<GTrafficManager> traffic;
};

TEST_F(Traffic, OnlyNeutralPathsWithCarsPausesAndARouteMakeCars)
{
	level.setPaths(neutralPath("0, 0", "CarA", 0.f, 100.f) +                                 // no pause
		neutralPath("1000, 2000", "", 0.f, 100.f) +                                          // no car
		"<Path ID=\"NeutralCar\" Time=\"1000, 2000\" Cars=\"CarA\"><p p=\"5, 5\"/></Path>" + // no route
		neutralPath("6000, 3000", "CarA; CarB", 0.f, 100.f) +                                // written largest first
		neutralPath("-500, 800", "CarB", 0.f, 100.f) +                                       // a negative pause is none
		"<Path ID=\"Place1\" Time=\"1000, 2000\" Cars=\"CarA\"><p p=\"0, 0\"/><p p=\"9, 9\"/></Path>");
	makeManager();
	const std::vector<GTrafficManager::SCarPath>& paths = traffic->getCarPaths();
	ASSERT_EQ(2u, paths.size());
	EXPECT_EQ(3000, paths[0].minTime);
	EXPECT_EQ(6000, paths[0].maxTime);
	EXPECT_EQ(0, paths[1].minTime);
	EXPECT_EQ(800, paths[1].maxTime);
	for (const GTrafficManager::SCarPath& entry : paths)
	{
		EXPECT_GE(entry.countdown, 0);
		EXPECT_LT(entry.countdown, entry.maxTime);
		EXPECT_EQ(0, entry.lastCar);
	}
	EXPECT_TRUE(traffic->isFirstUpdatePending());
	tick();
	EXPECT_FALSE(traffic->isFirstUpdatePending());
}

TEST_F(Traffic, BuiltBeforeItsNodeJoinsAScene_TheFirstPausesAreDrawnAtTheFirstUpdate)
{
	level.setPaths(neutralPath("3000, 6000", "CarA", 0.f, 100.f) + neutralPath("0, 800", "CarB", 0.f, 100.f));
	const fw::CRefHolder<fw::BaseNode> street =
		fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr));
	makeManager(street.get());
	const std::vector<GTrafficManager::SCarPath>& paths = traffic->getCarPaths();
	ASSERT_EQ(2u, paths.size());
	// Nothing to draw from yet: nothing drawn.
	EXPECT_EQ(6000, paths[0].countdown);
	EXPECT_EQ(800, paths[1].countdown);
	level.cargos->addChild(street.get());
	traffic->update(0);
	for (const GTrafficManager::SCarPath& entry : paths)
	{
		EXPECT_GE(entry.countdown, 0);
		EXPECT_LT(entry.countdown, entry.maxTime);
	}
}

TEST_F(Traffic, NoNeutralTrafficWithoutCargosNodeOrPathsButWorkVehiclesStillJoin)
{
	level.setPaths(neutralPath("20, 40", "CarA", 0.f, 100.f));
	struct SCase
	{
		const char* what;
		bool withParent;
		bool withPaths;
	};
	const SCase cases[] = {{"no parent node", false, true}, {"no paths", true, false}, {"neither", false, false}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		fw::CRefHolder<GLevelPaths> paths = level.level->paths;
		if (!c.withPaths)
			level.level->paths.release();
		traffic = fw::adoptRef(new GTrafficManager(level.level, c.withParent ? level.cargos.get() : nullptr));
		level.level->paths = paths;
		EXPECT_TRUE(traffic->getCarPaths().empty());

		const fw::CRefHolder<GPathMovableNode> bus =
			fw::adoptRef(new GPathMovableNode(fw::ContentReference(), nullptr, nullptr));
		bus->setTrafficManager(traffic.get(), true);
		for (int i = 0; i < 10; ++i)
			tick();
		EXPECT_EQ(0u, level.carCount());
		ASSERT_EQ(1u, traffic->getVehicles().size());
		EXPECT_TRUE(traffic->getVehicles()[0].priority);
		bus->setTrafficManager(nullptr, false);
		EXPECT_TRUE(traffic->getVehicles().empty());
	}
	// Without a level at all.
	traffic = fw::adoptRef(new GTrafficManager(nullptr, level.cargos.get()));
	EXPECT_TRUE(traffic->getCarPaths().empty());
	tick();
}

TEST_F(Traffic, HalfTheStreetsGetACarAtOnceAlreadyOnItsWay)
{
	// The first update gives each path a car with an even chance, advanced by up to 509 steps.
	int seeded = 0;
	int empty = 0;
	for (fw::u32 seed = 1; seed <= 40; ++seed)
	{
		SCOPED_TRACE(seed);
		randomGenerator().seed(seed);
		level.setPaths(neutralPath("100000, 100000", "CarA; CarB", 100.f, 100000.f));
		makeManager();
		// Far from its first car: the first update's countdown makes none.
		const fw::s32 countdown = traffic->getCarPaths()[0].countdown;
		if (countdown <= 20)
			continue;
		traffic->update(20);
		if (level.carCount() == 0)
			++empty;
		else
		{
			++seeded;
			ASSERT_EQ(1u, level.carCount());
			const fw::BaseNode* car = level.car(0);
			EXPECT_EQ("CarB", templateOf(car)) << "the second template comes first";
			EXPECT_TRUE(car->isVisible());
			EXPECT_EQ(500.f, car->getPosition().Y);
			const fw::f32 velocity = fw::nodeCast<GPathMovableNode>(car)->getVelocity();
			EXPECT_GE(velocity, 70.f);
			EXPECT_LT(velocity, 80.f);
			// Advanced by a whole number of 20 ms steps below 510 at the car's own speed.
			const fw::f32 steps = (car->getPosition().X - 100.f) / (velocity * 0.02f);
			EXPECT_NEAR(std::round(steps), steps, 0.01f);
			EXPECT_LT(steps, 510.f);
			EXPECT_EQ(traffic.get(), fw::nodeCast<GPathMovableNode>(car)->getTrafficManager());
		}
		level.cargos->removeAllChildren();
		EXPECT_TRUE(traffic->getVehicles().empty());
	}
	EXPECT_GT(seeded, 5);
	EXPECT_GT(empty, 5);
}

TEST_F(Traffic, EqualPausesMakeACarEveryPauseInWholeSteps)
{
	struct SCase
	{
		fw::u32 step;
		fw::u32 stepsBetweenCars;
	};
	// 4000 ms: the part of a step that takes the countdown below 1 is not carried over.
	const SCase cases[] = {{20, 200}, {16, 250}, {30, 134}, {7, 572}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.step);
		level.cargos->removeAllChildren();
		level.setPaths(neutralPath("4000, 4000", "CarA", 100.f, 1000000.f));
		makeManager();
		std::vector<fw::u32> madeAt;
		for (fw::u32 i = 1; madeAt.size() < 4 && i < 3000; ++i)
		{
			const fw::u32 before = level.carCount();
			tick(c.step);
			ASSERT_LE(level.carCount(), before + 2) << "one seeded and one counted down at most";
			if (level.carCount() > before && i > 1)
				madeAt.push_back(i);
		}
		ASSERT_EQ(4u, madeAt.size());
		for (size_t k = 1; k < madeAt.size(); ++k)
			EXPECT_EQ(c.stepsBetweenCars, madeAt[k] - madeAt[k - 1]);
		EXPECT_EQ(4000, traffic->getCarPaths()[0].countdown) << "re-armed at the pause";
	}
}

TEST_F(Traffic, PausesVaryFromTheSmallestUpToBelowTheLargest)
{
	level.setPaths(neutralPath("3000, 6000", "CarA", 100.f, 1000000.f));
	makeManager();
	std::vector<fw::u32> madeAt;
	for (fw::u32 i = 1; madeAt.size() < 12 && i < 10000; ++i)
	{
		const fw::u32 before = level.carCount();
		tick();
		if (level.carCount() > before && i > 1)
			madeAt.push_back(i);
	}
	ASSERT_EQ(12u, madeAt.size());
	fw::u32 shortest = ~0u;
	fw::u32 longest = 0;
	for (size_t k = 1; k < madeAt.size(); ++k)
	{
		const fw::u32 ms = (madeAt[k] - madeAt[k - 1]) * 20;
		shortest = std::min(shortest, ms);
		longest = std::max(longest, ms);
	}
	// 3000 to 5999 ms, counted in whole 20 ms steps.
	EXPECT_GE(shortest, 3000u);
	EXPECT_LE(longest, 6000u);
	EXPECT_LT(shortest + 500, longest) << "the pauses vary";
}

TEST_F(Traffic, TemplatesTakeTurnsAndMissingOnesMakeNoCar)
{
	struct SCase
	{
		const char* cars;
		std::vector<std::string> expected;
	};
	const SCase cases[] = {
		{"CarA; CarB", {"CarB", "CarA", "CarB", "CarA", "CarB"}},
		{"CarA", {"CarA", "CarA", "CarA"}},
		// Neither a name outside the collection nor a template that is not a car makes one; the
		// turns go on.
		{"CarA; Nowhere", {"CarA", "CarA", "CarA"}},
		{"NotACar; CarB", {"CarB", "CarB", "CarB"}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.cars);
		level.cargos->removeAllChildren();
		level.setPaths(neutralPath("1000, 1000", c.cars, 100.f, 1000000.f));
		makeManager();
		std::vector<std::string> made;
		std::vector<fw::s32> countdowns;
		for (int i = 0; i < 400 && made.size() < c.expected.size(); ++i)
		{
			const fw::u32 before = level.carCount();
			tick();
			for (fw::u32 k = before; k < level.carCount(); ++k)
				made.push_back(templateOf(level.car(k)));
			countdowns.push_back(traffic->getCarPaths()[0].countdown);
		}
		EXPECT_EQ(c.expected, made);
		// Re-armed every 1000 ms whether or not a car came.
		EXPECT_LE(*std::max_element(countdowns.begin(), countdowns.end()), 1000);
	}
}

TEST_F(Traffic, ANeutralCarHurriesPastAWorkVehicleAndThenDrivesAtItsJoiningSpeed)
{
	level.setPaths(neutralPath("2000, 2000", "CarA", 100.f, 1000000.f));
	makeManager();
	while (level.carCount() == 0)
		tick();
	GPathMovableNode* car = fw::nodeCast<GPathMovableNode>(level.car(0));
	ASSERT_NE(nullptr, car);
	const GTrafficManager::SVehicle* record = traffic->findVehicle(car);
	ASSERT_NE(nullptr, record);
	EXPECT_FALSE(record->priority);
	// A copy of a mover starts at the mover's own velocity; the random one came after it joined.
	EXPECT_EQ(100.f, record->normalVelocity);
	EXPECT_LT(car->getVelocity(), 80.f);

	// A work vehicle 20 units behind the car and 10 below it, following it, and a second one that
	// drives with it: work vehicles never hurry each other.
	const fw::CRefHolder<GPathMovableNode> bus =
		fw::adoptRef(new GPathMovableNode(fw::ContentReference(), nullptr, nullptr));
	const fw::CRefHolder<GPathMovableNode> helper =
		fw::adoptRef(new GPathMovableNode(fw::ContentReference(), nullptr, nullptr));
	bus->setTrafficManager(traffic.get(), true);
	helper->setTrafficManager(traffic.get(), true);
	bus->setVelocity(140.f);
	helper->setVelocity(140.f);
	auto follow = [&](fw::f32 dx, fw::f32 dy)
	{
		bus->setPosition(fw::core::vector3df(car->getPosition().X + dx, car->getPosition().Y + dy, 0.f));
		helper->setPosition(bus->getPosition());
	};
	for (int i = 0; i < 25; ++i)
	{
		follow(-20.f, 10.f);
		tick();
		EXPECT_EQ(160.f, car->getVelocity());
		EXPECT_EQ(GTrafficManager::MODE_HURRYING, traffic->findVehicle(car)->mode);
		EXPECT_EQ(980.f, traffic->findVehicle(car)->hurryTime);
	}
	EXPECT_EQ(140.f, bus->getVelocity());
	EXPECT_EQ(140.f, helper->getVelocity());
	EXPECT_EQ(GTrafficManager::MODE_NORMAL, traffic->findVehicle(bus.get())->mode);

	// Out of reach on either axis (both limits are strict): about a second more, then back to the
	// joining speed.
	follow(-35.f, 0.f);
	for (int i = 0; i < 49; ++i)
	{
		tick();
		EXPECT_EQ(160.f, car->getVelocity()) << i;
	}
	tick();
	EXPECT_EQ(100.f, car->getVelocity());
	EXPECT_EQ(GTrafficManager::MODE_NORMAL, traffic->findVehicle(car)->mode);
	EXPECT_EQ(0.f, traffic->findVehicle(car)->hurryTime);
	follow(0.f, 16.f);
	tick();
	EXPECT_EQ(100.f, car->getVelocity());
	follow(34.9f, -15.9f);
	tick();
	EXPECT_EQ(160.f, car->getVelocity());
	bus->setTrafficManager(nullptr, false);
	helper->setTrafficManager(nullptr, false);
}

TEST_F(Traffic, ThePassingCuePlaysOnceBetween400And600AndNeverForWorkVehicles)
{
	level.setPaths("");
	makeManager();
	// Neutral cars of the test's own; half of them draw a cue that is already done.
	std::vector<fw::CRefHolder<GCarNode>> cars;
	while (cars.size() < 6)
	{
		const fw::CRefHolder<GCarNode> car = fw::adoptRef(new GCarNode(fw::ContentReference(), nullptr, nullptr));
		car->setPosition(fw::core::vector3df(399.9f, 0.f, 0.f));
		car->setTrafficManager(traffic.get(), false);
		if (traffic->findVehicle(car.get())->cueDone)
			car->setTrafficManager(nullptr, false);
		else
			cars.push_back(car);
	}
	struct SCase
	{
		fw::f32 x;
		bool plays;
	};
	const SCase cases[] = {{399.9f, false}, {400.f, true}, {500.f, true}, {600.f, true}, {600.1f, false},
		{-20.f, false}};
	for (size_t i = 0; i < 6; ++i)
	{
		const SCase& c = cases[i];
		SCOPED_TRACE(c.x);
		GCarNode* car = cars[i].get();
		traffic->update(20);
		const size_t before = cuePlays("GameCar");
		car->setPosition(fw::core::vector3df(c.x, 0.f, 0.f));
		traffic->update(20);
		EXPECT_EQ(before + (c.plays ? 1 : 0), cuePlays("GameCar"));
		EXPECT_EQ(c.x, traffic->findVehicle(car)->lastPosition.X);
		// Once only, wherever the car goes next.
		car->setPosition(fw::core::vector3df(450.f, 0.f, 0.f));
		traffic->update(20);
		traffic->update(20);
		EXPECT_EQ(before + 1, cuePlays("GameCar"));
		car->setTrafficManager(nullptr, false);
	}

	const fw::CRefHolder<GPathMovableNode> bus =
		fw::adoptRef(new GPathMovableNode(fw::ContentReference(), nullptr, nullptr));
	bus->setTrafficManager(traffic.get(), true);
	EXPECT_TRUE(traffic->findVehicle(bus.get())->cueDone);
	const size_t before = cuePlays("GameCar");
	for (fw::f32 x = 380.f; x < 620.f; x += 10.f)
	{
		bus->setPosition(fw::core::vector3df(x, 0.f, 0.f));
		traffic->update(20);
	}
	EXPECT_EQ(before, cuePlays("GameCar"));
	bus->setTrafficManager(nullptr, false);
}

TEST_F(Traffic, ACarMadeInTheMiddleCuesInTheUpdateThatMakesIt)
{
	size_t cues = 0;
	for (fw::u32 seed = 1; seed <= 12; ++seed)
	{
		randomGenerator().seed(seed);
		level.cargos->removeAllChildren();
		level.setPaths(neutralPath("3000, 3000", "CarA", 500.f, 100000.f));
		makeManager();
		for (int i = 0; i < 400; ++i)
		{
			const fw::u32 carsBefore = level.carCount();
			const size_t before = cuePlays("GameCar");
			tick();
			const size_t played = cuePlays("GameCar") - before;
			// Only a new car stands between 400 and 600; one that has just seeded may have left it.
			EXPECT_LE(played, level.carCount() - carsBefore);
			cues += played;
		}
	}
	EXPECT_GT(cues, 0u);
}

TEST_F(Traffic, CarsLeaveAtTheEndOfTheirRouteAndTheManagerForgetsThem)
{
	level.setPaths(neutralPath("500, 500", "CarA", 100.f, 110.f));
	makeManager();
	fw::u32 most = 0;
	for (int i = 0; i < 300; ++i)
	{
		tick();
		most = std::max(most, level.carCount());
		// Every car registered is in the street, and every car in the street is registered.
		ASSERT_EQ(level.carCount(), traffic->getVehicles().size());
		for (fw::u32 k = 0; k < level.carCount(); ++k)
			EXPECT_NE(nullptr, traffic->findVehicle(fw::nodeCast<GPathMovableNode>(level.car(k))));
	}
	// 10 units take a car a few steps and the next comes 500 ms later; the first update may make two.
	EXPECT_GE(most, 1u);
	EXPECT_LE(most, 2u);

	// Forgetting keeps the order of the others; a stranger is ignored.
	std::vector<fw::CRefHolder<GPathMovableNode>> movers;
	for (int i = 0; i < 4; ++i)
	{
		movers.push_back(fw::adoptRef(new GPathMovableNode(fw::ContentReference(), nullptr, nullptr)));
		movers.back()->setTrafficManager(traffic.get(), i % 2 == 0);
	}
	const fw::CRefHolder<GPathMovableNode> stranger =
		fw::adoptRef(new GPathMovableNode(fw::ContentReference(), nullptr, nullptr));
	traffic->removeCar(stranger.get());
	const fw::u32 base = traffic->getVehicles().size() - 4;
	movers[1]->setTrafficManager(nullptr, false);
	ASSERT_EQ(base + 3, traffic->getVehicles().size());
	EXPECT_EQ(movers[0].get(), traffic->getVehicles()[base].vehicle);
	EXPECT_EQ(movers[2].get(), traffic->getVehicles()[base + 1].vehicle);
	EXPECT_EQ(movers[3].get(), traffic->getVehicles()[base + 2].vehicle);
	movers.clear();
	EXPECT_EQ(base, traffic->getVehicles().size()) << "a mover leaves when it is destroyed";
}

TEST_F(Traffic, TheManagerOutlivesItsLevelWhileCarsHoldIt)
{
	level.setPaths(neutralPath("500, 600", "CarA", 100.f, 100000.f));
	makeManager();
	while (level.carCount() == 0)
		tick();
	GTrafficManager* manager = traffic.get();
	traffic.release();
	// The car's reference keeps it; destroying the car lets it go without touching anything.
	EXPECT_EQ(manager, fw::nodeCast<GPathMovableNode>(level.car(0))->getTrafficManager());
	EXPECT_EQ(level.carCount(), manager->getVehicles().size());
	level.cargos->removeAllChildren();
	level.headless.step(20);
}
} // namespace
