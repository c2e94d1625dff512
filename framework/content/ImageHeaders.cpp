#include "content/ImageHeaders.h"

#include <cstdint>

namespace fw
{
namespace
{
u32 readLE16(const u8* p)
{
	return static_cast<u32>(p[0]) | (static_cast<u32>(p[1]) << 8);
}

u32 readLE32(const u8* p)
{
	return readLE16(p) | (readLE16(p + 2) << 16);
}

u32 readBE16(const u8* p)
{
	return (static_cast<u32>(p[0]) << 8) | static_cast<u32>(p[1]);
}

u32 readBE32(const u8* p)
{
	return (readBE16(p) << 16) | readBE16(p + 2);
}

bool readAt(io::IReadFile* file, long position, void* buffer, u32 size)
{
	return file->seek(position) && file->read(buffer, size) == static_cast<s32>(size);
}

bool readBmp(io::IReadFile* file, u32& width, u32& height)
{
	u8 header[26];
	if (!readAt(file, 0, header, sizeof(header)) || header[0] != 'B' || header[1] != 'M')
		return false;
	if (readLE32(header + 14) == 12)
	{
		// The old core header: 16-bit sizes.
		width = readLE16(header + 18);
		height = readLE16(header + 20);
		return true;
	}
	const s32 signedWidth = static_cast<s32>(readLE32(header + 18));
	const s32 signedHeight = static_cast<s32>(readLE32(header + 22));
	// A negative height marks rows stored top-down; a negative width means nothing.
	if (signedWidth < 0 || signedHeight == INT32_MIN)
		return false;
	width = static_cast<u32>(signedWidth);
	height = static_cast<u32>(signedHeight < 0 ? -signedHeight : signedHeight);
	return true;
}

bool readJpeg(io::IReadFile* file, u32& width, u32& height)
{
	u8 start[2];
	if (!readAt(file, 0, start, 2) || start[0] != 0xFF || start[1] != 0xD8)
		return false;
	long position = 2;
	const long size = file->getSize();
	while (position + 4 <= size)
	{
		u8 marker[2];
		if (!readAt(file, position, marker, 2))
			return false;
		if (marker[0] != 0xFF)
			return false;
		// Fill bytes before a marker.
		if (marker[1] == 0xFF)
		{
			++position;
			continue;
		}
		position += 2;
		const u8 code = marker[1];
		if (code == 0x01 || (code >= 0xD0 && code <= 0xD7))
			continue;
		// The image data or its end before any frame header.
		if (code == 0xD9 || code == 0xDA)
			return false;
		u8 lengthBytes[2];
		if (!readAt(file, position, lengthBytes, 2))
			return false;
		const u32 length = readBE16(lengthBytes);
		if (length < 2)
			return false;
		const bool frameHeader = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
		if (frameHeader)
		{
			u8 frame[7];
			if (length < 2 + 5 || !readAt(file, position, frame, sizeof(frame)))
				return false;
			height = readBE16(frame + 3);
			width = readBE16(frame + 5);
			return true;
		}
		position += static_cast<long>(length);
	}
	return false;
}

bool readTga(io::IReadFile* file, u32& width, u32& height)
{
	u8 header[18];
	if (!readAt(file, 0, header, sizeof(header)))
		return false;
	width = readLE16(header + 12);
	height = readLE16(header + 14);
	return true;
}

bool readPcx(io::IReadFile* file, u32& width, u32& height)
{
	u8 header[12];
	if (!readAt(file, 0, header, sizeof(header)) || header[0] != 0x0A)
		return false;
	const u32 xMin = readLE16(header + 4);
	const u32 yMin = readLE16(header + 6);
	const u32 xMax = readLE16(header + 8);
	const u32 yMax = readLE16(header + 10);
	if (xMax < xMin || yMax < yMin)
		return false;
	width = xMax - xMin + 1;
	height = yMax - yMin + 1;
	return true;
}

bool readPng(io::IReadFile* file, u32& width, u32& height)
{
	static const u8 signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
	u8 header[24];
	if (!readAt(file, 0, header, sizeof(header)))
		return false;
	for (u32 i = 0; i < 8; ++i)
		if (header[i] != signature[i])
			return false;
	if (header[12] != 'I' || header[13] != 'H' || header[14] != 'D' || header[15] != 'R')
		return false;
	width = readBE32(header + 16);
	height = readBE32(header + 20);
	return true;
}

bool readWal(io::IReadFile* file, u32& width, u32& height)
{
	// Name (32 bytes), width, height, four mip-map offsets, next name, three flag words.
	u8 header[100];
	if (!readAt(file, 0, header, sizeof(header)))
		return false;
	width = readLE32(header + 32);
	height = readLE32(header + 36);
	return true;
}

// The next decimal number of a text header, skipping white space and '#' comments.
bool readPpmNumber(const u8* text, u32 size, u32& position, u32& value)
{
	while (position < size)
	{
		const u8 c = text[position];
		if (c == '#')
		{
			while (position < size && text[position] != '\n' && text[position] != '\r')
				++position;
		}
		else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f')
			++position;
		else
			break;
	}
	u64 number = 0;
	u32 digits = 0;
	while (position < size && text[position] >= '0' && text[position] <= '9')
	{
		number = number * 10 + (text[position] - '0');
		// Anything this long is far beyond every limit; stop before the number overflows.
		if (++digits > 10)
			return false;
		++position;
	}
	if (!digits || number > 0xFFFFFFFFull)
		return false;
	value = static_cast<u32>(number);
	return true;
}

bool readPpm(io::IReadFile* file, u32& width, u32& height)
{
	u8 text[4096];
	if (!file->seek(0))
		return false;
	const s32 size = file->read(text, sizeof(text));
	if (size < 2 || text[0] != 'P' || text[1] < '1' || text[1] > '6')
		return false;
	u32 position = 2;
	return readPpmNumber(text, static_cast<u32>(size), position, width) &&
		readPpmNumber(text, static_cast<u32>(size), position, height);
}
} // namespace

bool readImageFileSize(EImageFileFormat format, io::IReadFile* file, u32& width, u32& height)
{
	if (!file)
		return false;
	switch (format)
	{
	case IMAGE_FILE_BMP:
		return readBmp(file, width, height);
	case IMAGE_FILE_JPEG:
		return readJpeg(file, width, height);
	case IMAGE_FILE_TGA:
		return readTga(file, width, height);
	case IMAGE_FILE_PCX:
		return readPcx(file, width, height);
	case IMAGE_FILE_PNG:
		return readPng(file, width, height);
	case IMAGE_FILE_WAL:
		return readWal(file, width, height);
	case IMAGE_FILE_PPM:
		return readPpm(file, width, height);
	}
	return false;
}
} // namespace fw
