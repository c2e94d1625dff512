#pragma once

// Recording nodes and a headless scene for the mover, ellipse and particle tests: a scene manager
// with one active scene whose timer manager the tests step by hand, and nodes that write down the
// states they are given and the end reports they receive.

#include "core/CNameTable.h"
#include "core/CRefHolder.h"
#include "core/SceneNode.h"
#include "level/data/GLevelPaths.h"
#include "level/data/IGLevelPathsOwner.h"
#include "level/nodes/GPathMovableNode.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"
#include "widgets/SceneManager.h"

#include <functional>
#include <string>
#include <vector>

namespace movertest
{
inline std::string nameOf(fw::s32 id)
{
	return id == -1 ? "-1" : fw::CNameTableSingleton::Instance().lookup(id).c_str();
}

using fw::nameId;

inline fw::core::array<fw::core::vector2df> points(std::initializer_list<fw::core::vector2df> list)
{
	fw::core::array<fw::core::vector2df> out;
	for (const fw::core::vector2df& p : list)
		out.push_back(p);
	return out;
}

// A parent that writes down the end reports of its children, and may act on them.
class CReportingParent : public fw::BaseNode
{
public:
	CReportingParent() : fw::BaseNode(fw::ContentReference(), nullptr, nullptr) {}

	bool onStateEnded(fw::CEventNodeStateEnded* event) override
	{
		reports.push_back(event->getNode()->getName().c_str() + std::string(" ") + nameOf(event->getStateId()));
		if (onReport)
			onReport(event);
		return fw::BaseNode::onStateEnded(event);
	}

	std::vector<std::string> reports;
	std::function<void(fw::CEventNodeStateEnded*)> onReport;
};

// A node that writes down the states it is given (setState) and enters (enterState).
class CRecordingNode : public fw::BaseNode
{
public:
	explicit CRecordingNode(const char* name) : fw::BaseNode(fw::ContentReference(), nullptr, nullptr)
	{
		setName(name);
	}

	void setState(fw::s32 stateId, fw::StateFallback fallback) override
	{
		log.push_back("set " + nameOf(stateId));
		fw::BaseNode::setState(stateId, fallback);
	}
	void enterState(fw::s32 stateId, fw::StateFallback fallback, fw::s32 reportedStateId) override
	{
		log.push_back("enter " + nameOf(stateId));
		fw::BaseNode::enterState(stateId, fallback, reportedStateId);
	}

	std::vector<std::string> log;
};

// A mover that writes down the states it is given.
class CRecordingMover : public GPathMovableNode
{
public:
	CRecordingMover() : GPathMovableNode(fw::ContentReference(), nullptr, nullptr) { setName("Mover"); }

	void setState(fw::s32 stateId, fw::StateFallback fallback) override
	{
		states.push_back(nameOf(stateId));
		GPathMovableNode::setState(stateId, fallback);
	}

	std::vector<std::string> states;
};

// A level scene for the pedestrians: the level scene's type id and its paths.
class CTestLevelScene : public fw::SceneNode, public IGLevelPathsOwner
{
public:
	FW_NODE_TYPE(NODE_TYPE_GAME_LEVEL_SCENE, fw::SceneNode)

	CTestLevelScene() : fw::SceneNode(fw::ContentReference(), nullptr, nullptr) { setName("Level"); }

	GLevelPaths* getLevelPaths() const override { return paths.get(); }

	fw::CRefHolder<GLevelPaths> paths;
};

// A scene manager with one active scene, drawn and stepped by hand.
class CHeadlessScene
{
public:
	explicit CHeadlessScene(fw::SceneNode* sceneNode = nullptr) :
		manager(fw::adoptRef(new fw::SceneManager)),
		scene(sceneNode ? fw::CRefHolder<fw::SceneNode>(sceneNode)
						: fw::adoptRef(new fw::SceneNode(fw::ContentReference(), nullptr, nullptr)))
	{
		// The nodes draw from the program's generator, which the tests seed.
		fw::SServices services;
		services.random = &fw::CRandomGeneratorSingleton::Instance();
		manager->setServices(services);
		manager->setActiveScene(scene.get());
		timers = dynamic_cast<fw::CTimerManager*>(manager->getSceneTimerManager(scene.get()));
	}
	~CHeadlessScene()
	{
		scene->removeAllChildren();
		manager->setActiveScene(nullptr);
	}
	CHeadlessScene(const CHeadlessScene&) = delete;
	CHeadlessScene& operator=(const CHeadlessScene&) = delete;

	// One drawing pass over the scene, as the manager's drawing makes it; its entries.
	fw::RenderList draw()
	{
		// The manager's own transformation and colour first, as its drawing refreshes them.
		manager->updateAbsoluteTransformation();
		manager->updateAbsoluteColor();
		fw::RenderList list;
		scene->collectRenderables(list);
		return list;
	}
	// Steps of ms each on the scene's clock.
	void step(fw::u32 ms, fw::u32 steps = 1)
	{
		for (fw::u32 i = 0; i < steps; ++i)
			timers->update(ms);
	}

	fw::CRefHolder<fw::SceneManager> manager;
	fw::CRefHolder<fw::SceneNode> scene;
	// Owned by the manager.
	fw::CTimerManager* timers = nullptr;
};
} // namespace movertest
