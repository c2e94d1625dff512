#pragma once

// OpenAL Soft on its null backend, chosen before the library reads its configuration.

#include "platform/SoundTestSupport.h"

#include "core/CRefHolder.h"
#include "platform/CAudioDecoder.h"
#include "platform/CFileSystem.h"
#include "platform/COpenALAudioDriver.h"

#include <chrono>
#include <functional>
#include <thread>

namespace fw
{
namespace soundtest
{
// Waits until the condition holds, however slowly the machine runs; false after a long time.
inline bool eventually(const std::function<bool()>& condition, int seconds = 60)
{
	const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
	while (!condition())
	{
		if (std::chrono::steady_clock::now() > end)
			return false;
		std::this_thread::sleep_for(std::chrono::milliseconds(2));
	}
	return true;
}

// Frames counting up from 0 (16-bit mono), with a length; from its dryFrom-th rewind on (if not 0)
// it yields nothing more.
class CCountingDecoder : public CAudioDecoder
{
public:
	explicit CCountingDecoder(s32 frames, int dryFrom = 0) : m_dryFrom(dryFrom)
	{
		m_channels = 1;
		m_sampleRate = 44100;
		m_format = SAMPLE_FORMAT_MONO16;
		m_frameCount = frames;
		m_fileName = "counting";
	}
	bool rewind() override
	{
		++rewinds;
		m_position = 0;
		m_dry = m_dryFrom > 0 && rewinds >= m_dryFrom;
		return true;
	}
	u32 read(void* block, u32 frames) override
	{
		++reads;
		if (m_dry)
			return 0;
		u32 n = 0;
		s16* samples = static_cast<s16*>(block);
		while (n < frames && m_position < static_cast<u32>(m_frameCount))
			samples[n++] = static_cast<s16>(m_position++);
		framesRead += n;
		return n;
	}

	int rewinds = 0;
	int reads = 0;
	u64 framesRead = 0;

private:
	u32 m_position = 0;
	int m_dryFrom;
	bool m_dry = false;
};
} // namespace soundtest
} // namespace fw
