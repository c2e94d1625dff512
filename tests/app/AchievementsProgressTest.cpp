#include "app/GAchievementsProgress.h"

#include <gtest/gtest.h>

#include <climits>

using namespace fw;

namespace
{
TEST(AchievementsProgress, AFreshPlayerStartsAtOneOfSixForTheFirst)
{
	const GAchievementsProgress progress;
	const s32 targets[GAchievementsProgress::COUNT] = {6, 3, 3, 3, 50, 150, 250, 2500000, 7500000, 10000000, 35, 30};
	for (u32 n = 0; n < GAchievementsProgress::COUNT; ++n)
	{
		EXPECT_EQ(n == 0 ? 1 : 0, progress.getProgress(n)) << n;
		EXPECT_EQ(targets[n], progress.getTarget(n)) << n;
	}
	EXPECT_EQ(core::stringc("1;0;0;0;0;0;0;0;0;0;0;0"), progress.toText());
}

TEST(AchievementsProgress, AnUpdateReportsOnlyTheCrossingOfTheTarget)
{
	GAchievementsProgress progress;
	for (int i = 0; i < 49; ++i)
		ASSERT_FALSE(progress.addProgress(4, 1));
	EXPECT_TRUE(progress.addProgress(4, 1));
	EXPECT_EQ(50, progress.getProgress(4));
	EXPECT_FALSE(progress.addProgress(4, 1));
	EXPECT_EQ(51, progress.getProgress(4));

	// Shop differences may be negative; falling back below the target lets it be earned again.
	EXPECT_FALSE(progress.addProgress(0, -1));
	EXPECT_EQ(0, progress.getProgress(0));
	EXPECT_TRUE(progress.addProgress(0, 6));
	EXPECT_FALSE(progress.addProgress(0, 0));

	// A count far beyond the target stays at the int range instead of wrapping round.
	EXPECT_FALSE(progress.addProgress(4, INT_MAX));
	EXPECT_EQ(INT_MAX, progress.getProgress(4));
}

TEST(AchievementsProgress, MoneyAchievementsTakeTheAmountGiven)
{
	GAchievementsProgress progress;
	EXPECT_FALSE(progress.addProgress(8, 7000000));
	EXPECT_TRUE(progress.addProgress(8, 7600000));
	EXPECT_EQ(7600000, progress.getProgress(8));
	EXPECT_FALSE(progress.addProgress(8, 10));
	EXPECT_EQ(10, progress.getProgress(8)) << "replaced, not added";
	EXPECT_TRUE(progress.addProgress(8, 7500000));
}

TEST(AchievementsProgress, LoadingReadsTheFirstTwelveNumbersOverTheResetValues)
{
	GAchievementsProgress progress;
	progress.addProgress(6, 9);
	progress.load("3;1;0;0;12");
	const s32 expected[GAchievementsProgress::COUNT] = {3, 1, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0};
	for (u32 n = 0; n < GAchievementsProgress::COUNT; ++n)
		EXPECT_EQ(expected[n], progress.getProgress(n)) << n;

	progress.load("9 8 7 6 5 4 3 2 1 0 11 22 33 44");
	EXPECT_EQ(core::stringc("9;8;7;6;5;4;3;2;1;0;11;22"), progress.toText());
	EXPECT_EQ(6, progress.getTarget(0)) << "targets never come from the text";

	progress.load("");
	EXPECT_EQ(1, progress.getProgress(0));
}

TEST(AchievementsProgress, TextsAndIconsUseTheShownNumber)
{
	const GAchievementsProgress progress;
	EXPECT_EQ(core::stringw(L"%Achievements_12%"), progress.getNameKey(11));
	EXPECT_EQ(core::stringc("scenes/images/Achievements/Icon12.png"), progress.getIconFileName(11));
	EXPECT_EQ(core::stringw(L"%Achievements_1DescBefore%"), progress.getDescBeforeKey(0));
	EXPECT_EQ(core::stringw(L"%Achievements_3DescAfter%"), progress.getDescAfterKey(2));
}
} // namespace
