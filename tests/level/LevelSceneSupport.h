#pragma once

// A fixture level for the building and level-scene tests: building types, a level configuration,
// a template collection with every overlay the buildings use, and a level scene file, all small.
// The level runs headless in a scene manager held by a recording node (in place of the gameplay
// screen), on a timer manager stepped by hand, with the device's sound manager playing scripted
// cues that write every play into one trace.

#include "LevelTestSupport.h"
#include "platform/SoundTestSupport.h"

#include "core/CNodeFactory.h"
#include "core/NodeCasts.h"
#include "core/SceneFile.h"
#include "level/buildings/GBuildingNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GLevelModifier.h"
#include "level/data/IGLevelUpgradeEffects.h"
#include "level/scene/GGameLevelScene.h"
#include "level/scene/GLevelNodeClasses.h"
#include "level/scene/GMoneyLetter.h"
#include "platform/CDeviceStub.h"
#include "platform/CDictionary.h"
#include "platform/CEngineDeviceSingleton.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CRandomGenerator.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "platform/CTimerManager.h"
#include "platform/CVirtualFile.h"
#include "widgets/SceneManager.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/WidgetServices.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace leveltest
{
// Types: an empty place, two hotels, a fountain that gives a bonus around it, a cafe that serves
// the hotels around it and a factory (Type 3) with an income feature and a serve-area feature.
const char* const BUILDINGS = R"(<BuildingsConfiguration>
	<Building><Properties><string Name="Name" Value="BuildingPlace"/><int Name="Level" Value="0"/></Properties></Building>
	<Building><Properties><string Name="Name" Value="Hotel1"/><int Name="Level" Value="1"/><int Name="Type" Value="0"/>
		<float Name="Cost" Value="400"/><float Name="SellPrice" Value="20000"/><float Name="Income" Value="1000"/>
		<int Name="GuestsCount" Value="4"/><string Name="NextLevelName" Value="Hotel3"/>
		<string Name="SelectedSoundCueName" Value="HotelIdle"/></Properties></Building>
	<Building><Properties><string Name="Name" Value="Hotel3"/><int Name="Level" Value="3"/><int Name="Type" Value="0"/>
		<float Name="SellPrice" Value="50000"/><float Name="Income" Value="1250"/><int Name="GuestsCount" Value="10"/></Properties></Building>
	<Building><Properties><string Name="Name" Value="Fountain"/><int Name="Level" Value="1"/><int Name="Type" Value="2"/>
		<vector2d Name="ServeArea" Value="300, 200"/><float Name="ServeAreaIncomeBonus" Value="10"/>
		<float Name="BrokenServeAreaIncomeBonus" Value="-5"/><float Name="SellPrice" Value="5000"/></Properties></Building>
	<Building><Properties><string Name="Name" Value="Cafe"/><int Name="Level" Value="1"/><int Name="Type" Value="1"/>
		<vector2d Name="ServeArea" Value="600, 200"/><float Name="ServeIncome" Value="5"/><int Name="ProvidedService" Value="4"/>
		<float Name="Income" Value="100"/></Properties></Building>
	<Building><Properties><string Name="Name" Value="Factory"/><int Name="Level" Value="1"/><int Name="Type" Value="3"/>
		<vector2d Name="ServeArea" Value="200, 100"/><vector2d Name="BoostedServeArea" Value="1000, 1000"/>
		<float Name="ServeIncome" Value="1"/><float Name="ServeBoostedIncome" Value="100"/><float Name="Income" Value="500"/>
		<float Name="SellPrice" Value="30000"/></Properties>
		<ActiveFeature DurationTime="12000" RechargeTime="20000" MoneyCost="50"><Feature Type="BoostIncome"/></ActiveFeature>
		<ActiveFeature DurationTime="4000" RechargeTime="6000"><Feature Type="BoostServeArea"/></ActiveFeature>
	</Building>
</BuildingsConfiguration>)";

// A goal no test reaches, so that the level keeps running (a level without objectives is complete).
const char* const FAR_GOAL = "<Objectives><Objective Type=\"Money\" Value=\"100000000\"/></Objectives>";

