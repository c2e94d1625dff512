#include "sound/SoundDeviceSupport.h"

#include "platform/CStaticSound.h"
#include "platform/CStreamedSound.h"

#include <AL/al.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace fw
{
namespace
{
using soundtest::CCountingDecoder;
using soundtest::countingWav;
using soundtest::eventually;
using soundtest::memoryFile;

const bool nullBackend = [] { return setenv("ALSOFT_DRIVERS", "null", 1) == 0; }();

struct SDriverFixture
{
	SDriverFixture()
	{
		EXPECT_TRUE(nullBackend);
		files = adoptRef(createFileSystem());
		driver = adoptRef(createOpenALAudioDriver(files.get()));
		EXPECT_TRUE(driver);
	}

	CRefHolder<ISound> load(const std::string& bytes, const std::string& name = "sound.wav")
	{
		const CRefHolder<io::IReadFile> file = memoryFile(bytes, name);
		return adoptRef(driver->createSound(file.get(), ContentReference(nullptr, name.c_str())));
	}

	CRefHolder<CFileSystem> files;
	CRefHolder<COpenALAudioDriver> driver;
};

ALint sourceInt(u32 source, ALenum what)
{
	ALint value = 0;
	alGetSourcei(source, what, &value);
	return value;
}

// Decoded sizes above the threshold stream, the rest is decoded whole.
TEST(SoundDriver, StreamingThreshold)
{
	SDriverFixture f;
	ASSERT_TRUE(f.driver);
	EXPECT_EQ(262144u, f.driver->getStreamingThreshold());
	struct SCase
	{
		u32 threshold;
		u32 frames;
		bool streams;
	};
	const SCase cases[] = {
		{262144, 65536, false}, // 16-bit stereo: exactly 262,144 bytes
		{262144, 65537, true},
		{0, 1, true},
		{0xFFFFFFFFu, 65537, false},
	};
	for (const SCase& c : cases)
	{
		f.driver->setStreamingThreshold(c.threshold);
		const CRefHolder<ISound> sound = f.load(countingWav(2, c.frames));
		ASSERT_TRUE(sound) << c.frames;
		EXPECT_EQ(c.streams, dynamic_cast<CStreamedSound*>(sound.get()) != nullptr) << c.threshold << " " << c.frames;
		EXPECT_EQ(c.streams ? CONTENT_NOT_CACHED : 0u, sound->getContentFlags());
		EXPECT_EQ(0, sound->getPlayPosition());
		EXPECT_EQ(0, sound->getState());
	}
	EXPECT_FALSE(f.load("not a sound at all"));
	EXPECT_NE(std::string::npos, std::string(f.driver->getDescription().c_str()).find("OpenAL\n Device: "));
}

// Copies of a static sound play at once, each on its own source, from one buffer; resuming a
// sound that plays never restarts it.
TEST(SoundDriver, StaticCopiesShareOneBuffer)
{
	SDriverFixture f;
	ASSERT_TRUE(f.driver);
	const CRefHolder<ISound> prototype = f.load(countingWav(1, 88200));
	CStaticSound* original = dynamic_cast<CStaticSound*>(prototype.get());
	ASSERT_TRUE(original);
	original->setVolume(0.25f);
	original->setLoop(true);
	const CRefHolder<CStaticSound> a = adoptRef(static_cast<CStaticSound*>(original->cloneAsContent()));
	const CRefHolder<CStaticSound> b = adoptRef(static_cast<CStaticSound*>(original->cloneAsContent()));
	EXPECT_EQ(original->getBuffer(), a->getBuffer());
	EXPECT_EQ(original->getBuffer(), b->getBuffer());
	EXPECT_EQ(0u, a->getSource());
	ASSERT_TRUE(a->play());
	ASSERT_TRUE(b->play());
	EXPECT_NE(a->getSource(), b->getSource());
	EXPECT_EQ(2, a->getState());
	EXPECT_EQ(2, b->getState());
	EXPECT_EQ(AL_TRUE, sourceInt(a->getSource(), AL_LOOPING));
	ALfloat gain = 0;
	alGetSourcef(b->getSource(), AL_GAIN, &gain);
	EXPECT_FLOAT_EQ(0.25f, gain);
	EXPECT_EQ(static_cast<ALint>(original->getBuffer()->getBufferId()), sourceInt(b->getSource(), AL_BUFFER));

	ASSERT_TRUE(eventually([&] { return sourceInt(a->getSource(), AL_SAMPLE_OFFSET) > 0; }));
	const ALint before = sourceInt(a->getSource(), AL_SAMPLE_OFFSET);
	a->pause(false);
	EXPECT_GE(sourceInt(a->getSource(), AL_SAMPLE_OFFSET), before) << "resuming a playing sound restarted it";
	a->pause(true);
	EXPECT_EQ(1, a->getState());
	a->pause(false);
	EXPECT_EQ(2, a->getState());
	a->stop();
	EXPECT_EQ(0, a->getState());
	EXPECT_EQ(2, b->getState());
}

// A manual stream: the test runs the refill passes itself, with no thread involved.
struct SManualStream : SDriverFixture
{
	explicit SManualStream(s32 frames, u32 framesPerBuffer, int dryFrom = 0)
	{
		decoder = adoptRef(new CCountingDecoder(frames, dryFrom));
		stream = adoptRef(new CStreamedSound(ContentReference(), nullptr, decoder.get(), framesPerBuffer));
	}

	ALint bufferFrames(u32 buffer) const
	{
		ALint size = 0;
		alGetBufferi(buffer, AL_SIZE, &size);
		return size / 2;
	}

	CRefHolder<CCountingDecoder> decoder;
	CRefHolder<CStreamedSound> stream;
};

// Priming fills the three buffers; a looping stream of 1.5 buffers wraps inside the second one.
TEST(SoundStream, PrimingAndLoopWrap)
{
	SManualStream s(1500, 1000);
	ASSERT_TRUE(s.driver);
	s.stream->setLoop(true);
	ASSERT_TRUE(s.stream->play());
	EXPECT_EQ(2, s.stream->getState());
	EXPECT_EQ(0, sourceInt(s.stream->getSource(), AL_BUFFERS_QUEUED)) << "primed on the next pass, not in play";
	s.stream->update();
	EXPECT_EQ(3, sourceInt(s.stream->getSource(), AL_BUFFERS_QUEUED));
	for (u32 i = 0; i < 3; ++i)
		EXPECT_EQ(1000, s.bufferFrames(s.stream->getBuffers()[i])) << "buffer " << i;
	// play's rewind, then the wrap in the middle of the second buffer.
	EXPECT_EQ(2, s.decoder->rewinds);
	EXPECT_EQ(3000u, s.decoder->framesRead);
	EXPECT_EQ(AL_PLAYING, sourceInt(s.stream->getSource(), AL_SOURCE_STATE));
}

// A non-looping stream shorter than three buffers primes fewer, plays them out and ends at state 0;
// played again it starts over from the beginning.
TEST(SoundStream, EndsAtStateZeroAndReplays)
{
	SManualStream s(1500, 1000);
	ASSERT_TRUE(s.driver);
	ASSERT_TRUE(s.stream->play());
	s.stream->update();
	EXPECT_EQ(2, sourceInt(s.stream->getSource(), AL_BUFFERS_QUEUED));
	EXPECT_EQ(500, s.bufferFrames(s.stream->getBuffers()[1]));
	ASSERT_TRUE(eventually(
		[&]
		{
			s.stream->update();
			return s.stream->getState() == 0;
		}));
	EXPECT_EQ(1500u, s.decoder->framesRead);

	ASSERT_TRUE(s.stream->play());
	EXPECT_EQ(2, s.stream->getState());
	s.stream->update();
	EXPECT_EQ(3000u, s.decoder->framesRead) << "the second play reads the file again from its start";
	s.stream->stop();
	EXPECT_EQ(0, s.stream->getState());
	EXPECT_EQ(0, sourceInt(s.stream->getSource(), AL_BUFFERS_QUEUED));
	ASSERT_TRUE(s.stream->play());
	s.stream->update();
	EXPECT_EQ(AL_PLAYING, sourceInt(s.stream->getSource(), AL_SOURCE_STATE));
}

// A stream paused before its priming is primed without starting; resuming starts it.
TEST(SoundStream, PauseBeforePriming)
{
	SManualStream s(5000, 1000);
	ASSERT_TRUE(s.driver);
	ASSERT_TRUE(s.stream->play());
	s.stream->pause(true);
	EXPECT_EQ(1, s.stream->getState());
	s.stream->update();
	s.stream->update();
	EXPECT_EQ(3, sourceInt(s.stream->getSource(), AL_BUFFERS_QUEUED));
	EXPECT_NE(AL_PLAYING, sourceInt(s.stream->getSource(), AL_SOURCE_STATE));
	s.stream->pause(false);
	EXPECT_EQ(2, s.stream->getState());
	EXPECT_EQ(AL_PLAYING, sourceInt(s.stream->getSource(), AL_SOURCE_STATE));
}

// Streams whose decoder yields nothing end instead of spinning or playing for ever.
TEST(SoundStream, NothingToPlayEnds)
{
	{
		// Nothing at all after play's rewind: priming queues nothing and the stream ends.
		SManualStream s(1000, 1000, 1);
		ASSERT_TRUE(s.driver);
		s.stream->setLoop(true);
		ASSERT_TRUE(s.stream->play());
		s.stream->update();
		EXPECT_EQ(0, s.stream->getState());
	}
	{
		// A looping stream whose decoder yields nothing after its first wrap plays what it has, then ends.
		SManualStream s(700, 1000, 2);
		ASSERT_TRUE(s.driver);
		s.stream->setLoop(true);
		ASSERT_TRUE(s.stream->play());
		s.stream->update();
		EXPECT_EQ(1, sourceInt(s.stream->getSource(), AL_BUFFERS_QUEUED));
		EXPECT_LT(s.decoder->reads, 10);
		ASSERT_TRUE(eventually(
			[&]
			{
				s.stream->update();
				return s.stream->getState() == 0;
			}));
		EXPECT_LT(s.decoder->reads, 1000);
	}
}

// Streams on the driver's update thread: priming and refills happen there; destroying a stream
// while it is pending, active or being refilled is safe.
TEST(SoundStream, UpdateThreadAndDestruction)
{
	SDriverFixture f;
	ASSERT_TRUE(f.driver);
	f.driver->setStreamingThreshold(0);
	const std::string wav = countingWav(2, 22050);
	{
		const CRefHolder<ISound> stream = f.load(wav);
		ASSERT_TRUE(dynamic_cast<CStreamedSound*>(stream.get()));
		stream->setLoop(true);
		ASSERT_TRUE(stream->play());
		const u32 source = static_cast<CStreamedSound*>(stream.get())->getSource();
		ASSERT_TRUE(eventually([&] { return sourceInt(source, AL_BUFFERS_QUEUED) == 3; }));
		EXPECT_EQ(2, stream->getState());
	}
	// Destroyed right after play (often still pending), or after some passes (active, perhaps in a
	// refill at that moment).
	for (int round = 0; round < 40; ++round)
	{
		std::vector<CRefHolder<ISound>> streams;
		for (int i = 0; i < 4; ++i)
		{
			streams.push_back(f.load(wav));
			streams.back()->setLoop(i % 2 == 0);
			streams.back()->play();
		}
		if (round % 2)
			std::this_thread::sleep_for(std::chrono::milliseconds(round % 7));
		streams.clear();
	}
	const u64 passes = f.driver->getStreamingStats().passes;
	ASSERT_TRUE(eventually([&] { return f.driver->getStreamingStats().passes > passes + 2; }));
}

// A stream that outlives its driver learns of it and plays no more; nothing touches the dead driver.
TEST(SoundStream, OutlivesItsDriver)
{
	SDriverFixture f;
	ASSERT_TRUE(f.driver);
	f.driver->setStreamingThreshold(0);
	const CRefHolder<ISound> played = f.load(countingWav(1, 5000));
	const CRefHolder<ISound> idle = f.load(countingWav(1, 5000));
	ASSERT_TRUE(played && idle);
	played->play();
	f.driver.release();
	played->stop();
	idle->play();
	idle->setVolume(0.5f);
	EXPECT_NE(1, played->getState());
}
} // namespace
} // namespace fw
