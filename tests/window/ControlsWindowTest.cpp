// A menu built from the game's template collection in a real window, clicked through with input
// played through the X server: a button opens a message box over the menu and the box's second
// button closes it, a tab button shows another page, and a check box shows and hides its mark;
// every step is checked on the frame read back from the back buffer.

#include "StagedContentSupport.h"

#include <X11/extensions/XTest.h>

#include "content/AtlasTextureCollection.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "core/CNameTable.h"
#include "core/CNodeFactory.h"
#include "core/NodeCasts.h"
#include "platform/CFileSystem.h"
#include "platform/CTimerManager.h"
#include "widgets/ButtonNode.h"
#include "widgets/CEventScene.h"
#include "widgets/CheckBoxNode.h"
#include "widgets/MessageBoxNode.h"
#include "widgets/SceneManager.h"
#include "widgets/TabSceneNode.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/WidgetServices.h"

#include <string>
#include <vector>

using namespace fw;
using namespace fw::wintest;

namespace
{
const video::SColor BACKGROUND(255, 30, 40, 50);
const s32 WIDTH = 1024;
const s32 HEIGHT = 768;

// Opens the message box when "Play" has been pressed, and keeps the box's result.
class CMenuReactions : public CEventReceiver
{
public:
	explicit CMenuReactions(SceneNode* menu) : m_menu(menu) {}
	bool onEvent(CEvent* event) override
	{
		if (event->getTypeId() == CEventNodePressed::TypeId &&
			static_cast<CEventNodePressed*>(event)->getNode()->getName() == "Play")
		{
			core::array<core::stringw> buttons;
			buttons.push_back(L"Stay");
			buttons.push_back(L"Leave");
			box = nodeCast<MessageBoxNode>(
				m_menu->openTemplateScene(CNameTableSingleton::Instance().intern("MessageBox2Buttons"), buttons,
					L"Leave the town?", L"The mayor would miss you."));
		}
		if (event->getTypeId() == CEventMessageBoxResult::TypeId)
			result = static_cast<CEventMessageBoxResult*>(event)->getResult();
		return false;
	}

	MessageBoxNode* box = nullptr;
	s32 result = -1;

private:
	SceneNode* m_menu;
};

class ControlsWindowTest : public WindowTest, protected CStagedContent
{
protected:
	void SetUp() override
	{
		registerWidgetServices();
		WindowTest::SetUp();
		if (HasFatalFailure())
			return;
		ASSERT_TRUE(openStagedContent(driver(), {(std::string(QB_FIXTURES_DIR) + "/widgets").c_str()}));
		atlas = adoptRef(manager->getContent(CONTENT_TYPE_ATLAS_COLLECTION, "atlases/MainMenu.xml", false));
		ASSERT_TRUE(atlas);
		templates.assign(nodeCast<TemplateCollectionNode>(scene("scenes/TemplateCollection.oscn").get()));
		ASSERT_TRUE(templates);
		menu.assign(nodeCast<TabSceneNode>(scene("ControlsMenu.oscn").get()));
		ASSERT_TRUE(menu);

		openDeviceScenes(device.get(), templates.get(), scenes, timers);
		reactions = adoptRef(new CMenuReactions(menu.get()));
		menu->addPreListener(reactions.get());
		ASSERT_TRUE(scenes->setActiveScene(menu.get()));
		ASSERT_TRUE(pumpUntil([this] { return !scenes->isSwitching(menu.get()); }));
	}

	void TearDown() override
	{
		if (menu && reactions)
			menu->removePreListener(reactions.get());
		closeDeviceScenes(device.get(), scenes, timers);
		reactions.release();
		menu.release();
		templates.release();
		atlas.release();
		closeStagedContent();
		WindowTest::TearDown();
	}

	video::IVideoDriver* driver() const { return device->getVideoDriver(); }

	CRefHolder<BaseNode> scene(const char* name) { return request<BaseNode>(CONTENT_TYPE_SCENE_NODE, name); }
	template <class T>
	T* find(const char* name) const
	{
		return nodeCast<T>(menu->findChildByNameId(CNameTableSingleton::Instance().intern(name), -1));
	}

	// A click of the left button at a point of the window, played as the user would.
	void clickAt(s32 x, s32 y)
	{
		const core::position2d<s32> corner = origin();
		XTestFakeMotionEvent(input, -1, corner.X + x, corner.Y + y, CurrentTime);
		XTestFakeButtonEvent(input, 1, True, CurrentTime);
		XTestFakeButtonEvent(input, 1, False, CurrentTime);
		XFlush(input);
	}
	void moveTo(s32 x, s32 y)
	{
		const core::position2d<s32> corner = origin();
		XTestFakeMotionEvent(input, -1, corner.X + x, corner.Y + y, CurrentTime);
		XFlush(input);
	}

