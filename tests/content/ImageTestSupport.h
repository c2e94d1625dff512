#pragma once

// Images made in the test and turned into files in memory through the framework's own writers,
// so that no image file needs to be kept as a fixture.

#include "content/CImage.h"
#include "content/CImageManager.h"
#include "platform/CMemoryFile.h"

#include <cstring>
#include <string>

namespace fw
{
namespace imagetest
{
// w x h A8R8G8B8 pixels whose colour encodes their position: red x, green y, blue 0x40, alpha
// 0xFF, except a transparent first column.
inline CRefHolder<CImage> makePatternImage(u32 width, u32 height)
{
	CRefHolder<CImage> image =
		adoptRef(new CImage(ContentReference(), video::ECF_A8R8G8B8, core::dimension2du(width, height)));
	for (u32 y = 0; y < height; ++y)
		for (u32 x = 0; x < width; ++x)
			image->setPixel(x, y, video::SColor(x == 0 ? 0 : 0xFF, x & 0xFF, y & 0xFF, 0x40));
	return image;
}

// The bytes of an in-memory file written under a name (the name chooses the writer).
inline std::string encodeImage(CImage* image, const char* name, const u32* quality = nullptr, bool* written = nullptr)
{
	const long capacity = 1 << 20;
	CRefHolder<CMemoryFile> file = adoptRef(new CMemoryFile(new u8[capacity], capacity, name, true));
	const bool ok = CImageManager::Instance().writeImageToFile(image, file.get(), quality);
	if (written)
		*written = ok;
	if (!ok)
		return std::string();
	return std::string(static_cast<const char*>(file->getData()), static_cast<size_t>(file->getPos()));
}

inline CRefHolder<io::IReadFile> memoryFile(const std::string& bytes, const char* name)
{
	u8* copy = new u8[bytes.size() + 1];
	std::memcpy(copy, bytes.data(), bytes.size());
	return adoptRef<io::IReadFile>(new CMemoryFile(copy, static_cast<long>(bytes.size()), name, true));
}

inline CRefHolder<CImage> decodeImage(const std::string& bytes, const char* name)
{
	const CRefHolder<io::IReadFile> file = memoryFile(bytes, name);
	return adoptRef(CImageManager::Instance().createImageFromFile(file.get(), nullptr, ContentReference()));
}
} // namespace imagetest
} // namespace fw
