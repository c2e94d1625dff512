#pragma once

// Ogg Vorbis streams encoded in memory with libvorbisenc, for the decoder tests.

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <string>

namespace fw
{
namespace soundtest
{
// One complete Ogg Vorbis stream of a quiet tone per channel; the serial number tells the links
// of a chained file apart. Empty when the encoder refuses the layout.
inline std::string encodeOgg(int channels, long rate, long frames, int serial)
{
	std::string out;
	vorbis_info info;
	vorbis_info_init(&info);
	if (vorbis_encode_init_vbr(&info, channels, rate, 0.1f) != 0)
	{
		vorbis_info_clear(&info);
		return out;
	}
	vorbis_comment comment;
	vorbis_comment_init(&comment);
	vorbis_dsp_state dsp;
	vorbis_block block;
	vorbis_analysis_init(&dsp, &info);
	vorbis_block_init(&dsp, &block);
	ogg_stream_state stream;
	ogg_stream_init(&stream, serial);
	ogg_page page;
	const auto write = [&]
	{
		out.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
		out.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
	};
	ogg_packet header, headerComment, headerCode;
	vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
	ogg_stream_packetin(&stream, &header);
	ogg_stream_packetin(&stream, &headerComment);
	ogg_stream_packetin(&stream, &headerCode);
	while (ogg_stream_flush(&stream, &page))
		write();
	const auto drain = [&]
	{
		while (vorbis_analysis_blockout(&dsp, &block) == 1)
		{
			vorbis_analysis(&block, nullptr);
			vorbis_bitrate_addblock(&block);
			ogg_packet packet;
			while (vorbis_bitrate_flushpacket(&dsp, &packet))
			{
				ogg_stream_packetin(&stream, &packet);
				while (ogg_stream_pageout(&stream, &page))
					write();
			}
		}
	};
	for (long at = 0; at < frames; at += 1024)
	{
		const long count = std::min(1024L, frames - at);
		float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
		for (int c = 0; c < channels; ++c)
			for (long i = 0; i < count; ++i)
				buffer[c][i] = 0.25f * static_cast<float>(std::sin(2.0 * M_PI * 440.0 * (c + 1) * (at + i) / rate));
		vorbis_analysis_wrote(&dsp, static_cast<int>(count));
		drain();
	}
	vorbis_analysis_wrote(&dsp, 0);
	drain();
	while (ogg_stream_flush(&stream, &page))
		write();
	ogg_stream_clear(&stream);
	vorbis_block_clear(&block);
	vorbis_dsp_clear(&dsp);
	vorbis_comment_clear(&comment);
	vorbis_info_clear(&info);
	return out;
}
} // namespace soundtest
} // namespace fw
