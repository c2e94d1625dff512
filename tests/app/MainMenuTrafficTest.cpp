// The main menu's street movers on a headless scene stepped by hand: the 24 facings, the cars'
// look and sounds, the walkers' scale, the rider's turning, the clouds' speed, the head starts, and
// movers that find no menu or reach their route's end.

#include "app/GMainMenuScene.h"
#include "app/GMainMenuTraffic.h"
#include "core/CPropertyContainer.h"
#include "core/PropertyAccessors.h"
#include "core/SineTable.h"
#include "level/LevelTestSupport.h"
#include "level/MoverTestSupport.h"
#include "level/data/GLevelPaths.h"
#include "level/nodes/GFacing.h"
#include "platform/CDeviceStub.h"
#include "platform/CEngineDeviceSingleton.h"
#include "platform/CRandomGenerator.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "platform/SoundTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace fw;
using namespace movertest;

namespace
{
typedef core::vector2df vector2df;

vector2df at(const BaseNode* node)
{
	return vector2df(node->getPosition().X, node->getPosition().Y);
}

// A menu with its street paths, and the plain levels between it and its movers: the rider stands
// four levels below the menu, the others five.
class MenuStreet : public ::testing::Test
{
protected:
	void SetUp() override
	{
		CRandomGeneratorSingleton::Instance().seed(3);
		menu = adoptRef(new GMainMenuScene(ContentReference(), nullptr, nullptr));
		usePaths(DEFAULT_PATHS);
		scene.reset(new CHeadlessScene(menu.get()));
		BaseNode* parent = menu.get();
		for (CRefHolder<BaseNode>& level : levels)
		{
			level = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
			parent->addChild(level.get());
			parent = level.get();
		}
	}

	void usePaths(const char* text) { ASSERT_TRUE(menu->getLevelPaths()->load(leveltest::readerOver(text).get())); }

	// A mover with a recording body, placed where its class finds the menu and started by a pass.
	template <class T>
	CRefHolder<T> place(const vector2df& range, CRefHolder<CRecordingNode>* body = nullptr)
	{
		CRefHolder<T> mover = adoptRef(new T(ContentReference(), nullptr, nullptr));
		mover->setInitialVelocityRange(range);
		if (body)
		{
			*body = adoptRef(new CRecordingNode("Body"));
			mover->addChild(body->get());
		}
		mover->onInit();
		const bool rider = T::TypeId == GMainMenuBikeNode::TypeId;
		levels[rider ? 2 : 3]->addChild(mover.get());
		scene->draw();
		return mover;
	}

	static constexpr const char* DEFAULT_PATHS = "<LevelPaths><CarPaths>"
												 "<Path ID=\"Path\"><p p=\"400, 900\"/><p p=\"400, 600\"/></Path>"
												 "<Path ID=\"Bike\"><p p=\"100, 720\"/><p p=\"300, 720\"/>"
												 "<p p=\"300, 760\"/></Path>"
												 "<Path ID=\"Clouds\"><p p=\"1200, 450\"/><p p=\"-200, 450\"/></Path>"
												 "</CarPaths><PedestrianPaths>"
												 "<Path><p p=\"200, 800\"/><p p=\"200, 600\"/></Path>"
												 "</PedestrianPaths></LevelPaths>";

	CRefHolder<GMainMenuScene> menu;
	std::unique_ptr<CHeadlessScene> scene;
	CRefHolder<BaseNode> levels[4];
};

vector2df heading(f32 degrees)
{
	return vector2df(std::cos(degrees / 57.29578f), -std::sin(degrees / 57.29578f));
}
} // namespace

