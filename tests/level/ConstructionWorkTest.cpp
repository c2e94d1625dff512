// The construction work on the fixture level: the helicopter's heading and flight, the phases of
// the helicopter, the bus and the site through whole constructions (with and without a delivery
// path), the build-time modifier, the star of an upgraded hotel, cancelling, completions that
// arrive together, and works whose templates are missing.

#include "LevelSceneSupport.h"

#include "core/CAnimatorState.h"
#include "core/CPropertyDataScalars.h"
#include "core/KeyFrame.h"
#include "level/data/GLevelPaths.h"
#include "level/nodes/GPathMovableNode.h"
#include "level/scene/LevelServices.h"
#include "level/works/GConstructionWork.h"
#include "widgets/ProgressBarNode.h"
#include "widgets/SpriteNode.h"
#include "widgets/TextNode.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace leveltest;
using fw::core::vector3df;

namespace
{
typedef std::vector<std::string> Lines;
typedef std::vector<fw::s32> Phases;

const fw::f32 MATERIALS = 5.f;
const fw::s32 WORKERS = 2;
const fw::u32 STEP = 20;
const char* const WORK_TEMPLATES[] = {"Helicopter", "Bus", "Cargo", "Construction", "ConstructionSelector",
	"LevelStarEffect"};

// An empty place and an owned hotel of Level 1, low on the screen.
std::string places()
{
	return levelScene(building("Place", "BuildingPlace", 400, 500, true) + building("Hotel", "Hotel1", 600, 500, true));
}

// Writes down the construction messages as they reach the level, and lets the building's work go
// on 4101 as the level does.
class CWorkMessages : public fw::CEventReceiver
{
public:
	CWorkMessages() { setEventMask(fw::EVENT_CATEGORY_GAME_MESSAGE); }
	bool onEvent(fw::CEvent* event) override
	{
		if (event->getTypeId() == GAME_MESSAGE_CONSTRUCTION_DONE)
		{
			GConstructionDoneMessage* done = static_cast<GConstructionDoneMessage*>(event);
			log.push_back("4101 " + nameOf(done->building) + " " +
				(done->type ? fw::CNameTableSingleton::Instance().lookup(done->type->Name).c_str() : "-"));
			if (done->building)
				done->building->setWork(GBuildingNode::WORK_NONE, nullptr);
		}
		else if (event->getTypeId() == GAME_MESSAGE_RESOURCES_RETURNED)
		{
			GResourcesReturnedMessage* returned = static_cast<GResourcesReturnedMessage*>(event);
			log.push_back("4109 " + nameOf(returned->building) + " " +
				std::to_string(static_cast<int>(returned->materials)) + " " + std::to_string(returned->workers));
		}
		return false;
	}
	Lines take()
	{
		Lines out;
		out.swap(log);
		return out;
	}
	static std::string nameOf(const GBuildingNode* building) { return building ? building->getName().c_str() : "-"; }
	Lines log;
};

// Phases seen after each step, a value written down when it changes.
struct STrace
{
	Phases helicopter, bus, site, star;

	void note(const GConstructionWork* work)
	{
		const auto add = [](Phases& list, fw::s32 phase)
		{
			if (list.empty() || list.back() != phase)
				list.push_back(phase);
		};
		add(helicopter, work->getHelicopterPhase());
		add(bus, work->getBusPhase());
		add(site, work->getConstructionPhase());
		add(star, work->getStarPhase());
	}
};

fw::CRefHolder<GLevelPath> pathOf(std::initializer_list<fw::core::vector2df> points)
{
	fw::CRefHolder<GLevelPath> path = fw::adoptRef(new GLevelPath);
	for (const fw::core::vector2df& point : points)
	{
		GPathPoint entry;
		entry.x = point.X;
		entry.y = point.Y;
		path->points.push_back(entry);
	}
	return path;
}

const fw::KeyFrame* mover(const fw::BaseNode* helicopter, const char* state)
{
	const fw::CAnimatorState* found = helicopter->findState(id(state));
	fw::Base* item = found ? found->findItemByName(id("Mover")) : nullptr;
	return item && item->isOfType(fw::STATE_ITEM_TYPE_KEY_FRAME) ? static_cast<const fw::KeyFrame*>(item) : nullptr;
}

vector3df keyValue(const fw::KeyFrame* keys, fw::u32 key)
{
	const fw::IPropertyData* value = keys->getKeys()[key].values[0].get();
	return static_cast<const fw::CPropertyDataVector3d*>(value)->getValue();
}

void expectNear(const vector3df& expected, const vector3df& actual)
{
	EXPECT_NEAR(expected.X, actual.X, 0.01f);
	EXPECT_NEAR(expected.Y, actual.Y, 0.01f);
	EXPECT_NEAR(expected.Z, actual.Z, 0.01f);
}

// A work that only stands in a building's work slot.
class COtherWork : public GBuildingWork
{
public:
	fw::f32 getProgress() override { return 0.f; }
	bool update(fw::u32) override { return true; }
};

// The fixture level with the construction cues, a work on it and the messages it posts.
class CConstructionLevel
{
public:
	CConstructionLevel() : rig(places(), levelXml(""), false), messages(fw::adoptRef(new CWorkMessages))
	{
		for (const char* name : {"Helicopter", "Bus"})
		{
			if (rig.sounds->findCue(id(name)))
				continue;
			const fw::CRefHolder<fw::CSoundCue> cue = fw::adoptRef(new fw::CSoundCue(id(name)));
			cue->addSound(fw::adoptRef(new fw::soundtest::CScriptedSound(name, &soundTrace())).get());
			rig.sounds->registerCue(cue.get());
		}
	}
	~CConstructionLevel()
	{
		work.release();
		rig.level->removePreListener(messages.get());
	}

	// The level enters, with the build-time modifier when one is given.
	void enter(const char* buildTimeM = nullptr)
	{
		if (buildTimeM)
		{
			const fw::CRefHolder<fw::IXMLReader> reader =
				readerOver(std::string("<LevelModifiers><Modifier Type=\"BuildTimeM\" Value=\"") + buildTimeM +
					"\"/></LevelModifiers>");
			moveTo(reader.get(), L"LevelModifiers");
			modifiers = fw::adoptRef(new GLevelModifierList);
			modifiers->read(reader.get());
			rig.effects->blocks.push_back(modifiers.get());
		}
		rig.setUpAndEnter();
		rig.level->addPreListener(messages.get());
		CLevelRig::plays();
	}

