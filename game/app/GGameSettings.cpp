#include "app/GGameSettings.h"

#include "app/AssetKey.h"
#include "core/CPropertyContainer.h"
#include "core/PropertyAccessors.h"
#include "level/data/GLevelObjective.h"
#include "platform/DeviceSettings.h"

#include <cmath>
#include <cstdio>

const fw::c8* const PROFILE_FULL_SCREEN = "FullScreen";
const fw::c8* const PROFILE_WINDOWS_CURSOR = "WindowsCursor";
const fw::c8* const PROFILE_VSYNC = "VSync";
const fw::c8* const PROFILE_ANTI_ALIAS = "AntiAlias";
const fw::c8* const PROFILE_VIDEO_DRIVER = "VideoDriver";

const fw::c8* const PROFILE_SOUND_ON = "SoundOn";
const fw::c8* const PROFILE_MUSIC_ON = "MusicOn";
const fw::c8* const PROFILE_SOUND_VOLUME = "SoundVolume";
const fw::c8* const PROFILE_MUSIC_VOLUME = "MusicVolume";
const fw::c8* const PROFILE_MAX_UNLOCKED_LEVEL_INDEX = "MaxUnlockedLevelIndex";
const fw::c8* const PROFILE_LEVEL_INDEX = "LevelIndex";
const fw::c8* const PROFILE_LEVEL_NAME = "LevelName";
const fw::c8* const PROFILE_LEVEL_PROGRESS_FILENAME = "LevelProgressFilename";
const fw::c8* const PROFILE_SCORES = "Scores";
const fw::c8* const PROFILE_TIMES = "Times";
const fw::c8* const PROFILE_BOUGHT_UPGRADES = "BoughtUpgrades";
const fw::c8* const PROFILE_SHOW_TUTORIAL_ON = "ShowTutorialOn";
const fw::c8* const PROFILE_SHOW_TIPS_ON = "ShowTipsOn";
const fw::c8* const PROFILE_SHOW_TUTORIAL_MAP1 = "ShowTutorialMap1";
const fw::c8* const PROFILE_SHOW_TUTORIAL_MAP2 = "ShowTutorialMap2";
const fw::c8* const PROFILE_SHOW_TUTORIAL_SHOP1 = "ShowTutorialShop1";
const fw::c8* const PROFILE_SHOW_TUTORIAL_SHOP2 = "ShowTutorialShop2";
const fw::c8* const PROFILE_SHOW_TUTORIAL_LEVEL = "ShowTutorialLevel";
const fw::c8* const PROFILE_ACHIEVEMENTS_PROGRESS = "AchievementsProgress";
const fw::c8* const PROFILE_SHOW_FINAL_CREDITS = "ShowFinalCredits";

const fw::c8* const SETTING_VIDEO_DRIVER = "VideoDriver";

using namespace fw;

void writeApplicationSettings(CPropertyContainer* settings)
{
	settings->setStringW(SETTING_PUBLISHER_NAME, L"Fennlark");
	settings->setStringW(SETTING_TITLE_NAME, L"Quillbrook");
	settings->setStringW(SETTING_TITLE_CAPTION, L"Quillbrook");
	settings->setStringW(SETTING_ASSETS_CRYPT_KEY, core::stringw(GAME_ASSET_KEY));
	settings->setStringW(SETTING_ASSETS_FOLDER, L"assets");
}

void writeCommonDefaults(CPropertyContainer* defaults)
{
	defaults->setBool(PROFILE_FULL_SCREEN, true);
	defaults->setBool(PROFILE_WINDOWS_CURSOR, false);
	defaults->setBool(PROFILE_VSYNC, true);
	defaults->setInt(PROFILE_ANTI_ALIAS, 0);
	defaults->setInt(PROFILE_VIDEO_DRIVER, 1);
}

void writePlayerDefaults(CPropertyContainer* defaults)
{
	defaults->setBool(PROFILE_SOUND_ON, true);
	defaults->setBool(PROFILE_MUSIC_ON, true);
	defaults->setFloat(PROFILE_SOUND_VOLUME, 50.f);
	defaults->setFloat(PROFILE_MUSIC_VOLUME, 50.f);
	defaults->setInt(PROFILE_MAX_UNLOCKED_LEVEL_INDEX, -1);
	defaults->setInt(PROFILE_LEVEL_INDEX, -1);
	// LevelName has no default: the map writes it when a level is chosen.
	defaults->setString(PROFILE_LEVEL_PROGRESS_FILENAME, "");
	defaults->setString(PROFILE_SCORES, "");
	defaults->setString(PROFILE_TIMES, "");
	defaults->setString(PROFILE_BOUGHT_UPGRADES, "");
	defaults->setBool(PROFILE_SHOW_TUTORIAL_ON, true);
	defaults->setBool(PROFILE_SHOW_TIPS_ON, true);
	defaults->setBool(PROFILE_SHOW_TUTORIAL_MAP1, true);
	defaults->setBool(PROFILE_SHOW_TUTORIAL_MAP2, true);
	defaults->setBool(PROFILE_SHOW_TUTORIAL_SHOP1, true);
	defaults->setBool(PROFILE_SHOW_TUTORIAL_SHOP2, true);
	defaults->setInt(PROFILE_SHOW_TUTORIAL_LEVEL, -1);
	defaults->setString(PROFILE_ACHIEVEMENTS_PROGRESS, "");
	defaults->setBool(PROFILE_SHOW_FINAL_CREDITS, true);
}

s32 videoDriverFromProfile(s32 value)
{
	return value >= 1 && value <= 3 ? value : 1;
}

u8 antiAliasFromProfile(s32 value)
{
	return static_cast<u8>(core::clamp(value, 0, 255));
}

f32 volumeFromPercent(f32 percent)
{
	const f32 volume = percent * 0.01f;
	if (!(volume > 0.f))
		return 0.f;
	return volume < 1.f ? volume : 1.f;
}

f32 getFloatValue(const CPropertyContainer* container, const c8* name)
{
	return container ? SPropertyValue<f32>::get(container->get(name)) : 0.f;
}

core::array<s32> parseIntList(const core::stringc& text)
{
	// The level data reads its number lists the same way; only the text's width differs.
	return parseIntListW(core::stringw(text));
}

core::stringc joinIntList(const core::array<s32>& values)
{
	core::stringc text;
	for (u32 i = 0; i < values.size(); ++i)
	{
		if (i > 0)
			text += ";";
		// The engine's number constructor negates INT_MIN, which overflows.
		c8 number[16];
		std::snprintf(number, sizeof(number), "%d", values[i]);
		text += number;
	}
	return text;
}
