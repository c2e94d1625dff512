#pragma once

#include "core/CRefHolder.h"
#include "core/CoreTypes.h"

namespace fw
{
class IXMLReader;
class IXMLWriter;

// Type ids of property values; the names are the XML element names.
enum EPropertyDataType
{
	PDT_NONE = 0,
	PDT_INT = 1,
	PDT_BOOL = 2,
	PDT_FLOAT = 3,
	PDT_COLOR = 4,
	PDT_COLORF = 5,
	PDT_VECTOR2D = 6,
	PDT_VECTOR3D = 7,
	PDT_RECT = 8,
	PDT_STRING = 9,
	PDT_STRINGW = 10,
	PDT_STRINGW_ARRAY = 11,
	PDT_PROPERTIES = 12,
	PDT_ATLAS_TEXTURE = 13,
	PDT_FONT = 14,
	PDT_SOUND = 15
};

// One typed property value: text forms, equality, interpolation and its XML element.
class IPropertyData : public virtual IReferenceCounted
{
public:
	virtual const core::stringw& getTypeName() const;
	virtual const core::stringw& getClassName() const;
	virtual s32 getTypeId() const { return PDT_NONE; }
	// The class's own id or 0.
	virtual bool isOfType(s32 id) const { return id == PDT_NONE; }
	// A new value of the same class holding a copy; count 1 for the caller.
	virtual IPropertyData* clone() const = 0;
	virtual core::stringw toStringW() const;
	virtual core::stringc toString() const = 0;
	virtual void fromString(const core::stringc& text) = 0;
	virtual void fromStringW(const core::stringw& text);
	// The caller passes a value of the same type.
	virtual bool equals(const IPropertyData* other) const = 0;
	// Writes the value at fraction t from this (0) to target (1) into out; true when out changed.
	virtual bool interpolate(const IPropertyData* target, IPropertyData* out, f32 t) const = 0;
	virtual void prepareInterpolation(const IPropertyData* target);
	// The reader stands on the value's element.
	virtual void readFromXml(IXMLReader* reader);
	// One empty element named by the type, with "Name" and "Value"; no line break.
	virtual void writeToXml(IXMLWriter* writer, const core::stringc& name) const;
};

typedef CRefHolder<IPropertyData> PropertyHolder;

// The names and the type id a property data class declares of itself ...
#define FW_PROPERTY_DATA_IDENTITY()                                                                                    \
	const core::stringw& getTypeName() const override;                                                                 \
	const core::stringw& getClassName() const override;                                                                \
	s32 getTypeId() const override;                                                                                    \
	bool isOfType(s32 id) const override;

// ... and defines in its source file, inside the namespace. The names are never destroyed: values
// may still be written while the process exits.
#define FW_PROPERTY_DATA_IDENTITY_DEFINITIONS(Class, typeName, className, id)                                          \
	const core::stringw& Class::getTypeName() const                                                                    \
	{                                                                                                                  \
		static const core::stringw& name = *new core::stringw(typeName);                                               \
		return name;                                                                                                   \
	}                                                                                                                  \
	const core::stringw& Class::getClassName() const                                                                   \
	{                                                                                                                  \
		static const core::stringw& name = *new core::stringw(className);                                              \
		return name;                                                                                                   \
	}                                                                                                                  \
	s32 Class::getTypeId() const                                                                                       \
	{                                                                                                                  \
		return id;                                                                                                     \
	}                                                                                                                  \
	bool Class::isOfType(s32 other) const                                                                              \
	{                                                                                                                  \
		return other == id || other == PDT_NONE;                                                                       \
	}
} // namespace fw
