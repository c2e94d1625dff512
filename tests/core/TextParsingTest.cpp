#include "core/TextParsing.h"
#include "core/CNameTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>

namespace
{
using fw::core::stringc;
using fw::core::stringw;

const float kInf = std::numeric_limits<float>::infinity();

// Each narrow character widened to one UTF-16 unit.
std::wstring widen(const std::string& text)
{
	return std::wstring(text.begin(), text.end());
}

void expectSameFloat(float expected, float actual, const std::string& text)
{
	ASSERT_FALSE(std::isnan(actual)) << "text \"" << text << "\"";
	if (std::isinf(expected))
		EXPECT_EQ(expected, actual) << "text \"" << text << "\"";
	else
		EXPECT_FLOAT_EQ(expected, actual) << "text \"" << text << "\"";
}

struct SFloatCase
{
	std::string text;
	float value;
	size_t position;
};

TEST(Strtof10, ReadsAnUnsignedIntegerAsFloat)
{
	const SFloatCase cases[] = {
		{"", 0.f, 0},
		{"0", 0.f, 1},
		{"123", 123.f, 3},
		{"42x", 42.f, 2},
		{"abc", 0.f, 0},
		{"-5", 0.f, 0},
		{"+5", 0.f, 0},
		{".5", 0.f, 0},
		// Past the exact integer range the digits go on in float arithmetic.
		{"4294967295", 4294967295.f, 10},
		{"12345678901234567890", 12345678901234567890.f, 20},
		// The digit that leaves the float range is the last one read.
		{"1" + std::string(45, '0'), kInf, 40},
	};
	for (const auto& c : cases)
	{
		const char* end = nullptr;
		expectSameFloat(c.value, fw::strtof10(c.text.c_str(), &end), c.text);
		EXPECT_EQ(c.position, size_t(end - c.text.c_str())) << "text \"" << c.text << "\"";

		const std::wstring wide = widen(c.text);
		const wchar_t* wideEnd = nullptr;
		expectSameFloat(c.value, fw::strtof10(wide.c_str(), &wideEnd), c.text);
		EXPECT_EQ(c.position, size_t(wideEnd - wide.c_str())) << "wide text \"" << c.text << "\"";
	}
}

struct SIntCase
{
	std::string text;
	fw::s32 value;
	size_t position;
};

TEST(Strtol10, ReadsASignedIntegerClampedToTheIntRange)
{
	const SIntCase cases[] = {
		{"", 0, 0},
		{"0", 0, 1},
		{"123", 123, 3},
		{"-45", -45, 3},
		{"+7", 7, 2},
		{"-", 0, 1},
		{"+", 0, 1},
		{"x", 0, 0},
		{" 5", 0, 0},
		{"12abc", 12, 2},
		{"2147483647", INT_MAX, 10},
		{"2147483648", INT_MAX, 10},
		{"-2147483648", -INT_MAX, 11},
		// 2^32 would wrap to 0 in a 32-bit accumulator.
		{"4294967296", INT_MAX, 10},
		{"9999999999", INT_MAX, 10},
		// Reading stops after the digit that overflowed.
		{"99999999999", INT_MAX, 10},
		{"-99999999999", -INT_MAX, 11},
	};
	for (const auto& c : cases)
	{
		const char* end = nullptr;
		EXPECT_EQ(c.value, fw::strtol10(c.text.c_str(), &end)) << "text \"" << c.text << "\"";
		EXPECT_EQ(c.position, size_t(end - c.text.c_str())) << "text \"" << c.text << "\"";

		const std::wstring wide = widen(c.text);
		const wchar_t* wideEnd = nullptr;
		EXPECT_EQ(c.value, fw::strtol10(wide.c_str(), &wideEnd)) << "wide text \"" << c.text << "\"";
		EXPECT_EQ(c.position, size_t(wideEnd - wide.c_str())) << "wide text \"" << c.text << "\"";
	}
}

// Reads the case's text as narrow and as wide text: same value, same end position.
void expectAtof(const SFloatCase& c)
{
	float value = -1.f;
	const char* end = fw::fast_atof_move(c.text.c_str(), value);
	expectSameFloat(c.value, value, c.text);
	EXPECT_EQ(c.position, size_t(end - c.text.c_str())) << "text \"" << c.text << "\"";

	const std::wstring wide = widen(c.text);
	float wideValue = -1.f;
	const wchar_t* wideEnd = fw::fast_atof_move(wide.c_str(), wideValue);
	expectSameFloat(c.value, wideValue, c.text);
	EXPECT_EQ(c.position, size_t(wideEnd - wide.c_str())) << "wide text \"" << c.text << "\"";
}

TEST(FastAtofMove, ReadsSignFractionAndExponent)
{
	const SFloatCase cases[] = {
		{"", 0.f, 0},
		{"12", 12.f, 2},
		{"-0.25", -0.25f, 5},
		{".5", 0.5f, 2},
		{"-.5", -0.5f, 3},
		{"3e2", 300.f, 3},
		{"1.5E-2", 0.015f, 6},
		{"2.5e+3", 2500.f, 6},
		{"1.e2", 100.f, 4},
		{"+4", 0.f, 0},
		{"7x", 7.f, 1},
		{"1e", 1.f, 2},
		{"-", 0.f, 1},
		{"1.5;2", 1.5f, 3},
		{"0.123456789", 0.123456789f, 11},
		{"0.100000", 0.1f, 8},
		{"-3.000000", -3.f, 9},
		{"3.4e38", 3.4e38f, 6},
	};
	for (const auto& c : cases)
		expectAtof(c);
}

TEST(FastAtofMove, ReadsFractionsLongerThanFifteenDigits)
{
	const SFloatCase cases[] = {
		{"0.1234567890123456", 0.1234567890123456f, 18},
		{"0.12345678901234567890", 0.1234567890123456789f, 22},
		{"-2.00000000000000000001", -2.f, 23},
		{"0." + std::string(30, '0') + "15", 1.5e-31f, 34},
		// Too many digits for a float accumulator: still the fraction, and every digit consumed.
		{"0." + std::string(50, '9'), 1.f, 52},
		{"1." + std::string(60, '3') + ";", 1.3333333f, 62},
		{"0." + std::string(400, '0') + "1", 0.f, 403},
	};
	for (const auto& c : cases)
		expectAtof(c);
}

TEST(FastAtofMove, ExtremeExponentsGiveInfinityOrZeroNeverNaN)
{
	const SFloatCase cases[] = {
		{"1e99999", kInf, 7},
		{"-1e99999", -kInf, 8},
		{"1e-99999", 0.f, 8},
		{"0e99999", 0.f, 7},
		{"0.0e40", 0.f, 6},
		{"5e38", kInf, 4},
		// The exponent is clamped like any int; reading stops after the digit that overflowed.
		{"1e99999999999", kInf, 12},
		{"1e-99999999999", 0.f, 13},
		// The scale alone would leave the float range, the product does not.
		{"0.001e40", 1e37f, 8},
		{"100000e-50", 1e-45f, 10},
		{"1e-40", 1e-40f, 5},
	};
	for (const auto& c : cases)
	{
		float value = -1.f;
		const char* end = fw::fast_atof_move(c.text.c_str(), value);
		expectSameFloat(c.value, value, c.text);
		EXPECT_EQ(c.position, size_t(end - c.text.c_str())) << "text \"" << c.text << "\"";
	}
}

TEST(NumberParsers, NullTextGivesZero)
{
	const char* end = "not null";
	EXPECT_EQ(0.f, fw::strtof10(static_cast<const char*>(nullptr), &end));
	EXPECT_EQ(nullptr, end);
	end = "not null";
	EXPECT_EQ(0, fw::strtol10(static_cast<const char*>(nullptr), &end));
	EXPECT_EQ(nullptr, end);

	float value = -1.f;
	EXPECT_EQ(nullptr, fw::fast_atof_move(static_cast<const char*>(nullptr), value));
	EXPECT_EQ(0.f, value);
	value = -1.f;
	EXPECT_EQ(nullptr, fw::fast_atof_move(static_cast<const wchar_t*>(nullptr), value));
	EXPECT_EQ(0.f, value);

	EXPECT_EQ(0, fw::parseInt(nullptr));
}

TEST(NumberParsers, WideUnitsOutsideAsciiAreNotDigits)
{
	// Low bytes are "1", "5" and "-": a narrowing reader would take them for number characters.
	const std::wstring texts[] = {L"\x0131", L"\xFF15",
		L"\x012D"
		L"5",
		L"\xFF10"};
	for (const auto& text : texts)
	{
		const wchar_t* end = nullptr;
		EXPECT_EQ(0.f, fw::strtof10(text.c_str(), &end));
		EXPECT_EQ(text.c_str(), end);
		EXPECT_EQ(0, fw::strtol10(text.c_str(), &end));
		EXPECT_EQ(text.c_str(), end);
		float value = -1.f;
		EXPECT_EQ(text.c_str(), fw::fast_atof_move(text.c_str(), value));
		EXPECT_EQ(0.f, value);
	}
	EXPECT_EQ(fw::core::vector2df(5, 0),
		fw::parseVector2d(stringw(L"\x012D"
								  L"5")));
}

TEST(ParseInt, ReadsLikeAtoiButClamps)
{
	const struct
	{
		const char* text;
		fw::s32 value;
	} cases[] = {
		{"", 0},
		{"42", 42},
		{"  42abc", 42},
		{" \t\n\v\f\r-7", -7},
		{"+8", 8},
		{"-7", -7},
		{"abc", 0},
		{"- 5", 0},
		{"0x1A", 0},
		{"12 34", 12},
		{"007", 7},
		{"2147483647", INT_MAX},
		{"2147483648", INT_MAX},
		{"-2147483648", INT_MIN},
		{"-2147483649", INT_MIN},
		{"99999999999999999999999", INT_MAX},
		{"-99999999999999999999999", INT_MIN},
	};
	for (const auto& c : cases)
		EXPECT_EQ(c.value, fw::parseInt(c.text)) << "text \"" << c.text << "\"";
}

TEST(TruncateToInt, TruncatesTowardZeroAndClamps)
{
	const double nan = std::numeric_limits<double>::quiet_NaN();
	const double inf = std::numeric_limits<double>::infinity();
	const struct
	{
		double value;
		fw::s32 result;
	} cases[] = {
		{0.0, 0},
		{2.9, 2},
		{-2.9, -2},
		{5.5, 5},
		{-0.5, 0},
		{2147483646.9, 2147483646},
		{2147483647.0, INT_MAX},
		{2147483647.9, INT_MAX},
		{1e20, INT_MAX},
		{inf, INT_MAX},
		{-2147483648.0, INT_MIN},
		{-2147483648.9, INT_MIN},
		{-1e20, INT_MIN},
		{-inf, INT_MIN},
		{nan, 0},
	};
	for (const auto& c : cases)
		EXPECT_EQ(c.result, fw::truncateToInt(c.value)) << "value " << c.value;
}

TEST(NumberScanners, Vector2dTakesNumbersWhateverStandsBetween)
{
	const struct
	{
		const char* text;
		float x, y;
	} cases[] = {
		{"10;20", 10, 20},
		{"x=10, y=-20", 10, -20},
		{"5", 5, 0},
		{"", 0, 0},
		{"abc", 0, 0},
		{"(1.5, 2.5)", 1.5f, 2.5f},
		{"1.000000;2.000000", 1, 2},
		{"-.5;2", -0.5f, 2},
		// A point or plus sign before a number is skipped over.
		{".5;2", 5, 2},
		{"+3 4", 3, 4},
		{"-;7", 0, 7},
		{"1e2;3", 100, 3},
		{"1 2 3", 1, 2},
	};
	for (const auto& c : cases)
	{
		const fw::core::vector2df narrow = fw::parseVector2d(stringc(c.text));
		EXPECT_FLOAT_EQ(c.x, narrow.X) << "text \"" << c.text << "\"";
		EXPECT_FLOAT_EQ(c.y, narrow.Y) << "text \"" << c.text << "\"";

		const fw::core::vector2df wide = fw::parseVector2d(stringw(widen(c.text).c_str()));
		EXPECT_FLOAT_EQ(c.x, wide.X) << "wide text \"" << c.text << "\"";
		EXPECT_FLOAT_EQ(c.y, wide.Y) << "wide text \"" << c.text << "\"";
	}
}

TEST(NumberScanners, Vector3dColorfAndRect)
{
	const struct
	{
		const char* text;
		float v[4];
	} cases[] = {
		{"1;2;3;4", {1, 2, 3, 4}},
		{"1.000000;-2.500000;3.250000;0.100000", {1, -2.5f, 3.25f, 0.1f}},
		{"0;0;32;16", {0, 0, 32, 16}},
		{"1;2", {1, 2, 0, 0}},
		{"", {0, 0, 0, 0}},
		{"1;2;3;4;5", {1, 2, 3, 4}},
		{"[-1, -2] - [3, 4]", {-1, -2, 0, 3}},
	};
	for (const auto& c : cases)
	{
		const stringc narrow(c.text);
		const stringw wide(widen(c.text).c_str());

		for (const fw::core::vector3df& v : {fw::parseVector3d(narrow), fw::parseVector3d(wide)})
		{
			EXPECT_FLOAT_EQ(c.v[0], v.X) << "text \"" << c.text << "\"";
			EXPECT_FLOAT_EQ(c.v[1], v.Y) << "text \"" << c.text << "\"";
			EXPECT_FLOAT_EQ(c.v[2], v.Z) << "text \"" << c.text << "\"";
		}
		// A missing alpha stays 0, unlike the colour type's own default of 1.
		for (const fw::video::SColorf& col : {fw::parseColorf(narrow), fw::parseColorf(wide)})
		{
			EXPECT_FLOAT_EQ(c.v[0], col.r) << "text \"" << c.text << "\"";
			EXPECT_FLOAT_EQ(c.v[1], col.g) << "text \"" << c.text << "\"";
			EXPECT_FLOAT_EQ(c.v[2], col.b) << "text \"" << c.text << "\"";
			EXPECT_FLOAT_EQ(c.v[3], col.a) << "text \"" << c.text << "\"";
		}
		for (const fw::core::rect<float>& r : {fw::parseRect(narrow), fw::parseRect(wide)})
		{
			EXPECT_FLOAT_EQ(c.v[0], r.UpperLeftCorner.X) << "text \"" << c.text << "\"";
			EXPECT_FLOAT_EQ(c.v[1], r.UpperLeftCorner.Y) << "text \"" << c.text << "\"";
			EXPECT_FLOAT_EQ(c.v[2], r.LowerRightCorner.X) << "text \"" << c.text << "\"";
			EXPECT_FLOAT_EQ(c.v[3], r.LowerRightCorner.Y) << "text \"" << c.text << "\"";
		}
	}
}

class SplitTest : public ::testing::Test
{
protected:
	fw::s32 id(const char* name) { return fw::CNameTableSingleton::Instance().intern(name); }
};

TEST_F(SplitTest, TrimsDropsEmptyPiecesAndInternsInOrder)
{
	const struct
	{
		const char* text;
		std::vector<const char*> names;
	} cases[] = {
		{"", {}},
		{";", {}},
		{" ; \t;\r\n; ", {}},
		{"splitA", {"splitA"}},
		{"  splitA ; splitB;;\tsplitC ;", {"splitA", "splitB", "splitC"}},
		{"splitC;splitA", {"splitC", "splitA"}},
		{"splitA;splitA", {"splitA", "splitA"}},
		{"\nsplit D\r", {"split D"}},
		{";;splitB", {"splitB"}},
	};
	for (const auto& c : cases)
	{
		const fw::core::array<fw::s32> ids = fw::split(stringc(c.text));
		ASSERT_EQ(c.names.size(), ids.size()) << "text \"" << c.text << "\"";
		for (size_t i = 0; i < c.names.size(); ++i)
			EXPECT_EQ(id(c.names[i]), ids[i]) << "text \"" << c.text << "\", piece " << i;
	}
	EXPECT_STREQ("split D", fw::CNameTableSingleton::Instance().lookup(id("split D")).c_str());
}

TEST(EmptyStrings, AreEmptyAndTheSameObjectEachTime)
{
	EXPECT_TRUE(fw::getEmptyStringC().empty());
	EXPECT_TRUE(fw::getEmptyStringW().empty());
	EXPECT_EQ(&fw::getEmptyStringC(), &fw::getEmptyStringC());
	EXPECT_EQ(&fw::getEmptyStringW(), &fw::getEmptyStringW());
}

TEST(LiteralPlusString, PutsTheLiteralFirst)
{
	using fw::operator+;
	EXPECT_STREQ("prefix", ("pre" + stringc("fix")).c_str());
	EXPECT_STREQ("pre", ("pre" + stringc()).c_str());
	EXPECT_STREQ(L"prefix", (L"pre" + stringw(L"fix")).c_str());
	EXPECT_STREQ(L"fix", (L"" + stringw(L"fix")).c_str());
}

TEST(ModulateColor, MultipliesChannelsScaledBackTo255)
{
	using fw::video::SColor;
	const struct
	{
		SColor a, b, result;
	} cases[] = {
		{SColor(255, 255, 255, 255), SColor(255, 255, 255, 255), SColor(255, 255, 255, 255)},
		{SColor(255, 255, 255, 255), SColor(10, 20, 30, 40), SColor(10, 20, 30, 40)},
		{SColor(10, 20, 30, 40), SColor(255, 255, 255, 255), SColor(10, 20, 30, 40)},
		{SColor(255, 255, 255, 255), SColor(254, 1, 128, 0), SColor(254, 1, 128, 0)},
		{SColor(128, 128, 128, 128), SColor(128, 128, 128, 128), SColor(64, 64, 64, 64)},
		{SColor(0, 0, 0, 0), SColor(255, 255, 255, 255), SColor(0, 0, 0, 0)},
		// Channels stay in place: alpha, red, green, blue each with its own.
		{SColor(255, 255, 0, 128), SColor(128, 64, 255, 255), SColor(128, 64, 0, 128)},
		{SColor(100, 200, 50, 3), SColor(100, 100, 100, 100), SColor(39, 78, 19, 1)},
	};
	for (const auto& c : cases)
		EXPECT_EQ(c.result.color, fw::modulateColor(c.a, c.b).color) << std::hex << c.a.color << " x " << c.b.color;
}
} // namespace
