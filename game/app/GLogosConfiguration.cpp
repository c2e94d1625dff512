#include "app/GLogosConfiguration.h"

#include "core/IXMLReader.h"
#include "core/TextParsing.h"
#include "level/data/LevelXml.h"
#include "level/data/RecordFields.h"

using namespace fw;

namespace
{
// Read as atoi would: a missing or non-numeric time is 0.
s32 timeAttribute(const IXMLReader* reader, const wchar_t* name)
{
	return parseInt(core::stringc(reader->getAttributeValue(name)).c_str());
}
} // namespace

void GLogosConfiguration::read(IXMLReader* reader)
{
	if (!reader)
		return;
	using namespace recordfields;
	levelxml::walkElement(reader, L"Logos", levelxml::WALK_DOCUMENT,
		{
			{L"Logo",
				[this](IXMLReader* at)
				{
					SLogo logo;
					readAttributes<SLogo>(logo,
						{
							attributeField<&SLogo::image, narrowAttribute>(L"Image"),
							attributeField<&SLogo::time, timeAttribute>(L"Time"),
							attributeField<&SLogo::skippable, trueAttribute>(L"Skippable"),
						},
						at);
					m_logos.push_back(logo);
				}},
			{L"QVLogo",
				[this](IXMLReader* at)
				{
					SLinkedLogo logo;
					readAttributes<SLinkedLogo>(logo,
						{
							attributeField<&SLinkedLogo::image, narrowAttribute>(L"Image"),
							attributeField<&SLinkedLogo::position, vector2dAttribute>(L"Pos"),
							attributeField<&SLinkedLogo::link, narrowAttribute>(L"URL"),
						},
						at);
					m_linkedLogos.push_back(logo);
				}},
		});
}
