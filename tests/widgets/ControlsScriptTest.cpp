// A menu of buttons, a check box, a progress bar and a back button built from the game's template
// collection, driven by scripted mouse events and timer steps; the log holds the looks the controls
// ask for and the reports that reach the scenes.

#include "StagedTemplatesSupport.h"

#include "widgets/ButtonNode.h"
#include "widgets/CheckBoxNode.h"
#include "widgets/ProgressBarNode.h"
#include "widgets/SpriteNode.h"
#include "widgets/TabSceneNode.h"
#include "widgets/TextNode.h"

#include <functional>

using namespace fw;
using namespace fw::widgettest;

namespace
{
class ControlsScript : public StagedTemplates
{
public:
	ControlsScript()
	{
		menu = loadScene<TabSceneNode>("ControlsMenu.oscn");
		options = loadScene<SceneNode>("Options.oscn");
	}

	template <class T>
	T* find(BaseNode* root, const char* name)
	{
		return nodeCast<T>(root->findChildByNameId(nodetest::nameId(name), -1));
	}
	// A child of a control's template root.
	static BaseNode* part(ControlNode* control, const char* name)
	{
		ControlNode* root = control->getTemplateRoot();
		return root ? root->findChildByNameId(nodetest::nameId(name), 1) : nullptr;
	}

