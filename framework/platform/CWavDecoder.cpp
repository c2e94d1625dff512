#include "platform/CWavDecoder.h"

#include "core/ByteReader.h"
#include "core/CLogger.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace fw
{
namespace
{
bool sameIdNoCase(const u8* bytes, const c8* id)
{
	for (u32 i = 0; i < 4; ++i)
		if (std::tolower(bytes[i]) != std::tolower(static_cast<u8>(id[i])))
			return false;
	return true;
}

void takeFormatBlock(const u8* block, WavInfo& info, bool extensible)
{
	info.formatTag = readLE16(block);
	info.channels = readLE16(block + 2);
	info.samplesPerSec = readLE32(block + 4);
	info.avgBytesPerSec = readLE32(block + 8);
	info.blockAlign = readLE16(block + 12);
	info.bitsPerSample = readLE16(block + 14);
	info.cbSize = readLE16(block + 16);
	if (!extensible)
		return;
	info.validBitsPerSample = readLE16(block + 18);
	info.channelMask = readLE32(block + 20);
	std::memcpy(info.subFormat, block + 24, sizeof(info.subFormat));
}
} // namespace

bool isRiffWave(io::IReadFile* file)
{
	u8 header[12];
	return file && file->read(header, sizeof(header)) == static_cast<s32>(sizeof(header)) &&
		sameIdNoCase(header, "RIFF") && sameIdNoCase(header + 8, "WAVE");
}

bool parseWav(io::IReadFile* file, WavInfo& info, const c8** problem)
{
	info = WavInfo();
	if (problem)
		*problem = nullptr;
	if (!isRiffWave(file))
		return false;

	const s64 fileSize = file->getSize();
	u8 chunk[8];
	while (file->read(chunk, sizeof(chunk)) == static_cast<s32>(sizeof(chunk)))
	{
		const u32 size = readLE32(chunk + 4);
		const s64 start = file->getPos();
		const s64 remaining = fileSize - start;
		if (sameIdNoCase(chunk, "data"))
		{
			info.dataOffset = static_cast<u32>(start);
			// A data chunk that claims more than the file holds plays what is there.
			info.dataSize = static_cast<u32>(std::min<s64>(size, std::max<s64>(remaining, 0)));
		}
		else if (sameIdNoCase(chunk, "fmt ") && size >= 16 && size <= 40 && static_cast<s64>(size) <= remaining)
		{
			// Fields the chunk does not cover stay zero.
			u8 block[40] = {};
			if (file->read(block, size) != static_cast<s32>(size))
				break;
			const u16 tag = readLE16(block);
			info.kind = tag == 1 ? 1 : tag == 0xFFFE ? 2 : 3;
			takeFormatBlock(block, info, info.kind == 2);
		}
		// A chunk that runs past the end of the file is the last one there is.
		if (static_cast<s64>(size) >= remaining)
			break;
		const s64 next = start + static_cast<s64>(size) + (size & 1u);
		if (!file->seek(static_cast<long>(next)))
			break;
	}

	if (info.dataSize != 0 && info.dataOffset != 0 && info.kind != 0)
		return true;
	if (problem)
		*problem =
			info.kind == 0 ? "WAV file without a format chunk of 16 to 40 bytes" : "WAV file without sample data";
	info = WavInfo();
	return false;
}

u32 getWavCoding(const WavInfo& info)
{
	if (info.kind != 2)
		return info.formatTag;
	// The sub-formats of the registered codings are their tag followed by one fixed GUID tail.
	static const u8 tail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
	if (std::memcmp(info.subFormat + 4, tail, sizeof(tail)) != 0)
		return 0;
	return readLE32(info.subFormat);
}

s32 getWavFormat(const WavInfo& info)
{
	if ((info.kind != 1 && info.kind != 2) || getWavCoding(info) != 1)
		return SAMPLE_FORMAT_NONE;
	const u32 bits = info.bitsPerSample;
	if (bits != 8 && bits != 16)
		return SAMPLE_FORMAT_NONE;
	const bool wide = bits == 16;
	const u32 mask = info.channelMask;
	if (info.kind == 1)
	{
		switch (info.channels)
		{
		case 1:
			return wide ? SAMPLE_FORMAT_MONO16 : SAMPLE_FORMAT_MONO8;
		case 2:
			return wide ? SAMPLE_FORMAT_STEREO16 : SAMPLE_FORMAT_STEREO8;
		case 4:
			return wide ? SAMPLE_FORMAT_QUAD16 : SAMPLE_FORMAT_NONE;
		default:
			return SAMPLE_FORMAT_NONE;
		}
	}
	if (info.kind != 2)
		return SAMPLE_FORMAT_NONE;
	if (info.channels == 1 && mask == 0x4)
		return wide ? SAMPLE_FORMAT_MONO16 : SAMPLE_FORMAT_MONO8;
	if (info.channels == 2 && mask == 0x3)
		return wide ? SAMPLE_FORMAT_STEREO16 : SAMPLE_FORMAT_STEREO8;
	if (!wide)
		return SAMPLE_FORMAT_NONE;
	struct SLayout
	{
		u16 channels;
		u32 mask;
		s32 format;
	};
	static const SLayout layouts[] = {
		{2, 0x30, SAMPLE_FORMAT_REAR16},
		{4, 0x33, SAMPLE_FORMAT_QUAD16},
		{6, 0x3F, SAMPLE_FORMAT_51CHN16},
		{7, 0x13F, SAMPLE_FORMAT_61CHN16},
		{8, 0x63F, SAMPLE_FORMAT_71CHN16},
	};
	for (const SLayout& layout : layouts)
		if (info.channels == layout.channels && mask == layout.mask)
			return layout.format;
	return SAMPLE_FORMAT_NONE;
}

CWavDecoder::CWavDecoder(io::IReadFile* file) : m_file(file)
{
	const c8* problem = nullptr;
	if (!parseWav(file, m_info, &problem))
	{
		if (problem)
			logWarning(problem, core::stringc(file->getFileName()).c_str());
		return;
	}
	const core::stringc name(file->getFileName());
	m_channels = m_info.channels;
	m_sampleRate = static_cast<s32>(std::min<u32>(m_info.samplesPerSec, 0x7FFFFFFF));
	const u32 coding = getWavCoding(m_info);
	if (coding != 1)
	{
		// Float, ADPCM, A-law, mu-law, GSM and the like: only PCM is played.
		logFormat(LOG_WARNING, "WAV samples not in PCM (coding 0x%04X): %s", coding, name.c_str());
		return;
	}
	m_format = getWavFormat(m_info);
	if (m_format == SAMPLE_FORMAT_NONE)
	{
		logFormat(LOG_WARNING, "Unsupported WAV sample layout (%u bits, %u channels, mask 0x%X): %s",
			static_cast<u32>(m_info.bitsPerSample), static_cast<u32>(m_info.channels), m_info.channelMask,
			name.c_str());
		return;
	}
	if (m_sampleRate <= 0)
	{
		m_format = SAMPLE_FORMAT_NONE;
		logWarning("WAV file with a sample rate of 0", name.c_str());
		return;
	}
	m_frameCount = static_cast<s32>(std::min<u32>(m_info.dataSize / getBytesPerFrame(), 0x7FFFFFFF));
	if (m_frameCount == 0)
	{
		logWarning("WAV data shorter than one frame", name.c_str());
		return;
	}
	m_fileName = name;
}

bool CWavDecoder::rewind()
{
	return m_file && m_file->seek(static_cast<long>(m_info.dataOffset));
}

u32 CWavDecoder::read(void* block, u32 frames)
{
	if (!m_file || m_frameCount <= 0 || !block)
		return 0;
	const u32 bytesPerFrame = getBytesPerFrame();
	const s64 end = static_cast<s64>(m_info.dataOffset) + m_info.dataSize;
	const s64 position = m_file->getPos();
	if (position < static_cast<s64>(m_info.dataOffset) || position >= end)
		return 0;
	const u64 framesLeft = static_cast<u64>(end - position) / bytesPerFrame;
	const u64 wanted = std::min<u64>(frames, framesLeft) * bytesPerFrame;
	// One read of at most the data chunk, which is clamped to the file: it fits in 32 bits.
	const s32 got = m_file->read(block, static_cast<u32>(wanted));
	return got > 0 ? static_cast<u32>(got) / bytesPerFrame : 0u;
}
} // namespace fw
