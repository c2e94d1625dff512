// Synthesizes the game's sounds from the small descriptions in assets/sounds (*.synth) into WAV
// or Ogg Vorbis files. Everything is seeded: the same description always gives the same file.
//
//   synth_sounds <description folder> <output folder>
//
// A description is a list of lines; "#" starts a comment:
//   output <name.wav|name.ogg>     the file to write
//   format <rate> <channels>       sample rate and 1 or 2 channels (default 22050 1)
//   length <seconds>               (default 1)
//   seed <number>                  for the noise (default 1)
//   envelope <attack> <decay> <sustain level> <release>   seconds, seconds, 0..1, seconds
//   tone <start> <length> <from Hz> <to Hz> <level> [pan]  a sine sweeping from one pitch to another
//   noise <start> <length> <level> [smoothing 0..1] [pan]  white noise, optionally low-passed
// Every tone and noise gets the envelope in force where it is written.

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{
struct SEnvelope
{
	double attack = 0.005, decay = 0.0, sustain = 1.0, release = 0.01;

	double at(double t, double length) const
	{
		if (t < 0 || t > length)
			return 0;
		double level = sustain;
		if (t < attack)
			level = t / attack;
		else if (t < attack + decay)
			level = 1.0 - (1.0 - sustain) * (t - attack) / decay;
		const double left = length - t;
		if (left < release)
			level *= left / release;
		return level;
	}
};

struct SSound
{
	std::string output;
	int rate = 22050;
	int channels = 1;
	double length = 1.0;
	uint32_t seed = 1;
	std::vector<std::vector<float>> samples; // per channel
};

// xorshift32: small, seeded, the same everywhere.
struct SRandom
{
	uint32_t state;
	float next()
	{
		state ^= state << 13;
		state ^= state >> 17;
		state ^= state << 5;
		return static_cast<float>(state) / 2147483648.0f - 1.0f;
	}
};

bool fail(const std::string& file, int line, const std::string& what)
{
	std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), line, what.c_str());
	return false;
}

void ensureBuffers(SSound& sound)
{
	if (sound.samples.empty())
		sound.samples.assign(static_cast<size_t>(sound.channels),
			std::vector<float>(static_cast<size_t>(sound.length * sound.rate), 0.f));
}

void mix(SSound& sound, size_t frame, float value, double pan)
{
	if (frame >= sound.samples[0].size())
		return;
	if (sound.channels == 1)
		sound.samples[0][frame] += value;
	else
	{
		sound.samples[0][frame] += value * static_cast<float>(std::min(1.0, 1.0 - pan));
		sound.samples[1][frame] += value * static_cast<float>(std::min(1.0, 1.0 + pan));
	}
}

bool parse(const std::string& path, SSound& sound)
{
	std::ifstream in(path);
	if (!in)
		return fail(path, 0, "cannot be read");
	SEnvelope envelope;
	SRandom random{1};
	std::string text;
	int line = 0;
	while (std::getline(in, text))
	{
		++line;
		text = text.substr(0, text.find('#'));
		std::istringstream words(text);
		std::string key;
		if (!(words >> key))
			continue;
		if (key == "output")
			words >> sound.output;
		else if (key == "format")
			words >> sound.rate >> sound.channels;
		else if (key == "length")
			words >> sound.length;
		else if (key == "seed")
		{
			words >> sound.seed;
			random.state = sound.seed ? sound.seed : 1;
		}
		else if (key == "envelope")
			words >> envelope.attack >> envelope.decay >> envelope.sustain >> envelope.release;
		else if (key == "tone" || key == "noise")
		{
			if (sound.rate < 8000 || sound.rate > 96000 || (sound.channels != 1 && sound.channels != 2) ||
				sound.length <= 0 || sound.length > 600)
				return fail(path, line, "format and length must come first, and make sense");
			ensureBuffers(sound);
			double start = 0, length = 0, from = 0, to = 0, level = 0, smoothing = 0, pan = 0;
			if (key == "tone")
			{
				if (!(words >> start >> length >> from >> to >> level))
					return fail(path, line, "tone <start> <length> <from Hz> <to Hz> <level> [pan]");
				words >> pan;
			}
			else
			{
				if (!(words >> start >> length >> level))
					return fail(path, line, "noise <start> <length> <level> [smoothing] [pan]");
				words >> smoothing >> pan;
			}
			const size_t first = static_cast<size_t>(start * sound.rate);
			const size_t count = static_cast<size_t>(length * sound.rate);
			double phase = 0;
			float smooth = 0;
			for (size_t i = 0; i < count; ++i)
			{
				const double t = static_cast<double>(i) / sound.rate;
				const double gain = level * envelope.at(t, length);
				float value;
				if (key == "tone")
				{
					const double frequency = from + (to - from) * t / length;
					phase += 2.0 * M_PI * frequency / sound.rate;
					value = static_cast<float>(gain * std::sin(phase));
				}
				else
				{
					smooth =
						static_cast<float>(smoothing) * smooth + static_cast<float>(1.0 - smoothing) * random.next();
					value = static_cast<float>(gain) * smooth;
				}
				mix(sound, first + i, value, pan);
			}
		}
		else
			return fail(path, line, "unknown word " + key);
	}
	if (sound.output.empty())
		return fail(path, line, "no output named");
	ensureBuffers(sound);
	return true;
}

