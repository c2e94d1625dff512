// The main menu and the scenes it opens, in the game started headless from the staged folder on a
// hand-stepped clock: greeting, buttons, first start, quitting, credits, achievements, the pop-up,
// the street's sounds and the scrolling sequence.

#include "GameTestSupport.h"
#include "platform/CEventDevice.h"
#include "platform/SoundTestSupport.h"
#include "support/LogCapture.h"
#include "video/VideoTestSupport.h"

#include "app/GAchievementUnlockedScene.h"
#include "app/GAchievementsProgress.h"
#include "app/GAchievementsScene.h"
#include "app/GCreditsScene.h"
#include "app/GLogosConfiguration.h"
#include "app/GMainMenuScene.h"
#include "app/GQuitConfirmationScene.h"
#include "content/CAtlasTexture.h"
#include "content/CContentManager.h"
#include "core/CEventControl.h"
#include "core/CEventInput.h"
#include "core/CNodeFactory.h"
#include "core/NodeCasts.h"
#include "level/data/GLevelPaths.h"
#include "platform/CProfile.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "widgets/ListNode.h"
#include "widgets/SliderNode.h"
#include "widgets/SpriteNode.h"
#include "widgets/TextNode.h"

#include <fstream>
#include <memory>

using namespace fw;
using namespace apptest;

namespace
{
// Stand-ins of the map and the level-completed panel, which the menu knows by their kinds.
class CTestMapScene : public GBaseSceneNode
{
public:
	FW_NODE_CLASS(CTestMapScene, GBaseSceneNode, NODE_TYPE_GAME_MAP_SCENE, L"TestMapScene")
	using GBaseSceneNode::GBaseSceneNode;
};
class CTestLevelCompletedScene : public GBaseSceneNode
{
public:
	FW_NODE_CLASS(CTestLevelCompletedScene, GBaseSceneNode, NODE_TYPE_GAME_LEVEL_COMPLETED_SCENE,
		L"TestLevelCompletedScene")
	using GBaseSceneNode::GBaseSceneNode;
};
} // namespace

namespace
{
std::string stateOf(const BaseNode* node)
{
	return node && node->getCurrentStateId() >= 0
		? CNameTableSingleton::Instance().lookup(node->getCurrentStateId()).c_str()
		: "none";
}

std::string text(const core::stringw& wide)
{
	return core::stringc(wide).c_str();
}

// The game from a folder of its own: the staged assets, and beside them the files a test writes,
// which come first.
class MenuGame : public HeadlessGame
{
protected:
	void SetUp() override
	{
		log.reset(new test::CLogCapture);
		HeadlessGame::SetUp();
		sounds = device->getSoundManager();
		// Cues that play without files, registered before the staged pack's.
		for (const char* name : {"MenuMusic", "MainMenuAmbient", "MainMenuCarOut", "MainMenuCarTo"})
			if (sounds->findCue(id(name)))
				ownCues = false;
			else
			{
				const CRefHolder<CSoundCue> cue = adoptRef(new CSoundCue(id(name)));
				cue->addSound(adoptRef(new soundtest::CScriptedSound(name)).get());
				cue->setGroupId(std::string(name) == "MenuMusic" ? 1 : 0);
				sounds->registerCue(cue.get());
			}
		// The player the menu meets, made once the game has set the players' defaults.
		if (playerName)
		{
			CProfileManager& profiles = CProfileManagerSingleton::Instance();
			ASSERT_TRUE(profiles.addProfile(playerName));
			profiles.setActiveProfile(profiles.getProfileCount() - 1);
			game->applySoundSettings();
		}
		CNodeFactory& factory = CNodeFactorySingleton::Instance();
		registerNodeClass<CTestMapScene>(factory);
		registerNodeClass<CTestLevelCompletedScene>(factory);
		game->getLogos()->getLogos().clear();
		ASSERT_TRUE(advanceUntil([this] { return nodeCast<GMainMenuScene>(activeScene()) != nullptr; }, 20000));
		menu = nodeCast<GMainMenuScene>(activeScene());
		settle();
	}

	void TearDown() override
	{
		if (HasFailure())
			std::printf("%s", log->all().c_str());
		if (sounds)
			for (s32 group = 0; group < 3; ++group)
				sounds->stopGroup(group);
		HeadlessGame::TearDown();
	}

	std::string workingFolder() override
	{
		std::filesystem::create_directories(folder.path + "/scenes");
		std::filesystem::create_directory_symlink(std::string(QB_STAGE_DIR) + "/assets", folder.path + "/assets");
		writeFiles();
		return folder.path;
	}

