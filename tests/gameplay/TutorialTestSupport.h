#pragma once

// A tutorial over a plain owner node in a scene manager of the test device: a small template
// collection with the window and arrow the controller copies, scripted cues that trace every play,
// and a level receiver that records the requests it is sent.

#include "level/LevelSceneSupport.h"

#include "gameplay/GTutorialController.h"
#include "level/data/GGameMessages.h"

#include <functional>
#include <string>
#include <vector>

namespace tutorialtest
{
using leveltest::id;
using leveltest::readerOver;

// The window: "NavTo" and a state change on its text; a skip button with its highlight; the
// message-box "Button".
const char* const TEMPLATES = R"(<SceneNode Type="TemplateCollectionNode">
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="TutorialWindow"/></Properties>
		<States><State Name="NavTo"/><State Name="NavFrom"/></States>
		<SceneNode Type="TextNode"><Properties><string Name="Name" Value="Text"/></Properties>
			<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="Bg"/></Properties>
				<States><State Name="Type1"/><State Name="Type2"/></States></SceneNode></SceneNode>
		<SceneNode Type="ButtonNode"><Properties><string Name="Name" Value="SkipTutorialButton"/>
			<vector3d Name="Position" Value="40;0;3"/><vector3d Name="Bounds" Value="100;30;0"/></Properties>
			<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="bg"/></Properties></SceneNode>
			<SceneNode Type="TextNode"><Properties><string Name="Name" Value="Face"/>
				<vector3d Name="Bounds" Value="100;30;0"/></Properties></SceneNode></SceneNode>
		<SceneNode Type="ButtonNode"><Properties><string Name="Name" Value="Button"/></Properties></SceneNode>
	</SceneNode>
	<SceneNode Type="SpriteNode"><Properties><string Name="Name" Value="TutorialArrow"/></Properties></SceneNode>
</SceneNode>)";

// Records each request as text: its type id, and for a pause request "pause" or "resume". Answers
// a building-types query with found when told so; consumes what it is told to.
class CRecordingLevel : public fw::CEventReceiver
{
public:
	CRecordingLevel() { setEventMask(fw::EVENT_CATEGORY_GAME_MESSAGE); }
	// Through the framework's dispatch, so that pre-listeners are offered each message first.
	bool onEvent(fw::CEvent* event) override { return dispatchEvent(requestMap(), event); }
	std::vector<std::string> take()
	{
		std::vector<std::string> out;
		out.swap(requests);
		return out;
	}
	std::vector<std::string> requests;
	bool owns = false;
	// Run inside the handling of each request, as a scene's own update might.
	std::function<void()> onRequest;

private:
	static bool record(fw::CEventReceiver* receiver, fw::CEvent* event)
	{
		CRecordingLevel* self = static_cast<CRecordingLevel*>(receiver);
		const fw::s32 type = event->getTypeId();
		if (type == GAME_MESSAGE_PAUSE_REQUEST)
			self->requests.push_back(static_cast<GPauseRequestMessage*>(event)->pause ? "pause" : "resume");
		else if (type == GAME_MESSAGE_BUILDING_TYPES_QUERY)
		{
			self->requests.push_back("query");
			static_cast<GBuildingTypesQueryMessage*>(event)->found = self->owns;
		}
		else
			self->requests.push_back(std::to_string(type));
		if (self->onRequest)
			self->onRequest();
		return true;
	}
	static const fw::EventMap& requestMap()
	{
		static const fw::EventMap map = []
		{
			fw::EventMap m;
			for (fw::s32 type = GAME_MESSAGE_SELL_BUILDING_REQUEST; type <= GAME_MESSAGE_WEATHER_EFFECT_REQUEST; ++type)
				m[type] = &record;
			return m;
		}();
		return map;
	}
};

class CTutorialRig
{
public:
	CTutorialRig() :
		factory(leveltest::makeLevelFactory()),
		manager(fw::adoptRef(new fw::SceneManager)),
		level(fw::adoptRef(new CRecordingLevel))
	{
		device = fw::CEngineDeviceSingleton::Instance().getDevice();
		sounds = device->getSoundManager();
		for (const char* name : {"ButtonMissed", "TutorialWindow"})
		{
			if (sounds->findCue(id(name)))
				continue;
			const fw::CRefHolder<fw::CSoundCue> cue = fw::adoptRef(new fw::CSoundCue(id(name)));
			cue->addSound(fw::adoptRef(new fw::soundtest::CScriptedSound(name, &leveltest::soundTrace())).get());
			sounds->registerCue(cue.get());
		}
		leveltest::silence(sounds);
		leveltest::soundTrace().clear();
		manager->setServices(device->getServices());
		templates = leveltest::loadScene(factory.get(), TEMPLATES, "Templates.oscn");
		manager->setTemplateCollection(fw::nodeCast<fw::TemplateCollectionNode>(templates.get()));
		// The owner stands in a scene of the manager, as the scenes' own nodes do.
		scene = fw::adoptRef(new fw::SceneNode(fw::ContentReference(), nullptr, manager.get()));
		manager->setActiveScene(scene.get());
		manager->processMessageQueue();
		owner = fw::adoptRef(new fw::BaseNode(fw::ContentReference(), scene.get(), manager.get()));
	}
	~CTutorialRig()
	{
		if (controller)
			controller->stop();
		controller = fw::CRefHolder<GTutorialController>();
		leveltest::silence(sounds);
		manager->setActiveScene(nullptr);
		manager->processMessageQueue();
	}
	CTutorialRig(const CTutorialRig&) = delete;
	CTutorialRig& operator=(const CTutorialRig&) = delete;

	// A controller over the owner with the file loaded; the level receiver unless withoutLevel.
	GTutorialController* load(const std::string& file, bool withLevel = true)
	{
		controller = fw::adoptRef(new GTutorialController(owner.get(), templates.get()));
		const fw::CRefHolder<fw::IXMLReader> reader = readerOver(file);
		loaded = controller->load(reader.get(), withLevel ? level.get() : nullptr);
		if (withLevel)
			level->addPreListener(controller.get());
		return controller.get();
	}
	void unlistenLevel() { level->removePreListener(controller.get()); }

	// The cues played since the last call, by name.
	static std::vector<std::string> plays()
	{
		std::vector<std::string> out;
		for (const std::string& line : leveltest::soundTrace())
			if (line.size() > 5 && line.compare(line.size() - 5, 5, ":play") == 0)
				out.push_back(line.substr(0, line.size() - 5));
		leveltest::soundTrace().clear();
		return out;
	}
	static int count(const std::vector<std::string>& lines, const std::string& what)
	{
		int n = 0;
		for (const std::string& line : lines)
			n += line == what ? 1 : 0;
		return n;
	}

	fw::CRefHolder<fw::CNodeFactory> factory;
	fw::CRefHolder<fw::SceneManager> manager;
	fw::CRefHolder<CRecordingLevel> level;
	fw::CDeviceStub* device = nullptr;
	fw::CSoundManager* sounds = nullptr;
	fw::CRefHolder<fw::BaseNode> templates;
	fw::CRefHolder<fw::SceneNode> scene;
	fw::CRefHolder<fw::BaseNode> owner;
	fw::CRefHolder<GTutorialController> controller;
	bool loaded = false;
};

inline std::string tutorial(const std::string& hints)
{
	return "<Tutorial>" + hints + "</Tutorial>";
}
} // namespace tutorialtest
