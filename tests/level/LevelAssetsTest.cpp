// The levels of assets/ load into a running level with the common template collection and run ten
// simulated minutes, random events and all, without a warning or error line; the works' templates
// of that collection, their cues and pictures; the levels' once spawners.

#include "LevelSceneSupport.h"

#include "core/CAnimatorState.h"
#include "core/CEventNode.h"
#include "core/KeyFrame.h"
#include "core/SRenderEntry.h"
#include "core/TypeIds.h"
#include "level/data/GLevelPaths.h"
#include "level/nodes/OnceSpawnerNode.h"
#include "level/works/GBuildingWork.h"
#include "support/LogCapture.h"
#include "widgets/ProgressBarNode.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <set>

namespace fs = std::filesystem;
using namespace leveltest;

namespace
{
std::string readAsset(const fs::path& relative)
{
	std::ifstream in(fs::path(QB_ASSETS_DIR) / relative, std::ios::binary);
	EXPECT_TRUE(in.good()) << relative;
	return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
} // namespace

TEST(LevelAssets, EveryLevelRunsTenMinutesCleanly)
{
	for (const char* name : {"level1", "level2", "level3"})
	{
		SCOPED_TRACE(name);
		const fs::path folder = fs::path("levels") / name;
		fw::test::CLogCapture log;
		CLevelRig rig(readAsset(folder / "Level.oscn"), readAsset(folder / "LevelConfiguration.xml"), false);
		ASSERT_NE(nullptr, rig.level.get());
		rig.buildings = makeBuildings(readAsset("levels/common/BuildingsConfiguration.xml").c_str());
		rig.templates = fw::CRefHolder<fw::TemplateCollectionNode>(fw::nodeCast<fw::TemplateCollectionNode>(
			loadScene(rig.factory.get(), readAsset("levels/common/TemplateCollection.oscn"), "TemplateCollection.oscn")
				.get()));
		ASSERT_NE(nullptr, rig.templates.get());
		rig.manager->setTemplateCollection(rig.templates.get());
		const fw::CRefHolder<GLevelPaths> paths = fw::adoptRef(new GLevelPaths);
		paths->load(readerOver(readAsset(folder / "LevelPaths.xml")).get());
		rig.setUpAndEnter();
		rig.level->setLevelPaths(paths.get());
		EXPECT_GE(rig.level->getBuildings().size(), 4u);
		for (GBuildingNode* building : rig.buildingList())
		{
			EXPECT_EQ(building->getTemplateName(), building->getType()->Name) << building->getName().c_str();
			EXPECT_NE(nullptr, building->getForSaleNode());
			EXPECT_NE(nullptr, building->getServeAreaNode());
		}
		const fw::f32 money = rig.level->getEconomy().getMoney();
		rig.step(100, 6000);
		EXPECT_NEAR(600000.f, rig.level->getEconomy().getElapsed(), 1.f);
		EXPECT_GT(rig.level->getEconomy().getMoney(), money) << "ten days of income";
		for (const fw::test::SLogLine& line : log.lines)
			EXPECT_LT(line.level, fw::LOG_WARNING) << line.text;
	}
}

// ---------------------------------------------------------------------------------------------
// The works' templates of the common collection: the nodes the works copy, with the classes they
// test for and the states they set, and animations that end, so that every phase that waits for
// a state's end or completion moves on after a while rather than at once or never.

namespace
{
const char* const HEADINGS[] = {"RightUp", "RightDown", "LeftUp", "LeftDown"};

fw::CRefHolder<fw::TemplateCollectionNode> loadLevelTemplates(fw::CNodeFactory* factory)
{
	return fw::CRefHolder<fw::TemplateCollectionNode>(fw::nodeCast<fw::TemplateCollectionNode>(
		loadScene(factory, readAsset("levels/common/TemplateCollection.oscn"), "TemplateCollection.oscn").get()));
}

std::vector<std::string> withHeadings(const char* suffix)
{
	std::vector<std::string> names;
	for (const char* heading : HEADINGS)
		names.push_back(std::string(heading) + suffix);
	return names;
}

// A node's states by name, its own or those of its children (which setState puts into it).
std::string nameOf(fw::s32 nameId)
{
	return fw::CNameTableSingleton::Instance().lookup(nameId).c_str();
}

bool hasState(const fw::BaseNode* node, const std::string& state)
{
	return node && node->findState(id(state.c_str())) != nullptr;
}
bool someChildHasState(const fw::BaseNode* node, const std::string& state)
{
	const fw::core::array<fw::BaseNode*>& children = node->getChildren();
	for (fw::u32 i = 0; i < children.size(); ++i)
		if (hasState(children[i], state))
			return true;
	return false;
}

// Writes down the state ends and completions that reach the node it listens to.
class CStateEventLog : public fw::CEventReceiver
{
public:
	bool onEvent(fw::CEvent* event) override
	{
		const fw::s32 type = event->getTypeId();
		if (type == fw::CEventNodeStateEnded::TypeId)
		{
			const auto* ended = static_cast<fw::CEventNodeStateEnded*>(event);
			lines.push_back("71 " + nameOf(ended->getNode()) + " " + state(ended->getStateId()));
		}
		else if (type == fw::CEventNodeStateChangeComplete::TypeId)
		{
			const auto* complete = static_cast<fw::CEventNodeStateChangeComplete*>(event);
			lines.push_back("75 " + nameOf(complete->getNode()) + " " + state(complete->getStateId()));
		}
		return false;
	}
	static std::string nameOf(const fw::BaseNode* node) { return node ? node->getName().c_str() : "-"; }
	static std::string state(fw::s32 nameId) { return fw::CNameTableSingleton::Instance().lookup(nameId).c_str(); }
	std::vector<std::string> lines;
};
} // namespace

TEST(LevelAssets, WorkTemplatesHaveTheClassesAndStatesTheWorksUse)
{
	const fw::CRefHolder<fw::CNodeFactory> factory = makeLevelFactory();
	const fw::CRefHolder<fw::TemplateCollectionNode> templates = loadLevelTemplates(factory.get());
	ASSERT_NE(nullptr, templates.get());
	auto get = [&](const char* name) { return templates->getTemplate(id(name)); };

	// Movers and the bars the works test for; the selector must be a sprite.
	const std::pair<const char*, fw::s32> classes[] = {{"Bus", NODE_TYPE_GAME_PATH_MOVABLE},
		{"Helicopter", NODE_TYPE_GAME_PATH_MOVABLE}, {"ProgressBarOverBuilding", fw::NODE_TYPE_BASE_PROGRESS_BAR},
		{"ConstructionSelector", fw::NODE_TYPE_SPRITE}, {"Cargo", fw::NODE_TYPE_SPRITE},
		{"Construction", fw::NODE_TYPE_BASE}, {"LevelStarEffect", fw::NODE_TYPE_BASE}};
	for (const auto& entry : classes)
	{
		SCOPED_TRACE(entry.first);
		ASSERT_NE(nullptr, get(entry.first));
		EXPECT_TRUE(get(entry.first)->isOfType(entry.second));
	}
	// The works drive their buses and helicopters themselves: a class with a clock of its own (the
	// street's cars) would move them twice and drop them at the end of the route.
	EXPECT_EQ(NODE_TYPE_GAME_PATH_MOVABLE, get("Bus")->getTypeId());
	EXPECT_EQ(NODE_TYPE_GAME_PATH_MOVABLE, get("Helicopter")->getTypeId());

	// Own states: entered with enterState.
	for (const char* state : {"MovingTo", "MovingFrom"})
	{
		EXPECT_TRUE(hasState(get("Bus"), state)) << state;
		// The helicopter's flight legs: the first animator named "Mover", a key frame of two keys on
		// the position, interpolated, which the construction work rewrites.
		fw::CAnimatorState* leg = get("Helicopter")->findState(id(state));
		ASSERT_NE(nullptr, leg) << state;
		const fw::KeyFrame* mover = dynamic_cast<const fw::KeyFrame*>(leg->findItemByName(id("Mover")));
		ASSERT_NE(nullptr, mover) << state;
		ASSERT_EQ(2u, mover->getKeys().size()) << state;
		EXPECT_EQ(0, mover->getKeys()[1].i) << state;
		ASSERT_NE(nullptr, mover->getProperties());
		EXPECT_EQ("Position", std::string(mover->getProperties()->getNameAt(0).c_str()));
	}
	EXPECT_TRUE(hasState(get("ConstructionSelector"), "Focus"));
	for (const std::string& heading : withHeadings(""))
	{
		EXPECT_TRUE(someChildHasState(get("Helicopter"), heading)) << heading;
		EXPECT_TRUE(hasState(get("Cargo"), heading)) << heading;
	}
	// States set with setState: some child of the node animates them.
	for (const char* suffix : {"_BeforeUnloading", "_Unloading", "_AfterUnloading"})
		for (const std::string& state : withHeadings(suffix))
			EXPECT_TRUE(someChildHasState(get("Helicopter"), state)) << state;
	for (const char* child : {"Cargo", "CargoShadow"})
		EXPECT_NE(nullptr, get("Helicopter")->findChildByNameId(id(child), 1)) << child;
	for (const char* state : {"PreBuild1", "PreBuild2", "Build", "Working", "PostBuild1", "PostBuild2"})
		EXPECT_TRUE(someChildHasState(get("Construction"), state)) << state;
	const fw::BaseNode* siteBar = get("Construction")->findChildByNameId(id("ProgressBar"), 1);
	ASSERT_NE(nullptr, siteBar);
	EXPECT_TRUE(siteBar->isOfType(fw::NODE_TYPE_BASE_PROGRESS_BAR));
	EXPECT_TRUE(someChildHasState(get("LevelStarEffect"), "Activate"));

	// The bars' look: a track and a knob the bar stretches.
	for (const fw::BaseNode* bar : std::vector<const fw::BaseNode*>{get("ProgressBarOverBuilding"), siteBar})
	{
		const auto* progress = fw::nodeCast<const fw::ProgressBarNode>(bar);
		ASSERT_NE(nullptr, progress);
		EXPECT_EQ(1, progress->getKnobType());
		const fw::BaseNode* look = templates->getTemplate(progress->getTemplateName());
		ASSERT_NE(nullptr, look);
		EXPECT_NE(nullptr, look->findChildByNameId(id("SlidingArea"), 1));
		EXPECT_NE(nullptr, look->findChildByNameId(id("Knob"), 1));
	}

	// Every building look has the works' states; restoring is a key frame of two keys or more, whose
	// second key the restoring work retimes.
	const fw::CRefHolder<GBuildingsConfiguration> types =
		makeBuildings(readAsset("levels/common/BuildingsConfiguration.xml").c_str());
	for (const auto& entry : types->getBuildings())
	{
		const std::string name = nameOf(entry.second->Name);
		SCOPED_TRACE(name);
		const fw::BaseNode* look = templates->getTemplate(entry.second->Name);
		ASSERT_NE(nullptr, look);
		std::vector<std::string> states = {"Done", "Destroy", "Restoring", "CancelRestoring", "AfterBuild"};
		for (int setting = 1; setting <= 4; ++setting)
		{
			states.push_back("DestroySetting" + std::to_string(setting));
			states.push_back("DoneSetting" + std::to_string(setting));
		}
		for (const std::string& state : states)
			EXPECT_TRUE(hasState(look, state)) << state;
		const fw::CAnimatorState* restoring = look->findState(id("Restoring"));
		ASSERT_NE(nullptr, restoring);
		const fw::KeyFrame* keys =
			restoring->getAnimatorCount() ? dynamic_cast<const fw::KeyFrame*>(restoring->getAnimator(0)) : nullptr;
		ASSERT_NE(nullptr, keys);
		EXPECT_GE(keys->getKeys().size(), 2u);
	}
}

TEST(LevelAssets, WorkAnimationsEndAfterAWhile)
{
	CLevelRig rig(levelScene(building("P1", "Hotel1", 300, 300, true)), levelXml(""), false);
	rig.templates = loadLevelTemplates(rig.factory.get());
	ASSERT_NE(nullptr, rig.templates.get());
	rig.manager->setTemplateCollection(rig.templates.get());
	rig.setUpAndEnter();
	fw::BaseNode* cargos = rig.level->getCargosNode();
	ASSERT_NE(nullptr, cargos);
	const fw::CRefHolder<CStateEventLog> log = fw::adoptRef(new CStateEventLog);
	cargos->addPostListener(log.get());

	// Template, state, entered on the node itself (true) or set on its children; the event that ends
	// the phase waiting for it.
	struct SCase
	{
		std::string node;
		std::string state;
		bool own;
	};
	std::vector<SCase> cases = {{"Bus", "MovingFrom", true}, {"Helicopter", "MovingTo", true},
		{"Helicopter", "MovingFrom", true}, {"LevelStarEffect", "Activate", false}};
	for (const char* suffix : {"_BeforeUnloading", "_Unloading", "_AfterUnloading"})
		for (const std::string& state : withHeadings(suffix))
			cases.push_back({"Helicopter", state, false});
	for (const char* state : {"PreBuild1", "PreBuild2", "PostBuild1", "PostBuild2"})
		cases.push_back({"Construction", state, false});
	for (const std::string& state : withHeadings(""))
		cases.push_back({"Cargo", state, true});

	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.node + " " + c.state);
		fw::BaseNode* node = GBuildingWork::cloneWorkNode(rig.templates.get(), id(c.node.c_str()), cargos);
		ASSERT_NE(nullptr, node);
		log->lines.clear();
		if (c.own)
			node->enterState(id(c.state.c_str()), nullptr, -1);
		else
			node->setState(id(c.state.c_str()), nullptr);
		const std::string expected = (c.own ? "71 " : "75 ") + c.node + " " + c.state;
		EXPECT_TRUE(log->lines.empty()) << "ended at once";
		fw::u32 elapsed = 0;
		while (elapsed < 10000 && std::find(log->lines.begin(), log->lines.end(), expected) == log->lines.end())
		{
			rig.step(20);
			elapsed += 20;
		}
		EXPECT_LT(elapsed, 10000u) << "never ended";
		EXPECT_GE(elapsed, 200u);
		cargos->removeChild(node);
	}
	cargos->removePostListener(log.get());
}

