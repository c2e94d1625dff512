// The game started headless on the null driver, driven by hand-stepped update events: the logos,
// the start-up steps, the window title, the sound groups and the profile.

#include "GameTestSupport.h"
#include "platform/CEventDevice.h"
#include "platform/SoundTestSupport.h"
#include "support/LogCapture.h"
#include "video/VideoTestSupport.h"

#include "app/GAchievementsProgress.h"
#include "app/GIntroScene.h"
#include "app/GLogosConfiguration.h"
#include "app/GLogosScene.h"
#include "app/GRectangleNode.h"
#include "content/CAtlasTexture.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "core/CEventInput.h"
#include "core/CNodeFactory.h"
#include "core/NodeCasts.h"
#include "core/PropertyAccessors.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GComicsConfiguration.h"
#include "level/data/GLevelScores.h"
#include "level/data/GUpgradesConfiguration.h"
#include "platform/CProfile.h"
#include "platform/CProfileManager.h"
#include "platform/CRandomGenerator.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "platform/DeviceSettings.h"
#include "widgets/SpriteNode.h"
#include "widgets/TemplateCollectionNode.h"

#include <climits>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

using namespace fw;
using namespace apptest;

namespace
{
core::stringc pictureOf(SpriteNode* sprite)
{
	return sprite && sprite->getAtlasTexture() ? sprite->getAtlasTexture()->getContentReference().getName()
											   : core::stringc("none");
}

std::string stateOf(const BaseNode* node)
{
	return node->getCurrentStateId() < 0 ? "none"
										 : CNameTableSingleton::Instance().lookup(node->getCurrentStateId()).c_str();
}

bool click(CDeviceStub* device)
{
	return device->postEvent(adoptRef(new CEventInputMouseLeftDown(512, 384)).get());
}

// Two logos of 2000 ms, the first one not skippable, in place of the staged list.
class LogosGame : public HeadlessGame
{
protected:
	void SetUp() override
	{
		log.reset(new test::CLogCapture);
		HeadlessGame::SetUp();
		core::array<GLogosConfiguration::SLogo>& logos = game->getLogos()->getLogos();
		ASSERT_EQ(2u, logos.size()) << "the staged list";
		logos[0].time = 2000;
		logos[1].time = 2000;
		ASSERT_FALSE(logos[0].skippable);
		ASSERT_TRUE(logos[1].skippable);
		logosScene = nodeCast<GLogosScene>(activeScene());
		ASSERT_NE(nullptr, logosScene);
		// The null driver makes textures of no size, which no sprite shows: the game's pictures are
		// made by a driver whose textures have their pixels.
		texturing = test::makeRecordingDriver();
		texturing->makeTextures = true;
		device->postEvent(adoptRef(new CEventDeviceVideoDriverCreated(texturing.get())).get());
		// The entrance completes with the first update.
		step(10);
		ASSERT_EQ(1u, logos.size());
	}

	void TearDown() override
	{
		if (HasFailure())
			std::printf("%s", log->all().c_str());
		HeadlessGame::TearDown();
		// The game's pictures go with the game; the device's own driver comes back for the next.
		device->postEvent(adoptRef(new CEventDeviceVideoDriverCreated(device->getVideoDriver())).get());
	}

