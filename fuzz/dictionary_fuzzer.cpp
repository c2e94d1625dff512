// Dictionary files as the game loads them at start-up, then texts asked for every way the game
// asks: by key, with placeholders filled, and with key references expanded. The input's own
// bytes serve as the text to expand and as keys.

#include "core/CRefHolder.h"
#include "platform/CDictionary.h"
#include "platform/CFileSystem.h"
#include "platform/CMemoryFile.h"

#include <cstdint>
#include <vector>

using namespace fw;

namespace
{
// Serves the input as every file it is asked for.
class CMemoryFileSystem : public CFileSystem
{
public:
	std::vector<u8> bytes;

	io::IReadFile* createAndOpenFile(const io::path& name) override
	{
		return new CMemoryFile(bytes.data(), (long)bytes.size(), name, false);
	}
};

// One character a byte, as a key written in a file reads.
core::stringw widen(const u8* data, size_t size)
{
	core::stringw text;
	text.reserve((u32)size + 1);
	for (size_t i = 0; i < size; ++i)
		text.append((wchar_t)data[i]);
	return text;
}

bool holds(const core::stringw& text, const wchar_t* part)
{
	return text.find(part) >= 0;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	CRefHolder<CMemoryFileSystem> fileSystem = adoptRef(new CMemoryFileSystem());
	fileSystem->bytes.assign(data, data + size);
	CRefHolder<CDictionary> dictionary = adoptRef(new CDictionary(fileSystem.get()));

	// The file always opens, so loading always succeeds, whatever it holds.
	if (!dictionary->load("strings/Dictionary.xml"))
		__builtin_trap();
	const u32 count = dictionary->getEntryCount();
	// A second load defines the same keys again; later texts replace earlier ones.
	dictionary->load("strings/Dictionary.xml");
	if (dictionary->getEntryCount() != count)
		__builtin_trap();

	const core::stringw text = widen(data, size);
	const core::stringw translated = dictionary->translate(text);
	// Without a percent sign there is nothing to expand.
	if (!holds(text, L"%") && translated != text)
		__builtin_trap();

	// The first line of the input as a key, the rest of the input as the arguments.
	size_t keyEnd = 0;
	while (keyEnd < size && keyEnd < 64 && data[keyEnd] != '\n')
		++keyEnd;
	const core::stringc key(widen(data, keyEnd));
	const core::stringw found = dictionary->getText(key);
	const core::stringw formatted = dictionary->format(key, L"1", L"#p", text, L"");
	if (!holds(found, L"#p") && formatted != found)
		__builtin_trap();
	dictionary->translate(found);
	dictionary->translate(formatted);

	dictionary->clear();
	if (dictionary->getEntryCount() != 0)
		__builtin_trap();
	return 0;
}