	virtual void writeFiles()
	{
		write("scenes/TestMap.oscn", "<SceneNode Type=\"TestMapScene\"/>");
		write("scenes/TestLevelCompleted.oscn", "<SceneNode Type=\"TestLevelCompletedScene\"/>");
	}
	void write(const std::string& name, const std::string& body)
	{
		std::ofstream(folder.path + "/" + name) << "<?xml version=\"1.0\"?>\n" << body << "\n";
	}

	// Transitions end.
	void settle() { advance(1000); }

	bool press(SceneNode* scene, const char* name)
	{
		BaseNode* node = scene->findChildByNameId(id(name), -1);
		CRefHolder<BaseNode> stand;
		if (!node)
		{
			// A node the scene file lacks: pressed all the same.
			stand = adoptRef(new BaseNode(ContentReference(), nullptr, nullptr));
			stand->setName(name);
			node = stand.get();
		}
		const bool handled = scene->onEvent(adoptRef(new CEventNodePressed(node)).get());
		settle();
		return handled;
	}

	void releaseKey(u32 key)
	{
		// As a keyboard sends it: down, then up.
		device->postEvent(adoptRef(new CEventInputKeyDown(0, key, false, false)).get());
		step(10);
		device->postEvent(adoptRef(new CEventInputKeyUp(0, key, false, false)).get());
		settle();
	}

	// Cues are heard only where this test made them: a game started earlier in the process leaves
	// the staged pack's cues, whose files went with it. Run alone (as CTest runs each test), they
	// are always the test's.
	bool playing(const char* name) const { return !ownCues || sounds->isPlaying(id(name)); }
	bool silent(const char* name) const { return !ownCues || !sounds->isPlaying(id(name)); }
	bool ownCues = true;

	const wchar_t* playerName = L"Ann";
	CTemporaryFolder folder;
	std::unique_ptr<test::CLogCapture> log;
	CSoundManager* sounds = nullptr;
	GMainMenuScene* menu = nullptr;
};

const u32 ESCAPE = 27;
const u32 ENTER = 13;
} // namespace

TEST_F(MenuGame, TheMenuGreetsThePlayerWithTheStreetAndItsMusic)
{
	ASSERT_NE(nullptr, menu);
	ASSERT_NE(nullptr, menu->getWelcomeText());
	EXPECT_EQ("Welcome back, Ann!", text(menu->getWelcomeText()->getDisplayText()));
	EXPECT_TRUE(playing("MenuMusic"));
	EXPECT_TRUE(playing("MainMenuAmbient"));
	EXPECT_NE(nullptr, menu->getLevelPaths()->findPath(id("Bike"), *menu->getServices().random));
	EXPECT_NE(nullptr, menu->getLevelPaths()->findPath(id("Path"), *menu->getServices().random));
	EXPECT_NE(nullptr, menu->getLevelPaths()->findPath(id("Clouds"), *menu->getServices().random));
	EXPECT_NE(nullptr, menu->getLevelPaths()->randomPedestrianPath(*menu->getServices().random));
	// The normal face.
	ASSERT_NE(nullptr, menu->getClipNode());
	ASSERT_NE(nullptr, menu->getBackButton());
	EXPECT_TRUE(menu->getSceneRoot()->isVisible());
	EXPECT_FALSE(menu->getClipNode()->isVisible());
	EXPECT_FALSE(menu->getBackButton()->isVisible());
	EXPECT_FALSE(menu->getBackButton()->isEnabled());
}

TEST_F(MenuGame, ANameShowsAsTypedAndTheGreetingFollowsThePlayer)
{
	const struct
	{
		const wchar_t* name;
		const char* shown;
	} names[] = {
		{L"Bea", "Welcome back, Bea!"},
		{L"100%", "Welcome back, 100%!"},
		{L"%TitleName%", "Welcome back, %TitleName%!"},
		{L"#p and %%", "Welcome back, #p and %%!"},
		// As older files may hold it: shown without the line break around it.
		{L" Cy\n", "Welcome back, Cy!"},
	};
	CProfileManager& profiles = CProfileManagerSingleton::Instance();
	for (const auto& n : names)
	{
		ASSERT_TRUE(profiles.addProfile(n.name));
		profiles.setActiveProfile(profiles.getProfileCount() - 1);
		// The next entrance greets the new player: out to the credits and back.
		ASSERT_TRUE(press(menu, "CreditsButton"));
		releaseKey(ESCAPE);
		ASSERT_EQ(menu, activeScene());
		EXPECT_EQ(n.shown, text(menu->getWelcomeText()->getDisplayText()));
	}
}

