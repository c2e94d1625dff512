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
