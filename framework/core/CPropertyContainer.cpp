#include "core/CPropertyContainer.h"

#include "core/CNameTable.h"
#include "core/CPropertyDataContent.h"
#include "core/CPropertyDataFactory.h"
#include "core/CPropertyDataProperties.h"
#include "core/CPropertyDataScalars.h"
#include "core/CPropertyDataStringWArray.h"
#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "core/TextParsing.h"

namespace fw
{
namespace
{
const wchar_t* const kDefaultElement = L"Properties";

template <class T, class V>
PropertyHolder makeValue(const V& value)
{
	return adoptRef<IPropertyData>(new T(value));
}
} // namespace

CPropertyContainer::CPropertyContainer(IContentManager* owner) : m_owner(owner)
{
}

CPropertyContainer::~CPropertyContainer()
{
	clear();
}

void CPropertyContainer::add(const core::stringc& name, const PropertyHolder& value)
{
	addItem(new CPropertyContainerItem(name, value));
}

void CPropertyContainer::addItem(CPropertyContainerItem* item)
{
	m_items.push_back(item);
	if (!m_index.empty())
		m_index[item->m_name] = static_cast<s32>(m_items.size() - 1);
	else if (m_items.size() > MAX_UNINDEXED_ITEMS)
	{
		// In order, so that a name given twice maps to its last item.
		m_index.reserve(m_items.size() * 2);
		for (u32 i = 0; i < m_items.size(); ++i)
			m_index[m_items[i]->m_name] = static_cast<s32>(i);
	}
}

void CPropertyContainer::set(const core::stringc& name, const PropertyHolder& value)
{
	const s32 index = indexOf(name);
	if (index < 0)
		add(name, value);
	else
		m_items[index]->m_value = value;
}

PropertyHolder CPropertyContainer::get(const core::stringc& name) const
{
	const s32 index = indexOf(name);
	if (index < 0)
		return PropertyHolder();
	return m_items[index]->m_value;
}

s32 CPropertyContainer::indexOf(const core::stringc& name) const
{
	if (!m_index.empty())
	{
		const auto found = m_index.find(name);
		return found == m_index.end() ? -1 : found->second;
	}
	// The last item of that name.
	for (s32 i = static_cast<s32>(m_items.size()) - 1; i >= 0; --i)
		if (sameText(m_items[static_cast<u32>(i)]->m_name, name))
			return i;
	return -1;
}

PropertyHolder CPropertyContainer::getValueAt(s32 index) const
{
	if (index < 0 || static_cast<u32>(index) >= m_items.size())
		return PropertyHolder();
	return m_items[index]->m_value;
}

const core::stringc& CPropertyContainer::getNameAt(s32 index) const
{
	if (index < 0 || static_cast<u32>(index) >= m_items.size())
		return getEmptyStringC();
	return m_items[index]->m_name;
}

void CPropertyContainer::setAt(s32 index, const PropertyHolder& value)
{
	if (index < 0 || static_cast<u32>(index) >= m_items.size())
		return;
	m_items[index]->m_value = value;
}

CPropertyContainer* CPropertyContainer::clone() const
{
	CPropertyContainer* copy = new CPropertyContainer(m_owner);
	for (u32 i = 0; i < m_items.size(); ++i)
		copy->m_items.push_back(new CPropertyContainerItem(m_items[i]->m_name, cloneHolderValue(m_items[i]->m_value)));
	copy->m_index = m_index;
	return copy;
}

void CPropertyContainer::clear()
{
	// Detached first: dropping a value may run code that looks at this container.
	core::array<CPropertyContainerItem*> items;
	items.swap(m_items);
	m_index.clear();
	for (u32 i = 0; i < items.size(); ++i)
		delete items[i];
}

bool CPropertyContainer::writeToXml(IXMLWriter* writer, bool writeHeader, const core::stringw& elementName,
	bool writeOwnTags) const
{
	if (!writer)
		return false;
	if (writeHeader)
		writer->writeXMLHeader();
	const wchar_t* element = elementName.empty() ? kDefaultElement : elementName.c_str();
	if (writeOwnTags)
	{
		writer->writeElement(element, false);
		writer->writeLineBreak();
	}
	for (u32 i = 0; i < m_items.size(); ++i)
	{
		const CPropertyContainerItem* item = m_items[i];
		if (!item->m_value)
			continue;
		item->m_value->writeToXml(writer, item->m_name);
		writer->writeLineBreak();
	}
	if (writeOwnTags)
	{
		writer->writeClosingTag(element);
		writer->writeLineBreak();
	}
	return true;
}

bool CPropertyContainer::readFromXml(IXMLReader* reader, bool checkName, const core::stringw& elementName)
{
	if (!reader)
		return false;
	clear();
	static const core::stringw& defaultElement = *new core::stringw(kDefaultElement);
	const core::stringw& element = elementName.empty() ? defaultElement : elementName;
	if (checkName && (reader->getNodeType() != XML_NODE_ELEMENT || !(reader->getNodeName() == element)))
		return false;
	if (reader->isEmptyElement())
		return true;
	// A document that ends before the closing tag keeps what was read.
	while (reader->read())
	{
		const EXmlNodeType type = reader->getNodeType();
		if (type == XML_NODE_ELEMENT)
			readProperty(reader);
		else if (type == XML_NODE_ELEMENT_END && reader->getNodeName() == element)
			break;
	}
	return true;
}

void CPropertyContainer::readProperty(IXMLReader* reader)
{
	if (!reader)
		return;
	static const core::stringw& nameAttribute = *new core::stringw(L"Name");
	// The name is taken before the value is read: a value of elements moves the reader on.
	const core::stringw& name = reader->getAttributeValue(nameAttribute);
	CPropertyContainerItem* item = name.empty() ? nullptr : new CPropertyContainerItem(name, PropertyHolder());
	PropertyHolder value = adoptRef(CPropertyDataFactory::getInstance().create(reader->getNodeName(), m_owner));
	if (value && value->getTypeId() == PDT_PROPERTIES)
		static_cast<CPropertyDataProperties*>(value.get())->setNestingDepth(m_nestingDepth);
	if (value)
		value->readFromXml(reader);
	// An unknown type keeps its name with no value, so a lookup finds nothing rather than an older item.
	if (item)
	{
		item->m_value = value;
		addItem(item);
	}
}

void CPropertyContainer::addInt(const core::stringc& name, s32 value)
{
	add(name, createPropertyDataInt(value));
}

void CPropertyContainer::addBool(const core::stringc& name, bool value)
{
	add(name, makePropertyDataBool(value));
}

void CPropertyContainer::addColor(const core::stringc& name, video::SColor value)
{
	add(name, makePropertyDataColor(value));
}

void CPropertyContainer::addVector2d(const core::stringc& name, const core::vector2df& value)
{
	add(name, makePropertyDataVector2d(value));
}

void CPropertyContainer::addString(const core::stringc& name, const core::stringc& value)
{
	add(name, createPropertyDataString(value));
}

void CPropertyContainer::addStringWArray(const core::stringc& name, const core::array<core::stringw>& value)
{
	add(name, makeValue<CPropertyDataStringWArray>(value));
}

void CPropertyContainer::addAtlasTexture(const core::stringc& name, IAtlasTextureContent* atlasTexture)
{
	add(name, createPropertyDataAtlasTexture(atlasTexture));
}

void CPropertyContainer::setInt(const core::stringc& name, s32 value)
{
	set(name, createPropertyDataInt(value));
}

void CPropertyContainer::setBool(const core::stringc& name, bool value)
{
	set(name, makePropertyDataBool(value));
}

void CPropertyContainer::setFloat(const core::stringc& name, f32 value)
{
	set(name, createPropertyDataFloat(value));
}

void CPropertyContainer::setVector3d(const core::stringc& name, const core::vector3df& value)
{
	set(name, makePropertyDataVector3d(value));
}

void CPropertyContainer::setString(const core::stringc& name, const core::stringc& value)
{
	set(name, createPropertyDataString(value));
}

void CPropertyContainer::setStringW(const core::stringc& name, const core::stringw& value)
{
	set(name, createPropertyDataStringW(value));
}

s32 CPropertyContainer::getInt(const core::stringc& name) const
{
	const PropertyHolder value = get(name);
	if (!value || !value->isOfType(PDT_INT))
		return 0;
	return static_cast<const CPropertyDataInt*>(value.get())->getValue();
}

bool CPropertyContainer::getBool(const core::stringc& name) const
{
	const PropertyHolder value = get(name);
	if (!value || !value->isOfType(PDT_BOOL))
		return false;
	return static_cast<const CPropertyDataBool*>(value.get())->getValue();
}

core::stringc CPropertyContainer::getString(const core::stringc& name) const
{
	return getPropertyText(get(name));
}

PropertyHolder createPropertyDataInt(s32 value)
{
	return makeValue<CPropertyDataInt>(value);
}

PropertyHolder makePropertyDataBool(bool value)
{
	return makeValue<CPropertyDataBool>(value);
}

PropertyHolder createPropertyDataFloat(f32 value)
{
	return makeValue<CPropertyDataFloat>(value);
}

PropertyHolder makePropertyDataColor(video::SColor value)
{
	return makeValue<CPropertyDataColor>(value);
}

PropertyHolder makePropertyDataVector2d(const core::vector2df& value)
{
	return makeValue<CPropertyDataVector2d>(value);
}

PropertyHolder makePropertyDataVector3d(const core::vector3df& value)
{
	return makeValue<CPropertyDataVector3d>(value);
}

PropertyHolder createPropertyDataString(const core::stringc& value)
{
	return makeValue<CPropertyDataString>(value);
}

PropertyHolder createPropertyDataStringW(const core::stringw& value)
{
	return makeValue<CPropertyDataStringW>(value);
}

PropertyHolder makePropertyDataFromNameId(s32 nameId)
{
	return createPropertyDataString(CNameTableSingleton::Instance().lookup(nameId));
}

s32 propertyToNameId(const PropertyHolder& value)
{
	CNameTable& names = CNameTableSingleton::Instance();
	// Names are string values: their text is interned as it stands, without a copy.
	if (value && value->getTypeId() == PDT_STRING)
		return names.intern(static_cast<const CPropertyDataString*>(value.get())->getValue());
	return names.intern(getPropertyText(value));
}

core::stringc getPropertyText(const PropertyHolder& value)
{
	return value ? value->toString() : core::stringc();
}

PropertyHolder cloneHolderValue(const PropertyHolder& value)
{
	return value ? adoptRef(value->clone()) : PropertyHolder();
}

core::array<core::stringw> getStringWArray(const PropertyHolder& value)
{
	if (!value || !value->isOfType(PDT_STRINGW_ARRAY))
		return core::array<core::stringw>();
	return static_cast<const CPropertyDataStringWArray*>(value.get())->getValue();
}
} // namespace fw