TEST_F(MenuGame, TheButtonsOpenTheirScenesOverTheMenu)
{
	const struct
	{
		const char* button;
		const char* scene;
	} buttons[] = {
		{"QuitButton", "QuitConfirmationScene"},
		{"CreditsButton", "CreditsScene"},
		{"AchievementsButton", "AchievementsScene"},
		{"ChangePlayerButton", "SelectPlayerScene"},
		{"OptionsButton", "OptionsScene"},
	};
	for (const auto& b : buttons)
	{
		EXPECT_TRUE(press(menu, b.button)) << b.button;
		ASSERT_NE(menu, activeScene()) << b.button;
		EXPECT_EQ(b.scene, std::string(activeScene()->getName().c_str()));
		EXPECT_EQ(menu, activeScene()->getPreviousScene());
		EXPECT_TRUE(menu->isVisible()) << "kept visible under " << b.scene;
		releaseKey(ESCAPE);
		EXPECT_EQ(menu, activeScene()) << b.scene;
	}
	// Presses the menu consumes without opening anything, and those it leaves alone.
	for (const char* name : {"Baloon", "Baloon2"})
	{
		EXPECT_TRUE(press(menu, name)) << name;
		EXPECT_EQ(menu, activeScene()) << name;
	}
	EXPECT_FALSE(press(menu, "Title"));
}

TEST_F(MenuGame, CreditsAndAchievementsLeaveOnEscapeEnterAndBackSlidingTheMenuIn)
{
	for (const char* button : {"CreditsButton", "AchievementsButton"})
		for (int way = 0; way < 3; ++way)
		{
			ASSERT_TRUE(press(menu, button));
			SceneNode* overlay = activeScene();
			ASSERT_NE(menu, overlay);
			// Other presses keep it open.
			EXPECT_FALSE(press(overlay, "Title"));
			EXPECT_EQ(overlay, activeScene());
			if (way == 0)
				releaseKey(ESCAPE);
			else if (way == 1)
				releaseKey(ENTER);
			else
				EXPECT_TRUE(press(overlay, "BackButton"));
			EXPECT_EQ(menu, activeScene()) << button << " " << way;
			EXPECT_EQ("NavBackToSlide", stateOf(menu->getSceneRoot())) << button << " " << way;
		}
}

TEST_F(MenuGame, TheQuitConfirmationClosesOnEscapeOrNoAndEndsTheProgramOnYes)
{
	ASSERT_TRUE(press(menu, "QuitButton"));
	SceneNode* dialog = activeScene();
	ASSERT_NE(nullptr, nodeCast<GQuitConfirmationScene>(dialog));
	EXPECT_EQ(0.f, menu->getSceneRoot()->getPosition().X) << "the menu stays still";
	EXPECT_TRUE(menu->getSceneRoot()->isVisible());
	releaseKey(ENTER);
	EXPECT_EQ(dialog, activeScene()) << "Enter does nothing";
	releaseKey(ESCAPE);
	EXPECT_EQ(menu, activeScene());
	EXPECT_EQ(0.f, menu->getSceneRoot()->getPosition().X);

	ASSERT_TRUE(press(menu, "QuitButton"));
	EXPECT_TRUE(press(activeScene(), "NoButton"));
	EXPECT_EQ(menu, activeScene());

	ASSERT_TRUE(press(menu, "QuitButton"));
	EXPECT_EQ(0u, log->countContaining("closeDevice() was called"));
	EXPECT_TRUE(press(activeScene(), "YesButton"));
	EXPECT_EQ(1u, log->countContaining("closeDevice() was called"));
}

TEST_F(MenuGame, NewGameLoadsTheFirstLevelOrOpensTheMap)
{
	CProfile* player = CProfileManagerSingleton::Instance().getActiveProfile();
	ASSERT_NE(nullptr, player);
	ASSERT_EQ(-1, player->getInt(PROFILE_MAX_UNLOCKED_LEVEL_INDEX));
	player->setInt(PROFILE_LEVEL_INDEX, 7);
	EXPECT_TRUE(press(menu, "NewGameButton"));
	EXPECT_EQ(0, player->getInt(PROFILE_LEVEL_INDEX));
	EXPECT_EQ("LoadingLevelScene", std::string(activeScene()->getName().c_str()));
	EXPECT_FALSE(menu->isVisible()) << "hidden under the loading scene";
	activeScene()->goBack(0);
	settle();
	ASSERT_EQ(menu, activeScene());

	player->setInt(PROFILE_MAX_UNLOCKED_LEVEL_INDEX, 0);
	EXPECT_TRUE(press(menu, "NewGameButton"));
	EXPECT_EQ("MapScene", std::string(activeScene()->getName().c_str()));
	activeScene()->goBack(0);
	settle();

	// Without a player it does nothing.
	CProfileManagerSingleton::Instance().setActiveProfile(-1);
	EXPECT_TRUE(press(menu, "NewGameButton"));
	EXPECT_EQ(menu, activeScene());
}

