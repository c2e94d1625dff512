#include "content/CContentManager.h"
#include "core/CEventInput.h"
#include "core/CLogger.h"
#include "platform/CDeviceLinux.h"
#include "platform/CTimerManager.h"
#include "widgets/SceneManager.h"
#include "widgets/WidgetServices.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace fw;

namespace
{
// A node event that carries a label for the log.
class CLabelEvent : public CEventNode
{
public:
	FW_EVENT_TYPE(5000, CEventNode)
	explicit CLabelEvent(const std::string& label) : label(label) { ++s_alive; }
	~CLabelEvent() override { --s_alive; }

	std::string label;
	static inline int s_alive = 0;
};

// Writes "<node>:<label>" for every event it is offered, then runs the test's reaction.
class CRecorderNode : public BaseNode
{
public:
	CRecorderNode(const char* name, BaseNode* parent, std::vector<std::string>& log) :
		BaseNode(ContentReference(), parent, nullptr), m_log(log)
	{
		setName(name);
		++s_alive;
	}
	~CRecorderNode() override { --s_alive; }

	bool onEvent(CEvent* event) override
	{
		const CLabelEvent* labelled = dynamic_cast<const CLabelEvent*>(event);
		const std::string label = labelled ? labelled->label : "#" + std::to_string(event->getTypeId());
		m_log.push_back(std::string(getName().c_str()) + ":" + label);
		if (react)
			react(label);
		return consumed.count(label) > 0 || BaseNode::onEvent(event);
	}

	std::function<void(const std::string& label)> react;
	std::set<std::string> consumed;
	static inline int s_alive = 0;

private:
	std::vector<std::string>& m_log;
};

class CCountedSceneManager : public SceneManager
{
public:
	CCountedSceneManager() { ++s_alive; }
	~CCountedSceneManager() override { --s_alive; }
	static inline int s_alive = 0;
};

// A manager with one scene:  Scene -> Panel -> (ButtonA, ButtonB).
class SceneManagerQueue : public ::testing::Test
{
protected:
	SceneManagerQueue() : manager(adoptRef<SceneManager>(new CCountedSceneManager)), timers(adoptRef(new CTimerManager))
	{
		scene = adoptRef(new CRecorderNode("Scene", manager.get(), log));
		scene->attachToScene(manager.get(), nullptr);
		panel = adoptRef(new CRecorderNode("Panel", scene.get(), log));
		buttonA = adoptRef(new CRecorderNode("ButtonA", panel.get(), log));
		buttonB = adoptRef(new CRecorderNode("ButtonB", panel.get(), log));
		nodes = {{"Scene", scene.get()}, {"Panel", panel.get()}, {"ButtonA", buttonA.get()},
			{"ButtonB", buttonB.get()}};
	}

	void TearDown() override
	{
		scene.release();
		panel.release();
		buttonA.release();
		buttonB.release();
		nodes.clear();
		manager.release();
		timers.release();
		EXPECT_EQ(0, CCountedSceneManager::s_alive);
		EXPECT_EQ(0, CRecorderNode::s_alive);
		EXPECT_EQ(0, CLabelEvent::s_alive);
	}

	// Posts as a node does: the poster lets go of its event at once.
	void post(const std::string& to, s32 mode, const std::string& label)
	{
		BaseNode* receiver = nodes.at(to);
		buttonA->postEvent(receiver, mode, adoptRef<CEvent>(new CLabelEvent(label)).get());
	}