	GBuildingConfiguration* type(const char* name) const { return rig.buildings->getBuilding(id(name)); }
	fw::BaseNode* cargos() const { return rig.level->getCargosNode(); }

	// As the level starts a construction: the building takes the new type at once (the old one
	// becomes its previous type), the work is made, set as the building's work and stepped by the
	// level.
	GConstructionWork* start(const char* place, const char* typeName, GLevelPath* path = nullptr,
		fw::TemplateCollectionNode* templates = nullptr)
	{
		GBuildingNode* building = rig.building(place);
		GBuildingConfiguration* target = type(typeName);
		building->setType(target, false);
		work = fw::adoptRef(new GConstructionWork(rig.level.get(), building, target, cargos(),
			templates ? templates : rig.templates.get(), path, MATERIALS, WORKERS));
		building->setWork(GBuildingNode::WORK_CONSTRUCTION, work.get());
		rig.level->addWork(work.get());
		return work.get();
	}

	bool running(const GConstructionWork* candidate) const
	{
		const fw::core::array<GBuildingWork*>& works = rig.level->getWorks();
		for (fw::u32 i = 0; i < works.size(); ++i)
			if (works[i] == candidate)
				return true;
		return false;
	}

	// Steps until the condition holds, at most limit steps; the steps taken.
	fw::u32 stepUntil(const std::function<bool()>& condition, fw::u32 limit = 3000)
	{
		fw::u32 steps = 0;
		while (!condition() && steps < limit)
		{
			rig.step(STEP);
			++steps;
		}
		return steps;
	}

	// Steps until the level has let the work go, noting its phases.
	STrace runToEnd(GConstructionWork* candidate, fw::u32 limit = 3000)
	{
		STrace trace;
		trace.note(candidate);
		for (fw::u32 i = 0; i < limit && running(candidate); ++i)
		{
			rig.step(STEP);
			trace.note(candidate);
		}
		return trace;
	}

	// A collection of the work templates but the one named.
	fw::CRefHolder<fw::TemplateCollectionNode> templatesWithout(const char* missing) const
	{
		fw::CRefHolder<fw::TemplateCollectionNode> collection =
			fw::adoptRef(new fw::TemplateCollectionNode(fw::ContentReference(), nullptr, nullptr));
		for (const char* name : WORK_TEMPLATES)
			if (std::string(name) != missing)
				collection->addTemplate(rig.templates->getTemplate(id(name)));
		return collection;
	}

	// The fixture's bus leaves at once on its last segment; this one keeps leaving for two seconds,
	// so that it arrives first.
	void useSlowLeavingBus()
	{
		fw::BaseNode* bus = rig.templates->getTemplate(id("Bus"));
		const fw::CRefHolder<fw::IXMLReader> reader = readerOver(
			"<SceneNode Type=\"GPathMovableNode\"><Properties><string Name=\"Name\" Value=\"Bus\"/></Properties>"
			"<States><State Name=\"MovingTo\"/><State Name=\"MovingFrom\"><Animator Type=\"KeyFrame\"><Properties>"
			"<vector3d Name=\"Scale\" Value=\"1;1;1\"/></Properties><KeyFrame t=\"0\" Value0=\"1;1;1\"/>"
			"<KeyFrame t=\"2000\" Value0=\"1;1;1\"/></Animator></State></States></SceneNode>");
		ASSERT_TRUE(moveTo(reader.get(), L"SceneNode"));
		bus->loadFromXml(reader.get(), rig.factory.get());
	}

	CConstructionLevel(const CConstructionLevel&) = delete;
	CConstructionLevel& operator=(const CConstructionLevel&) = delete;

	// Read by the level until it goes.
	fw::CRefHolder<GLevelModifierList> modifiers;
	CLevelRig rig;
	fw::CRefHolder<CWorkMessages> messages;
	fw::CRefHolder<GConstructionWork> work;
};

// --- Heading.

TEST(ConstructionHeading, ColumnsAndRowsOfTheScreen)
{
	struct SCase
	{
		fw::f32 x, y;
		// Of the random draw r; null where no draw is made.
		fw::s32 (*heading)(fw::u32 r);
		fw::s32 fixed;
	};
	const auto half = [](fw::u32 r) { return static_cast<fw::s32>(r & 1) * 2; };
	const auto leftSide = [](fw::u32 r) { return static_cast<fw::s32>(r & 1) + 2; };
	const auto any = [](fw::u32 r) { return static_cast<fw::s32>(r & 3); };
	const auto rightSide = [](fw::u32 r) { return static_cast<fw::s32>(r & 1); };
	const auto downward = [](fw::u32 r) { return static_cast<fw::s32>(r & 1) * 2 + 1; };
	const SCase cases[] = {
		{341.f, 210.f, nullptr, 2},
		{341.5f, 210.f, half, -1},
		{682.f, 210.f, half, -1},
		{682.5f, 210.f, nullptr, 0},
		{341.f, 210.5f, leftSide, -1},
		{341.f, 420.f, leftSide, -1},
		{341.f, 420.5f, nullptr, 3},
		{500.f, 300.f, any, -1},
		{700.f, 420.f, rightSide, -1},
		{500.f, 420.5f, downward, -1},
		{1000.f, 700.f, nullptr, 1},
		{-50.f, -50.f, nullptr, 2},
	};
	for (const SCase& c : cases)
		for (fw::u32 seed = 1; seed <= 6; ++seed)
		{
			SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << " seed " << seed);
			fw::CRandomGenerator reference;
			reference.seed(seed);
			fw::CRandomGenerator random;
			random.seed(seed);
			const fw::s32 expected = c.heading ? c.heading(reference.nextUInt()) : c.fixed;
			EXPECT_EQ(expected, GConstructionWork::chooseHeading(fw::core::vector2df(c.x, c.y), random));
			// One draw where the table draws, none elsewhere.
			EXPECT_EQ(reference.nextUInt(), random.nextUInt());
		}
	EXPECT_STREQ("RightUp", GConstructionWork::headingName(0));
	EXPECT_STREQ("LeftDown", GConstructionWork::headingName(3));
}

