// Ogg Vorbis files through vorbisfile over the framework's read file: probed, opened and read.

#include "core/CRefHolder.h"
#include "platform/CMemoryFile.h"
#include "platform/COggDecoder.h"

#include <cstdint>
#include <vector>

using namespace fw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::vector<u8> bytes(data, data + size);
	const CRefHolder<io::IReadFile> file =
		adoptRef<io::IReadFile>(new CMemoryFile(bytes.data(), static_cast<long>(bytes.size()), "fuzz.ogg", false));
	COggDecoder::probe(file.get());
	file->seek(0);
	const CRefHolder<COggDecoder> decoder = adoptRef(new COggDecoder(file.get()));
	if (decoder->getFrameCount() <= 0)
		return 0;
	std::vector<u8> block(4096 * decoder->getBytesPerFrame());
	if (!decoder->rewind())
		return 0;
	// A stream may claim far more than it holds: a bounded number of reads is enough.
	for (int i = 0; i < 256; ++i)
	{
		const u32 frames = decoder->read(block.data(), 4096);
		if (frames > 4096)
			__builtin_trap();
		if (frames == 0)
			break;
	}
	return 0;
}
