#include "platform/CWavDecoder.h"

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

u16 le16(const u8* p)
{
	return static_cast<u16>(p[0] | (p[1] << 8));
}

u32 le32(const u8* p)
{
	return static_cast<u32>(p[0]) | (static_cast<u32>(p[1]) << 8) | (static_cast<u32>(p[2]) << 16) |
		(static_cast<u32>(p[3]) << 24);
}

void takeFormatBlock(const u8* block, WavInfo& info, bool extensible)
{
	info.formatTag = le16(block);
	info.channels = le16(block + 2);
	info.samplesPerSec = le32(block + 4);
	info.avgBytesPerSec = le32(block + 8);
	info.blockAlign = le16(block + 12);
	info.bitsPerSample = le16(block + 14);
	info.cbSize = le16(block + 16);
	if (!extensible)
		return;
	info.validBitsPerSample = le16(block + 18);
	info.channelMask = le32(block + 20);
	std::memcpy(info.subFormat, block + 24, sizeof(info.subFormat));
}
} // namespace

bool parseWav(io::IReadFile* file, WavInfo& info)
{
	info = WavInfo();
	if (!file)
		return false;
	u8 header[12];
	if (file->read(header, sizeof(header)) != static_cast<s32>(sizeof(header)) || !sameIdNoCase(header, "RIFF") ||
		!sameIdNoCase(header + 8, "WAVE"))
		return false;

	const s64 fileSize = file->getSize();
	u8 chunk[8];
	while (file->read(chunk, sizeof(chunk)) == static_cast<s32>(sizeof(chunk)))
	{
		const u32 size = le32(chunk + 4);
		const s64 start = file->getPos();
		const s64 remaining = fileSize - start;
		if (sameIdNoCase(chunk, "data"))
		{
			info.dataOffset = static_cast<u32>(start);
			// A data chunk that claims more than the file holds plays what is there.
			info.dataSize = static_cast<u32>(std::min<s64>(size, std::max<s64>(remaining, 0)));
		}
		else if (sameIdNoCase(chunk, "fmt ") && size <= 40 && static_cast<s64>(size) <= remaining)
		{
			if (size < 16)
				logWarning("WAV format chunk shorter than 16 bytes ignored", core::stringc(file->getFileName()).c_str());
			else
			{
				// Fields the chunk does not cover stay zero.
				u8 block[40] = {};
				if (file->read(block, size) != static_cast<s32>(size))
					break;
				const u16 tag = le16(block);
				if (tag == 1)
				{
					info.kind = 1;
					takeFormatBlock(block, info, false);
				}
				else if (tag == 0xFFFE)
				{
					info.kind = 2;
					takeFormatBlock(block, info, true);
				}
			}
		}
		// A chunk that runs past the end of the file is the last one there is.
		if (static_cast<s64>(size) >= remaining)
			break;
		const s64 next = start + static_cast<s64>(size) + (size & 1u);
		if (!file->seek(static_cast<long>(next)))
			break;
	}

	if (info.dataSize != 0 && info.dataOffset != 0 && (info.kind == 1 || info.kind == 2))
		return true;
	info = WavInfo();
	return false;
}

s32 getWavFormat(const WavInfo& info)
{
	const u32 bits = info.bitsPerSample;
	if (bits != 8 && bits != 16)
		return SAMPLE_FORMAT_NONE;
	const bool wide = bits == 16;
	const u32 mask = info.channelMask;
	if (info.kind == 1)
	{
		switch (info.channels)
		{
		case 1: return wide ? SAMPLE_FORMAT_MONO16 : SAMPLE_FORMAT_MONO8;
		case 2: return wide ? SAMPLE_FORMAT_STEREO16 : SAMPLE_FORMAT_STEREO8;
		case 4: return wide ? SAMPLE_FORMAT_QUAD16 : SAMPLE_FORMAT_NONE;
		default: return SAMPLE_FORMAT_NONE;
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
	if (!parseWav(file, m_info))
		return;
	m_channels = m_info.channels;
	m_sampleRate = static_cast<s32>(std::min<u32>(m_info.samplesPerSec, 0x7FFFFFFF));
	m_format = getWavFormat(m_info);
	if (m_format == SAMPLE_FORMAT_NONE)
	{
		logWarning("Unsupported WAV sample layout", core::stringc(file->getFileName()).c_str());
		return;
	}
	m_frameCount = static_cast<s32>(std::min<u32>(m_info.dataSize / getBytesPerFrame(), 0x7FFFFFFF));
	m_fileName = core::stringc(file->getFileName());
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
