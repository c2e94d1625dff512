#pragma once

// Small helpers shared by the readers of the game's configuration files.

#include "core/IXMLReader.h"

namespace levelxml
{
inline bool isElement(const fw::IXMLReader* reader, const wchar_t* name)
{
	return reader->getNodeType() == fw::XML_NODE_ELEMENT && reader->getNodeName() == name;
}

inline bool isElementEnd(const fw::IXMLReader* reader, const wchar_t* name)
{
	return reader->getNodeType() == fw::XML_NODE_ELEMENT_END && reader->getNodeName() == name;
}

// The narrow form of an attribute's text; an absent attribute gives the empty text.
fw::core::stringc narrowAttribute(const fw::IXMLReader* reader, const wchar_t* name);

// The ";"-separated names of an attribute, trimmed, empty pieces dropped, interned.
fw::core::array<fw::s32> nameListAttribute(const fw::IXMLReader* reader, const wchar_t* name);

// The interned id of an attribute's text; -1 when absent or empty.
fw::s32 nameIdAttribute(const fw::IXMLReader* reader, const wchar_t* name);

// One warning line for a document that ended before the closing tag of its root element.
void logCutShort(const char* root);
// One warning line for an element whose Type names no known kind; the element is skipped.
void logUnknownKind(const char* element, const fw::core::stringw& type);

// Cut at every ";"; pieces keep their blanks, and empty pieces stay.
fw::core::array<fw::core::stringc> splitText(const fw::core::stringc& text);
} // namespace levelxml