TEST(ConstructionWork, HelicopterFliesThroughTheHoverPointAtThreeHundredUnitsASecond)
{
	CConstructionLevel level;
	level.enter();
	struct SCase
	{
		fw::f32 x, y;
		const char* heading;
		// The 1000-unit leg.
		vector3df leg;
	};
	const SCase cases[] = {
		// The hover point (341, 210): the left column and the top row.
		{237.f, 267.f, "LeftUp", vector3df(-866.0254f, -500.f, 0.f)},
		{700.f, 200.f, "RightUp", vector3df(866.0254f, -500.f, 0.f)},
		{700.f, 500.f, "RightDown", vector3df(866.0254f, 500.f, 0.f)},
		{100.f, 500.f, "LeftDown", vector3df(-866.0254f, 500.f, 0.f)},
	};
	GBuildingNode* place = level.rig.building("Place");
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.heading);
		place->setPosition(vector3df(c.x, c.y, 0.f));
		place->setType(level.type("Hotel1"), false);
		const fw::CRefHolder<GConstructionWork> flight = fw::adoptRef(new GConstructionWork(level.rig.level.get(),
			place, level.type("Hotel1"), level.cargos(), level.rig.templates.get(), nullptr, MATERIALS, WORKERS));
		EXPECT_EQ(c.heading, std::string(flight->getHeading().c_str()));
		const GPathMovableNode* helicopter = flight->getHelicopter();
		ASSERT_NE(nullptr, helicopter);
		EXPECT_EQ(level.cargos(), helicopter->getParent());
		EXPECT_TRUE(helicopter->isVisible());
		// The heading is set on the helicopter's parts.
		EXPECT_EQ(id(c.heading), helicopter->findChildByNameId(id("Cargo"), 1)->getCurrentStateId());
		EXPECT_EQ(id("MovingTo"), helicopter->getCurrentStateId());

		const vector3df hover(c.x + 104.f, c.y - 57.f, 2000.f);
		const fw::KeyFrame* in = mover(helicopter, "MovingTo");
		const fw::KeyFrame* out = mover(helicopter, "MovingFrom");
		ASSERT_NE(nullptr, in);
		ASSERT_NE(nullptr, out);
		// The keys are the places the helicopter passes: it comes in from one side, hovers over
		// the building and leaves on the other side.
		expectNear(hover - c.leg, keyValue(in, 0));
		expectNear(hover, keyValue(in, 1));
		expectNear(hover, keyValue(out, 0));
		expectNear(hover + c.leg, keyValue(out, 1));
		EXPECT_EQ(3333u, in->getKeys()[1].t);
		EXPECT_EQ(3333u, out->getKeys()[1].t);
		// Entered: the flight starts from its first key.
		expectNear(hover - c.leg, helicopter->getPosition());
	}
}

// --- Whole constructions.

// The key frames drive the helicopter's Position: it stops over the building, leaves on the other
// side.
TEST(ConstructionWork, HelicopterHoversOverTheBuildingAndLeavesOnTheOtherSide)
{
	CConstructionLevel level;
	level.enter();
	GBuildingNode* place = level.rig.building("Place");
	GConstructionWork* building = level.start("Place", "Hotel1");
	const fw::CRefHolder<GPathMovableNode> helicopter(building->getHelicopter());
	ASSERT_NE(nullptr, helicopter.get());
	const vector3df hover = place->getPosition() + vector3df(104.f, -57.f, 2000.f);
	const vector3df arrival = helicopter->getPosition();
	level.stepUntil([&] { return building->getHelicopterPhase() >= GConstructionWork::HELICOPTER_OVER_BUILDING; });
	expectNear(hover, helicopter->getPosition());
	level.stepUntil([&] { return building->getHelicopterPhase() >= GConstructionWork::HELICOPTER_TO_REMOVE; });
	expectNear(hover + (hover - arrival), helicopter->getPosition());
}