TEST_F(MenuGame, LeavingForTheMapStopsTheStreetButNotTheMusic)
{
	ASSERT_TRUE(press(menu, "CreditsButton"));
	EXPECT_TRUE(playing("MainMenuAmbient")) << "the credits stop nothing";
	releaseKey(ESCAPE);
	sounds->play(id("MainMenuCarOut"));
	sounds->play(id("MainMenuCarTo"));
	ASSERT_NE(nullptr, menu->openSceneFile("scenes/TestMap.oscn", false));
	settle();
	EXPECT_TRUE(playing("MenuMusic"));
	step(10);
	advance(3000);
	for (const char* cue : {"MainMenuAmbient", "MainMenuCarOut", "MainMenuCarTo"})
		EXPECT_TRUE(silent(cue)) << cue;
	EXPECT_TRUE(playing("MenuMusic"));
}

TEST_F(MenuGame, AfterTheLastLevelTheMenuScrollsUntilBackIsPressed)
{
	ASSERT_NE(nullptr, menu->openSceneFile("scenes/TestLevelCompleted.oscn", false));
	settle();
	activeScene()->goBack(0);
	settle();
	ASSERT_EQ(menu, activeScene());
	EXPECT_FALSE(menu->getSceneRoot()->isVisible());
	EXPECT_EQ(1024.f, menu->getSceneRoot()->getPosition().X);
	EXPECT_TRUE(menu->getClipNode()->isVisible());
	EXPECT_TRUE(menu->getBackButton()->isVisible());
	EXPECT_TRUE(menu->getBackButton()->isEnabled());

	EXPECT_TRUE(press(menu, "BackButton"));
	EXPECT_TRUE(menu->getSceneRoot()->isVisible());
	EXPECT_EQ(0.f, menu->getSceneRoot()->getPosition().X) << "slid back";
	EXPECT_FALSE(menu->getClipNode()->isVisible());
	EXPECT_FALSE(menu->getBackButton()->isEnabled());

	// Entered from anywhere else, the normal face, whatever the sequence was left at.
	ASSERT_NE(nullptr, menu->openSceneFile("scenes/TestLevelCompleted.oscn", false));
	settle();
	activeScene()->goBack(0);
	settle();
	ASSERT_TRUE(menu->getClipNode()->isVisible());
	ASSERT_TRUE(press(menu, "CreditsButton"));
	releaseKey(ESCAPE);
	EXPECT_TRUE(menu->getSceneRoot()->isVisible());
	EXPECT_FALSE(menu->getClipNode()->isVisible());
	EXPECT_FALSE(menu->getBackButton()->isVisible());
}

namespace
{
// What a tab's list holds: text `slot` of each of its items.
std::vector<std::string> listTexts(const GAchievementsScene& scene, GAchievementsScene::ETab tab, u32 slot)
{
	std::vector<std::string> texts;
	const ListNode* list = scene.getList(tab);
	for (u32 i = 0; list && i < list->getItemCount(); ++i)
	{
		const ListItem* item = list->getItem(i);
		texts.push_back(slot < item->texts.size() ? text(item->texts[slot]) : "<no slot>");
	}
	return texts;
}

// The words a tab shows beside its list when the list is empty; null when it has none.
const TextNode* emptyText(const GAchievementsScene& scene, GAchievementsScene::ETab tab)
{
	const ListNode* list = scene.getList(tab);
	BaseNode* page = list ? list->getParent() : nullptr;
	return page ? nodeCast<TextNode>(page->findChildByNameId(id("EmptyText"), 1)) : nullptr;
}

std::string iconOf(const GAchievementsScene& scene, GAchievementsScene::ETab tab, u32 item)
{
	const ListItem* listItem = scene.getList(tab)->getItem(item);
	if (!listItem || listItem->images.empty() || !listItem->images[0])
		return "none";
	return listItem->images[0]->getContentReference().getName().c_str();
}
} // namespace

