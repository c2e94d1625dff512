#pragma once

#include "core/CoreTypes.h"

#include <vector>

namespace fw
{
class CAudioDecoder;

// A whole sound decoded into memory: interleaved frames, or none when the decode failed.
class CSoundData : public virtual IReferenceCounted
{
public:
	// Rewinds the decoder and reads every frame; anything short leaves no samples.
	explicit CSoundData(CAudioDecoder* decoder);

	bool hasSamples() const { return !m_samples.empty(); }
	const core::stringc& getFileName() const { return m_fileName; }
	s32 getChannels() const { return m_channels; }
	s32 getSampleRate() const { return m_sampleRate; }
	s32 getFormat() const { return m_format; }
	s32 getFrameCount() const { return m_frameCount; }
	const std::vector<u8>& getSamples() const { return m_samples; }

private:
	core::stringc m_fileName;
	s32 m_channels = 0;
	s32 m_sampleRate = 0;
	s32 m_format = 0;
	s32 m_frameCount = 0;
	std::vector<u8> m_samples;
};
} // namespace fw
