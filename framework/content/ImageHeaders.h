#pragma once

#include "core/CoreTypes.h"

#include <IReadFile.h>

namespace fw
{
// The image file formats the image manager reads.
enum EImageFileFormat
{
	IMAGE_FILE_BMP,
	IMAGE_FILE_JPEG,
	IMAGE_FILE_TGA,
	IMAGE_FILE_PCX,
	IMAGE_FILE_PNG,
	IMAGE_FILE_WAL,
	IMAGE_FILE_PPM
};

// The pixel size that the header of a file of that format declares, read from the start of the
// file, so that a decoder is never asked to allocate for an unchecked size. False when the file
// does not begin with a header of that format. The file's position is left anywhere.
bool readImageFileSize(EImageFileFormat format, io::IReadFile* file, u32& width, u32& height);

// Whether the engine's content test for that format may be given this file: those tests take
// whatever their read left in their buffers, so a file too short for the format's header (or, for
// TGA, its footer) is never offered. The file's position is left anywhere.
bool canTestImageFileFormat(EImageFileFormat format, io::IReadFile* file);

// Why the engine's decoder must not be given this file (its header disagrees with the file in a
// way the decoder would not survive), or null when it may.
const c8* checkImageFileLayout(EImageFileFormat format, io::IReadFile* file, u32 width, u32 height);

// The header of a portable any-map file (PBM, PGM, PPM): its kind, the digit after the 'P'; its
// size; its largest sample value (1 for a bitmap, which states none). False when the file does not
// begin with such a header. The file's position is left anywhere.
struct SPpmHeader
{
	c8 kind = 0;
	u32 width = 0;
	u32 height = 0;
	u32 maxValue = 0;
};
bool readPpmHeader(io::IReadFile* file, SPpmHeader& header);
} // namespace fw
