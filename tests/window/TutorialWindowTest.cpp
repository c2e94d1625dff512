// A tutorial file with every action type over a small scene in a real window, clicked through with
// input played through the X server: the window and arrow are drawn from the game's templates and
// checked on the frames read back from the back buffer; held-back presses never reach the scene.

#include "StagedContentSupport.h"

#include <X11/extensions/XTest.h>

#include "content/AtlasTextureCollection.h"
#include "core/CEventControl.h"
#include "core/CNameTable.h"
#include "core/IXMLReader.h"
#include "core/NodeCasts.h"
#include "core/SceneNode.h"
#include "gameplay/GTutorialController.h"
#include "level/data/GGameMessages.h"
#include "platform/CFileSystem.h"
#include "platform/CTimerManager.h"
#include "widgets/ButtonNode.h"
#include "widgets/SceneManager.h"
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

// The presses that reach the scene, by node name.
class CScenePresses : public CEventReceiver
{
public:
	bool onEvent(CEvent* event) override
	{
		if (event->getTypeId() == CEventNodePressed::TypeId)
			names.push_back(static_cast<CEventNodePressed*>(event)->getNode()->getName().c_str());
		return false;
	}
	std::vector<std::string> names;
};

// Records the tutorial's requests; owns a building of every type once told so.
class CLevelStandIn : public CEventReceiver
{
public:
	bool onEvent(CEvent* event) override
	{
		for (u32 i = 0; i < getPreListeners().size(); ++i)
			if (getPreListeners()[i]->onEvent(event))
				return true;
		if (event->getTypeId() == GAME_MESSAGE_BUILDING_TYPES_QUERY)
			static_cast<GBuildingTypesQueryMessage*>(event)->found = owns;
		else
			requests.push_back(event->getTypeId());
		return true;
	}
	std::vector<s32> requests;
	bool owns = false;
};

class TutorialWindowTest : public WindowTest, protected CStagedContent
{
protected:
	void SetUp() override
	{
		registerWidgetServices();
		WindowTest::SetUp();
		if (HasFatalFailure())
			return;
		ASSERT_TRUE(openStagedContent(driver(), {(std::string(QB_FIXTURES_DIR) + "/gameplay").c_str()}));
		atlas = adoptRef(manager->getContent(CONTENT_TYPE_ATLAS_COLLECTION, "atlases/MainMenu.xml", false));
		ASSERT_TRUE(atlas);
		templates.assign(nodeCast<TemplateCollectionNode>(
			request<BaseNode>(CONTENT_TYPE_SCENE_NODE, "scenes/TemplateCollection.oscn").get()));
		ASSERT_TRUE(templates);
		scene.assign(nodeCast<SceneNode>(request<BaseNode>(CONTENT_TYPE_SCENE_NODE, "TutorialScene.oscn").get()));
		ASSERT_TRUE(scene);
		openDeviceScenes(device.get(), templates.get(), scenes, timers);
		ASSERT_TRUE(scenes->setActiveScene(scene.get()));
		ASSERT_TRUE(pumpUntil([this] { return !scenes->isSwitching(scene.get()); }));

		BaseNode* owner = scene->findChildByNameId(nameId("TutorialOwner"), 0);
		ASSERT_NE(nullptr, owner);
		controller = adoptRef(new GTutorialController(owner, templates.get()));
		const CRefHolder<IXMLReader> reader = adoptRef(fileSystem->createXMLReader("Tutorial.xml"));
		ASSERT_TRUE(reader);
		ASSERT_TRUE(controller->load(reader.get(), level.get()));
		// The controller first, then what the scene itself would do.
		scene->addPreListener(controller.get());
		scene->addPreListener(presses.get());
		level->addPreListener(controller.get());
	}

	void TearDown() override
	{
		if (controller)
		{
			scene->removePreListener(controller.get());
			scene->removePreListener(presses.get());
			level->removePreListener(controller.get());
			controller->stop();
		}
		controller.release();
		closeDeviceScenes(device.get(), scenes, timers);
		scene.release();
		templates.release();
		atlas.release();
		closeStagedContent();
		WindowTest::TearDown();
	}

