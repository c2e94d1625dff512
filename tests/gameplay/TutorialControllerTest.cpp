// The tutorial controller over a plain owner: its window and arrows, the order of hints, the skip
// flags, the message-box confirmation, the skip button, and what it lets through to the scene.

#include "TutorialTestSupport.h"

#include "core/CEventControl.h"
#include "core/CEventInput.h"
#include "widgets/ButtonNode.h"
#include "widgets/TextNode.h"

#include <gtest/gtest.h>

namespace
{
using namespace tutorialtest;

const char* const CLICK = R"(<Actions><Action Type="MouseClick"/></Actions>)";

class TutorialController : public ::testing::Test
{
protected:
	// A press of a node with the name, offered to the controller; true when it kept it.
	bool press(const char* name)
	{
		const fw::CRefHolder<fw::BaseNode> node =
			fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr));
		node->setName(name);
		const fw::CRefHolder<fw::CEventNodePressed> event = fw::adoptRef(new fw::CEventNodePressed(node.get()));
		return rig.controller->onEvent(event.get());
	}
	fw::BaseNode* window() const { return rig.controller->getWindow(); }
	fw::TextNode* text() const { return fw::nodeCast<fw::TextNode>(window()->findChildByNameId(id("Text"), 0)); }
	fw::BaseNode* textBackground() const { return text()->findChildByNameId(id("Bg"), 0); }
	fw::ButtonNode* skipButton() const
	{
		return fw::nodeCast<fw::ButtonNode>(window()->findChildByNameId(id("SkipTutorialButton"), 0));
	}

	CTutorialRig rig;
};

TEST_F(TutorialController, BuiltUnderTheOwnerWithItsWindowHidden)
{
	GTutorialController* controller = rig.load(tutorial("<Hint/>"));
	EXPECT_TRUE(rig.loaded);
	ASSERT_NE(nullptr, window());
	EXPECT_EQ(rig.owner.get(), window()->getParent());
	EXPECT_FALSE(window()->isVisible());
	EXPECT_EQ(rig.manager.get(), window()->getSceneManager());
	ASSERT_NE(nullptr, controller->getArrowNode());
	EXPECT_EQ(rig.owner.get(), controller->getArrowNode()->getParent());
	EXPECT_EQ(2000.f, controller->getArrowNode()->getPosition().Z);
	EXPECT_EQ(44u, controller->getEventMask());
	rig.unlistenLevel();
}

TEST_F(TutorialController, WithoutTemplatesThereIsNoTutorial)
{
	const fw::CRefHolder<fw::BaseNode> empty =
		leveltest::loadScene(rig.factory.get(), "<SceneNode Type=\"TemplateCollectionNode\"/>", "Empty.oscn");
	for (fw::BaseNode* templates : {static_cast<fw::BaseNode*>(nullptr), empty.get(), rig.owner.get()})
	{
		const fw::CRefHolder<GTutorialController> controller =
			fw::adoptRef(new GTutorialController(rig.owner.get(), templates));
		const fw::CRefHolder<fw::IXMLReader> reader = readerOver(tutorial("<Hint><Text Value=\"a\"/></Hint>"));
		EXPECT_FALSE(controller->load(reader.get(), nullptr));
		controller->start();
		EXPECT_EQ(nullptr, controller->getWindow());
		EXPECT_FALSE(controller->update(0));
		EXPECT_EQ(nullptr, controller->getArrowNode()) << "the arrow node is removed at the first update";
		controller->stop();
	}
	EXPECT_TRUE(rig.owner->getChildren().empty());
}

