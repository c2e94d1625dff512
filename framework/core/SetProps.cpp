#include "core/SetProps.h"

#include "core/BaseNode.h"
#include "core/IXMLWriter.h"
#include "core/PropertyAccessors.h"

namespace fw
{
SetProps::SetProps() : m_values(adoptRef(new CPropertyContainer(nullptr)))
{
	setPeriod(1);
}

SetProps::~SetProps() = default;

s32 SetProps::getPropertyIndex(u32 value) const
{
	return value < m_propertyIndexes.size() ? m_propertyIndexes[value] : -1;
}

void SetProps::setTarget(BaseNode* target)
{
	Base::setTarget(target);
	if (!target || m_values->getItemCount() == 0)
		return;
	const PropertyTable& table = target->getPropertyTable();
	const u32 count = m_values->getItemCount();
	m_propertyIndexes.set_used(count);
	for (u32 n = 0; n < count; ++n)
		m_propertyIndexes[n] = findPropertyIndex(table, m_values->getNameAt(static_cast<s32>(n)));
}

void SetProps::seek(u32, bool apply)
{
	BaseNode* target = getTarget();
	if (!apply || !target)
		return;
	// A setter may replace or release the node (a template that it sets), this item or its state.
	const CRefHolder<Base> self = holdForCall<Base>(this);
	const CRefHolder<BaseNode> heldTarget = holdForCall(target);
	const CRefHolder<CPropertyContainer> values(m_values);
	const PropertyTable& table = target->getPropertyTable();
	for (u32 n = 0; n < values->getItemCount(); ++n)
	{
		// Let go or rebound by a setter: the rest is no longer this item's to set.
		if (getTarget() != target || m_values != values)
			return;
		const s32 index = getPropertyIndex(n);
		const PropertyHolder value = values->getValueAt(static_cast<s32>(n));
		// A value of a type unknown here has none: it sets nothing rather than a zero.
		if (index < 0 || static_cast<u32>(index) >= table.size() || !value)
			continue;
		table[static_cast<u32>(index)].setter(target, value);
	}
}

void SetProps::readElements(IXMLReader* reader, IContentManager* contentManager, const core::stringw& elementName)
{
	m_values = adoptRef(new CPropertyContainer(contentManager));
	m_propertyIndexes.clear();
	if (!reader)
		return;
	m_values->readFromXml(reader, true, elementName);
	if (getTarget())
		setTarget(getTarget());
}

void SetProps::writeElements(IXMLWriter* writer, const core::stringw& elementName) const
{
	if (m_values->getItemCount() > 0)
		m_values->writeToXml(writer, false, elementName, false);
}

void SetProps::copyFrom(const Base* source)
{
	m_values = adoptRef(static_cast<const SetProps*>(source)->m_values->clone());
}
} // namespace fw
