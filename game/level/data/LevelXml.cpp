#include "level/data/LevelXml.h"

#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/TextParsing.h"

namespace levelxml
{
fw::core::stringc narrowAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	return fw::core::stringc(reader->getAttributeValue(fw::core::stringw(name)));
}

fw::core::array<fw::s32> nameListAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	return fw::split(narrowAttribute(reader, name));
}

fw::s32 nameIdAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	return fw::CNameTableSingleton::Instance().intern(narrowAttribute(reader, name));
}

void logCutShort(const char* root)
{
	fw::logFormat(fw::LOG_WARNING, "%s: the document ends before its closing tag; what was read is kept", root);
}

void logUnknownKind(const char* element, const fw::core::stringw& type)
{
	fw::logFormat(fw::LOG_WARNING, "%s of the unknown type \"%s\" skipped", element, fw::core::stringc(type).c_str());
}

bool walkElement(fw::IXMLReader* reader, const wchar_t* element, EWalkStart start,
	const std::vector<SElementRule>& rules)
{
	if (start == WALK_RECORD && reader->isEmptyElement())
		return true;
	fw::u32 walked = 0;
	while (reader->read())
	{
		if (isElementEnd(reader, element))
			return true;
		if (reader->getNodeType() != fw::XML_NODE_ELEMENT)
			continue;
		if (start == WALK_DOCUMENT && reader->getNodeName() == element && reader->isEmptyElement())
			return true;
		for (const SElementRule& rule : rules)
		{
			if (reader->getNodeName() != rule.name)
				continue;
			if (walked < MAX_WALKED_ELEMENTS)
				rule.read(reader);
			else if (walked == MAX_WALKED_ELEMENTS)
				fw::logFormat(fw::LOG_WARNING, "%s: more than %u elements to read; the rest are passed over",
					fw::core::stringc(element).c_str(), MAX_WALKED_ELEMENTS);
			if (walked <= MAX_WALKED_ELEMENTS)
				++walked;
			break;
		}
	}
	return false;
}

bool walkDocument(fw::IXMLReader* reader, const wchar_t* root, const wchar_t* record,
	const std::function<void(fw::IXMLReader* reader)>& read)
{
	if (!reader)
		return false;
	if (walkElement(reader, root, WALK_DOCUMENT, {{record, read}}))
		return true;
	logCutShort(fw::core::stringc(root).c_str());
	return false;
}

fw::core::array<fw::core::stringc> splitText(const fw::core::stringc& text)
{
	fw::core::array<fw::core::stringc> pieces;
	const fw::c8* p = text.c_str();
	const fw::c8* const end = p + text.size();
	for (;;)
	{
		const fw::c8* pieceEnd = p;
		while (pieceEnd < end && *pieceEnd != ';')
			++pieceEnd;
		pieces.push_back(fw::core::stringc(p, static_cast<fw::u32>(pieceEnd - p)));
		if (pieceEnd == end)
			break;
		p = pieceEnd + 1;
	}
	return pieces;
}
} // namespace levelxml
