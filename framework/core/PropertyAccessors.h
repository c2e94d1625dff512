#pragma once

// Builds property tables from a class's own setters, getters and members, so that each class
// declares each property once, beside them. The declaration also says how scene files and copies
// treat the property; BaseNode then writes, reads and copies any node by walking its table.
//
//     // MyNode.h
//     FW_NODE_CLASS(MyNode, BaseNode, NODE_TYPE_MY, L"MyNode")
//     static const PropertyTable& getClassPropertyTable();
//     f32 getSpeed() const;
//     void setSpeed(f32 speed);
//     ...
//     f32 m_speed = 1.f;
//
//     // MyNode.cpp, beside setSpeed and getSpeed
//     const PropertyTable& MyNode::getClassPropertyTable()
//     {
//         static const PropertyTable& table = makePropertyTable<MyNode>(BaseNode::getClassPropertyTable(), {
//             makeProperty<&MyNode::setSpeed, &MyNode::getSpeed>("Speed").stored(),
//         });
//         return table;
//     }
//
// Scene files write and read a class's stored properties in the order of its declaration.
// makeProperty alone gives a property reached by name only (animations). Its options:
//     stored()              written when it differs from the value a fresh object of the class
//                           holds (its initial value), read, copied
//     stored(default)       the same against a stated default, in the table of a class never
//                           made on its own (makePropertyTable without a class)
//     storedAlways()        written at every value, read, copied
//     underKey("Key")       its name in scene files, where it differs
//     unlisted()            files and copies only: lookups by name do not find it
//     readBy<&C::setX>()    what reading a scene file calls, where it differs from the setter
//     readLast()            read once the class's other stored properties are read
//     writtenAfter("Name")  written right after that stored property of the class
//     writtenFrom<&C::getX>()  what writing a scene file asks, where it differs from the getter
//     copiedIn<&C::m_x>()   copies store the member directly (no setter side effects)
//     copiedBy<&C::copyX>() copies call copyX(const C& source) on the target
// makeNameProperty<&C::m_id>("Name") declares an interned name kept as an id: any value's text sets
// it, a string gives it, and it is written when set. afterReading<&C::step>() in the declaration
// adds a step that reading a file runs once every stored property is read.
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
class BaseNode;
struct ContentReference;
class ISceneManager;

// Conversion between a member's type and a held property value.
template <class T>
struct SPropertyValue;

// Whether a value equals a property's default: exactly, except where a type says otherwise.
template <class T>
struct SPropertyDefault
{
	static bool same(const T& a, const T& b) { return a == b; }
};

// Positions and sizes within a millionth count as equal.
template <>
struct SPropertyDefault<core::vector3df>
{
	static bool same(const core::vector3df& a, const core::vector3df& b) { return a.equals(b, 0.000001f); }
};

// A pivot point counts as moved by any amount.
template <>
struct SPropertyDefault<core::vector2df>
{
	static bool same(const core::vector2df& a, const core::vector2df& b) { return a.X == b.X && a.Y == b.Y; }
};

template <>
struct SPropertyDefault<video::SColorf>
{
	static bool same(const video::SColorf& a, const video::SColorf& b)
	{
		return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
	}
};

template <>
struct SPropertyDefault<PropertyHolder>
{
	static bool same(const PropertyHolder& a, const PropertyHolder& b)
	{
		return a == b || (a && b && a->equals(b.get()));
	}
};

// How a copy passes a value to the target's setter; a nested container is copied, not shared.
template <class T>
struct SPropertyCopy
{
	template <class C, class S>
	static void apply(C* target, S setter, const T& value)
	{
		(target->*setter)(value);
	}
};

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
	static video::SColor get(const PropertyHolder& value) { return SScalarPropertyValue::get(value, video::SColor(0)); }
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
struct SPropertyValue<core::vector2df> : SScalarPropertyValue<core::vector2df, CPropertyDataVector2d, PDT_VECTOR2D>
{
	static core::vector2df get(const PropertyHolder& value)
	{
		return SScalarPropertyValue::get(value, core::vector2df(0.f, 0.f));
	}
};

template <>
struct SPropertyValue<core::vector3df> : SScalarPropertyValue<core::vector3df, CPropertyDataVector3d, PDT_VECTOR3D>
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

template <>
struct SPropertyCopy<CPropertyContainer*>
{
	template <class C, class S>
	static void apply(C* target, S setter, CPropertyContainer* value)
	{
		const CRefHolder<CPropertyContainer> copy = value ? adoptRef(value->clone()) : CRefHolder<CPropertyContainer>();
		(target->*setter)(copy.get());
	}
};

