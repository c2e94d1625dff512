// The game's scene base, the debug overlay and the rectangle node on their own: a scene manager of
// the test's, the null video driver, timers stepped by hand. The button cues are the test's own:
// this file's tests run before those that start the whole game and register the staged pack.

#include "platform/SoundTestSupport.h"
#include "support/LogCapture.h"

#include "app/GBaseSceneNode.h"
#include "app/GDebugStatsScene.h"
#include "app/GRectangleNode.h"
#include "core/CEventControl.h"
#include "core/CEventInput.h"
#include "core/CNameTable.h"
#include "core/CNodeFactory.h"
#include "core/CPropertyContainer.h"
#include "core/NodeCasts.h"
#include "platform/CDeviceStub.h"
#include "platform/CEngineDeviceSingleton.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "platform/CTimerManager.h"
#include "widgets/CEventScene.h"
#include "widgets/SceneManager.h"
#include "widgets/TextNode.h"
#include "widgets/WidgetServices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace fw;

namespace
{
s32 id(const char* name)
{
	return CNameTableSingleton::Instance().intern(name);
}

// A control that counts as a button for the scene base.
class CTestButton : public ControlNode
{
public:
	FW_NODE_CLASS(CTestButton, ControlNode, NODE_TYPE_BUTTON, L"CTestButton")
	using ControlNode::ControlNode;
};

// Two game scenes on a scene manager of the device's, the second opened over the first.
class SceneBase : public ::testing::Test
{
protected:
	SceneBase()
	{
		registerWidgetServices();
		device = CEngineDeviceSingleton::Instance().getDevice();
		sounds = device->getSoundManager();
		for (const char* name : {"ButtonClick", "ButtonOver"})
			if (!sounds->findCue(id(name)))
			{
				const CRefHolder<CSoundCue> cue = adoptRef(new CSoundCue(id(name)));
				cue->addSound(adoptRef(new soundtest::CScriptedSound(name)).get());
				sounds->registerCue(cue.get());
			}
		timers = adoptRef(new CTimerManager);
		manager = adoptRef(new SceneManager);
		manager->setServices(device->getServices());
		manager->setTimerManager(timers.get());
		first = makeScene("First");
		second = makeScene("Second");
		manager->setActiveScene(first.get());
		update(10);
	}
	~SceneBase() override
	{
		for (const char* name : {"ButtonClick", "ButtonOver"})
			sounds->stop(id(name), -1);
		manager->setActiveScene(nullptr);
		manager->processMessageQueue();
		manager->setTimerManager(nullptr);
	}

	CRefHolder<GBaseSceneNode> makeScene(const char* name)
	{
		CRefHolder<GBaseSceneNode> scene = adoptRef(new GBaseSceneNode(ContentReference(), nullptr, nullptr));
		scene->setName(name);
		return scene;
	}

	// Every timer manager of the device's and the test's own, as the main loop's update does.
	void update(u32 ms)
	{
		device->postEvent(adoptRef(new CEventSystemFlowUpdate(ms)).get());
		timers->update(ms);
	}

	u32 playing(const char* name) const
	{
		u32 count = 0;
		for (u32 i = 0; i < sounds->getPlayingCount(); ++i)
			count += sounds->getPlaying(i)->getNameId() == id(name);
		return count;
	}