TEST(MainMenuFacings, TwentyFourSectorsOfFifteenDegrees)
{
	const struct
	{
		vector2df motion;
		const char* facing;
	} cases[] = {
		{vector2df(1.f, 0.f), "Right"},
		{vector2df(0.f, -1.f), "Up"},
		{vector2df(-1.f, 0.f), "Left"},
		{vector2df(0.f, 1.f), "Down"},
		{heading(7.5f), "RightRightRightUp"},
		{heading(7.4f), "Right"},
		{heading(352.4f), "RightRightRightDown"},
		{heading(352.6f), "Right"},
		// Just below a full turn: the angle rounds to 360 and still faces right.
		{vector2df(1.f, 1e-9f), "Right"},
		{vector2df(0.f, 0.f), "Right"},
	};
	for (const auto& c : cases)
		EXPECT_EQ(c.facing, nameOf(directionFromAngle(c.motion))) << c.motion.X << ", " << c.motion.Y;
	for (u32 k = 0; k < BIKE_FACING_COUNT; ++k)
		EXPECT_EQ(bikeFacingNames()[k], nameOf(directionFromAngle(heading(15.f * k)))) << k * 15;
	EXPECT_EQ(nameIdUp(), directionFromAngle(vector2df(0.f, -1.f))) << "the movers' shared names";
}

TEST_F(MenuStreet, ACarsLookFollowsItsHeightOnTheRoad)
{
	const struct
	{
		f32 y;
		f32 scale;
		f32 velocity;
		const char* upState;
		const char* downState;
	} rows[] = {
		{600.f, 0.01f, 1.f, "Up6", "Down6"},
		{668.f, 0.01f, 1.f, "Up6", "Down6"},
		{718.f, 0.5f, std::pow(0.5f, 1.6f) * 80.f, "Up3", "Down3"},
		{748.f, 0.8f, std::pow(0.8f, 1.6f) * 80.f, "Up2", "Down2"},
		{768.f, 1.f, 80.f, "Up1", "Down1"},
		{900.f, 1.f, 80.f, "Up1", "Down1"},
	};
	for (bool down : {false, true})
	{
		// Long enough that no head start ends it.
		usePaths(down ? "<LevelPaths><CarPaths><Path ID=\"Path\"><p p=\"400, -90000\"/><p p=\"400, 900\"/>"
						"</Path></CarPaths></LevelPaths>"
					  : "<LevelPaths><CarPaths><Path ID=\"Path\"><p p=\"400, 900\"/><p p=\"400, -90000\"/>"
						"</Path></CarPaths></LevelPaths>");
		CRefHolder<CRecordingNode> body;
		CRefHolder<GMainMenuCarNode> car = place<GMainMenuCarNode>(vector2df(80.f, 80.f), &body);
		ASSERT_GE(car->getRemainingPointCount(), 2u);
		EXPECT_EQ(down ? nameIdDown() : nameIdUp(), car->getDirectionStateId());
		for (const auto& row : rows)
		{
			car->setPosition(core::vector3df(400.f, row.y, row.y));
			body->log.clear();
			car->updateLook();
			EXPECT_FLOAT_EQ(row.scale, car->getScale().X) << row.y;
			EXPECT_FLOAT_EQ(row.scale, car->getScale().Y) << row.y;
			EXPECT_NEAR(row.velocity, car->getVelocity(), 1e-3f) << row.y;
			ASSERT_FALSE(body->log.empty());
			EXPECT_EQ(std::string("enter ") + (down ? row.downState : row.upState), body->log.back()) << row.y;
		}
	}
}

