#include "platform/CSoundData.h"

#include "core/CLogger.h"
#include "platform/CAudioDecoder.h"

namespace fw
{
CSoundData::CSoundData(CAudioDecoder* decoder)
{
	if (!decoder || decoder->getFrameCount() <= 0 || decoder->getFormat() == 0 || decoder->getSampleRate() <= 0 ||
		decoder->getChannels() <= 0)
		return;
	const u64 size = decoder->getDecodedSize();
	if (size > MAX_WHOLE_DECODE_BYTES)
	{
		logWarning("Sound too large to decode whole", decoder->getFileName().c_str());
		return;
	}
	if (!decoder->rewind())
		return;
	std::vector<u8> samples(static_cast<size_t>(size));
	const u32 frames = static_cast<u32>(decoder->getFrameCount());
	if (decoder->read(samples.data(), frames) != frames)
		return;
	m_samples.swap(samples);
	m_fileName = decoder->getFileName();
	m_channels = decoder->getChannels();
	m_sampleRate = decoder->getSampleRate();
	m_format = decoder->getFormat();
	m_frameCount = decoder->getFrameCount();
}
} // namespace fw
