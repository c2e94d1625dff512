// WAV files as the sound decoder registry takes them: parsed, rewound and read to the end.

#include "core/CRefHolder.h"
#include "platform/CMemoryFile.h"
#include "platform/CSoundDecodersManager.h"
#include "platform/CWavDecoder.h"

#include <cstdint>
#include <vector>

using namespace fw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::vector<u8> bytes(data, data + size);
	const CRefHolder<io::IReadFile> file =
		adoptRef<io::IReadFile>(new CMemoryFile(bytes.data(), static_cast<long>(bytes.size()), "fuzz.wav", false));
	const CRefHolder<CAudioDecoder> decoder =
		adoptRef(CSoundDecodersManagerSingleton::Instance().createDecoder(file.get()));
	if (!decoder)
		return 0;
	std::vector<u8> block(1024 * decoder->getBytesPerFrame());
	for (int pass = 0; pass < 2; ++pass)
	{
		if (!decoder->rewind())
			break;
		u64 total = 0;
		while (const u32 frames = decoder->read(block.data(), 1024))
		{
			if (frames > 1024)
				__builtin_trap();
			total += frames;
		}
		if (total > static_cast<u64>(decoder->getFrameCount()))
			__builtin_trap();
	}
	return 0;
}