	GLogosScene* logosScene = nullptr;
	std::unique_ptr<test::CLogCapture> log;
	CRefHolder<test::CRecordingVideoDriver> texturing;
};

TEST_F(LogosGame, EachLogoStaysForItsTimeWithTheSwapStates)
{
	SpriteNode* first = logosScene->getFirstSprite();
	SpriteNode* second = logosScene->getSecondSprite();
	ASSERT_NE(nullptr, first);
	ASSERT_NE(nullptr, second);
	EXPECT_EQ(core::stringc("logos/Fennlark.png"), pictureOf(second));
	EXPECT_EQ("Swap0", stateOf(second));
	EXPECT_EQ(core::stringc("none"), pictureOf(first));

	// The timer beats every 30 ms from the entrance: the first logo's 2000 ms end at the 67th beat.
	advance(1990);
	EXPECT_EQ(core::stringc("logos/Fennlark.png"), pictureOf(second));
	advance(30);
	EXPECT_EQ(core::stringc("logos/Quillbrook.png"), pictureOf(second));
	EXPECT_EQ("Swap", stateOf(second));
	EXPECT_EQ(core::stringc("logos/Fennlark.png"), pictureOf(first));
	EXPECT_EQ("Swap", stateOf(first));

	advance(2040);
	EXPECT_TRUE(logosScene->isFinished());
	EXPECT_EQ(core::stringc("none"), pictureOf(second)) << "the last picture leaves";
	EXPECT_EQ(core::stringc("logos/Quillbrook.png"), pictureOf(first));
	EXPECT_EQ(logosScene, activeScene());

	// One more second, then the intro opens over the logos.
	ASSERT_TRUE(advanceUntil([this] { return nodeCast<GIntroScene>(activeScene()) != nullptr; }, 1200));
	EXPECT_EQ(logosScene, activeScene()->getPreviousScene());
}

TEST_F(LogosGame, AClickSkipsOnlyASkippableLogoAndIsAlwaysConsumed)
{
	SpriteNode* second = logosScene->getSecondSprite();
	advance(500);
	EXPECT_TRUE(click(device)) << "consumed during the first logo";
	advance(100);
	EXPECT_EQ(core::stringc("logos/Fennlark.png"), pictureOf(second)) << "the first logo may not be skipped";
	ASSERT_TRUE(advanceUntil([&] { return pictureOf(second) == "logos/Quillbrook.png"; }, 2000));

	advance(100);
	EXPECT_TRUE(logosScene->isSkippable());
	EXPECT_TRUE(click(device));
	EXPECT_FALSE(logosScene->isSkippable());
	advance(30);
	EXPECT_TRUE(logosScene->isFinished()) << "the skip takes effect at the next beat";
	EXPECT_TRUE(click(device)) << "consumed after the last logo too";
}

TEST_F(LogosGame, ALogoOfNoTimeIsReplacedAtTheNextBeat)
{
	// The second logo, once shown, has no time at all.
	game->getLogos()->getLogos()[0].time = 0;
	ASSERT_TRUE(advanceUntil([this] { return pictureOf(logosScene->getSecondSprite()) == "logos/Quillbrook.png"; }));
	advance(30);
	EXPECT_TRUE(logosScene->isFinished());
}

TEST_F(LogosGame, ANegativeTimeCountsAsNone)
{
	// A hand-edited list may hold the bottom of the int range; counting down from it must not wrap.
	game->getLogos()->getLogos()[0].time = INT_MIN;
	ASSERT_TRUE(advanceUntil([this] { return pictureOf(logosScene->getSecondSprite()) == "logos/Quillbrook.png"; }));
	advance(30);
	EXPECT_TRUE(logosScene->isFinished());
}

// A working folder of the test's own: the staged assets/ beside files on disk, which the file
// system finds before anything in the archives.
class FolderGame : public HeadlessGame
{
protected:
	std::string workingFolder() override
	{
		std::filesystem::create_directories(folder.path + "/strings");
		std::filesystem::create_directories(folder.path + "/scenes");
		std::filesystem::create_directory_symlink(std::string(QB_STAGE_DIR) + "/assets", folder.path + "/assets");
		writeFiles();
		return folder.path;
	}
	virtual void writeFiles() {}
	void write(const std::string& name, const std::string& text) { std::ofstream(folder.path + "/" + name) << text; }