TEST(LevelAssets, WorkCuesAndPicturesExist)
{
	// The cues the works and the level play for them, in the sound pack with a description each.
	const std::string pack = readAsset("sounds/SoundPack.xml");
	std::map<std::string, std::string> cues;
	const std::regex cue("<SoundCue Name=\"([A-Za-z0-9]+)\"([^>]*)>\\s*<Sound Filename=\"([A-Za-z0-9]+)\\.(wav|ogg)\"");
	for (std::sregex_iterator it(pack.begin(), pack.end(), cue), end; it != end; ++it)
	{
		cues[(*it)[1]] = (*it)[2];
		EXPECT_TRUE(fs::is_regular_file(fs::path(QB_ASSETS_DIR) / "sounds" / ((*it)[3].str() + ".synth"))) << (*it)[3];
	}
	std::set<std::string> needed = {"Bus", "Helicopter", "Destroying", "Building", "Upgrading", "CleaningDecoration",
		"FeatureFactory", "FeatureREAgency", "FeaturePRAgency"};
	const std::string types = readAsset("levels/common/BuildingsConfiguration.xml");
	const std::regex named("<string Name=\"[A-Za-z]+SoundCueName\" Value=\"([A-Za-z0-9]+)\"");
	for (std::sregex_iterator it(types.begin(), types.end(), named), end; it != end; ++it)
		needed.insert((*it)[1]);
	for (const std::string& name : needed)
		EXPECT_TRUE(cues.count(name)) << name;
	EXPECT_NE(std::string::npos, cues["Helicopter"].find("Loop=\"true\"")) << "it plays for the whole flight";

	// Every picture of the level's templates has its drawing: the atlas pictures under art/, the
	// others beside the collection under images/.
	const std::string collection = readAsset("levels/common/TemplateCollection.oscn");
	const std::regex picture("<atlasTexture Name=\"AtlasTexture\" Value=\"([^\"]+)\\.png\"");
	size_t count = 0;
	for (std::sregex_iterator it(collection.begin(), collection.end(), picture), end; it != end; ++it, ++count)
	{
		const std::string path = (*it)[1];
		const fs::path drawing = path.rfind("../../art/", 0) == 0
			? fs::path(QB_ASSETS_DIR) / (path.substr(6) + ".svg")
			: fs::path(QB_ASSETS_DIR) / "images/levels/common" / (path + ".svg");
		EXPECT_TRUE(fs::is_regular_file(drawing)) << path;
	}
	EXPECT_GT(count, 20u);
}

