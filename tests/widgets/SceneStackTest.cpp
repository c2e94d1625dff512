#include "WidgetTestSupport.h"

#include "core/CEventInput.h"
#include "platform/CDeviceLinux.h"

#include <gtest/gtest.h>

#include <memory>

using namespace fw;
using namespace fw::widgettest;

namespace
{
// A scene whose panel plays each transition for 100 ms.
std::string sceneText(const std::string& name, const std::string& type = "SceneNode")
{
	std::string states;
	for (const char* state : {"NavTo", "NavFrom", "NavBackTo", "NavBackFrom"})
		states += std::string("<State Name=\"") + state +
			"\"><Animator Type=\"KeyFrame\"><Properties><color Name=\"TintColor\" Value=\"ffffffff\" />"
			"</Properties><KeyFrame t=\"0\" Value0=\"00ffffff\" /><KeyFrame t=\"100\" Value0=\"ffffffff\" />"
			"</Animator></State>";
	return "<SceneNode Type=\"" + type + "\"><Properties><string Name=\"Name\" Value=\"" + name +
		"\" /></Properties><SceneNode Type=\"ControlNode\"><Properties><string Name=\"Name\" Value=\"Panel\" />"
		"</Properties><States>" +
		states + "</States></SceneNode></SceneNode>";
}

class SceneStack : public ::testing::Test
{
protected:
	SceneStack() : factory(makeFactory()), manager(adoptRef(new SceneManager)) {}

	CRefHolder<SceneNode> makeScene(const std::string& name)
	{
		CRefHolder<SceneNode> scene = loadFixtureAs<SceneNode>(factory.get(), name + ".oscn", sceneText(name));
		listening.emplace_back(new CListening(scene.get(), log, name));
		return scene;
	}

	// Every scene's animations advance (in the order given), then one message pass.
	void tick(u32 milliseconds, const std::vector<SceneNode*>& scenes)
	{
		for (SceneNode* scene : scenes)
			if (CTimerManager* timers = dynamic_cast<CTimerManager*>(scene->getTimerManager()))
				if (timers->isRunning())
					timers->update(milliseconds);
		manager->processMessageQueue();
	}
	std::vector<std::string> takeLog()
	{
		std::vector<std::string> lines;
		lines.swap(log);
		return lines;
	}
	bool isChild(const BaseNode* node) const
	{
		for (u32 i = 0; i < manager->getChildren().size(); ++i)
			if (manager->getChildren()[i] == node)
				return true;
		return false;
	}
	bool inputReachesAScene()
	{
		const CRefHolder<CEvent> key = adoptRef<CEvent>(new CEventInputKeyDown(0, 13, false, false));
		return manager->routeDown(ROUTE_SELF_DOWN, key.get()) || manager->getActiveScene() == nullptr ||
			!manager->isSwitching(manager->getActiveScene());
	}