	video::IVideoDriver* driver() const { return device->getVideoDriver(); }
	static s32 nameId(const char* name) { return CNameTableSingleton::Instance().intern(name); }

	void clickAt(s32 x, s32 y)
	{
		const core::position2d<s32> corner = origin();
		XTestFakeMotionEvent(input, -1, corner.X + x, corner.Y + y, CurrentTime);
		XTestFakeButtonEvent(input, 1, True, CurrentTime);
		XTestFakeButtonEvent(input, 1, False, CurrentTime);
		XFlush(input);
	}
	// Clicks the middle of the named button of the scene.
	void clickButton(BaseNode* button)
	{
		const core::vector3df at = button->getAbsoluteTransformation().getTranslation();
		clickAt(static_cast<s32>(at.X + button->getBounds().X / 2), static_cast<s32>(at.Y + button->getBounds().Y / 2));
	}
	BaseNode* sceneButton(const char* name) const { return scene->findChildByNameId(nameId(name), 0); }

	// Pumps, updating the tutorial once per pass, until the hint has moved to index.
	bool untilHint(s32 index)
	{
		return pumpUntil(
			[this, index]
			{
				controller->update(0);
				return controller->getCurrentHint() == index;
			});
	}
	// Pumps until a press has reached the scene or been kept from it; a kept press leaves no trace,
	// so the press of a probe that always reaches the scene follows it.
	bool untilSceneSaw(size_t count)
	{
		return pumpUntil([this, count] { return presses->names.size() >= count; });
	}

	std::vector<video::SColor> frame(const std::string& name)
	{
		return drawScenes(driver(), scenes.get(), BACKGROUND, WIDTH, HEIGHT, "tutorial_" + name);
	}
	static video::SColor at(const std::vector<video::SColor>& pixels, s32 x, s32 y)
	{
		return pixels[static_cast<size_t>(y) * WIDTH + x];
	}
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
	// The walnut of the tutorial's board and the deep blue of the tips' card.
	static bool isBoard(video::SColor c)
	{
		return c.getRed() > 90 && c.getRed() < 125 && c.getGreen() > 55 && c.getGreen() < 85 && c.getBlue() > 20 &&
			c.getBlue() < 50;
	}
	static bool isBubble(video::SColor c) { return c.getBlue() > 115 && c.getBlue() > c.getRed() + 70; }
	static bool isOrange(video::SColor c)
	{
		return c.getRed() > 220 && c.getGreen() > 130 && c.getGreen() < 180 && c.getBlue() < 80;
	}
	// Pumps until a drawn frame passes the check.
	bool untilFrame(const std::string& name, const std::function<bool(const std::vector<video::SColor>&)>& check)
	{
		return pumpUntil([&] { return check(frame(name)); });
	}

	CRefHolder<CContent> atlas;
	CRefHolder<TemplateCollectionNode> templates;
	CRefHolder<SceneNode> scene;
	CRefHolder<SceneManager> scenes;
	CRefHolder<CTimerManager> timers;
	CRefHolder<GTutorialController> controller;
	CRefHolder<CScenePresses> presses = adoptRef(new CScenePresses);
	CRefHolder<CLevelStandIn> level = adoptRef(new CLevelStandIn);
};

