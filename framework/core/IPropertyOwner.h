#pragma once

#include "core/IPropertyData.h"

#include <atomic>
#include <cstddef>

namespace fw
{
class IPropertyOwner;

// Stores a value into the object; the value may be null or of another type.
typedef void (*PropertySetter)(IPropertyOwner* object, const PropertyHolder& value);
// A new value holding the object's current value.
typedef PropertyHolder (*PropertyGetter)(const IPropertyOwner* object);

class CPropertyContainer;

// How scene files and copies treat a property of a table.
enum E_PROPERTY_STORAGE
{
	// Reached by name only (animations, SetProps items).
	PROPERTY_NOT_STORED = 0,
	// Written when its value differs from the default; read and copied.
	PROPERTY_STORED_WHEN_CHANGED,
	// Written at every value; read and copied.
	PROPERTY_STORED_ALWAYS,
};

struct PropertyDescriptor;

// True when the object holds the property's default value.
typedef bool (*PropertyDefaultTest)(const IPropertyOwner* object, const PropertyDescriptor& property);
// Gives the target the source's value; both are of the class that declared the property.
typedef void (*PropertyCopier)(IPropertyOwner* target, const IPropertyOwner* source);
// Where a member lies, in bytes from the object's IPropertyOwner part.
typedef ptrdiff_t (*PropertyMemberOffset)(const IPropertyOwner* object);
// A fresh object of the class that declared a property, made once and never changed: its values
// are the class's initial values.
typedef const IPropertyOwner* (*PropertyPrototype)();
// A step of a class that reading a file runs once every stored property has been read.
typedef void (*PropertyReadStep)(IPropertyOwner* object);

// One entry of a class's property table: the by-name access, and how scene files and copies treat
// it. PropertyAccessors.h builds them from a class's setters, getters and members.
struct PropertyDescriptor
{
	core::stringc name; // case-sensitive
	PropertySetter setter;
	PropertyGetter getter;

	E_PROPERTY_STORAGE storage = PROPERTY_NOT_STORED;
	// The name in scene files, where it differs from the table's.
	core::stringc fileKey;
	// The default: this value, or else the prototype's.
	PropertyHolder defaultValue;
	PropertyPrototype prototype = nullptr;
	PropertyDefaultTest isDefault = nullptr;
	// What reading a scene file calls; the setter when null.
	PropertySetter reader = nullptr;
	// What writing a scene file asks; the getter when null.
	PropertyGetter writer = nullptr;
	PropertyCopier copier = nullptr;
	// Set where the copier only assigns a trivially copyable member: clones then copy its bytes,
	// together with its neighbours.
	PropertyMemberOffset memberOffset = nullptr;
	u32 memberSize = 0;
	// False for a property of files and copies only, which by-name lookups do not find.
	bool listed = true;
	// Read once the class's other stored properties are read (their setters prepare its effect).
	bool isReadLast = false;
	// Written right after the class's own stored property of that name, where files keep another
	// order than the table.
	core::stringc writtenAfterName;
	// Set on the entries of a table's declaration that are read steps, not properties.
	PropertyReadStep readStep = nullptr;

	const core::stringc& getFileKey() const { return fileKey.empty() ? name : fileKey; }
};

// The property's default value: the declared one, or the initial value of its class; null where
// there is none.
PropertyHolder getPropertyDefault(const PropertyDescriptor& property);

// A class's properties: its base's first, in the base's order, then its own. The stored ones are
// also listed in the order scene files write them (the table's, but for properties written after
// another) and in the order they are read (the table's, but for those read last): the base's
// first, then the class's own.
class PropertyTable : public core::array<PropertyDescriptor>
{
public:
	PropertyTable() = default;
	~PropertyTable();
	PropertyTable(const PropertyTable&) = delete;
	PropertyTable& operator=(const PropertyTable&) = delete;

	core::array<u32> writeOrder;
	core::array<u32> readOrder;
	// What reading runs after the stored properties: the base's steps first.
	core::array<PropertyReadStep> readSteps;
	// The copiers of the stored entries, in write order, side by side for clones.
	core::array<PropertyCopier> copiers;

	// How a clone copies the stored properties: in write order, with each run of plain members
	// merged into copies of adjacent bytes. Member places are measured on the first object copied
	// (they are the same in every object the table serves), so the plan is made then.
	struct SCopyStep
	{
		PropertyCopier copier; // null: copy size bytes at offset
		ptrdiff_t offset;
		u32 size;
		u32 descriptor;
	};
	const core::array<SCopyStep>& getCopyPlan(const IPropertyOwner* sample) const
	{
		const core::array<SCopyStep>* plan = m_copyPlan.load(std::memory_order_acquire);
		return plan ? *plan : makeCopyPlan(sample);
	}

private:
	const core::array<SCopyStep>& makeCopyPlan(const IPropertyOwner* sample) const;

	mutable std::atomic<const core::array<SCopyStep>*> m_copyPlan{nullptr};
};

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

// Appends every descriptor of the base table to the table, with the base's orders.
void copyPropertyTable(PropertyTable& table, const PropertyTable& base);
// Lists the stored descriptors from index first on (the class's own) in the table's orders.
void orderStoredProperties(PropertyTable& table, u32 first);

// The stored properties of the object's table: the values that differ from their defaults (and
// those always written) are added in the write order; those the container holds are read in the
// read order, names it lacks leaving their values unchanged, and then the table's read steps run.
void writePropertyTable(const IPropertyOwner* object, CPropertyContainer* container);
void readPropertyTable(IPropertyOwner* object, CPropertyContainer* container);
// Copies the stored properties the two tables share (those of the nearest common class).
void copyPropertyTableValues(IPropertyOwner* target, const IPropertyOwner* source);

// The first listed descriptor with exactly that name (a base class's entry wins), or -1.
s32 findPropertyIndex(const PropertyTable& table, const core::stringc& name);
} // namespace fw
