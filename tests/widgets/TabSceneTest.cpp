// Tab scenes: pages and buttons found by name, switches played on both pages, the events the pages
// and the enclosing scene hear, input held back while a switch plays, and the drawing order.

#include "WidgetTestSupport.h"

#include "core/CEventInput.h"
#include "support/LogCapture.h"
#include "widgets/TabSceneNode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace fw;
using namespace fw::widgettest;

namespace
{
const char* const TAB_TEMPLATES = R"(<SceneNode Type="TemplateCollectionNode">
	<SceneNode Type="BaseNode"><Properties><string Name="Name" Value="TabButton" /></Properties>
		<SceneNode Type="TestSpriteNode"><Properties><string Name="Name" Value="Face" />
			<vector3d Name="Bounds" Value="100;30;0" /></Properties></SceneNode>
	</SceneNode>
</SceneNode>)";

std::string keyFrameState(const std::string& name, int milliseconds)
{
	return "<State Name=\"" + name +
		"\"><Animator Type=\"KeyFrame\"><Properties><color Name=\"TintColor\" Value=\"ffffffff\" /></Properties>"
		"<KeyFrame t=\"0\" Value0=\"80ffffff\" /><KeyFrame t=\"" +
		std::to_string(milliseconds) + "\" Value0=\"ffffffff\" /></Animator></State>";
}

struct STabFile
{
	int tabsCount = 3;
	int activeTab = 0;
	bool hideButton = false;
	// Pages and buttons written into the file (numbers from 1).
	std::vector<int> pages = {1, 2, 3};
	std::vector<int> buttons = {1, 2, 3};
	// The page Tab3 takes longer over "1To3" than Tab1.
	int slowSwitchMilliseconds = 200;
};

// Buttons first, then the pages (each with one drawing child that plays every switch), then a
// title; the first selection's "Default" takes 60 ms, a switch 100 ms (whole steps of the key
// frames' 20 ms period).
std::string tabSceneText(const STabFile& file)
{
	std::string text = "<SceneNode Type=\"TabSceneNode\"><Properties><string Name=\"Name\" Value=\"Tabs\" />"
					   "<int Name=\"TabsCount\" Value=\"" +
		std::to_string(file.tabsCount) + "\" /><int Name=\"ActiveTabIndex\" Value=\"" + std::to_string(file.activeTab) +
		"\" />" + (file.hideButton ? "<bool Name=\"HideTabButtonOnSelect\" Value=\"true\" />" : "") + "</Properties>";
	for (int i : file.buttons)
		text += "<SceneNode Type=\"ButtonNode\"><Properties><string Name=\"Name\" Value=\"Tab" + std::to_string(i) +
			"Button\" /><vector3d Name=\"Position\" Value=\"" + std::to_string(i * 120) +
			";0;0\" /><string Name=\"TemplateName\" Value=\"TabButton\" /></Properties></SceneNode>";
	for (int i : file.pages)
	{
		std::string states = keyFrameState("Default", 60);
		for (int from = 1; from <= 3; ++from)
			for (int to = 1; to <= 3; ++to)
				if (from != to)
					states += keyFrameState(std::to_string(from) + "To" + std::to_string(to),
						i == 3 && from == 1 && to == 3 ? file.slowSwitchMilliseconds : 100);
		text += "<SceneNode Type=\"BaseNode\"><Properties><string Name=\"Name\" Value=\"Tab" + std::to_string(i) +
			"\" /><vector3d Name=\"Position\" Value=\"0;50;0\" /></Properties><SceneNode Type=\"TestSpriteNode\">"
			"<Properties><string Name=\"Name\" Value=\"Face" +
			std::to_string(i) + "\" /><vector3d Name=\"Bounds\" Value=\"400;300;0\" /></Properties><States>" + states +
			"</States></SceneNode></SceneNode>";
	}
	text += "<SceneNode Type=\"TestSpriteNode\"><Properties><string Name=\"Name\" Value=\"Title\" /></Properties>"
			"</SceneNode></SceneNode>";
	return text;
}

class TabScene : public ::testing::Test
{
protected:
	TabScene() : factory(makeFactory()), manager(adoptRef(new SceneManager))
	{
		templates = loadFixtureAs<TemplateCollectionNode>(factory.get(), "TabTemplates.oscn", TAB_TEMPLATES);
		manager->setTemplateCollection(templates.get());
	}
	~TabScene() override
	{
		reporting.clear();
		manager->setActiveScene(nullptr);
		manager->processMessageQueue();
	}

