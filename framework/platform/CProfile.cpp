#include "platform/CProfile.h"

#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "platform/CProfileManager.h"

namespace fw
{
CProfile::CProfile(CProfileManager* owner, const core::stringw& name) :
	CPropertyContainer(nullptr), m_owner(owner), m_name(name)
{
}

void CProfile::load(IXMLReader* reader)
{
	clear();
	if (!reader || reader->getNodeType() != XML_NODE_ELEMENT || reader->isEmptyElement())
		return;
	// The profile's own element name ends the search for its parameters.
	const core::stringw element = reader->getNodeName();
	while (reader->read())
	{
		const EXmlNodeType type = reader->getNodeType();
		if (type == XML_NODE_ELEMENT && reader->getNodeName() == L"Parameters")
		{
			readFromXml(reader, true, L"Parameters");
			return;
		}
		if (type == XML_NODE_ELEMENT_END && reader->getNodeName() == element)
			return;
	}
}

void CProfile::writeParameters(IXMLWriter* writer) const
{
	writeToXml(writer, false, L"Parameters", true);
}

bool CProfile::save()
{
	return m_owner && m_owner->saveProfile(this);
}

void CProfile::addMissingFrom(const CProfile* defaults)
{
	if (!defaults || defaults == this)
		return;
	for (u32 i = 0; i < defaults->getItemCount(); ++i)
	{
		const core::stringc& name = defaults->getNameAt((s32)i);
		if (indexOf(name) < 0)
			add(name, defaults->getValueAt((s32)i));
	}
}
} // namespace fw