TEST_F(MenuGame, TheAchievementsListEveryAchievementInItsTab)
{
	// The null driver makes textures of no size, which give no icons: a driver whose textures have
	// their pixels.
	CRefHolder<test::CRecordingVideoDriver> texturing = test::makeRecordingDriver();
	texturing->makeTextures = true;
	device->postEvent(adoptRef(new CEventDeviceVideoDriverCreated(texturing.get())).get());
	struct SRestore
	{
		CDeviceStub* device;
		~SRestore() { device->postEvent(adoptRef(new CEventDeviceVideoDriverCreated(device->getVideoDriver())).get()); }
	} restore{device};
	GAchievementsProgress* progress = game->getAchievements();
	ASSERT_NE(nullptr, progress);
	auto openAchievements = [&]() -> GAchievementsScene*
	{
		EXPECT_TRUE(press(menu, "AchievementsButton"));
		GAchievementsScene* scene = nodeCast<GAchievementsScene>(activeScene());
		for (int tab = 0; scene && tab < GAchievementsScene::TAB_COUNT; ++tab)
			EXPECT_NE(nullptr, scene->getList(GAchievementsScene::ETab(tab))) << tab;
		return scene;
	};
	using Texts = std::vector<std::string>;

	// None earned: every row still to earn, with its progress.
	GAchievementsScene* scene = openAchievements();
	ASSERT_NE(nullptr, scene);
	ASSERT_NE(nullptr, scene->getEarnedText());
	EXPECT_EQ("0/12", text(scene->getEarnedText()->getText()));
	ASSERT_EQ(12u, scene->getRows(GAchievementsScene::TAB_ALL).size());
	EXPECT_EQ(0u, scene->getRows(GAchievementsScene::TAB_EARNED).size());
	ASSERT_EQ(12u, scene->getRows(GAchievementsScene::TAB_PENDING).size());
	const SAchievementRow& first = scene->getRows(GAchievementsScene::TAB_ALL)[0];
	EXPECT_EQ("%Achievements_1%", text(first.texts[0]));
	EXPECT_EQ("%Achievements_1DescBefore%", text(first.texts[1]));
	EXPECT_EQ("1/6", text(first.texts[2]));
	EXPECT_EQ("scenes/images/Achievements/Icon1.png", std::string(first.icon.c_str()));
	EXPECT_EQ("$0/$2,500,000", text(scene->getRows(GAchievementsScene::TAB_PENDING)[7].texts[2]));
	// The lists hold the same: every achievement still to earn, in order, with its progress.
	const Texts allNames = listTexts(*scene, GAchievementsScene::TAB_ALL, 0);
	ASSERT_EQ(12u, allNames.size());
	EXPECT_TRUE(listTexts(*scene, GAchievementsScene::TAB_EARNED, 0).empty());
	EXPECT_EQ(allNames, listTexts(*scene, GAchievementsScene::TAB_PENDING, 0));
	// The empty earned tab says in words that nothing is earned yet.
	const TextNode* noneYet = emptyText(*scene, GAchievementsScene::TAB_EARNED);
	ASSERT_NE(nullptr, noneYet) << "the earned tab has no words for an empty list";
	EXPECT_TRUE(noneYet->isVisible());
	EXPECT_EQ("%Achievements_NoneYet%", text(noneYet->getText()));
	EXPECT_NE("%Achievements_NoneYet%", text(device->getDictionary()->translate(noneYet->getText())))
		<< "the dictionary holds the words";
	// Nor does it offer a scroll bar over nothing.
	{
		const ListNode* earnedList = scene->getList(GAchievementsScene::TAB_EARNED);
		ASSERT_NE(nullptr, earnedList->getSlider());
		EXPECT_FALSE(earnedList->getSlider()->isVisible());
		EXPECT_FALSE(earnedList->getPrevButton()->isVisible());
		EXPECT_FALSE(earnedList->getNextButton()->isVisible());
	}
	for (u32 n = 0; n < GAchievementsProgress::COUNT; ++n)
	{
		EXPECT_EQ(text(progress->getNameKey(n)), allNames[n]) << n;
		EXPECT_EQ(text(progress->getDescBeforeKey(n)), listTexts(*scene, GAchievementsScene::TAB_ALL, 1)[n]) << n;
		EXPECT_EQ(text(achievementProgressText(*progress, n, scene->getServices().dictionary)),
			listTexts(*scene, GAchievementsScene::TAB_ALL, 2)[n])
			<< n;
		EXPECT_EQ(progress->getIconFileName(n).c_str(), iconOf(*scene, GAchievementsScene::TAB_PENDING, n)) << n;
	}
	EXPECT_EQ("1/6", listTexts(*scene, GAchievementsScene::TAB_ALL, 2)[0]);
	EXPECT_EQ("$0/$2,500,000", listTexts(*scene, GAchievementsScene::TAB_PENDING, 2)[7]);
	EXPECT_EQ("scenes/images/Achievements/Icon1.png", iconOf(*scene, GAchievementsScene::TAB_ALL, 0));
	EXPECT_EQ("scenes/images/Achievements/Icon12.png", iconOf(*scene, GAchievementsScene::TAB_ALL, 11));
	// The rows are on screen: the first element of the all list shows the first achievement.
	{
		const ListNode* list = scene->getList(GAchievementsScene::TAB_ALL);
		ASSERT_GT(list->getElementCount(), 1u);
		EXPECT_LT(list->getElementCount(), 12u) << "the list scrolls";
		EXPECT_NE(nullptr, list->getSlider());
		const BaseNode* element = list->getElement(0);
		ASSERT_NE(nullptr, element);
		EXPECT_TRUE(element->isVisible());
		std::vector<std::string> shown;
		const SpriteNode* icon = nullptr;
		const core::array<BaseNode*>& parts = element->getChildren();
		for (u32 i = 0; i < parts.size(); ++i)
		{
			if (const TextNode* t = nodeCast<TextNode>(parts[i]))
				shown.push_back(text(t->getText()));
			if (!icon && parts[i]->getNameId() == id("Image"))
				icon = nodeCast<SpriteNode>(parts[i]);
		}
		EXPECT_EQ((Texts{"%Achievements_1%", "%Achievements_1DescBefore%", "1/6"}), shown);
		ASSERT_NE(nullptr, icon);
		EXPECT_NE(nullptr, icon->getAtlasTexture());
	}
	releaseKey(ESCAPE);

	// Some earned.
	progress->addProgress(4, 12);
	progress->addProgress(7, 1234567);
	progress->addProgress(11, 30);
	progress->addProgress(1, 3);
	scene = openAchievements();
	ASSERT_NE(nullptr, scene);
	EXPECT_EQ("2/12", text(scene->getEarnedText()->getText()));
	const core::array<SAchievementRow>& earned = scene->getRows(GAchievementsScene::TAB_EARNED);
	ASSERT_EQ(2u, earned.size());
	EXPECT_EQ("%Achievements_2%", text(earned[0].texts[0]));
	EXPECT_EQ("\n%Achievements_2DescAfter%", text(earned[0].texts[1]));
	EXPECT_EQ("", text(earned[0].texts[2]));
	EXPECT_EQ("%Achievements_12%", text(earned[1].texts[0]));
	const core::array<SAchievementRow>& all = scene->getRows(GAchievementsScene::TAB_ALL);
	EXPECT_EQ("%Achievements_AlreadyEarned%", text(all[1].texts[2]));
	EXPECT_EQ("%Achievements_2DescAfter%", text(all[1].texts[1]));
	EXPECT_EQ("12/50", text(all[4].texts[2]));
	EXPECT_EQ("$1,234,567/$2,500,000", text(all[7].texts[2]));
	EXPECT_EQ("$0/$7,500,000", text(all[8].texts[2]));
	EXPECT_EQ(10u, scene->getRows(GAchievementsScene::TAB_PENDING).size());
	EXPECT_EQ((Texts{"%Achievements_2%", "%Achievements_12%"}), listTexts(*scene, GAchievementsScene::TAB_EARNED, 0));
	EXPECT_EQ((Texts{"\n%Achievements_2DescAfter%", "\n%Achievements_12DescAfter%"}),
		listTexts(*scene, GAchievementsScene::TAB_EARNED, 1));
	EXPECT_EQ((Texts{"", ""}), listTexts(*scene, GAchievementsScene::TAB_EARNED, 2));
	EXPECT_FALSE(emptyText(*scene, GAchievementsScene::TAB_EARNED)->isVisible()) << "hidden once one is earned";
	EXPECT_TRUE(scene->getList(GAchievementsScene::TAB_EARNED)->getSlider()->isVisible()) << "and the scroll bar back";
	EXPECT_EQ("scenes/images/Achievements/Icon12.png", iconOf(*scene, GAchievementsScene::TAB_EARNED, 1));
	{
		const Texts allProgress = listTexts(*scene, GAchievementsScene::TAB_ALL, 2);
		ASSERT_EQ(12u, allProgress.size()) << "the all list was refilled, not grown";
		EXPECT_EQ("%Achievements_AlreadyEarned%", allProgress[1]);
		EXPECT_EQ("%Achievements_AlreadyEarned%", allProgress[11]);
		EXPECT_EQ("12/50", allProgress[4]);
		EXPECT_EQ("$1,234,567/$2,500,000", allProgress[7]);
		EXPECT_EQ("%Achievements_2DescAfter%", listTexts(*scene, GAchievementsScene::TAB_ALL, 1)[1]);
		const Texts pending = listTexts(*scene, GAchievementsScene::TAB_PENDING, 0);
		ASSERT_EQ(10u, pending.size());
		EXPECT_EQ("%Achievements_1%", pending[0]);
		EXPECT_EQ("%Achievements_3%", pending[1]);
		EXPECT_EQ("%Achievements_11%", pending[9]);
		EXPECT_EQ("12/50", listTexts(*scene, GAchievementsScene::TAB_PENDING, 2)[3]);
	}
	releaseKey(ENTER);
	ASSERT_EQ(menu, activeScene());

	// All earned.
	for (u32 n = 0; n < GAchievementsProgress::COUNT; ++n)
		if (!progress->isEarned(n))
			progress->addProgress(n, progress->getTarget(n) - (n >= 7 && n <= 9 ? 0 : progress->getProgress(n)));
	scene = openAchievements();
	ASSERT_NE(nullptr, scene);
	EXPECT_EQ("12/12", text(scene->getEarnedText()->getText()));
	EXPECT_EQ(0u, scene->getRows(GAchievementsScene::TAB_PENDING).size());
	EXPECT_EQ(12u, scene->getRows(GAchievementsScene::TAB_EARNED).size());
	const core::array<SAchievementRow>& allEarned = scene->getRows(GAchievementsScene::TAB_ALL);
	for (u32 n = 0; n < allEarned.size(); ++n)
		EXPECT_EQ("%Achievements_AlreadyEarned%", text(allEarned[n].texts[2])) << n;
	EXPECT_EQ(Texts(12, "%Achievements_AlreadyEarned%"), listTexts(*scene, GAchievementsScene::TAB_ALL, 2));
	EXPECT_EQ(12u, listTexts(*scene, GAchievementsScene::TAB_EARNED, 0).size());
	EXPECT_TRUE(listTexts(*scene, GAchievementsScene::TAB_PENDING, 0).empty());
	for (u32 i = 0; i < scene->getList(GAchievementsScene::TAB_PENDING)->getElementCount(); ++i)
		EXPECT_FALSE(scene->getList(GAchievementsScene::TAB_PENDING)->getElement(i)->isVisible()) << i;
}

