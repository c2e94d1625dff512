// Feeds arbitrary bytes to the image manager as a file of each known extension. The first byte
// picks the extension, so that both the by-extension and the by-content paths are reached.
// Whatever decodes is written by each lossless writer (PNG, BMP, TGA) and read back: the pixels
// must come back (exactly for 8-bit channels, to the precision of 5 or 6 bits for 16-bit
// formats, whose writers widen the channels their own way; BMP keeps no alpha), and a second pass
// must change nothing.
#include "content/CImage.h"
#include "content/CImageManager.h"
#include "core/CRefHolder.h"
#include "core/ContentReference.h"
#include "platform/CMemoryFile.h"
#include "platform/CVirtualFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace fw;

namespace
{
// Written by the writer of the name's extension and read back; null when either step fails.
CRefHolder<CImage> writtenAndRead(CImage* image, const char* name)
{
	const CRefHolder<CVirtualFile> file = adoptRef(new CVirtualFile(name, 4096));
	if (!CImageManager::Instance().writeImageToFile(image, file.get(), nullptr))
		return CRefHolder<CImage>();
	std::vector<u8> bytes(static_cast<size_t>(file->getSize()));
	file->seek(0);
	if (!bytes.empty() && file->read(bytes.data(), static_cast<u32>(bytes.size())) != static_cast<s32>(bytes.size()))
		__builtin_trap();
	const CRefHolder<CMemoryFile> written =
		adoptRef(new CMemoryFile(bytes.data(), static_cast<long>(bytes.size()), name, false));
	return adoptRef(
		CImageManager::Instance().createImageFromFile(written.get(), nullptr, ContentReference(nullptr, name)));
}

bool is16Bit(video::ECOLOR_FORMAT format)
{
	return format == video::ECF_R5G6B5 || format == video::ECF_A1R5G5B5;
}

// Every pixel equal, or within the tolerance per channel; alpha only when asked.
bool samePixels(const CImage* a, const CImage* b, u32 tolerance, bool alpha)
{
	if (a->getDimension() != b->getDimension())
		return false;
	for (u32 y = 0; y < a->getDimension().Height; ++y)
		for (u32 x = 0; x < a->getDimension().Width; ++x)
		{
			const video::SColor p = a->getPixel(x, y);
			const video::SColor q = b->getPixel(x, y);
			if ((alpha &&
					static_cast<u32>(std::abs(static_cast<s32>(p.getAlpha()) - static_cast<s32>(q.getAlpha()))) >
						tolerance) ||
				static_cast<u32>(std::abs(static_cast<s32>(p.getRed()) - static_cast<s32>(q.getRed()))) > tolerance ||
				static_cast<u32>(std::abs(static_cast<s32>(p.getGreen()) - static_cast<s32>(q.getGreen()))) >
					tolerance ||
				static_cast<u32>(std::abs(static_cast<s32>(p.getBlue()) - static_cast<s32>(q.getBlue()))) > tolerance)
				return false;
		}
	return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	static const char* const names[] = {"f.png", "f.jpg", "f.tga", "f.bmp", "f.pcx", "f.ppm", "f.wal", "f.bin"};
	if (size < 1)
		return 0;
	const char* name = names[data[0] % (sizeof(names) / sizeof(names[0]))];
	// Our own memory file, as the archives serve entries: it refuses seeks before the start, which
	// the engine's loaders attempt on short files.
	const CRefHolder<CMemoryFile> file =
		adoptRef(new CMemoryFile(const_cast<uint8_t*>(data + 1), static_cast<long>(size - 1), name, false));
	const CRefHolder<CImage> image =
		adoptRef(CImageManager::Instance().createImageFromFile(file.get(), nullptr, ContentReference(nullptr, name)));
	// Large pictures cost time, not paths.
	if (!image || image->getDimension().Width * image->getDimension().Height > 256 * 256)
		return 0;
	const u32 tolerance = is16Bit(image->getColorFormat()) ? 7 : 0;
	struct SWriter
	{
		const char* name;
		bool keepsAlpha;
	};
	for (const SWriter& writer : {SWriter{"w.png", true}, SWriter{"w.bmp", false}, SWriter{"w.tga", true}})
	{
		const char* written = writer.name;
		const CRefHolder<CImage> first = writtenAndRead(image.get(), written);
		if (!first)
			__builtin_trap(); // every decoded picture has a lossless writer
		if (!samePixels(image.get(), first.get(), tolerance, writer.keepsAlpha))
			__builtin_trap();
		const CRefHolder<CImage> second = writtenAndRead(first.get(), written);
		if (!second || !samePixels(first.get(), second.get(), 0, true))
			__builtin_trap();
	}
	return 0;
}