TEST(ConstructionWork, NewBuildingWithoutPathWaitsForTheHelicopterOnly)
{
	CConstructionLevel level;
	level.enter();
	GBuildingNode* place = level.rig.building("Place");
	GConstructionWork* building = level.start("Place", "Hotel1");
	EXPECT_EQ((Lines{"Helicopter"}), CLevelRig::plays());
	const fw::CRefHolder<fw::CSoundCue> helicopterCue(building->getHelicopterCue());
	ASSERT_NE(nullptr, helicopterCue.get());
	// The workers count as delivered at once.
	EXPECT_EQ(GConstructionWork::BUS_TO_REMOVE, building->getBusPhase());
	ASSERT_NE(nullptr, place->getWorkersText());
	EXPECT_TRUE(place->getWorkersText()->isVisible());
	EXPECT_EQ("x2", narrow(place->getWorkersText()->getText()));

	// The site on the building, the construction selector, the dark body.
	fw::BaseNode* site = building->getConstructionSite();
	ASSERT_NE(nullptr, site);
	EXPECT_EQ(place, site->getParent());
	EXPECT_TRUE(site->isVisible());
	expectNear(vector3df(0.f, 0.f, 0.4f), site->getPosition());
	ASSERT_NE(nullptr, building->getProgressBar());
	EXPECT_EQ(1.f, building->getProgressBar()->getMaxValue());
	EXPECT_EQ(0.f, building->getProgressBar()->getValue());
	ASSERT_NE(nullptr, building->getCargo());
	EXPECT_FALSE(building->getCargo()->isVisible());
	fw::ControlNode* root = place->getTemplateRoot();
	ASSERT_NE(nullptr, root);
	const fw::SpriteNode* selector = fw::nodeCast<fw::SpriteNode>(root->findChildByNameId(id("Selector"), 1));
	ASSERT_NE(nullptr, selector);
	EXPECT_EQ(1, selector->getBlendType());
	EXPECT_EQ(id("Focus"), selector->getCurrentStateId());
	fw::u32 selectors = 0;
	for (fw::BaseNode* child : levelservices::items(root->getChildren()))
		selectors += child->getNameId() == id("Selector") ? 1 : 0;
	EXPECT_EQ(1u, selectors);
	const fw::BaseNode* body = root->findChildByNameId(id("Body"), 1);
	ASSERT_NE(nullptr, body);
	EXPECT_EQ(fw::video::SColor(255, 32, 32, 32), body->getTintColor());
	ASSERT_NE(nullptr, building->getStarEffect());
	EXPECT_FALSE(building->getStarEffect()->isVisible());
	EXPECT_EQ(6500.f, building->getTotal());

	// The old building goes under the site while it prepares.
	level.stepUntil([&] { return building->getConstructionPhase() >= GConstructionWork::SITE_READY; });
	EXPECT_FALSE(body->isVisible());
	EXPECT_TRUE(root->findChildByNameId(id("Selector"), 1)->isVisible());

	const STrace trace = level.runToEnd(building);
	EXPECT_EQ((Phases{1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), trace.helicopter);
	EXPECT_EQ((Phases{11}), trace.bus);
	EXPECT_EQ((Phases{4, 5, 6, 7, 10, 9, 10, 11, 13}), trace.site);
	EXPECT_EQ((Phases{0, 2}), trace.star);
	EXPECT_FALSE(level.running(building));

	EXPECT_EQ((Lines{"4101 Place Hotel1", "4109 Place 0 2"}), level.messages->take());
	EXPECT_EQ(id("Hotel1"), place->getTemplateName());
	EXPECT_FALSE(place->getWorkersText()->isVisible());
	EXPECT_EQ(nullptr, building->getConstructionSite());
	EXPECT_EQ(nullptr, building->getHelicopter());
	// The new look, whole and untinted.
	const fw::BaseNode* newBody = place->getTemplateRoot()->findChildByNameId(id("Body"), 1);
	EXPECT_TRUE(newBody->isVisible());
	EXPECT_EQ(fw::video::SColor(255, 255, 255, 255), newBody->getTintColor());
	// The helicopter's cue fades out as it leaves.
	EXPECT_EQ(nullptr, building->getHelicopterCue());
	EXPECT_EQ(fw::CSoundCue::FADE_OUT, helicopterCue->getFadeMode());
	EXPECT_EQ(1000, helicopterCue->getFadeDuration());
	EXPECT_EQ((Lines{}), CLevelRig::plays());
	// The unused star effect waits, hidden, for the work to go.
	EXPECT_EQ(1u, level.cargos()->getChildren().size());
	level.work.release();
	EXPECT_EQ(0u, level.cargos()->getChildren().size());
}

TEST(ConstructionWork, BusBringsTheWorkersAlongTheDeliveryPath)
{
	CConstructionLevel level;
	level.useSlowLeavingBus();
	level.enter();
	GBuildingNode* place = level.rig.building("Place");
	// 200 units at 140 units a second: it arrives after 1429 ms, well before the helicopter.
	const fw::CRefHolder<GLevelPath> path = pathOf({{100.f, 700.f}, {300.f, 700.f}});
	GConstructionWork* building = level.start("Place", "Hotel1", path.get());
	EXPECT_EQ((Lines{"Helicopter", "Bus"}), CLevelRig::plays());
	GPathMovableNode* bus = building->getBus();
	ASSERT_NE(nullptr, bus);
	EXPECT_EQ(level.cargos(), bus->getParent());
	EXPECT_EQ(GBuildingWork::VEHICLE_VELOCITY, bus->getVelocity());
	EXPECT_FALSE(place->getWorkersText()->isVisible());

	level.rig.step(STEP);
	EXPECT_EQ(GConstructionWork::BUS_LAST_SEGMENT, building->getBusPhase());
	EXPECT_EQ(id("MovingFrom"), bus->getCurrentStateId());
	level.stepUntil([&] { return building->getBusPhase() == GConstructionWork::BUS_DELIVERED; });
	EXPECT_TRUE(place->getWorkersText()->isVisible()) << "the workers have arrived";
	EXPECT_EQ(GConstructionWork::SITE_WAITING, building->getConstructionPhase()) << "the materials have not";

	const STrace trace = level.runToEnd(building);
	EXPECT_EQ((Phases{10, 11, 12}), trace.bus);
	EXPECT_EQ((Phases{1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), trace.helicopter);
	EXPECT_EQ((Phases{5, 6, 7, 10, 9, 10, 11, 13}), trace.site);
	EXPECT_EQ((Lines{"4101 Place Hotel1", "4109 Place 0 2"}), level.messages->take());
	EXPECT_EQ(nullptr, building->getBus());
	level.work.release();
	EXPECT_EQ(0u, level.cargos()->getChildren().size());
}

TEST(ConstructionWork, BuildTimeModifierScalesTheCounting)
{
	struct SCase
	{
		const char* buildTimeM;
		// Steps of 20 ms in the counting phase; 0 for a count that never ends.
		fw::u32 steps;
	};
	const SCase cases[] = {{"1", 250}, {"2", 125}, {"0", 0}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.buildTimeM);
		CConstructionLevel level;
		level.enter(c.buildTimeM);
		GConstructionWork* building = level.start("Place", "Hotel1");
		level.stepUntil([&] { return building->getConstructionPhase() == GConstructionWork::SITE_WORKING; });
		ASSERT_EQ(GConstructionWork::SITE_WORKING, building->getConstructionPhase());
		EXPECT_EQ(0.f, building->getElapsed());
		const fw::u32 steps =
			level.stepUntil([&] { return building->getConstructionPhase() != GConstructionWork::SITE_WORKING; }, 1000);
		if (c.steps == 0)
		{
			// Nothing counts: the work waits until it is cancelled.
			EXPECT_EQ(1000u, steps);
			EXPECT_EQ(0.f, building->getElapsed());
			EXPECT_EQ(0.f, building->getProgress());
			level.rig.building("Place")->abortWork();
			level.rig.step(STEP);
			EXPECT_FALSE(level.running(building));
			continue;
		}
		EXPECT_EQ(c.steps, steps);
		EXPECT_EQ(GConstructionWork::SITE_BUILT, building->getConstructionPhase());
		// The whole build time is counted: BuildTime / (BuildTime + 1500).
		EXPECT_EQ(5000.f, building->getElapsed());
		EXPECT_FLOAT_EQ(5000.f / 6500.f, building->getProgress());
		EXPECT_FLOAT_EQ(5000.f / 6500.f, building->getProgressBar()->getValue());
		// The closing animations move the progress on.
		level.rig.step(STEP, 3);
		EXPECT_GT(building->getProgress(), 5000.f / 6500.f);
	}
}

TEST(ConstructionWork, UpgradedHotelSeesItsNewStarFlyIn)
{
	CConstructionLevel level;
	level.enter();
	GBuildingNode* hotel = level.rig.building("Hotel");
	hotel->setFocused(true);
	ASSERT_TRUE(hotel->isFocused());
	// The row of the look shown at the time.
	const auto starShown = [hotel](fw::u32 star) { return hotel->getStarSprites()[star]->isVisible(); };
	GConstructionWork* upgrade = level.start("Hotel", "Hotel3");
	level.stepUntil([&] { return upgrade->getConstructionPhase() == GConstructionWork::SITE_WORKING; });
	// The selected building sounds its work.
	EXPECT_EQ((Lines{"Helicopter", "Upgrading"}), CLevelRig::plays());
	ASSERT_NE(nullptr, hotel->getWorkCue());

	// The new look comes with "PostBuild2", the star row hidden under it.
	level.stepUntil([&] { return hotel->getTemplateName() == id("Hotel3"); });
	EXPECT_EQ(GConstructionWork::SITE_CLOSING, upgrade->getConstructionPhase());
	EXPECT_FALSE(hotel->getStarIcons()->isVisible());

	// At the finish the row shows star 1 and the empty star 3; star 2 flies in.
	level.stepUntil([&] { return upgrade->getStarPhase() != GConstructionWork::STAR_WAITING; });
	EXPECT_EQ((Lines{"4101 Hotel Hotel3", "4109 Hotel 0 2"}), level.messages->take());
	EXPECT_EQ(nullptr, hotel->getWorkCue());
	EXPECT_EQ(GConstructionWork::STAR_FLYING, upgrade->getStarPhase());
	EXPECT_TRUE(hotel->getStarIcons()->isVisible());
	ASSERT_EQ(3u, hotel->getStarSprites().size());
	EXPECT_TRUE(starShown(0));
	EXPECT_FALSE(starShown(1));
	EXPECT_TRUE(starShown(2));
	const fw::CRefHolder<fw::BaseNode> star(upgrade->getStarEffect());
	ASSERT_NE(nullptr, star.get());
	EXPECT_TRUE(star->isVisible());
	vector3df expected = hotel->getNewStarPosition();
	expected.Z = 3000.f;
	EXPECT_EQ(expected, star->getPosition());
	EXPECT_TRUE(level.running(upgrade));

	// "Activate" has completed: the whole row, the effect gone, the work over.
	level.stepUntil([&] { return !level.running(upgrade); }, 20);
	EXPECT_EQ(GConstructionWork::STAR_DONE, upgrade->getStarPhase());
	EXPECT_EQ(nullptr, upgrade->getStarEffect());
	EXPECT_EQ(nullptr, star->getParent());
	EXPECT_TRUE(starShown(0));
	EXPECT_TRUE(starShown(1));
	EXPECT_TRUE(starShown(2));
	EXPECT_EQ(0u, level.cargos()->getChildren().size());
}

TEST(ConstructionWork, NewBuildingOfLevelOneGetsNoStarEffect)
{
	CConstructionLevel level;
	level.enter();
	GConstructionWork* building = level.start("Place", "Hotel1");
	fw::BaseNode* star = building->getStarEffect();
	ASSERT_NE(nullptr, star);
	level.stepUntil([&] { return building->getStarPhase() != GConstructionWork::STAR_WAITING; });
	EXPECT_EQ(GConstructionWork::STAR_DONE, building->getStarPhase());
	EXPECT_FALSE(star->isVisible());
	// The stars are drawn as usual: one for Level 1.
	EXPECT_TRUE(level.rig.building("Place")->getStarIcons()->isVisible());
}

// --- Cancelling.

TEST(ConstructionWork, CancelBeforeTheHelicopterArrivesGivesEverythingBack)
{
	CConstructionLevel level;
	level.enter();
	GBuildingNode* hotel = level.rig.building("Hotel");
	const fw::CRefHolder<GLevelPath> path = pathOf({{100.f, 700.f}, {300.f, 700.f}, {500.f, 700.f}});
	GConstructionWork* upgrade = level.start("Hotel", "Hotel3", path.get());
	level.rig.step(STEP, 10);
	ASSERT_EQ(GConstructionWork::HELICOPTER_FLYING_IN, upgrade->getHelicopterPhase());
	ASSERT_EQ(GConstructionWork::BUS_DRIVING, upgrade->getBusPhase());
	const fw::CRefHolder<fw::CSoundCue> helicopterCue(upgrade->getHelicopterCue());
	fw::CRefHolder<fw::CSoundCue> busCue;
	for (fw::u32 i = 0; i < level.rig.sounds->getPlayingCount(); ++i)
		if (level.rig.sounds->getPlaying(i)->getNameId() == id("Bus"))
			busCue.assign(level.rig.sounds->getPlaying(i));
	ASSERT_NE(nullptr, helicopterCue.get());
	ASSERT_NE(nullptr, busCue.get());
	const GPathMovableNode* helicopter = upgrade->getHelicopter();
	const fw::CRefHolder<fw::BaseNode> site(upgrade->getConstructionSite());

	hotel->abortWork();
	// At once: the resources, the previous type and look, no work on the building.
	EXPECT_EQ((Lines{"4109 Hotel 5 2"}), level.messages->take());
	EXPECT_EQ(id("Hotel1"), hotel->getType()->Name);
	EXPECT_EQ(id("Hotel1"), hotel->getTemplateName());
	// The look's own selector and an untinted body.
	const fw::BaseNode* selector = hotel->getTemplateRoot()->findChildByNameId(id("Selector"), 1);
	ASSERT_NE(nullptr, selector);
	EXPECT_FALSE(selector->isOfType(fw::NODE_TYPE_SPRITE));
	EXPECT_EQ(fw::video::SColor(255, 255, 255, 255),
		hotel->getTemplateRoot()->findChildByNameId(id("Body"), 1)->getTintColor());
	EXPECT_EQ(GBuildingNode::WORK_NONE, hotel->getWorkCode());
	EXPECT_EQ(nullptr, hotel->getWork());
	EXPECT_FALSE(hotel->getWorkersText()->isVisible());
	EXPECT_EQ(nullptr, site->getParent());
	EXPECT_EQ(nullptr, upgrade->getProgressBar());
	EXPECT_EQ(nullptr, upgrade->getCargo());
	EXPECT_EQ(GConstructionWork::SITE_FINISHED, upgrade->getConstructionPhase());
	EXPECT_EQ(GConstructionWork::STAR_DONE, upgrade->getStarPhase());
	// The vehicles leave at the next step, the helicopter's cue fading, the bus's stopped.
	EXPECT_EQ(level.cargos(), helicopter->getParent());
	EXPECT_EQ(level.cargos(), upgrade->getBus()->getParent());
	EXPECT_TRUE(level.running(upgrade));
	level.rig.step(STEP);
	EXPECT_FALSE(level.running(upgrade));
	EXPECT_EQ(GConstructionWork::HELICOPTER_REMOVED, upgrade->getHelicopterPhase());
	EXPECT_EQ(GConstructionWork::BUS_REMOVED, upgrade->getBusPhase());
	EXPECT_EQ(fw::CSoundCue::FADE_OUT, helicopterCue->getFadeMode());
	EXPECT_EQ(1000, helicopterCue->getFadeDuration());
	// The fixture's cues fade out in no time.
	EXPECT_EQ(0, busCue->getState());
	EXPECT_EQ(nullptr, upgrade->getHelicopter());
	EXPECT_EQ(nullptr, upgrade->getBus());
	level.work.release();
	EXPECT_EQ(0u, level.cargos()->getChildren().size());
	EXPECT_EQ((Lines{}), level.messages->take());
}

TEST(ConstructionWork, CancelOnABuildingWithoutPreviousTypeChangesNothing)
{
	CConstructionLevel level;
	level.enter();
	const fw::CRefHolder<GBuildingNode> loose =
		fw::adoptRef(new GBuildingNode(fw::ContentReference(), nullptr, nullptr));
	ASSERT_EQ(nullptr, loose->getPreviousType());
	const fw::CRefHolder<GConstructionWork> building = fw::adoptRef(new GConstructionWork(level.rig.level.get(),
		loose.get(), level.type("Hotel1"), level.cargos(), level.rig.templates.get(), nullptr, MATERIALS, WORKERS));
	loose->setWork(GBuildingNode::WORK_CONSTRUCTION, building.get());
	const fw::s32 sitePhase = building->getConstructionPhase();
	ASSERT_NE(nullptr, building->getConstructionSite());

	loose->abortWork();
	EXPECT_EQ((Lines{}), level.messages->take());
	EXPECT_EQ(GConstructionWork::HELICOPTER_FLYING_IN, building->getHelicopterPhase());
	EXPECT_EQ(sitePhase, building->getConstructionPhase());
	EXPECT_EQ(GConstructionWork::STAR_WAITING, building->getStarPhase());
	EXPECT_EQ(loose.get(), building->getConstructionSite()->getParent());
	EXPECT_EQ(building.get(), loose->getWork());
	EXPECT_TRUE(building->update(STEP)) << "the work goes on";
	loose->setWork(GBuildingNode::WORK_NONE, nullptr);
}

TEST(ConstructionWork, ResourcesComeBackOnce)
{
	CConstructionLevel level;
	level.enter();
	GBuildingNode* hotel = level.rig.building("Hotel");
	GConstructionWork* upgrade = level.start("Hotel", "Hotel3");
	upgrade->cancel();
	upgrade->cancel();
	EXPECT_EQ((Lines{"4109 Hotel 5 2"}), level.messages->take());
	EXPECT_EQ(id("Hotel1"), hotel->getType()->Name) << "not turned back into the upgrade";
	EXPECT_EQ(id("Hotel1"), hotel->getTemplateName());
}

TEST(ConstructionWork, CancelAfterTheFinishChangesNothing)
{
	CConstructionLevel level;
	level.enter();
	GBuildingNode* hotel = level.rig.building("Hotel");
	GConstructionWork* upgrade = level.start("Hotel", "Hotel3");
	level.stepUntil([&] { return upgrade->getStarPhase() == GConstructionWork::STAR_FLYING; });
	EXPECT_EQ((Lines{"4101 Hotel Hotel3", "4109 Hotel 0 2"}), level.messages->take());
	upgrade->cancel();
	EXPECT_EQ((Lines{}), level.messages->take());
	EXPECT_EQ(id("Hotel3"), hotel->getType()->Name);
	EXPECT_EQ(id("Hotel3"), hotel->getTemplateName());
	EXPECT_EQ(GConstructionWork::STAR_FLYING, upgrade->getStarPhase()) << "the star still flies";
}

TEST(ConstructionWork, CancelLeavesAnotherWorkInTheBuildingsSlot)
{
	CConstructionLevel level;
	level.enter();
	GBuildingNode* hotel = level.rig.building("Hotel");
	GConstructionWork* upgrade = level.start("Hotel", "Hotel3");
	const fw::CRefHolder<COtherWork> other = fw::adoptRef(new COtherWork);
	hotel->setWork(GBuildingNode::WORK_REPAIR, other.get());
	upgrade->cancel();
	EXPECT_EQ((Lines{"4109 Hotel 5 2"}), level.messages->take());
	EXPECT_EQ(other.get(), hotel->getWork());
	EXPECT_EQ(GBuildingNode::WORK_REPAIR, hotel->getWorkCode());
	hotel->setWork(GBuildingNode::WORK_NONE, nullptr);
}

// --- Phases and events.

// Outside a scene every state ends as soon as it is entered, so every completion arrives within
// the step that set its state: each strand still moves by one action a step.
TEST(ConstructionWork, EachStrandActsOnceAStepEvenWhenItsStatesEndAtOnce)
{
	CConstructionLevel level;
	level.enter();
	const fw::CRefHolder<fw::BaseNode> cargos =
		fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr));
	const fw::CRefHolder<GBuildingNode> loose =
		fw::adoptRef(new GBuildingNode(fw::ContentReference(), nullptr, nullptr));
	const fw::CRefHolder<GBuildingConfiguration> quick =
		fw::adoptRef(new GBuildingConfiguration(*level.type("Hotel1")));
	quick->BuildTime = 0.f;
	loose->setName("Loose");
	loose->setType(level.type("BuildingPlace"), false);
	loose->setType(quick.get(), false);
	const fw::CRefHolder<GConstructionWork> building = fw::adoptRef(new GConstructionWork(level.rig.level.get(),
		loose.get(), quick.get(), cargos.get(), level.rig.templates.get(), nullptr, 0.f, 1));

	struct SPhases
	{
		fw::s32 helicopter, site;
		bool running;
		bool operator==(const SPhases& o) const
		{
			return helicopter == o.helicopter && site == o.site && running == o.running;
		}
	};
	std::vector<SPhases> seen{{building->getHelicopterPhase(), building->getConstructionPhase(), true}};
	for (int i = 0; i < 7; ++i)
	{
		const bool running = building->update(STEP);
		seen.push_back({building->getHelicopterPhase(), building->getConstructionPhase(), running});
	}
	const std::vector<SPhases> expected = {
		{3, 2, true},    // flight and opening ended at once
		{5, 4, true},    // "_BeforeUnloading", "PreBuild2"
		{7, 5, true},    // "_Unloading", "Build"
		{9, 6, true},    // "_AfterUnloading"; delivered: "Working"
		{11, 7, true},   // "MovingFrom"; a build time of 0 is counted at once
		{12, 9, true},   // the helicopter leaves; "PostBuild1"
		{12, 11, true},  // "PostBuild2"
		{12, 13, false}, // the finish
	};
	ASSERT_EQ(expected.size(), seen.size());
	for (size_t i = 0; i < expected.size(); ++i)
	{
		EXPECT_EQ(expected[i].helicopter, seen[i].helicopter) << "after step " << i;
		EXPECT_EQ(expected[i].site, seen[i].site) << "after step " << i;
		EXPECT_EQ(expected[i].running, seen[i].running) << "after step " << i;
	}
	EXPECT_EQ(GConstructionWork::BUS_TO_REMOVE, building->getBusPhase());
	EXPECT_EQ((Lines{"4101 Loose Hotel1", "4109 Loose 0 1"}), level.messages->take());
}

