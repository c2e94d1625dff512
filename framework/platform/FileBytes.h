#pragma once

// The byte order in which archive names are sorted and looked up (numbers and whole reads are
// core/ByteReader.h's).

#include "core/ByteReader.h"
#include "core/CoreTypes.h"

#include <IReadFile.h>

#include <algorithm>
#include <cstring>

namespace fw
{
// Byte by byte as unsigned characters; a prefix comes first.
inline bool lessByBytes(const core::stringc& a, const core::stringc& b)
{
	const int order = std::memcmp(a.c_str(), b.c_str(), core::min_(a.size(), b.size()));
	if (order != 0)
		return order < 0;
	return a.size() < b.size();
}

// The index of the entry called name among entries sorted by lessByBytes of their names, or -1.
template <class Entry>
s32 findSortedEntry(const core::array<Entry>& entries, const core::stringc& name)
{
	const Entry* begin = entries.const_pointer();
	const Entry* end = begin + entries.size();
	const Entry* found = std::lower_bound(begin, end, name,
		[](const Entry& entry, const core::stringc& wanted) { return lessByBytes(entry.name, wanted); });
	if (found == end || lessByBytes(name, found->name))
		return -1;
	return static_cast<s32>(found - begin);
}
} // namespace fw