	CRefHolder<TabSceneNode> menu;
	CRefHolder<SceneNode> options;
};

TEST_F(ControlsScript, TheMenuIsBuiltFromTheGamesTemplates)
{
	ASSERT_TRUE(menu && options && templates);
	ASSERT_TRUE(scenes->setActiveScene(menu.get()));
	tick(0);
	ButtonNode* play = find<ButtonNode>(menu.get(), "Play");
	ASSERT_TRUE(play && play->getTextChild());
	EXPECT_EQ(core::stringw(L"Play"), play->getTextChild()->getText());
	ASSERT_TRUE(play->getImageChild());
	EXPECT_EQ(nullptr, play->getImageChild()->getAtlasTexture()) << "the button has no picture";
	ASSERT_TRUE(part(play, "Face"));
	EXPECT_TRUE(nodeCast<SpriteNode>(part(play, "Face"))->getAtlasTexture());

	CheckBoxNode* sound = find<CheckBoxNode>(menu.get(), "Sound");
	ASSERT_TRUE(sound && sound->getTextChild());
	EXPECT_EQ(core::stringw(L"Sound"), sound->getTextChild()->getText());
	EXPECT_FALSE(part(sound, "Mark")->isVisible());

	ProgressBarNode* bar = find<ProgressBarNode>(menu.get(), "Bar");
	ASSERT_TRUE(bar && bar->getSlidingArea() && bar->getKnob());
	EXPECT_EQ(150.f, bar->getKnob()->getBounds().X) << "75 of 0..100 over 200";
	EXPECT_EQ(0.f, bar->getKnob()->getPosition().X);
	EXPECT_EQ(16.f, bar->getKnob()->getBounds().Y);

	scenes->setActiveScene(options.get());
	tick(0);
	BackButtonNode* back = find<BackButtonNode>(options.get(), "Back");
	ASSERT_TRUE(back && back->getTextChild());
	EXPECT_EQ(core::stringw(L"Back"), back->getTextChild()->getText());
	EXPECT_TRUE(part(back, "Arrow"));
}

TEST_F(ControlsScript, ButtonsCheckBoxAndBackButtonDrivenByTheMouse)
{
	ASSERT_TRUE(menu && options);
	ButtonNode* play = find<ButtonNode>(menu.get(), "Play");
	CheckBoxNode* sound = find<CheckBoxNode>(menu.get(), "Sound");
	BackButtonNode* back = find<BackButtonNode>(options.get(), "Back");
	ASSERT_TRUE(play && sound && back);
	listen(play, "Play");
	listen(sound, "Sound");
	listen(menu.get(), "Menu");
	listen(options.get(), "Options");
	report(menu.get(), "Menu");
	report(options.get(), "Options");
	report(sound->getParent(), "Tab1");
	ASSERT_TRUE(scenes->setActiveScene(menu.get()));
	tick(0);
	takeLog();

	struct SStep
	{
		const char* what;
		std::function<void(ControlsScript&)> action;
		std::vector<std::string> expected;
	};
	const std::vector<SStep> script = {
		{"over Play: hover takes the focus",
			[](ControlsScript& t)
			{
				t.move(180, 186);
				t.tick(0);
			},
			{"Menu look FocusHover", "Play look FocusHover", "Play look FocusHover", "Menu hovered", "Play hovered",
				"Play focused"}},
		{"a click on Play: the preview at once, the press look plays",
			[](ControlsScript& t)
			{
				t.down(180, 186);
				t.up(180, 186);
				t.tick(0);
			},
			{"Play look Pressed", "Play look Press", "Play down", "Play pressed preview",
				"Tab1 got pressed preview from Play", "Menu got pressed preview from Play"}},
		{"the press look still plays", [](ControlsScript& t) { t.tick(100); }, {}},
		{"the press look has ended: pressed, which travels up to the scene", [](ControlsScript& t) { t.tick(20); },
			{"Play look FocusHover", "Play pressed", "Tab1 got pressed from Play", "Menu got pressed from Play"}},
		{"over the check box",
			[](ControlsScript& t)
			{
				t.move(116, 276);
				t.tick(0);
			},
			{"Sound look FocusHover", "Sound look FocusHover", "Sound hovered", "Sound focused"}},
		{"a click checks it at once and queues the value change for its parent",
			[](ControlsScript& t)
			{
				t.down(116, 276);
				t.up(116, 276);
				t.tick(0);
			},
			{"Sound look Press", "Sound look FocusCheckHover", "Sound down", "Sound pressed preview",
				"Tab1 got pressed preview from Sound", "Menu got pressed preview from Sound",
				"Tab1 got value changed from Sound", "Menu got value changed from Sound"}},
		{"a second click while the press plays is refused: nothing",
			[](ControlsScript& t)
			{
				t.down(116, 276);
				t.up(116, 276);
				t.tick(0);
			},
			{}},
		{"click itself refuses while the press plays",
			[](ControlsScript& t)
			{
				EXPECT_FALSE(t.find<CheckBoxNode>(t.menu.get(), "Sound")->click());
				EXPECT_TRUE(t.find<CheckBoxNode>(t.menu.get(), "Sound")->isChecked());
				t.tick(0);
			},
			{}},
		{"the press ends", [](ControlsScript& t) { t.tick(120); },
			{"Sound pressed", "Tab1 got pressed from Sound", "Menu got pressed from Sound"}},
		{"a second click unchecks it",
			[](ControlsScript& t)
			{
				t.down(116, 276);
				t.up(116, 276);
				t.tick(120);
			},
			{"Sound look Press", "Sound look FocusHover", "Sound down", "Sound pressed preview",
				"Tab1 got pressed preview from Sound", "Menu got pressed preview from Sound",
				"Tab1 got value changed from Sound", "Menu got value changed from Sound", "Sound pressed",
				"Tab1 got pressed from Sound", "Menu got pressed from Sound"}},
		{"setChecked changes the look and queues nothing",
			[](ControlsScript& t)
			{
				nodeCast<CheckBoxNode>(t.menu->findChildByNameId(nodetest::nameId("Sound"), -1))->setChecked(true);
				t.tick(0);
			},
			{"Sound look FocusCheckHover"}},
		{"Options opens over the menu",
			[](ControlsScript& t)
			{
				t.menu->openScene(t.options.get(), false);
				t.tick(0);
			},
			{"Menu look NormalHover", "Menu transition", "Menu transition start", "Options transition",
				"Options transition start", "Menu look NavFrom", "Options look NavTo", "Options look Focus",
				"Menu unfocused", "Menu transition end", "Options transition end", "Options focused"}},
		{"a click on Back",
			[](ControlsScript& t)
			{
				t.click(180, 626);
				t.tick(0);
			},
			{"Options look FocusHover", "Options hovered", "Options got pressed preview from Back"}},
		{"pressed: Options goes back to the menu, and the press goes on up to Options",
			[](ControlsScript& t) { t.tick(120); },
			{"Options look NormalHover", "Options transition", "Menu transition", "Options transition start",
				"Menu transition start", "Options look NavBackFrom", "Menu look NavBackTo", "Menu look FocusHover",
				"Options got pressed from Back", "Menu focused", "Menu transition end", "Options transition end",
				"Options unfocused"}},
		{"the way back ends", [](ControlsScript& t) { t.tick(0); }, {}},
	};
	for (const SStep& step : script)
	{
		step.action(*this);
		const std::vector<std::string> lines = takeLog();
		EXPECT_EQ(step.expected, lines) << step.what;
	}
	EXPECT_EQ(menu.get(), scenes->getActiveScene());
	EXPECT_EQ(nullptr, options->getParent()) << "left at the end of the pass";
}

// The check box's look in each of its twelve situations, with a template that defines only
// "Normal", "NormalCheck" and plain control looks: the frame, the hover glow and the mark.
TEST_F(ControlsScript, TheCheckBoxShowsTwelveSituationsThroughTheFallbacks)
{
	ASSERT_TRUE(scenes->setActiveScene(menu.get()));
	tick(0);
	CheckBoxNode* sound = find<CheckBoxNode>(menu.get(), "Sound");
	ASSERT_TRUE(sound);
	sound->setIsFocusOnHover(false);
	listen(sound, "Sound");
	BaseNode* mark = part(sound, "Mark");
	BaseNode* glow = part(sound, "Glow");
	ASSERT_TRUE(mark && glow);
	struct SCase
	{
		bool checked, enabled, focused, hovered;
		const char* look;
		const char* markState;
		bool markShown, glowShown;
	};
	const SCase cases[] = {
		{true, true, true, true, "FocusCheckHover", "NormalCheck", true, false},
		{true, true, true, false, "FocusCheck", "NormalCheck", true, false},
		{true, true, false, true, "NormalCheckHover", "NormalCheck", true, false},
		{true, true, false, false, "NormalCheck", "NormalCheck", true, false},
		{true, false, true, true, "FocusCheckDisable", "NormalCheck", true, false},
		{true, false, false, false, "NormalCheckDisable", "NormalCheck", true, false},
		{false, true, true, true, "FocusHover", "NormalHover", false, true},
		{false, true, true, false, "Focus", "Normal", false, false},
		{false, true, false, true, "NormalHover", "NormalHover", false, true},
		{false, true, false, false, "Normal", "Normal", false, false},
		{false, false, true, false, "FocusDisable", "Normal", false, false},
		{false, false, false, true, "NormalDisable", "Normal", false, false},
	};
	for (const SCase& c : cases)
	{
		const std::string row = std::string(c.look);
		sound->setEnabled(true);
		sound->setHovered(c.hovered);
		sound->setFocused(c.focused);
		sound->setEnabled(c.enabled);
		takeLog();
		sound->setChecked(c.checked);
		EXPECT_EQ(std::vector<std::string>{"Sound look " + row}, takeLog()) << row;
		EXPECT_EQ(c.markState, lookName(mark->getCurrentStateId())) << row;
		EXPECT_EQ(c.markShown, mark->isVisible()) << row;
		EXPECT_EQ(c.glowShown, glow->isVisible()) << row;
	}
	tick(0);
}

TEST_F(ControlsScript, HoverChangesOfTheCheckBox)
{
	ASSERT_TRUE(scenes->setActiveScene(menu.get()));
	tick(0);
	CheckBoxNode* sound = find<CheckBoxNode>(menu.get(), "Sound");
	ASSERT_TRUE(sound);
	sound->setIsFocusOnHover(false);
	listen(sound, "Sound");
	struct SCase
	{
		bool hovered, checked, focused;
		const char* look;
	};
	const SCase cases[] = {
		{true, true, true, "FocusCheckHover"},
		{true, true, false, "NormalCheckHover"},
		{true, false, true, "FocusHover"},
		{true, false, false, "NormalHover"},
		{false, true, true, "FocusCheckKillHover"},
		{false, true, false, "NormalCheckKillHover"},
		{false, false, true, "FocusKillHover"},
		{false, false, false, "NormalKillHover"},
	};
	for (const SCase& c : cases)
	{
		sound->setHovered(!c.hovered);
		sound->setChecked(c.checked);
		sound->setFocused(c.focused);
		takeLog();
		sound->setHovered(c.hovered);
		EXPECT_EQ(std::vector<std::string>{std::string("Sound look ") + c.look}, takeLog()) << c.look;
	}
	// A disabled check box keeps its look.
	sound->setEnabled(false);
	takeLog();
	sound->setHovered(true);
	sound->setHovered(false);
	EXPECT_TRUE(takeLog().empty());
	tick(0);
}

TEST(CheckBoxFallback, CheckLooksFallBackToMoreGeneralOnes)
{
	const std::pair<const char*, const char*> cases[] = {
		{"FocusCheck", "NormalCheck"},
		{"NormalCheckDisable", "NormalCheck"},
		{"FocusCheckDisable", "FocusCheck"},
		{"NormalCheckHover", "NormalCheck"},
		{"NormalCheckKillHover", "NormalCheck"},
		{"FocusCheckHover", "NormalCheckHover"},
		{"FocusCheckKillHover", "FocusCheck"},
		{"Press", "Focus"},
		{"FocusDisable", "NormalDisable"},
	};
	for (const auto& c : cases)
		EXPECT_EQ(c.second, lookName(checkBoxStateFallback(nodetest::nameId(c.first)))) << c.first;
	EXPECT_EQ(-1, checkBoxStateFallback(nodetest::nameId("NormalCheck")));
	EXPECT_EQ(-1, checkBoxStateFallback(nodetest::nameId("Normal")));
}
} // namespace