TEST_F(MenuGame, ThePopUpShowsTheAchievementAndClosesOnOkEscapeOrEnter)
{
	// The null driver makes textures of no size, which give no pictures: a driver whose textures
	// have their pixels.
	CRefHolder<test::CRecordingVideoDriver> texturing = test::makeRecordingDriver();
	texturing->makeTextures = true;
	device->postEvent(adoptRef(new CEventDeviceVideoDriverCreated(texturing.get())).get());
	struct SRestore
	{
		CDeviceStub* device;
		~SRestore() { device->postEvent(adoptRef(new CEventDeviceVideoDriverCreated(device->getVideoDriver())).get()); }
	} restore{device};
	for (int way = 0; way < 3; ++way)
	{
		CRefHolder<CContent> loaded = adoptRef(game->getContentManager()->getContent(CONTENT_TYPE_SCENE_NODE,
			GAchievementUnlockedScene::SCENE_FILE, true));
		GAchievementUnlockedScene* popUp = nodeCast<GAchievementUnlockedScene>(dynamic_cast<BaseNode*>(loaded.get()));
		ASSERT_NE(nullptr, popUp);
		ASSERT_NE(nullptr, popUp->getImage());
		ASSERT_NE(nullptr, popUp->getNameText());
		ASSERT_NE(nullptr, popUp->getDescriptionText());
		popUp->show(11);
		EXPECT_EQ("%Achievements_12%", text(popUp->getNameText()->getText()));
		EXPECT_EQ("%Achievements_12DescAfter%", text(popUp->getDescriptionText()->getText()));
		ASSERT_NE(nullptr, popUp->getImage()->getAtlasTexture());
		EXPECT_EQ("scenes/images/Achievements/Icon12.png",
			std::string(popUp->getImage()->getAtlasTexture()->getContentReference().getName().c_str()));
		popUp->show(12);
		EXPECT_EQ("%Achievements_12%", text(popUp->getNameText()->getText())) << "out of range: unchanged";

		ASSERT_TRUE(menu->openScene(popUp, true, id("NavFrom"), id("NavTo")));
		settle();
		ASSERT_EQ(popUp, activeScene());
		if (way == 0)
			EXPECT_TRUE(press(popUp, "OkButton"));
		else
			releaseKey(way == 1 ? ESCAPE : ENTER);
		EXPECT_EQ(menu, activeScene()) << way;
	}
}

