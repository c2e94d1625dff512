#pragma once

// What the header checks and the corrections made after decoding share of image files (numbers and
// whole reads are core/ByteReader.h's).

#include "core/ByteReader.h"
#include "core/CoreTypes.h"

#include <IReadFile.h>

namespace fw
{
namespace imagebytes
{
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