	// Loads the scene, listens to it and its pages, and makes it the active scene.
	void open(const STabFile& file)
	{
		tabs = loadFixtureAs<TabSceneNode>(factory.get(), "Tabs.oscn", tabSceneText(file));
		ASSERT_TRUE(tabs);
		reporting.emplace_back(new CReporting(tabs.get(), log, "Tabs"));
		for (int i = 1; i <= 3; ++i)
			if (BaseNode* page = child("Tab" + std::to_string(i)))
				reporting.emplace_back(new CReporting(page, log, page->getName().c_str()));
		ASSERT_TRUE(manager->setActiveScene(tabs.get()));
	}
	BaseNode* child(const std::string& name) const
	{
		return tabs->findChildByNameId(nodetest::nameId(name.c_str()), 1);
	}
	BaseNode* page(int number) const { return child("Tab" + std::to_string(number)); }
	BaseNode* face(int number) const
	{
		return page(number)->findChildByNameId(nodetest::nameId(("Face" + std::to_string(number)).c_str()), 1);
	}
	std::string faceState(int number) const { return lookName(face(number)->getCurrentStateId()); }
	void tick(u32 milliseconds)
	{
		if (CTimerManager* timers = dynamic_cast<CTimerManager*>(tabs->getTimerManager()))
			timers->update(milliseconds);
		manager->processMessageQueue();
		RenderList frame;
		tabs->collectRenderables(frame);
	}
	bool click(s32 x, s32 y)
	{
		const CRefHolder<CEvent> down = adoptRef<CEvent>(new CEventInputMouseLeftDown(x, y));
		const bool taken = manager->routeEvent(ROUTE_SELF_DOWN, down.get());
		const CRefHolder<CEvent> up = adoptRef<CEvent>(new CEventInputMouseLeftUp(x, y));
		manager->routeEvent(ROUTE_SELF_DOWN, up.get());
		return taken;
	}
	std::vector<std::string> takeLog()
	{
		std::vector<std::string> lines;
		lines.swap(log);
		return lines;
	}
	std::vector<bool> visiblePages() const
	{
		return {page(1)->isVisible(), page(2)->isVisible(), page(3)->isVisible()};
	}

	CRefHolder<CNodeFactory> factory;
	CRefHolder<SceneManager> manager;
	CRefHolder<TemplateCollectionNode> templates;
	CRefHolder<TabSceneNode> tabs;
	std::vector<std::string> log;
	std::vector<std::unique_ptr<CReporting>> reporting;
};

TEST_F(TabScene, TheFirstSelectionPlaysDefaultOnEveryPageAndShowsOnlyTheSelectedOne)
{
	STabFile file;
	file.activeTab = 1;
	open(file);
	ASSERT_EQ(3, tabs->getTabsCount());
	EXPECT_EQ(1, tabs->getActiveTabIndex());
	EXPECT_EQ((std::vector<bool>{false, true, false}), visiblePages());
	for (int i = 1; i <= 3; ++i)
		EXPECT_EQ("Default", faceState(i)) << i;
	EXPECT_EQ(1, tabs->getPendingPages());
	EXPECT_EQ((std::vector<std::string>{"Tab2 got tab ->Tab2"}), takeLog()) << "delivered at once";
	tick(0);
	EXPECT_EQ((std::vector<std::string>{"Tab2 got tab selected ->Tab2", "Tabs got tab selected ->Tab2"}), takeLog())
		<< "queued, and on up to the enclosing scene";
	tick(60);
	EXPECT_EQ(0, tabs->getPendingPages());
	EXPECT_EQ((std::vector<std::string>{"Tab2 got tab switched ->Tab2", "Tabs got tab switched ->Tab2"}), takeLog());
	tick(100);
	EXPECT_TRUE(takeLog().empty()) << "switched once";
}

