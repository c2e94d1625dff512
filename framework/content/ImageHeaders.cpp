#include "content/ImageHeaders.h"

#include "content/CImage.h"
#include "content/ImageFileBytes.h"

#include <cstdint>
#include <vector>

namespace fw
{
namespace
{
using namespace imagebytes;

// The Windows header that the engine's loader reads; later versions only add to it.
const u32 BMP_INFO_HEADER_BYTES = 40;

bool readBmp(io::IReadFile* file, u32& width, u32& height)
{
	u8 header[26];
	if (!readAt(file, 0, header, sizeof(header)) || header[0] != 'B' || header[1] != 'M')
		return false;
	// An OS/2 header holds 16-bit sizes; the layout check refuses it, naming it, at its true size.
	if (readLE32(header + 14) < BMP_INFO_HEADER_BYTES)
	{
		width = readLE16(header + 18);
		height = readLE16(header + 20);
		return true;
	}
	const s32 signedWidth = static_cast<s32>(readLE32(header + 18));
	const s32 signedHeight = static_cast<s32>(readLE32(header + 22));
	// A negative height marks rows stored top-down (refused by the layout check); a negative width
	// means nothing.
	if (signedWidth < 0 || signedHeight == INT32_MIN)
		return false;
	width = static_cast<u32>(signedWidth);
	height = static_cast<u32>(signedHeight < 0 ? -signedHeight : signedHeight);
	return true;
}

// The engine's loader reads a whole 54-byte header, takes the data offset and size from it for its
// allocations, and converts width x height pixels from that data without checking its size: all
// of these must agree with the file. Only uncompressed pixel data passes, since the run-length
// decoders do not bound their output, and only the Windows header (or a later, longer one), whose
// fields are where the loader reads them.
const c8* checkBmpLayout(io::IReadFile* file, u32 width, u32 height)
{
	u8 header[54];
	if (!readAt(file, 0, header, 18))
		return "header cut short";
	const u64 infoSize = readLE32(header + 14);
	if (infoSize < BMP_INFO_HEADER_BYTES)
		return "an OS/2 bitmap header, which the decoder cannot read";
	if (!readAt(file, 0, header, sizeof(header)))
		return "header cut short";
	const u64 fileSize = static_cast<u64>(file->getSize());
	const u64 dataOffset = readLE32(header + 10);
	const u64 dataSize = readLE32(header + 34);
	if (dataOffset < sizeof(header) || dataOffset > fileSize || dataSize > fileSize - dataOffset)
		return "pixel data outside the file";
	const u64 paletteStart = 14 + infoSize;
	if (paletteStart > dataOffset)
		return "a header that runs into the pixel data";
	// The decoder takes the height as unsigned: a top-down picture would ask it for gigabytes.
	if (static_cast<s32>(readLE32(header + 22)) < 0)
		return "rows stored top-down";
	const u32 bitsPerPixel = readLE16(header + 28);
	const u32 compression = readLE32(header + 30);
	// Bit fields (and bit fields with alpha) give each channel's mask; the decoder takes every
	// 16-bit picture as 5-5-5 and every 32-bit one as blue, green, red and alpha.
	if (compression == 3 || compression == 6)
		return "colour masks (bit fields), which the decoder cannot read";
	if (compression != 0)
		return "compressed pixel data";
	if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 &&
		bitsPerPixel != 32)
		return "unknown pixel depth";
	const u64 widthInBytes = (static_cast<u64>(width) * bitsPerPixel + 7) / 8;
	const u64 rowBytes = (widthInBytes + 3) / 4 * 4;
	u64 needed = rowBytes * height;
	// The 16-bit converter steps over each row's padding in 2-byte units, so it reads twice the
	// padding of every row but the last.
	if (bitsPerPixel == 16 && height)
		needed = (height - 1) * (widthInBytes + 2 * (rowBytes - widthInBytes)) + widthInBytes;
	const u64 available = dataSize ? dataSize : fileSize - dataOffset;
	if (needed > available)
		return "less pixel data than the image needs";
	if (bitsPerPixel > 8)
		return nullptr;