TEST_F(TutorialWindowTest, EveryActionTypeIsClickedThrough)
{
	// The window's board, at the hints' position (300, 200) with the text at (-35, -11).
	const auto board = [](const std::vector<video::SColor>& pixels)
	{ return count(pixels, 300, 220, 600, 280, isBoard) > 5000u; };
	controller->start();
	EXPECT_EQ((std::vector<s32>{GAME_MESSAGE_PAUSE_REQUEST}), level->requests);
	ASSERT_TRUE(untilFrame("welcome", board));
	{
		const std::vector<video::SColor> pixels = frame("before_start");
		EXPECT_EQ(0u, count(pixels, 0, 0, WIDTH, 120, isBoard)) << "nothing above the window";
	}

	// The message box's "Button" confirms; the level is resumed twice (the press, the action's end).
	BaseNode* window = controller->getWindow();
	ASSERT_NE(nullptr, window);
	BaseNode* confirm = window->findChildByNameId(nameId("Button"), 0);
	ASSERT_NE(nullptr, confirm);
	clickButton(confirm);
	ASSERT_TRUE(untilHint(1));
	EXPECT_EQ((std::vector<s32>{GAME_MESSAGE_PAUSE_REQUEST, GAME_MESSAGE_PAUSE_REQUEST, GAME_MESSAGE_PAUSE_REQUEST}),
		level->requests);
	ASSERT_TRUE(untilSceneSaw(1));
	EXPECT_EQ((std::vector<std::string>{"Button"}), presses->names) << "the confirmation reaches the scene";
	presses->names.clear();

	// ControlPress: "BuildButton" is held back, "OkButton" goes through; the arrow points at it.
	ASSERT_TRUE(untilFrame("arrow",
		[](const std::vector<video::SColor>& pixels) { return count(pixels, 340, 490, 420, 570, isOrange) > 300u; }));
	clickButton(sceneButton("BuildButton"));
	clickButton(sceneButton("OkButton"));
	ASSERT_TRUE(untilSceneSaw(1));
	EXPECT_EQ((std::vector<std::string>{"OkButton"}), presses->names) << "the held-back press never reached it";
	ASSERT_TRUE(untilHint(2));

	// MouseClick: the press ends the hint and is kept from the scene.
	clickButton(sceneButton("OkButton"));
	ASSERT_TRUE(untilHint(3));
	// BuildingCompleted with a timer: "AbortButton" is held back, other presses pass; the time ends it.
	clickButton(sceneButton("AbortButton"));
	clickButton(sceneButton("BuildButton"));
	ASSERT_TRUE(untilSceneSaw(2));
	EXPECT_EQ((std::vector<std::string>{"OkButton", "BuildButton"}), presses->names);
	EXPECT_TRUE(controller->update(100));
	EXPECT_EQ(4, controller->getCurrentHint());

	// The generating hint asks for four random events and ends in one update; its window is hidden.
	level->requests.clear();
	EXPECT_TRUE(controller->update(0));
	EXPECT_EQ((std::vector<s32>{GAME_MESSAGE_SELL_BUILDING_REQUEST, GAME_MESSAGE_BROKEN_BUILDING_REQUEST,
				  GAME_MESSAGE_DIRTY_BUILDING_REQUEST, GAME_MESSAGE_LETTER_REQUEST}),
		level->requests);
	EXPECT_EQ(5, controller->getCurrentHint());
	EXPECT_FALSE(window->isVisible());
	EXPECT_FALSE(board(frame("hidden")));

	// WaitDirty waits for a later dirt request.
	const core::array<s32> none;
	offerGameMessage(level.get(), new GDirtyBuildingRequestMessage(none, none));
	EXPECT_TRUE(controller->update(0));
	EXPECT_EQ(6, controller->getCurrentHint());

	// The tip shows its bubble; owning a cafe ends it at the next update, and the tutorial is over.
	ASSERT_TRUE(untilFrame("tip",
		[](const std::vector<video::SColor>& pixels) { return count(pixels, 300, 220, 600, 280, isBubble) > 5000u; }));
	level->owns = true;
	EXPECT_TRUE(controller->update(0));
	EXPECT_FALSE(controller->update(0));
	EXPECT_EQ(nullptr, controller->getWindow());
	const std::vector<video::SColor> pixels = frame("over");
	EXPECT_EQ(0u, count(pixels, 300, 220, 600, 280, isBubble));
	EXPECT_EQ(0u, count(pixels, 340, 490, 420, 570, isOrange));
}
} // namespace