namespace detail
{
template <auto Getter>
bool isPropertyAtDefault(const IPropertyOwner* object, const PropertyDescriptor& property)
{
	typedef SPropertyGetterTraits<decltype(Getter)> Traits;
	typedef typename Traits::Class Class;
	const typename Traits::Value& value = (static_cast<const Class*>(object)->*Getter)();
	if (!property.defaultValue && property.prototype)
		return SPropertyDefault<typename Traits::Value>::same(value,
			(static_cast<const Class*>(property.prototype())->*Getter)());
	return SPropertyDefault<typename Traits::Value>::same(value,
		SPropertyValue<typename Traits::Value>::get(property.defaultValue));
}

template <auto Setter, auto Getter>
void copyThroughAccessors(IPropertyOwner* target, const IPropertyOwner* source)
{
	typedef SPropertySetterTraits<decltype(Setter)> Traits;
	typedef typename Traits::Class Class;
	SPropertyCopy<typename Traits::Value>::apply(static_cast<Class*>(target), Setter,
		(static_cast<const Class*>(source)->*Getter)());
}

template <class M>
struct SMemberTraits;
template <class C, class V>
struct SMemberTraits<V C::*>
{
	typedef C Class;
	typedef V Value;
};

template <auto Member>
void copyMember(IPropertyOwner* target, const IPropertyOwner* source)
{
	typedef typename SMemberTraits<decltype(Member)>::Class Class;
	static_cast<Class*>(target)->*Member = static_cast<const Class*>(source)->*Member;
}

template <auto Copy>
void copyThroughMethod(IPropertyOwner* target, const IPropertyOwner* source)
{
	typedef typename SPropertySetterTraits<decltype(Copy)>::Class Class;
	(static_cast<Class*>(target)->*Copy)(*static_cast<const Class*>(source));
}

template <class M>
struct SReadStepTraits;
template <class C>
struct SReadStepTraits<void (C::*)()>
{
	typedef C Class;
};

template <auto Step>
void callReadStep(IPropertyOwner* object)
{
	(static_cast<typename SReadStepTraits<decltype(Step)>::Class*>(object)->*Step)();
}

template <auto Member>
ptrdiff_t memberOffset(const IPropertyOwner* object)
{
	typedef typename SMemberTraits<decltype(Member)>::Class Class;
	return reinterpret_cast<const char*>(&(static_cast<const Class*>(object)->*Member)) -
		reinterpret_cast<const char*>(object);
}

// Whether assigning a value is copying its bytes: the engine's vectors declare an assignment that
// copies their coordinates, which makes them not trivially copyable in the language's terms.
template <class T>
struct SCopiedAsBytes : std::is_trivially_copyable<T>
{
};
template <>
struct SCopiedAsBytes<core::vector2df> : std::true_type
{
};
template <>
struct SCopiedAsBytes<core::vector3df> : std::true_type
{
};

// Copies of the member go through copyMember; where assigning it is copying its bytes, clones may
// copy it together with its neighbours.
template <auto Member>
void setMemberCopier(PropertyDescriptor& descriptor)
{
	typedef typename SMemberTraits<decltype(Member)>::Value Value;
	descriptor.copier = &copyMember<Member>;
	if constexpr (SCopiedAsBytes<Value>::value)
	{
		descriptor.memberOffset = &memberOffset<Member>;
		descriptor.memberSize = sizeof(Value);
	}
}

template <auto Member>
bool isNameUnset(const IPropertyOwner* object, const PropertyDescriptor&)
{
	typedef typename SMemberTraits<decltype(Member)>::Class Class;
	return static_cast<const Class*>(object)->*Member == -1;
}

template <auto Member, auto Select>
void setNameProperty(IPropertyOwner* object, const PropertyHolder& value)
{
	typedef typename SMemberTraits<decltype(Member)>::Class Class;
	Class* target = static_cast<Class*>(object);
	if constexpr (Select == nullptr)
		target->*Member = propertyToNameId(value);
	else
		(target->*Select)(propertyToNameId(value));
}

template <auto Member>
PropertyHolder getNameProperty(const IPropertyOwner* object)
{
	typedef typename SMemberTraits<decltype(Member)>::Class Class;
	return makePropertyDataFromNameId(static_cast<const Class*>(object)->*Member);
}
} // namespace detail

// A descriptor being declared; its options return it, so that they chain.
template <class Value>
struct SPropertyDeclaration : PropertyDescriptor
{
	SPropertyDeclaration(const c8* propertyName, PropertySetter set, PropertyGetter get)
	{
		name = propertyName;
		setter = set;
		getter = get;
	}

	SPropertyDeclaration& storedAlways()
	{
		storage = PROPERTY_STORED_ALWAYS;
		return *this;
	}
	SPropertyDeclaration& underKey(const c8* key)
	{
		fileKey = key;
		return *this;
	}
	SPropertyDeclaration& writtenAfter(const c8* property)
	{
		writtenAfterName = property;
		return *this;
	}
	SPropertyDeclaration& unlisted()
	{
		listed = false;
		return *this;
	}
	SPropertyDeclaration& readLast()
	{
		isReadLast = true;
		return *this;
	}
	template <auto Reader>
	SPropertyDeclaration& readBy()
	{
		reader = &detail::callPropertySetter<Reader>;
		return *this;
	}
	template <auto Getter>
	SPropertyDeclaration& writtenFrom()
	{
		writer = &detail::callPropertyGetter<Getter>;
		return *this;
	}
	template <auto Member>
	SPropertyDeclaration& copiedIn()
	{
		detail::setMemberCopier<Member>(*this);
		return *this;
	}
	template <auto Copy>
	SPropertyDeclaration& copiedBy()
	{
		copier = &detail::copyThroughMethod<Copy>;
		memberOffset = nullptr;
		memberSize = 0;
		return *this;
	}
};

