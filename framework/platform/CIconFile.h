#pragma once

#include "core/CoreTypes.h"
#include "platform/os/IWindow.h"

#include <IReadFile.h>

namespace fw
{
// Decodes one image file into 32-bit ARGB pixels, row after row from the top; false when it
// cannot. The image decoders belong to a library above the platform, which installs this.
typedef bool (*ImageFileDecoder)(io::IReadFile* file, core::dimension2d<u32>& size, core::array<u32>& pixels);
void setImageFileDecoder(ImageFileDecoder decoder);

// Largest side of an icon image, as icon files allow.
const u32 MAX_ICON_SIDE = 256;
// Images of one icon file that the window is given.
const u32 MAX_ICON_IMAGES = 8;

// Reads an icon file (".ico"): a directory of images, each a PNG file or a BMP without its file
// header whose rows are followed by a transparency mask. The images are decoded through the
// installed decoder; the result holds every size that could be read, largest first, at most
// MAX_ICON_IMAGES of them. False, after one log line that names the file and the reason, when
// the file is no icon file or none of its images can be read.
bool readIconFile(io::IReadFile* file, core::array<os::SIconImage>& images);
} // namespace fw
