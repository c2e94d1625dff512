// A list and an edit field built from the game's template collection in a real window, driven with
// input played through the X server: letters (one without a key of its own), Backspace, Delete,
// Return and the arrows typed into the field; the list scrolled by its arrow button and by dragging
// its scroll bar's knob; each step checked on the nodes and on the frame read back.

#include "StagedContentSupport.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "content/AtlasTextureCollection.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "core/CNameTable.h"
#include "core/CNodeFactory.h"
#include "core/NodeCasts.h"
#include "core/SceneNode.h"
#include "platform/CFileSystem.h"
#include "platform/CTimerManager.h"
#include "widgets/CheckBoxNode.h"
#include "widgets/EditNode.h"
#include "widgets/ListNode.h"
#include "widgets/SceneManager.h"
#include "widgets/SliderNode.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/TextNode.h"
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

class ListAndEditWindowTest : public WindowTest, protected CStagedContent
{
protected:
	void SetUp() override
	{
		registerWidgetServices();
		WindowTest::SetUp();
		if (HasFatalFailure())
			return;
		ASSERT_TRUE(openStagedContent(driver()));
		atlas = adoptRef(manager->getContent(CONTENT_TYPE_ATLAS_COLLECTION, "atlases/MainMenu.xml", false));
		ASSERT_TRUE(atlas);
		CContent* loaded = manager->getContent(CONTENT_TYPE_SCENE_NODE, "scenes/TemplateCollection.oscn", false);
		templates = adoptRef(dynamic_cast<TemplateCollectionNode*>(loaded));
		ASSERT_TRUE(templates);

		scene = adoptRef(new SceneNode(ContentReference(), nullptr, nullptr));
		list = new ListNode(ContentReference(), scene.get(), nullptr);
		list->drop();
		list->setName("Players");
		list->setPosition(core::vector3df(40, 60, 0));
		list->setBounds(core::vector3df(280, 180, 0));
		list->setCircular(false);
		list->setTemplateName("List");
		core::array<core::stringw> names;
		for (s32 i = 0; i < 12; ++i)
			names.push_back(core::stringw(L"Player ") + core::stringw(i));
		list->setStrings(names);
		edit = new EditNode(ContentReference(), scene.get(), nullptr);
		edit->drop();
		edit->setName("Name");
		edit->setPosition(core::vector3df(500, 60, 0));
		edit->setTemplateName("EditField");

		openDeviceScenes(device.get(), templates.get(), scenes, timers);
		ASSERT_TRUE(scenes->setActiveScene(scene.get()));
		ASSERT_TRUE(pumpUntil([this] { return !scenes->isSwitching(scene.get()); }));
		// Hit tests use the transformations a drawing brings up to date.
		frame("start");
	}

	void TearDown() override
	{
		closeDeviceScenes(device.get(), scenes, timers);
		scene.release();
		templates.release();
		atlas.release();
		closeStagedContent();
		WindowTest::TearDown();
	}

	video::IVideoDriver* driver() const { return device->getVideoDriver(); }

	void moveTo(s32 x, s32 y)
	{
		const core::position2d<s32> corner = origin();
		XTestFakeMotionEvent(input, -1, corner.X + x, corner.Y + y, CurrentTime);
		XFlush(input);
	}
	void button(bool press)
	{
		XTestFakeButtonEvent(input, 1, press ? True : False, CurrentTime);
		XFlush(input);
	}
	void clickAt(s32 x, s32 y)
	{
		moveTo(x, y);
		button(true);
		button(false);
	}
	void tap(KeySym keysym)
	{
		const KeyCode code = XKeysymToKeycode(input, keysym);
		XTestFakeKeyEvent(input, code, True, CurrentTime);
		XTestFakeKeyEvent(input, code, False, CurrentTime);
		XFlush(input);
	}
	// A symbol the keyboard has no key for, on a spare key code given it for the moment.
	void typeUnmapped(KeySym keysym)
	{
		int first = 0;
		int last = 0;
		XDisplayKeycodes(input, &first, &last);
		int perKeycode = 0;
		KeySym* map = XGetKeyboardMapping(input, static_cast<KeyCode>(first), last - first + 1, &perKeycode);
		int spare = 0;
		for (int code = last; code >= first && !spare; --code)
		{
			bool empty = true;
			for (int i = 0; i < perKeycode; ++i)
				empty = empty && map[(code - first) * perKeycode + i] == NoSymbol;
			if (empty)
				spare = code;
		}
		XFree(map);
		ASSERT_NE(0, spare) << "no free key code";
		KeySym symbols[2] = {keysym, keysym};
		XChangeKeyboardMapping(input, spare, 2, symbols, 1);
		XSync(input, False);
		XTestFakeKeyEvent(input, static_cast<unsigned>(spare), True, CurrentTime);
		XTestFakeKeyEvent(input, static_cast<unsigned>(spare), False, CurrentTime);
		XFlush(input);
		// Read before the key code loses its symbol again.
		ASSERT_TRUE(pumpUntil([this] { return edit->getText().findFirst(0xE9) >= 0; }));
		KeySym none[2] = {NoSymbol, NoSymbol};
		XChangeKeyboardMapping(input, spare, 2, none, 1);
		XSync(input, False);
	}