// The level's own properties; objectives and events are added by the tests that need them.
inline std::string levelXml(const std::string& properties, const std::string& rest = FAR_GOAL)
{
	return "<Level><Properties><int Name=\"DayLength\" Value=\"60\"/><float Name=\"InitMoney\" Value=\"1000\"/>"
		   "<float Name=\"InitRating\" Value=\"10\"/><float Name=\"InitMaterialsCount\" Value=\"20\"/>"
		   "<int Name=\"InitWorkersCount\" Value=\"3\"/>" +
		properties + "</Properties>" + rest + "</Level>";
}

// A dial: background, sector and hand.
#define LEVELTEST_DIAL(name)                                                                                           \
	"<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"" name "\"/></Properties>"                 \
	"<States><State Name=\"Normal\"/></States>"                                                                        \
	"<SceneNode Type=\"SpriteNode\"/>"                                                                                 \
	"<SceneNode Type=\"GEllipseSectorNode\"><States><State Name=\"Alert\"/></States></SceneNode>"                      \
	"<SceneNode Type=\"SpriteNode\"/></SceneNode>"

// Every building look has a body sprite, a selector and a star row of three.
#define LEVELTEST_LOOK(name)                                                                                           \
	"<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"" name "\"/></Properties>"                 \
	"<SceneNode Type=\"SpriteNode\"><Properties><string Name=\"Name\" Value=\"Body\"/></Properties></SceneNode>"       \
	"<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Selector\"/></Properties>"                 \
	"<States><State Name=\"Focus\"/></States></SceneNode>"                                                             \
	"<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"StarIcons\"/>"                             \
	"<vector3d Name=\"Position\" Value=\"10;0;0\"/></Properties>"                                                      \
	"<SceneNode Type=\"SpriteNode\"><Properties><vector3d Name=\"Position\" Value=\"0;0;0\"/>"                         \
	"<vector3d Name=\"Bounds\" Value=\"10;10;0\"/></Properties></SceneNode>"                                           \
	"<SceneNode Type=\"SpriteNode\"><Properties><vector3d Name=\"Position\" Value=\"12;0;0\"/>"                        \
	"<vector3d Name=\"Bounds\" Value=\"10;10;0\"/></Properties></SceneNode>"                                           \
	"<SceneNode Type=\"SpriteNode\"><Properties><vector3d Name=\"Position\" Value=\"24;0;0\"/>"                        \
	"<vector3d Name=\"Bounds\" Value=\"10;10;0\"/></Properties></SceneNode>"                                           \
	"</SceneNode></SceneNode>"

#define LEVELTEST_NAMED(type, name, body)                                                                              \
	"<SceneNode Type=\"" type "\"><Properties><string Name=\"Name\" Value=\"" name "\"/>"                              \
	"<vector3d Name=\"Position\" Value=\"5;6;0\"/></Properties>" body "</SceneNode>"

// The nodes the works copy: a bus that drives the delivery path and the progress bar shown over a
// building. Further work templates join this list.
#define LEVELTEST_WORK_TEMPLATES                                                                                       \
	"<SceneNode Type=\"GPathMovableNode\"><Properties><string Name=\"Name\" Value=\"Bus\"/></Properties>"              \
	"<States><State Name=\"MovingTo\"/><State Name=\"MovingFrom\"/></States></SceneNode>"                              \
	"<SceneNode Type=\"ProgressBarNode\"><Properties><string Name=\"Name\" Value=\"ProgressBarOverBuilding\"/>"        \
	"</Properties></SceneNode>" LEVELTEST_CONSTRUCTION_TEMPLATES

// The construction work's nodes. Their states that the work waits for last 100 ms (on a child,
// since a node's change of state completes when its children have ended it); the helicopter's
// flights last what the work makes them.
#define LEVELTEST_TIMED_STATE(name)                                                                                    \
	"<State Name=\"" name "\"><Animator Type=\"KeyFrame\"><Properties><vector3d Name=\"Scale\" Value=\"1;1;1\"/>"      \
	"</Properties><KeyFrame t=\"0\" Value0=\"1;1;1\"/><KeyFrame t=\"100\" Value0=\"1;1;1\"/></Animator></State>"
