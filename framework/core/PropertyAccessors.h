#pragma once

// Builds property tables from a class's own setters and getters, so that each class lists its
// properties in one place beside them. Every node class follows the same pattern:
//
//     // MyNode.h
//     const PropertyTable& getPropertyTable() const override { return getClassPropertyTable(); }
//     static const PropertyTable& getClassPropertyTable();
//     f32 getSpeed() const;
//     void setSpeed(f32 speed);
//
//     // MyNode.cpp, beside setSpeed and getSpeed
//     const PropertyTable& MyNode::getClassPropertyTable()
//     {
//         static const PropertyTable& table = makePropertyTable(BaseNode::getClassPropertyTable(), {
//             makeProperty<&MyNode::setSpeed, &MyNode::getSpeed>("Speed"),
//         });
//         return table;
//     }
//
// and its writeProperties and readProperties call the base's first, then write only the values
// that differ from the class's defaults and read the names the container holds.
//
// A setter takes the member's type (or a PropertyHolder to see the raw value); a getter returns it.
// A value of another type, or none, reaches a typed setter as the type's zero value.

#include "core/CPropertyContainer.h"
#include "core/CPropertyDataContent.h"
#include "core/CPropertyDataProperties.h"
#include "core/CPropertyDataScalars.h"
#include "core/CPropertyDataStringWArray.h"
#include "core/IPropertyOwner.h"

#include <initializer_list>
#include <type_traits>