TEST(LevelAssets, OnceSpawnersShowVehiclesOfTheCollection)
{
	const fw::CRefHolder<fw::CNodeFactory> factory = makeLevelFactory();
	const fw::CRefHolder<fw::TemplateCollectionNode> templates = loadLevelTemplates(factory.get());
	ASSERT_NE(nullptr, templates.get());
	for (const char* name : {"level1", "level2", "level3"})
	{
		SCOPED_TRACE(name);
		const fw::CRefHolder<fw::BaseNode> scene =
			loadScene(factory.get(), readAsset(fs::path("levels") / name / "Level.oscn"), "Level.oscn");
		ASSERT_NE(nullptr, scene.get());
		fw::u32 spawners = 0;
		const fw::core::array<fw::BaseNode*>& children = scene->getChildren();
		for (fw::u32 i = 0; i < children.size(); ++i)
		{
			const OnceSpawnerNode* spawner = fw::nodeCast<const OnceSpawnerNode>(children[i]);
			if (!spawner)
				continue;
			++spawners;
			EXPECT_GT(spawner->getShowLevelPercent(), 1);
			EXPECT_LT(spawner->getShowLevelPercent(), 99) << "shown in some plays, not in all";
			ASSERT_FALSE(spawner->getTemplateIds().empty());
			for (fw::u32 t = 0; t < spawner->getTemplateIds().size(); ++t)
			{
				const fw::BaseNode* shown = templates->getTemplate(spawner->getTemplateIds()[t]);
				ASSERT_NE(nullptr, shown) << nameOf(spawner->getTemplateIds()[t]);
				for (fw::u32 s = 0; s < spawner->getStateIds().size(); ++s)
					EXPECT_TRUE(someChildHasState(shown, nameOf(spawner->getStateIds()[s])));
			}
		}
		EXPECT_GE(spawners, 1u);
	}
}