TEST_F(TutorialController, ShowsTheWindowWithTheHintsText)
{
	GTutorialController* controller = rig.load(tutorial(
		std::string(R"(<Hint><Position Value="100;200;0"/><TextPosition Value="5;6;0"/><Text Value="first"/>)") +
		CLICK + R"(</Hint><Hint Tip="true"><TextBgType Value="1"/><Text Value="second"/>)" + CLICK + "</Hint><Hint>" +
		CLICK + "</Hint><Hint Linnet=\"true\">" + CLICK + "</Hint>"));
	controller->start();
	EXPECT_TRUE(window()->isVisible());
	EXPECT_EQ(fw::core::vector3df(100.f, 200.f, 1999.f), window()->getPosition());
	EXPECT_EQ(id("NavTo"), window()->getCurrentStateId());
	EXPECT_EQ(fw::core::vector3df(5.f, 6.f, 1.f), text()->getPosition());
	EXPECT_EQ(fw::core::stringw(L"first"), text()->getText());
	EXPECT_EQ(id("Type1"), textBackground()->getCurrentStateId());
	EXPECT_EQ(fw::core::vector3df(40.f, 91.f, 3.f), skipButton()->getPosition());
	EXPECT_EQ(fw::core::stringw(L"%GamePlay_SkipTutorialBtn%"), skipButton()->getText());
	EXPECT_FALSE(controller->isCurrentTip());
	EXPECT_EQ((std::vector<std::string>{"TutorialWindow"}), CTutorialRig::plays());

	// The next hint with text: the window stays; no cue.
	press("Anything");
	controller->update(0);
	EXPECT_EQ(fw::core::stringw(L"second"), text()->getText());
	EXPECT_EQ(id("Type2"), textBackground()->getCurrentStateId());
	EXPECT_EQ(fw::core::stringw(L"%GamePlay_SkipTipsBtn%"), skipButton()->getText());
	EXPECT_TRUE(controller->isCurrentTip());
	EXPECT_EQ((std::vector<std::string>{"ButtonMissed"}), CTutorialRig::plays());

	// No text and no Linnet: no window.
	press("Anything");
	controller->update(0);
	EXPECT_FALSE(window()->isVisible());
	CTutorialRig::plays();

	// Linnet without text: the window again, with cue, but neither text nor skip button.
	press("Anything");
	controller->update(0);
	EXPECT_TRUE(window()->isVisible());
	EXPECT_FALSE(text()->isVisible());
	EXPECT_FALSE(skipButton()->isVisible());
	EXPECT_EQ((std::vector<std::string>{"ButtonMissed", "TutorialWindow"}), CTutorialRig::plays());

	press("Anything");
	EXPECT_TRUE(controller->update(0)) << "the last hint ended";
	EXPECT_FALSE(controller->update(0));
	EXPECT_EQ(nullptr, controller->getWindow());
	EXPECT_EQ(nullptr, controller->getArrowNode());
	EXPECT_TRUE(rig.owner->getChildren().empty());
	EXPECT_FALSE(controller->update(0));
	rig.unlistenLevel();
}

TEST_F(TutorialController, ArrowsAreCopiesOfTheTemplate)
{
	GTutorialController* controller = rig.load(tutorial(
		std::string(R"(<Hint><Arrows><Arrow Position="10;20;0"/><Arrow Position="30;40;0" Rotation="90"/></Arrows>)") +
		CLICK + "</Hint><Hint>" + CLICK + "</Hint>"));
	controller->start();
	const fw::core::array<fw::BaseNode*>& arrows = controller->getArrowNode()->getChildren();
	ASSERT_EQ(2u, arrows.size());
	EXPECT_EQ(id("TutorialArrow"), arrows[0]->getNameId());
	EXPECT_EQ(fw::core::vector3df(10.f, 20.f, 0.f), arrows[0]->getPosition());
	EXPECT_EQ(fw::core::vector3df(0.f, 0.f, 0.f), arrows[0]->getRotation());
	EXPECT_EQ(fw::core::vector3df(0.f, 0.f, 90.f), arrows[1]->getRotation());
	press("Anything");
	controller->update(0);
	EXPECT_TRUE(controller->getArrowNode()->getChildren().empty());
	rig.unlistenLevel();
}

