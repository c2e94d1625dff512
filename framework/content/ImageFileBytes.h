#pragma once

// Small readers of the fields of image file headers, shared by the header checks and the
// corrections made after decoding.

#include "core/CoreTypes.h"

#include <IReadFile.h>

namespace fw
{
namespace imagebytes
{
inline u32 readLE16(const u8* p)
{
	return static_cast<u32>(p[0]) | (static_cast<u32>(p[1]) << 8);
}

inline u32 readLE32(const u8* p)
{
	return readLE16(p) | (readLE16(p + 2) << 16);
}

inline u32 readBE16(const u8* p)
{
	return (static_cast<u32>(p[0]) << 8) | static_cast<u32>(p[1]);
}

inline u32 readBE32(const u8* p)
{
	return (readBE16(p) << 16) | readBE16(p + 2);
}

// Exactly size bytes at the position, or false.
inline bool readAt(io::IReadFile* file, long position, void* buffer, u32 size)
{
	return file->seek(position) && file->read(buffer, size) == static_cast<s32>(size);
}
// The palette index of pixel x in a row of a 1-, 4- or 8-bit BMP, first pixel in the high bits.
inline u32 readBmpIndex(const u8* row, u32 bitsPerPixel, u32 x)
{
	if (bitsPerPixel == 8)
		return row[x];
	if (bitsPerPixel == 4)
		return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0Fu;
	return (row[x / 8] >> (7 - x % 8)) & 1u;
}
} // namespace imagebytes
} // namespace fw
