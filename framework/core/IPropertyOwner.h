#pragma once

#include "core/IPropertyData.h"

namespace fw
{
class IPropertyOwner;

// Stores a value into the object; the value may be null or of another type.
typedef void (*PropertySetter)(IPropertyOwner* object, const PropertyHolder& value);
// A new value holding the object's current value.
typedef PropertyHolder (*PropertyGetter)(const IPropertyOwner* object);

// One entry of a class's property table.
struct PropertyDescriptor
{
	core::stringc name; // case-sensitive
	PropertySetter setter;
	PropertyGetter getter;
};

// A class's properties: its base's first, in the base's order, then its own.
typedef core::array<PropertyDescriptor> PropertyTable;

// An object whose properties can be set and read by name (animations, SetProps items).
// Each class keeps its table in a function-local static, built on first use with copyPropertyTable
// and never changed afterwards.
class IPropertyOwner : public virtual IReferenceCounted
{
public:
	virtual const PropertyTable& getPropertyTable() const { return getClassPropertyTable(); }

	// The root table: empty.
	static const PropertyTable& getClassPropertyTable();
};

// Appends every descriptor of the base table to the table.
void copyPropertyTable(PropertyTable& table, const PropertyTable& base);

// The first descriptor with exactly that name (a base class's entry wins), or -1.
s32 findPropertyIndex(const PropertyTable& table, const core::stringc& name);
} // namespace fw
