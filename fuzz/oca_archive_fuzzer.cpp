// Encrypted asset archives as the game mounts them: the directory read from the bytes, every
// entry opened, read in pieces and compared with the input deciphered byte by byte. Inputs of
// odd size are deciphered with a short key, even ones are plain.

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
	std::vector<u8> content;
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
		// Read in pieces of sizes taken from the input, then compared with the bytes deciphered
		// here one at a time.
		content.clear();
		for (u32 piece = 0;; ++piece)
		{
			const u32 wanted = 1 + (size ? data[(i + piece) % size] : 0) * 17 % sizeof(buffer);
			const s32 got = entryFile->read(buffer, wanted);
			if (got <= 0)
				break;
			content.insert(content.end(), buffer, buffer + got);
		}
		if (content.size() != entry->size)
			__builtin_trap();
		for (u32 b = 0; b < entry->size; ++b)
		{
			const u32 offset = entry->offset + b;
			const u8 plain = key.empty() ? bytes[offset] : (u8)(bytes[offset] ^ key[(offset - 16) % key.size()]);
			if (content[b] != plain)
				__builtin_trap();
		}
		entryFile->drop();
	}
	archive->findFile("scenes/Main.oscn");
	return 0;
}
