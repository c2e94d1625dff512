#include "level/data/GLevelObjective.h"
#include "level/data/GLevelPaths.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace
{
std::vector<fw::s32> list(const wchar_t* text)
{
	const fw::core::array<fw::s32> values = parseIntListW(text);
	return std::vector<fw::s32>(values.const_pointer(), values.const_pointer() + values.size());
}

TEST(NumberLists, ParseIntPair)
{
	struct SCase
	{
		const wchar_t* text;
		fw::s32 first;
		fw::s32 second;
	};
	const std::vector<SCase> cases = {
		{L"1000,3000", 1000, 3000},
		{L"1000, 3000", 1000, 3000},
		{L"1000;3000", 1000, 3000},
		{L"  1000   3000  ", 1000, 3000},
		{L"5000", 5000, 0},
		{L"", 0, 0},
		{L"none", 0, 0},
		{L"2.9", 2, 0},
		{L"-2.9, 7.9", -2, 7},
		{L"-5,5", -5, 5},
		{L"5000-5000", 5000, -5000},
		{L"-", 0, 0},
		{L"- 4", 0, 4},
		{L"1-", 1, 0},
		{L"1e3, 2", 1000, 2},
		{L"99999999999, -99999999999", INT_MAX, INT_MIN},
		{L"1e40 5", INT_MAX, 5},
		{L"1, 2, 3", 1, 2},
	};
	for (const SCase& c : cases)
	{
		const fw::core::vector2d<fw::s32> pair = parseIntPair(c.text);
		EXPECT_EQ(c.first, pair.X) << fw::core::stringc(c.text).c_str();
		EXPECT_EQ(c.second, pair.Y) << fw::core::stringc(c.text).c_str();
	}
}

TEST(NumberLists, ParseIntListW)
{
	struct SCase
	{
		const wchar_t* text;
		std::vector<fw::s32> values;
	};
	const std::vector<SCase> cases = {
		{L"0, 1", {0, 1}},
		{L"0;1;2", {0, 1, 2}},
		{L" 3  4 ", {3, 4}},
		{L"", {}},
		{L"x", {}},
		{L"2.9", {2}},
		{L"-5,5", {-5, 5}},
		{L"-", {0}},
		{L"1-x", {1, 0}},
		{L"--1", {0, -1}},
		{L"99999999999", {INT_MAX}},
		{L"-1e30", {INT_MIN}},
	};
	for (const SCase& c : cases)
		EXPECT_EQ(c.values, list(c.text)) << fw::core::stringc(c.text).c_str();
}
} // namespace