	CTemporaryFolder folder;
};

class BrokenIntroGame : public FolderGame
{
protected:
	void writeFiles() override { write("scenes/IntroScene.oscn", "<?xml version=\"1.0\"?>\n<NotAScene />\n"); }
};

TEST_F(BrokenIntroGame, AnIntroThatCannotOpenIsTriedAgainOnEveryBeat)
{
	test::CLogCapture log;
	GLogosScene* logosScene = nodeCast<GLogosScene>(activeScene());
	ASSERT_NE(nullptr, logosScene);
	game->getLogos()->getLogos().clear();
	ASSERT_TRUE(advanceUntil([&] { return logosScene->isFinished(); }, 100));
	advance(1200);
	EXPECT_EQ(logosScene, activeScene());
	EXPECT_NE(nullptr, logosScene->getManager()) << "the timer stays";
	EXPECT_GE(log.countContaining("The intro scene cannot be opened"), 5u);
	std::filesystem::remove(folder.path + "/scenes/IntroScene.oscn");
	ASSERT_TRUE(advanceUntil([this] { return nodeCast<GIntroScene>(activeScene()) != nullptr; }, 100))
		<< "a later beat opens it";
}

// Sound groups, settings and focus. Defined before the start-up tests, whose sound pack would
// take the cue names when all run in one process.
class SoundGame : public HeadlessGame
{
protected:
	void SetUp() override
	{
		HeadlessGame::SetUp();
		sounds = device->getSoundManager();
		for (const char* name : {"MenuMusic", "MainMenuAmbient", "Effect0", "Effect2"})
			addCue(name);
		CProfileManager& profiles = CProfileManagerSingleton::Instance();
		ASSERT_TRUE(profiles.addProfile(L"Ann"));
		profiles.setActiveProfile(profiles.getProfileCount() - 1);
		player = profiles.getActiveProfile();
	}
	void TearDown() override
	{
		for (u32 group = 0; group < 3; ++group)
			sounds->stopGroup(group);
		// The manager lets ended instances go on its next update.
		step(10);
		HeadlessGame::TearDown();
	}

	void addCue(const char* name)
	{
		if (sounds->findCue(id(name)))
			return;
		const CRefHolder<CSoundCue> cue = adoptRef(new CSoundCue(id(name)));
		cue->addSound(adoptRef(new soundtest::CScriptedSound(name)).get());
		cue->setGroupId(std::string(name) == "Effect0" ? 0 : std::string(name) == "Effect2" ? 2 : 1);
		sounds->registerCue(cue.get());
	}

	u32 playing(const char* name, s32 state = 2) const
	{
		u32 count = 0;
		for (u32 i = 0; i < sounds->getPlayingCount(); ++i)
			if (sounds->getPlaying(i)->getNameId() == id(name) && sounds->getPlaying(i)->getState() == state)
				++count;
		return count;
	}

	CSoundManager* sounds = nullptr;
	CProfile* player = nullptr;
};

TEST_F(SoundGame, TheGroupsAreSetUpAsTheGameNeedsThem)
{
	EXPECT_EQ(8u, sounds->getGroup(0).maxPlaying);
	EXPECT_EQ(1u, sounds->getGroup(1).maxPlaying);
	EXPECT_EQ(16u, sounds->getGroup(2).maxPlaying);
	EXPECT_EQ(2000, sounds->getGroup(1).fadeInMs);
	for (s32 group = 0; group < 3; ++group)
	{
		EXPECT_EQ(1, sounds->getGroup(group).policy);
		EXPECT_EQ(1000, sounds->getGroup(group).fadeOutMs);
	}
}

TEST_F(SoundGame, MenuMusicPlaysOnceAndVolumesFollowThePlayer)
{
	player->setFloat(PROFILE_SOUND_VOLUME, 80.f);
	player->setFloat(PROFILE_MUSIC_VOLUME, 30.f);
	game->applySoundSettings();
	game->applySoundSettings();
	EXPECT_EQ(1u, playing("MenuMusic"));
	EXPECT_EQ(1u, playing("MainMenuAmbient"));
	EXPECT_FLOAT_EQ(0.8f, sounds->getGroup(0).volume);
	EXPECT_FLOAT_EQ(0.8f, sounds->getGroup(2).volume);
	EXPECT_FLOAT_EQ(0.3f, sounds->getGroup(1).volume);

	// A hand-edited volume beyond 100 percent plays at full volume, no louder.
	player->setFloat(PROFILE_SOUND_VOLUME, 400.f);
	game->applySoundSettings();
	EXPECT_FLOAT_EQ(1.f, sounds->getGroup(0).volume);
}

TEST_F(SoundGame, SoundOffSilencesAndStopsTheEffectGroupsOnly)
{
	game->applySoundSettings();
	sounds->play(id("Effect0"));
	sounds->play(id("Effect2"));
	ASSERT_EQ(1u, playing("Effect0"));
	player->setBool(PROFILE_SOUND_ON, false);
	game->applySoundSettings();
	EXPECT_FLOAT_EQ(0.f, sounds->getGroup(0).volume);
	EXPECT_FLOAT_EQ(0.f, sounds->getGroup(2).volume);
	EXPECT_FLOAT_EQ(0.5f, sounds->getGroup(1).volume);
	EXPECT_EQ(0u, playing("Effect0"));
	EXPECT_EQ(0u, playing("Effect2"));
	EXPECT_EQ(1u, playing("MenuMusic")) << "the music goes on";

	player->setBool(PROFILE_MUSIC_ON, false);
	game->applySoundSettings();
	EXPECT_EQ(0u, playing("MenuMusic"));
	EXPECT_FLOAT_EQ(0.f, sounds->getGroup(1).volume);
}

TEST_F(SoundGame, WithoutAPlayerNothingChanges)
{
	CProfileManagerSingleton::Instance().setActiveProfile(1000);
	sounds->getGroup(0).volume = 0.25f;
	game->applySoundSettings();
	EXPECT_FLOAT_EQ(0.25f, sounds->getGroup(0).volume);
	EXPECT_EQ(0u, playing("MenuMusic"));
}

TEST_F(SoundGame, LosingTheFocusPausesMusicAndEffectsButNotTheLevelsSounds)
{
	game->applySoundSettings();
	sounds->play(id("Effect0"));
	sounds->play(id("Effect2"));
	device->postEvent(adoptRef(new CEventSystemFlowActivate(false)).get());
	EXPECT_EQ(1u, playing("MenuMusic", 1));
	EXPECT_EQ(1u, playing("Effect0", 1));
	EXPECT_EQ(1u, playing("Effect2", 2));
	device->postEvent(adoptRef(new CEventSystemFlowActivate(true)).get());
	EXPECT_EQ(1u, playing("MenuMusic", 2));
	EXPECT_EQ(1u, playing("Effect0", 2));
}

// The start-up steps, run from the intro scene itself.
class IntroGame : public HeadlessGame
{
protected:
	void SetUp() override
	{
		HeadlessGame::SetUp();
		game->getLogos()->getLogos().clear();
		ASSERT_TRUE(advanceUntil([this] { return nodeCast<GIntroScene>(activeScene()) != nullptr; }, 3000));
		intro = nodeCast<GIntroScene>(activeScene());
	}