TEST_F(TabScene, SwitchingPlaysOneStateOnBothPagesHidesTheOldOneAndReportsWhenBothHaveEnded)
{
	open(STabFile());
	tick(60);
	takeLog();
	// A press of the third page's button.
	EXPECT_TRUE(click(360 + 50, 15));
	tick(0);
	EXPECT_EQ(2, tabs->getActiveTabIndex());
	EXPECT_EQ("1To3", faceState(1));
	EXPECT_EQ("1To3", faceState(3));
	EXPECT_EQ("Default", faceState(2)) << "the third page is not part of the switch";
	EXPECT_EQ((std::vector<bool>{true, false, true}), visiblePages()) << "both show while they play";
	// Queued while the press was delivered, the two selection reports come last queued first.
	EXPECT_EQ((std::vector<std::string>{"Tabs got pressed preview from Tab3Button", "Tabs got pressed from Tab3Button",
				  "Tab1 got tab Tab1>Tab3", "Tab3 got tab Tab1>Tab3", "Tab3 got tab selected Tab1>Tab3",
				  "Tabs got tab selected Tab1>Tab3", "Tab1 got tab selected Tab1>Tab3",
				  "Tabs got tab selected Tab1>Tab3"}),
		takeLog())
		<< "the press goes on up to the scene";

	// No input reaches the buttons while the pages play (the scene itself still takes the click).
	click(240 + 50, 15);
	tick(0);
	EXPECT_EQ(2, tabs->getActiveTabIndex());
	for (const std::string& line : takeLog())
		EXPECT_EQ(std::string::npos, line.find("Tab2Button")) << line;

	tick(100);
	EXPECT_EQ((std::vector<bool>{false, false, true}), visiblePages()) << "the page left hides when it has played";
	EXPECT_EQ(1, tabs->getPendingPages());
	EXPECT_TRUE(takeLog().empty()) << "not switched before both pages have played";
	tick(100);
	EXPECT_EQ(0, tabs->getPendingPages());
	EXPECT_EQ((std::vector<std::string>{"Tab1 got tab switched Tab1>Tab3", "Tabs got tab switched Tab1>Tab3",
				  "Tab3 got tab switched Tab1>Tab3", "Tabs got tab switched Tab1>Tab3"}),
		takeLog());
	EXPECT_TRUE(click(240 + 50, 15)) << "input again";
	tick(0);
	EXPECT_EQ(1, tabs->getActiveTabIndex());
	EXPECT_EQ("3To2", faceState(3));
}

TEST_F(TabScene, SelectionsThatAreIgnoredAndTheForcedOne)
{
	open(STabFile());
	tick(60);
	takeLog();
	for (int index : {-1, 3, 0})
	{
		tabs->setActiveTabIndex(index);
		EXPECT_EQ(0, tabs->getActiveTabIndex()) << index;
	}
	EXPECT_TRUE(takeLog().empty());
	// Through the property table, as key frames would set it.
	setTableProperty(tabs.get(), "ActiveTabIndex", new CPropertyDataInt(2));
	EXPECT_EQ(2, tabs->getActiveTabIndex());
	tick(200);
	takeLog();
	tabs->setActiveTab(2, true);
	EXPECT_EQ("Default", faceState(1)) << "a forced re-selection is a first selection";
	EXPECT_EQ((std::vector<bool>{false, false, true}), visiblePages());
	EXPECT_EQ((std::vector<std::string>{"Tab3 got tab ->Tab3"}), takeLog());

	// A new selection cuts a running switch short: the page left then is hidden at once.
	tick(60);
	tabs->setActiveTabIndex(0);
	EXPECT_EQ(2, tabs->getPendingPages());
	tabs->setActiveTabIndex(1);
	EXPECT_EQ((std::vector<bool>{true, true, false}), visiblePages())
		<< "the third page, left by the cut switch, hides";
	EXPECT_EQ("1To2", faceState(2));

	STabFile none;
	none.tabsCount = 0;
	open(none);
	tabs->setActiveTab(0, true);
	EXPECT_EQ(nullptr, tabs->getPage(0));
	EXPECT_EQ(0, tabs->getPendingPages());
}

TEST_F(TabScene, HideTabButtonOnSelectHidesExactlyTheActiveButton)
{
	STabFile file;
	file.hideButton = true;
	open(file);
	const auto visibleButtons = [this]
	{
		std::vector<bool> visible;
		for (int i = 0; i < 3; ++i)
			visible.push_back(tabs->getTabButton(i)->isVisible());
		return visible;
	};
	EXPECT_EQ((std::vector<bool>{false, true, true}), visibleButtons());
	tick(60);
	tabs->setActiveTabIndex(2);
	EXPECT_EQ((std::vector<bool>{true, true, false}), visibleButtons());
	tick(200);
	tabs->setActiveTabIndex(1);
	EXPECT_EQ((std::vector<bool>{true, false, true}), visibleButtons());
}

