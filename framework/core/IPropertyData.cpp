#include "core/IPropertyData.h"

#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"

namespace fw
{
const core::stringw& IPropertyData::getTypeName() const
{
	// Never destroyed: values may still be written while the process exits.
	static const core::stringw& name = *new core::stringw(L"none");
	return name;
}

const core::stringw& IPropertyData::getClassName() const
{
	static const core::stringw& name = *new core::stringw(L"IPropertyData");
	return name;
}

core::stringw IPropertyData::toStringW() const
{
	return core::stringw(toString());
}

void IPropertyData::fromStringW(const core::stringw& text)
{
	fromString(core::stringc(text));
}

void IPropertyData::prepareInterpolation(const IPropertyData*)
{
}

void IPropertyData::readFromXml(IXMLReader* reader)
{
	if (!reader)
		return;
	static const core::stringw& valueAttribute = *new core::stringw(L"Value");
	fromStringW(reader->getAttributeValue(valueAttribute));
}

void IPropertyData::writeToXml(IXMLWriter* writer, const core::stringc& name) const
{
	if (!writer)
		return;
	const core::stringw wideName(name);
	const core::stringw text = toStringW();
	writer->writeElement(getTypeName().c_str(), true, L"Name", wideName.c_str(), L"Value", text.c_str());
}
} // namespace fw