// A property of a class, from the member functions that set and get it.
template <auto Setter, auto Getter>
struct SAccessorPropertyDeclaration
	: SPropertyDeclaration<typename detail::SPropertyGetterTraits<decltype(Getter)>::Value>
{
	typedef typename detail::SPropertyGetterTraits<decltype(Getter)>::Value Value;

	explicit SAccessorPropertyDeclaration(const c8* propertyName) :
		SPropertyDeclaration<Value>(propertyName, &detail::callPropertySetter<Setter>,
			&detail::callPropertyGetter<Getter>)
	{
	}

	// Against the initial value of the table's class (makePropertyTable<C>).
	SPropertyDeclaration<Value>& stored()
	{
		this->storage = PROPERTY_STORED_WHEN_CHANGED;
		this->isDefault = &detail::isPropertyAtDefault<Getter>;
		if (!this->copier)
			this->copier = &detail::copyThroughAccessors<Setter, Getter>;
		return *this;
	}
	SPropertyDeclaration<Value>& stored(const Value& initial)
	{
		this->storage = PROPERTY_STORED_WHEN_CHANGED;
		// A pointer's default is null, which no value object stands for.
		if constexpr (std::is_pointer_v<Value>)
			this->defaultValue = initial ? SPropertyValue<Value>::make(initial) : PropertyHolder();
		else
			this->defaultValue = SPropertyValue<Value>::make(initial);
		this->isDefault = &detail::isPropertyAtDefault<Getter>;
		if (!this->copier)
			this->copier = &detail::copyThroughAccessors<Setter, Getter>;
		return *this;
	}
	SPropertyDeclaration<Value>& storedAlways()
	{
		this->storage = PROPERTY_STORED_ALWAYS;
		if (!this->copier)
			this->copier = &detail::copyThroughAccessors<Setter, Getter>;
		return *this;
	}
};

template <auto Setter, auto Getter>
SAccessorPropertyDeclaration<Setter, Getter> makeProperty(const c8* name)
{
	return SAccessorPropertyDeclaration<Setter, Getter>(name);
}

// An interned name kept in an s32 member: set from the text of any value (through Select, a member
// function taking the id, when given), read as a string, written when set, copied as the id.
template <auto Member, auto Select = nullptr>
SPropertyDeclaration<PropertyHolder> makeNameProperty(const c8* name)
{
	SPropertyDeclaration<PropertyHolder> declaration(name, &detail::setNameProperty<Member, Select>,
		&detail::getNameProperty<Member>);
	declaration.storage = PROPERTY_STORED_WHEN_CHANGED;
	declaration.defaultValue = createPropertyDataString(core::stringc());
	declaration.isDefault = &detail::isNameUnset<Member>;
	detail::setMemberCopier<Member>(declaration);
	return declaration;
}

// A fresh object of the class: a node without parent or scene manager, content without a name, or a
// default-made object.
template <class C>
const IPropertyOwner* classPrototype()
{
	static_assert(!std::is_abstract_v<C>, "a class that is never made states its defaults");
	static const C* const prototype = []()
	{
		if constexpr (std::is_constructible_v<C, const ContentReference&, BaseNode*, ISceneManager*>)
			return new C(ContentReference(), nullptr, nullptr);
		else if constexpr (std::is_constructible_v<C, const ContentReference&>)
			return new C(ContentReference());
		else
			return new C;
	}();
	return prototype;
}

// A step that reading a file runs once every stored property is read: a member function of the
// class taking nothing.
template <auto Step>
PropertyDescriptor afterReading()
{
	PropertyDescriptor step;
	step.setter = nullptr;
	step.getter = nullptr;
	step.readStep = &detail::callReadStep<Step>;
	return step;
}

// A class's table: the base's descriptors, then its own; properties stored without a stated default
// take C's initial values. Never destroyed, so that tables stay usable while the process exits.
inline const PropertyTable& makePropertyTable(const PropertyTable& base, std::initializer_list<PropertyDescriptor> own,
	PropertyPrototype prototype = nullptr)
{
	PropertyTable* table = new PropertyTable;
	copyPropertyTable(*table, base);
	const u32 first = table->size();
	for (const PropertyDescriptor& descriptor : own)
	{
		if (descriptor.readStep)
		{
			table->readSteps.push_back(descriptor.readStep);
			continue;
		}
		table->push_back(descriptor);
		PropertyDescriptor& added = (*table)[table->size() - 1];
		if (added.storage == PROPERTY_STORED_WHEN_CHANGED && !added.defaultValue)
			added.prototype = prototype;
	}
	orderStoredProperties(*table, first);
	return *table;
}

template <class C>
const PropertyTable& makePropertyTable(const PropertyTable& base, std::initializer_list<PropertyDescriptor> own)
{
	return makePropertyTable(base, own, &classPrototype<C>);
}
} // namespace fw
