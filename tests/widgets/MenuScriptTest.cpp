#include "WidgetTestSupport.h"

#include "core/CEventInput.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace fw;
using namespace fw::widgettest;

namespace
{
// The menu fixture under a scene manager with the fixture template collection; every button's
// looks and reports go to one log.
class MenuScript : public ::testing::Test
{
public:
	MenuScript() : factory(makeFactory()), manager(adoptRef(new SceneManager))
	{
		templates = loadFixtureAs<TemplateCollectionNode>(factory.get(), "MenuTemplates.oscn");
		menu = loadFixtureAs<SceneNode>(factory.get(), "Menu.oscn");
		manager->setTemplateCollection(templates.get());
		for (const char* name : {"Play", "Options", "Quit"})
		{
			controls.push_back(nodeCast<ControlNode>(menu->findChildByNameId(nodetest::nameId(name), 1)));
			listening.emplace_back(new CListening(controls.back(), log, name));
		}
	}

	void send(CEvent* event)
	{
		const CRefHolder<CEvent> held = adoptRef(event);
		manager->routeEvent(ROUTE_SELF_DOWN, held.get());
	}
	void move(s32 x, s32 y) { send(new CEventInputMouseMove(x, y)); }
	void down(s32 x, s32 y) { send(new CEventInputMouseLeftDown(x, y)); }
	void up(s32 x, s32 y) { send(new CEventInputMouseLeftUp(x, y)); }
	void key(u32 code) { send(new CEventInputKeyDown(0, code, false, false)); }
	// One update: the scene's animations advance, then the queued reports are delivered; then a
	// frame is collected, which refreshes the transformations that the hit tests use.
	void tick(u32 milliseconds)
	{
		if (CTimerManager* timers = dynamic_cast<CTimerManager*>(menu->getTimerManager()))
			timers->update(milliseconds);
		manager->processMessageQueue();
		RenderList frame;
		menu->collectRenderables(frame);
	}
	std::vector<std::string> takeLog()
	{
		std::vector<std::string> lines;
		lines.swap(log);
		return lines;
	}

	CRefHolder<CNodeFactory> factory;
	CRefHolder<SceneManager> manager;
	CRefHolder<TemplateCollectionNode> templates;
	CRefHolder<SceneNode> menu;
	std::vector<ControlNode*> controls;
	std::vector<std::string> log;
	std::vector<std::unique_ptr<CListening>> listening;
};

TEST_F(MenuScript, MouseAndKeyboardDriveTheButtonsLooksAndReports)
{
	ASSERT_TRUE(templates);
	ASSERT_TRUE(menu);
	ASSERT_EQ(3u, controls.size());
	ASSERT_TRUE(manager->setActiveScene(menu.get()));
	tick(0);
	EXPECT_EQ((std::vector<std::string>{"Play look Focus", "Play focused"}), takeLog())
		<< "the default child takes the focus";
	ASSERT_NE(nullptr, controls[0]->getTemplateRoot());
	EXPECT_EQ(1u, controls[0]->getTemplateRoot()->getChildren().size()) << "the first template of the name is used";

	struct SStep
	{
		const char* what;
		std::function<void(MenuScript&)> action;
		std::vector<std::string> expected;
	};
	const std::vector<SStep> script = {
		{"over Play",
			[](MenuScript& t)
			{
				t.move(150, 120);
				t.tick(0);
			},
			{"Play look FocusHover", "Play hovered"}},
		// The sibling loses its hover (and focus) through the scene's clear event before the new
		// control's own report is queued.
		{"over Options: Play loses the hover through the scene",
			[](MenuScript& t)
			{
				t.move(150, 220);
				t.tick(0);
			},
			{"Play look FocusKillHover", "Options look NormalHover", "Play unhovered", "Options hovered"}},
		{"button down over Options: held, and the focus moves",
			[](MenuScript& t)
			{
				t.down(150, 220);
				t.tick(0);
			},
			{"Options look Pressed", "Play look KillFocus", "Options down", "Play unfocused", "Options focused"}},
		{"button up over Options: the preview at once, the press look starts",
			[](MenuScript& t)
			{
				t.up(150, 220);
				t.tick(0);
			},
			{"Options look Press", "Options pressed preview"}},
		{"the press look still plays", [](MenuScript& t) { t.tick(50); }, {}},
		{"the press look has ended: pressed", [](MenuScript& t) { t.tick(60); },
			{"Options look FocusHover", "Options pressed"}},
		{"arrow up moves the focus by Options' NavUp name",
			[](MenuScript& t)
			{
				t.key(38);
				t.tick(0);
			},
			{"Options look NormalHover", "Play look Focus", "Options unfocused", "Play focused"}},
		{"arrow left: no name, nothing",
			[](MenuScript& t)
			{
				t.key(37);
				t.tick(0);
			},
			{}},
		{"arrow down twice reaches the disabled Quit, which shows its disabled look",
			[](MenuScript& t)
			{
				t.key(40);
				t.key(40);
				t.tick(0);
			},
			{"Play look KillFocus", "Options look FocusHover", "Options look NormalHover", "Quit look FocusDisable",
				"Play unfocused", "Options focused", "Options unfocused", "Quit focused"}},
		{"the disabled Quit takes no press: it tracks its hover only",
			[](MenuScript& t)
			{
				t.move(150, 320);
				t.down(150, 320);
				t.up(150, 320);
				t.tick(200);
			},
			{"Options look NormalKillHover", "Options unhovered", "Quit hovered"}},
	};
	for (const SStep& step : script)
	{
		step.action(*this);
		EXPECT_EQ(step.expected, takeLog()) << step.what;
	}
	EXPECT_FALSE(controls[2]->isDown());
	EXPECT_FALSE(controls[2]->isPressInProgress());
	manager->setActiveScene(nullptr);
	manager->processMessageQueue();
}
} // namespace