// The active page and its button are drawn after every other page and button, also when the
// child after which they go is missing or has moved.
TEST_F(TabScene, TheActivePageAndButtonAreCollectedAfterTheOthers)
{
	const auto drawn = [this]
	{
		RenderList list;
		tabs->collectRenderables(list);
		std::vector<std::string> names;
		for (u32 i = 0; i < list.size(); ++i)
			names.push_back(list[i].node->getName().c_str());
		return names;
	};
	STabFile file;
	file.activeTab = 0;
	open(file);
	tick(60);
	// Tab1Button's face, then the other buttons; the active button after the last button, the
	// active page after the last page.
	EXPECT_EQ((std::vector<std::string>{"Face", "Face", "Face", "Face1", "Title"}), drawn());
	{
		RenderList list;
		tabs->collectRenderables(list);
		ASSERT_EQ(5u, list.size());
		EXPECT_EQ(tabs->getTabButton(0), list[2].node->getParent()->getParent()) << "the active button last of them";
	}

	STabFile missing;
	missing.pages = {1, 2};
	missing.activeTab = 1;
	open(missing);
	tick(60);
	const std::vector<std::string> names = drawn();
	EXPECT_NE(names.end(), std::find(names.begin(), names.end(), "Face2"))
		<< "the page is drawn though Tab3 is missing";

	open(STabFile());
	tick(60);
	// Children move after the pages were bound: the position remembered points nowhere.
	const CRefHolder<BaseNode> title(child("Title"));
	tabs->removeChild(title.get());
	tabs->removeChild(tabs->getTabButton(2));
	const std::vector<std::string> after = drawn();
	EXPECT_NE(after.end(), std::find(after.begin(), after.end(), "Face1"));
}

TEST_F(TabScene, InputReachesOnlyTheActivePageAndTheButtons)
{
	open(STabFile());
	tick(60);
	std::vector<std::string> seen;
	struct CSeen : CEventReceiver
	{
		std::vector<std::string>& seen;
		std::string name;
		CSeen(std::vector<std::string>& s, const char* n) : seen(s), name(n) {}
		bool onEvent(CEvent* event) override
		{
			if (event->getTypeId() == 21)
				seen.push_back(name);
			return false;
		}
	};
	std::vector<CRefHolder<CSeen>> listeners;
	for (const char* name : {"Tab1", "Tab2", "Tab3", "Title", "Tab1Button", "Tab2Button", "Tab3Button"})
	{
		listeners.push_back(adoptRef(new CSeen(seen, name)));
		child(name)->addPreListener(listeners.back().get());
	}
	const CRefHolder<CEvent> move = adoptRef<CEvent>(new CEventInputMouseMove(900, 700));
	manager->routeEvent(ROUTE_SELF_DOWN, move.get());
	EXPECT_EQ((std::vector<std::string>{"Tab1", "Tab1Button", "Tab2Button", "Tab3Button"}), seen);
	for (u32 i = 0; i < listeners.size(); ++i)
		child(std::vector<const char*>{"Tab1", "Tab2", "Tab3", "Title", "Tab1Button", "Tab2Button", "Tab3Button"}[i])
			->removePreListener(listeners[i].get());
}

// A damaged count would make the pages' binding search and hold that many pages.
TEST_F(TabScene, ACountFromAFileIsCappedBeforeThePagesAreBound)
{
	test::CLogCapture capture;
	STabFile file;
	file.tabsCount = 2000000000;
	tabs = loadFixtureAs<TabSceneNode>(factory.get(), "Tabs.oscn", tabSceneText(file));
	ASSERT_TRUE(tabs);
	EXPECT_EQ(TabSceneNode::MAX_TABS, tabs->getTabsCount());
	EXPECT_TRUE(capture.contains("TabsCount 2000000000")) << capture.all();
	EXPECT_EQ(page(3), tabs->getPage(2));
	EXPECT_EQ(nullptr, tabs->getPage(TabSceneNode::MAX_TABS - 1));
	EXPECT_EQ(nullptr, tabs->getPage(TabSceneNode::MAX_TABS));
}

TEST_F(TabScene, PropertiesAreWrittenWhenTheyDifferAndCopied)
{
	STabFile file;
	file.hideButton = true;
	file.activeTab = 2;
	open(file);
	const std::vector<std::string> written = writtenProperties(tabs.get());
	for (const char* name : {"TabsCount", "ActiveTabIndex", "HideTabButtonOnSelect"})
		EXPECT_NE(written.end(), std::find(written.begin(), written.end(), name)) << name;
	const CRefHolder<TabSceneNode> copy(static_cast<TabSceneNode*>(tabs->clone()));
	copy->drop();
	EXPECT_EQ(3, copy->getTabsCount());
	EXPECT_EQ(2, copy->getActiveTabIndex());
	EXPECT_TRUE(copy->getHideTabButtonOnSelect());
	EXPECT_EQ(copy->findChildByNameId(nodetest::nameId("Tab3"), 1), copy->getPage(2)) << "bound to its own pages";

	const CRefHolder<TabSceneNode> plain = adoptRef(new TabSceneNode(ContentReference(), nullptr, nullptr));
	const std::vector<std::string> none = writtenProperties(plain.get());
	for (const char* name : {"TabsCount", "ActiveTabIndex", "HideTabButtonOnSelect"})
		EXPECT_EQ(none.end(), std::find(none.begin(), none.end(), name)) << name;
}
} // namespace
