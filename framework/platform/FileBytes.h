#pragma once

// Little helpers of the readers of binary files (archives): little-endian numbers, whole reads,
// and the byte order in which archive names are sorted and looked up.

#include "core/CoreTypes.h"

#include <IReadFile.h>

#include <cstring>

namespace fw
{
inline u16 readU16(const u8* p)
{
	return static_cast<u16>(p[0] | (p[1] << 8));
}

inline u32 readU32(const u8* p)
{
	return static_cast<u32>(p[0]) | (static_cast<u32>(p[1]) << 8) | (static_cast<u32>(p[2]) << 16) |
		(static_cast<u32>(p[3]) << 24);
}

// True only when all count bytes were read.
inline bool readExactly(io::IReadFile* file, void* buffer, u32 count)
{
	return count == 0 || file->read(buffer, count) == static_cast<s32>(count);
}

// Byte by byte as unsigned characters; a prefix comes first.
inline bool lessByBytes(const core::stringc& a, const core::stringc& b)
{
	const int order = std::memcmp(a.c_str(), b.c_str(), core::min_(a.size(), b.size()));
	if (order != 0)
		return order < 0;
	return a.size() < b.size();
}
} // namespace fw