TEST_F(MenuStreet, EachCarSoundsOnceAsItPassesTheViewer)
{
	CSoundManager* sounds = CEngineDeviceSingleton::Instance().getDevice()->getSoundManager();
	ASSERT_NE(nullptr, sounds);
	// The street's scene plays its cues through the sound manager it hands down.
	SServices services = scene->manager->getServices();
	services.sound = sounds;
	scene->manager->setServices(services);
	// The cues are heard only where this test made them: a game started earlier in the process
	// leaves the staged pack's cues, whose files went with it.
	bool ownCues = true;
	for (const char* name : {"MainMenuCarOut", "MainMenuCarTo"})
		if (sounds->findCue(nameId(name)))
			ownCues = false;
		else
		{
			const CRefHolder<CSoundCue> cue = adoptRef(new CSoundCue(nameId(name)));
			cue->addSound(adoptRef(new soundtest::CScriptedSound(name)).get());
			sounds->registerCue(cue.get());
		}
	// Whatever an earlier test left the groups at, these cues may sound.
	std::vector<std::pair<s32, f32>> volumes;
	for (const char* name : {"MainMenuCarOut", "MainMenuCarTo"})
	{
		const s32 group = sounds->findCue(nameId(name))->getGroupId();
		volumes.emplace_back(group, sounds->getGroupVolume(group));
		sounds->setGroupVolume(1.f, group);
	}
	auto playing = [&](const char* name)
	{
		u32 count = 0;
		for (u32 i = 0; i < sounds->getPlayingCount(); ++i)
			count += sounds->getPlaying(i)->getNameId() == nameId(name) ? 1 : 0;
		return count;
	};
	const struct
	{
		bool down;
		f32 silentY;
		f32 soundingY;
		f32 laterY;
		const char* cue;
	} cases[] = {
		// Driving away: once it rises above y 800.
		{false, 800.f, 799.f, 700.f, "MainMenuCarOut"},
		// Coming closer: once t passes 0.6, below y 728.
		{true, 728.f, 729.f, 760.f, "MainMenuCarTo"},
	};
	for (const auto& c : cases)
	{
		usePaths(c.down ? "<LevelPaths><CarPaths><Path ID=\"Path\"><p p=\"400, 600\"/><p p=\"400, 900\"/></Path>"
						  "</CarPaths></LevelPaths>"
						: DEFAULT_PATHS);
		CRefHolder<GMainMenuCarNode> car = place<GMainMenuCarNode>(vector2df(80.f, 80.f));
		if (car->getSoundPlayed())
			continue; // a head start towards the viewer: tested below
		car->setPosition(core::vector3df(400.f, c.silentY, 0.f));
		car->updateLook();
		EXPECT_FALSE(car->getSoundPlayed()) << c.cue;
		if (ownCues)
		{
			EXPECT_EQ(0u, playing(c.cue)) << c.cue;
		}
		car->setPosition(core::vector3df(400.f, c.soundingY, 0.f));
		car->updateLook();
		EXPECT_TRUE(car->getSoundPlayed()) << c.cue;
		if (ownCues)
		{
			EXPECT_EQ(1u, playing(c.cue)) << c.cue;
		}
		car->setPosition(core::vector3df(400.f, c.laterY, 0.f));
		car->updateLook();
		if (ownCues)
		{
			EXPECT_EQ(1u, playing(c.cue)) << "once: " << c.cue;
		}
		sounds->stopGroup(0);
		sounds->stopGroup(1);
		sounds->stopGroup(2);
	}
	for (auto it = volumes.rbegin(); it != volumes.rend(); ++it)
		sounds->setGroupVolume(it->second, it->first);
}

TEST_F(MenuStreet, OnlyTheFirstMoversOfEachKindStartPartWay)
{
	// The counts are the process's: earlier tests may have used some of them.
	usePaths("<LevelPaths><CarPaths>"
			 "<Path ID=\"Path\"><p p=\"400, 600\"/><p p=\"400, 90000\"/></Path>"
			 "<Path ID=\"Clouds\"><p p=\"90000, 450\"/><p p=\"-90000, 450\"/></Path>"
			 "</CarPaths><PedestrianPaths><Path><p p=\"200, 90000\"/><p p=\"200, -90000\"/></Path>"
			 "</PedestrianPaths></LevelPaths>");
	auto check = [&](auto make, u32 (*count)(), u32 limit, const vector2df& first, const char* kind)
	{
		while (count() < limit)
		{
			const u32 before = count();
			auto mover = make();
			EXPECT_EQ(before + 1, count()) << kind;
			EXPECT_NE(first, at(mover.get())) << kind << " " << before;
		}
		auto late = make();
		EXPECT_EQ(limit, count()) << kind;
		EXPECT_EQ(first, at(late.get())) << kind << ": no head start after " << limit;
	};
	// A car given a head start towards the viewer has passed where it would sound: it stays silent.
	check(
		[&]
		{
			CRefHolder<GMainMenuCarNode> car = place<GMainMenuCarNode>(vector2df(80.f, 80.f));
			EXPECT_EQ(GMainMenuCarNode::getHeadStartCount() < GMainMenuCarNode::HEAD_START_LIMIT ||
					at(car.get()) != vector2df(400.f, 600.f),
				car->getSoundPlayed());
			return car;
		},
		&GMainMenuCarNode::getHeadStartCount, GMainMenuCarNode::HEAD_START_LIMIT, vector2df(400.f, 600.f), "car");
	check([&] { return place<GMainMenuCloudNode>(vector2df(5.f, 5.f)); }, &GMainMenuCloudNode::getHeadStartCount,
		GMainMenuCloudNode::HEAD_START_LIMIT, vector2df(90000.f, 450.f), "cloud");
	check([&] { return place<GMainMenuPedestrianNode>(vector2df(2.f, 3.f)); },
		&GMainMenuPedestrianNode::getHeadStartCount, GMainMenuPedestrianNode::HEAD_START_LIMIT,
		vector2df(200.f, 90000.f), "walker");
	EXPECT_EQ(4u, GMainMenuCarNode::HEAD_START_LIMIT);
	EXPECT_EQ(12u, GMainMenuCloudNode::HEAD_START_LIMIT);
	EXPECT_EQ(24u, GMainMenuPedestrianNode::HEAD_START_LIMIT);
}

