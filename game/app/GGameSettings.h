#pragma once

// The game's keys in the application settings and in the profiles, their defaults, and the text
// form of the number lists it keeps in a player's profile.

#include "core/CoreTypes.h"

namespace fw
{
class CPropertyContainer;
}

// Common profile (one per account).
extern const fw::c8* const PROFILE_FULL_SCREEN;
extern const fw::c8* const PROFILE_WINDOWS_CURSOR;
extern const fw::c8* const PROFILE_VSYNC;
extern const fw::c8* const PROFILE_ANTI_ALIAS;
extern const fw::c8* const PROFILE_VIDEO_DRIVER;

// Player profile.
extern const fw::c8* const PROFILE_SOUND_ON;
extern const fw::c8* const PROFILE_MUSIC_ON;
extern const fw::c8* const PROFILE_SOUND_VOLUME;
extern const fw::c8* const PROFILE_MUSIC_VOLUME;
extern const fw::c8* const PROFILE_MAX_UNLOCKED_LEVEL_INDEX;
extern const fw::c8* const PROFILE_LEVEL_INDEX;
extern const fw::c8* const PROFILE_LEVEL_NAME;
extern const fw::c8* const PROFILE_LEVEL_PROGRESS_FILENAME;
extern const fw::c8* const PROFILE_SCORES;
extern const fw::c8* const PROFILE_TIMES;
extern const fw::c8* const PROFILE_BOUGHT_UPGRADES;
extern const fw::c8* const PROFILE_SHOW_TUTORIAL_ON;
extern const fw::c8* const PROFILE_SHOW_TIPS_ON;
extern const fw::c8* const PROFILE_SHOW_TUTORIAL_MAP1;
extern const fw::c8* const PROFILE_SHOW_TUTORIAL_MAP2;
extern const fw::c8* const PROFILE_SHOW_TUTORIAL_SHOP1;
extern const fw::c8* const PROFILE_SHOW_TUTORIAL_SHOP2;
extern const fw::c8* const PROFILE_SHOW_TUTORIAL_LEVEL;
extern const fw::c8* const PROFILE_ACHIEVEMENTS_PROGRESS;
extern const fw::c8* const PROFILE_SHOW_FINAL_CREDITS;

// An int the program never writes into the application settings: a headless run (tests,
// benchmarks) puts 0 there before GGame::init to ask for the null video driver, which no profile
// can choose.
extern const fw::c8* const SETTING_VIDEO_DRIVER;

// The five application settings, all wide texts, in their order.
void writeApplicationSettings(fw::CPropertyContainer* settings);
// The common defaults and the player defaults, each in its order. Written again on every start:
// values already there are replaced, never added twice.
void writeCommonDefaults(fw::CPropertyContainer* defaults);
void writePlayerDefaults(fw::CPropertyContainer* defaults);

// The device's driver for a profile's VideoDriver: 1, 2 and 3 as they are, anything else 1.
fw::s32 videoDriverFromProfile(fw::s32 value);
// A profile's AntiAlias as the one byte the device takes: clamped to 0..255.
fw::u8 antiAliasFromProfile(fw::s32 value);
// A profile volume in percent as a group volume: times 0.01, clamped to 0..1 (NaN gives 0).
fw::f32 volumeFromPercent(fw::f32 percent);
// A float value of the container; 0 when absent or of another type.
fw::f32 getFloatValue(const fw::CPropertyContainer* container, const fw::c8* name);

// Every "-" or digit starts a number (optional fraction and exponent), truncated toward zero and
// clamped to the int range; every other character is skipped.
fw::core::array<fw::s32> parseIntList(const fw::core::stringc& text);
// The numbers in decimal joined by ";"; empty for an empty list.
fw::core::stringc joinIntList(const fw::core::array<fw::s32>& values);