	CDeviceStub* device = nullptr;
	CSoundManager* sounds = nullptr;
	CRefHolder<CTimerManager> timers;
	CRefHolder<SceneManager> manager;
	CRefHolder<GBaseSceneNode> first;
	CRefHolder<GBaseSceneNode> second;
};

TEST_F(SceneBase, TimeCountsFromTheEntranceAndOnlyWithTheFocus)
{
	ASSERT_NE(nullptr, first->getManager()) << "the timer starts when the entrance completes";
	EXPECT_TRUE(first->isFocused());
	EXPECT_EQ(30u, first->getInterval());
	update(90);
	EXPECT_EQ(90, first->getElapsedTime());

	// A scene over it takes the focus and its timer stops; back again, the count starts at 0.
	ASSERT_TRUE(first->openScene(second.get(), false));
	update(10);
	EXPECT_EQ(nullptr, first->getManager());
	EXPECT_FALSE(first->isFocused());
	update(300);
	EXPECT_EQ(90, first->getElapsedTime());
	ASSERT_TRUE(second->goBack(0));
	update(10);
	update(10);
	EXPECT_EQ(0, first->getElapsedTime());
	first->setFocused(false);
	first->onTimer(30);
	EXPECT_EQ(0, first->getElapsedTime()) << "no focus, no time";
}

TEST_F(SceneBase, ButtonsSoundWhenPressedAndHoveredOtherControlsDoNot)
{
	test::CLogCapture log;
	CRefHolder<CTestButton> button = adoptRef(new CTestButton(ContentReference(), first.get(), nullptr));
	button->setName("Play");
	CRefHolder<ControlNode> plain = adoptRef(new ControlNode(ContentReference(), first.get(), nullptr));

	first->onEvent(adoptRef(new CEventNodePressedPreview(plain.get())).get());
	first->onEvent(adoptRef(new CEventNodeHovered(nullptr, plain.get())).get());
	EXPECT_EQ(0u, playing("ButtonClick"));
	EXPECT_EQ(0u, playing("ButtonOver"));

	EXPECT_FALSE(first->onEvent(adoptRef(new CEventNodePressedPreview(button.get())).get())) << "never consumed";
	EXPECT_EQ(1u, playing("ButtonClick"));
	first->onEvent(adoptRef(new CEventNodeHovered(nullptr, button.get())).get());
	EXPECT_EQ(1u, playing("ButtonOver"));
	EXPECT_TRUE(log.contains("Node was pressed (preview) | Play"));
	EXPECT_TRUE(log.contains("Node was hovered | Play"));

	first->onEvent(adoptRef(new CEventNodeUnhovered(button.get(), nullptr)).get());
	EXPECT_TRUE(log.contains("Node was unhovered | Play"));
}

TEST_F(SceneBase, EscapeOrEnterGoBackOnlyWhenTheSceneAsks)
{
	for (const u32 key : {27u, 13u})
	{
		SCOPED_TRACE(key);
		ASSERT_TRUE(first->openScene(second.get(), false));
		update(10);
		ASSERT_EQ(second.get(), manager->getActiveScene());
		const CRefHolder<CEvent> up = adoptRef(new CEventInputKeyUp(0, key, false, false));
		second->setCloseOnEscapeOrEnter(false);
		EXPECT_FALSE(manager->routeEvent(ROUTE_SELF_DOWN, up.get()));
		update(10);
		EXPECT_EQ(second.get(), manager->getActiveScene());

		second->setCloseOnEscapeOrEnter(true);
		EXPECT_TRUE(manager->routeEvent(ROUTE_SELF_DOWN, up.get()));
		update(10);
		update(10);
		EXPECT_EQ(first.get(), manager->getActiveScene());
	}
	// Another key does nothing, flag or not.
	second->setCloseOnEscapeOrEnter(true);
	ASSERT_TRUE(first->openScene(second.get(), false));
	update(10);
	EXPECT_FALSE(manager->routeEvent(ROUTE_SELF_DOWN, adoptRef(new CEventInputKeyUp(L'a', 65, false, false)).get()));
}

TEST_F(SceneBase, TheOverlayShowsThreeLinesAndReplacesItsTextOnEveryEntrance)
{
	EXPECT_EQ(core::stringw(L"fps: 60\nms:10\n150"), GDebugStatsScene::formatStats(60, 10, 300));
	EXPECT_EQ(core::stringw(L"fps: 0\nms:0\n0"), GDebugStatsScene::formatStats(0, 0, 1));

	CRefHolder<GDebugStatsScene> overlay = adoptRef(new GDebugStatsScene(ContentReference(), nullptr, nullptr));
	EXPECT_EQ(0u, overlay->getInterval()) << "every update";
	ASSERT_TRUE(first->openScene(overlay.get(), true));
	const CRefHolder<TextNode> text(overlay->getTextNode());
	ASSERT_NE(nullptr, text.get());
	EXPECT_EQ(text.get(), overlay->getChildren()[0]);
	update(10);
	update(10);
	EXPECT_EQ(0, text->getText().find(L"fps: ")) << core::stringc(text->getText()).c_str();

	ASSERT_TRUE(overlay->goBack(0));
	update(10);
	update(10);
	ASSERT_TRUE(first->openScene(overlay.get(), true));
	EXPECT_NE(text.get(), overlay->getTextNode());
	EXPECT_EQ(nullptr, text->getParent());
	EXPECT_EQ(1u, overlay->getChildren().size()) << "replaced, not added";
}

TEST(RectangleNode, WritesOnlyColoursThatAreSetAndCopiesThem)
{
	CRefHolder<GRectangleNode> rectangle = adoptRef(new GRectangleNode(ContentReference(), nullptr, nullptr));
	EXPECT_TRUE(rectangle->isOfType(1135));
	EXPECT_TRUE(rectangle->isOfType(0));
	EXPECT_FALSE(rectangle->isOfType(5));
	CRefHolder<CPropertyContainer> written = adoptRef(new CPropertyContainer(nullptr));
	rectangle->writeProperties(written.get());
	EXPECT_LT(written->indexOf("FillColor"), 0);
	EXPECT_LT(written->indexOf("BorderColor"), 0);

	rectangle->setFillColor(0xFF0000FF);
	written = adoptRef(new CPropertyContainer(nullptr));
	rectangle->writeProperties(written.get());
	EXPECT_GE(written->indexOf("FillColor"), 0);
	EXPECT_LT(written->indexOf("BorderColor"), 0);

	// A value of another type reads as 0.
	written->setInt("BorderColor", 7);
	CRefHolder<GRectangleNode> read = adoptRef(new GRectangleNode(ContentReference(), nullptr, nullptr));
	read->setBorderColor(0xFFFFFFFF);
	read->readProperties(written.get());
	EXPECT_EQ(video::SColor(0xFF0000FF), read->getFillColor());
	EXPECT_EQ(video::SColor(0), read->getBorderColor());

	CRefHolder<BaseNode> copy = adoptRef(rectangle->clone());
	ASSERT_NE(nullptr, nodeCast<GRectangleNode>(copy.get()));
	EXPECT_EQ(video::SColor(0xFF0000FF), nodeCast<GRectangleNode>(copy.get())->getFillColor());
}

TEST(RectangleNode, AFadedNodeAddsNoRenderEntry)
{
	CRefHolder<BaseNode> parent = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
	CRefHolder<GRectangleNode> rectangle = adoptRef(new GRectangleNode(ContentReference(), parent.get(), nullptr));
	rectangle->setFillColor(0xFF0000FF);
	RenderList list;
	parent->collectRenderables(list);
	EXPECT_EQ(1u, list.size());
	parent->setTintColor(0x00FFFFFF);
	list.clear();
	parent->collectRenderables(list);
	EXPECT_EQ(0u, list.size());
}

TEST(RectangleNode, TheOutlineClosesItsCornerOnlyNearFullScale)
{
	struct SCase
	{
		f32 scaleX;
		f32 rotation;
		f32 expected;
	};
	const SCase cases[] = {{1.f, 0.f, 0.f}, {0.5f, 0.f, 1.f}, {0.95f, 0.f, 0.f}, {0.9f, 0.f, 1.f}, {1.f, 30.f, 0.f},
		{0.5f, 30.f, 1.f}, {-1.f, 0.f, 1.f}};
	for (const SCase& c : cases)
	{
		core::matrix4 m;
		m.setRotationDegrees(core::vector3df(0.f, 0.f, c.rotation));
		core::matrix4 s;
		s.setScale(core::vector3df(c.scaleX, 1.f, 1.f));
		EXPECT_EQ(c.expected, GRectangleNode::outlineStart(m * s)) << c.scaleX << " " << c.rotation;
	}
}
} // namespace