TEST_F(MenuStreet, AWalkerGrowsAndSpeedsUpTowardsTheViewer)
{
	const struct
	{
		f32 y;
		f32 scale;
		f32 velocity;
	} rows[] = {
		{600.f, 0.f, 1.f},
		{668.f, 0.f, 1.f},
		{718.f, 0.5f, 1.25f},
		{768.f, 1.f, 2.5f},
		{900.f, 1.f, 2.5f},
	};
	CRefHolder<CRecordingNode> body;
	CRefHolder<GMainMenuPedestrianNode> walker = place<GMainMenuPedestrianNode>(vector2df(2.5f, 2.5f), &body);
	ASSERT_GE(walker->getRemainingPointCount(), 2u);
	for (const auto& row : rows)
	{
		walker->setPosition(core::vector3df(200.f, row.y, row.y));
		walker->updateScale();
		EXPECT_FLOAT_EQ(row.scale, walker->getScale().X) << row.y;
		EXPECT_FLOAT_EQ(row.velocity, walker->getVelocity()) << row.y;
	}
	// Facing: its back going up the screen, its front coming down.
	walker->setDirection(3.f, -1.f);
	EXPECT_EQ("enter Up", body->log.back());
	walker->setDirection(-3.f, 1.f);
	EXPECT_EQ("enter Down", body->log.back());
	EXPECT_EQ(nameIdDown(), walker->getDirectionStateId());
}

TEST_F(MenuStreet, TheRiderTurnsTenDegreesATickAndSnapsWithinSeven)
{
	CRefHolder<CRecordingNode> body;
	CRefHolder<GMainMenuBikeNode> bike = place<GMainMenuBikeNode>(vector2df(50.f, 50.f), &body);
	ASSERT_TRUE(bike->isLooping());
	// A fresh rider: the first segment's facing is shown at once.
	CRefHolder<GMainMenuBikeNode> fresh = adoptRef(new GMainMenuBikeNode(ContentReference(), nullptr, nullptr));
	fresh->setDirection(0.f, 1.f);
	EXPECT_EQ("Down", nameOf(fresh->getDirectionStateId()));
	EXPECT_EQ(vector2df(0.f, 0.f), fresh->getCurrentHeading());
	fresh->updateScaleAndHeading();
	EXPECT_EQ("Down", nameOf(fresh->getDirectionStateId())) << "kept while the heading is still none";

	fresh->setDirection(heading(95.f).X, heading(95.f).Y);
	EXPECT_EQ(vector2df(0.f, 1.f), fresh->getCurrentHeading()) << "the previous target, turn completed";
	fresh = adoptRef(new GMainMenuBikeNode(ContentReference(), nullptr, nullptr));
	fresh->setDirection(1.f, 0.f);
	fresh->setDirection(heading(95.f).X, heading(95.f).Y);
	std::vector<int> angles;
	for (int tick = 0; tick < 12; ++tick)
	{
		fresh->updateScaleAndHeading();
		angles.push_back(static_cast<int>(std::lround(getVector2dAngleDegrees(fresh->getCurrentHeading()))));
	}
	EXPECT_EQ((std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 95, 95, 95}), angles);
	// The facing shown is the heading turned a further 10 degrees clockwise: 95 shows 85, "Up".
	EXPECT_EQ("Up", nameOf(fresh->getDirectionStateId()));

	// The turn factor slows the rider on steep segments.
	const struct
	{
		vector2df d;
		f32 factor;
	} factors[] = {
		{vector2df(10.f, 0.f), 1.f},
		{vector2df(-10.f, 0.f), 1.f},
		{vector2df(4.f, 1.f), 1.f},
		{vector2df(1.f, 4.f), 0.5f},
		{vector2df(4.f, 9.f), 2.f / 3.f},
		{vector2df(-1.f, 1.f), 1.f},
		{vector2df(0.f, 1.f), 0.5f},
	};
	for (const auto& f : factors)
	{
		fresh->setDirection(f.d.X, f.d.Y);
		EXPECT_FLOAT_EQ(f.factor, fresh->getTurnFactor()) << f.d.X << ", " << f.d.Y;
	}
}

