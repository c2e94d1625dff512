#pragma once

#include "core/CPropertyContainer.h"
#include "core/IPropertyData.h"

namespace fw
{
// A nested property container; in XML a "properties" element holding one child per value.
class CPropertyDataProperties : public IPropertyData
{
public:
	CPropertyDataProperties() = default;
	// Takes a reference to the container.
	explicit CPropertyDataProperties(CPropertyContainer* container) : m_container(container) {}

	FW_PROPERTY_DATA_IDENTITY()
	IPropertyData* clone() const override;
	core::stringc toString() const override;
	void fromString(const core::stringc& text) override;
	// Equal only to a value holding the same container object.
	bool equals(const IPropertyData* other) const override;
	bool interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const override;
	void readFromXml(IXMLReader* reader) override;
	void writeToXml(IXMLWriter* writer, const core::stringc& name) const override;

	CPropertyContainer* getValue() const { return m_container.get(); }
	void setValue(CPropertyContainer* container) { m_container.assign(container); }
	// The nested values around this one while it is read; the container reading it sets it.
	void setNestingDepth(u32 depth) { m_nestingDepth = depth; }

private:
	CRefHolder<CPropertyContainer> m_container;
	u32 m_nestingDepth = 0;
};
} // namespace fw