TEST(ConstructionWork, TwoCompletionsInOneStepCountAsTheLast)
{
	CConstructionLevel level;
	level.enter();
	GConstructionWork* building = level.start("Place", "Hotel1");
	level.stepUntil([&] { return building->getHelicopterPhase() == GConstructionWork::HELICOPTER_OVER_BUILDING; });
	ASSERT_EQ(GConstructionWork::HELICOPTER_OVER_BUILDING, building->getHelicopterPhase());
	GPathMovableNode* helicopter = building->getHelicopter();
	const std::string heading = building->getHeading().c_str();
	// As the helicopter hands its completions up to the cargos node.
	for (const char* state : {"_BeforeUnloading", "_Unloading"})
	{
		const fw::CRefHolder<fw::CEvent> complete =
			fw::adoptRef<fw::CEvent>(new fw::CEventNodeStateChangeComplete(helicopter, id((heading + state).c_str())));
		EXPECT_FALSE(level.cargos()->onEvent(complete.get()));
	}
	EXPECT_EQ(GConstructionWork::HELICOPTER_UNLOADED, building->getHelicopterPhase());
	level.rig.step(STEP);
	// Acted on once: the unloaded helicopter plays its last unloading state and drops the cargo.
	EXPECT_EQ(GConstructionWork::HELICOPTER_AFTER_UNLOADING, building->getHelicopterPhase());
	EXPECT_FALSE(helicopter->findChildByNameId(id("Cargo"), 1)->isVisible());
	EXPECT_FALSE(helicopter->findChildByNameId(id("CargoShadow"), 1)->isVisible());
	ASSERT_NE(nullptr, building->getCargo());
	EXPECT_TRUE(building->getCargo()->isVisible());
	EXPECT_EQ(id(heading.c_str()), building->getCargo()->getCurrentStateId());
	level.stepUntil([&] { return !level.running(building); });
	EXPECT_EQ((Lines{"4101 Place Hotel1", "4109 Place 0 2"}), level.messages->take());
}

