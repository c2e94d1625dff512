// Feeds arbitrary bytes to the image manager as a file of each known extension. The first byte
// picks the extension, so that both the by-extension and the by-content paths are reached.
#include "content/CImage.h"
#include "content/CImageManager.h"
#include "core/ContentReference.h"
#include "platform/CMemoryFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	static const char* const names[] = {"f.png", "f.jpg", "f.tga", "f.bmp", "f.pcx", "f.ppm", "f.wal", "f.bin"};
	if (size < 1)
		return 0;
	const char* name = names[data[0] % (sizeof(names) / sizeof(names[0]))];
	// Our own memory file, as the archives serve entries: it refuses seeks before the start, which
	// the engine's loaders attempt on short files.
	fw::CMemoryFile* file = new fw::CMemoryFile(const_cast<uint8_t*>(data + 1), static_cast<long>(size - 1), name, false);
	fw::CImage* image =
		fw::CImageManagerSingleton::Instance().createImageFromFile(file, nullptr, fw::ContentReference(nullptr, name));
	if (image)
		image->drop();
	file->drop();
	return 0;
}