#define LEVELTEST_EMPTY_STATE(name) "<State Name=\"" name "\"/>"
#define LEVELTEST_MOVER_STATE(name)                                                                                    \
	"<State Name=\"" name "\"><Animator Type=\"KeyFrame\" Name=\"Mover\"><Properties>"                                 \
	"<vector3d Name=\"Position\" Value=\"0;0;0\"/></Properties><KeyFrame t=\"0\" Value0=\"0;0;0\"/>"                   \
	"<KeyFrame t=\"1000\" i=\"0\" Value0=\"0;0;0\"/></Animator></State>"
#define LEVELTEST_HEADING_STATES(state, heading)                                                                       \
	state(heading) state(heading "_BeforeUnloading") state(heading "_Unloading") state(heading "_AfterUnloading")
#define LEVELTEST_ALL_HEADING_STATES(state)                                                                            \
	LEVELTEST_HEADING_STATES(state, "RightUp")                                                                         \
	LEVELTEST_HEADING_STATES(state, "RightDown")                                                                       \
	LEVELTEST_HEADING_STATES(state, "LeftUp") LEVELTEST_HEADING_STATES(state, "LeftDown")
#define LEVELTEST_SITE_STATES(state)                                                                                   \
	state("PreBuild1") state("PreBuild2") state("Build") state("Working") state("PostBuild1") state("PostBuild2")
#define LEVELTEST_CONSTRUCTION_TEMPLATES                                                                                                                                                                                                             \
	"<SceneNode Type=\"GPathMovableNode\"><Properties><string Name=\"Name\" Value=\"Helicopter\"/></Properties>"                                                                                                                                     \
	"<States>" LEVELTEST_MOVER_STATE("MovingTo") LEVELTEST_MOVER_STATE("MovingFrom") LEVELTEST_ALL_HEADING_STATES(                                                                                                                                   \
		LEVELTEST_EMPTY_STATE) "</States>"                                                                                                                                                                                                           \
							   "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Cargo\"/></Properties>"                                                                                                                       \
							   "<States>" LEVELTEST_ALL_HEADING_STATES(                                                                                                                                                                              \
								   LEVELTEST_TIMED_STATE) "</States></SceneNode>"                                                                                                                                                                    \
														  "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"CargoShadow\"/></Properties></SceneNode>"                                                                          \
														  "</SceneNode>"                                                                                                                                                                             \
														  "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Cargo\"/></Properties><States>" LEVELTEST_TIMED_STATE(                                                             \
															  "RightUp") LEVELTEST_TIMED_STATE("RightDown")                                                                                                                                          \
															  LEVELTEST_TIMED_STATE("LeftUp") LEVELTEST_TIMED_STATE(                                                                                                                                 \
																  "LeftDown") "</States></SceneNode>"                                                                                                                                                \
																			  "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Construction\"/></Properties>"                                                                 \
																			  "<States>" LEVELTEST_SITE_STATES(                                                                                                                                      \
																				  LEVELTEST_EMPTY_STATE) "</States>"                                                                                                                                 \
																										 "<SceneNode Type=\"ProgressBarNode\"><Properties><string Name=\"Name\" Value=\"ProgressBar\"/></Properties>"                                \
																										 "</SceneNode>"                                                                                                                              \
																										 "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Crane\"/></Properties>"                                             \
																										 "<States>" LEVELTEST_SITE_STATES(                                                                                                           \
																											 LEVELTEST_TIMED_STATE) "</States></SceneNode></SceneNode>"                                                                              \
																																	"<SceneNode Type=\"SpriteNode\"><Properties><string Name=\"Name\" Value=\"ConstructionSelector\"/></Properties>" \
																																	"<States><State Name=\"Focus\"/></States></SceneNode>"                                                           \
																																	"<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"LevelStarEffect\"/></Properties>"        \
																																	"<States><State Name=\"Activate\"/></States>"                                                                    \
																																	"<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Star\"/></Properties>"                   \
																																	"<States>" LEVELTEST_TIMED_STATE(                                                                                \
																																		"Activate") "</States></SceneNode></SceneNode>"

