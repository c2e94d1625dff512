#pragma once

// Field tables of the configuration records: each record lists its fields once, with the key a file
// names it by and the conversion its value takes; one reader then fills any record from a property
// container, or from the "Value" attributes of its child elements.

#include "core/CNameTable.h"
#include "core/IXMLReader.h"
#include "core/TextParsing.h"
#include "level/data/LevelXml.h"
#include "level/data/PropertyValues.h"

#include <initializer_list>
#include <vector>

namespace recordfields
{
template <class M>
struct SMemberTraits;
template <class R, class T>
struct SMemberTraits<T R::*>
{
	typedef R Record;
	typedef T Type;
};

// One field read from a property container: written only when the container holds the key.
template <class R>
struct SField
{
	const char* key;
	void (*read)(R& record, const fw::PropertyHolder& value);
};

template <auto Member, auto Convert>
void readField(typename SMemberTraits<decltype(Member)>::Record& record, const fw::PropertyHolder& value)
{
	record.*Member = Convert(value);
}

// The field of a member, with the conversion of its value (the propertyvalues ones, or below).
template <auto Member, auto Convert>
SField<typename SMemberTraits<decltype(Member)>::Record> field(const char* key)
{
	return {key, &readField<Member, Convert>};
}

inline fw::core::stringc toStringC(const fw::PropertyHolder& value)
{
	return fw::getPropertyText(value);
}
inline fw::s32 toNameId(const fw::PropertyHolder& value)
{
	return fw::propertyToNameId(value);
}
// ";"-separated names, trimmed, empty pieces dropped, interned.
inline fw::core::array<fw::s32> toNameList(const fw::PropertyHolder& value)
{
	return fw::split(fw::getPropertyText(value));
}
// ";"-separated texts as they are.
inline fw::core::array<fw::core::stringc> toTextList(const fw::PropertyHolder& value)
{
	return levelxml::splitText(fw::getPropertyText(value));
}

template <class R>
void readFields(R& record, std::initializer_list<SField<R>> fields, const fw::CPropertyContainer* container)
{
	if (!container)
		return;
	for (const SField<R>& field : fields)
		if (const fw::PropertyHolder value = container->get(field.key))
			field.read(record, value);
}

// One field read from the "Value" attribute of a child element of that name.
template <class R>
struct SValueField
{
	const wchar_t* element;
	void (*read)(R& record, const fw::IXMLReader* reader);
};

template <auto Member, auto Convert>
void readValueField(typename SMemberTraits<decltype(Member)>::Record& record, const fw::IXMLReader* reader)
{
	record.*Member = Convert(reader, L"Value");
}

template <auto Member, auto Convert>
SValueField<typename SMemberTraits<decltype(Member)>::Record> valueField(const wchar_t* element)
{
	return {element, &readValueField<Member, Convert>};
}

// Attribute conversions: an absent attribute gives 0, the empty text or -1 (a name).
inline fw::s32 intAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	return reader->getAttributeValueAsInt(name, 0);
}
inline fw::core::stringw textAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	return reader->getAttributeValue(name);
}
inline fw::core::stringc narrowAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	return levelxml::narrowAttribute(reader, name);
}
inline fw::s32 nameIdAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	return levelxml::nameIdAttribute(reader, name);
}

// One field read from an attribute of the element the reader stands on: written only when the
// element has the attribute, so an absent one keeps the record's initial value; or, with a default
// field, the value of that field once every attribute present was read.
template <class R>
struct SAttributeField
{
	const wchar_t* attribute;
	void (*read)(R& record, const fw::IXMLReader* reader, const wchar_t* attribute);
	void (*absent)(R& record);
};

template <class R, auto Member, auto Convert>
void readAttributeField(R& record, const fw::IXMLReader* reader, const wchar_t* attribute)
{
	record.*Member = Convert(reader, attribute);
}

template <class R, auto Member, auto Default>
void copyDefaultField(R& record)
{
	record.*Member = record.*Default;
}

// An attribute field of a member, which any record class derived from the member's class takes
// (the kinds of a family share their base's fields).
template <auto Member, auto Convert, auto Default>
struct SAttributeFieldOf
{
	const wchar_t* attribute;

	template <class R>
	operator SAttributeField<R>() const
	{
		if constexpr (Default == nullptr)
			return {attribute, &readAttributeField<R, Member, Convert>, nullptr};
		else
			return {attribute, &readAttributeField<R, Member, Convert>, &copyDefaultField<R, Member, Default>};
	}
};

// Default names the member whose value an absent attribute takes.
template <auto Member, auto Convert, auto Default = nullptr>
SAttributeFieldOf<Member, Convert, Default> attributeField(const wchar_t* attribute)
{
	return {attribute};
}

inline bool hasAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	const fw::s32 count = reader->getAttributeCount();
	for (fw::s32 i = 0; i < count; ++i)
		if (reader->getAttributeName(i) == name)
			return true;
	return false;
}

// Defaults taken from other fields are set after every attribute present was read, whatever the
// order of the table, so they see the values of this element; in table order among themselves.
template <class R>
void readAttributes(R& record, std::initializer_list<SAttributeField<R>> fields, const fw::IXMLReader* reader)
{
	bool anyAbsent = false;
	for (const SAttributeField<R>& field : fields)
	{
		if (hasAttribute(reader, field.attribute))
			field.read(record, reader, field.attribute);
		else
			anyAbsent = anyAbsent || field.absent;
	}
	if (!anyAbsent)
		return;
	for (const SAttributeField<R>& field : fields)
		if (field.absent && !hasAttribute(reader, field.attribute))
			field.absent(record);
}

inline fw::f32 floatAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	return reader->getAttributeValueAsFloat(name, 0.f);
}
// Only the exact text "true" is true.
inline bool trueAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	return reader->getAttributeValue(name) == L"true";
}
inline fw::core::array<fw::s32> nameListAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	return levelxml::nameListAttribute(reader, name);
}
// Two numbers; any characters that are not part of a number separate them.
inline fw::core::vector2df vector2dAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	return fw::parseVector2d(reader->getAttributeValue(name));
}

// The walk's rules of the value fields, each writing into the record.
template <class R>
void addValueRules(std::vector<levelxml::SElementRule>& rules, R& record, std::initializer_list<SValueField<R>> fields)
{
	for (const SValueField<R>& field : fields)
	{
		const auto read = field.read;
		rules.push_back({field.element, [&record, read](fw::IXMLReader* reader) { read(record, reader); }});
	}
}
} // namespace recordfields
