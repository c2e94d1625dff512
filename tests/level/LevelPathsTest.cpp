#include "LevelTestSupport.h"
#include "level/data/GLevelPaths.h"
#include "platform/CRandomGenerator.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using leveltest::id;
using leveltest::ids;
using leveltest::readerOver;

namespace
{
const char* const kPaths =
	"<LevelPaths><CarPaths>"
	"<Path ID=\"Hotel1\" Time=\"5000\" Cars=\" CarA ; CarB \"><p p=\"120.5, 340\"/><p p=\"200,10\" d1=\"3\" d2=\"4.5\"/></Path>"
	"<Path ID=\"Hotel1\"><p p=\"1,1\"/></Path>"
	"<Path ID=\"Shop\" Time=\"1000, 3000\"></Path>"
	"<Path><p p=\"9,9\"/></Path>"
	"</CarPaths><PedestrianPaths>"
	"<Path ID=\"Walk\" b=\"1\"><p p=\"0,0\"/></Path><Path ID=\"Walk\" b=\"\"/><Path ID=\"Walk\"/>"
	"</PedestrianPaths></LevelPaths>";

TEST(LevelPaths, ReadsGroupsPointsAndAttributes)
{
	fw::CRefHolder<GLevelPaths> paths = fw::adoptRef(new GLevelPaths);
	EXPECT_TRUE(paths->load(readerOver(kPaths).get()));
	// Paths are grouped by ID; one without an ID is dropped. The empty form holds no points.
	const std::vector<fw::s32> groups = ids(paths->getGroupIds());
	EXPECT_EQ((std::set<fw::s32>{id("Hotel1"), id("Shop")}), std::set<fw::s32>(groups.begin(), groups.end()));
	EXPECT_EQ(2u, groups.size());
	const fw::core::array<GLevelPath*> hotel = paths->getPaths(id("Hotel1"));
	ASSERT_EQ(2u, hotel.size());
	const GLevelPath* first = hotel[0];
	EXPECT_EQ(5000, first->minTime);
	EXPECT_EQ(0, first->maxTime);
	EXPECT_EQ(ids({"CarA", "CarB"}), ids(first->cars));
	EXPECT_FALSE(first->twoWay);
	ASSERT_EQ(2u, first->points.size());
	EXPECT_EQ(120.5f, first->points[0].x);
	EXPECT_EQ(340.f, first->points[0].y);
	EXPECT_EQ(0.f, first->points[0].spreadLeft);
	EXPECT_EQ(0.f, first->points[0].spreadRight);
	EXPECT_EQ(3.f, first->points[1].spreadLeft);
	EXPECT_EQ(4.5f, first->points[1].spreadRight);
	EXPECT_EQ(0, hotel[1]->minTime);
	const fw::core::array<GLevelPath*> shop = paths->getPaths(id("Shop"));
	ASSERT_EQ(1u, shop.size());
	EXPECT_EQ(1000, shop[0]->minTime);
	EXPECT_EQ(3000, shop[0]->maxTime);
	EXPECT_EQ(0u, paths->getPaths(id("Nowhere")).size());
	EXPECT_EQ(nullptr, paths->findPath(id("Nowhere"), fw::CRandomGeneratorSingleton::Instance()));

	// Pedestrian paths keep their ID but are not grouped.
	const auto& walkers = paths->getPedestrianPaths();
	ASSERT_EQ(3u, walkers.size());
	EXPECT_TRUE(walkers[0]->twoWay);
	EXPECT_FALSE(walkers[1]->twoWay);
	EXPECT_EQ(id("Walk"), walkers[2]->id);
	EXPECT_EQ(0u, paths->getPaths(id("Walk")).size());
}

TEST(LevelPaths, ChoicesNeverRepeatTheLastOne)
{
	fw::CRandomGeneratorSingleton::Instance().seed(99);
	fw::CRefHolder<GLevelPaths> paths = fw::adoptRef(new GLevelPaths);
	ASSERT_TRUE(paths->load(readerOver(kPaths).get()));
	const fw::core::array<GLevelPath*> hotel = paths->getPaths(id("Hotel1"));
	GLevelPath* previous = paths->findPath(id("Hotel1"), fw::CRandomGeneratorSingleton::Instance());
	for (int i = 0; i < 20; ++i)
	{
		GLevelPath* next = paths->findPath(id("Hotel1"), fw::CRandomGeneratorSingleton::Instance());
		ASSERT_TRUE(next == hotel[0] || next == hotel[1]);
		EXPECT_NE(previous, next);
		previous = next;
	}
	GLevelPath* shop = paths->getPaths(id("Shop"))[0];
	for (int i = 0; i < 3; ++i)
		EXPECT_EQ(shop, paths->findPath(id("Shop"), fw::CRandomGeneratorSingleton::Instance()));

	// Three pedestrian paths of one ID are three choices, never the same twice in a row.
	std::set<GLevelPath*> seen;
	GLevelPath* last = nullptr;
	for (int i = 0; i < 30; ++i)
	{
		GLevelPath* next = paths->randomPedestrianPath(fw::CRandomGeneratorSingleton::Instance());
		EXPECT_NE(last, next);
		seen.insert(next);
		last = next;
	}
	EXPECT_EQ(3u, seen.size());
}

TEST(LevelPaths, ASecondLoadLeavesNothingOfTheFirst)
{
	fw::CRefHolder<GLevelPaths> paths = fw::adoptRef(new GLevelPaths);
	ASSERT_TRUE(paths->load(readerOver(kPaths).get()));
	fw::CRefHolder<GLevelPath> kept(paths->findPath(id("Hotel1"), fw::CRandomGeneratorSingleton::Instance()));
	EXPECT_EQ(2, kept->getReferenceCount());
	EXPECT_TRUE(paths->load(readerOver("<LevelPaths><CarPaths><Path ID=\"Other\"/></CarPaths></LevelPaths>").get()));
	EXPECT_EQ(nullptr, paths->findPath(id("Hotel1"), fw::CRandomGeneratorSingleton::Instance()));
	EXPECT_EQ(nullptr, paths->randomPedestrianPath(fw::CRandomGeneratorSingleton::Instance()));
	EXPECT_EQ(ids({"Other"}), ids(paths->getGroupIds()));
	// A path someone holds outlives the load that dropped it.
	EXPECT_EQ(1, kept->getReferenceCount());

	EXPECT_FALSE(paths->load(readerOver("<LevelPaths><CarPaths><Path ID=\"Cut\"><p p=\"1,2\"/>").get()));
	ASSERT_EQ(1u, paths->getPaths(id("Cut")).size());
	EXPECT_EQ(1u, paths->getPaths(id("Cut"))[0]->points.size());
	EXPECT_TRUE(paths->load(readerOver("<LevelPaths/>").get()));
	EXPECT_TRUE(paths->getGroupIds().empty());
}

TEST(LevelPaths, EmptyListsEndAtOnce)
{
	fw::CRefHolder<GLevelPaths> paths = fw::adoptRef(new GLevelPaths);
	EXPECT_TRUE(paths->load(readerOver("<LevelPaths><CarPaths/><Path ID=\"Stray\"/><PedestrianPaths/>"
									   "<CarPaths><Path ID=\"A\"/></CarPaths></LevelPaths>")
								.get()));
	EXPECT_EQ(ids({"A"}), ids(paths->getGroupIds()));
	EXPECT_EQ(0u, paths->getPedestrianPaths().size());
}
} // namespace
