#pragma once

#include "core/CoreTypes.h"

namespace fw
{
// Node types of the XML reader; the numbers are part of the interface.
enum EXmlNodeType
{
	XML_NODE_NONE = 0,
	XML_NODE_ELEMENT = 1,
	XML_NODE_ELEMENT_END = 2,
	XML_NODE_TEXT = 3,
	XML_NODE_COMMENT = 4,
	XML_NODE_CDATA = 5,
	XML_NODE_DECLARATION = 6
};

// A pull reader over the whole text of one file, in 16-bit code units (one per wchar_t).
class IXMLReader : public virtual IReferenceCounted
{
public:
	// Parses the next node; false at the end of the text (the current node is kept).
	virtual bool read() = 0;
	virtual bool isEmptyElement() const = 0;
	virtual EXmlNodeType getNodeType() const = 0;
	// Element name, text, comment or CDATA text of the current node.
	virtual const core::stringw& getNodeName() const = 0;
	virtual const core::stringw& getNodeData() const = 0;
	virtual s32 getAttributeCount() const = 0;
	virtual const core::stringw& getAttributeName(s32 index) const = 0;
	// Missing attributes give the shared empty string.
	virtual const core::stringw& getAttributeValue(const core::stringw& name) const = 0;
	virtual const core::stringw& getAttributeValue(s32 index) const = 0;
	// Missing attributes give the default; integers are read through a 32-bit float.
	virtual s32 getAttributeValueAsInt(s32 index, s32 defaultValue = 0) const = 0;
	virtual s32 getAttributeValueAsInt(const core::stringw& name, s32 defaultValue = 0) const = 0;
	virtual f32 getAttributeValueAsFloat(s32 index, f32 defaultValue = 0.f) const = 0;
	virtual f32 getAttributeValueAsFloat(const core::stringw& name, f32 defaultValue = 0.f) const = 0;
	// The entity list shared by every reader: replacement character, then the name with ";".
	virtual const core::array<core::stringw>& getSpecialCharacters() const = 0;
	virtual void addSpecialCharacter(const core::stringw& entry) = 0;
};
} // namespace fw
