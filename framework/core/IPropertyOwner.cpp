#include "core/IPropertyOwner.h"

#include "core/CPropertyContainer.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace fw
{
const PropertyTable& IPropertyOwner::getClassPropertyTable()
{
	// Never destroyed: tables may be used while the process exits.
	static const PropertyTable& table = *new PropertyTable;
	return table;
}

PropertyTable::~PropertyTable()
{
	delete m_copyPlan.load();
}

const core::array<PropertyTable::SCopyStep>& PropertyTable::makeCopyPlan(const IPropertyOwner* sample) const
{
	auto* plan = new core::array<SCopyStep>;
	std::vector<SCopyStep> run;
	// A run of plain members has no side effects, so its order does not matter: sorted by place,
	// neighbours become one copy.
	const auto flushRun = [&]()
	{
		std::sort(run.begin(), run.end(), [](const SCopyStep& a, const SCopyStep& b) { return a.offset < b.offset; });
		for (size_t i = 0; i < run.size(); ++i)
		{
			if (plan->size() > 0 && !(*plan)[plan->size() - 1].copier && i > 0 &&
				(*plan)[plan->size() - 1].offset + static_cast<ptrdiff_t>((*plan)[plan->size() - 1].size) ==
					run[i].offset)
				(*plan)[plan->size() - 1].size += run[i].size;
			else
				plan->push_back(run[i]);
		}
		run.clear();
	};
	for (u32 i = 0; i < writeOrder.size(); ++i)
	{
		const PropertyDescriptor& property = (*this)[writeOrder[i]];
		if (property.memberOffset && property.copier == copiers[i])
			run.push_back(SCopyStep{nullptr, property.memberOffset(sample), property.memberSize, writeOrder[i]});
		else
		{
			flushRun();
			plan->push_back(SCopyStep{copiers[i], 0, 0, writeOrder[i]});
		}
	}
	flushRun();

	const core::array<SCopyStep>* expected = nullptr;
	if (!m_copyPlan.compare_exchange_strong(expected, plan, std::memory_order_acq_rel))
	{
		// Another thread made the same plan first.
		delete plan;
		return *expected;
	}
	return *plan;
}

PropertyHolder getPropertyDefault(const PropertyDescriptor& property)
{
	if (property.defaultValue || !property.prototype)
		return property.defaultValue;
	return property.getter(property.prototype());
}

void copyPropertyTable(PropertyTable& table, const PropertyTable& base)
{
	for (u32 i = 0; i < base.size(); ++i)
		table.push_back(base[i]);
	for (u32 i = 0; i < base.writeOrder.size(); ++i)
		table.writeOrder.push_back(base.writeOrder[i]);
	for (u32 i = 0; i < base.readOrder.size(); ++i)
		table.readOrder.push_back(base.readOrder[i]);
	for (u32 i = 0; i < base.copiers.size(); ++i)
		table.copiers.push_back(base.copiers[i]);
	for (u32 i = 0; i < base.readSteps.size(); ++i)
		table.readSteps.push_back(base.readSteps[i]);
}

void orderStoredProperties(PropertyTable& table, u32 first)
{
	const u32 written = table.writeOrder.size();
	core::array<u32> own;
	for (u32 i = first; i < table.size(); ++i)
		if (table[i].storage != PROPERTY_NOT_STORED)
			own.push_back(i);

	// Written in table order, each property written after another moved right behind it (behind
	// the last of the class's own when that one is missing).
	core::array<u32> moved;
	for (u32 i = 0; i < own.size(); ++i)
		if (table[own[i]].writtenAfterName.empty())
			table.writeOrder.push_back(own[i]);
		else
			moved.push_back(own[i]);
	for (u32 m = 0; m < moved.size(); ++m)
	{
		u32 place = table.writeOrder.size();
		for (u32 i = written; i < table.writeOrder.size(); ++i)
			if (table[table.writeOrder[i]].name == table[moved[m]].writtenAfterName)
				place = i + 1;
		table.writeOrder.insert(moved[m], place);
	}

	for (u32 i = 0; i < own.size(); ++i)
		if (!table[own[i]].isReadLast)
			table.readOrder.push_back(own[i]);
	for (u32 i = 0; i < own.size(); ++i)
		if (table[own[i]].isReadLast)
			table.readOrder.push_back(own[i]);

	for (u32 i = written; i < table.writeOrder.size(); ++i)
		table.copiers.push_back(table[table.writeOrder[i]].copier);
}

s32 findPropertyIndex(const PropertyTable& table, const core::stringc& name)
{
	for (u32 i = 0; i < table.size(); ++i)
		if (table[i].name == name && table[i].listed)
			return static_cast<s32>(i);
	return -1;
}

void writePropertyTable(const IPropertyOwner* object, CPropertyContainer* container)
{
	if (!object || !container)
		return;
	const PropertyTable& table = object->getPropertyTable();
	for (u32 i = 0; i < table.writeOrder.size(); ++i)
	{
		const PropertyDescriptor& property = table[table.writeOrder[i]];
		if (property.storage == PROPERTY_STORED_WHEN_CHANGED && property.isDefault &&
			property.isDefault(object, property))
			continue;
		container->add(property.getFileKey(), (property.writer ? property.writer : property.getter)(object));
	}
}

void readPropertyTable(IPropertyOwner* object, CPropertyContainer* container)
{
	if (!object || !container)
		return;
	const PropertyTable& table = object->getPropertyTable();
	for (u32 i = 0; i < table.readOrder.size(); ++i)
	{
		const PropertyDescriptor& property = table[table.readOrder[i]];
		const s32 index = container->indexOf(property.getFileKey());
		if (index < 0)
			continue;
		(property.reader ? property.reader : property.setter)(object, container->getValueAt(index));
	}
	for (u32 i = 0; i < table.readSteps.size(); ++i)
		table.readSteps[i](object);
}

void copyPropertyTableValues(IPropertyOwner* target, const IPropertyOwner* source)
{
	if (!target || !source || target == source)
		return;
	const PropertyTable& to = target->getPropertyTable();
	const PropertyTable& from = source->getPropertyTable();
	if (&to == &from)
	{
		// The usual case, a clone: every stored property.
		const core::array<PropertyTable::SCopyStep>& plan = to.getCopyPlan(target);
		for (u32 i = 0, count = plan.size(); i < count; ++i)
		{
			const PropertyTable::SCopyStep& step = plan[i];
			if (step.copier)
				step.copier(target, source);
			else if (step.size)
				std::memcpy(reinterpret_cast<char*>(target) + step.offset,
					reinterpret_cast<const char*>(source) + step.offset, step.size);
			else
				to[step.descriptor].setter(target, to[step.descriptor].getter(source));
		}
		return;
	}
	// Tables extend their bases' by appending: the shared beginning is the common class's.
	for (u32 i = 0; i < to.size() && i < from.size(); ++i)
	{
		const PropertyDescriptor& property = to[i];
		if (property.setter != from[i].setter || property.getter != from[i].getter || property.name != from[i].name)
			break;
		if (property.storage == PROPERTY_NOT_STORED)
			continue;
		if (property.copier)
			property.copier(target, source);
		else
			property.setter(target, property.getter(source));
	}
}
} // namespace fw