int16_t toPcm(float value)
{
	return static_cast<int16_t>(std::lround(std::max(-1.f, std::min(1.f, value)) * 32767.f));
}

void put16(std::string& out, uint32_t v)
{
	out += static_cast<char>(v & 0xFF);
	out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, uint32_t v)
{
	put16(out, v & 0xFFFF);
	put16(out, v >> 16);
}

bool writeWav(const SSound& sound, const std::string& path)
{
	const uint32_t frames = static_cast<uint32_t>(sound.samples[0].size());
	const uint32_t align = static_cast<uint32_t>(sound.channels) * 2;
	std::string out = "RIFF";
	put32(out, 36 + frames * align);
	out += "WAVEfmt ";
	put32(out, 16);
	put16(out, 1);
	put16(out, static_cast<uint32_t>(sound.channels));
	put32(out, static_cast<uint32_t>(sound.rate));
	put32(out, static_cast<uint32_t>(sound.rate) * align);
	put16(out, align);
	put16(out, 16);
	out += "data";
	put32(out, frames * align);
	for (uint32_t i = 0; i < frames; ++i)
		for (int c = 0; c < sound.channels; ++c)
			put16(out, static_cast<uint16_t>(toPcm(sound.samples[static_cast<size_t>(c)][i])));
	std::ofstream file(path, std::ios::binary);
	file.write(out.data(), static_cast<std::streamsize>(out.size()));
	return file.good();
}

bool writeOgg(const SSound& sound, const std::string& path)
{
	std::ofstream file(path, std::ios::binary);
	vorbis_info info;
	vorbis_info_init(&info);
	if (vorbis_encode_init_vbr(&info, sound.channels, sound.rate, 0.3f) != 0)
	{
		vorbis_info_clear(&info);
		return false;
	}
	vorbis_comment comment;
	vorbis_comment_init(&comment);
	vorbis_dsp_state dsp;
	vorbis_block block;
	vorbis_analysis_init(&dsp, &info);
	vorbis_block_init(&dsp, &block);
	ogg_stream_state stream;
	ogg_stream_init(&stream, static_cast<int>(sound.seed));
	ogg_packet header, headerComment, headerCode;
	vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
	ogg_stream_packetin(&stream, &header);
	ogg_stream_packetin(&stream, &headerComment);
	ogg_stream_packetin(&stream, &headerCode);
	ogg_page page;
	while (ogg_stream_flush(&stream, &page))
	{
		file.write(reinterpret_cast<const char*>(page.header), page.header_len);
		file.write(reinterpret_cast<const char*>(page.body), page.body_len);
	}
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
				{
					file.write(reinterpret_cast<const char*>(page.header), page.header_len);
					file.write(reinterpret_cast<const char*>(page.body), page.body_len);
				}
			}
		}
	};
	const size_t frames = sound.samples[0].size();
	const size_t chunk = 1024;
	for (size_t at = 0; at < frames; at += chunk)
	{
		const size_t count = std::min(chunk, frames - at);
		float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
		for (int c = 0; c < sound.channels; ++c)
			std::memcpy(buffer[c], sound.samples[static_cast<size_t>(c)].data() + at, count * sizeof(float));
		vorbis_analysis_wrote(&dsp, static_cast<int>(count));
		drain();
	}
	// The end of the stream, so that the last samples come out too.
	vorbis_analysis_wrote(&dsp, 0);
	drain();
	while (ogg_stream_flush(&stream, &page))
	{
		file.write(reinterpret_cast<const char*>(page.header), page.header_len);
		file.write(reinterpret_cast<const char*>(page.body), page.body_len);
	}
	ogg_stream_clear(&stream);
	vorbis_block_clear(&block);
	vorbis_dsp_clear(&dsp);
	vorbis_comment_clear(&comment);
	vorbis_info_clear(&info);
	return file.good();
}

bool endsWith(const std::string& text, const std::string& end)
{
	return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}
} // namespace

int main(int argc, char** argv)
{
	if (argc != 3)
	{
		std::fprintf(stderr, "usage: synth_sounds <description folder> <output folder>\n");
		return 2;
	}
	const std::string from = argv[1], to = argv[2];
	std::vector<std::string> names;
	if (DIR* folder = opendir(from.c_str()))
	{
		while (const dirent* entry = readdir(folder))
			if (endsWith(entry->d_name, ".synth"))
				names.push_back(entry->d_name);
		closedir(folder);
	}
	std::sort(names.begin(), names.end());
	if (names.empty())
	{
		std::fprintf(stderr, "synth_sounds: no descriptions in %s\n", from.c_str());
		return 1;
	}
	for (const std::string& name : names)
	{
		SSound sound;
		if (!parse(from + "/" + name, sound))
			return 1;
		const std::string path = to + "/" + sound.output;
		const bool written = endsWith(sound.output, ".ogg") ? writeOgg(sound, path)
			: endsWith(sound.output, ".wav")                ? writeWav(sound, path)
															: false;
		if (!written)
		{
			std::fprintf(stderr, "synth_sounds: %s could not be written to %s\n", name.c_str(), path.c_str());
			return 1;
		}
	}
	return 0;
}
