// The player list, the name entry and the options drawn in a real window over the menu, after the
// start-up has loaded the atlases and templates: their panels, switches and selected line, read
// back from the back buffer (QB_SNAPSHOT_DIR keeps the frames).

#include "GameWindowSupport.h"

#include "app/GAchievementsProgress.h"
#include "app/GAchievementsScene.h"
#include "app/GGame.h"
#include "app/GIntroScene.h"
#include "app/GLogosConfiguration.h"
#include "app/GOptionsScene.h"
#include "app/GSelectPlayerScene.h"
#include "core/CNameTable.h"
#include "core/NodeCasts.h"
#include "platform/CEngineDeviceSingleton.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CProfile.h"
#include "platform/CProfileManager.h"
#include "widgets/ButtonNode.h"
#include "widgets/ListNode.h"
#include "widgets/SceneManager.h"
#include "widgets/TabSceneNode.h"
#include "widgets/TextNode.h"
#include "widgets/WidgetServices.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace fw;
using namespace fw::wintest;

namespace
{
s32 id(const char* name)
{
	return CNameTableSingleton::Instance().intern(name);
}

bool isPanelCream(const video::SColor& c)
{
	return c.getRed() > 240 && c.getGreen() > 225 && c.getBlue() > 190 && c.getBlue() < 235;
}
bool isSwitchGreen(const video::SColor& c)
{
	return c.getGreen() > 130 && c.getRed() < 150 && c.getBlue() < 130 && c.getGreen() > c.getRed() + 30;
}
bool isSwitchRed(const video::SColor& c)
{
	return c.getRed() > 170 && c.getGreen() < 140 && c.getBlue() < 130;
}
bool isHighlightTeal(const video::SColor& c)
{
	return c.getRed() < 120 && c.getGreen() > 170 && c.getBlue() > 150;
}

class OverlaysWindow : public CGameWindowTest
{
protected:
	void SetUp() override
	{
		CGameWindowTest::SetUp();
		if (HasFatalFailure())
			return;
		CProfileManager& profiles = CProfileManagerSingleton::Instance();
		// A window of the design's own size: design points are pixels.
		SDeviceCreationParameters params = game->getDeviceParameters();
		params.FullScreen = false;
		params.WindowSize = core::dimension2d<s32>(1024, 768);
		ASSERT_TRUE(game->changeDeviceParameters(params));
		// Through the logos and the start-up to the menu, which loaded the atlases and templates.
		game->getLogos()->getLogos().clear();
		ASSERT_TRUE(stepUntil([this] { return nodeCast<GIntroScene>(active()) != nullptr; }));
		ASSERT_TRUE(stepUntil([this] { return nodeCast<GIntroScene>(active()) == nullptr; }));
		menu = active();
		ASSERT_TRUE(profiles.addProfile(L"Ann"));
		ASSERT_TRUE(profiles.addProfile(L"Bo"));
		profiles.setActiveProfile(1);
	}
	SceneNode* active() const { return game->getSceneManager()->getActiveScene(); }
	template <class F>
	bool stepUntil(F condition)
	{
		for (u32 done = 0; done < 20000; done += 10)
		{
			if (condition())
				return true;
			device->postEvent(adoptRef(new CEventSystemFlowUpdate(10)).get());
		}
		return false;
	}
	SceneNode* open(const char* file, const char* in)
	{
		SceneNode* scene = menu->openSceneFile(file, true, id("NavFromSlide"), id(in));
		stepUntil([this] { return game->getSceneManager()->getSwitchCount() == 0; });
		return scene;
	}
	// The frame drawn as the game draws it, kept for a look.
	std::vector<video::SColor> frame(const char* name)
	{
		video::IVideoDriver* driver = device->getVideoDriver();
		EXPECT_TRUE(driver->beginScene(true, true, video::SColor(255, 0, 0, 0)));
		game->drawFrame(driver);
		std::vector<video::SColor> pixels = readFrame(1024, 768);
		keepSnapshot(driver, pixels, 1024, 768, name);
		driver->endScene();
		return pixels;
	}
	static video::SColor at(const std::vector<video::SColor>& pixels, s32 x, s32 y) { return pixels[y * 1024 + x]; }

