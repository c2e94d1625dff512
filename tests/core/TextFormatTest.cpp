#include "core/TextFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace
{
std::wstring toStd(const fw::core::stringw& text)
{
	return std::wstring(text.c_str(), text.size());
}

TEST(FormatTimeMinutesSeconds, WritesTwoDigitMinutesAndSecondsDroppingHours)
{
	const struct
	{
		fw::u32 milliseconds;
		const wchar_t* text;
	} cases[] = {
		{0, L"00:00"},
		{999, L"00:00"},
		{1000, L"00:01"},
		{59999, L"00:59"},
		{60000, L"01:00"},
		{65000, L"01:05"},
		{599000, L"09:59"},
		{600000, L"10:00"},
		{3599999, L"59:59"},
		{3600000, L"00:00"},
		{3725000, L"02:05"},
		{UINT_MAX, L"02:47"},
	};
	for (const auto& c : cases)
		EXPECT_EQ(std::wstring(c.text), toStd(fw::formatTimeMinutesSeconds(c.milliseconds)))
			<< "milliseconds " << c.milliseconds;
}

TEST(FormatThousands, GroupsDigitsByThreeWithTheSignInFront)
{
	const struct
	{
		fw::s32 value;
		const wchar_t* text;
	} cases[] = {
		{0, L"0"},
		{7, L"7"},
		{999, L"999"},
		{1000, L"1,000"},
		{10000, L"10,000"},
		{100000, L"100,000"},
		{123456, L"123,456"},
		{1234567, L"1,234,567"},
		{INT_MAX, L"2,147,483,647"},
		{-1, L"-1"},
		{-100, L"-100"},
		{-999, L"-999"},
		{-1000, L"-1,000"},
		{-100000, L"-100,000"},
		{-1234567, L"-1,234,567"},
		{INT_MIN, L"-2,147,483,648"},
	};
	for (const auto& c : cases)
		EXPECT_EQ(std::wstring(c.text), toStd(fw::formatThousands(c.value, L','))) << "value " << c.value;
}

TEST(FormatThousands, UsesTheGivenSeparator)
{
	EXPECT_EQ(std::wstring(L"1.234.567"), toStd(fw::formatThousands(1234567, L'.')));
	// A UTF-16 unit outside ASCII (thin space) is kept as it is.
	EXPECT_EQ(std::wstring(L"-12\x2009"
						   L"345"),
		toStd(fw::formatThousands(-12345, L'\x2009')));
}
} // namespace