	std::vector<video::SColor> frame(const std::string& name)
	{
		return drawScenes(driver(), scenes.get(), BACKGROUND, WIDTH, HEIGHT, "list_edit_" + name);
	}
	template <class Test>
	static u32 count(const std::vector<video::SColor>& pixels, s32 x0, s32 y0, s32 x1, s32 y1, Test test)
	{
		u32 n = 0;
		for (s32 y = y0; y < y1; ++y)
			for (s32 x = x0; x < x1; ++x)
				if (test(pixels[static_cast<size_t>(y) * WIDTH + x]))
					++n;
		return n;
	}
	// The teal of the tick.
	static bool isTeal(video::SColor c) { return c.getGreen() > c.getRed() + 40 && c.getBlue() > c.getRed() + 30; }
	// The brass of the scroll bar's knob.
	static bool isBrass(video::SColor c) { return c.getRed() > 180 && c.getGreen() > 120 && c.getBlue() < 110; }
	// The caret's and the typed text's ink on the field's white.
	static bool isInk(video::SColor c) { return c.getRed() < 120 && c.getGreen() < 120 && c.getBlue() < 150; }
	// The tick area of a row's check box, on the screen.
	u32 ticksInRow(const std::vector<video::SColor>& pixels, s32 row) const
	{
		const s32 x = 40 + 242;
		const s32 y = 60 + row * 36 + 2;
		return count(pixels, x, y, x + 32, y + 32, isTeal);
	}
	std::string text() const { return core::stringc(edit->getText()).c_str(); }

	CRefHolder<CContent> atlas;
	CRefHolder<TemplateCollectionNode> templates;
	CRefHolder<SceneNode> scene;
	CRefHolder<SceneManager> scenes;
	CRefHolder<CTimerManager> timers;
	ListNode* list = nullptr;
	EditNode* edit = nullptr;
};

TEST_F(ListAndEditWindowTest, TextIsTypedIntoTheEditField)
{
	ASSERT_TRUE(edit->getTextChild() && edit->getCursorChild());
	clickAt(620, 78);
	ASSERT_TRUE(pumpUntil([this] { return edit->isFocused(); }));
	// Keys wait out the moment after the text was set.
	const u32 start = device->getTimer()->getRealTime();
	ASSERT_TRUE(pumpUntil([this, start] { return device->getTimer()->getRealTime() - start > 150; }));
	EXPECT_TRUE(edit->getCursorChild()->isVisible());

	tap(XK_a);
	tap(XK_b);
	ASSERT_TRUE(pumpUntil([this] { return text() == "ab"; })) << text();
	typeUnmapped(XK_eacute);
	tap(XK_c);
	ASSERT_TRUE(pumpUntil(
		[this]
		{
			return edit->getText() ==
				core::stringw(L"ab\xE9"
							  L"c");
		}))
		<< text();
	// Back over "é" and "c", Backspace takes "b", Delete takes "é".
	tap(XK_Left);
	tap(XK_Left);
	tap(XK_BackSpace);
	tap(XK_Delete);
	ASSERT_TRUE(pumpUntil([this] { return text() == "ac"; })) << text();
	EXPECT_EQ(0, edit->getCaretColumn());
	tap(XK_Right);
	tap(XK_Return);
	tap(XK_d);
	ASSERT_TRUE(pumpUntil([this] { return edit->getText() == core::stringw(L"ac\nd"); })) << text();
	EXPECT_EQ(1, edit->getCaretLine());
	EXPECT_EQ(0, edit->getCaretColumn());
	EXPECT_EQ(edit->getText(), edit->getTextChild()->getText());

	// The caret stands at the right edge of "d", on the second line.
	TextNode* shown = edit->getTextChild();
	const core::vector3df& caret = edit->getCursorChild()->getPosition();
	EXPECT_EQ(shown->getCharRect(1, 0).LowerRightCorner.X, caret.X);
	EXPECT_EQ(shown->getLineY(1), caret.Y);
	const std::vector<video::SColor> pixels = frame("typed");
	const core::vector3df at = edit->getCursorChild()->getAbsoluteTransformation().getTranslation();
	EXPECT_GT(count(pixels, static_cast<s32>(at.X) - 1, static_cast<s32>(at.Y), static_cast<s32>(at.X) + 3,
				  static_cast<s32>(at.Y) + 18, isInk),
		10u)
		<< "the caret is drawn where it stands";

	// Up goes back to the first line, where Home and Delete take its first letter.
	tap(XK_Up);
	tap(XK_Home);
	tap(XK_Delete);
	ASSERT_TRUE(pumpUntil([this] { return edit->getText() == core::stringw(L"c\nd"); })) << text();
	EXPECT_EQ(0, edit->getCaretLine());
	EXPECT_EQ(-1, edit->getCaretColumn());
}

