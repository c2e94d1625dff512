#pragma once

#include "core/IPropertyData.h"
#include "core/StringHash.h"

#include <SColor.h>
#include <vector2d.h>
#include <vector3d.h>

#include <unordered_map>

namespace fw
{
class IAtlasTextureContent;
class IContentManager;
class IXMLReader;
class IXMLWriter;

// One named value of a container; the value may be null.
class CPropertyContainerItem
{
public:
	CPropertyContainerItem(const core::stringc& name, const PropertyHolder& value) : m_name(name), m_value(value) {}
	// The name narrowed unit by unit, as core::stringc converts it.
	CPropertyContainerItem(const core::stringw& name, const PropertyHolder& value) : m_name(name), m_value(value) {}

	core::stringc m_name;
	PropertyHolder m_value;
};

// A named, ordered set of property values; its XML form is one element with one child per value.
// A name may stand in several items; lookups by name find the one added last.
class CPropertyContainer : public IReferenceCounted
{
public:
	// The owner resolves content names of values read into this container; not referenced.
	explicit CPropertyContainer(IContentManager* owner);
	~CPropertyContainer() override;

	CPropertyContainer(const CPropertyContainer&) = delete;
	CPropertyContainer& operator=(const CPropertyContainer&) = delete;

	// Always appends, also under a name already present.
	void add(const core::stringc& name, const PropertyHolder& value);
	// Replaces the value of the item the name maps to, or appends.
	void set(const core::stringc& name, const PropertyHolder& value);
	PropertyHolder get(const core::stringc& name) const;
	s32 indexOf(const core::stringc& name) const;

	u32 getItemCount() const { return m_items.size(); }
	// Null, or the empty name, past the end.
	PropertyHolder getValueAt(s32 index) const;
	const core::stringc& getNameAt(s32 index) const;
	void setAt(s32 index, const PropertyHolder& value);

	// Same owner; every value cloned. Count 1 for the caller.
	CPropertyContainer* clone() const;
	void clear();

	// An empty element name means "Properties". False only without a writer.
	bool writeToXml(IXMLWriter* writer, bool writeHeader, const core::stringw& elementName, bool writeOwnTags) const;
	// Replaces the contents with the values of the element the reader stands on.
	bool readFromXml(IXMLReader* reader, bool checkName, const core::stringw& elementName);
	// Reads the one value element the reader stands on.
	void readProperty(IXMLReader* reader);
	// How many nested property values enclose the container while it is read: a bound against
	// files nested deeply enough to exhaust the stack.
	u32 getNestingDepth() const { return m_nestingDepth; }
	void setNestingDepth(u32 depth) { m_nestingDepth = depth; }

	void addInt(const core::stringc& name, s32 value);
	void addBool(const core::stringc& name, bool value);
	void addColor(const core::stringc& name, video::SColor value);
	void addVector2d(const core::stringc& name, const core::vector2df& value);
	void addString(const core::stringc& name, const core::stringc& value);
	void addStringWArray(const core::stringc& name, const core::array<core::stringw>& value);
	// An atlasTexture value holding a reference to the atlas texture.
	void addAtlasTexture(const core::stringc& name, IAtlasTextureContent* atlasTexture);

	void setInt(const core::stringc& name, s32 value);
	void setBool(const core::stringc& name, bool value);
	void setFloat(const core::stringc& name, f32 value);
	void setVector3d(const core::stringc& name, const core::vector3df& value);
	void setString(const core::stringc& name, const core::stringc& value);
	void setStringW(const core::stringc& name, const core::stringw& value);

	// 0 when absent or not an int.
	s32 getInt(const core::stringc& name) const;
	// False when absent or not a bool.
	bool getBool(const core::stringc& name) const;
	// The text of a value of any type; empty when absent.
	core::stringc getString(const core::stringc& name) const;

private:
	// Containers of up to this many items are searched from the last item back; larger ones keep
	// an index by name.
	static const u32 MAX_UNINDEXED_ITEMS = 16;

	void addItem(CPropertyContainerItem* item);

	IContentManager* m_owner;
	u32 m_nestingDepth = 0;
	core::array<CPropertyContainerItem*> m_items;
	// Name to the index of its last item; empty while the container is small.
	std::unordered_map<core::stringc, s32, SStringHash, SStringEqual> m_index;
};

// New values, each the only reference in the returned holder.
PropertyHolder createPropertyDataInt(s32 value);
PropertyHolder makePropertyDataBool(bool value);
PropertyHolder createPropertyDataFloat(f32 value);
PropertyHolder makePropertyDataColor(video::SColor value);
PropertyHolder makePropertyDataVector2d(const core::vector2df& value);
PropertyHolder makePropertyDataVector3d(const core::vector3df& value);
PropertyHolder createPropertyDataString(const core::stringc& value);
PropertyHolder createPropertyDataStringW(const core::stringw& value);
// A "string" value holding the text of an interned name.
PropertyHolder makePropertyDataFromNameId(s32 nameId);

// The interned id of a value's text; -1 for a null holder or the empty text.
s32 propertyToNameId(const PropertyHolder& value);
// The narrow text of the value; empty for a null holder.
core::stringc getPropertyText(const PropertyHolder& value);
// A clone of the value, or a null holder.
PropertyHolder cloneHolderValue(const PropertyHolder& value);
// A copy of a "stringwArray" value's strings; empty for anything else.
core::array<core::stringw> getStringWArray(const PropertyHolder& value);
} // namespace fw