	std::vector<std::string> log;
	CRefHolder<SceneManager> manager;
	CRefHolder<CTimerManager> timers;
	CRefHolder<CRecorderNode> scene, panel, buttonA, buttonB;
	std::map<std::string, CRecorderNode*> nodes;
};

TEST_F(SceneManagerQueue, IsANodeOfItsOwnType)
{
	EXPECT_EQ(22, manager->getTypeId());
	EXPECT_TRUE(manager->isOfType(22));
	EXPECT_TRUE(manager->isOfType(0));
	EXPECT_FALSE(manager->isOfType(6));
	EXPECT_STREQ(L"SceneManager", manager->getClassName());
	EXPECT_STREQ(L"SceneManager", manager->getTypeName());
	const u32 keyboardMouseNode = EVENT_CATEGORY_KEYBOARD | EVENT_CATEGORY_MOUSE | EVENT_CATEGORY_NODE;
	EXPECT_EQ(panel->getEventMask() | keyboardMouseNode, manager->getEventMask());
	EXPECT_EQ(0u, manager->getInterval());
	EXPECT_EQ(nullptr, manager->getTimerManager());

	const CRefHolder<BaseNode> copy = adoptRef(manager->clone());
	ASSERT_TRUE(dynamic_cast<SceneManager*>(copy.get()));
	EXPECT_EQ(1u, copy->getChildren().size());
	EXPECT_EQ(0u, static_cast<SceneManager*>(copy.get())->getInterval());
}

// Posts that a delivery makes: (label delivered first) -> posts to make then, in order.
struct SPost
{
	const char* to;
	s32 mode;
	const char* label;
};

TEST_F(SceneManagerQueue, DeliveriesFollowTheQueueOrder)
{
	struct SCase
	{
		const char* name;
		std::vector<SPost> posts;
		std::map<std::string, std::vector<SPost>> reactions;
		std::set<std::string> consumedByButtonA;
		std::vector<std::string> expected;
	};
	const std::vector<SCase> cases = {
		{"between passes: first in, first out", {{"ButtonA", 0, "A"}, {"ButtonA", 0, "B"}, {"Panel", 0, "C"}}, {}, {},
			{"ButtonA:A", "ButtonA:B", "Panel:C"}},
		{"posted during a pass: next, the last posted first",
			{{"ButtonA", 0, "A"}, {"ButtonA", 0, "B"}, {"ButtonA", 0, "C"}},
			{{"A", {{"Panel", 0, "X"}, {"Panel", 0, "Y"}}}}, {},
			{"ButtonA:A", "Panel:Y", "Panel:X", "ButtonA:B", "ButtonA:C"}},
		{"chains settle within the pass", {{"ButtonA", 0, "A"}, {"ButtonB", 0, "B"}},
			{{"A", {{"Panel", 0, "X"}, {"Panel", 0, "Y"}}}, {"X", {{"Scene", 0, "Z"}}}}, {},
			{"ButtonA:A", "Panel:Y", "Panel:X", "Scene:Z", "ButtonB:B"}},
		{"route modes: self, self then down, down then self, self then up",
			{{"ButtonA", 0, "self"}, {"Panel", 1, "down"}, {"Panel", 2, "children-first"}, {"ButtonA", 3, "up"}}, {},
			{},
			{"ButtonA:self", "Panel:down", "ButtonB:down", "ButtonA:down", "ButtonB:children-first",
				"ButtonA:children-first", "Panel:children-first", "ButtonA:up", "Panel:up", "Scene:up"}},
		{"a consumed event goes no further", {{"Panel", 2, "taken"}, {"ButtonA", 3, "taken"}, {"ButtonA", 0, "after"}},
			{}, {"taken"}, {"ButtonB:taken", "ButtonA:taken", "ButtonA:taken", "ButtonA:after"}},
		{"a bubbling event arrives whole before what its handler posts", {{"ButtonA", 3, "A"}, {"ButtonB", 0, "B"}},
			{{"A", {{"Panel", 1, "X"}}}}, {},
			{"ButtonA:A", "Panel:A", "Scene:A", "Panel:X", "ButtonB:X", "ButtonA:X", "ButtonB:B"}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		log.clear();
		std::set<std::string> reacted;
		for (auto& entry : nodes)
		{
			entry.second->react = [&, this](const std::string& label)
			{
				const auto found = c.reactions.find(label);
				if (found == c.reactions.end() || !reacted.insert(label).second)
					return;
				for (const SPost& p : found->second)
					post(p.to, p.mode, p.label);
			};
		}
		buttonA->consumed = c.consumedByButtonA;
		for (const SPost& p : c.posts)
			post(p.to, p.mode, p.label);
		EXPECT_EQ(c.posts.size(), manager->getQueuedMessageCount());
		EXPECT_TRUE(log.empty()) << "nothing is delivered before the pass";
		EXPECT_TRUE(manager->processMessageQueue());
		EXPECT_EQ(c.expected, log);
		EXPECT_EQ(0u, manager->getQueuedMessageCount());
		EXPECT_FALSE(manager->isProcessingMessages());
	}
	for (auto& entry : nodes)
		entry.second->react = nullptr;
	buttonA->consumed.clear();
}

TEST_F(SceneManagerQueue, OnePassPerUpdateOfTheAttachedRunningTimerManager)
{
	post("ButtonA", 0, "A");
	timers->update(10);
	EXPECT_TRUE(log.empty()) << "not attached: the events wait";

	manager->setTimerManager(timers.get());
	EXPECT_EQ(timers.get(), manager->getTimerManager());
	manager->setTimerManager(timers.get());
	EXPECT_EQ(1u, timers->getTimerCount()) << "attached once";
	post("ButtonA", 0, "B");
	EXPECT_TRUE(log.empty());
	timers->update(10);
	EXPECT_EQ((std::vector<std::string>{"ButtonA:A", "ButtonA:B"}), log);

	// A post made between updates waits for the next one; every update makes one pass.
	log.clear();
	post("Panel", 0, "C");
	timers->setRunning(false);
	timers->update(10);
	EXPECT_TRUE(log.empty()) << "a stopped timer manager delivers nothing";
	timers->setRunning(true);
	timers->update(1);
	EXPECT_EQ((std::vector<std::string>{"Panel:C"}), log);
	post("Panel", 0, "D");
	timers->update(1);
	EXPECT_EQ((std::vector<std::string>{"Panel:C", "Panel:D"}), log);

	// A pass asked for from a handler leaves the delivery to the pass that runs.
	log.clear();
	buttonA->react = [this](const std::string& label)
	{
		if (label == "E")
		{
			EXPECT_TRUE(manager->processMessageQueue());
		}
	};
	post("ButtonA", 0, "E");
	post("ButtonA", 0, "F");
	timers->update(10);
	buttonA->react = nullptr;
	EXPECT_EQ((std::vector<std::string>{"ButtonA:E", "ButtonA:F"}), log);

	manager->setTimerManager(nullptr);
	EXPECT_EQ(nullptr, manager->getTimerManager());
	post("ButtonA", 0, "G");
	timers->update(10);
	EXPECT_EQ(2u, log.size());
	EXPECT_EQ(0u, timers->getTimerCount());
	EXPECT_EQ(1u, manager->getQueuedMessageCount());
}

TEST_F(SceneManagerQueue, QueueKeepsReceiversAndEventsAliveUntilDelivery)
{
	post("ButtonA", 0, "A");
	post("ButtonA", 3, "B");
	EXPECT_EQ(2, CLabelEvent::s_alive) << "the queue holds the events its posters let go";

	// The button leaves the tree and its last outside reference goes before the pass.
	panel->removeChild(buttonA.get());
	nodes.erase("ButtonA");
	buttonA.release();
	EXPECT_EQ(4, CRecorderNode::s_alive) << "the queue still holds the button";

	EXPECT_TRUE(manager->processMessageQueue());
	// Out of the tree, the bubbling event ends at the button.
	EXPECT_EQ((std::vector<std::string>{"ButtonA:A", "ButtonA:B"}), log);
	EXPECT_EQ(3, CRecorderNode::s_alive) << "released after its delivery";
	EXPECT_EQ(0, CLabelEvent::s_alive);
}

TEST_F(SceneManagerQueue, NodesScheduledForRemovalLeaveAfterThePass)
{
	scene->react = [this](const std::string& label)
	{
		if (label != "close")
			return;
		manager->scheduleRemoval(scene.get());
		post("ButtonB", 3, "late");
	};
	post("Scene", 0, "close");
	post("Panel", 0, "queued");
	EXPECT_TRUE(manager->processMessageQueue());
	scene->react = nullptr;
	// The scene still takes events in the pass that removes it.
	EXPECT_EQ((std::vector<std::string>{"Scene:close", "ButtonB:late", "Panel:late", "Scene:late", "Panel:queued"}),
		log);
	EXPECT_TRUE(manager->getChildren().empty());
	EXPECT_EQ(nullptr, scene->getParent());
	EXPECT_EQ(nullptr, buttonB->getSceneManager());

	// Outside a pass, the next pass does it.
	const CRefHolder<CRecorderNode> other = adoptRef(new CRecorderNode("Other", manager.get(), log));
	manager->scheduleRemoval(other.get());
	manager->scheduleRemoval(nullptr);
	EXPECT_EQ(manager.get(), other->getParent());
	manager->processMessageQueue();
	EXPECT_EQ(nullptr, other->getParent());
}

TEST_F(SceneManagerQueue, DestroyedManagerReleasesQueuedEventsUndelivered)
{
	post("ButtonA", 0, "A");
	post("Scene", 3, "B");
	// Posted to the manager itself, as a scene posts to its parent: this must not keep it alive.
	scene->postEventToParent(0, adoptRef<CEvent>(new CLabelEvent("to the manager")).get());
	EXPECT_EQ(3u, manager->getQueuedMessageCount());
	manager->setTimerManager(timers.get());
	manager->setTimerManager(nullptr);
	scene.release();
	panel.release();
	buttonA.release();
	buttonB.release();
	nodes.clear();

	manager.release();
	EXPECT_EQ(0, CCountedSceneManager::s_alive);
	EXPECT_TRUE(log.empty());
	EXPECT_EQ(0, CRecorderNode::s_alive);
	EXPECT_EQ(0, CLabelEvent::s_alive);
}

TEST_F(SceneManagerQueue, TimerManagerKeepsTheManagerOnlyWhileOthersDo)
{
	manager->setTimerManager(timers.get());
	post("ButtonA", 0, "A");
	manager.release();
	EXPECT_EQ(1, CCountedSceneManager::s_alive) << "the timer manager holds it";
	timers->update(10);
	EXPECT_EQ((std::vector<std::string>{"ButtonA:A"}), log) << "its last pass still delivers";
	EXPECT_EQ(0, CCountedSceneManager::s_alive);
	EXPECT_EQ(0u, timers->getTimerCount());
}

TEST_F(SceneManagerQueue, RoutesThroughItsScenes)
{
	const CRefHolder<CRecorderNode> second = adoptRef(new CRecorderNode("Second", manager.get(), log));
	second->attachToScene(manager.get(), nullptr);

	// Down: scenes first to last (inside a scene, last child first), until one consumes.
	const CRefHolder<CEvent> down = adoptRef<CEvent>(new CLabelEvent("down"));
	EXPECT_FALSE(manager->routeEvent(ROUTE_SELF_DOWN, down.get()));
	EXPECT_EQ((std::vector<std::string>{"Scene:down", "Panel:down", "ButtonB:down", "ButtonA:down", "Second:down"}),
		log);
	log.clear();
	scene->consumed.insert("down");
	EXPECT_TRUE(manager->routeEvent(ROUTE_DOWN_SELF, down.get()));
	EXPECT_EQ((std::vector<std::string>{"ButtonB:down", "ButtonA:down", "Panel:down", "Scene:down"}), log);
	scene->consumed.clear();

	// Input goes only to an active scene, and there is none.
	log.clear();
	const CRefHolder<CEvent> click = adoptRef<CEvent>(new CEventInputMouseLeftDown(10, 10));
	EXPECT_FALSE(manager->routeEvent(ROUTE_SELF_DOWN, click.get()));
	EXPECT_TRUE(log.empty());

	// Up: events bubbling out of a scene stop at a top-level manager, consumed.
	const CRefHolder<CEvent> up = adoptRef<CEvent>(new CLabelEvent("up"));
	EXPECT_TRUE(buttonA->routeEvent(ROUTE_SELF_UP, up.get()));
	EXPECT_EQ((std::vector<std::string>{"ButtonA:up", "Panel:up", "Scene:up"}), log);

	// A manager inside another tree passes them on to its parent.
	log.clear();
	const CRefHolder<CRecorderNode> outer = adoptRef(new CRecorderNode("Outer", nullptr, log));
	outer->addChild(manager.get());
	EXPECT_FALSE(buttonA->routeEvent(ROUTE_SELF_UP, up.get()));
	EXPECT_EQ((std::vector<std::string>{"ButtonA:up", "Panel:up", "Scene:up", "Outer:up"}), log);

	// Nested in another manager's tree, its scenes are not told of that manager's attachments.
	log.clear();
	manager->attachToScene(manager.get(), nullptr);
	const CRefHolder<CEvent> attached = adoptRef<CEvent>(new CEventNodeAttached(manager.get()));
	EXPECT_FALSE(manager->routeDown(ROUTE_SELF_DOWN, attached.get()));
	EXPECT_TRUE(log.empty());
	outer->removeChild(manager.get());
}

} // namespace