TEST_F(MenuStreet, HigherCloudsDriftFasterWithinOneToTen)
{
	const struct
	{
		f32 y;
		f32 drawn;
		f32 velocity;
	} rows[] = {
		{450.f, 5.f, 5.f},
		{330.f, 5.f, 10.f},
		{390.f, 4.f, 6.f},
		{-1000.f, 5.f, 10.f},
		{450.f, 0.2f, 1.f},
	};
	for (const auto& row : rows)
	{
		const std::string y = std::to_string(static_cast<int>(row.y));
		const std::string paths = "<LevelPaths><CarPaths><Path ID=\"Clouds\"><p p=\"90000, " + y +
			"\"/><p p=\"-90000, " + y + "\"/></Path></CarPaths></LevelPaths>";
		usePaths(paths.c_str());
		CRefHolder<GMainMenuCloudNode> cloud = place<GMainMenuCloudNode>(vector2df(row.drawn, row.drawn));
		EXPECT_FLOAT_EQ(row.velocity, cloud->getVelocity()) << row.y;
		const vector2df before = at(cloud.get());
		scene->step(GMainMenuMover::INTERVAL);
		EXPECT_NEAR(row.velocity * 0.03f, before.X - at(cloud.get()).X, 1e-2f) << "a cloud keeps its speed";
	}
}

