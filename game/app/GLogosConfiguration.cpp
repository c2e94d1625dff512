#include "app/GLogosConfiguration.h"

#include "core/IXMLReader.h"
#include "core/TextParsing.h"

using namespace fw;

void GLogosConfiguration::read(IXMLReader* reader)
{
	if (!reader)
		return;
	while (reader->read())
	{
		const EXmlNodeType type = reader->getNodeType();
		if (type == XML_NODE_ELEMENT_END && reader->getNodeName() == L"Logos")
			break;
		if (type != XML_NODE_ELEMENT)
			continue;
		if (reader->getNodeName() == L"Logo")
		{
			SLogo logo;
			logo.image = core::stringc(reader->getAttributeValue(L"Image"));
			logo.time = parseInt(core::stringc(reader->getAttributeValue(L"Time")).c_str());
			logo.skippable = reader->getAttributeValue(L"Skippable") == L"true";
			m_logos.push_back(logo);
		}
		else if (reader->getNodeName() == L"QVLogo")
		{
			SLinkedLogo logo;
			logo.image = core::stringc(reader->getAttributeValue(L"Image"));
			logo.position = parseVector2d(reader->getAttributeValue(L"Pos"));
			logo.link = core::stringc(reader->getAttributeValue(L"URL"));
			m_linkedLogos.push_back(logo);
		}
	}
}
