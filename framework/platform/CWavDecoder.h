#pragma once

#include "core/CRefHolder.h"
#include "platform/CAudioDecoder.h"

#include <IReadFile.h>

namespace fw
{
// What the chunks of a RIFF WAVE file say; all zero until parsed. The fields from formatTag to
// subFormat are the 40-byte extensible format block in file order.
struct WavInfo
{
	s32 kind = 0; // 0 none, 1 plain PCM format block, 2 extensible format block, 3 another coding
	u16 formatTag = 0;
	u16 channels = 0;
	u32 samplesPerSec = 0;
	u32 avgBytesPerSec = 0;
	u16 blockAlign = 0;
	u16 bitsPerSample = 0;
	u16 cbSize = 0;
	u16 validBitsPerSample = 0;
	u32 channelMask = 0;
	u8 subFormat[16] = {};
	u32 dataSize = 0;
	u32 dataOffset = 0;
};

// Whether the file, from its current position (its start), begins as a RIFF WAVE file.
bool isRiffWave(io::IReadFile* file);
// Walks the chunks from the file's current position (its start); false, with info cleared, when
// the file is no WAVE file with a format and a data chunk. Then problem (when given) says what
// is missing, or stays null when the file is no RIFF WAVE file at all.
bool parseWav(io::IReadFile* file, WavInfo& info, const c8** problem = nullptr);
// The sample format of a parsed file; 0 for codings and layouts no sound can play.
s32 getWavFormat(const WavInfo& info);
// The coding of a parsed file's samples: its format tag, or for the extensible block the tag that
// leads its sub-format (1 for PCM).
u32 getWavCoding(const WavInfo& info);

// PCM samples of a RIFF WAVE file, read straight from its data chunk. A WAVE file it cannot play
// is refused with one log line.
class CWavDecoder : public CAudioDecoder
{
public:
	explicit CWavDecoder(io::IReadFile* file);

	bool rewind() override;
	u32 read(void* block, u32 frames) override;

	const WavInfo& getInfo() const { return m_info; }

private:
	CRefHolder<io::IReadFile> m_file;
	WavInfo m_info;
};
} // namespace fw
