#pragma once

// Numbers in the byte orders of binary files (archives, images, icons, sounds, fonts), and whole
// reads. Every reader returns 32 bits, so that arithmetic on what it gives never runs in a narrow
// signed type.

#include "core/CoreTypes.h"

#include <IReadFile.h>

#include <vector>

namespace fw
{
inline u32 readLE16(const u8* p)
{
	return static_cast<u32>(p[0]) | (static_cast<u32>(p[1]) << 8);
}

inline u32 readLE32(const u8* p)
{
	return static_cast<u32>(p[0]) | (static_cast<u32>(p[1]) << 8) | (static_cast<u32>(p[2]) << 16) |
		(static_cast<u32>(p[3]) << 24);
}

inline u32 readBE16(const u8* p)
{
	return (static_cast<u32>(p[0]) << 8) | static_cast<u32>(p[1]);
}

inline u32 readBE32(const u8* p)
{
	return (static_cast<u32>(p[0]) << 24) | (static_cast<u32>(p[1]) << 16) | (static_cast<u32>(p[2]) << 8) |
		static_cast<u32>(p[3]);
}

inline void appendLE16(std::vector<u8>& out, u32 value)
{
	out.push_back(static_cast<u8>(value));
	out.push_back(static_cast<u8>(value >> 8));
}

inline void appendLE32(std::vector<u8>& out, u32 value)
{
	appendLE16(out, value);
	appendLE16(out, value >> 16);
}

// True only when all count bytes were read.
inline bool readExactly(io::IReadFile* file, void* buffer, u32 count)
{
	return count == 0 || file->read(buffer, count) == static_cast<s32>(count);
}

// Exactly count bytes at the position, or false.
inline bool readAt(io::IReadFile* file, long position, void* buffer, u32 count)
{
	return file->seek(position) && readExactly(file, buffer, count);
}
} // namespace fw