TEST(ConstructionWork, EventsMoveThePhaseOfTheNodeThatRaisedThem)
{
	enum ENode
	{
		HELICOPTER,
		BUS,
		SITE,
		BUILDING,
		CARGO
	};
	struct SCase
	{
		ENode node;
		bool ended; // 71, else 75
		const char* state;
		// The phases of the helicopter, the bus and the site afterwards.
		fw::s32 helicopter, bus, site;
	};
	const SCase cases[] = {
		{HELICOPTER, true, "MovingTo", 3, 1, 1},
		{HELICOPTER, true, "MovingFrom", 11, 1, 1},
		{HELICOPTER, true, "Stop", 1, 1, 1},
		{HELICOPTER, false, "LeftUp_BeforeUnloading", 5, 1, 1},
		{HELICOPTER, false, "RightDown_Unloading", 7, 1, 1},
		{HELICOPTER, false, "RightUp_AfterUnloading", 9, 1, 1},
		{HELICOPTER, false, "LeftUp", 1, 1, 1},
		{HELICOPTER, false, "MovingTo", 1, 1, 1},
		{BUS, true, "MovingTo", 1, 3, 1},
		{BUS, true, "MovingFrom", 1, 11, 1},
		{BUS, false, "Bus_BeforeUnloading", 1, 5, 1},
		{BUS, false, "Bus_Unloading", 1, 7, 1},
		{BUS, false, "Bus_AfterUnloading", 1, 9, 1},
		{SITE, false, "PreBuild1", 1, 1, 2},
		{SITE, false, "PreBuild2", 1, 1, 4},
		{SITE, false, "PostBuild1", 1, 1, 9},
		{SITE, false, "PostBuild2", 1, 1, 11},
		{SITE, false, "Build", 1, 1, 1},
		{SITE, false, "PreBuild1x", 1, 1, 1},
		{SITE, true, "PreBuild1", 1, 1, 1},
		{BUILDING, false, "Build", 1, 1, 7},
		{BUILDING, false, "PreBuild1", 1, 1, 1},
		{CARGO, false, "PreBuild1", 1, 1, 1},
		{CARGO, true, "MovingTo", 1, 1, 1},
	};
	CConstructionLevel level;
	level.enter();
	const fw::CRefHolder<GLevelPath> path = pathOf({{100.f, 700.f}, {300.f, 700.f}, {500.f, 700.f}});
	GBuildingNode* place = level.rig.building("Place");
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(testing::Message() << c.node << (c.ended ? " ended " : " completed ") << c.state);
		const fw::CRefHolder<GConstructionWork> building = fw::adoptRef(new GConstructionWork(level.rig.level.get(),
			place, level.type("Hotel1"), level.cargos(), level.rig.templates.get(), path.get(), MATERIALS, WORKERS));
		ASSERT_EQ(1, building->getHelicopterPhase());
		ASSERT_EQ(1, building->getBusPhase());
		ASSERT_EQ(1, building->getConstructionPhase());
		fw::BaseNode* const nodes[] = {building->getHelicopter(), building->getBus(), building->getConstructionSite(),
			place, building->getCargo()};
		fw::BaseNode* node = nodes[c.node];
		fw::CRefHolder<fw::CEvent> event;
		if (c.ended)
			event = fw::adoptRef<fw::CEvent>(new fw::CEventNodeStateEnded(node, id(c.state)));
		else
			event = fw::adoptRef<fw::CEvent>(new fw::CEventNodeStateChangeComplete(node, id(c.state)));
		EXPECT_FALSE(building->onEvent(event.get())) << "never consumed";
		EXPECT_EQ(c.helicopter, building->getHelicopterPhase());
		EXPECT_EQ(c.bus, building->getBusPhase());
		EXPECT_EQ(c.site, building->getConstructionPhase());
	}
}

