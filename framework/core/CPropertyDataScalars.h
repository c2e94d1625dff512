#pragma once

// The ten single-valued property types: numbers, colours, vectors, rectangles and strings.

#include "core/IPropertyData.h"

#include <SColor.h>
#include <rect.h>
#include <vector2d.h>
#include <vector3d.h>

namespace fw
{
// The operations every scalar class supplies itself.
#define FW_PROPERTY_DATA_COMMON()                                                                                      \
	FW_PROPERTY_DATA_IDENTITY()                                                                                        \
	IPropertyData* clone() const override;                                                                             \
	core::stringc toString() const override;                                                                           \
	void fromString(const core::stringc& text) override;                                                               \
	bool equals(const IPropertyData* other) const override;                                                            \
	bool interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const override;

class CPropertyDataInt : public IPropertyData
{
public:
	explicit CPropertyDataInt(s32 value = 0) : m_value(value) {}
	FW_PROPERTY_DATA_COMMON()

	s32 getValue() const { return m_value; }
	void setValue(s32 value) { m_value = value; }

private:
	s32 m_value;
};

class CPropertyDataBool : public IPropertyData
{
public:
	explicit CPropertyDataBool(bool value = false) : m_value(value) {}
	FW_PROPERTY_DATA_COMMON()

	bool getValue() const { return m_value; }
	void setValue(bool value) { m_value = value; }

private:
	bool m_value;
};

class CPropertyDataFloat : public IPropertyData
{
public:
	explicit CPropertyDataFloat(f32 value = 0.f) : m_value(value) {}
	FW_PROPERTY_DATA_COMMON()

	f32 getValue() const { return m_value; }
	void setValue(f32 value) { m_value = value; }

private:
	f32 m_value;
};

class CPropertyDataColor : public IPropertyData
{
public:
	// Never left unset: 0 (transparent black) until given a colour.
	explicit CPropertyDataColor(video::SColor value = video::SColor(0)) : m_value(value) {}
	FW_PROPERTY_DATA_COMMON()
	void fromStringW(const core::stringw& text) override;

	video::SColor getValue() const { return m_value; }
	void setValue(video::SColor value) { m_value = value; }

private:
	video::SColor m_value;
};

class CPropertyDataColorf : public IPropertyData
{
public:
	// The engine's default colour is opaque; this one starts with alpha 0 too.
	explicit CPropertyDataColorf(const video::SColorf& value = video::SColorf(0.f, 0.f, 0.f, 0.f)) : m_value(value) {}
	FW_PROPERTY_DATA_COMMON()
	void fromStringW(const core::stringw& text) override;

	const video::SColorf& getValue() const { return m_value; }
	void setValue(const video::SColorf& value) { m_value = value; }

private:
	video::SColorf m_value;
};

class CPropertyDataVector2d : public IPropertyData
{
public:
	explicit CPropertyDataVector2d(const core::vector2df& value = core::vector2df(0.f, 0.f)) : m_value(value) {}
	FW_PROPERTY_DATA_COMMON()
	void fromStringW(const core::stringw& text) override;

	const core::vector2df& getValue() const { return m_value; }
	void setValue(const core::vector2df& value) { m_value = value; }

private:
	core::vector2df m_value;
};

class CPropertyDataVector3d : public IPropertyData
{
public:
	explicit CPropertyDataVector3d(const core::vector3df& value = core::vector3df(0.f, 0.f, 0.f)) : m_value(value) {}
	FW_PROPERTY_DATA_COMMON()
	void fromStringW(const core::stringw& text) override;

	const core::vector3df& getValue() const { return m_value; }
	void setValue(const core::vector3df& value) { m_value = value; }

private:
	core::vector3df m_value;
};

class CPropertyDataRect : public IPropertyData
{
public:
	explicit CPropertyDataRect(const core::rect<f32>& value = core::rect<f32>(0.f, 0.f, 0.f, 0.f)) : m_value(value) {}
	FW_PROPERTY_DATA_COMMON()
	void fromStringW(const core::stringw& text) override;

	const core::rect<f32>& getValue() const { return m_value; }
	void setValue(const core::rect<f32>& value) { m_value = value; }

private:
	core::rect<f32> m_value;
};

class CPropertyDataString : public IPropertyData
{
public:
	CPropertyDataString() = default;
	explicit CPropertyDataString(const core::stringc& value) : m_value(value) {}
	FW_PROPERTY_DATA_COMMON()
	void fromStringW(const core::stringw& text) override;

	const core::stringc& getValue() const { return m_value; }
	void setValue(const core::stringc& value) { m_value = value; }

private:
	core::stringc m_value;
};

class CPropertyDataStringW : public IPropertyData
{
public:
	CPropertyDataStringW() = default;
	explicit CPropertyDataStringW(const core::stringw& value) : m_value(value) {}
	FW_PROPERTY_DATA_COMMON()
	core::stringw toStringW() const override;
	void fromStringW(const core::stringw& text) override;

	const core::stringw& getValue() const { return m_value; }
	void setValue(const core::stringw& value) { m_value = value; }

private:
	core::stringw m_value;
};
} // namespace fw

#undef FW_PROPERTY_DATA_COMMON