namespace fw
{
// Conversion between a member's type and a held property value.
template <class T>
struct SPropertyValue;

// The raw value, for setters that look at it themselves.
template <>
struct SPropertyValue<PropertyHolder>
{
	static PropertyHolder get(const PropertyHolder& value) { return value; }
	static PropertyHolder make(const PropertyHolder& value) { return value; }
};

// Types held by one scalar class: T is the member type, D the value class.
template <class T, class D, s32 Id>
struct SScalarPropertyValue
{
	static T get(const PropertyHolder& value, const T& zero)
	{
		if (!value || !value->isOfType(Id))
			return zero;
		return static_cast<const D*>(value.get())->getValue();
	}
	static PropertyHolder make(const T& value) { return adoptRef<IPropertyData>(new D(value)); }
};

template <>
struct SPropertyValue<bool> : SScalarPropertyValue<bool, CPropertyDataBool, PDT_BOOL>
{
	static bool get(const PropertyHolder& value) { return SScalarPropertyValue::get(value, false); }
};

template <>
struct SPropertyValue<s32> : SScalarPropertyValue<s32, CPropertyDataInt, PDT_INT>
{
	static s32 get(const PropertyHolder& value) { return SScalarPropertyValue::get(value, 0); }
};

template <>
struct SPropertyValue<f32> : SScalarPropertyValue<f32, CPropertyDataFloat, PDT_FLOAT>
{
	static f32 get(const PropertyHolder& value) { return SScalarPropertyValue::get(value, 0.f); }
};

template <>
struct SPropertyValue<video::SColor> : SScalarPropertyValue<video::SColor, CPropertyDataColor, PDT_COLOR>
{
	static video::SColor get(const PropertyHolder& value)
	{
		return SScalarPropertyValue::get(value, video::SColor(0));
	}
};

template <>
struct SPropertyValue<video::SColorf> : SScalarPropertyValue<video::SColorf, CPropertyDataColorf, PDT_COLORF>
{
	static video::SColorf get(const PropertyHolder& value)
	{
		return SScalarPropertyValue::get(value, video::SColorf(0.f, 0.f, 0.f, 0.f));
	}
};

template <>
struct SPropertyValue<core::vector2df>
	: SScalarPropertyValue<core::vector2df, CPropertyDataVector2d, PDT_VECTOR2D>
{
	static core::vector2df get(const PropertyHolder& value)
	{
		return SScalarPropertyValue::get(value, core::vector2df(0.f, 0.f));
	}
};

template <>
struct SPropertyValue<core::vector3df>
	: SScalarPropertyValue<core::vector3df, CPropertyDataVector3d, PDT_VECTOR3D>
{
	static core::vector3df get(const PropertyHolder& value)
	{
		return SScalarPropertyValue::get(value, core::vector3df(0.f, 0.f, 0.f));
	}
};

template <>
struct SPropertyValue<core::rect<f32>> : SScalarPropertyValue<core::rect<f32>, CPropertyDataRect, PDT_RECT>
{
	static core::rect<f32> get(const PropertyHolder& value)
	{
		return SScalarPropertyValue::get(value, core::rect<f32>(0.f, 0.f, 0.f, 0.f));
	}
};

template <>
struct SPropertyValue<core::stringc> : SScalarPropertyValue<core::stringc, CPropertyDataString, PDT_STRING>
{
	static core::stringc get(const PropertyHolder& value) { return SScalarPropertyValue::get(value, core::stringc()); }
};

template <>
struct SPropertyValue<core::stringw> : SScalarPropertyValue<core::stringw, CPropertyDataStringW, PDT_STRINGW>
{
	static core::stringw get(const PropertyHolder& value) { return SScalarPropertyValue::get(value, core::stringw()); }
};

template <>
struct SPropertyValue<core::array<core::stringw>>
	: SScalarPropertyValue<core::array<core::stringw>, CPropertyDataStringWArray, PDT_STRINGW_ARRAY>
{
	static core::array<core::stringw> get(const PropertyHolder& value)
	{
		return SScalarPropertyValue::get(value, core::array<core::stringw>());
	}
};

// A nested container travels as the container object itself (shared, one reference per holder).
template <>
struct SPropertyValue<CPropertyContainer*>
{
	static CPropertyContainer* get(const PropertyHolder& value)
	{
		if (!value || !value->isOfType(PDT_PROPERTIES))
			return nullptr;
		return static_cast<const CPropertyDataProperties*>(value.get())->getValue();
	}
	static PropertyHolder make(CPropertyContainer* value)
	{
		return adoptRef<IPropertyData>(new CPropertyDataProperties(value));
	}
};

// Content travels as the content object itself (one reference per holder).
template <>
struct SPropertyValue<IAtlasTextureContent*>
{
	static IAtlasTextureContent* get(const PropertyHolder& value)
	{
		if (!value || !value->isOfType(PDT_ATLAS_TEXTURE))
			return nullptr;
		return static_cast<const CPropertyDataAtlasTexture*>(value.get())->getAtlasTexture();
	}
	static PropertyHolder make(IAtlasTextureContent* value) { return createPropertyDataAtlasTexture(value); }
};

template <>
struct SPropertyValue<IFontContent*>
{
	static IFontContent* get(const PropertyHolder& value)
	{
		if (!value || !value->isOfType(PDT_FONT))
			return nullptr;
		return static_cast<const CPropertyDataFont*>(value.get())->getFont();
	}
	static PropertyHolder make(IFontContent* value) { return createPropertyDataFont(value); }
};

namespace detail
{
template <class M>
struct SPropertySetterTraits;
template <class C, class V>
struct SPropertySetterTraits<void (C::*)(V)>
{
	typedef C Class;
	typedef std::remove_cv_t<std::remove_reference_t<V>> Value;
};

template <class M>
struct SPropertyGetterTraits;
template <class C, class V>
struct SPropertyGetterTraits<V (C::*)() const>
{
	typedef C Class;
	typedef std::remove_cv_t<std::remove_reference_t<V>> Value;
};

template <auto Setter>
void callPropertySetter(IPropertyOwner* object, const PropertyHolder& value)
{
	typedef SPropertySetterTraits<decltype(Setter)> Traits;
	(static_cast<typename Traits::Class*>(object)->*Setter)(SPropertyValue<typename Traits::Value>::get(value));
}

template <auto Getter>
PropertyHolder callPropertyGetter(const IPropertyOwner* object)
{
	typedef SPropertyGetterTraits<decltype(Getter)> Traits;
	return SPropertyValue<typename Traits::Value>::make(
		(static_cast<const typename Traits::Class*>(object)->*Getter)());
}
} // namespace detail

// The descriptor of one property, from the member functions that set and get it.
template <auto Setter, auto Getter>
PropertyDescriptor makeProperty(const c8* name)
{
	return PropertyDescriptor{name, &detail::callPropertySetter<Setter>, &detail::callPropertyGetter<Getter>};
}

// A class's table: the base's descriptors, then its own. Never destroyed, so that tables stay usable
// while the process exits.
inline const PropertyTable& makePropertyTable(const PropertyTable& base, std::initializer_list<PropertyDescriptor> own)
{
	PropertyTable* table = new PropertyTable;
	copyPropertyTable(*table, base);
	for (const PropertyDescriptor& descriptor : own)
		table->push_back(descriptor);
	return *table;
}
} // namespace fw