TEST_F(TutorialController, SkipFlagsPassHintsOver)
{
	// Only tips, with tips switched off: nothing at all.
	GTutorialController* controller =
		rig.load(tutorial(std::string("<Hint Tip=\"true\"><Text Value=\"t\"/>") + CLICK + "</Hint>"));
	controller->skipTips();
	controller->start();
	EXPECT_FALSE(window()->isVisible());
	EXPECT_FALSE(controller->update(0));
	rig.unlistenLevel();

	// Switching the tutorial off during a tutorial hint ends it, with its actions' end, and shows the tip.
	controller = rig.load(tutorial(
		R"(<Hint><Text Value="a"/><Actions><Action Type="GeneratePauseRequest"/></Actions></Hint>)"
		R"(<Hint><Text Value="b"/></Hint><Hint Tip="true"><Text Value="c"/></Hint><Hint><Text Value="d"/></Hint>)"));
	controller->start();
	EXPECT_EQ((std::vector<std::string>{"pause"}), rig.level->take());
	EXPECT_TRUE(controller->update(100));
	EXPECT_EQ(0, controller->getCurrentHint());
	controller->skipTutorialHints();
	EXPECT_TRUE(controller->update(0));
	EXPECT_EQ(2, controller->getCurrentHint());
	EXPECT_EQ(fw::core::stringw(L"c"), text()->getText());
	EXPECT_EQ((std::vector<std::string>{"resume"}), rig.level->take());
	controller->skipTips();
	EXPECT_TRUE(controller->update(0));
	EXPECT_EQ(4, controller->getCurrentHint());
	EXPECT_FALSE(controller->update(0));
	rig.unlistenLevel();
}

TEST_F(TutorialController, MessageBoxHintsWaitForTheirOwnButtonPress)
{
	GTutorialController* controller = rig.load(tutorial(
		R"(<Hint MessageBox="true"><Text Value="a"/><Actions><Action Type="GeneratePauseRequest"/></Actions></Hint>)"
		R"(<Hint MessageBox="true"><Text Value="b"/></Hint><Hint><Text Value="c"/></Hint>)"));
	controller->start();
	EXPECT_EQ((std::vector<std::string>{"pause"}), rig.level->take());
	EXPECT_FALSE(press("Button")) << "the press goes on to the window's button";
	EXPECT_EQ((std::vector<std::string>{"resume"}), rig.level->take());
	controller->update(0);
	EXPECT_EQ(1, controller->getCurrentHint());
	EXPECT_EQ((std::vector<std::string>{"resume"}), rig.level->take()) << "the pause action's end";
	controller->update(0);
	EXPECT_EQ(1, controller->getCurrentHint()) << "the first press confirmed only the first hint";
	press("Button");
	controller->update(0);
	EXPECT_EQ(2, controller->getCurrentHint());
	rig.unlistenLevel();
}

TEST_F(TutorialController, StopEndsWithoutTheActionsEnd)
{
	GTutorialController* controller =
		rig.load(tutorial(R"(<Hint><Text Value="a"/><Actions><Action Type="GeneratePauseRequest"/></Actions></Hint>)"));
	controller->start();
	EXPECT_EQ((std::vector<std::string>{"pause"}), rig.level->take());
	rig.unlistenLevel();
	controller->stop();
	EXPECT_TRUE(rig.level->take().empty());
	EXPECT_EQ(nullptr, controller->getWindow());
	EXPECT_FALSE(controller->update(0));
	controller->start();
	EXPECT_EQ(nullptr, controller->getWindow()) << "a stopped tutorial shows nothing again";
}

TEST_F(TutorialController, SkipButtonPressIsNeverTheActions)
{
	GTutorialController* controller = rig.load(
		tutorial(std::string("<Hint><Text Value=\"a\"/>") + CLICK + "</Hint><Hint>" + CLICK + "</Hint><Hint/>"));
	controller->start();
	EXPECT_FALSE(press("SkipTutorialButton")) << "visible: the scene handles the skip";
	controller->update(0);
	EXPECT_EQ(0, controller->getCurrentHint());
	press("Anything");
	controller->update(0);
	EXPECT_FALSE(window()->isVisible());
	EXPECT_TRUE(press("SkipTutorialButton")) << "hidden: kept from the scene";
	controller->update(0);
	EXPECT_EQ(1, controller->getCurrentHint());
	EXPECT_EQ(1, CTutorialRig::count(CTutorialRig::plays(), "ButtonMissed"));
	rig.unlistenLevel();
}

