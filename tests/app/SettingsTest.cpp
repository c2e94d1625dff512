#include "app/GGame.h"
#include "app/GGameSettings.h"
#include "core/CPropertyContainer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

using namespace fw;

namespace
{
std::vector<s32> values(const core::array<s32>& list)
{
	return std::vector<s32>(list.const_pointer(), list.const_pointer() + list.size());
}

std::vector<std::string> keys(const CPropertyContainer& container)
{
	std::vector<std::string> names;
	for (u32 i = 0; i < container.getItemCount(); ++i)
		names.push_back(container.getNameAt(static_cast<s32>(i)).c_str());
	return names;
}

TEST(ScreenFit, PlacesTheDesignScreenAsTheFloatArithmeticGivesIt)
{
	struct SCase
	{
		s32 width, height;
		bool stretched;
		f32 x, y, scaleX, scaleY;
		core::rect<s32> first, second;
	};
	const SCase cases[] = {
		{1024, 768, true, 0.f, 0.f, 1.f, 1.f, {0, 0, 0, 768}, {1024, 0, 1024, 768}},
		// Ratio 1.25 lies within a tenth of 4:3: stretched, no bars.
		{1280, 1024, true, 0.f, 0.f, 1.25f, 1024.f / 768.f, {0, 0, 0, 1024}, {1280, 0, 1280, 1024}},
		{1920, 1080, false, 240.f, 0.f, 1.40625f, 1.40625f, {0, 0, 240, 1080}, {1680, 0, 1920, 1080}},
		// The single-precision ratio makes the fitted height 767, not 768.
		{1024, 1024, false, 0.f, 128.f, 1.f, 1.f, {0, 0, 1024, 128}, {0, 895, 1024, 1024}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
		const SScreenFit fit = computeScreenFit(c.width, c.height, 1024.f, 768.f);
		ASSERT_TRUE(fit.fitted);
		EXPECT_EQ(c.stretched, fit.stretched);
		EXPECT_FLOAT_EQ(c.x, fit.position.X);
		EXPECT_FLOAT_EQ(c.y, fit.position.Y);
		EXPECT_FLOAT_EQ(c.scaleX, fit.scale.X);
		EXPECT_FLOAT_EQ(c.scaleY, fit.scale.Y);
		EXPECT_EQ(c.first, fit.firstBar);
		EXPECT_EQ(c.second, fit.secondBar);
	}
	EXPECT_FLOAT_EQ(0.0625f, computeScreenFit(1280, 1024, 1024.f, 768.f).difference);
}

TEST(ScreenFit, AScreenWithoutAreaPlacesNothing)
{
	for (const auto& size : {std::make_pair(0, 0), std::make_pair(0, 768), std::make_pair(1024, 0)})
		EXPECT_FALSE(computeScreenFit(size.first, size.second, 1024.f, 768.f).fitted)
			<< size.first << "x" << size.second;
}

TEST(NumberLists, JoinWritesDecimalsBetweenSemicolons)
{
	core::array<s32> list;
	EXPECT_EQ(core::stringc(""), joinIntList(list));
	list.push_back(3);
	list.push_back(-1);
	list.push_back(250);
	EXPECT_EQ(core::stringc("3;-1;250"), joinIntList(list));
	list.push_back(INT_MIN);
	EXPECT_EQ(core::stringc("3;-1;250;-2147483648"), joinIntList(list));
}

TEST(NumberLists, ParseSkipsWhatIsNoNumberAndClampsToTheIntRange)
{
	struct SCase
	{
		const char* text;
		std::vector<s32> expected;
	};
	const SCase cases[] = {
		{"3;-1;250", {3, -1, 250}},
		{"3, 4 5", {3, 4, 5}},
		{"12.9", {12}},
		{"-;5", {0, 5}},
		{"", {}},
		{"1e99", {INT_MAX}},
		{"-1e99;2", {INT_MIN, 2}},
		{"99999999999", {INT_MAX}},
		{"x7y-8", {7, -8}},
	};
	for (const SCase& c : cases)
		EXPECT_EQ(c.expected, values(parseIntList(c.text))) << c.text;
	core::array<s32> list;
	list.push_back(7);
	list.push_back(-70000);
	EXPECT_EQ(values(list), values(parseIntList(joinIntList(list))));
}

TEST(ProfileValues, OnlyTheThreeKnownDriversArePassedOn)
{
	const std::pair<s32, s32> cases[] = {{1, 1}, {2, 2}, {3, 3}, {0, 1}, {4, 1}, {-1, 1}, {7, 1}, {INT_MAX, 1}};
	for (const auto& c : cases)
		EXPECT_EQ(c.second, videoDriverFromProfile(c.first)) << c.first;
}

TEST(ProfileValues, AntiAliasAndVolumesAreClampedToWhatTheDeviceTakes)
{
	EXPECT_EQ(0, antiAliasFromProfile(-5));
	EXPECT_EQ(4, antiAliasFromProfile(4));
	EXPECT_EQ(255, antiAliasFromProfile(255));
	EXPECT_EQ(255, antiAliasFromProfile(1000));
	EXPECT_FLOAT_EQ(0.5f, volumeFromPercent(50.f));
	EXPECT_FLOAT_EQ(1.f, volumeFromPercent(250.f));
	EXPECT_FLOAT_EQ(0.f, volumeFromPercent(-20.f));
	EXPECT_FLOAT_EQ(0.f, volumeFromPercent(std::nanf("")));
}

TEST(ProfileValues, DefaultsAreWrittenInTheirOrderAndNeverTwice)
{
	CPropertyContainer common(nullptr);
	CPropertyContainer player(nullptr);
	for (int pass = 0; pass < 2; ++pass)
	{
		writeCommonDefaults(&common);
		writePlayerDefaults(&player);
	}
	EXPECT_EQ((std::vector<std::string>{"FullScreen", "WindowsCursor", "VSync", "AntiAlias", "VideoDriver"}),
		keys(common));
	EXPECT_EQ((std::vector<std::string>{"SoundOn", "MusicOn", "SoundVolume", "MusicVolume", "MaxUnlockedLevelIndex",
				  "LevelIndex", "LevelProgressFilename", "Scores", "Times", "BoughtUpgrades", "ShowTutorialOn",
				  "ShowTipsOn", "ShowTutorialMap1", "ShowTutorialMap2", "ShowTutorialShop1", "ShowTutorialShop2",
				  "ShowTutorialLevel", "AchievementsProgress", "ShowFinalCredits"}),
		keys(player));
	EXPECT_TRUE(common.getBool("FullScreen"));
	EXPECT_EQ(1, common.getInt("VideoDriver"));
	EXPECT_EQ(-1, player.getInt("MaxUnlockedLevelIndex"));
	EXPECT_FLOAT_EQ(50.f, getFloatValue(&player, "SoundVolume"));
	EXPECT_FLOAT_EQ(0.f, getFloatValue(&player, "SoundOn")) << "a value of another type reads as 0";
}
} // namespace
