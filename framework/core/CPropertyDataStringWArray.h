#pragma once

#include "core/IPropertyData.h"

namespace fw
{
// A list of wide strings; in XML one "stringw" child per string.
class CPropertyDataStringWArray : public IPropertyData
{
public:
	CPropertyDataStringWArray() = default;
	explicit CPropertyDataStringWArray(const core::array<core::stringw>& value) : m_value(value) {}

	FW_PROPERTY_DATA_IDENTITY()
	IPropertyData* clone() const override;
	// No text form: the strings live in child elements.
	core::stringc toString() const override;
	void fromString(const core::stringc& text) override;
	bool equals(const IPropertyData* other) const override;
	bool interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const override;
	void readFromXml(IXMLReader* reader) override;
	void writeToXml(IXMLWriter* writer, const core::stringc& name) const override;

	const core::array<core::stringw>& getValue() const { return m_value; }
	void setValue(const core::array<core::stringw>& value) { m_value = value; }

private:
	core::array<core::stringw> m_value;
};
} // namespace fw