	SceneNode* menu = nullptr;
};

TEST_F(OverlaysWindow, TheOptionsShowTheirPanelAndSwitches)
{
	CProfileManagerSingleton::Instance().getActiveProfile()->setBool("MusicOn", false);
	GOptionsScene* options = nodeCast<GOptionsScene>(open("scenes/OptionsScene.oscn", "NavToSlide"));
	ASSERT_NE(nullptr, options);
	const std::vector<video::SColor> pixels = frame("options");
	EXPECT_TRUE(isPanelCream(at(pixels, 300, 140))) << at(pixels, 300, 140).color;
	// The switches' plates left of their knobs: sound on, music off.
	const core::vector3df sound = options->getSoundButton()->getAbsoluteTransformation().getTranslation();
	const core::vector3df music = options->getMusicButton()->getAbsoluteTransformation().getTranslation();
	EXPECT_TRUE(isSwitchGreen(at(pixels, s32(sound.X) + 30, s32(sound.Y) + 30)))
		<< at(pixels, s32(sound.X) + 30, s32(sound.Y) + 30).color;
	EXPECT_TRUE(isSwitchRed(at(pixels, s32(music.X) + 90, s32(music.Y) + 30)))
		<< at(pixels, s32(music.X) + 90, s32(music.Y) + 30).color;
}

TEST_F(OverlaysWindow, TheListHighlightsThePickedPlayer)
{
	GSelectPlayerScene* list = nodeCast<GSelectPlayerScene>(open("scenes/SelectPlayerScene.oscn", "NavTo"));
	ASSERT_NE(nullptr, list);
	ASSERT_EQ(1, list->getPlayersList()->getSelectedIndex());
	const std::vector<video::SColor> pixels = frame("players");
	const core::vector3df origin = list->getPlayersList()->getAbsoluteTransformation().getTranslation();
	// The second line is the chosen one; the first is plain paper.
	EXPECT_TRUE(isHighlightTeal(at(pixels, s32(origin.X) + 8, s32(origin.Y) + 44 + 22)))
		<< at(pixels, s32(origin.X) + 8, s32(origin.Y) + 66).color;
	EXPECT_FALSE(isHighlightTeal(at(pixels, s32(origin.X) + 8, s32(origin.Y) + 22)));

	ASSERT_NE(nullptr, list->openSceneFile("scenes/SelectPlayerInputNameScene.oscn", true, id("NavFrom"), id("NavTo")));
	stepUntil([this] { return game->getSceneManager()->getSwitchCount() == 0; });
	frame("name_entry");
}

TEST_F(OverlaysWindow, NamesInOtherScriptsShowEveryLetterAndOneRowIsPicked)
{
	CProfileManager& profiles = CProfileManagerSingleton::Instance();
	// Polish, Greek between Latin, Cyrillic; and a letter no font here has, stored by some other
	// means: it shows the font's replacement glyph.
	const wchar_t* const names[] = {L"\u017B\u00F3\u0142\u0107", L"A\u03A9B\u03BBC", L"\u0416\u0443\u043A", L"X\u4E2D"};
	for (const wchar_t* name : names)
		ASSERT_TRUE(profiles.addProfile(name));
	GSelectPlayerScene* list = nodeCast<GSelectPlayerScene>(open("scenes/SelectPlayerScene.oscn", "NavTo"));
	ASSERT_NE(nullptr, list);
	ListNode* rows = list->getPlayersList();
	const std::vector<video::SColor> pixels = frame("players_scripts");
	const auto isInk = [](const video::SColor& c)
	{ return c.getRed() < 150 && c.getGreen() < 130 && c.getBlue() < 110; };
	for (u32 item = 2; item < 6; ++item)
	{
		SCOPED_TRACE(item);
		BaseNode* element = rows->getElement(item);
		ASSERT_NE(nullptr, element);
		TextNode* text = nodeCast<TextNode>(element->findChildByNameId(id("Text"), 1));
		ASSERT_NE(nullptr, text);
		const core::vector3df place = text->getAbsoluteTransformation().getTranslation();
		const u32 letters = core::stringw(names[item - 2]).size();
		ASSERT_EQ(1u, text->getLayout().getLines().size());
		ASSERT_EQ(letters, text->getLayout().getLines()[0].size());
		// Ink in the span of each letter.
		for (u32 k = 0; k < letters; ++k)
		{
			const core::rect<f32> r = text->getCharRect(0, k);
			bool ink = false;
			for (s32 x = s32(place.X + r.UpperLeftCorner.X); x < s32(place.X + r.LowerRightCorner.X) && !ink; ++x)
				for (s32 y = s32(place.Y + r.UpperLeftCorner.Y); y < s32(place.Y + r.LowerRightCorner.Y) && !ink; ++y)
					ink = isInk(at(pixels, x, y));
			EXPECT_TRUE(ink) << "letter " << k;
		}
	}
	// The active player's row alone is picked.
	const core::vector3df origin = rows->getAbsoluteTransformation().getTranslation();
	for (s32 row = 0; row < 6; ++row)
		EXPECT_EQ(row == 1, isHighlightTeal(at(pixels, s32(origin.X) + 8, s32(origin.Y) + 44 * row + 22))) << row;
}

TEST_F(OverlaysWindow, TheAchievementsShowTheirRows)
{
	game->getAchievements()->addProgress(1, 3);
	GAchievementsScene* scene = nodeCast<GAchievementsScene>(open("scenes/AchievementsScene.oscn", "NavTo"));
	ASSERT_NE(nullptr, scene);
	ListNode* all = scene->getList(GAchievementsScene::TAB_ALL);
	ASSERT_NE(nullptr, all);
	ASSERT_EQ(12u, all->getItemCount());
	const std::vector<video::SColor> pixels = frame("achievements");
	const core::vector3df origin = all->getAbsoluteTransformation().getTranslation();
	// Each row in view shows its icon's teal ring (the pending ones) or its bronze one, and dark
	// name text on the row's paper.
	for (s32 row = 0; row < 5; ++row)
	{
		const s32 top = s32(origin.Y) + 80 * row;
		const video::SColor ring = at(pixels, s32(origin.X) + 10 + 4, top + 8 + 32);
		EXPECT_FALSE(isPanelCream(ring)) << row << " " << ring.color;
		bool ink = false;
		for (s32 x = s32(origin.X) + 90; x < s32(origin.X) + 200 && !ink; ++x)
			for (s32 y = top + 10; y < top + 34 && !ink; ++y)
				ink = at(pixels, x, y).getRed() < 120 && at(pixels, x, y).getBlue() < 80;
		EXPECT_TRUE(ink) << row;
	}
	// Below the last row in view: the board, not a sixth row.
	EXPECT_TRUE(isPanelCream(at(pixels, s32(origin.X) + 40, s32(origin.Y) + 405))) << "no sixth row";

	// The earned tab: one row, the rest of the page empty.
	BaseNode* tabs = scene->findChildByNameId(id("Scene"), 1)->findChildByNameId(id("TabScene"), 1);
	ASSERT_NE(nullptr, nodeCast<TabSceneNode>(tabs));
	static_cast<TabSceneNode*>(tabs)->setActiveTab(1, true);
	stepUntil([this] { return game->getSceneManager()->getSwitchCount() == 0; });
	const std::vector<video::SColor> earned = frame("achievements_earned");
	EXPECT_FALSE(isPanelCream(at(earned, s32(origin.X) + 14, s32(origin.Y) + 40)));
	EXPECT_TRUE(isPanelCream(at(earned, s32(origin.X) + 14, s32(origin.Y) + 120)));
}
} // namespace
