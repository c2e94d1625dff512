#pragma once

// A small level for the street traffic and the clouds: a headless scene of the level scene's type
// with its paths and a "CargosNode" child, a scene manager whose template collection the tests
// fill, and cues recorded by name on the device's sound manager.

#include "LevelTestSupport.h"
#include "MoverTestSupport.h"
#include "platform/SoundTestSupport.h"

#include "platform/CDeviceStub.h"
#include "platform/CEngineDeviceSingleton.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "widgets/TemplateCollectionNode.h"

#include <algorithm>
#include <string>
#include <vector>

namespace traffictest
{
// Every play of the cues registered through recordCue, as "Name:play".
inline std::vector<std::string>& cueTrace()
{
	static std::vector<std::string> trace;
	return trace;
}

// Registers a cue of that name whose plays land in cueTrace (once per program: the first cue of a
// name stays registered).
inline void recordCue(const char* name)
{
	fw::CDeviceStub* device = fw::CEngineDeviceSingleton::Instance().getDevice();
	fw::CSoundManager* sounds = device ? device->getSoundManager() : nullptr;
	if (!sounds || sounds->findCue(movertest::nameId(name)))
		return;
	const fw::CRefHolder<fw::CSoundCue> cue = fw::adoptRef(new fw::CSoundCue(movertest::nameId(name)));
	cue->addSound(fw::adoptRef(new fw::soundtest::CScriptedSound(name, &cueTrace())).get());
	sounds->registerCue(cue.get());
}

inline size_t cuePlays(const char* name)
{
	const std::string line = std::string(name) + ":play";
	return static_cast<size_t>(std::count(cueTrace().begin(), cueTrace().end(), line));
}

// The level: its paths come from the XML text given to setPaths.
class CTrafficLevel
{
public:
	CTrafficLevel() :
		level(new movertest::CTestLevelScene),
		headless(level),
		collection(fw::adoptRef(new fw::TemplateCollectionNode(fw::ContentReference(), nullptr, nullptr))),
		cargos(fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr)))
	{
		// The holder took its own reference.
		level->drop();
		cargos->setName("CargosNode");
		level->addChild(cargos.get());
		headless.manager->setTemplateCollection(collection.get());
		// The cars' cues play through the program's sound manager, where recordCue puts them.
		fw::SServices services = headless.manager->getServices();
		services.sound = fw::CEngineDeviceSingleton::Instance().getDevice()->getSoundManager();
		headless.manager->setServices(services);
	}
	~CTrafficLevel() { headless.manager->setTemplateCollection(nullptr); }
	CTrafficLevel(const CTrafficLevel&) = delete;
	CTrafficLevel& operator=(const CTrafficLevel&) = delete;

	// Loads "<LevelPaths>" + carPaths + "</LevelPaths>" as the level's paths.
	void setPaths(const std::string& carPaths)
	{
		level->paths = fw::adoptRef(new GLevelPaths);
		level->paths->load(
			leveltest::readerOver("<LevelPaths><CarPaths>" + carPaths + "</CarPaths></LevelPaths>").get());
	}

	// A template of class T under that name; held by the collection.
	template <class T>
	T* addTemplate(const char* name)
	{
		const fw::CRefHolder<T> node = fw::adoptRef(new T(fw::ContentReference(), nullptr, headless.manager.get()));
		node->setName(name);
		// Templates are never drawn; their copies are made visible.
		node->setVisible(false);
		collection->addTemplate(node.get());
		return node.get();
	}

	fw::u32 carCount() const { return cargos->getChildren().size(); }
	fw::BaseNode* car(fw::u32 index) const { return cargos->getChildren()[index]; }

	movertest::CTestLevelScene* level;
	movertest::CHeadlessScene headless;
	fw::CRefHolder<fw::TemplateCollectionNode> collection;
	fw::CRefHolder<fw::BaseNode> cargos;
};
} // namespace traffictest