	// One frame drawn by the scene manager, read back before it is shown.
	std::vector<video::SColor> frame(const std::string& name)
	{
		return drawScenes(driver(), scenes.get(), BACKGROUND, WIDTH, HEIGHT, "controls_" + name);
	}
	static video::SColor at(const std::vector<video::SColor>& pixels, s32 x, s32 y)
	{
		return pixels[static_cast<size_t>(y) * WIDTH + x];
	}
	// Pixels of a rectangle whose colour passes the test.
	template <class Test>
	static u32 count(const std::vector<video::SColor>& pixels, s32 x0, s32 y0, s32 x1, s32 y1, Test test)
	{
		u32 n = 0;
		for (s32 y = y0; y < y1; ++y)
			for (s32 x = x0; x < x1; ++x)
				if (test(at(pixels, x, y)))
					++n;
		return n;
	}
	// The teal of the buttons and the tick, and the green of the progress bar's fill.
	static bool isTeal(video::SColor c) { return c.getGreen() > c.getRed() + 40 && c.getBlue() > c.getRed() + 30; }
	static bool isGreen(video::SColor c) { return c.getGreen() > c.getRed() + 40 && c.getGreen() > c.getBlue() + 60; }
	static bool isBackground(video::SColor c) { return near(BACKGROUND, c); }
	// The cream of the message box's panel.
	static bool isCream(video::SColor c) { return c.getRed() > 230 && c.getGreen() > 220 && c.getBlue() > 190; }

	CRefHolder<CContent> atlas;
	CRefHolder<TemplateCollectionNode> templates;
	CRefHolder<TabSceneNode> menu;
	CRefHolder<SceneManager> scenes;
	CRefHolder<CTimerManager> timers;
	CRefHolder<CMenuReactions> reactions;
};

TEST_F(ControlsWindowTest, AMenuOfTheGamesControlsIsClickedThrough)
{
	ButtonNode* play = find<ButtonNode>("Play");
	CheckBoxNode* sound = find<CheckBoxNode>("Sound");
	ASSERT_TRUE(play && sound);
	// The box's panel would lie over this point, which the menu leaves empty.
	const s32 boxX = (WIDTH - 440) / 2 + 220;
	const s32 boxY = (HEIGHT - 250) / 2 + 168;

	std::vector<video::SColor> pixels = frame("menu");
	EXPECT_GT(count(pixels, 100, 160, 260, 212, isTeal), 4000u) << "the Play button";
	EXPECT_TRUE(isBackground(at(pixels, boxX, boxY)));
	EXPECT_EQ(0u, count(pixels, 100, 260, 132, 292, isTeal)) << "no tick";
	EXPECT_EQ(0u, count(pixels, 100, 400, 300, 424, isGreen)) << "the progress page is hidden";

	// Play opens the message box over the menu.
	clickAt(180, 186);
	ASSERT_TRUE(pumpUntil([this] { return reactions->box && !scenes->isSwitching(reactions->box); }));
	MessageBoxNode* box = reactions->box;
	EXPECT_EQ(box, scenes->getActiveScene());
	pixels = frame("message_box");
	EXPECT_TRUE(isCream(at(pixels, boxX, boxY))) << "the box's panel";
	EXPECT_GT(count(pixels, 100, 160, 260, 212, isTeal), 4000u) << "the menu stays visible under the box";
	ASSERT_EQ(2u, box->getButtonCount());
	u32 boxTeal = 0;
	{
		const core::vector3df leave = box->getButton(1)->getAbsoluteTransformation().getTranslation();
		boxTeal = count(pixels, static_cast<s32>(leave.X), static_cast<s32>(leave.Y), static_cast<s32>(leave.X) + 160,
			static_cast<s32>(leave.Y) + 48, isTeal);
		EXPECT_GT(boxTeal, 4000u) << "the box's second button";
		// Its second button closes it.
		clickAt(static_cast<s32>(leave.X) + 80, static_cast<s32>(leave.Y) + 24);
	}
	ASSERT_TRUE(pumpUntil([this, box] { return reactions->result != -1 && box->getParent() == nullptr; }));
	EXPECT_EQ(1, reactions->result);
	EXPECT_EQ(menu.get(), scenes->getActiveScene());
	pixels = frame("closed");
	EXPECT_TRUE(isBackground(at(pixels, boxX, boxY))) << "the box is gone";
	reactions->box = nullptr;

	// The check box shows its mark, and hides it again.
	clickAt(116, 276);
	ASSERT_TRUE(pumpUntil([sound] { return sound->isChecked() && !sound->isPressInProgress(); }));
	pixels = frame("checked");
	EXPECT_GT(count(pixels, 100, 260, 132, 292, isTeal), 40u) << "the tick";
	clickAt(116, 276);
	ASSERT_TRUE(pumpUntil([sound] { return !sound->isChecked() && !sound->isPressInProgress(); }));
	moveTo(600, 700);
	ASSERT_TRUE(pumpUntil([sound] { return !sound->isHovered(); }));
	pixels = frame("unchecked");
	EXPECT_EQ(0u, count(pixels, 100, 260, 132, 292, isTeal)) << "no tick";

	// The second tab button shows the progress page in place of the first.
	clickAt(360, 66);
	ASSERT_TRUE(pumpUntil([this] { return menu->getActiveTabIndex() == 1 && menu->getPendingPages() == 0; }));
	pixels = frame("second_page");
	EXPECT_GT(count(pixels, 100, 404, 300, 420, isGreen), 1500u) << "three quarters of the bar filled";
	EXPECT_EQ(0u, count(pixels, 260, 404, 300, 420, isGreen)) << "the last quarter is empty";
	EXPECT_EQ(0u, count(pixels, 100, 160, 260, 212, isTeal)) << "the first page is hidden";
}
} // namespace
