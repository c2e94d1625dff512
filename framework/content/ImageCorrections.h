#pragma once

#include "content/ImageHeaders.h"
#include "core/CRefHolder.h"

namespace fw
{
class CImage;

// Some of the engine's decoders misread ordinary files: colour PPM comes out with red and blue
// swapped and PPM or PGM with a largest sample value below 255 too dark; a BMP's 1-bit palette is
// ignored and a palette after a longer header is read from the wrong place; palettes of BMP, PCX
// and TGA are kept in 5 bits a channel; 16-bit BMP rows with padding come out shifted; 16- and
// 32-bit BMP and 16-bit TGA pixels whose unused bits are clear come out transparent. This puts the
// image that a decoder made from the file right, from the file itself, so that a loaded image holds
// the file's own colours in their places. The image may be replaced by a new one with the same key.
// Null when the image is right, or why it cannot be made right.
const c8* correctDecodedImage(EImageFileFormat format, io::IReadFile* file, CRefHolder<CImage>& image);
} // namespace fw