// A first start: no player yet.
class FirstStart : public MenuGame
{
protected:
	FirstStart() { playerName = nullptr; }
	void writeFiles() override
	{
		MenuGame::writeFiles();
		write("scenes/SelectPlayerScene.oscn",
			"<SceneNode Type=\"SceneNode\"><Properties>"
			"<string Name=\"Name\" Value=\"SelectPlayerScene\" /></Properties>"
			"</SceneNode>");
		write("scenes/SelectPlayerInputNameScene.oscn",
			"<SceneNode Type=\"SceneNode\"><Properties>"
			"<string Name=\"Name\" Value=\"SelectPlayerInputNameScene\" /></Properties></SceneNode>");
	}
};

TEST_F(FirstStart, TheNameEntryOpensOverThePlayerListOverTheMenu)
{
	ASSERT_NE(nullptr, menu);
	SceneNode* top = activeScene();
	ASSERT_NE(nullptr, top);
	EXPECT_EQ("SelectPlayerInputNameScene", std::string(top->getName().c_str()));
	ASSERT_NE(nullptr, top->getPreviousScene());
	EXPECT_EQ("SelectPlayerScene", std::string(top->getPreviousScene()->getName().c_str()));
	EXPECT_EQ(menu, top->getPreviousScene()->getPreviousScene());
	EXPECT_TRUE(menu->isVisible());
	EXPECT_EQ("", text(menu->getWelcomeText()->getDisplayText())) << "nobody to greet";
}