TEST_F(MenuStreet, MoversWithoutAMenuOrAtTheirRoutesEndLeaveTheTree)
{
	// Outside a menu (here at the wrong level, and in a plain scene) a mover starts nothing and
	// leaves at its first tick.
	CHeadlessScene plain;
	CRefHolder<BaseNode> movers[] = {
		adoptRef<BaseNode>(new GMainMenuCarNode(ContentReference(), nullptr, nullptr)),
		adoptRef<BaseNode>(new GMainMenuCloudNode(ContentReference(), nullptr, nullptr)),
		adoptRef<BaseNode>(new GMainMenuPedestrianNode(ContentReference(), nullptr, nullptr)),
		adoptRef<BaseNode>(new GMainMenuBikeNode(ContentReference(), nullptr, nullptr)),
	};
	for (CRefHolder<BaseNode>& mover : movers)
	{
		for (BaseNode* parent : {static_cast<BaseNode*>(plain.scene.get()), levels[0].get()})
		{
			parent->addChild(mover.get());
			plain.draw();
			scene->draw();
			GMainMenuMover* menuMover = static_cast<GMainMenuMover*>(mover.get());
			EXPECT_TRUE(menuMover->isTimerRunning()) << core::stringc(mover->getClassName()).c_str();
			EXPECT_LT(menuMover->getRemainingPointCount(), 2u);
			plain.step(GMainMenuMover::INTERVAL);
			scene->step(GMainMenuMover::INTERVAL);
			EXPECT_EQ(nullptr, mover->getParent()) << core::stringc(mover->getClassName()).c_str();
			EXPECT_FALSE(menuMover->isTimerRunning());
		}
	}

	// A car at its route's end leaves, its body's states stopped, and is never called again.
	usePaths("<LevelPaths><CarPaths><Path ID=\"Path\"><p p=\"400, 800\"/><p p=\"400, 790\"/></Path>"
			 "</CarPaths></LevelPaths>");
	while (GMainMenuCarNode::getHeadStartCount() < GMainMenuCarNode::HEAD_START_LIMIT)
		place<GMainMenuCarNode>(vector2df(80.f, 80.f));
	CRefHolder<CRecordingNode> body;
	CRefHolder<GMainMenuCarNode> car = place<GMainMenuCarNode>(vector2df(80.f, 80.f), &body);
	ASSERT_NE(nullptr, car->getParent());
	for (int i = 0; i < 100 && car->getParent(); ++i)
		scene->step(GMainMenuMover::INTERVAL);
	EXPECT_EQ(nullptr, car->getParent());
	EXPECT_FALSE(car->isTimerRunning());
	const vector2df end = at(car.get());
	scene->step(GMainMenuMover::INTERVAL, 10);
	EXPECT_EQ(end, at(car.get()));
	EXPECT_EQ(1u, car->getReferenceCount()) << "only the test holds it";

	// The rider never ends its loop.
	usePaths(DEFAULT_PATHS);
	CRefHolder<GMainMenuBikeNode> bike = place<GMainMenuBikeNode>(vector2df(50.f, 50.f));
	scene->step(GMainMenuMover::INTERVAL, 2000);
	EXPECT_NE(nullptr, bike->getParent());
	EXPECT_GE(bike->getRemainingPointCount(), 2u);
}

TEST(MainMenuMovers, TheVelocityRangeIsStoredReadAndCopiedByEveryKind)
{
	const struct
	{
		CRefHolder<GMainMenuMover> mover;
		vector2df defaults;
	} cases[] = {
		{adoptRef<GMainMenuMover>(new GMainMenuPedestrianNode(ContentReference(), nullptr, nullptr)),
			vector2df(2.f, 3.f)},
		{adoptRef<GMainMenuMover>(new GMainMenuCarNode(ContentReference(), nullptr, nullptr)), vector2df(80.f, 82.f)},
		{adoptRef<GMainMenuMover>(new GMainMenuCloudNode(ContentReference(), nullptr, nullptr)), vector2df(5.f, 5.f)},
		{adoptRef<GMainMenuMover>(new GMainMenuBikeNode(ContentReference(), nullptr, nullptr)), vector2df(50.f, 50.f)},
	};
	for (const auto& c : cases)
	{
		const std::string kind = core::stringc(c.mover->getClassName()).c_str();
		EXPECT_EQ(c.defaults, c.mover->getInitialVelocityRange()) << kind;
		CRefHolder<CPropertyContainer> written = adoptRef(new CPropertyContainer(nullptr));
		c.mover->writeProperties(written.get());
		EXPECT_EQ(-1, written->indexOf("InitialVelocityRange")) << "the default is not written: " << kind;

		c.mover->setInitialVelocityRange(vector2df(7.f, 9.f));
		written = adoptRef(new CPropertyContainer(nullptr));
		c.mover->writeProperties(written.get());
		ASSERT_NE(-1, written->indexOf("InitialVelocityRange")) << kind;
		CRefHolder<BaseNode> read = adoptRef(c.mover->clone());
		EXPECT_EQ(vector2df(7.f, 9.f), static_cast<GMainMenuMover*>(read.get())->getInitialVelocityRange())
			<< "copied: " << kind;
		static_cast<GMainMenuMover*>(read.get())->setInitialVelocityRange(c.defaults);
		read->readProperties(written.get());
		EXPECT_EQ(vector2df(7.f, 9.f), static_cast<GMainMenuMover*>(read.get())->getInitialVelocityRange())
			<< "read: " << kind;
	}
}
