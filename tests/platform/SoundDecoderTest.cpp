#include "OggEncodeSupport.h"
#include "SoundTestSupport.h"

#include "platform/COggDecoder.h"
#include "platform/CSoundDecodersManager.h"
#include "platform/CWavDecoder.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace fw
{
namespace
{
using soundtest::chunk;
using soundtest::encodeOgg;
using soundtest::le16;
using soundtest::le32;
using soundtest::memoryFile;
using soundtest::pcmFormat;
using soundtest::riff;

std::string fixture(const std::string& name)
{
	return test::readDiskFile(test::fixturePath("sounds/" + name));
}

CRefHolder<CAudioDecoder> decode(const std::string& bytes, const std::string& name)
{
	const CRefHolder<io::IReadFile> file = memoryFile(bytes, name);
	return adoptRef(CSoundDecodersManagerSingleton::Instance().createDecoder(file.get()));
}

// Everything the decoder gives after a rewind, read in pieces that do not divide the length.
std::string readAll(CAudioDecoder* decoder, u32 piece = 97)
{
	std::string out;
	std::vector<u8> block(piece * decoder->getBytesPerFrame());
	EXPECT_TRUE(decoder->rewind());
	for (;;)
	{
		const u32 frames = decoder->read(block.data(), piece);
		EXPECT_LE(frames, piece);
		if (frames == 0)
			break;
		out.append(reinterpret_cast<const char*>(block.data()), frames * decoder->getBytesPerFrame());
	}
	return out;
}

struct SDecodeCase
{
	const char* file;
	s32 format;
	s32 channels;
	s32 rate;
};

class SoundDecoderReference : public ::testing::TestWithParam<SDecodeCase>
{
};

// Every fixture decodes to the samples sox (WAV) or oggdec (Ogg Vorbis) decoded from it.
TEST_P(SoundDecoderReference, DecodesAsTheReferenceDecoder)
{
	const SDecodeCase& c = GetParam();
	const std::string name = c.file;
	const CRefHolder<CAudioDecoder> decoder = decode(fixture(name), name);
	ASSERT_TRUE(decoder);
	EXPECT_EQ(c.format, decoder->getFormat());
	EXPECT_EQ(c.channels, decoder->getChannels());
	EXPECT_EQ(c.rate, decoder->getSampleRate());
	EXPECT_EQ(name, decoder->getFileName().c_str());

	std::string reference = fixture(name.substr(0, name.rfind('.')) + ".raw");
	if (c.channels == 6 && name.find(".ogg") != std::string::npos)
	{
		// oggdec keeps the Vorbis order (FL, C, FR, RL, RR, LFE); OpenAL's 5.1 is FL, FR, C, LFE, RL, RR.
		const int order[6] = {0, 2, 1, 5, 3, 4};
		std::string reordered(reference.size(), '\0');
		for (size_t frame = 0; frame + 12 <= reference.size(); frame += 12)
			for (int ch = 0; ch < 6; ++ch)
				reordered.replace(frame + ch * 2, 2, reference, frame + order[ch] * 2, 2);
		reference = reordered;
	}
	EXPECT_EQ(reference.size() / decoder->getBytesPerFrame(), static_cast<size_t>(decoder->getFrameCount()));
	const std::string decoded = readAll(decoder.get());
	EXPECT_TRUE(decoded == reference) << name << ": " << decoded.size() << " bytes against " << reference.size();
	// A second pass after a rewind gives the same samples.
	EXPECT_TRUE(readAll(decoder.get(), 1000) == decoded);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SoundDecoderReference,
	::testing::Values(SDecodeCase{"pcm8_mono.wav", 1, 1, 8000}, SDecodeCase{"pcm8_stereo.wav", 2, 2, 8000},
		SDecodeCase{"pcm16_mono.wav", 3, 1, 8000}, SDecodeCase{"pcm16_stereo.wav", 4, 2, 11025},
		SDecodeCase{"pcm16_quad.wav", 6, 4, 8000}, SDecodeCase{"ext_mono8.wav", 1, 1, 8000},
		SDecodeCase{"ext_mono16.wav", 3, 1, 8000}, SDecodeCase{"ext_stereo8.wav", 2, 2, 8000},
		SDecodeCase{"ext_stereo16.wav", 4, 2, 8000}, SDecodeCase{"ext_rear16.wav", 5, 2, 8000},
		SDecodeCase{"ext_quad16.wav", 6, 4, 8000}, SDecodeCase{"ext_51.wav", 7, 6, 8000},
		SDecodeCase{"ext_61.wav", 8, 7, 8000}, SDecodeCase{"ext_71.wav", 9, 8, 8000},
		SDecodeCase{"list_after_data.wav", 3, 1, 8000}, SDecodeCase{"odd_chunk.wav", 1, 1, 8000},
		SDecodeCase{"vorbis_1ch.ogg", 3, 1, 22050}, SDecodeCase{"vorbis_2ch.ogg", 4, 2, 22050},
		SDecodeCase{"vorbis_4ch.ogg", 6, 4, 22050}, SDecodeCase{"vorbis_6ch.ogg", 7, 6, 22050}),
	[](const ::testing::TestParamInfo<SDecodeCase>& info)
	{
		std::string name = info.param.file;
		for (char& c : name)
			if (!isalnum(static_cast<unsigned char>(c)))
				c = '_';
		return name;
	});

// Which decoder takes a file: by name first (with case), then by contents.
TEST(SoundDecoderDetection, ByNameThenByContents)
{
	const std::string wav = fixture("pcm16_mono.wav");
	const std::string ogg = fixture("vorbis_1ch.ogg");
	struct SCase
	{
		std::string name;
		const std::string* bytes;
		const char* expected; // "wav", "ogg" or "none"
	};
	const std::string garbage = "RIFX this is no sound at all, in any format whatever.";
	const SCase cases[] = {
		{"a.wav", &wav, "wav"},
		{"a.ogg", &ogg, "ogg"},
		{"X.OGG", &ogg, "ogg"},
		{"X.WAV", &wav, "wav"},
		{"music.ogg", &wav, "wav"}, // the Ogg decoder refuses it; the contents pass finds the WAV
		{"sound.wav", &ogg, "ogg"},
		{"noextension", &ogg, "ogg"},
		{"noextension", &wav, "wav"},
		{"a.wav.ogg", &ogg, "ogg"},
		{"a.wav", &garbage, "none"},
		{"a.ogg", &garbage, "none"},
	};
	for (const SCase& c : cases)
	{
		const CRefHolder<CAudioDecoder> decoder = decode(*c.bytes, c.name);
		const char* found = !decoder                    ? "none"
			: dynamic_cast<CWavDecoder*>(decoder.get()) ? "wav"
			: dynamic_cast<COggDecoder*>(decoder.get()) ? "ogg"
														: "other";
		EXPECT_STREQ(c.expected, found) << c.name;
	}
	EXPECT_FALSE(CSoundDecodersManagerSingleton::Instance().createDecoder(nullptr));
}

std::string monoData(u32 bytes)
{
	std::string data;
	for (u32 i = 0; i < bytes; ++i)
		data += static_cast<char>(i * 7);
	return data;
}

// WAV files the decoder must refuse, or read only as far as the file really goes.
TEST(SoundDecoderWav, RefusesWhatItCannotPlay)
{
	struct SCase
	{
		const char* what;
		std::string bytes;
	};
	const std::string fmt8 = chunk("fmt ", pcmFormat(1, 8000, 8));
	std::string shortFmt = pcmFormat(1, 8000, 16).substr(0, 14);
	const SCase cases[] = {
		{"24-bit mono", fixture("pcm24_mono.wav")},
		{"extensible stereo with an unknown mask", fixture("ext_stereo_badmask.wav")},
		{"12-bit mono", riff(chunk("fmt ", pcmFormat(1, 8000, 12)) + chunk("data", monoData(64)))},
		{"32-bit stereo", riff(chunk("fmt ", pcmFormat(2, 8000, 32)) + chunk("data", monoData(64)))},
		{"8-bit quad", riff(chunk("fmt ", pcmFormat(4, 8000, 8)) + chunk("data", monoData(64)))},
		{"a format chunk of 14 bytes", riff(chunk("fmt ", shortFmt) + chunk("data", monoData(64)))},
		{"a format chunk over 40 bytes",
			riff(chunk("fmt ", pcmFormat(1, 8000, 8) + std::string(30, '\0')) + chunk("data", monoData(64)))},
		{"no data chunk", riff(fmt8)},
		{"an empty data chunk", riff(fmt8 + chunk("data", ""))},
		{"a format tag of 3",
			riff(chunk("fmt ", le16(3) + pcmFormat(1, 8000, 32).substr(2)) + chunk("data", monoData(64)))},
		{"no format chunk", riff(chunk("data", monoData(64)))},
		{"a chunk claiming more than the file before the data",
			riff(fmt8 + chunk("junk", "abcd", 0x7FFFFFF0u) + chunk("data", monoData(64)))},
		{"a RIFF header only", "RIFF\x04\0\0\0WAVE"},
		{"nothing", ""},
	};
	for (const SCase& c : cases)
	{
		const CRefHolder<io::IReadFile> file = memoryFile(c.bytes, "bad.wav");
		const CRefHolder<CWavDecoder> decoder = adoptRef(new CWavDecoder(file.get()));
		EXPECT_EQ(0, decoder->getFrameCount()) << c.what;
		test::CLogCapture log;
		EXPECT_FALSE(decode(c.bytes, "bad.wav")) << c.what;
		EXPECT_EQ(1u, log.lines.size()) << c.what << ": one line for the refusal\n" << log.all();
	}
}

// A format block of another coding than PCM.
std::string codedFormat(u32 tag, u32 channels, u32 bits)
{
	return le16(tag) + pcmFormat(channels, 8000, bits).substr(2);
}

// An extensible format block whose sub-format is the GUID of a registered coding.
std::string extensibleFormat(u32 coding, u32 channels, u32 bits, u32 mask)
{
	return le16(0xFFFE) + pcmFormat(channels, 8000, bits).substr(2) + le16(22) + le16(bits) + le32(mask) +
		le32(coding) + std::string("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12);
}

// Files in codings and layouts that cannot play are refused with one line that says why, found by
// their name or by their contents alike.
TEST(SoundDecoderRefusals, UnplayableCodingsAreLoggedOnce)
{
	struct SCase
	{
		const char* what;
		std::string bytes;
		const char* extension;
		const char* logged;
	};
	const auto wav = [](const std::string& format)
	{ return riff(chunk("fmt ", format) + chunk("data", monoData(64))); };
	const SCase cases[] = {
		{"float WAV", wav(codedFormat(3, 1, 32)), ".wav", "not in PCM (coding 0x0003)"},
		{"ADPCM WAV", wav(codedFormat(2, 1, 4)), ".wav", "not in PCM (coding 0x0002)"},
		{"IMA ADPCM WAV", wav(codedFormat(0x11, 2, 4)), ".wav", "not in PCM (coding 0x0011)"},
		{"A-law WAV", wav(codedFormat(6, 1, 8)), ".wav", "not in PCM (coding 0x0006)"},
		{"mu-law WAV", wav(codedFormat(7, 1, 8)), ".wav", "not in PCM (coding 0x0007)"},
		{"GSM WAV", wav(codedFormat(0x31, 1, 0)), ".wav", "not in PCM (coding 0x0031)"},
		{"extensible float WAV", wav(extensibleFormat(3, 1, 32, 0x4)), ".wav", "not in PCM (coding 0x0003)"},
		{"extensible mu-law WAV", wav(extensibleFormat(7, 1, 8, 0x4)), ".wav", "not in PCM (coding 0x0007)"},
		{"24-bit WAV", fixture("pcm24_mono.wav"), ".wav", "Unsupported WAV sample layout (24 bits"},
		{"3-channel Ogg", encodeOgg(3, 8000, 2000, 1), ".ogg", "Unsupported Ogg Vorbis channel count 3"},
		{"5-channel Ogg", encodeOgg(5, 8000, 2000, 1), ".ogg", "Unsupported Ogg Vorbis channel count 5"},
		{"8-channel Ogg", encodeOgg(8, 8000, 2000, 1), ".ogg", "Unsupported Ogg Vorbis channel count 8"},
		{"no sound file", "This is a text file, in no sound format.", ".wav", "Neither a WAV nor an Ogg Vorbis"},
	};
	for (const SCase& c : cases)
	{
		ASSERT_FALSE(c.bytes.empty()) << c.what;
		for (const std::string& name : {std::string("bad") + c.extension, std::string("unnamed")})
		{
			test::CLogCapture log;
			EXPECT_FALSE(decode(c.bytes, name)) << c.what << " as " << name;
			EXPECT_EQ(1u, log.lines.size()) << c.what << " as " << name << "\n" << log.all();
			EXPECT_EQ(1u, log.countContaining(c.logged)) << c.what << " as " << name << "\n" << log.all();
			EXPECT_EQ(1u, log.countContaining(name)) << c.what << ": the line names the file\n" << log.all();
		}
	}
}

// Chained Ogg files (complete streams one after the other) play on when every link has the first
// one's channels and rate; a link in another layout would be read as frames of the first one's,
// or at its rate, so such a file is refused.
TEST(SoundDecoderOgg, ChainedLinksMustShareTheirFormat)
{
	struct SLink
	{
		int channels;
		long rate;
		long frames;
	};
	struct SCase
	{
		const char* what;
		SLink first, second;
		bool plays;
	};
	const SCase cases[] = {
		{"two mono links at 22,050 Hz", {1, 22050, 3000}, {1, 22050, 5000}, true},
		{"two stereo links at 44,100 Hz", {2, 44100, 4000}, {2, 44100, 2500}, true},
		{"mono 22,050 Hz, then stereo 44,100 Hz", {1, 22050, 3000}, {2, 44100, 5000}, false},
		{"22,050 Hz, then 44,100 Hz", {1, 22050, 3000}, {1, 44100, 5000}, false},
		{"stereo, then mono", {2, 22050, 3000}, {1, 22050, 5000}, false},
	};
	for (const SCase& c : cases)
	{
		const std::string bytes = encodeOgg(c.first.channels, c.first.rate, c.first.frames, 1) +
			encodeOgg(c.second.channels, c.second.rate, c.second.frames, 2);
		test::CLogCapture log;
		const CRefHolder<CAudioDecoder> decoder = decode(bytes, "chained.ogg");
		if (!c.plays)
		{
			EXPECT_FALSE(decoder) << c.what;
			EXPECT_EQ(1u, log.lines.size()) << c.what << "\n" << log.all();
			EXPECT_EQ(1u, log.countContaining("Chained Ogg Vorbis stream whose link 2")) << c.what << "\n" << log.all();
			continue;
		}
		ASSERT_TRUE(decoder) << c.what << "\n" << log.all();
		EXPECT_TRUE(log.lines.empty()) << c.what << "\n" << log.all();
		EXPECT_EQ(c.first.channels, decoder->getChannels()) << c.what;
		EXPECT_EQ(c.first.rate, decoder->getSampleRate()) << c.what;
		EXPECT_EQ(c.first.frames + c.second.frames, decoder->getFrameCount()) << c.what;
		EXPECT_EQ(static_cast<size_t>(decoder->getFrameCount()) * decoder->getBytesPerFrame(),
			readAll(decoder.get()).size())
			<< c.what;
	}
}

TEST(SoundDecoderWav, ReadsOnlyWhatTheFileHolds)
{
	const std::string data = monoData(100);
	struct SCase
	{
		const char* what;
		std::string bytes;
		s32 frames;
	};
	const std::string fmt8 = chunk("fmt ", pcmFormat(1, 8000, 8));
	const SCase cases[] = {
		// The data chunk claims a gigabyte: the decoder plays the 100 bytes there are.
		{"a data size beyond the file", riff(fmt8) + "data" + le32(0x40000000u) + data, 100},
		// Chunk ids in any case, an odd chunk padded to even before the data.
		{"capital ids and an odd chunk",
			riff(chunk("FMT ", pcmFormat(1, 8000, 8)) + chunk("JUNK", "xyz") + chunk("DATA", data)), 100},
		// The data chunk is followed by a chunk whose bytes are no samples.
		{"a list chunk after the data", riff(fmt8 + chunk("data", data) + chunk("LIST", std::string(40, 'L'))), 100},
		// A 16-bit stereo chunk of an odd size: the half frame at the end is not read.
		{"a partial last frame", riff(chunk("fmt ", pcmFormat(2, 8000, 16)) + chunk("data", data.substr(0, 99))), 24},
	};
	for (const SCase& c : cases)
	{
		const CRefHolder<CAudioDecoder> decoder = decode(c.bytes, "x.wav");
		ASSERT_TRUE(decoder) << c.what;
		EXPECT_EQ(c.frames, decoder->getFrameCount()) << c.what;
		const std::string samples = readAll(decoder.get());
		EXPECT_EQ(static_cast<size_t>(c.frames) * decoder->getBytesPerFrame(), samples.size()) << c.what;
		EXPECT_EQ(data.substr(0, samples.size()), samples) << c.what;
	}
}

// A damaged or cut Ogg file never yields more frames than it wrote, and never a negative count.
TEST(SoundDecoderOgg, DamagedStreamsReadSafely)
{
	const std::string ogg = fixture("vorbis_2ch.ogg");
	const std::string reference = fixture("vorbis_2ch.raw");
	struct SCase
	{
		const char* what;
		std::string bytes;
	};
	std::string holed = ogg;
	for (size_t i = ogg.size() / 2; i < ogg.size() / 2 + 200; ++i)
		holed[i] = static_cast<char>(holed[i] ^ 0x5A);
	const SCase cases[] = {
		{"cut in the middle", ogg.substr(0, ogg.size() / 2)},
		{"damaged in the middle", holed},
		{"cut after the headers", ogg.substr(0, 3600)},
	};
	for (const SCase& c : cases)
	{
		const CRefHolder<CAudioDecoder> decoder = decode(c.bytes, "x.ogg");
		if (!decoder)
			continue; // refusing the file is as good
		const std::string samples = readAll(decoder.get());
		EXPECT_EQ(0u, samples.size() % decoder->getBytesPerFrame()) << c.what;
		EXPECT_LE(samples.size(), reference.size()) << c.what;
		// What comes before the damage is the reference's start.
		const size_t start = std::min<size_t>(2000, samples.size());
		EXPECT_EQ(reference.substr(0, start), samples.substr(0, start)) << c.what;
	}
	EXPECT_FALSE(decode(ogg.substr(0, 200), "x.ogg"));
}

// The registry hands out no decoder whose stream has no frames.
TEST(SoundDecoderOgg, ReadWithoutStreamGivesNothing)
{
	const CRefHolder<io::IReadFile> file = memoryFile("OggS but not really", "x.ogg");
	const CRefHolder<COggDecoder> decoder = adoptRef(new COggDecoder(file.get()));
	EXPECT_EQ(0, decoder->getFrameCount());
	EXPECT_FALSE(decoder->rewind());
	u8 block[64];
	EXPECT_EQ(0u, decoder->read(block, 16));
}
} // namespace
} // namespace fw
