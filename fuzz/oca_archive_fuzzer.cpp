// Encrypted asset archives as the game mounts them: the directory read from the bytes, every
// entry opened and read. Inputs of odd size are deciphered with a short key, even ones are plain.

#include "core/CRefHolder.h"
#include "platform/CEncryptedArchive.h"
#include "platform/CMemoryFile.h"

#include <cstdint>
#include <vector>

using namespace fw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::vector<u8> bytes(data, data + size);
	CRefHolder<CMemoryFile> file = adoptRef(new CMemoryFile(bytes.data(), (long)bytes.size(), "fuzz.oca", false));
	const core::stringc key = size % 2 == 1 ? "k3y" : "";
	CRefHolder<CEncryptedArchive> archive = adoptRef(new CEncryptedArchive(file.get(), key, false, false));
	u8 buffer[4096];
	for (u32 i = 0; i < archive->getFileCount() && i < 256; ++i)
	{
		const SArchiveEntry* entry = archive->getFileInfo(i);
		if (!entry || (long)entry->offset + (long)entry->size > (long)size)
			__builtin_trap(); // every entry was checked against the file at mount
		if (archive->findFile(entry->name) < 0)
			__builtin_trap();
		io::IReadFile* entryFile = archive->openFile(i);
		if (!entryFile || entryFile->getSize() != (long)entry->size)
			__builtin_trap(); // empty entries open too
		while (entryFile->read(buffer, sizeof(buffer)) > 0)
		{
		}
		entryFile->drop();
	}
	archive->findFile("scenes/Main.oscn");
	return 0;
}