	GIntroScene* intro = nullptr;
};

TEST_F(IntroGame, TheTwelveStepsRunInOrderOneEachTimeOver50MsHaveGathered)
{
	const GIntroScene::SStep* steps = GIntroScene::getSteps();
	EXPECT_FLOAT_EQ(160.f, intro->getTotal());
	ASSERT_TRUE(advanceUntil([this] { return intro->getManager() != nullptr; }, 200)) << "the timer starts on entry";
	ASSERT_EQ(0u, intro->getNextStep());

	f32 reached = 0.f;
	u32 beats = 0;
	std::vector<u32> stepBeats;
	while (intro->getNextStep() < GIntroScene::STEP_COUNT && beats < 100)
	{
		const u32 before = intro->getNextStep();
		advance(30);
		++beats;
		if (intro->getNextStep() != before)
		{
			ASSERT_EQ(before + 1, intro->getNextStep()) << "one step per beat";
			reached += steps[before].weight;
			EXPECT_FLOAT_EQ(reached, intro->getReachedProgress()) << steps[before].name;
			stepBeats.push_back(beats);
		}
		if (intro->getNextStep() == 1)
		{
			CRefHolder<BaseNode> rectangle =
				adoptRef(CNodeFactorySingleton::Instance().create(L"GRectangleNode", ContentReference()));
			EXPECT_NE(nullptr, nodeCast<GRectangleNode>(rectangle.get()));
		}
		if (intro->getNextStep() == 2)
		{
			EXPECT_NE(nullptr, device->getSoundManager()->findCue(id("ButtonClick"))) << "the sound pack's cues";
		}
	}
	ASSERT_EQ(12u, stepBeats.size());
	// 30 ms beats: over 50 ms have gathered on every second beat.
	for (u32 i = 0; i < stepBeats.size(); ++i)
		EXPECT_EQ(2 * (i + 1), stepBeats[i]) << steps[i].name;
	EXPECT_FLOAT_EQ(160.f, intro->getReachedProgress());

	EXPECT_EQ(2u, intro->getLoadedAtlasCount()) << "MainMenu and Env2, the atlases whose art exists";
	EXPECT_EQ(2u, intro->getLoadedParticleCollectionCount()) << "the menus' and the levels'";
	EXPECT_NE(nullptr, game->getSceneManager()->getTemplateCollection());
	const TemplateCollectionNode* levelTemplates = game->getLevelSceneManager()->getTemplateCollection();
	ASSERT_NE(nullptr, levelTemplates);
	// The street traffic's cars (those the levels' paths name) and the clouds, each with a sprite
	// for its picture (the null driver makes none to show).
	const std::pair<const char*, s32> movers[] = {{"NeutralCarRed", NODE_TYPE_GAME_CAR},
		{"NeutralCarBlue", NODE_TYPE_GAME_CAR}, {"NeutralCarTaxi", NODE_TYPE_GAME_CAR},
		{"NeutralCarVan", NODE_TYPE_GAME_CAR}, {"Cloud1", NODE_TYPE_GAME_PATH_MOVABLE},
		{"Cloud2", NODE_TYPE_GAME_PATH_MOVABLE}, {"Cloud3", NODE_TYPE_GAME_PATH_MOVABLE}};
	for (const auto& mover : movers)
	{
		const BaseNode* node = levelTemplates->getTemplate(id(mover.first));
		ASSERT_NE(nullptr, node) << mover.first;
		EXPECT_EQ(mover.second, node->getTypeId()) << mover.first;
		EXPECT_NE(nullptr, nodeCast<SpriteNode>(node->findChildByNameId(id("Body"), 1))) << mover.first;
	}
	EXPECT_FALSE(game->getBuildings()->getBuildings().empty());
	EXPECT_FALSE(game->getUpgrades()->getUpgrades().empty());
	EXPECT_FALSE(game->getLevelScores()->getScores().empty());
	EXPECT_FALSE(game->getComics()->getEntries().empty());
}

TEST_F(IntroGame, TheMainMenuOpensOnlyOnceTheBarIsFull)
{
	ASSERT_TRUE(advanceUntil([this] { return intro->getNextStep() == GIntroScene::STEP_COUNT; }, 2000));
	EXPECT_LT(intro->getShownProgress(), 160.f) << "the bar is behind the steps";
	bool openedEarly = false;
	ASSERT_TRUE(advanceUntil(
		[&]
		{
			if (activeScene() == intro)
				return false;
			openedEarly = intro->getShownProgress() < 160.f;
			return true;
		},
		5000));
	EXPECT_FALSE(openedEarly);
	EXPECT_EQ(core::stringc("MainMenuScene"), activeScene()->getName());
	EXPECT_EQ(nullptr, intro->getManager()) << "the intro's beats end";

	// The bar node's width follows the progress.
	BaseNode* root = intro->findChildByNameId(id("Scene"), 1);
	ASSERT_NE(nullptr, root);
	EXPECT_FLOAT_EQ(root->findChildByNameId(id("ProgressBg"), 1)->getBounds().X,
		root->findChildByNameId(id("Progress"), 1)->getBounds().X);
}

// The window title: the dictionary's TitleName, "Quillbrook" when it is empty, the key when it
// is missing.
class TitleGame : public FolderGame
{
protected:
	void writeFiles() override
	{
		write("strings/Dictionary.xml",
			"<?xml version=\"1.0\"?>\n<Dictionary>\n" + dictionaryEntry() + "</Dictionary>\n");
	}
	virtual std::string dictionaryEntry() = 0;

