#include "core/IPropertyOwner.h"

namespace fw
{
const PropertyTable& IPropertyOwner::getClassPropertyTable()
{
	// Never destroyed: tables may be used while the process exits.
	static const PropertyTable& table = *new PropertyTable;
	return table;
}

void copyPropertyTable(PropertyTable& table, const PropertyTable& base)
{
	for (u32 i = 0; i < base.size(); ++i)
		table.push_back(base[i]);
}

s32 findPropertyIndex(const PropertyTable& table, const core::stringc& name)
{
	for (u32 i = 0; i < table.size(); ++i)
		if (table[i].name == name)
			return static_cast<s32>(i);
	return -1;
}
} // namespace fw