// A vehicle sent away stays on its way out: a report that comes late does not call it back.
TEST(ConstructionWork, VehiclesToBeRemovedIgnoreLateReports)
{
	CConstructionLevel level;
	level.enter();
	const fw::CRefHolder<GLevelPath> path = pathOf({{100.f, 700.f}, {300.f, 700.f}});
	GConstructionWork* building = level.start("Place", "Hotel1", path.get());
	// The fixture's bus ends "MovingFrom" as it enters it, on its last segment.
	level.rig.step(STEP);
	ASSERT_EQ(GConstructionWork::BUS_TO_REMOVE, building->getBusPhase());
	const fw::CRefHolder<fw::CEvent> arrived =
		fw::adoptRef<fw::CEvent>(new fw::CEventNodeStateEnded(building->getBus(), id("MovingTo")));
	level.cargos()->onEvent(arrived.get());
	EXPECT_EQ(GConstructionWork::BUS_TO_REMOVE, building->getBusPhase());
	level.rig.step(STEP);
	EXPECT_EQ(GConstructionWork::BUS_REMOVED, building->getBusPhase());
	EXPECT_EQ(nullptr, building->getBus());
}

// --- Missing templates and odd types.

TEST(ConstructionWork, MissingVehiclesOrSiteNeverLeaveTheWorkWaiting)
{
	struct SCase
	{
		const char* missing;
		fw::s32 helicopter, bus, site;
		Lines cues;
		bool workersShown;
	};
	const SCase cases[] = {
		// The materials count as delivered by a helicopter that has come and gone.
		{"Helicopter", 12, 1, 1, {"Bus"}, false},
		// The workers count as delivered, as without a path.
		{"Bus", 1, 11, 1, {"Helicopter"}, true},
		// The work finishes at its next step.
		{"Construction", 1, 1, 11, {"Helicopter", "Bus"}, false},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.missing);
		CConstructionLevel level;
		level.enter();
		GBuildingNode* place = level.rig.building("Place");
		const fw::CRefHolder<fw::TemplateCollectionNode> templates = level.templatesWithout(c.missing);
		const fw::CRefHolder<GLevelPath> path = pathOf({{100.f, 700.f}, {300.f, 700.f}});
		GConstructionWork* building = level.start("Place", "Hotel1", path.get(), templates.get());
		EXPECT_EQ(c.helicopter, building->getHelicopterPhase());
		EXPECT_EQ(c.bus, building->getBusPhase());
		EXPECT_EQ(c.site, building->getConstructionPhase());
		EXPECT_EQ(c.cues, CLevelRig::plays());
		EXPECT_EQ(c.workersShown, place->getWorkersText()->isVisible());
		if (std::string(c.missing) == "Construction")
		{
			level.rig.step(STEP);
			EXPECT_EQ(GConstructionWork::SITE_FINISHED, building->getConstructionPhase());
			EXPECT_EQ((Lines{"4101 Place Hotel1", "4109 Place 0 2"}), level.messages->take());
			EXPECT_EQ(id("Hotel1"), place->getTemplateName()) << "the new look";
		}
		level.runToEnd(building);
		EXPECT_FALSE(level.running(building));
		EXPECT_EQ(GConstructionWork::SITE_FINISHED, building->getConstructionPhase());
		EXPECT_EQ(GConstructionWork::STAR_DONE, building->getStarPhase());
		if (std::string(c.missing) != "Construction")
		{
			EXPECT_EQ((Lines{"4101 Place Hotel1", "4109 Place 0 2"}), level.messages->take());
		}
		EXPECT_EQ((Lines{}), level.messages->take());
	}
}