// The works on the first level with the game's own templates, types and paths: each runs to its end
// on the animations of the collection, in a bounded time, with nothing to warn about.
TEST(LevelAssets, WorksRunToTheirEndOnTheGamesTemplates)
{
	const fs::path folder = fs::path("levels") / "level1";
	fw::test::CLogCapture log;
	CLevelRig rig(readAsset(folder / "Level.oscn"), readAsset(folder / "LevelConfiguration.xml"), false);
	rig.buildings = makeBuildings(readAsset("levels/common/BuildingsConfiguration.xml").c_str());
	rig.templates = loadLevelTemplates(rig.factory.get());
	ASSERT_NE(nullptr, rig.templates.get());
	rig.manager->setTemplateCollection(rig.templates.get());
	const fw::CRefHolder<GLevelPaths> paths = fw::adoptRef(new GLevelPaths);
	paths->load(readerOver(readAsset(folder / "LevelPaths.xml")).get());
	rig.setUpAndEnter();
	rig.level->setLevelPaths(paths.get());
	GGameLevelScene& level = *rig.level;
	level.getEconomy().setMoney(1e6f);
	level.getEconomy().setMaterials(1000.f);
	level.getEconomy().setWorkers(100, 100);
	const fw::u32 ownEffects = level.getWorks().size();

	// The operation, its building and the alert it needs.
	struct SCase
	{
		const char* what;
		const char* place;
		fw::s32 alert;
		std::function<bool(GBuildingNode*)> start;
	};
	const GBuildingConfiguration* hotel = rig.buildings->getBuilding(id("Hotel1"));
	const std::vector<SCase> cases = {{"construction", "Place2", 0,
										  [&](GBuildingNode* b) { return level.startConstruction(b, hotel); }},
		{"upgrade with its star", "Place1", 0, [&](GBuildingNode* b) { return level.startUpgrade(b); }},
		{"repair", "Place4", 1, [&](GBuildingNode* b) { return level.startRepair(b); }},
		{"cleaning", "Place4", 2, [&](GBuildingNode* b) { return level.startCleaning(b); }},
		{"restoring", "Place1", 3, [&](GBuildingNode* b) { return level.startRestoring(b); }},
		{"destroy", "Place2", 0, [&](GBuildingNode* b) { return level.startDestroy(b); }}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.what);
		GBuildingNode* building = rig.building(c.place);
		ASSERT_NE(nullptr, building);
		if (c.alert)
			building->setAlertIcon(c.alert);
		ASSERT_TRUE(c.start(building));
		fw::u32 ms = 0;
		while (
			ms < 60000 && (building->getWorkCode() != GBuildingNode::WORK_NONE || level.getWorks().size() > ownEffects))
		{
			rig.step(GGameLevelScene::INTERVAL);
			fw::RenderList list;
			level.collectRenderables(list);
			ms += GGameLevelScene::INTERVAL;
		}
		EXPECT_LT(ms, 60000u) << "the work never ended";
		EXPECT_EQ(0, building->getAlert());
	}
	EXPECT_EQ(id("Hotel2"), rig.building("Place1")->getType()->Name);
	EXPECT_EQ(id("BuildingPlace"), rig.building("Place2")->getType()->Name);
	// The works took their nodes with them; cars and clouds may remain.
	const fw::core::array<fw::BaseNode*>& left = level.getCargosNode()->getChildren();
	for (fw::u32 i = 0; i < left.size(); ++i)
		for (const char* work : {"Bus", "Helicopter", "LevelStarEffect"})
			EXPECT_NE(std::string(work), left[i]->getName().c_str());
	for (const fw::test::SLogLine& line : log.lines)
		EXPECT_LT(line.level, fw::LOG_WARNING) << line.text;
}
