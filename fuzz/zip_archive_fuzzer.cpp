// Zip files as the zip loader meets them: mounted from their bytes, every entry opened and read,
// and a few lookups.

#include "core/CRefHolder.h"
#include "platform/CMemoryFile.h"
#include "platform/CZipArchive.h"

#include <cstdint>
#include <cstring>
#include <vector>

using namespace fw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::vector<u8> bytes(data, data + size);
	CRefHolder<CMemoryFile> file = adoptRef(new CMemoryFile(bytes.data(), (long)bytes.size(), "fuzz.zip", false));
	CArchiveLoaderZip loader(nullptr);
	if (!loader.isALoadableFileFormat(file.get()))
		return 0;
	// The flags only change names; both settings walk the same headers.
	const bool ignore = size % 2 == 1;
	CRefHolder<IFileArchive> archive = adoptRef(loader.createArchive(file.get(), ignore, ignore));
	if (!archive)
		return 0;
	u8 buffer[4096];
	for (u32 i = 0; i < archive->getFileCount() && i < 64; ++i)
	{
		const SArchiveEntry* entry = archive->getFileInfo(i);
		if (!entry)
			__builtin_trap();
		// With the game's flags a listed entry is found by its own name. (Ignoring paths, an
		// entry is named after its last '/', a lookup after its last '/', '\\' or ':'.)
		if (!ignore && archive->findFile(entry->name) < 0)
			__builtin_trap();
		io::IReadFile* entryFile = archive->openFile(i);
		if (!entryFile)
			continue;
		long total = 0;
		for (s32 n; (n = entryFile->read(buffer, sizeof(buffer))) > 0;)
			total += n;
		if (total != entryFile->getSize())
			__builtin_trap();
		entryFile->drop();
	}
	archive->findFile("readme.txt");
	archive->findFile("");
	return 0;
}
