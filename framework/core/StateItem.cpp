#include "core/StateItem.h"

#include "core/CAnimatorState.h"
#include "core/CEventNodeState.h"
#include "core/CPropertyContainer.h"
#include "core/CPropertyDataScalars.h"
#include "core/ITimerManager.h"
#include "core/IXMLReader.h"
#include "core/IXMLWriter.h"
#include "core/PropertyAccessors.h"
#include "core/XMLElements.h"

namespace fw
{
Base::Base()
{
	setInterval(DEFAULT_PERIOD);
}

Base::~Base() = default;

const PropertyTable& Base::getClassPropertyTable()
{
	static const PropertyTable& table =
		makePropertyTable(IPropertyOwner::getClassPropertyTable(), {makeNameProperty<&Base::m_nameId>("Name")});
	return table;
}

void Base::setTarget(BaseNode* target)
{
	m_target = target;
}

bool Base::start(ITimerManager* timerManager)
{
	setManager(timerManager);
	m_running = true;
	return true;
}

void Base::stop(bool, bool report)
{
	setManager(nullptr);
	if (report)
		notifyOwner(0, false);
}

bool Base::onTimer(u32)
{
	return false;
}

bool Base::notifyOwner(u32 time, bool looped)
{
	m_running = false;
	const CRefHolder<CAnimatorState> owner = holdForCall(m_owner);
	if (!owner || (owner->getEventMask() & EVENT_CATEGORY_NODE) == 0)
		return false;
	const CRefHolder<CEvent> event = adoptRef<CEvent>(new CEventNodeStateItemNotify(this, time, looped));
	return owner->onEvent(event.get());
}

namespace
{
s32 findAttribute(const IXMLReader* reader, const core::stringw& name)
{
	for (s32 i = 0, count = reader->getAttributeCount(); i < count; ++i)
		if (reader->getAttributeName(i) == name)
			return i;
	return -1;
}
} // namespace

void Base::loadFromXml(IXMLReader* reader, IContentManager* contentManager, const core::stringw& elementName)
{
	if (reader)
	{
		// An element is the whole description of its item: a missing attribute sets the default (one
		// always written has none and keeps its value). The value takes the default's type, or the
		// current value's; whole numbers are read as the XML reader reads them.
		const PropertyTable& table = getPropertyTable();
		for (u32 i = 0; i < table.readOrder.size(); ++i)
		{
			const PropertyDescriptor& property = table[table.readOrder[i]];
			const s32 index = findAttribute(reader, core::stringw(property.getFileKey()));
			const PropertyHolder initial = getPropertyDefault(property);
			const PropertyHolder sample = initial ? initial : property.getter(this);
			PropertyHolder value;
			if (index < 0)
				value = cloneHolderValue(initial);
			else if (sample && sample->getTypeId() == PDT_INT)
				value = SPropertyValue<s32>::make(reader->getAttributeValueAsInt(index, 0));
			else if (sample)
			{
				value = cloneHolderValue(sample);
				value->fromStringW(reader->getAttributeValue(index));
			}
			if (value)
				(property.reader ? property.reader : property.setter)(this, value);
		}
	}
	readElements(reader, contentManager, elementName);
}

void Base::saveToXml(IXMLWriter* writer, const core::stringw& elementName) const
{
	if (!writer)
		return;
	core::array<core::stringw> names;
	core::array<core::stringw> values;
	names.push_back(L"Type");
	values.push_back(getTypeName());
	const CRefHolder<CPropertyContainer> stored = adoptRef(new CPropertyContainer(nullptr));
	writePropertyTable(this, stored.get());
	for (u32 n = 0; n < stored->getItemCount(); ++n)
	{
		const PropertyHolder value = stored->getValueAt(static_cast<s32>(n));
		names.push_back(core::stringw(stored->getNameAt(static_cast<s32>(n))));
		values.push_back(value ? value->toStringW() : core::stringw());
	}
	writer->writeElement(elementName.c_str(), false, names, values);
	writer->writeLineBreak();
	writeElements(writer, elementName);
	writer->writeClosingTag(elementName.c_str());
	writer->writeLineBreak();
}

void Base::readElements(IXMLReader* reader, IContentManager*, const core::stringw& elementName)
{
	readChildElements(reader, elementName, [](IXMLReader* child) { skipXmlElement(child); });
}

void Base::writeElements(IXMLWriter*, const core::stringw&) const
{
}

void Base::copyFrom(const Base*)
{
}

void Base::copyItem(const Base* source)
{
	copyPropertyTableValues(this, source);
	// Items whose files leave the period out still keep the one set on them.
	setInterval(source->getInterval());
	copyFrom(source);
}
} // namespace fw