// Ten players and none of them active (the active one was deleted): the list, but no name entry.
class FullFirstStart : public FirstStart
{
protected:
	void beforeInit() override
	{
		std::string players;
		for (char name = 'A'; name < 'A' + 10; ++name)
			players += std::string("\t<Profile Name=\"") + name + "\">\n\t\t<Properties />\n\t</Profile>\n";
		std::filesystem::create_directories(std::filesystem::path(profileFile()).parent_path());
		std::ofstream(profileFile())
			<< "<?xml version=\"1.0\"?>\n<Profiles>\n\t<CommonProfile>\n\t\t<Properties />\n\t</CommonProfile>\n"
			<< players << "</Profiles>\n";
	}
};

TEST_F(FullFirstStart, TenPlayersWithoutAnActiveOneGetTheListButNoNameEntry)
{
	ASSERT_NE(nullptr, menu);
	ASSERT_EQ(10u, CProfileManagerSingleton::Instance().getProfileCount());
	EXPECT_EQ(nullptr, CProfileManagerSingleton::Instance().getActiveProfile());
	SceneNode* top = activeScene();
	ASSERT_NE(nullptr, top);
	EXPECT_EQ("SelectPlayerScene", std::string(top->getName().c_str()));
	EXPECT_EQ(menu, top->getPreviousScene());
}

TEST_F(MenuGame, AClickOnAButtonOfTheBoardOpensItsScene)
{
	// A drawn frame places the nodes where clicks are tested.
	device->postEvent(adoptRef(new CEventSystemFlowDraw()).get());
	const struct
	{
		s32 x, y;
		const char* scene;
	} clicks[] = {{820, 476, "CreditsScene"}, {820, 406, "AchievementsScene"}, {820, 546, "QuitConfirmationScene"}};
	for (const auto& c : clicks)
	{
		// In window pixels, where the game fitted its design screen (a display gives it a window).
		const core::vector3df& at = game->getSceneManager()->getPosition();
		const core::vector3df& scale = game->getSceneManager()->getScale();
		const s32 x = static_cast<s32>(at.X + c.x * scale.X);
		const s32 y = static_cast<s32>(at.Y + c.y * scale.Y);
		device->postEvent(adoptRef(new CEventInputMouseMove(x, y)).get());
		device->postEvent(adoptRef(new CEventInputMouseLeftDown(x, y)).get());
		step(10);
		device->postEvent(adoptRef(new CEventInputMouseLeftUp(x, y)).get());
		settle();
		EXPECT_EQ(c.scene, std::string(activeScene()->getName().c_str()));
		releaseKey(ESCAPE);
		ASSERT_EQ(menu, activeScene()) << c.scene;
		device->postEvent(adoptRef(new CEventSystemFlowDraw()).get());
	}
}
