#include "core/CPropertyDataScalars.h"

#include "core/StringHash.h"
#include "core/TextParsing.h"

#include <cmath>
#include <cstdio>
#include <cwchar>

namespace fw
{
namespace
{
// Never destroyed: values may still be written while the process exits.
// The caller promises a value of the same type; a foreign one is refused rather than misread.
template <class T>
const T* asType(const IPropertyData* data, s32 id)
{
	return data && data->isOfType(id) ? static_cast<const T*>(data) : nullptr;
}

template <class T>
T* asType(IPropertyData* data, s32 id)
{
	return data && data->isOfType(id) ? static_cast<T*>(data) : nullptr;
}

// Fixed notation with six decimals, several numbers joined by ";".
core::stringc formatFloats(const f32* values, u32 count)
{
	core::stringc text;
	for (u32 i = 0; i < count; ++i)
	{
		// Wide enough for the largest float in fixed notation.
		c8 buffer[64];
		snprintf(buffer, sizeof(buffer), "%0f", static_cast<f64>(values[i]));
		if (i)
			text += ';';
		text += buffer;
	}
	return text;
}

s32 hexDigit(u32 c)
{
	if (c >= '0' && c <= '9')
		return static_cast<s32>(c - '0');
	if (c >= 'a' && c <= 'f')
		return static_cast<s32>(c - 'a' + 10);
	if (c >= 'A' && c <= 'F')
		return static_cast<s32>(c - 'A' + 10);
	return -1;
}

// What "%08x" reads from text that starts with a hex digit and no "0x": up to eight digits. Colours
// are written that way; anything else (blanks, a sign, a prefix) is left to the scanf family, which
// false asks for.
template <class T>
bool scanPlainHex(const T* text, unsigned int& value)
{
	if (hexDigit(static_cast<u32>(text[0])) < 0 || (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')))
		return false;
	unsigned int result = 0;
	for (u32 i = 0; i < 8; ++i)
	{
		const s32 digit = hexDigit(static_cast<u32>(text[i]));
		if (digit < 0)
			break;
		result = (result << 4) | static_cast<unsigned int>(digit);
	}
	value = result;
	return true;
}

f32 lerp(f32 from, f32 to, f32 t)
{
	return from + (to - from) * t;
}

u32 mixChannel(u32 from, u32 to, f32 inverse, f32 t)
{
	const f32 value = static_cast<f32>(from) * inverse + static_cast<f32>(to) * t;
	// t outside 0..1 (or NaN) must not reach an out-of-range float-to-integer conversion.
	if (!(value > 0.f))
		return 0;
	if (value >= 255.f)
		return 255;
	return static_cast<u32>(value);
}
} // namespace

#define FW_SCALAR_IDENTITY(Class, typeName, className, id)                                                             \
	FW_PROPERTY_DATA_IDENTITY_DEFINITIONS(Class, typeName, className, id)                                              \
	IPropertyData* Class::clone() const                                                                                \
	{                                                                                                                  \
		return new Class(m_value);                                                                                     \
	}

FW_SCALAR_IDENTITY(CPropertyDataInt, L"int", L"CPropertyDataInt", PDT_INT)
FW_SCALAR_IDENTITY(CPropertyDataBool, L"bool", L"CPropertyDataBool", PDT_BOOL)
FW_SCALAR_IDENTITY(CPropertyDataFloat, L"float", L"CPropertyDataFloat", PDT_FLOAT)
FW_SCALAR_IDENTITY(CPropertyDataColor, L"color", L"CPropertyDataColor", PDT_COLOR)
FW_SCALAR_IDENTITY(CPropertyDataColorf, L"colorf", L"CPropertyDataColorf", PDT_COLORF)
FW_SCALAR_IDENTITY(CPropertyDataVector2d, L"vector2d", L"CPropertyDataVector2d", PDT_VECTOR2D)
FW_SCALAR_IDENTITY(CPropertyDataVector3d, L"vector3d", L"CPropertyDataVector3d", PDT_VECTOR3D)
FW_SCALAR_IDENTITY(CPropertyDataRect, L"rect", L"CPropertyDataRect", PDT_RECT)
FW_SCALAR_IDENTITY(CPropertyDataString, L"string", L"CPropertyDataString", PDT_STRING)
FW_SCALAR_IDENTITY(CPropertyDataStringW, L"stringw", L"CPropertyDataStringW", PDT_STRINGW)

#undef FW_SCALAR_IDENTITY

// int

core::stringc CPropertyDataInt::toString() const
{
	c8 buffer[16];
	snprintf(buffer, sizeof(buffer), "%d", m_value);
	return core::stringc(buffer);
}

void CPropertyDataInt::fromString(const core::stringc& text)
{
	m_value = parseInt(text.c_str());
}

bool CPropertyDataInt::equals(const IPropertyData* other) const
{
	const CPropertyDataInt* o = asType<CPropertyDataInt>(other, PDT_INT);
	return o && o->m_value == m_value;
}

bool CPropertyDataInt::interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const
{
	const CPropertyDataInt* to = asType<CPropertyDataInt>(target, PDT_INT);
	CPropertyDataInt* result = asType<CPropertyDataInt>(out, PDT_INT);
	if (!to || !result)
		return false;
	// The difference of two ints, and its product with t, can leave the int range.
	const f64 step = std::trunc((static_cast<f64>(to->m_value) - static_cast<f64>(m_value)) * t);
	result->m_value = truncateToInt(static_cast<f64>(m_value) + step);
	return true;
}

// bool

core::stringc CPropertyDataBool::toString() const
{
	return core::stringc(m_value ? "true" : "false");
}

void CPropertyDataBool::fromString(const core::stringc& text)
{
	m_value = text == "true";
}

bool CPropertyDataBool::equals(const IPropertyData* other) const
{
	const CPropertyDataBool* o = asType<CPropertyDataBool>(other, PDT_BOOL);
	return o && o->m_value == m_value;
}

bool CPropertyDataBool::interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const
{
	const CPropertyDataBool* to = asType<CPropertyDataBool>(target, PDT_BOOL);
	CPropertyDataBool* result = asType<CPropertyDataBool>(out, PDT_BOOL);
	if (!to || !result)
		return false;
	const bool value = t == 1.f ? to->m_value : m_value;
	const bool changed = result->m_value != value;
	result->m_value = value;
	return changed;
}

// float

core::stringc CPropertyDataFloat::toString() const
{
	return formatFloats(&m_value, 1);
}

void CPropertyDataFloat::fromString(const core::stringc& text)
{
	fast_atof_move(text.c_str(), m_value);
}

bool CPropertyDataFloat::equals(const IPropertyData* other) const
{
	const CPropertyDataFloat* o = asType<CPropertyDataFloat>(other, PDT_FLOAT);
	return o && o->m_value == m_value;
}

bool CPropertyDataFloat::interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const
{
	const CPropertyDataFloat* to = asType<CPropertyDataFloat>(target, PDT_FLOAT);
	CPropertyDataFloat* result = asType<CPropertyDataFloat>(out, PDT_FLOAT);
	if (!to || !result)
		return false;
	result->m_value = lerp(m_value, to->m_value, t);
	return true;
}

// color

core::stringc CPropertyDataColor::toString() const
{
	c8 buffer[16];
	snprintf(buffer, sizeof(buffer), "%08x", static_cast<unsigned int>(m_value.color));
	return core::stringc(buffer);
}

void CPropertyDataColor::fromString(const core::stringc& text)
{
	unsigned int value = 0;
	if (!scanPlainHex(text.c_str(), value) && sscanf(text.c_str(), "%08x", &value) != 1)
		value = 0;
	m_value.color = value;
}

void CPropertyDataColor::fromStringW(const core::stringw& text)
{
	unsigned int value = 0;
	if (!scanPlainHex(text.c_str(), value) && swscanf(text.c_str(), L"%08x", &value) != 1)
		value = 0;
	m_value.color = value;
}

bool CPropertyDataColor::equals(const IPropertyData* other) const
{
	const CPropertyDataColor* o = asType<CPropertyDataColor>(other, PDT_COLOR);
	return o && o->m_value.color == m_value.color;
}

bool CPropertyDataColor::interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const
{
	const CPropertyDataColor* to = asType<CPropertyDataColor>(target, PDT_COLOR);
	CPropertyDataColor* result = asType<CPropertyDataColor>(out, PDT_COLOR);
	if (!to || !result)
		return false;
	const f32 inverse = 1.f - t;
	const video::SColor& a = m_value;
	const video::SColor& b = to->m_value;
	result->m_value.set(mixChannel(a.getAlpha(), b.getAlpha(), inverse, t),
		mixChannel(a.getRed(), b.getRed(), inverse, t), mixChannel(a.getGreen(), b.getGreen(), inverse, t),
		mixChannel(a.getBlue(), b.getBlue(), inverse, t));
	return true;
}

// colorf

core::stringc CPropertyDataColorf::toString() const
{
	const f32 values[4] = {m_value.r, m_value.g, m_value.b, m_value.a};
	return formatFloats(values, 4);
}

void CPropertyDataColorf::fromString(const core::stringc& text)
{
	m_value = parseColorf(text);
}

void CPropertyDataColorf::fromStringW(const core::stringw& text)
{
	m_value = parseColorf(text);
}

bool CPropertyDataColorf::equals(const IPropertyData* other) const
{
	const CPropertyDataColorf* o = asType<CPropertyDataColorf>(other, PDT_COLORF);
	return o && o->m_value.r == m_value.r && o->m_value.g == m_value.g && o->m_value.b == m_value.b &&
		o->m_value.a == m_value.a;
}

bool CPropertyDataColorf::interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const
{
	const CPropertyDataColorf* to = asType<CPropertyDataColorf>(target, PDT_COLORF);
	CPropertyDataColorf* result = asType<CPropertyDataColorf>(out, PDT_COLORF);
	if (!to || !result)
		return false;
	const f32 inverse = 1.f - t;
	const video::SColorf& a = m_value;
	const video::SColorf& b = to->m_value;
	result->m_value = video::SColorf(a.r * inverse + b.r * t, a.g * inverse + b.g * t, a.b * inverse + b.b * t,
		a.a * inverse + b.a * t);
	return true;
}

// vector2d

core::stringc CPropertyDataVector2d::toString() const
{
	const f32 values[2] = {m_value.X, m_value.Y};
	return formatFloats(values, 2);
}

void CPropertyDataVector2d::fromString(const core::stringc& text)
{
	m_value = parseVector2d(text);
}

void CPropertyDataVector2d::fromStringW(const core::stringw& text)
{
	m_value = parseVector2d(text);
}

bool CPropertyDataVector2d::equals(const IPropertyData* other) const
{
	const CPropertyDataVector2d* o = asType<CPropertyDataVector2d>(other, PDT_VECTOR2D);
	// Exact: the engine's operator== would allow a tolerance.
	return o && o->m_value.X == m_value.X && o->m_value.Y == m_value.Y;
}

bool CPropertyDataVector2d::interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const
{
	const CPropertyDataVector2d* to = asType<CPropertyDataVector2d>(target, PDT_VECTOR2D);
	CPropertyDataVector2d* result = asType<CPropertyDataVector2d>(out, PDT_VECTOR2D);
	if (!to || !result)
		return false;
	result->m_value.set(lerp(m_value.X, to->m_value.X, t), lerp(m_value.Y, to->m_value.Y, t));
	return true;
}

// vector3d

core::stringc CPropertyDataVector3d::toString() const
{
	const f32 values[3] = {m_value.X, m_value.Y, m_value.Z};
	return formatFloats(values, 3);
}

void CPropertyDataVector3d::fromString(const core::stringc& text)
{
	m_value = parseVector3d(text);
}

void CPropertyDataVector3d::fromStringW(const core::stringw& text)
{
	m_value = parseVector3d(text);
}

bool CPropertyDataVector3d::equals(const IPropertyData* other) const
{
	const CPropertyDataVector3d* o = asType<CPropertyDataVector3d>(other, PDT_VECTOR3D);
	if (!o)
		return false;
	const f32 tolerance = 1e-6f;
	const auto near = [tolerance](f32 mine, f32 theirs)
	{ return theirs <= mine + tolerance && theirs >= mine - tolerance; };
	return near(m_value.X, o->m_value.X) && near(m_value.Y, o->m_value.Y) && near(m_value.Z, o->m_value.Z);
}

bool CPropertyDataVector3d::interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const
{
	const CPropertyDataVector3d* to = asType<CPropertyDataVector3d>(target, PDT_VECTOR3D);
	CPropertyDataVector3d* result = asType<CPropertyDataVector3d>(out, PDT_VECTOR3D);
	if (!to || !result)
		return false;
	result->m_value.set(lerp(m_value.X, to->m_value.X, t), lerp(m_value.Y, to->m_value.Y, t),
		lerp(m_value.Z, to->m_value.Z, t));
	return true;
}

// rect

core::stringc CPropertyDataRect::toString() const
{
	const f32 values[4] = {m_value.UpperLeftCorner.X, m_value.UpperLeftCorner.Y, m_value.LowerRightCorner.X,
		m_value.LowerRightCorner.Y};
	return formatFloats(values, 4);
}

void CPropertyDataRect::fromString(const core::stringc& text)
{
	m_value = parseRect(text);
}

void CPropertyDataRect::fromStringW(const core::stringw& text)
{
	m_value = parseRect(text);
}

bool CPropertyDataRect::equals(const IPropertyData* other) const
{
	const CPropertyDataRect* o = asType<CPropertyDataRect>(other, PDT_RECT);
	if (!o)
		return false;
	const core::rect<f32>& a = m_value;
	const core::rect<f32>& b = o->m_value;
	return a.UpperLeftCorner.X == b.UpperLeftCorner.X && a.UpperLeftCorner.Y == b.UpperLeftCorner.Y &&
		a.LowerRightCorner.X == b.LowerRightCorner.X && a.LowerRightCorner.Y == b.LowerRightCorner.Y;
}

bool CPropertyDataRect::interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const
{
	const CPropertyDataRect* to = asType<CPropertyDataRect>(target, PDT_RECT);
	CPropertyDataRect* result = asType<CPropertyDataRect>(out, PDT_RECT);
	if (!to || !result)
		return false;
	const core::rect<f32>& a = m_value;
	const core::rect<f32>& b = to->m_value;
	result->m_value = core::rect<f32>(lerp(a.UpperLeftCorner.X, b.UpperLeftCorner.X, t),
		lerp(a.UpperLeftCorner.Y, b.UpperLeftCorner.Y, t), lerp(a.LowerRightCorner.X, b.LowerRightCorner.X, t),
		lerp(a.LowerRightCorner.Y, b.LowerRightCorner.Y, t));
	return true;
}

// string

core::stringc CPropertyDataString::toString() const
{
	return m_value;
}

void CPropertyDataString::fromString(const core::stringc& text)
{
	m_value = text;
}

void CPropertyDataString::fromStringW(const core::stringw& text)
{
	m_value = core::stringc(text);
}

bool CPropertyDataString::equals(const IPropertyData* other) const
{
	const CPropertyDataString* o = asType<CPropertyDataString>(other, PDT_STRING);
	return o && sameText(o->m_value, m_value);
}

bool CPropertyDataString::interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const
{
	const CPropertyDataString* to = asType<CPropertyDataString>(target, PDT_STRING);
	CPropertyDataString* result = asType<CPropertyDataString>(out, PDT_STRING);
	if (!to || !result || !(t >= 1.f))
		return false;
	result->m_value = to->m_value;
	return true;
}

// stringw

core::stringw CPropertyDataStringW::toStringW() const
{
	return m_value;
}

core::stringc CPropertyDataStringW::toString() const
{
	return core::stringc(m_value);
}

void CPropertyDataStringW::fromString(const core::stringc& text)
{
	m_value = core::stringw(text);
}

void CPropertyDataStringW::fromStringW(const core::stringw& text)
{
	m_value = text;
}

bool CPropertyDataStringW::equals(const IPropertyData* other) const
{
	const CPropertyDataStringW* o = asType<CPropertyDataStringW>(other, PDT_STRINGW);
	return o && sameText(o->m_value, m_value);
}

bool CPropertyDataStringW::interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const
{
	const CPropertyDataStringW* to = asType<CPropertyDataStringW>(target, PDT_STRINGW);
	CPropertyDataStringW* result = asType<CPropertyDataStringW>(out, PDT_STRINGW);
	if (!to || !result || !(t >= 1.f))
		return false;
	result->m_value = to->m_value;
	return true;
}
} // namespace fw
