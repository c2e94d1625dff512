#include "platform/COggDecoder.h"

#include "core/CLogger.h"

#include <climits>
#include <cstring>

namespace fw
{
namespace
{
size_t readCallback(void* block, size_t size, size_t count, void* source)
{
	io::IReadFile* file = static_cast<io::IReadFile*>(source);
	if (size == 0 || count == 0)
		return 0;
	const u64 wanted = static_cast<u64>(size) * count;
	if (wanted / size != count)
		return 0;
	const u32 bytes = wanted > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<u32>(wanted);
	const s32 got = file->read(block, bytes);
	// vorbisfile counts in elements of the given size.
	return got > 0 ? static_cast<size_t>(got) / size : 0;
}

int seekCallback(void* source, ogg_int64_t offset, int origin)
{
	io::IReadFile* file = static_cast<io::IReadFile*>(source);
	s64 target;
	switch (origin)
	{
	case SEEK_SET:
		target = offset;
		break;
	case SEEK_CUR:
		target = static_cast<s64>(file->getPos()) + offset;
		break;
	case SEEK_END:
		target = static_cast<s64>(file->getSize()) + offset;
		break;
	default:
		return -1;
	}
	// Positions are 32-bit.
	if (target < 0 || target > INT_MAX)
		return -1;
	return file->seek(static_cast<long>(target)) ? 0 : -1;
}

int closeCallback(void*)
{
	return 0;
}

long tellCallback(void* source)
{
	return static_cast<io::IReadFile*>(source)->getPos();
}

const ov_callbacks CALLBACKS = {&readCallback, &seekCallback, &closeCallback, &tellCallback};

s32 formatForChannels(s32 channels)
{
	switch (channels)
	{
	case 1:
		return SAMPLE_FORMAT_MONO16;
	case 2:
		return SAMPLE_FORMAT_STEREO16;
	case 4:
		return SAMPLE_FORMAT_QUAD16;
	case 6:
		return SAMPLE_FORMAT_51CHN16;
	default:
		return SAMPLE_FORMAT_NONE;
	}
}
} // namespace

COggDecoder::COggDecoder(io::IReadFile* file) : m_file(file)
{
	std::memset(&m_stream, 0, sizeof(m_stream));
	if (!file)
		return;
	const core::stringc name(file->getFileName());
	if (ov_open_callbacks(file, &m_stream, nullptr, 0, CALLBACKS) != 0)
	{
		logWarning("Ogg Vorbis stream that does not open", name.c_str());
		return;
	}
	m_open = true;
	if (takeFormat(name))
	{
		// A failing total is negative; a length beyond 32 bits is no sound this program plays.
		const ogg_int64_t total = ov_pcm_total(&m_stream, -1);
		if (total > 0 && total <= INT_MAX)
		{
			m_frameCount = static_cast<s32>(total);
			m_fileName = name;
		}
		else
			logWarning("Ogg Vorbis stream of unusable length", name.c_str());
	}
	if (m_frameCount == 0)
	{
		m_open = false;
		ov_clear(&m_stream);
	}
}

bool COggDecoder::takeFormat(const core::stringc& name)
{
	const vorbis_info* info = ov_info(&m_stream, 0);
	if (!info)
	{
		logWarning("Ogg Vorbis stream without stream information", name.c_str());
		return false;
	}
	m_channels = info->channels;
	m_sampleRate = info->rate > 0 && info->rate <= INT_MAX ? static_cast<s32>(info->rate) : 0;
	if (!m_sampleRate)
	{
		logFormat(LOG_WARNING, "Ogg Vorbis stream with a sample rate of %ld: %s", info->rate, name.c_str());
		return false;
	}
	const s32 format = formatForChannels(info->channels);
	if (format == SAMPLE_FORMAT_NONE)
	{
		logFormat(LOG_WARNING, "Unsupported Ogg Vorbis channel count %d (1, 2, 4 or 6 play): %s", info->channels,
			name.c_str());
		return false;
	}
	// The buffers of one source share one format, and the rate is set per buffer from the decoder:
	// links in another layout would be read as frames of the first one's.
	const long links = ov_streams(&m_stream);
	for (long link = 1; link < links; ++link)
	{
		const vorbis_info* other = ov_info(&m_stream, static_cast<int>(link));
		if (!other || other->channels != info->channels || other->rate != info->rate)
		{
			logFormat(LOG_WARNING,
				"Chained Ogg Vorbis stream whose link %ld has %d channels at %ld Hz after %d at %ld Hz: %s", link + 1,
				other ? other->channels : 0, other ? other->rate : 0L, info->channels, info->rate, name.c_str());
			return false;
		}
	}
	m_format = format;
	return true;
}

COggDecoder::~COggDecoder()
{
	if (m_open)
		ov_clear(&m_stream);
}

bool COggDecoder::rewind()
{
	return m_open && ov_pcm_seek(&m_stream, 0) == 0;
}

u32 COggDecoder::read(void* block, u32 frames)
{
	if (!m_open || !block)
		return 0;
	const u32 bytesPerFrame = getBytesPerFrame();
	const u64 wanted = static_cast<u64>(bytesPerFrame) * frames;
	c8* bytes = static_cast<c8*>(block);
	u64 got = 0;
	while (got < wanted)
	{
		const u64 left = wanted - got;
		const int ask = left > static_cast<u64>(INT_MAX) ? INT_MAX : static_cast<int>(left);
		int section = 0;
		const long result = ov_read(&m_stream, bytes + got, ask, 0, 2, 1, &section);
		if (result == OV_HOLE)
			continue; // a gap in the stream: the data after it still plays
		if (result <= 0 || static_cast<u64>(result) > left)
			break; // the end, or damage that no further read gets past
		got += static_cast<u64>(result);
	}
	const u32 framesRead = static_cast<u32>(got / bytesPerFrame);
	if (m_channels == 6)
	{
		// Vorbis orders 5.1 as FL, C, FR, RL, RR, LFE; OpenAL wants FL, FR, C, LFE, RL, RR.
		s16* samples = static_cast<s16*>(block);
		for (u32 i = 0; i < framesRead; ++i)
		{
			s16* f = samples + static_cast<size_t>(i) * 6;
			const s16 s[6] = {f[0], f[1], f[2], f[3], f[4], f[5]};
			f[0] = s[0];
			f[1] = s[2];
			f[2] = s[1];
			f[3] = s[5];
			f[4] = s[3];
			f[5] = s[4];
		}
	}
	return framesRead;
}

bool COggDecoder::probe(io::IReadFile* file)
{
	if (!file)
		return false;
	// The headers only: whether the file is usable is the decoder's to find out, and to say.
	OggVorbis_File stream;
	std::memset(&stream, 0, sizeof(stream));
	if (ov_test_callbacks(file, &stream, nullptr, 0, CALLBACKS) != 0)
		return false;
	ov_clear(&stream);
	return true;
}
} // namespace fw
