#include "core/CPropertyDataProperties.h"

#include "core/CLogger.h"
#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "core/XMLElements.h"

namespace fw
{
namespace
{
const wchar_t* const kElement = L"properties";

// Each nested element recurses once; a hostile file must not be able to exhaust the stack.
const u32 kMaxNesting = 64;
} // namespace

FW_PROPERTY_DATA_IDENTITY_DEFINITIONS(CPropertyDataProperties, kElement, L"CPropertyDataProperties", PDT_PROPERTIES)

IPropertyData* CPropertyDataProperties::clone() const
{
	CPropertyDataProperties* copy = new CPropertyDataProperties;
	if (m_container)
		copy->m_container = adoptRef(m_container->clone());
	return copy;
}

core::stringc CPropertyDataProperties::toString() const
{
	return core::stringc();
}

void CPropertyDataProperties::fromString(const core::stringc&)
{
}

bool CPropertyDataProperties::equals(const IPropertyData* other) const
{
	return other && other->isOfType(PDT_PROPERTIES) &&
		static_cast<const CPropertyDataProperties*>(other)->m_container == m_container;
}

bool CPropertyDataProperties::interpolate(const IPropertyData*, IPropertyData*, f32) const
{
	return false;
}

void CPropertyDataProperties::readFromXml(IXMLReader* reader)
{
	if (!reader)
		return;
	if (!m_container)
		m_container = adoptRef(new CPropertyContainer(nullptr));
	if (m_nestingDepth >= kMaxNesting)
	{
		logFormat(LOG_ERROR, "Property values nested deeper than %u levels; the deeper values are skipped",
			kMaxNesting);
		m_container->clear();
		skipXmlElement(reader);
		return;
	}
	m_container->setNestingDepth(m_nestingDepth + 1);
	m_container->readFromXml(reader, true, kElement);
}

void CPropertyDataProperties::writeToXml(IXMLWriter* writer, const core::stringc& name) const
{
	if (!writer || !m_container)
		return;
	const core::stringw wideName(name);
	writer->writeElement(kElement, false, L"Name", wideName.c_str());
	writer->writeLineBreak();
	m_container->writeToXml(writer, false, core::stringw(), false);
	writer->writeClosingTag(kElement);
}
} // namespace fw
