#pragma once

// Small helpers shared by the readers of the game's configuration files.

#include "core/IXMLReader.h"

#include <functional>
#include <vector>

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

// What a walk does at the elements of one name; the reader stands on the element's opening tag.
struct SElementRule
{
	const wchar_t* name;
	std::function<void(fw::IXMLReader* reader)> read;
};

// Where a walk starts: on a record's own opening tag (an empty one holds nothing), or before a
// document's root (an empty root ends the walk where it stands).
enum EWalkStart
{
	WALK_RECORD,
	WALK_DOCUMENT
};

// Elements a walk hands to its rules at most; those past it are passed over, with one warning.
constexpr fw::u32 MAX_WALKED_ELEMENTS = 10000;

// Reads the nodes up to the closing tag of element, handing each element that a rule names (at
// any depth) to that rule, and passing over everything else. True at the closing tag; false when
// the document ends first.
bool walkElement(fw::IXMLReader* reader, const wchar_t* element, EWalkStart start,
	const std::vector<SElementRule>& rules);

// A document of records under one root, as the configurations are: each record element is handed
// to the rule; a document that ends before its closing root tag is logged. True at that tag.
bool walkDocument(fw::IXMLReader* reader, const wchar_t* root, const wchar_t* record,
	const std::function<void(fw::IXMLReader* reader)>& read);

// A list of records of several kinds, the reader on the list's opening tag: each item element names
// its kind by its "Type" attribute, create makes a record of that kind (null for an unknown one,
// skipped with one warning), the record reads the item's attributes and add takes it.
template <class Create, class Add>
bool walkKindList(fw::IXMLReader* reader, const wchar_t* list, const wchar_t* item, const char* itemName, Create create,
	Add add)
{
	return walkElement(reader, list, WALK_RECORD,
		{{item,
			[&](fw::IXMLReader* at)
			{
				const fw::core::stringw type = at->getAttributeValue(L"Type");
				auto* record = create(type);
				if (!record)
				{
					logUnknownKind(itemName, type);
					return;
				}
				record->read(at);
				add(record);
			}}});
}

// Cut at every ";"; pieces keep their blanks, and empty pieces stay.
fw::core::array<fw::core::stringc> splitText(const fw::core::stringc& text);
} // namespace levelxml