const char* const TEMPLATES = "<SceneNode Type=\"TemplateCollectionNode\">" LEVELTEST_LOOK("BuildingPlace") LEVELTEST_LOOK(
	"Hotel1") LEVELTEST_LOOK("Hotel3") LEVELTEST_LOOK("Fountain") LEVELTEST_LOOK("Cafe") LEVELTEST_LOOK("Factory") LEVELTEST_NAMED("TextNode",
	"SmileIcon", "<SceneNode Type=\"SpriteNode\"/>") LEVELTEST_NAMED("BaseNode", "PhoneIcon",
	"<States><State Name=\"Active\"/></States>" LEVELTEST_DIAL("Progress")) LEVELTEST_NAMED("BaseNode", "ForSaleNode",
	"<SceneNode Type=\"TextNode\"><Properties><string Name=\"Name\" Value=\"PriceText\"/></Properties></SceneNode>" LEVELTEST_DIAL(
		"Progress") "<SceneNode Type=\"SpriteNode\"><Properties><string Name=\"Name\" Value=\"Bg\"/></Properties></SceneNode>")
	LEVELTEST_NAMED("BaseNode", "ServeArea",
		"<States><State Name=\"Blue\"/><State Name=\"Green\"/></States>") "<SceneNode Type=\"TextNode\"><Properties><string Name=\"Name\" Value=\"WorkersText\"/>"
																		  "<vector3d Name=\"Position\" Value=\"40;6;0\"/></Properties></SceneNode>"
																		  "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Feature1Icon\"/>"
																		  "<vector3d Name=\"Position\" Value=\"0;100;0\"/></Properties>"
																		  "<States><State Name=\"Active\"/><State Name=\"Recharging\"/><State Name=\"Ready\"/></States>"
																		  "<SceneNode Type=\"SpriteNode\"/><SceneNode Type=\"SpriteNode\"/></SceneNode>"
																		  "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Feature2Icon\"/>"
																		  "<vector3d Name=\"Position\" Value=\"40;100;0\"/></Properties>"
																		  "<States><State Name=\"Active\"/><State Name=\"Recharging\"/><State Name=\"Ready\"/></States>"
																		  "<SceneNode Type=\"SpriteNode\"/><SceneNode Type=\"SpriteNode\"/></SceneNode>" LEVELTEST_NAMED(
																			  "BaseNode", "MoneyBurst",
																			  "") LEVELTEST_NAMED("BaseNode",
																			  "RepairIcon",
																			  "<States><State Name=\"Active\"/></States>")
																			  LEVELTEST_NAMED("BaseNode", "DirtyIcon",
																				  "<States><State Name=\"Active\"/></States>")
																				  LEVELTEST_NAMED("BaseNode",
																					  "MoneyLetter",
																					  "<States><State Name=\"Appear\"/></States>"
																					  "<SceneNode Type=\"TextNode\"><Properties><string Name=\"Name\" Value=\"Text\"/></Properties></SceneNode>" LEVELTEST_DIAL(
																						  "Progress"))
																					  LEVELTEST_WORK_TEMPLATES
	"</SceneNode>";

// A building node of the scene file.
inline std::string building(const char* name, const char* type, int x, int y, bool owned)
{
	return std::string("<SceneNode Type=\"GBuildingNode\"><Properties><string Name=\"Name\" Value=\"") + name +
		"\"/><string Name=\"TemplateName\" Value=\"" + type + "\"/><vector3d Name=\"Position\" Value=\"" +
		std::to_string(x) + ";" + std::to_string(y) + ";0\"/><vector3d Name=\"Bounds\" Value=\"140;56;0\"/>" +
		(owned ? "<bool Name=\"IsOwnedByThePlayer\" Value=\"true\"/>" : "") + "</Properties></SceneNode>";
}

inline std::string levelScene(const std::string& buildings, bool withCargos = true)
{
	return "<SceneNode Type=\"GGameLevelScene\"><Properties><string Name=\"Name\" Value=\"Level\"/>"
		   "<vector3d Name=\"Bounds\" Value=\"1024;768;0\"/></Properties>"
		   "<SceneNode Type=\"ControlNode\"><Properties><string Name=\"Name\" Value=\"Buildings\"/></Properties>" +
		buildings + "</SceneNode>" +
		(withCargos
				? "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"CargosNode\"/></Properties></SceneNode>"
				: "") +
		"<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Pedestrians\"/></Properties></SceneNode>"
		"</SceneNode>";
}

// The level scene file of the buildings' nodes, one after the other.
inline std::string scene(std::initializer_list<std::string> buildings)
{
	std::string all;
	for (const std::string& b : buildings)
		all += b;
	return levelScene(all);
}