TEST_F(TutorialController, SkipHighlightFollowsTheMouse)
{
	GTutorialController* controller = rig.load(tutorial(std::string("<Hint><Text Value=\"a\"/>") + CLICK + "</Hint>"));
	controller->start();
	fw::BaseNode* bg = skipButton()->findChildByNameId(id("bg"), 0);
	ASSERT_NE(nullptr, bg);
	// The hit test reads the absolute transformations, which a frame brings up to date.
	for (fw::BaseNode* node : {static_cast<fw::BaseNode*>(rig.scene.get()), rig.owner.get(), window(),
			 static_cast<fw::BaseNode*>(skipButton()), skipButton()->findChildByNameId(id("Face"), 0)})
		node->updateAbsoluteTransformation();
	const fw::core::vector3df at = skipButton()->getAbsoluteTransformation().getTranslation();
	for (const auto& c : {std::make_pair(at + fw::core::vector3df(5.f, 5.f, 0.f), true),
			 std::make_pair(at - fw::core::vector3df(5.f, 5.f, 0.f), false)})
	{
		const fw::CRefHolder<fw::CEventInputMouseMove> move = fw::adoptRef(
			new fw::CEventInputMouseMove(static_cast<fw::s32>(c.first.X), static_cast<fw::s32>(c.first.Y)));
		EXPECT_FALSE(controller->onEvent(move.get()));
		EXPECT_EQ(c.second, bg->isVisible());
	}
	rig.unlistenLevel();
}

// The controller listens for node events and keys and the mouse, yet the level's messages reach it
// as a pre-listener.
TEST_F(TutorialController, PreListenerSeesGameMessagesWhateverItsMask)
{
	GTutorialController* controller =
		rig.load(tutorial(R"(<Hint><Actions><Action Type="WaitDirty"/></Actions></Hint><Hint/>)"));
	controller->start();
	const fw::core::array<fw::s32> none;
	EXPECT_TRUE(offerGameMessage(rig.level.get(), new GDirtyBuildingRequestMessage(none, none)));
	EXPECT_EQ((std::vector<std::string>{"4113"}), rig.level->take()) << "passed on to the level";
	controller->update(0);
	EXPECT_EQ(1, controller->getCurrentHint());
	rig.unlistenLevel();
}

// A press held back plays the miss sound once, however many receivers offer it to the controller.
TEST_F(TutorialController, HeldBackPressPlaysTheMissOnce)
{
	GTutorialController* controller = rig.load(tutorial(
		R"(<Hint><Actions><Action Type="ControlPress" Controls="Ok"/><Action Type="MouseClick"/></Actions></Hint>)"));
	controller->start();
	const fw::CRefHolder<fw::BaseNode> node = fw::adoptRef(new fw::BaseNode(fw::ContentReference(), nullptr, nullptr));
	node->setName("Other");
	const fw::CRefHolder<fw::CEventNodePressed> event = fw::adoptRef(new fw::CEventNodePressed(node.get()));
	EXPECT_TRUE(controller->onEvent(event.get()));
	EXPECT_TRUE(controller->onEvent(event.get()));
	EXPECT_EQ((std::vector<std::string>{"ButtonMissed"}), CTutorialRig::plays());
	EXPECT_TRUE(press("Other"));
	EXPECT_EQ((std::vector<std::string>{"ButtonMissed"}), CTutorialRig::plays()) << "a new press plays again";
	rig.unlistenLevel();
}

// A request that the level answers by updating the tutorial again (a scene's update running inside
// the dispatch) changes the hint once.
TEST_F(TutorialController, RequestComingBackDoesNotChangeTheHintTwice)
{
	GTutorialController* controller = rig.load(tutorial(
		R"(<Hint><Actions><Action Type="GenerateDirtyBuildingRequest"/></Actions></Hint>)"
		R"(<Hint><Actions><Action Type="GenerateSellBuildingRequest"/></Actions></Hint><Hint><Text Value="x"/></Hint>)"));
	controller->start();
	int nested = 0;
	rig.level->onRequest = [&]()
	{
		++nested;
		controller->update(0);
	};
	EXPECT_TRUE(controller->update(0));
	EXPECT_EQ(1, controller->getCurrentHint());
	EXPECT_EQ(1, nested);
	rig.level->onRequest = nullptr;
	rig.unlistenLevel();
}

TEST_F(TutorialController, StartRegistersWithTheDeviceAndStopLeavesIt)
{
	GTutorialController* controller = rig.load(tutorial("<Hint><Text Value=\"a\"/></Hint>"));
	controller->start();
	EXPECT_NE(-1, rig.device->getEventReceivers().linear_search(controller));
	controller->stop();
	EXPECT_EQ(-1, rig.device->getEventReceivers().linear_search(controller));
	rig.unlistenLevel();
}
} // namespace
