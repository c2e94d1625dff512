#include "content/ImageCorrections.h"

#include "content/CImage.h"
#include "content/ImageFileBytes.h"

#include <cstring>
#include <utility>
#include <vector>

namespace fw
{
namespace
{
using namespace imagebytes;

const c8* const UNEXPECTED_DECODING = "the decoder made an image that disagrees with the file's header";

u32 readPixel32(const u8* data, u32 index)
{
	u32 pixel;
	std::memcpy(&pixel, data + 4 * static_cast<size_t>(index), 4);
	return pixel;
}

void writePixel32(u8* data, u32 index, u32 pixel)
{
	std::memcpy(data + 4 * static_cast<size_t>(index), &pixel, 4);
}

u32 pixelCount(const CImage& image)
{
	return static_cast<u32>(image.getWidth()) * static_cast<u32>(image.getHeight());
}

// An A8R8G8B8 image of the given palette colours, one index a pixel, top row first.
const c8* imageFromIndices(CRefHolder<CImage>& image, u32 width, u32 height, const std::vector<u8>& indices,
	const std::vector<video::SColor>& palette)
{
	if (image->getDimension() != core::dimension2du(width, height) ||
		indices.size() != static_cast<size_t>(width) * height)
		return UNEXPECTED_DECODING;
	CRefHolder<CImage> rebuilt =
		adoptRef(new CImage(image->getContentReference(), video::ECF_A8R8G8B8, core::dimension2du(width, height)));
	if (rebuilt->isEmpty())
		return "no memory for the image";
	u8* data = static_cast<u8*>(rebuilt->getData());
	for (size_t i = 0; i < indices.size(); ++i)
	{
		if (indices[i] >= palette.size())
			return "a pixel indexes past the end of the palette";
		writePixel32(data, static_cast<u32>(i), palette[indices[i]].color);
	}
	image = std::move(rebuilt);
	return nullptr;
}

// A 32-bit image whose alpha is clear everywhere comes from a file that stores no alpha in its
// fourth bytes: it is opaque. Any alpha that is set is kept as the file's own.
void makeOpaqueWhenNoAlphaIsSet(CImage& image)
{
	if (image.getColorFormat() != video::ECF_A8R8G8B8)
		return;
	u8* data = static_cast<u8*>(image.getData());
	const u32 count = pixelCount(image);
	for (u32 i = 0; i < count; ++i)
		if (readPixel32(data, i) >> 24)
			return;
	for (u32 i = 0; i < count; ++i)
		writePixel32(data, i, readPixel32(data, i) | 0xFF000000u);
}

// Sets the alpha bit of every pixel of a 16-bit row (A1R5G5B5, little-endian like the files).
void makeRowOpaque16(u8* row, u32 bytes)
{
	for (u32 x = 1; x < bytes; x += 2)
		row[x] |= 0x80;
}

u32 scaleSample(u32 value, u32 maxValue)
{
	if (value > maxValue)
		value = maxValue;
	return (value * 255 + maxValue / 2) / maxValue;
}

// The decoder puts a colour file's first sample in blue and its third in red, and takes every
// sample as if 255 were the largest.
const c8* correctPpm(io::IReadFile* file, CRefHolder<CImage>& image)
{
	SPpmHeader header;
	if (!readPpmHeader(file, header))
		return "header cut short";
	const bool colour = header.kind == '3' || header.kind == '6';
	const bool scaled = header.maxValue != 255;
	if ((!colour && !scaled) || header.kind == '1' || header.kind == '4')
		return nullptr;
	if (image->getColorFormat() != video::ECF_A8R8G8B8 || header.maxValue == 0)
		return UNEXPECTED_DECODING;
	u8* data = static_cast<u8*>(image->getData());
	const u32 count = pixelCount(*image);
	for (u32 i = 0; i < count; ++i)
	{
		const u32 pixel = readPixel32(data, i);
		u32 red = (pixel >> 16) & 0xFF;
		u32 green = (pixel >> 8) & 0xFF;
		u32 blue = pixel & 0xFF;
		if (colour)
			std::swap(red, blue);
		if (scaled)
		{
			red = scaleSample(red, header.maxValue);
			green = scaleSample(green, header.maxValue);
			blue = scaleSample(blue, header.maxValue);
		}
		writePixel32(data, i, (pixel & 0xFF000000u) | (red << 16) | (green << 8) | blue);
	}
	return nullptr;
}

// The decoder steps over a 16-bit row's padding twice, so that every row after the first starts
// late, and takes the unused top bit for alpha: the rows are copied again from the file, opaque.
const c8* correctBmp16(io::IReadFile* file, CImage& image, u64 dataOffset, u64 rowBytes)
{
	if (image.getColorFormat() != video::ECF_A1R5G5B5)
		return UNEXPECTED_DECODING;
	const u32 pitch = image.getPitch();
	const u32 height = static_cast<u32>(image.getHeight());
	u8* data = static_cast<u8*>(image.getData());
	for (u32 y = 0; y < height; ++y)
	{
		u8* row = data + static_cast<size_t>(y) * pitch;
		// Rows are stored bottom-up.
		if (!readAt(file, static_cast<long>(dataOffset + static_cast<u64>(height - 1 - y) * rowBytes), row, pitch))
			return "less pixel data than the image needs";
		makeRowOpaque16(row, pitch);
	}
	return nullptr;
}

// The decoder draws 1-bit pixels black and white whatever the palette says, reads 4- and 8-bit
// palettes 54 bytes into the file whatever the header's length, and keeps them in 5 bits a channel;
// so paletted pictures are made again from their indices. A 32-bit picture without masks stores
// no alpha, though some writers put one in the unused byte: one that is clear everywhere must not
// make the picture transparent.
const c8* correctBmp(io::IReadFile* file, CRefHolder<CImage>& image)
{
	u8 header[54];
	if (!readAt(file, 0, header, sizeof(header)))
		return "header cut short";
	const u32 bitsPerPixel = readLE16(header + 28);
	const u64 dataOffset = readLE32(header + 10);
	const u64 paletteStart = 14 + static_cast<u64>(readLE32(header + 14));
	const u32 width = readLE32(header + 18);
	const u32 height = readLE32(header + 22);
	if (paletteStart > dataOffset || image->getDimension() != core::dimension2du(width, height))
		return UNEXPECTED_DECODING;
	const u64 widthInBytes = (static_cast<u64>(width) * bitsPerPixel + 7) / 8;
	const u64 rowBytes = (widthInBytes + 3) / 4 * 4;
	if (bitsPerPixel == 16)
		return correctBmp16(file, *image, dataOffset, rowBytes);
	if (bitsPerPixel > 8)
	{
		makeOpaqueWhenNoAlphaIsSet(*image);
		return nullptr;
	}

	u64 entries = (dataOffset - paletteStart) / 4;
	entries = entries > 256 ? 256 : entries;
	std::vector<u8> paletteBytes(static_cast<size_t>(entries * 4));
	if (entries && !readAt(file, static_cast<long>(paletteStart), paletteBytes.data(), static_cast<u32>(entries * 4)))
		return "palette cut short";
	std::vector<video::SColor> palette;
	for (u64 i = 0; i < entries; ++i)
	{
		const u8* entry = &paletteBytes[static_cast<size_t>(i * 4)];
		palette.push_back(video::SColor(0xFF, entry[2], entry[1], entry[0]));
	}

	std::vector<u8> row(static_cast<size_t>(widthInBytes));
	std::vector<u8> indices(static_cast<size_t>(width) * height);
	for (u32 y = 0; y < height; ++y)
	{
		// Rows are stored bottom-up.
		const u64 position = dataOffset + static_cast<u64>(height - 1 - y) * rowBytes;
		if (!row.empty() && !readAt(file, static_cast<long>(position), row.data(), static_cast<u32>(row.size())))
			return "less pixel data than the image needs";
		for (u32 x = 0; x < width; ++x)
			indices[static_cast<size_t>(y) * width + x] = static_cast<u8>(readBmpIndex(row.data(), bitsPerPixel, x));
	}
	return imageFromIndices(image, width, height, indices, palette);
}

// Reads count one-byte pixels of a TGA picture, raw or in run-length packets, from the position.
bool readTgaIndices(io::IReadFile* file, u64 position, bool runLength, std::vector<u8>& indices)
{
	if (!runLength)
		return indices.empty() ||
			readAt(file, static_cast<long>(position), indices.data(), static_cast<u32>(indices.size()));
	size_t written = 0;
	while (written < indices.size())
	{
		u8 packet = 0;
		if (!readAt(file, static_cast<long>(position), &packet, 1))
			return false;
		++position;
		const size_t count = (packet & 0x7Fu) + 1u;
		if (written + count > indices.size())
			return false;
		if (packet & 0x80)
		{
			u8 value = 0;
			if (!readAt(file, static_cast<long>(position), &value, 1))
				return false;
			++position;
			std::memset(&indices[written], value, count);
		}
		else
		{
			if (!readAt(file, static_cast<long>(position), &indices[written], static_cast<u32>(count)))
				return false;
			position += count;
		}
		written += count;
	}
	return true;
}

void flipRows(CImage& image)
{
	const u32 pitch = image.getPitch();
	u8* data = static_cast<u8*>(image.getData());
	std::vector<u8> row(pitch);
	for (u32 top = 0, bottom = static_cast<u32>(image.getHeight()) - 1; top < bottom; ++top, --bottom)
	{
		std::memcpy(row.data(), data + static_cast<size_t>(top) * pitch, pitch);
		std::memcpy(data + static_cast<size_t>(top) * pitch, data + static_cast<size_t>(bottom) * pitch, pitch);
		std::memcpy(data + static_cast<size_t>(bottom) * pitch, row.data(), pitch);
	}
}

// The decoder keeps colour maps in 5 bits a channel, so colour-mapped pictures are made again from
// their indices, in the file's row order (bottom-up unless the descriptor says otherwise); and it
// takes 16-bit pixels' attribute bit for alpha even when the descriptor gives them none. (32-bit
// pixels keep their fourth byte as alpha whatever the descriptor says, as other readers do.)
const c8* correctTga(io::IReadFile* file, CRefHolder<CImage>& image)
{
	u8 header[18];
	if (!readAt(file, 0, header, sizeof(header)))
		return "header cut short";
	const u32 idLength = header[0];
	const u32 imageType = header[2];
	const u32 firstEntry = readLE16(header + 3);
	const u32 mapLength = readLE16(header + 5);
	const u32 entryBits = header[7];
	const u32 width = readLE16(header + 12);
	const u32 height = readLE16(header + 14);
	const u32 depth = header[16];
	const u32 descriptor = header[17];
	const bool alphaBits = (descriptor & 0x0F) != 0;

	if (depth == 8 && imageType != 3)
	{
		const u32 entryBytes = entryBits / 8;
		std::vector<u8> map(static_cast<size_t>(mapLength) * entryBytes);
		const u64 mapStart = sizeof(header) + static_cast<u64>(idLength);
		if (!map.empty() && !readAt(file, static_cast<long>(mapStart), map.data(), static_cast<u32>(map.size())))
			return "colour map cut short";
		// Indices count from the map's first entry; the ones below it have no colour.
		std::vector<video::SColor> palette(firstEntry > 255 ? 256 : firstEntry, video::SColor(0));
		for (u32 i = 0; i < mapLength && palette.size() < 256; ++i)
		{
			const u8* entry = &map[static_cast<size_t>(i) * entryBytes];
			if (entryBytes == 2)
			{
				const u32 value = readLE16(entry);
				const auto widen = [](u32 bits) { return (bits << 3) | (bits >> 2); };
				palette.push_back(video::SColor(!alphaBits || (value & 0x8000) ? 0xFF : 0, widen((value >> 10) & 31),
					widen((value >> 5) & 31), widen(value & 31)));
			}
			else if (entryBytes == 3)
				palette.push_back(video::SColor(0xFF, entry[2], entry[1], entry[0]));
			else if (entryBytes == 4)
				palette.push_back(video::SColor(entry[3], entry[2], entry[1], entry[0]));
			else
				return "a colour map whose entries the decoder cannot read";
		}
		std::vector<u8> indices(static_cast<size_t>(width) * height);
		if (!readTgaIndices(file, mapStart + map.size(), imageType == 10, indices))
			return "pixel data cut short";
		for (const u8 index : indices)
			if (index < firstEntry)
				return "a pixel indexes before the start of the colour map";
		if (const c8* problem = imageFromIndices(image, width, height, indices, palette))
			return problem;
		if (!(descriptor & 0x20))
			flipRows(*image);
	}
	else if (depth == 16 && !alphaBits && image->getColorFormat() == video::ECF_A1R5G5B5)
		makeRowOpaque16(static_cast<u8*>(image->getData()), image->getPitch() * static_cast<u32>(image->getHeight()));

	return nullptr;
}

// The decoder keeps a 256-colour palette in 5 bits a channel: such pictures are made again from
// their run-length coded indices and the palette at the end of the file. Three-plane pictures are
// read right.
const c8* correctPcx(io::IReadFile* file, CRefHolder<CImage>& image)
{
	u8 header[128];
	if (!readAt(file, 0, header, sizeof(header)))
		return "header cut short";
	if (header[3] != 8 || header[65] != 1)
		return nullptr;
	const u32 width = readLE16(header + 8) - readLE16(header + 4) + 1;
	const u32 height = readLE16(header + 10) - readLE16(header + 6) + 1;
	const u64 bytesPerLine = readLE16(header + 66);
	const long fileSize = file->getSize();
	u8 paletteBytes[768];
	if (fileSize < static_cast<long>(sizeof(header) + sizeof(paletteBytes)) ||
		!readAt(file, fileSize - static_cast<long>(sizeof(paletteBytes)), paletteBytes, sizeof(paletteBytes)))
		return "palette missing";
	std::vector<video::SColor> palette;
	for (u32 i = 0; i < 256; ++i)
		palette.push_back(video::SColor(0xFF, paletteBytes[3 * i], paletteBytes[3 * i + 1], paletteBytes[3 * i + 2]));
	if (bytesPerLine < width)
		return UNEXPECTED_DECODING;

	// Lines are coded one after another, each bytesPerLine long; a run may cross from one to the
	// next. The layout check made sure the packets fit.
	std::vector<u8> lines(static_cast<size_t>(bytesPerLine * height));
	long position = sizeof(header);
	size_t written = 0;
	u8 buffer[4096];
	long bufferStart = 0;
	long bufferEnd = 0;
	const auto next = [&](u8& byte)
	{
		if (position >= bufferEnd)
		{
			const long left = fileSize - position;
			const u32 chunk = static_cast<u32>(left < static_cast<long>(sizeof(buffer)) ? left : sizeof(buffer));
			if (!chunk || !readAt(file, position, buffer, chunk))
				return false;
			bufferStart = position;
			bufferEnd = position + chunk;
		}
		byte = buffer[position++ - bufferStart];
		return true;
	};
	while (written < lines.size())
	{
		u8 packet = 0;
		if (!next(packet))
			return "pixel data cut short";
		size_t count = 1;
		u8 value = packet;
		if ((packet & 0xC0) == 0xC0)
		{
			count = packet & 0x3Fu;
			if (!next(value))
				return "pixel data cut short";
		}
		if (written + count > lines.size())
			return "a run-length packet passes the end of the image";
		std::memset(&lines[written], value, count);
		written += count;
	}
	std::vector<u8> indices(static_cast<size_t>(width) * height);
	for (u32 y = 0; y < height; ++y)
		std::memcpy(&indices[static_cast<size_t>(y) * width], &lines[static_cast<size_t>(y * bytesPerLine)], width);
	return imageFromIndices(image, width, height, indices, palette);
}
} // namespace

const c8* correctDecodedImage(EImageFileFormat format, io::IReadFile* file, CRefHolder<CImage>& image)
{
	if (!file || !image || image->isEmpty())
		return UNEXPECTED_DECODING;
	switch (format)
	{
	case IMAGE_FILE_PPM:
		return correctPpm(file, image);
	case IMAGE_FILE_BMP:
		return correctBmp(file, image);
	case IMAGE_FILE_TGA:
		return correctTga(file, image);
	case IMAGE_FILE_PCX:
		return correctPcx(file, image);
	default:
		return nullptr;
	}
}
} // namespace fw