TEST_F(ListAndEditWindowTest, TheListScrollsByItsArrowAndItsScrollBar)
{
	ASSERT_EQ(5u, list->getElementCount());
	SliderNode* bar = list->getSlider();
	ASSERT_TRUE(bar && bar->getKnob() && list->getNextButton());
	// A click checks item 0: a tick in the first row.
	CheckBoxNode* firstBox = nodeCast<CheckBoxNode>(
		list->getElement(0)->findChildByNameId(CNameTableSingleton::Instance().intern("CheckBox"), 1));
	ASSERT_TRUE(firstBox);
	const core::vector3df boxAt = firstBox->getAbsoluteTransformation().getTranslation();
	clickAt(static_cast<s32>(boxAt.X) + 16, static_cast<s32>(boxAt.Y) + 16);
	ASSERT_TRUE(pumpUntil([this, firstBox] { return list->isItemChecked(0) && !firstBox->isPressInProgress(); }));
	std::vector<video::SColor> pixels = frame("top");
	EXPECT_GT(ticksInRow(pixels, 0), 40u) << "item 0's tick";

	// The arrow below scrolls by one row.
	const core::vector3df next = list->getNextButton()->getAbsoluteTransformation().getTranslation();
	clickAt(static_cast<s32>(next.X) + 15, static_cast<s32>(next.Y) + 15);
	ASSERT_TRUE(pumpUntil([this] { return list->getTopItem() == 1; }));
	pixels = frame("scrolled");
	EXPECT_EQ(0u, ticksInRow(pixels, 0)) << "item 1 has none";

	// Dragging the knob to the end of the bar shows the last rows: items 7 to 11.
	const core::vector3df knob = bar->getKnob()->getAbsoluteTransformation().getTranslation();
	const s32 x = static_cast<s32>(knob.X) + 10;
	s32 y = static_cast<s32>(knob.Y) + 10;
	moveTo(x, y);
	button(true);
	ASSERT_TRUE(pumpUntil([bar] { return bar->isDown(); }));
	const core::vector3df track = bar->getSlidingArea()->getAbsoluteTransformation().getTranslation();
	const s32 end = static_cast<s32>(track.Y + bar->getSlidingArea()->getBounds().Y) - 2;
	for (; y < end; y += 10)
		moveTo(x, y);
	moveTo(x, end);
	button(false);
	// The server delivers in order: once the release is handled every move before it is too, and an
	// empty queue means the list has taken the slider's last change. The top item alone turns 7
	// while later moves may still be on their way.
	ASSERT_TRUE(pumpUntil([this, bar] { return !bar->isDown() && scenes->getQueuedMessageCount() == 0; }));
	ASSERT_EQ(7, list->getTopItem());
	pixels = frame("dragged");
	EXPECT_EQ(7.f, bar->getValue());
	const core::vector3df knobEnd = bar->getKnob()->getAbsoluteTransformation().getTranslation();
	EXPECT_EQ(track.Y + bar->getSlidingArea()->getBounds().Y, knobEnd.Y + bar->getKnob()->getBounds().Y)
		<< "the knob at the bar's end";
	EXPECT_GT(count(pixels, static_cast<s32>(knobEnd.X) + 2, static_cast<s32>(knobEnd.Y) + 2,
				  static_cast<s32>(knobEnd.X) + 18, static_cast<s32>(knobEnd.Y) + 18, isBrass),
		40u)
		<< "drawn there";
	EXPECT_EQ(0u, ticksInRow(pixels, 0)) << "item 7";
	const TextNode* label =
		nodeCast<TextNode>(list->getElement(0)->findChildByNameId(CNameTableSingleton::Instance().intern("Text"), 1));
	ASSERT_TRUE(label);
	EXPECT_EQ(core::stringw(L"Player 7"), label->getText());
}
} // namespace
