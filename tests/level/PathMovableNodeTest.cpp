// The path mover: routes consumed from their end at a constant speed, the facing of each segment,
// the end in "Stop" with a report to the parent, looping, stopping, the traffic registration, and
// the sideways scatter of configured path points.

#include "MoverTestSupport.h"

#include "LevelTestSupport.h"
#include "level/nodes/GFacing.h"
#include "platform/CRandomGenerator.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace movertest;
using fw::core::vector2df;

namespace
{
class PathMover : public ::testing::Test
{
protected:
	void SetUp() override
	{
		parent = fw::adoptRef(new CReportingParent);
		mover = fw::adoptRef(new CRecordingMover);
		parent->addChild(mover.get());
	}

	void expectAt(fw::f32 x, fw::f32 y)
	{
		EXPECT_NEAR(x, mover->getPosition().X, 1e-3f);
		EXPECT_NEAR(y, mover->getPosition().Y, 1e-3f);
		// Lower on the screen is nearer.
		EXPECT_NEAR(y, mover->getPosition().Z, 1e-3f);
	}

	fw::CRefHolder<CReportingParent> parent;
	fw::CRefHolder<CRecordingMover> mover;
};

TEST_F(PathMover, RoutesAdvanceByVelocityAndEndOnce)
{
	struct SCase
	{
		const char* what;
		std::vector<fw::u32> updates;
		fw::f32 x;
		fw::f32 y;
		fw::u32 remaining;
		std::vector<std::string> reports;
		std::vector<std::string> states;
	};
	const fw::core::array<vector2df> route = points({{0.f, 0.f}, {100.f, 0.f}, {100.f, 100.f}, {0.f, 100.f}});
	const SCase cases[] = {
		{"half a segment", {500}, 50.f, 0.f, 4, {}, {"Start", "Right"}},
		{"exactly a segment: the point is reached", {1000}, 100.f, 0.f, 3, {}, {"Start", "Right", "Down"}},
		{"several segments in one update, a turn for each", {2500}, 50.f, 100.f, 2, {},
			{"Start", "Right", "Down", "Left"}},
		{"the same distance in small steps", {250, 250, 1000, 1000}, 50.f, 100.f, 2, {},
			{"Start", "Right", "Down", "Left"}},
		{"exactly the whole route", {3000}, 0.f, 100.f, 1, {"Mover Arrived"},
			{"Start", "Right", "Down", "Left", "Stop"}},
		{"overshoot ends on the last point, reported once", {5000, 1000}, 0.f, 100.f, 1, {"Mover Arrived"},
			{"Start", "Right", "Down", "Left", "Stop"}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		parent->reports.clear();
		mover->states.clear();
		mover->start(route, nameId("Arrived"), false, false);
		for (fw::u32 ms : c.updates)
			mover->update(ms);
		expectAt(c.x, c.y);
		EXPECT_EQ(c.remaining, mover->getRemainingPointCount());
		EXPECT_EQ(c.reports, parent->reports);
		EXPECT_EQ(c.states, mover->states);
	}
}

TEST_F(PathMover, ReverseTravelsFromTheLastPoint)
{
	mover->start(points({{0.f, 0.f}, {0.f, 200.f}}), -1, true, false);
	expectAt(0.f, 200.f);
	EXPECT_EQ(nameIdUp(), mover->getDirectionStateId());
	mover->update(500);
	expectAt(0.f, 150.f);
}

TEST_F(PathMover, ARouteWithoutEndStateStillStopsAndReports)
{
	mover->start(points({{0.f, 0.f}, {10.f, 0.f}}), -1, false, false);
	mover->update(100);
	EXPECT_EQ(std::vector<std::string>({"Mover -1"}), parent->reports);
	EXPECT_EQ("Stop", mover->states.back());
}

TEST_F(PathMover, ALoopGoesStraightBackToItsStartForEver)
{
	mover->start(points({{0.f, 0.f}, {100.f, 0.f}, {100.f, 50.f}}), nameId("Arrived"), false, true);
	// 100 + 50 to the end, then 30 of the 111.8 back towards the start.
	mover->update(1800);
	const vector2df back = vector2df(-100.f, -50.f).normalize() * 30.f;
	expectAt(100.f + back.X, 50.f + back.Y);
	EXPECT_EQ(nameIdLeftUp(), mover->getDirectionStateId());
	// Many rounds later it still moves, never stopped nor reported.
	mover->update(3600000);
	EXPECT_GE(mover->getRemainingPointCount(), 2u);
	EXPECT_TRUE(parent->reports.empty());
	EXPECT_EQ(mover->states.end(), std::find(mover->states.begin(), mover->states.end(), "Stop"));
	// A whole number of rounds (261.8 each) brings it back to the same place.
	const vector2df before(mover->getPosition().X, mover->getPosition().Y);
	const fw::f32 round = 150.f + std::sqrt(100.f * 100.f + 50.f * 50.f);
	mover->update(static_cast<fw::u32>(std::lround(round * 10.f * 4)));
	EXPECT_NEAR(before.X, mover->getPosition().X, 0.05f);
	EXPECT_NEAR(before.Y, mover->getPosition().Y, 0.05f);
}

TEST_F(PathMover, StopLeavesTheMoverWhereItStands)
{
	mover->start(points({{0.f, 0.f}, {100.f, 0.f}}), nameId("Arrived"), false, false);
	mover->update(300);
	mover->stop();
	expectAt(30.f, 0.f);
	EXPECT_EQ("Stop", mover->states.back());
	EXPECT_EQ(0u, mover->getRemainingPointCount());
	mover->update(1000);
	expectAt(30.f, 0.f);
	EXPECT_TRUE(parent->reports.empty());
	// Stopping a mover at rest changes nothing.
	mover->states.clear();
	mover->stop();
	EXPECT_TRUE(mover->states.empty());
}

TEST_F(PathMover, RepeatedPointsArePassedWithoutMoving)
{
	mover->start(points({{10.f, 10.f}, {10.f, 10.f}, {10.f, 10.f}, {110.f, 10.f}}), -1, false, false);
	mover->update(0);
	expectAt(10.f, 10.f);
	EXPECT_EQ(2u, mover->getRemainingPointCount());
	EXPECT_EQ(nameIdRight(), mover->getDirectionStateId());
	mover->update(500);
	expectAt(60.f, 10.f);
}

TEST_F(PathMover, RoutesOfFewerThanTwoPointsEndAtOnce)
{
	mover->setPosition(fw::core::vector3df(5.f, 6.f, 7.f));
	mover->start(points({{40.f, 30.f}}), nameId("Arrived"), false, false);
	expectAt(40.f, 30.f);
	EXPECT_EQ(std::vector<std::string>({"Stop"}), mover->states);
	EXPECT_EQ(std::vector<std::string>({"Mover Arrived"}), parent->reports);

	mover->start(fw::core::array<vector2df>(), nameId("Again"), false, true);
	expectAt(40.f, 30.f);
	EXPECT_EQ(std::vector<std::string>({"Mover Arrived", "Mover Again"}), parent->reports);
	// At rest: updates do nothing, even with the loop flag.
	mover->update(1000);
	EXPECT_EQ(2u, parent->reports.size());
}

TEST_F(PathMover, ALoopOfNoLengthStaysPut)
{
	mover->start(points({{7.f, 8.f}, {7.f, 8.f}, {7.f, 8.f}}), -1, false, true);
	mover->update(1000);
	mover->update(0xFFFFFFFFu);
	expectAt(7.f, 8.f);
	EXPECT_TRUE(parent->reports.empty());
}

TEST_F(PathMover, TheReportGoesOnlyToAParentThatExists)
{
	parent->removeChild(mover.get());
	mover->start(points({{0.f, 0.f}, {10.f, 0.f}}), nameId("Arrived"), false, false);
	mover->update(1000);
	EXPECT_EQ("Stop", mover->states.back());
	EXPECT_TRUE(parent->reports.empty());
}

TEST_F(PathMover, TheParentMayStartTheMoverAgainFromItsReport)
{
	parent->onReport = [this](fw::CEventNodeStateEnded*)
	{
		if (parent->reports.size() == 1)
			mover->start(points({{0.f, 0.f}, {0.f, 100.f}}), nameId("Second"), false, false);
	};
	mover->start(points({{0.f, 0.f}, {100.f, 0.f}}), nameId("First"), false, false);
	mover->update(1500);
	// The new route stands as the handler left it: the leftover distance is not carried over.
	expectAt(0.f, 0.f);
	EXPECT_EQ(2u, mover->getRemainingPointCount());
	mover->update(1000);
	expectAt(0.f, 100.f);
	EXPECT_EQ(std::vector<std::string>({"Mover First", "Mover Second"}), parent->reports);
}

TEST_F(PathMover, TheParentMayDestroyTheMoverFromItsReport)
{
	GPathMovableNode* raw = mover.get();
	mover.release();
	parent->onReport = [this](fw::CEventNodeStateEnded* event) { parent->removeChild(event->getNode()); };
	// The parent held the last reference; the mover goes once the update returns.
	raw->start(points({{0.f, 0.f}, {100.f, 0.f}}), -1, false, false);
	raw->update(2000);
	EXPECT_TRUE(parent->getChildren().empty());
	EXPECT_EQ(1u, parent->reports.size());
}

TEST(PathMoverFacing, DirectionStateNames)
{
	struct SCase
	{
		fw::f32 degrees;
		const char* name;
	};
	// Each sector's bounds, a hundredth of a degree inside.
	const SCase cases[] = {
		{0.f, "Right"},
		{14.99f, "Right"},
		{15.01f, "RightUp"},
		{74.99f, "RightUp"},
		{75.01f, "Up"},
		{90.f, "Up"},
		{104.99f, "Up"},
		{105.01f, "LeftUp"},
		{164.99f, "LeftUp"},
		{165.01f, "Left"},
		{180.f, "Left"},
		{194.99f, "Left"},
		{195.01f, "LeftDown"},
		{254.99f, "LeftDown"},
		{255.01f, "Down"},
		{270.f, "Down"},
		{284.99f, "Down"},
		{285.01f, "RightDown"},
		{344.99f, "RightDown"},
		{345.01f, "Right"},
		{359.99f, "Right"},
	};
	for (const SCase& c : cases)
	{
		// Screen axes: up is negative y.
		const fw::f64 radians = c.degrees * 3.14159265358979323846 / 180.0;
		const fw::f32 dx = static_cast<fw::f32>(std::cos(radians));
		const fw::f32 dy = static_cast<fw::f32>(-std::sin(radians));
		EXPECT_EQ(c.name, nameOf(directionStateName(dx, dy))) << c.degrees;
	}
	// Straight up and down the screen.
	EXPECT_EQ(nameIdUp(), directionStateName(0.f, -3.f));
	EXPECT_EQ(nameIdDown(), directionStateName(0.f, 3.f));
	// A heading a hair below a full turn rounds up to it: still Right, not none.
	EXPECT_EQ(nameIdRight(), directionStateName(1.f, 1e-8f));
	EXPECT_EQ(-1, directionStateName(std::nanf(""), 1.f));
	// The names are the states' own.
	EXPECT_EQ(nameId("LeftDown"), nameIdLeftDown());
	EXPECT_EQ(nameId("RightDown"), nameIdRightDown());
}

class CRecordingTraffic : public IGTrafficManager
{
public:
	void addCar(GPathMovableNode* mover, bool priority) override
	{
		log.push_back(std::string("add ") + mover->getName().c_str() + (priority ? " priority" : " neutral"));
	}
	void removeCar(GPathMovableNode* mover) override
	{
		log.push_back(std::string("remove ") + mover->getName().c_str());
	}
	void update(fw::u32) override {}

	std::vector<std::string> log;
};

TEST(PathMoverTraffic, JoinsLeavesAndKeepsTheManagerItHolds)
{
	fw::CRefHolder<CRecordingTraffic> first = fw::adoptRef(new CRecordingTraffic);
	fw::CRefHolder<CRecordingTraffic> second = fw::adoptRef(new CRecordingTraffic);
	{
		fw::CRefHolder<CRecordingMover> mover = fw::adoptRef(new CRecordingMover);
		mover->setTrafficManager(first.get(), true);
		EXPECT_EQ(2, first->getReferenceCount());
		// The manager already held stays as it is, also when the mover holds its last reference.
		CRecordingTraffic* raw = first.get();
		first.release();
		mover->setTrafficManager(raw, false);
		EXPECT_EQ(1, raw->getReferenceCount());
		EXPECT_EQ(std::vector<std::string>({"add Mover priority"}), raw->log);
		first.assign(raw);

		mover->setTrafficManager(second.get(), false);
		EXPECT_EQ(std::vector<std::string>({"add Mover priority", "remove Mover"}), first->log);
		EXPECT_EQ(1, first->getReferenceCount());
		EXPECT_EQ(std::vector<std::string>({"add Mover neutral"}), second->log);
	}
	// A mover that goes leaves its manager.
	EXPECT_EQ(std::vector<std::string>({"add Mover neutral", "remove Mover"}), second->log);
	EXPECT_EQ(1, second->getReferenceCount());
}

TEST(ScatterPathPoint, OffsetsLieAcrossTheDirectionOfTravelWithinTheSpreads)
{
	fw::CRefHolder<GLevelPaths> paths = fw::adoptRef(new GLevelPaths);
	ASSERT_TRUE(paths->load(leveltest::readerOver("<LevelPaths><PedestrianPaths><Path ID=\"Walk\">"
												  "<p p=\"0, 100\" d1=\"3\" d2=\"5\"/>"
												  "<p p=\"50, 100\"/>"
												  "<p p=\"100, 100\" d1=\"2\" d2=\"-2\"/>"
												  "<p p=\"100, 0\" d1=\"4\" d2=\"4\"/>"
												  "</Path></PedestrianPaths></LevelPaths>")
								.get()));
	const GLevelPath& path = *paths->getPedestrianPaths()[0];
	fw::CRandomGenerator& random = fw::CRandomGeneratorSingleton::Instance();
	random.seed(7);

	// Travel along +x: the right-hand side is down the screen, the left-hand side up.
	fw::f32 least = 1e9f;
	fw::f32 most = -1e9f;
	for (int i = 0; i < 2000; ++i)
	{
		const vector2df p = scatterPathPoint(path, 0, fw::CRandomGeneratorSingleton::Instance());
		EXPECT_EQ(0.f, p.X);
		least = std::min(least, p.Y);
		most = std::max(most, p.Y);
	}
	EXPECT_GE(least, 97.f);
	EXPECT_LT(most, 105.f);
	EXPECT_LT(least, 97.2f);
	EXPECT_GT(most, 104.8f);

	// No spread: the point as it is, and no draw.
	random.seed(7);
	const fw::u32 firstDraw = fw::CRandomGenerator(random).nextUInt();
	EXPECT_EQ(vector2df(50.f, 100.f), scatterPathPoint(path, 1, fw::CRandomGeneratorSingleton::Instance()));
	// Spreads cancelling each other: -d1 without a draw, across the tangent from the point before
	// to the point after, (50, -100).
	const vector2df cancelled = scatterPathPoint(path, 2, fw::CRandomGeneratorSingleton::Instance());
	const vector2df normal = vector2df(100.f, 50.f).normalize();
	EXPECT_NEAR(100.f - 2.f * normal.X, cancelled.X, 1e-4f);
	EXPECT_NEAR(100.f - 2.f * normal.Y, cancelled.Y, 1e-4f);
	EXPECT_EQ(firstDraw, random.nextUInt());
	// The last point turns with the last segment (travel up the screen: right is +x).
	for (int i = 0; i < 200; ++i)
	{
		const vector2df p = scatterPathPoint(path, 3, fw::CRandomGeneratorSingleton::Instance());
		EXPECT_GE(p.X, 96.f);
		EXPECT_LT(p.X, 104.f);
		EXPECT_EQ(0.f, p.Y);
	}
	// Outside the path: nothing read, no offset.
	EXPECT_EQ(vector2df(0.f, 0.f), scatterPathPoint(path, 4, fw::CRandomGeneratorSingleton::Instance()));
	EXPECT_EQ(vector2df(0.f, 0.f), scatterPathPoint(path, -1, fw::CRandomGeneratorSingleton::Instance()));
}

TEST(ScatterPathPoint, APathOfOnePointHasNoDirectionToSpreadAcross)
{
	GLevelPath path;
	GPathPoint point;
	point.x = 12.f;
	point.y = 34.f;
	point.spreadLeft = 10.f;
	point.spreadRight = 10.f;
	path.points.push_back(point);
	EXPECT_EQ(vector2df(12.f, 34.f), scatterPathPoint(path, 0, fw::CRandomGeneratorSingleton::Instance()));
	EXPECT_EQ(vector2df(0.f, 0.f), scatterPathPoint(GLevelPath(), 0, fw::CRandomGeneratorSingleton::Instance()));
}
} // namespace
