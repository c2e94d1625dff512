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
