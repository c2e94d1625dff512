#include "platform/CIconFile.h"

#include "core/ByteReader.h"
#include "core/CLogger.h"
#include "core/CRefHolder.h"
#include "platform/CMemoryFile.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace fw
{
namespace
{
ImageFileDecoder s_decoder = nullptr;

// The directory's own bounds: an icon file holds a few sizes of one small picture.
const u32 MAX_ENTRIES = 64;
const u32 MAX_ENTRY_BYTES = 4 * 1024 * 1024;
const u32 DIRECTORY_HEADER = 6;
const u32 DIRECTORY_ENTRY = 16;
const u32 BITMAP_INFO_HEADER = 40;
const u32 BITMAP_FILE_HEADER = 14;
const u8 PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool decode(std::vector<u8>& bytes, const c8* name, core::dimension2d<u32>& size, core::array<u32>& pixels)
{
	CRefHolder<CMemoryFile> file =
		adoptRef(new CMemoryFile(bytes.data(), static_cast<long>(bytes.size()), name, false));
	if (!s_decoder(file.get(), size, pixels))
		return false;
	return size.Width > 0 && size.Height > 0 && size.Width <= MAX_ICON_SIDE && size.Height <= MAX_ICON_SIDE &&
		pixels.size() == size.Width * size.Height;
}

// A PNG image of the directory; null reason when it was read.
const c8* readPngEntry(std::vector<u8>& data, os::SIconImage& image)
{
	// The header's size, checked before anything is decoded.
	if (data.size() < 24)
		return "a PNG image is cut short";
	const u32 width = readBE32(&data[16]);
	const u32 height = readBE32(&data[20]);
	if (width == 0 || height == 0 || width > MAX_ICON_SIDE || height > MAX_ICON_SIDE)
		return "an image is larger than 256 x 256";
	core::dimension2d<u32> size;
	if (!decode(data, "icon.png", size, image.Pixels))
		return "a PNG image cannot be decoded";
	image.Size = core::dimension2d<s32>(static_cast<s32>(size.Width), static_cast<s32>(size.Height));
	return nullptr;
}

// A BMP image of the directory: its header counts the rows of the colours and of the mask that
// follows them (1 bit a pixel, set where the icon is transparent).
const c8* readBitmapEntry(const std::vector<u8>& data, os::SIconImage& image)
{
	if (data.size() < BITMAP_INFO_HEADER || readLE32(&data[0]) != BITMAP_INFO_HEADER)
		return "an image is neither PNG nor a plain bitmap";
	const s32 width = static_cast<s32>(readLE32(&data[4]));
	const s32 doubleHeight = static_cast<s32>(readLE32(&data[8]));
	const u16 planes = readLE16(&data[12]);
	const u16 bits = readLE16(&data[14]);
	const u32 compression = readLE32(&data[16]);
	u32 colours = readLE32(&data[32]);
	if (width <= 0 || doubleHeight <= 0 || doubleHeight % 2 != 0 || width > static_cast<s32>(MAX_ICON_SIDE) ||
		doubleHeight / 2 > static_cast<s32>(MAX_ICON_SIDE))
		return "an image has a size out of range";
	if (planes != 1 || compression != 0 || (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32))
		return "an image has a pixel format icons do not use";
	const u32 w = static_cast<u32>(width);
	const u32 h = static_cast<u32>(doubleHeight / 2);
	if (bits <= 8)
	{
		if (colours == 0 || colours > (1u << bits))
			colours = 1u << bits;
	}
	else
		colours = 0;
	const u32 paletteBytes = colours * 4;
	const u32 colourStride = (w * bits + 31) / 32 * 4;
	const u32 maskStride = (w + 31) / 32 * 4;
	const u64 colourEnd = static_cast<u64>(BITMAP_INFO_HEADER) + paletteBytes + static_cast<u64>(colourStride) * h;
	if (colourEnd > data.size())
		return "an image's pixels run past its end";
	// 32-bit images carry their own alpha and may leave the mask out.
	const bool hasMask = colourEnd + static_cast<u64>(maskStride) * h <= data.size();
	if (!hasMask && bits != 32)
		return "an image's mask runs past its end";

	// The decoders read BMP files: the same header with the height of the colours alone, after
	// a file header.
	std::vector<u8> file;
	file.reserve(BITMAP_FILE_HEADER + static_cast<size_t>(colourEnd));
	file.push_back('B');
	file.push_back('M');
	appendLE32(file, static_cast<u32>(BITMAP_FILE_HEADER + colourEnd));
	appendLE32(file, 0);
	appendLE32(file, BITMAP_FILE_HEADER + BITMAP_INFO_HEADER + paletteBytes);
	appendLE32(file, BITMAP_INFO_HEADER);
	appendLE32(file, w);
	appendLE32(file, h);
	appendLE16(file, 1);
	appendLE16(file, bits);
	appendLE32(file, 0);
	appendLE32(file, colourStride * h);
	appendLE32(file, 0);
	appendLE32(file, 0);
	appendLE32(file, bits <= 8 ? colours : 0);
	appendLE32(file, 0);
	file.insert(file.end(), data.begin() + BITMAP_INFO_HEADER, data.begin() + static_cast<long>(colourEnd));

	core::dimension2d<u32> size;
	if (!decode(file, "icon.bmp", size, image.Pixels) || size.Width != w || size.Height != h)
		return "a bitmap image cannot be decoded";
	image.Size = core::dimension2d<s32>(width, static_cast<s32>(h));

	// Whether the image has alpha of its own is read from the file's bytes: the decoder makes a
	// 32-bit bitmap whose fourth bytes are all 0 opaque, which would hide the mask.
	bool anyAlpha = false;
	if (bits == 32)
	{
		const u8* pixels = &data[BITMAP_INFO_HEADER];
		for (u32 y = 0; y < h && !anyAlpha; ++y)
			for (u32 x = 0; x < w && !anyAlpha; ++x)
				anyAlpha = pixels[static_cast<size_t>(y) * colourStride + static_cast<size_t>(x) * 4 + 3] != 0;
	}
	for (u32 y = 0; y < h; ++y)
	{
		// The mask's rows run from the bottom up, as the colours' do.
		const u8* maskRow =
			hasMask ? &data[static_cast<size_t>(colourEnd) + static_cast<size_t>(h - 1 - y) * maskStride] : nullptr;
		for (u32 x = 0; x < w; ++x)
		{
			u32& pixel = image.Pixels[y * w + x];
			if (anyAlpha)
				continue;
			const bool transparent = maskRow && (maskRow[x / 8] & (0x80 >> (x % 8)));
			pixel = transparent ? 0u : (pixel | 0xFF000000u);
		}
	}
	return nullptr;
}

bool isLarger(const os::SIconImage& a, const os::SIconImage& b)
{
	return a.Size.Width * a.Size.Height > b.Size.Width * b.Size.Height;
}
} // namespace

void setImageFileDecoder(ImageFileDecoder decoder)
{
	s_decoder = decoder;
}

bool readIconFile(io::IReadFile* file, core::array<os::SIconImage>& images)
{
	images.clear();
	if (!file)
		return false;
	const c8* name = file->getFileName().c_str();
	auto refuse = [&](const c8* reason)
	{
		logFormat(LOG_WARNING, "The icon file %s cannot be used: %s.", name, reason);
		return false;
	};
	if (!s_decoder)
		return refuse("there is no image decoder");

	const long fileSize = file->getSize();
	u8 header[DIRECTORY_HEADER];
	file->seek(0);
	if (fileSize < static_cast<long>(DIRECTORY_HEADER) || file->read(header, DIRECTORY_HEADER) != DIRECTORY_HEADER)
		return refuse("it is too short");
	const u16 count = readLE16(&header[4]);
	if (readLE16(&header[0]) != 0 || readLE16(&header[2]) != 1)
		return refuse("it is not an icon file");
	if (count == 0 || count > MAX_ENTRIES)
		return refuse("it holds no images or too many");
	std::vector<u8> directory(static_cast<size_t>(count) * DIRECTORY_ENTRY);
	if (fileSize < static_cast<long>(DIRECTORY_HEADER + directory.size()) ||
		file->read(directory.data(), static_cast<u32>(directory.size())) != static_cast<s32>(directory.size()))
		return refuse("its directory runs past its end");

	std::vector<os::SIconImage> found;
	const c8* lastReason = nullptr;
	for (u32 i = 0; i < count; ++i)
	{
		const u8* entry = &directory[i * DIRECTORY_ENTRY];
		const u32 bytes = readLE32(&entry[8]);
		const u32 offset = readLE32(&entry[12]);
		if (bytes < 8 || bytes > MAX_ENTRY_BYTES || offset > static_cast<u64>(fileSize) ||
			static_cast<u64>(offset) + bytes > static_cast<u64>(fileSize))
		{
			lastReason = "an image runs past the end of the file";
			continue;
		}
		std::vector<u8> data(bytes);
		if (!file->seek(static_cast<long>(offset)) || file->read(data.data(), bytes) != static_cast<s32>(bytes))
		{
			lastReason = "an image cannot be read";
			continue;
		}
		os::SIconImage image;
		const bool png = std::memcmp(data.data(), PNG_SIGNATURE, sizeof(PNG_SIGNATURE)) == 0;
		const c8* reason = png ? readPngEntry(data, image) : readBitmapEntry(data, image);
		if (reason)
		{
			lastReason = reason;
			continue;
		}
		bool known = false;
		for (const os::SIconImage& other : found)
			known = known || other.Size == image.Size;
		if (!known)
			found.push_back(image);
	}
	if (found.empty())
		return refuse(lastReason ? lastReason : "it holds no images");
	std::stable_sort(found.begin(), found.end(), &isLarger);
	for (u32 i = 0; i < found.size() && i < MAX_ICON_IMAGES; ++i)
		images.push_back(found[i]);
	if (lastReason)
		logFormat(LOG_INFORMATION, "The icon file %s: some images were left out (%s).", name, lastReason);
	return true;
}
} // namespace fw
