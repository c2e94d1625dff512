#include "core/CPropertyDataStringWArray.h"

#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"

namespace fw
{
namespace
{
const wchar_t* const kArrayElement = L"stringwArray";
const wchar_t* const kStringElement = L"stringw";

bool isElement(IXMLReader* reader, EXmlNodeType type, const wchar_t* name)
{
	return reader->getNodeType() == type && reader->getNodeName() == name;
}
} // namespace

FW_PROPERTY_DATA_IDENTITY_DEFINITIONS(CPropertyDataStringWArray, kArrayElement, L"CPropertyDataStringWArray",
	PDT_STRINGW_ARRAY)

IPropertyData* CPropertyDataStringWArray::clone() const
{
	return new CPropertyDataStringWArray(m_value);
}

core::stringc CPropertyDataStringWArray::toString() const
{
	return core::stringc();
}

void CPropertyDataStringWArray::fromString(const core::stringc&)
{
}

bool CPropertyDataStringWArray::equals(const IPropertyData* other) const
{
	if (!other || !other->isOfType(PDT_STRINGW_ARRAY))
		return false;
	const core::array<core::stringw>& theirs = static_cast<const CPropertyDataStringWArray*>(other)->m_value;
	if (theirs.size() != m_value.size())
		return false;
	for (u32 i = 0; i < m_value.size(); ++i)
	{
		const core::stringw& a = m_value[i];
		const core::stringw& b = theirs[i];
		if (a.size() != b.size())
			return false;
		for (u32 k = 0; k < a.size(); ++k)
			if (a[k] != b[k])
				return false;
	}
	return true;
}

bool CPropertyDataStringWArray::interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const
{
	if (!target || !out || !target->isOfType(PDT_STRINGW_ARRAY) || !out->isOfType(PDT_STRINGW_ARRAY) || !(t >= 1.f))
		return false;
	static_cast<CPropertyDataStringWArray*>(out)->m_value =
		static_cast<const CPropertyDataStringWArray*>(target)->m_value;
	return true;
}

void CPropertyDataStringWArray::readFromXml(IXMLReader* reader)
{
	m_value.clear();
	// An empty element has no children: reading on would consume the next sibling.
	if (!reader || reader->isEmptyElement())
		return;
	while (reader->read())
	{
		if (isElement(reader, XML_NODE_ELEMENT, kStringElement))
			m_value.push_back(reader->getAttributeValue(0));
		else if (isElement(reader, XML_NODE_ELEMENT_END, kArrayElement))
			break;
	}
}

void CPropertyDataStringWArray::writeToXml(IXMLWriter* writer, const core::stringc& name) const
{
	if (!writer)
		return;
	const core::stringw wideName(name);
	writer->writeElement(kArrayElement, false, L"Name", wideName.c_str());
	writer->writeLineBreak();
	for (u32 i = 0; i < m_value.size(); ++i)
	{
		writer->writeElement(kStringElement, true, L"Value", m_value[i].c_str());
		writer->writeLineBreak();
	}
	writer->writeClosingTag(kArrayElement);
}
} // namespace fw
