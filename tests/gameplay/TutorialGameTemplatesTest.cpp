// The tutorial over the game's own template collection: the window and the arrow the assets
// provide carry every node the controller binds, and the skip button's highlight follows the
// mouse over the button's drawn face.

#include "widgets/StagedTemplatesSupport.h"

#include "gameplay/GTutorialController.h"
#include "level/LevelTestSupport.h"
#include "widgets/ButtonNode.h"
#include "widgets/TextNode.h"

#include <gtest/gtest.h>

namespace
{
using leveltest::id;

class TutorialGameTemplates : public fw::widgettest::StagedTemplates
{
protected:
	TutorialGameTemplates()
	{
		scene = fw::adoptRef(new fw::SceneNode(fw::ContentReference(), nullptr, scenes.get()));
		scenes->setActiveScene(scene.get());
		scenes->processMessageQueue();
		owner = fw::adoptRef(new fw::BaseNode(fw::ContentReference(), scene.get(), scenes.get()));
	}

	fw::CRefHolder<fw::SceneNode> scene;
	fw::CRefHolder<fw::BaseNode> owner;
};

TEST_F(TutorialGameTemplates, WindowAndArrowCarryWhatTheControllerBinds)
{
	const fw::CRefHolder<GTutorialController> controller =
		fw::adoptRef(new GTutorialController(owner.get(), templates.get()));
	const fw::CRefHolder<fw::IXMLReader> reader = leveltest::readerOver(
		R"(<Tutorial><Hint Tip="true"><Position Value="300;200;0"/><TextBgType Value="1"/><Text Value="Hello"/>)"
		R"(<Actions><Action Type="MouseClick"/></Actions><Arrows><Arrow Position="50;60;0" Rotation="45"/></Arrows>)"
		R"(</Hint></Tutorial>)");
	ASSERT_TRUE(controller->load(reader.get(), nullptr));
	controller->start();

	fw::BaseNode* window = controller->getWindow();
	ASSERT_NE(nullptr, window);
	EXPECT_TRUE(window->isVisible());
	fw::TextNode* text = fw::nodeCast<fw::TextNode>(window->findChildByNameId(id("Text"), 0));
	ASSERT_NE(nullptr, text);
	EXPECT_EQ(fw::core::stringw(L"Hello"), text->getText());
	EXPECT_TRUE(text->findChildByNameId(id("BubbleBg"), 0)->isVisible()) << "Type2: the tips' bubble";
	EXPECT_FALSE(text->findChildByNameId(id("PaperBg"), 0)->isVisible());
	fw::ButtonNode* skip = fw::nodeCast<fw::ButtonNode>(window->findChildByNameId(id("SkipTutorialButton"), 0));
	ASSERT_NE(nullptr, skip);
	EXPECT_EQ(fw::core::stringw(L"%GamePlay_SkipTipsBtn%"), skip->getText());
	EXPECT_NE(nullptr, fw::nodeCast<fw::ButtonNode>(window->findChildByNameId(id("Button"), 0)));
	fw::BaseNode* bg = skip->findChildByNameId(id("bg"), 0);
	ASSERT_NE(nullptr, bg);

	const fw::core::array<fw::BaseNode*>& arrows = controller->getArrowNode()->getChildren();
	ASSERT_EQ(1u, arrows.size());
	EXPECT_EQ(fw::core::vector3df(0.f, 0.f, 45.f), arrows[0]->getRotation());

	// A frame brings the transformations the hit test reads up to date.
	tick(0);
	const fw::core::position2d<fw::s32> centre = centreOf(skip);
	const fw::CRefHolder<fw::CEventInputMouseMove> over =
		fw::adoptRef(new fw::CEventInputMouseMove(centre.X, centre.Y));
	EXPECT_FALSE(controller->onEvent(over.get()));
	EXPECT_TRUE(bg->isVisible());
	const fw::CRefHolder<fw::CEventInputMouseMove> away = fw::adoptRef(new fw::CEventInputMouseMove(1, 1));
	controller->onEvent(away.get());
	EXPECT_FALSE(bg->isVisible());
	controller->stop();
}
} // namespace
