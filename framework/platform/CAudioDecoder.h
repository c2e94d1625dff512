#pragma once

#include "core/CoreTypes.h"

namespace fw
{
// Sample layouts of decoded audio. Codes 1 and 2 are 8-bit (unsigned), 3 to 9 are 16-bit signed
// little-endian; 0 is a layout no sound can play.
enum ESampleFormat : s32
{
	SAMPLE_FORMAT_NONE = 0,
	SAMPLE_FORMAT_MONO8 = 1,
	SAMPLE_FORMAT_STEREO8 = 2,
	SAMPLE_FORMAT_MONO16 = 3,
	SAMPLE_FORMAT_STEREO16 = 4,
	SAMPLE_FORMAT_REAR16 = 5,
	SAMPLE_FORMAT_QUAD16 = 6,
	SAMPLE_FORMAT_51CHN16 = 7,
	SAMPLE_FORMAT_61CHN16 = 8,
	SAMPLE_FORMAT_71CHN16 = 9
};

inline u32 getBytesPerSample(s32 format)
{
	return format < SAMPLE_FORMAT_MONO16 ? 1u : 2u;
}

// The most a sound may decode to when it is held whole in memory.
const u64 MAX_WHOLE_DECODE_BYTES = 256ull * 1024ull * 1024ull;

// Turns an open sound file into interleaved frames on request. The four numbers stay 0 until a
// format's decoder fills them; the registry never hands out a decoder with no frames.
class CAudioDecoder : public virtual IReferenceCounted
{
public:
	// Back to the first frame.
	virtual bool rewind() { return true; }
	// Up to frames frames into the block (frames x bytes-per-frame bytes); the frames written.
	virtual u32 read(void* block, u32 frames);

	const core::stringc& getFileName() const { return m_fileName; }
	s32 getChannels() const { return m_channels; }
	s32 getSampleRate() const { return m_sampleRate; }
	s32 getFormat() const { return m_format; }
	s32 getFrameCount() const { return m_frameCount; }

	u32 getBytesPerFrame() const
	{
		return getBytesPerSample(m_format) * static_cast<u32>(m_channels > 0 ? m_channels : 0);
	}
	// The whole sound's size once decoded, without overflow.
	u64 getDecodedSize() const
	{
		return static_cast<u64>(getBytesPerFrame()) * static_cast<u64>(m_frameCount > 0 ? m_frameCount : 0);
	}

protected:
	core::stringc m_fileName;
	s32 m_channels = 0;
	s32 m_sampleRate = 0;
	s32 m_format = SAMPLE_FORMAT_NONE;
	s32 m_frameCount = 0;
};
} // namespace fw
