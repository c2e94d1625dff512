#include "core/TextParsing.h"

#include "core/CNameTable.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>

namespace fw
{
namespace
{
// Works for narrow text and for UTF-16 units held in wchar_t alike.
template <typename C>
bool isDigit(C c)
{
	return c >= '0' && c <= '9';
}

template <typename C>
u32 digitValue(C c)
{
	return static_cast<u32>(c - '0');
}

// Scales for 0 to 15 fraction digits.
const f32 kFractionScale[16] = {0.f, 0.1f, 0.01f, 0.001f, 1e-4f, 1e-5f, 1e-6f, 1e-7f, 1e-8f, 1e-9f, 1e-10f, 1e-11f,
	1e-12f, 1e-13f, 1e-14f, 1e-15f};

// Powers of ten whose 32-bit float is a normal number.
const s32 kMinFloatExponent = -37;
const s32 kMaxFloatExponent = 38;
// Beyond this no 32-bit value survives the scaling, and 10^n stays finite in double.
const s32 kMaxDoubleExponent = 300;

f32 toFloatClamped(f64 value)
{
	if (value > FLT_MAX)
		return std::numeric_limits<f32>::infinity();
	if (value < -FLT_MAX)
		return -std::numeric_limits<f32>::infinity();
	return static_cast<f32>(value);
}

template <typename C>
f32 strtof10T(const C* in, const C** out)
{
	if (!in)
	{
		if (out)
			*out = in;
		return 0.f;
	}

	const u32 maxSafeValue = 0xffffffffu / 10 - 10;
	u32 intValue = 0;
	while (isDigit(*in) && intValue < maxSafeValue)
	{
		intValue = intValue * 10 + digitValue(*in);
		++in;
	}

	f32 floatValue = static_cast<f32>(intValue);
	while (isDigit(*in))
	{
		floatValue = floatValue * 10.f + static_cast<f32>(digitValue(*in));
		++in;
		if (floatValue > FLT_MAX)
			break;
	}

	if (out)
		*out = in;
	return floatValue;
}

template <typename C>
s32 strtol10T(const C* in, const C** out)
{
	if (!in)
	{
		if (out)
			*out = in;
		return 0;
	}

	bool negative = false;
	if (*in == '-')
	{
		negative = true;
		++in;
	}
	else if (*in == '+')
		++in;

	// 64 bits so that the digit after the limit cannot wrap before the test sees it.
	u64 value = 0;
	while (isDigit(*in))
	{
		value = value * 10 + digitValue(*in);
		++in;
		if (value > static_cast<u64>(INT_MAX))
		{
			value = INT_MAX;
			break;
		}
	}

	if (out)
		*out = in;
	const s32 result = static_cast<s32>(value);
	return negative ? -result : result;
}

// Fractions longer than the scale table: every digit read in double, scaled by 10^-n.
template <typename C>
f32 readLongFraction(const C* in, const C** out)
{
	f64 digits = 0;
	s32 weighted = 0;
	while (isDigit(*in))
	{
		// Digits past double precision cannot change the 32-bit result.
		if (digits < 1e17)
		{
			digits = digits * 10 + digitValue(*in);
			++weighted;
		}
		++in;
	}
	*out = in;
	if (weighted > kMaxDoubleExponent)
		return 0.f;
	return static_cast<f32>(digits * std::pow(10.0, -weighted));
}

template <typename C>
const C* fastAtofMoveT(const C* in, f32& out)
{
	out = 0.f;
	if (!in)
		return nullptr;

	bool negative = false;
	if (*in == '-')
	{
		negative = true;
		++in;
	}

	f32 value = strtof10T(in, &in);

	if (*in == '.')
	{
		const C* fractionStart = ++in;
		const f32 fraction = strtof10T(in, &in);
		const ptrdiff_t count = in - fractionStart;
		if (count < 16)
			value += fraction * kFractionScale[count];
		else
			value += readLongFraction(fractionStart, &in);
	}

	if (*in == 'e' || *in == 'E')
	{
		++in;
		s32 exponent = strtol10T(in, &in);
		if (exponent >= kMinFloatExponent && exponent <= kMaxFloatExponent)
			value *= static_cast<f32>(std::pow(10.0, exponent));
		else
		{
			// A 32-bit scale would be infinite or zero here (and 0 times infinity is NaN),
			// so the product is taken in double with a finite scale.
			if (exponent > kMaxDoubleExponent)
				exponent = kMaxDoubleExponent;
			else if (exponent < -kMaxDoubleExponent)
				exponent = -kMaxDoubleExponent;
			value = toFloatClamped(static_cast<f64>(value) * std::pow(10.0, exponent));
		}
	}

	out = negative ? -value : value;
	return in;
}

template <typename C>
void scanNumbers(const C* in, f32* results, u32 count)
{
	for (u32 i = 0; i < count; ++i)
		results[i] = 0.f;

	for (u32 i = 0; i < count && *in; ++i)
	{
		while (*in && *in != '-' && !isDigit(*in))
			++in;
		if (!*in)
			break;
		in = fastAtofMoveT(in, results[i]);
	}
}

bool isSplitSpace(c8 c)
{
	return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
} // namespace

f32 strtof10(const c8* in, const c8** out)
{
	return strtof10T(in, out);
}

f32 strtof10(const wchar_t* in, const wchar_t** out)
{
	return strtof10T(in, out);
}

s32 strtol10(const c8* in, const c8** out)
{
	return strtol10T(in, out);
}

s32 strtol10(const wchar_t* in, const wchar_t** out)
{
	return strtol10T(in, out);
}

const c8* fast_atof_move(const c8* in, f32& out)
{
	return fastAtofMoveT(in, out);
}

const wchar_t* fast_atof_move(const wchar_t* in, f32& out)
{
	return fastAtofMoveT(in, out);
}

s32 parseInt(const c8* text)
{
	if (!text)
		return 0;

	// The C locale's white space, as atoi skips it.
	while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
		++text;

	bool negative = false;
	if (*text == '-' || *text == '+')
	{
		negative = *text == '-';
		++text;
	}

	const s64 limit = negative ? -static_cast<s64>(INT_MIN) : static_cast<s64>(INT_MAX);
	s64 value = 0;
	for (; isDigit(*text); ++text)
	{
		value = value * 10 + digitValue(*text);
		if (value > limit)
			value = limit;
	}
	return static_cast<s32>(negative ? -value : value);
}

s32 truncateToInt(f64 value)
{
	if (std::isnan(value))
		return 0;
	if (value >= static_cast<f64>(INT_MAX))
		return INT_MAX;
	if (value <= static_cast<f64>(INT_MIN))
		return INT_MIN;
	return static_cast<s32>(value);
}

core::vector2df parseVector2d(const core::stringc& text)
{
	f32 v[2];
	scanNumbers(text.c_str(), v, 2);
	return core::vector2df(v[0], v[1]);
}

core::vector2df parseVector2d(const core::stringw& text)
{
	f32 v[2];
	scanNumbers(text.c_str(), v, 2);
	return core::vector2df(v[0], v[1]);
}

core::vector3df parseVector3d(const core::stringc& text)
{
	f32 v[3];
	scanNumbers(text.c_str(), v, 3);
	return core::vector3df(v[0], v[1], v[2]);
}

core::vector3df parseVector3d(const core::stringw& text)
{
	f32 v[3];
	scanNumbers(text.c_str(), v, 3);
	return core::vector3df(v[0], v[1], v[2]);
}

video::SColorf parseColorf(const core::stringc& text)
{
	f32 v[4];
	scanNumbers(text.c_str(), v, 4);
	return video::SColorf(v[0], v[1], v[2], v[3]);
}

video::SColorf parseColorf(const core::stringw& text)
{
	f32 v[4];
	scanNumbers(text.c_str(), v, 4);
	return video::SColorf(v[0], v[1], v[2], v[3]);
}

core::rect<f32> parseRect(const core::stringc& text)
{
	f32 v[4];
	scanNumbers(text.c_str(), v, 4);
	return core::rect<f32>(v[0], v[1], v[2], v[3]);
}

core::rect<f32> parseRect(const core::stringw& text)
{
	f32 v[4];
	scanNumbers(text.c_str(), v, 4);
	return core::rect<f32>(v[0], v[1], v[2], v[3]);
}

core::array<s32> split(const core::stringc& text)
{
	core::array<s32> ids;
	const c8* p = text.c_str();
	const c8* const end = p + text.size();
	for (;;)
	{
		const c8* pieceEnd = p;
		while (pieceEnd < end && *pieceEnd != ';')
			++pieceEnd;

		const c8* first = p;
		const c8* last = pieceEnd;
		while (first < last && isSplitSpace(*first))
			++first;
		while (last > first && isSplitSpace(last[-1]))
			--last;
		if (first < last)
			ids.push_back(CNameTableSingleton::Instance().intern(core::stringc(first, static_cast<u32>(last - first))));

		if (pieceEnd == end)
			break;
		p = pieceEnd + 1;
	}
	return ids;
}

// Never destroyed: code running during process exit may still ask for them.
const core::stringc& getEmptyStringC()
{
	static const core::stringc* empty = new core::stringc;
	return *empty;
}

const core::stringw& getEmptyStringW()
{
	static const core::stringw* empty = new core::stringw;
	return *empty;
}

core::stringc operator+(const c8* literal, const core::stringc& text)
{
	core::stringc result(literal);
	result += text;
	return result;
}

core::stringw operator+(const wchar_t* literal, const core::stringw& text)
{
	core::stringw result(literal);
	result += text;
	return result;
}

video::SColor modulateColor(video::SColor a, video::SColor b)
{
	// The float nearest 1/255 lies just above it, so 255 x 255 still gives 255.
	const f64 scale = 0.003921569f;
	const auto channel = [scale](u32 x, u32 y) { return static_cast<u32>(static_cast<f64>(x * y) * scale); };
	return video::SColor(channel(a.getAlpha(), b.getAlpha()), channel(a.getRed(), b.getRed()),
		channel(a.getGreen(), b.getGreen()), channel(a.getBlue(), b.getBlue()));
}
} // namespace fw