	// The palette is whatever lies between the header and the pixel data, and the converters look
	// pixels up in it without checking its length. The engine's loader takes it to start after 54
	// bytes whatever the header's size, so it sees at least as many entries as there are.
	const u64 paletteEntries = (dataOffset - paletteStart) / 4;
	std::vector<u8> row(static_cast<size_t>(widthInBytes));
	u32 largestIndex = 0;
	for (u64 y = 0; y < height && !row.empty(); ++y)
	{
		if (!readAt(file, static_cast<long>(dataOffset + y * rowBytes), row.data(), static_cast<u32>(row.size())))
			return "less pixel data than the image needs";
		for (u64 x = 0; x < width; ++x)
		{
			const u32 index = readBmpIndex(row.data(), bitsPerPixel, static_cast<u32>(x));
			largestIndex = index > largestIndex ? index : largestIndex;
		}
	}
	if (largestIndex >= paletteEntries)
		return "a pixel indexes past the end of the palette";
	return nullptr;
}

// The start-of-frame markers, which carry the picture's size (not the table markers among them).
bool isJpegFrameHeader(u8 code)
{
	return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
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
		const bool frameHeader = isJpegFrameHeader(code);
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

// Reads a file byte after byte through a small buffer.
class CByteCursor
{
public:
	CByteCursor(io::IReadFile* file, u64 position) :
		m_file(file), m_size(static_cast<u64>(file->getSize())), m_position(position)
	{
	}

	bool next(u8& byte)
	{
		if (m_next == m_end)
		{
			if (m_position >= m_size)
				return false;
			const u64 left = m_size - m_position;
			const u32 chunk = static_cast<u32>(left < sizeof(m_buffer) ? left : sizeof(m_buffer));
			if (!readAt(m_file, static_cast<long>(m_position), m_buffer, chunk))
				return false;
			m_position += chunk;
			m_next = 0;
			m_end = chunk;
		}
		byte = m_buffer[m_next++];
		return true;
	}

	// Steps over count bytes; false when they pass the end of the file.
	bool skip(u64 count)
	{
		const u64 buffered = m_end - m_next;
		if (count <= buffered)
		{
			m_next += static_cast<u32>(count);
			return true;
		}
		count -= buffered;
		m_next = m_end = 0;
		if (count > m_size - m_position)
			return false;
		m_position += count;
		return true;
	}

private:
	io::IReadFile* m_file;
	u64 m_size;
	u64 m_position;
	u8 m_buffer[4096];
	u32 m_next = 0;
	u32 m_end = 0;
};

// The engine hands the JPEG library the whole file with a source that neither refills nor bounds
// its skips: a segment that passes the end of the file, or data that ends before the end-of-image
// marker, makes the library read past the engine's buffer. So the markers are walked as the
// library walks them (bytes between markers skipped, fill bytes, stuffed zeros and restart
// markers inside the coded data) and the file must hold every segment and the end marker.
const c8* checkJpegLayout(io::IReadFile* file)
{
	CByteCursor cursor(file, 2);
	u8 code = 0;
	bool pending = false;
	for (;;)
	{
		u8 byte = 0;
		if (!pending)
		{
			do
			{
				if (!cursor.next(byte))
					return "data cut short before the end of the image";
			} while (byte != 0xFF);
			do
			{
				if (!cursor.next(byte))
					return "data cut short before the end of the image";
			} while (byte == 0xFF);
			if (byte == 0)
				continue;
			code = byte;
		}
		pending = false;
		if (code == 0xD9)
			return nullptr;
		if (code == 0x01 || (code >= 0xD0 && code <= 0xD8))
			continue;
		u8 high = 0;
		u8 low = 0;
		if (!cursor.next(high) || !cursor.next(low))
			return "data cut short before the end of the image";
		const u32 length = (static_cast<u32>(high) << 8) | low;
		if (length < 2)
			return "a segment shorter than its own length field";
		u32 read = 0;
		const bool frameHeader = isJpegFrameHeader(code);
		if (frameHeader)
		{
			// Precision, height, width, component count.
			u8 frame[6];
			for (u8& value : frame)
			{
				if (read + 2 >= length || !cursor.next(value))
					return "frame header cut short";
				++read;
			}
			// The engine's decoder gives no image for four channels (CMYK, YCCK), and says nothing.
			if (frame[5] == 4)
				return "four colour channels (CMYK), which the decoder cannot read";
			// It keeps a row's byte count in 16 bits, 3 bytes a pixel. The size limit keeps the
			// first frame within that; this holds for any frame after it.
			const u32 width = (static_cast<u32>(frame[3]) << 8) | frame[4];
			if (width * 3u > 0xFFFFu)
				return "rows too wide for the decoder";
		}
		if (!cursor.skip(length - 2 - read))
			return "a segment passes the end of the file";
		if (code != 0xDA)
			continue;
		// Coded data runs to the next marker other than a restart marker.
		for (;;)
		{
			if (!cursor.next(byte))
				return "data cut short before the end of the image";
			if (byte != 0xFF)
				continue;
			do
			{
				if (!cursor.next(byte))
					return "data cut short before the end of the image";
			} while (byte == 0xFF);
			if (byte != 0 && (byte < 0xD0 || byte > 0xD7))
				break;
		}
		code = byte;
		pending = true;
	}
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

// The engine's loader reads the whole 128-byte header (a short file leaves fields unset), sizes its
// buffer from the bytes per line, and decodes run-length packets without checking them against
// that buffer: the header must be whole and consistent and every packet must fit.
const c8* checkPcxLayout(io::IReadFile* file, u32 width, u32 height)
{
	u8 header[128];
	if (!readAt(file, 0, header, sizeof(header)))
		return "header cut short";
	const u32 bitsPerPixel = header[3];
	const u32 planes = header[65];
	const u64 bytesPerLine = readLE16(header + 66);
	// The decoder sizes its buffer at bytes per line x planes x depth / 8 a line, which holds 8-bit
	// lines but only a fraction of 1- and 4-bit ones, which it then reads whole: only 8-bit
	// pictures, paletted or in three planes, pass.
	if (bitsPerPixel != 8)
		return "pixel depth other than 8 bits";
	if (planes != 1 && planes != 3)
		return "unknown plane count";
	if (bytesPerLine * 8 < static_cast<u64>(width) * bitsPerPixel)
		return "lines shorter than the image is wide";
	// The loader multiplies these in signed 32 bits before dividing by 8: a product past that range
	// asks it for a negative, that is enormous, buffer.
	const u64 imageBits = bytesPerLine * planes * bitsPerPixel * height;
	if (imageBits > 0x7FFFFFFFu || imageBits / 8 > MAX_IMAGE_BYTES)
		return "the declared line length makes the image data too large";
	const u64 imageBytes = imageBits / 8;
	const u64 fileSize = static_cast<u64>(file->getSize());
	// A paletted picture keeps its 256 colours in the file's last 768 bytes, after the header.
	if (planes == 1 && fileSize < sizeof(header) + 768)
		return "palette missing";
	// At the end of the file the decoder goes on with the last packet it read, for ever or past
	// its buffer: the data must be whole.
	u64 position = sizeof(header);
	u64 written = 0;
	while (written < imageBytes)
	{
		u8 packet = 0;
		if (position >= fileSize || !readAt(file, static_cast<long>(position), &packet, 1))
			return "pixel data cut short";
		const bool run = (packet & 0xC0) == 0xC0;
		const u64 count = run ? (packet & 0x3Fu) : 1u;
		if (written + count > imageBytes)
			return "a run-length packet passes the end of the image";
		if (run && position + 2 > fileSize)
			return "pixel data cut short";
		written += count;
		position += run ? 2 : 1;
	}
	return nullptr;
}

// The engine's loader multiplies the sizes by any pixel depth in signed 32 bits, decodes
// run-length packets without checking them against the image, goes on reading where a seek past
// the end of the file failed, leaves the pixels a short file lacks unset, and looks 8-bit pixels
// up in the colour map without checking the map's length. So only the depths and kinds it draws
// pass, the identification field, colour map and pixel data must all be in the file, every packet
// must fit, and every colour-map index must be inside the map.
const c8* checkTgaLayout(io::IReadFile* file, u32 width, u32 height)
{
	u8 header[18];
	if (!readAt(file, 0, header, sizeof(header)))
		return "header cut short";
	const u32 idLength = header[0];
	const bool hasColorMap = header[1] != 0;
	const u32 imageType = header[2];
	const u32 colorMapLength = readLE16(header + 5);
	const u32 colorMapEntryBits = header[7];
	const u32 depth = header[16];
	if (depth != 8 && depth != 16 && depth != 24 && depth != 32)
		return "unknown pixel depth";
	if (imageType == 9 || imageType == 11)
		return "run-length coded colour-mapped or grey pixels, which the decoder cannot read";
	if (imageType != 1 && imageType != 2 && imageType != 3 && imageType != 10)
		return "unknown image type";
	const bool indexed = depth == 8 && imageType != 3;
	if (indexed && (!hasColorMap || (colorMapEntryBits != 16 && colorMapEntryBits != 24 && colorMapEntryBits != 32)))
		return "8-bit colour pixels without a colour map the decoder reads";

	const u64 fileSize = static_cast<u64>(file->getSize());
	u64 position = sizeof(header) + idLength;
	if (position > fileSize)
		return "identification field passes the end of the file";
	if (hasColorMap)
		position += static_cast<u64>(colorMapLength) * (colorMapEntryBits / 8);
	if (position > fileSize)
		return "colour map passes the end of the file";

	const u64 bytesPerPixel = depth / 8;
	const u64 imageSize = static_cast<u64>(width) * height * bytesPerPixel;
	u32 largestIndex = 0;
	const auto noteIndices = [&](u64 from, u64 count) -> bool
	{
		u8 buffer[512];
		while (count > 0)
		{
			const u32 chunk = static_cast<u32>(count < sizeof(buffer) ? count : sizeof(buffer));
			if (!readAt(file, static_cast<long>(from), buffer, chunk))
				return false;
			for (u32 i = 0; i < chunk; ++i)
				largestIndex = buffer[i] > largestIndex ? buffer[i] : largestIndex;
			from += chunk;
			count -= chunk;
		}
		return true;
	};

	if (imageType != 10)
	{
		if (position + imageSize > fileSize)
			return "pixel data cut short";
		if (indexed && !noteIndices(position, imageSize))
			return "pixel data cut short";
	}
	else
	{
		u64 written = 0;
		while (written < imageSize)
		{
			u8 packet = 0;
			if (position >= fileSize || !readAt(file, static_cast<long>(position), &packet, 1))
				return "pixel data cut short";
			const bool raw = packet < 128;
			const u64 pixels = raw ? packet + 1u : packet - 127u;
			if (written + pixels * bytesPerPixel > imageSize)
				return "a run-length packet passes the end of the image";
			const u64 stored = raw ? pixels * bytesPerPixel : bytesPerPixel;
			if (position + 1 + stored > fileSize)
				return "pixel data cut short";
			if (indexed && !noteIndices(position + 1, stored))
				return "pixel data cut short";
			written += pixels * bytesPerPixel;
			position += 1 + stored;
		}
	}
	if (indexed && largestIndex >= colorMapLength)
		return "a pixel indexes past the end of the colour map";
	return nullptr;
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

// The engine's loader reads width x height palette indices at the first mip-map's offset, and
// leaves unset whatever the file does not hold: those bytes must all be in the file.
const c8* checkWalLayout(io::IReadFile* file, u32 width, u32 height)
{
	u8 header[100];
	if (!readAt(file, 0, header, sizeof(header)))
		return "header cut short";
	const u64 offset = readLE32(header + 40);
	if (offset + static_cast<u64>(width) * height > static_cast<u64>(file->getSize()))
		return "pixel data outside the file";
	return nullptr;
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

// For a bitmap, text ("P1") or binary ("P4"), the engine's loader allocates one byte whatever the
// picture's size and then fills and converts every row through it: bitmaps are refused. The grey
// and colour kinds are read safely, one byte a sample; samples of two bytes it refuses unsaid.
const c8* checkPpmLayout(io::IReadFile* file)
{
	SPpmHeader header;
	if (!readPpmHeader(file, header))
		return "header cut short";
	if (header.kind == '1' || header.kind == '4')
		return "a bitmap, which the decoder cannot read";
	if (header.maxValue > 255)
		return "16-bit samples, which the decoder cannot read";
	if (header.maxValue == 0)
		return "a largest sample value of 0";
	return nullptr;
}

bool readPpm(io::IReadFile* file, u32& width, u32& height)
{
	SPpmHeader header;
	if (!readPpmHeader(file, header))
		return false;
	width = header.width;
	height = header.height;
	return true;
}
} // namespace

const c8* checkImageFileLayout(EImageFileFormat format, io::IReadFile* file, u32 width, u32 height)
{
	if (!file)
		return "no file";
	switch (format)
	{
	case IMAGE_FILE_BMP:
		return checkBmpLayout(file, width, height);
	case IMAGE_FILE_JPEG:
		return checkJpegLayout(file);
	case IMAGE_FILE_TGA:
		return checkTgaLayout(file, width, height);
	case IMAGE_FILE_PCX:
		return checkPcxLayout(file, width, height);
	case IMAGE_FILE_WAL:
		return checkWalLayout(file, width, height);
	case IMAGE_FILE_PPM:
		return checkPpmLayout(file);
	default:
		return nullptr;
	}
}

bool canTestImageFileFormat(EImageFileFormat format, io::IReadFile* file)
{
	// The TGA test reads the 26-byte footer at the end of the file.
	const long tgaFooterBytes = 26;
	u32 width = 0;
	u32 height = 0;
	return file && readImageFileSize(format, file, width, height) &&
		(format != IMAGE_FILE_TGA || file->getSize() >= tgaFooterBytes);
}

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
bool readPpmHeader(io::IReadFile* file, SPpmHeader& header)
{
	u8 text[4096];
	if (!file || !file->seek(0))
		return false;
	const s32 size = file->read(text, sizeof(text));
	if (size < 2 || text[0] != 'P' || text[1] < '1' || text[1] > '6')
		return false;
	header.kind = static_cast<c8>(text[1]);
	u32 position = 2;
	if (!readPpmNumber(text, static_cast<u32>(size), position, header.width) ||
		!readPpmNumber(text, static_cast<u32>(size), position, header.height))
		return false;
	if (header.kind == '1' || header.kind == '4')
	{
		header.maxValue = 1;
		return true;
	}
	return readPpmNumber(text, static_cast<u32>(size), position, header.maxValue);
}
} // namespace fw