	CRefHolder<CNodeFactory> factory;
	CRefHolder<SceneManager> manager;
	std::vector<std::string> log;
	std::vector<std::unique_ptr<CListening>> listening;
};

TEST_F(SceneStack, OpenStackGoBackAndSwitchWithTheirTransitions)
{
	CRefHolder<SceneNode> a = makeScene("A");
	CRefHolder<SceneNode> b = makeScene("B");
	CRefHolder<SceneNode> c = makeScene("C");

	ASSERT_TRUE(manager->setActiveScene(a.get()));
	EXPECT_EQ((std::vector<std::string>{"A transition", "A transition start", "A look NavTo"}), takeLog());
	EXPECT_TRUE(manager->isSwitching(a.get()));
	tick(100, {a.get()});
	EXPECT_FALSE(manager->isSwitching(a.get()));
	EXPECT_EQ((std::vector<std::string>{"A look Focus", "A transition end", "A focused"}), takeLog());

	// Push: both scenes play, the new one goes directly after the old one.
	ASSERT_TRUE(a->openScene(b.get(), false));
	EXPECT_EQ(b.get(), manager->getActiveScene());
	EXPECT_EQ(a.get(), b->getPreviousScene());
	EXPECT_EQ((std::vector<std::string>{"A look KillFocus", "A transition", "A transition start", "B transition",
				  "B transition start", "A look NavFrom", "B look NavTo"}),
		takeLog());
	EXPECT_EQ(2u, manager->getSwitchCount());
	tick(50, {a.get(), b.get()});
	EXPECT_FALSE(inputReachesAScene()) << "no input while switching";
	tick(50, {b.get()});
	EXPECT_TRUE(manager->isSwitching(b.get())) << "the new scene waits for the old one's transition";
	EXPECT_EQ((std::vector<std::string>{"A unfocused", "B look Focus", "B transition end", "B focused"}), takeLog());
	tick(50, {a.get()});
	EXPECT_EQ((std::vector<std::string>{"A transition end"}), takeLog());
	EXPECT_FALSE(manager->isSwitching(b.get()));
	EXPECT_FALSE(a->isVisible()) << "not kept visible: hidden and paused";
	EXPECT_FALSE(dynamic_cast<CTimerManager*>(a->getTimerManager())->isRunning());

	// Back: the scene returned to is shown and runs again before its transition.
	ASSERT_TRUE(b->goBack(0));
	EXPECT_TRUE(a->isVisible());
	EXPECT_TRUE(dynamic_cast<CTimerManager*>(a->getTimerManager())->isRunning());
	EXPECT_EQ(a.get(), manager->getActiveScene());
	EXPECT_EQ((std::vector<std::string>{"B look KillFocus", "B transition", "A transition", "B transition start",
				  "A transition start", "B look NavBackFrom", "A look NavBackTo"}),
		takeLog());
	// This time the outgoing side ends first.
	tick(100, {b.get(), a.get()});
	EXPECT_EQ((std::vector<std::string>{"A look Focus", "B unfocused", "B transition end", "A transition end",
				  "A focused"}),
		takeLog());
	EXPECT_FALSE(isChild(b.get())) << "the scene left behind is removed at the end of the pass";
	EXPECT_EQ(nullptr, b->getTimerManager()) << "its timer manager went with it";

	// Switch: the whole stack is replaced; the old scene plays nothing.
	ASSERT_TRUE(manager->setActiveScene(c.get()));
	EXPECT_EQ((std::vector<std::string>{"A transition", "A transition start", "C transition", "C transition start",
				  "C look NavTo"}),
		takeLog());
	EXPECT_TRUE(isChild(a.get())) << "until the next pass";
	tick(100, {c.get()});
	EXPECT_FALSE(isChild(a.get()));
	EXPECT_EQ(1u, manager->getChildren().size());
	EXPECT_EQ(1u, manager->getSceneTimerManagerCount());
	takeLog();
	manager->setActiveScene(nullptr);
	manager->processMessageQueue();
}

TEST_F(SceneStack, GoingBackFollowsTheChainAndRefusesWhatIsNotBelow)
{
	CRefHolder<SceneNode> a = makeScene("A");
	CRefHolder<SceneNode> b = makeScene("B");
	CRefHolder<SceneNode> c = makeScene("C");
	const auto settle = [&] { tick(100, {a.get(), b.get(), c.get()}); };
	ASSERT_TRUE(manager->setActiveScene(a.get()));
	settle();
	ASSERT_TRUE(a->openScene(b.get(), true));
	settle();
	EXPECT_TRUE(a->isVisible()) << "kept visible under the new scene";
	ASSERT_TRUE(b->openScene(c.get(), false));
	settle();

	EXPECT_FALSE(c->goBack(5)) << "the chain is shorter";
	EXPECT_FALSE(c->goBackToType(SceneNode::TypeId + 100));
	EXPECT_EQ(c.get(), manager->getActiveScene());
	takeLog();

	// Two steps down: the scene between leaves without a word.
	ASSERT_TRUE(c->goBack(1));
	EXPECT_EQ(a.get(), c->getPreviousScene());
	settle();
	EXPECT_EQ(a.get(), manager->getActiveScene());
	EXPECT_FALSE(isChild(b.get()));
	EXPECT_FALSE(isChild(c.get()));
	for (const std::string& line : takeLog())
		EXPECT_NE('B', line[0]) << line;
	EXPECT_EQ(1u, manager->getSceneTimerManagerCount());

	// A scene left by going back goes at the end of the pass after its own transition, even while
	// the scene returned to still plays its own.
	ASSERT_TRUE(a->openScene(b.get(), false));
	settle();
	ASSERT_TRUE(b->goBack(0));
	tick(100, {b.get()});
	EXPECT_FALSE(isChild(b.get()));
	EXPECT_TRUE(manager->isSwitching(a.get()));
	EXPECT_FALSE(inputReachesAScene());
	takeLog();
	tick(100, {a.get()});
	EXPECT_FALSE(manager->isSwitching(a.get()));
	EXPECT_EQ((std::vector<std::string>{"A look Focus", "A transition end", "A focused"}), takeLog());
	EXPECT_EQ(0u, manager->getSwitchCount());
	manager->setActiveScene(nullptr);
	manager->processMessageQueue();
}

// The stack cannot be made to loop, and the active scene never dangles.
TEST_F(SceneStack, RefusesScenesAlreadyOnTheStackAndKeepsAnActiveSceneSetAgain)
{
	CRefHolder<SceneNode> a = makeScene("A");
	CRefHolder<SceneNode> b = makeScene("B");
	const auto settle = [&] { tick(100, {a.get(), b.get()}); };
	ASSERT_TRUE(manager->setActiveScene(a.get()));
	settle();
	EXPECT_FALSE(a->openScene(a.get(), false)) << "over itself";
	ASSERT_TRUE(a->openScene(b.get(), false));
	settle();
	EXPECT_FALSE(b->openScene(a.get(), false)) << "a scene below on the chain";
	EXPECT_FALSE(manager->pushScene(nullptr, b.get(), -1, -1, false)) << "the active scene again";
	EXPECT_EQ(a.get(), b->getPreviousScene());
	EXPECT_EQ(nullptr, a->getPreviousScene());

	// Making the active scene active again keeps it.
	ASSERT_TRUE(manager->setActiveScene(b.get()));
	settle();
	EXPECT_EQ(b.get(), manager->getActiveScene());
	EXPECT_TRUE(isChild(b.get()));
	EXPECT_FALSE(isChild(a.get()));
	EXPECT_EQ(1u, manager->getSceneTimerManagerCount());
	EXPECT_NE(nullptr, b->getTimerManager());

	// A node scheduled twice is held once and removed once.
	CRefHolder<BaseNode> extra = adoptRef(new BaseNode(ContentReference(), manager.get(), nullptr));
	const s32 before = extra->getReferenceCount();
	manager->scheduleRemoval(extra.get());
	manager->scheduleRemoval(extra.get());
	EXPECT_EQ(before + 1, extra->getReferenceCount());
	manager->processMessageQueue();
	EXPECT_EQ(1, extra->getReferenceCount());
	manager->setActiveScene(nullptr);
	manager->processMessageQueue();
}

TEST_F(SceneStack, PushingOverAPlayingSceneStopsItsTransitionAndPushingIntoAnEmptyManagerKeepsNoActiveScene)
{
	CRefHolder<SceneNode> a = makeScene("A");
	CRefHolder<SceneNode> b = makeScene("B");
	CRefHolder<SceneNode> c = makeScene("C");
	EXPECT_TRUE(manager->pushScene(nullptr, c.get(), -1, -1, false));
	EXPECT_EQ(nullptr, manager->getActiveScene());
	EXPECT_EQ(1u, manager->getSwitchCount());
	EXPECT_TRUE(isChild(c.get()));
	manager->setActiveScene(nullptr);
	manager->processMessageQueue();
	EXPECT_EQ(0u, manager->getChildren().size());

	ASSERT_TRUE(manager->setActiveScene(a.get()));
	tick(50, {a.get()});
	ASSERT_TRUE(manager->isSwitching(a.get()));
	ASSERT_TRUE(a->openScene(b.get(), false));
	EXPECT_EQ(2u, manager->getSwitchCount()) << "A's own transition was finished first";
	EXPECT_EQ(b.get(), manager->getActiveScene());
	manager->setActiveScene(nullptr);
	manager->processMessageQueue();
}

TEST_F(SceneStack, OpenSceneFileOpensScenesOnlyAndInputWaitsForTheSwitch)
{
	nodetest::CFakeContentManager content(factory.get());
	content.addFile("menu/Next.oscn", sceneText("Next"));
	content.addFile("menu/Plain.oscn", "<SceneNode Type=\"ControlNode\" />");
	CRefHolder<SceneNode> a = adoptRef(new SceneNode(ContentReference(&content, "menu/Start.oscn"), nullptr, nullptr));
	content.setBase("menu/Start.oscn");
	ASSERT_TRUE(manager->setActiveScene(a.get()));
	manager->processMessageQueue();
	EXPECT_EQ(nullptr, a->openSceneFile("", false));
	EXPECT_EQ(nullptr, a->openSceneFile("Missing.oscn", false));
	EXPECT_EQ(nullptr, a->openSceneFile("Plain.oscn", false)) << "the root is not a scene";
	EXPECT_EQ(1u, manager->getChildren().size());
	SceneNode* next = a->openSceneFile("Next.oscn", false);
	ASSERT_NE(nullptr, next);
	EXPECT_EQ(next, manager->getActiveScene());
	EXPECT_EQ(2u, manager->getChildren().size());
	EXPECT_FALSE(inputReachesAScene());
	content.setBase("");
	manager->setActiveScene(nullptr);
	manager->processMessageQueue();
}

TEST(SceneStackSoak, AThousandScenesLeaveNoObjectsOrReceiversBehind)
{
	registerWidgetServices();
	const CRefHolder<CDeviceStub> device = adoptRef(createDevice(SDeviceCreationParameters()));
	ASSERT_TRUE(device);
	CRefHolder<CNodeFactory> factory = makeFactory();
	CRefHolder<SceneManager> manager = adoptRef(new SceneManager);
	manager->setServices(device->getServices());
	CRefHolder<SceneNode> home = loadFixtureAs<SceneNode>(factory.get(), "Home.oscn", sceneText("Home"));
	const auto tick = [&]
	{
		for (u32 i = 0; i < manager->getChildren().size(); ++i)
			if (SceneNode* scene = nodeCast<SceneNode>(manager->getChildren()[i]))
				if (CTimerManager* timers = dynamic_cast<CTimerManager*>(scene->getTimerManager()))
					timers->update(100);
		manager->processMessageQueue();
	};
	ASSERT_TRUE(manager->setActiveScene(home.get()));
	tick();
	const u32 receivers = device->getEventReceivers().size();
	const u32 children = manager->getChildren().size();
	const u32 timers = manager->getSceneTimerManagerCount();
	nodetest::CAllTypesNode::s_alive = 0;
	for (int i = 0; i < 1000; ++i)
	{
		CRefHolder<SceneNode> scene = loadFixtureAs<SceneNode>(factory.get(), "S.oscn", sceneText("S"));
		new nodetest::CAllTypesNode(ContentReference(), scene.get(), nullptr);
		scene->getChildren().getLast()->drop();
		ASSERT_TRUE(home->openScene(scene.get(), i % 2 == 0)) << i;
		tick();
		ASSERT_TRUE(scene->goBack(0)) << i;
		tick();
	}
	EXPECT_EQ(0, nodetest::CAllTypesNode::s_alive) << "every scene opened has been destroyed";
	EXPECT_EQ(receivers, device->getEventReceivers().size());
	EXPECT_EQ(children, manager->getChildren().size());
	EXPECT_EQ(timers, manager->getSceneTimerManagerCount());
	EXPECT_EQ(home.get(), manager->getActiveScene());
	manager->setActiveScene(nullptr);
	manager->processMessageQueue();
}
} // namespace