// The player's upgrades: every feature allowed unless listed as forbidden; modifier blocks as given.
class CTestUpgradeEffects : public IGLevelUpgradeEffects
{
public:
	const fw::core::array<const GLevelModifierList*>& getModifierBlocks() const override { return blocks; }
	bool isBuildingFeatureAllowed(fw::s32, fw::s32 featureIndex) const override
	{
		return featureIndex == 0 || allowOthers;
	}
	fw::core::array<const GLevelModifierList*> blocks;
	bool allowOthers = true;
};

// In place of the gameplay screen: writes down the game messages that reach it.
class CMessageRecorder : public fw::BaseNode
{
public:
	CMessageRecorder() : fw::BaseNode(fw::ContentReference(), nullptr, nullptr)
	{
		setEventMask(fw::EVENT_CATEGORY_GAME_MESSAGE);
	}
	bool onEvent(fw::CEvent* event) override
	{
		std::string line = std::to_string(event->getTypeId());
		if (event->getTypeId() == GAME_MESSAGE_BUILDING_SELECTION_CHANGED)
		{
			GBuildingSelectionChangedMessage* change = static_cast<GBuildingSelectionChangedMessage*>(event);
			line += std::string(" ") + (change->building ? change->building->getName().c_str() : "-") + " " +
				(change->previousBuilding ? change->previousBuilding->getName().c_str() : "-");
		}
		log.push_back(line);
		return true;
	}
	std::vector<std::string> take()
	{
		std::vector<std::string> out;
		out.swap(log);
		return out;
	}
	std::vector<std::string> log;
};

// Every cue the level and its buildings play, registered once with scripted sounds that write
// "<cue>:play" into one trace.
inline std::vector<std::string>& soundTrace()
{
	static std::vector<std::string> trace;
	return trace;
}

inline void registerLevelCues(fw::CSoundManager* sounds)
{
	for (const char* name : {"Income", "MaterialsDelivered", "WorkersTrained", "Broken", "Dirty", "MoneyLetter",
			 "ObjFound", "Rain", "Bought", "Sold", "ForSale", "BuyRequest", "TimedActionEnd", "HotelIdle", "Building",
			 "Upgrading", "Destroying", "CleaningDecoration", "FeatureFactory"})
	{
		if (sounds->findCue(id(name)))
			continue;
		const fw::CRefHolder<fw::CSoundCue> cue = fw::adoptRef(new fw::CSoundCue(id(name)));
		cue->addSound(fw::adoptRef(new fw::soundtest::CScriptedSound(name, &soundTrace())).get());
		sounds->registerCue(cue.get());
	}
}

// Stops every instance and lets the manager drop them, so that no cue counts as playing.
inline void silence(fw::CSoundManager* sounds)
{
	sounds->stopGroup(-1);
	const fw::CRefHolder<fw::CEventSystemFlowUpdate> update = fw::adoptRef(new fw::CEventSystemFlowUpdate(10));
	sounds->update(update.get());
}

inline fw::CRefHolder<fw::CNodeFactory> makeLevelFactory()
{
	fw::registerWidgetServices();
	fw::CRefHolder<fw::CNodeFactory> factory = fw::adoptRef(new fw::CNodeFactory);
	registerLevelNodeClasses(*factory);
	return factory;
}

inline fw::CRefHolder<fw::BaseNode> loadScene(fw::CNodeFactory* factory, const std::string& text, const char* name)
{
	const fw::CRefHolder<fw::IXMLReader> reader = readerOver(text);
	return fw::adoptRef(fw::loadSceneFile(reader.get(), factory, fw::ContentReference(nullptr, name), name));
}

inline fw::CRefHolder<GBuildingsConfiguration> makeBuildings(const char* text = BUILDINGS)
{
	fw::CRefHolder<GBuildingsConfiguration> buildings = fw::adoptRef(new GBuildingsConfiguration);
	const fw::CRefHolder<fw::IXMLReader> reader = readerOver(text);
	buildings->load(reader.get());
	return buildings;
}

inline fw::CRefHolder<GLevelConfiguration> makeLevelConfiguration(const std::string& text)
{
	fw::CRefHolder<GLevelConfiguration> level = fw::adoptRef(new GLevelConfiguration);
	const fw::CRefHolder<fw::IXMLReader> reader = readerOver(text);
	level->read(reader.get());
	return level;
}