	core::stringw caption()
	{
		step(10);
		return SPropertyValue<core::stringw>::get(device->getSettings()->get(SETTING_TITLE_CAPTION));
	}
};

class NamedTitle : public TitleGame
{
	std::string dictionaryEntry() override { return "\t<s n=\"TitleName\">Quillbrook Deluxe</s>\n"; }
};
class EmptyTitle : public TitleGame
{
	std::string dictionaryEntry() override { return "\t<s n=\"TitleName\"></s>\n"; }
};
class MissingTitle : public TitleGame
{
	std::string dictionaryEntry() override { return "\t<s n=\"Other\">x</s>\n"; }
};

TEST_F(NamedTitle, TheCaptionIsTheDictionarysTitle)
{
	EXPECT_EQ(core::stringw(L"Quillbrook Deluxe"), caption());
}

TEST_F(EmptyTitle, AnEmptyTitleGivesTheGamesName)
{
	EXPECT_EQ(core::stringw(L"Quillbrook"), caption());
}

TEST_F(MissingTitle, AMissingTitleShowsItsKey)
{
	EXPECT_EQ(core::stringw(L"%TitleName%"), caption());
}

// The profile on a fresh data folder.
class ProfileGame : public HeadlessGame
{
protected:
	void writeProfile(const std::string& text) const
	{
		std::string raw = "\xFF\xFE";
		for (char c : text)
			raw += std::string{c, '\0'};
		std::ofstream(profileFile(), std::ios::binary) << raw;
	}
	// The Name attributes of the elements inside the element that starts at the first match.
	std::vector<std::string> namesIn(const std::string& text, const std::string& start, const std::string& end) const
	{
		std::vector<std::string> names;
		const size_t from = text.find(start);
		const size_t to = text.find(end, from);
		for (size_t at = text.find("Name=\"", from); at < to; at = text.find("Name=\"", at + 1))
		{
			const size_t quote = text.find('"', at + 6);
			names.push_back(text.substr(at + 6, quote - at - 6));
		}
		return names;
	}
};

TEST_F(ProfileGame, ANewPlayerIsSavedWithEveryDefaultInOrderAndMissingKeysComeBack)
{
	CProfileManager& profiles = CProfileManagerSingleton::Instance();
	// As the player naming does: add, make active, save.
	ASSERT_TRUE(profiles.addProfile(L"Ann"));
	profiles.setActiveProfile(0);
	ASSERT_TRUE(profiles.saveUserProfiles());
	const std::string saved = readProfile();
	ASSERT_FALSE(saved.empty()) << profileFile();
	const std::vector<std::string> common = {"FullScreen", "WindowsCursor", "VSync", "AntiAlias", "VideoDriver"};
	const std::vector<std::string> player = {"SoundOn", "MusicOn", "SoundVolume", "MusicVolume",
		"MaxUnlockedLevelIndex", "LevelIndex", "LevelProgressFilename", "Scores", "Times", "BoughtUpgrades",
		"ShowTutorialOn", "ShowTipsOn", "ShowTutorialMap1", "ShowTutorialMap2", "ShowTutorialShop1",
		"ShowTutorialShop2", "ShowTutorialLevel", "AchievementsProgress", "ShowFinalCredits"};
	EXPECT_EQ(common, namesIn(saved, "<CommonProfile", "</CommonProfile>"));
	std::vector<std::string> ann = namesIn(saved, "<Profile ", "</Profile>");
	ASSERT_FALSE(ann.empty());
	ann.erase(ann.begin()); // the profile's own Name attribute
	EXPECT_EQ(player, ann);

	// A hand-edited file without VSync and without Scores: both come back on the next start.
	std::string edited = saved;
	for (const char* key : {"VSync", "Scores"})
	{
		const size_t at = edited.find(std::string("Name=\"") + key + "\"");
		ASSERT_NE(std::string::npos, at) << key;
		const size_t begin = edited.rfind('<', at);
		edited.erase(begin, edited.find('>', at) + 1 - begin);
	}
	writeProfile(edited);
	game->shutdown();
	while (profiles.getProfileCount() > 0)
		profiles.removeProfile(0);
	profiles.getCommonProfile()->clear();
	game = adoptRef(new GGame);
	ASSERT_TRUE(game->init());
	EXPECT_TRUE(profiles.getCommonProfile()->getBool("VSync"));
	ASSERT_NE(nullptr, profiles.getActiveProfile());
	EXPECT_GE(profiles.getActiveProfile()->indexOf("Scores"), 0);
	EXPECT_EQ(-1, profiles.getActiveProfile()->getInt("LevelIndex"));
}

TEST_F(ProfileGame, TheActivePlayersAchievementsAreReadAtStart)
{
	CProfileManager& profiles = CProfileManagerSingleton::Instance();
	ASSERT_TRUE(profiles.addProfile(L"Bo"));
	profiles.setActiveProfile(0);
	profiles.getActiveProfile()->setString(PROFILE_ACHIEVEMENTS_PROGRESS, "4;2;1");
	ASSERT_TRUE(profiles.saveUserProfiles());
	game->shutdown();
	while (profiles.getProfileCount() > 0)
		profiles.removeProfile(0);
	game = adoptRef(new GGame);
	ASSERT_TRUE(game->init());
	EXPECT_EQ(4, game->getAchievements()->getProgress(0));
	EXPECT_EQ(1, game->getAchievements()->getProgress(2));

	// save writes the player's progress at once.
	game->getAchievements()->addProgress(3, 2);
	game->getAchievements()->save(profiles.getActiveProfile());
	EXPECT_NE(std::string::npos, readProfile().find("4;2;1;2;0;0;0;0;0;0;0;0"));
}

TEST_F(HeadlessGame, TheFrameIsDrawnWithItsBarsAndPlayTimeIsCounted)
{
	// The null driver takes the desktop's size in full screen where there is a display, 1024 x 768
	// where there is none: the fit follows whichever it has.
	const core::dimension2d<u32> screen = device->getVideoDriver()->getScreenSize();
	const SScreenFit fit =
		computeScreenFit(static_cast<s32>(screen.Width), static_cast<s32>(screen.Height), 1024.f, 768.f);
	ASSERT_TRUE(fit.fitted);
	EXPECT_EQ(fit.firstBar, game->getFirstBar());
	EXPECT_EQ(fit.secondBar, game->getSecondBar());
	EXPECT_EQ(core::vector3df(fit.scale.X, fit.scale.Y, 1.f), game->getSceneManager()->getScale());
	EXPECT_EQ(core::vector3df(fit.position.X, fit.position.Y, 0.f), game->getSceneManager()->getPosition());
	advance(50);
	EXPECT_EQ(10, game->getLastStep());
	EXPECT_EQ(50, game->getTotalTime());
	EXPECT_EQ(-4000.f, game->getLevelSceneManager()->getPosition().Z);
	// A draw on the null driver goes through without a window.
	device->postEvent(adoptRef(new CEventSystemFlowDraw).get());
	EXPECT_EQ(DEVICE_DRIVER_NULL, game->getDeviceParameters().VideoDriver);
}

// The game hands its scenes the program's services through their scene manager, and the device
// the processors its content manager uses.
TEST_F(HeadlessGame, ItsScenesReachTheGamesServices)
{
	SceneNode* scene = activeScene();
	ASSERT_NE(nullptr, scene);
	const SServices& services = scene->getServices();
	EXPECT_EQ(device, services.device);
	EXPECT_EQ(device->getSoundManager(), services.sound);
	EXPECT_EQ(device->getDictionary(), services.dictionary);
	EXPECT_EQ(device->getCursorControl(), services.cursor);
	EXPECT_EQ(&CProfileManagerSingleton::Instance(), services.profiles);
	EXPECT_EQ(&CRandomGeneratorSingleton::Instance(), services.random);
	EXPECT_EQ(game->getContentManager(), services.content);
	EXPECT_EQ(game->getTimerManager(), services.timers);
	EXPECT_EQ(game->getLevelTimerManager(), game->getLevelSceneManager()->getServices().timers);
	EXPECT_EQ(game->getContentManager(), game->getLevelSceneManager()->getServices().content);

	ASSERT_NE(nullptr, device->getProcessorsManager());
	EXPECT_EQ(device->getProcessorsManager(),
		static_cast<CEventReceiver*>(game->getContentManager()->getProcessorsManager()));
	EXPECT_EQ(device->getProcessorsManager(), device->getEventReceivers()[0]);
}

TEST_F(HeadlessGame, ShuttingDownLeavesTheDevicesReceivers)
{
	const u32 before = device->getEventReceivers().size();
	EXPECT_GE(before, 5u);
	CRefHolder<GGame> held(game.get());
	game->shutdown();
	const core::array<CEventReceiver*> after = device->getEventReceivers();
	for (u32 i = 0; i < after.size(); ++i)
		EXPECT_NE(static_cast<CEventReceiver*>(game.get()), after[i]);
	EXPECT_EQ(nullptr, getGame());
	EXPECT_EQ(nullptr, game->getSceneManager());
	// Further events reach none of the game's services.
	advance(30);
	EXPECT_EQ(0, game->getTotalTime());
}
} // namespace