TEST(ConstructionWork, ProgressOfAWorkWithoutDurationIsWholeAndTheTargetTypeIsHeld)
{
	CConstructionLevel level;
	level.enter();
	GBuildingNode* place = level.rig.building("Place");
	const fw::f32 buildTimes[] = {-1500.f, -4000.f};
	for (fw::f32 buildTime : buildTimes)
	{
		SCOPED_TRACE(buildTime);
		fw::CRefHolder<GBuildingConfiguration> target = fw::adoptRef(new GBuildingConfiguration(*level.type("Hotel1")));
		target->BuildTime = buildTime;
		const fw::s32 references = target->getReferenceCount();
		const fw::CRefHolder<GConstructionWork> building = fw::adoptRef(new GConstructionWork(level.rig.level.get(),
			place, target.get(), level.cargos(), level.rig.templates.get(), nullptr, MATERIALS, WORKERS));
		EXPECT_EQ(references + 1, target->getReferenceCount());
		EXPECT_EQ(buildTime + 1500.f, building->getTotal());
		EXPECT_EQ(1.f, building->getProgress());
		// The record outlives the caller's hold.
		GBuildingConfiguration* held = target.get();
		target.release();
		EXPECT_EQ(held, building->getTargetType());
		EXPECT_EQ(buildTime, building->getTargetType()->BuildTime);
	}
}
} // namespace