// The running fixture level.
class CLevelRig
{
public:
	explicit CLevelRig(const std::string& scene, const std::string& configuration = levelXml(""), bool attach = true) :
		factory(makeLevelFactory()),
		recorder(fw::adoptRef(new CMessageRecorder)),
		manager(fw::adoptRef(new fw::SceneManager)),
		buildings(makeBuildings()),
		effects(fw::adoptRef(new CTestUpgradeEffects))
	{
		fw::CRandomGeneratorSingleton::Instance().seed(1234);
		device = fw::CEngineDeviceSingleton::Instance().getDevice();
		sounds = device->getSoundManager();
		registerLevelCues(sounds);
		silence(sounds);
		static const bool words = device->getDictionary()->load(QB_ASSETS_DIR "/strings/Dictionary.xml");
		(void)words;
		soundTrace().clear();
		fw::SServices services = device->getServices();
		services.random = &fw::CRandomGeneratorSingleton::Instance();
		manager->setServices(services);
		recorder->addChild(manager.get());
		templates = fw::CRefHolder<fw::TemplateCollectionNode>(
			fw::nodeCast<fw::TemplateCollectionNode>(loadScene(factory.get(), TEMPLATES, "Templates.oscn").get()));
		manager->setTemplateCollection(templates.get());
		level = fw::CRefHolder<GGameLevelScene>(
			fw::nodeCast<GGameLevelScene>(loadScene(factory.get(), scene, "Level.oscn").get()));
		if (!configuration.empty())
			config = makeLevelConfiguration(configuration);
		if (attach)
			setUpAndEnter();
	}
	~CLevelRig()
	{
		manager->setActiveScene(nullptr);
		manager->processMessageQueue();
		silence(sounds);
		recorder->removeChild(manager.get());
	}
	CLevelRig(const CLevelRig&) = delete;
	CLevelRig& operator=(const CLevelRig&) = delete;

	// As the gameplay screen sets a level up, then the scene manager's switch.
	void setUpAndEnter()
	{
		level->setBuildingsConfiguration(buildings.get());
		level->setLevelConfiguration(config.get());
		level->setLevelUpgradeEffects(effects.get());
		level->setLevelPaths(nullptr);
		level->setPaused(false);
		manager->setActiveScene(level.get());
		manager->processMessageQueue();
		timers = dynamic_cast<fw::CTimerManager*>(level->getTimerManager());
	}

	// Steps of ms each on the level's clock, each followed by the message pass.
	void step(fw::u32 ms, fw::u32 steps = 1)
	{
		for (fw::u32 i = 0; i < steps; ++i)
		{
			if (timers)
				timers->update(ms);
			manager->processMessageQueue();
		}
	}

	GBuildingNode* building(const char* name) const
	{
		for (GBuildingNode* b : buildingList())
			if (b->getName() == name)
				return b;
		return nullptr;
	}
	std::vector<GBuildingNode*> buildingList() const
	{
		const fw::core::array<GBuildingNode*>& list = level->getBuildings();
		return std::vector<GBuildingNode*>(list.const_pointer(), list.const_pointer() + list.size());
	}
	std::vector<std::string> messages()
	{
		manager->processMessageQueue();
		return recorder->take();
	}
	// The cues played since the last call.
	static std::vector<std::string> plays()
	{
		std::vector<std::string> out;
		for (const std::string& line : soundTrace())
			if (line.size() > 5 && line.compare(line.size() - 5, 5, ":play") == 0)
				out.push_back(line.substr(0, line.size() - 5));
		soundTrace().clear();
		return out;
	}

	fw::CRefHolder<fw::CNodeFactory> factory;
	fw::CRefHolder<CMessageRecorder> recorder;
	fw::CRefHolder<fw::SceneManager> manager;
	fw::CRefHolder<fw::TemplateCollectionNode> templates;
	fw::CRefHolder<GBuildingsConfiguration> buildings;
	fw::CRefHolder<GLevelConfiguration> config;
	fw::CRefHolder<CTestUpgradeEffects> effects;
	fw::CRefHolder<GGameLevelScene> level;
	fw::CDeviceStub* device = nullptr;
	fw::CSoundManager* sounds = nullptr;
	fw::CTimerManager* timers = nullptr;
};
} // namespace leveltest
