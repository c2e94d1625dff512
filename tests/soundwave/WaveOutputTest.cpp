// OpenAL Soft's wave backend writes what it mixes into a WAV file, which these tests read back.

#include "sound/SoundDeviceSupport.h"

#include "core/CNameTable.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CSoundCue.h"
#include "platform/CSoundManager.h"
#include "platform/CStreamedSound.h"
#include "platform/CWavDecoder.h"

#include <AL/al.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace fw
{
namespace
{
using soundtest::memoryFile;

const u32 RATE = 44100;

// The backend and its output file are chosen before the library reads its configuration.
const std::string& outputPath()
{
	static const std::string path = []
	{
		const char* base = getenv("TMPDIR");
		const std::string folder = std::string(base && *base ? base : "/tmp") + "/qb-wave-" + std::to_string(getpid());
		mkdir(folder.c_str(), 0755);
		const std::string conf = folder + "/alsoft.conf";
		std::ofstream(conf) << "[general]\nfrequency = " << RATE
							<< "\nchannels = stereo\nsample-type = int16\nstereo-mode = speakers\nhrtf = false\n"
							<< "[wave]\nfile = " << folder << "/out.wav\n";
		setenv("ALSOFT_CONF", conf.c_str(), 1);
		setenv("ALSOFT_DRIVERS", "wave", 1);
		return folder + "/out.wav";
	}();
	return path;
}
const bool configured = !outputPath().empty();

// The folder goes when the process ends.
struct SRemoveOutput
{
	~SRemoveOutput()
	{
		const std::string folder = outputPath().substr(0, outputPath().rfind('/'));
		std::remove(outputPath().c_str());
		std::remove((folder + "/alsoft.conf").c_str());
		rmdir(folder.c_str());
	}
} removeOutput;

// A 16-bit mono WAV of a sine tone.
std::string toneWav(f64 frequency, f64 seconds, f64 amplitude = 0.5)
{
	const u32 frames = static_cast<u32>(seconds * RATE);
	std::string data;
	for (u32 i = 0; i < frames; ++i)
		data += soundtest::le16(static_cast<u16>(
			static_cast<s16>(std::lround(amplitude * 32767.0 * std::sin(2.0 * M_PI * frequency * i / RATE)))));
	return soundtest::riff(
		soundtest::chunk("fmt ", soundtest::pcmFormat(1, RATE, 16)) + soundtest::chunk("data", data));
}

// The left channel of what the backend wrote, as floats in [-1, 1].
std::vector<f32> readOutput()
{
	const std::string bytes = test::readDiskFile(outputPath());
	const CRefHolder<io::IReadFile> file = memoryFile(bytes, "out.wav");
	const CRefHolder<CWavDecoder> decoder = adoptRef(new CWavDecoder(file.get()));
	std::vector<f32> left;
	if (decoder->getFormat() != SAMPLE_FORMAT_STEREO16)
	{
		ADD_FAILURE() << "the wave backend wrote format " << decoder->getFormat() << ", " << bytes.size() << " bytes";
		return left;
	}
	std::vector<s16> block(2 * 4096);
	decoder->rewind();
	while (const u32 frames = decoder->read(block.data(), 4096))
		for (u32 i = 0; i < frames; ++i)
			left.push_back(block[2 * i] / 32768.f);
	return left;
}

// The amplitude of one frequency in a window, by Goertzel's recurrence.
f32 amplitude(const std::vector<f32>& samples, size_t start, size_t length, f64 frequency)
{
	const f64 coefficient = 2.0 * std::cos(2.0 * M_PI * frequency / RATE);
	f64 s1 = 0, s2 = 0;
	for (size_t i = start; i < start + length; ++i)
	{
		const f64 s = samples[i] + coefficient * s1 - s2;
		s2 = s1;
		s1 = s;
	}
	const f64 power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
	return static_cast<f32>(2.0 * std::sqrt(std::max(power, 0.0)) / static_cast<f64>(length));
}

// Drives the manager's updates by the time that really passes, as the main loop does.
// Runs the main loop's sound updates for about that long; returns the longest step it took (a
// busy machine may keep the loop from running for a while).
u32 runFor(CSoundManager* manager, u32 milliseconds)
{
	auto last = std::chrono::steady_clock::now();
	const auto end = last + std::chrono::milliseconds(milliseconds);
	u32 longest = 0;
	while (std::chrono::steady_clock::now() < end)
	{
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
		const auto now = std::chrono::steady_clock::now();
		const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count();
		last += std::chrono::milliseconds(elapsed);
		longest = std::max(longest, static_cast<u32>(elapsed));
		manager->onEvent(adoptRef(new CEventSystemFlowUpdate(static_cast<u32>(elapsed))).get());
	}
	return longest;
}

// A music group of limit 1 and policy 1: the second cue fades in while the first fades out, with
// equal fades, so the two amplitudes always add up to the first one's full level.
TEST(SoundWaveOutput, GroupCrossFadesTwoCues)
{
	ASSERT_TRUE(configured);
	const CRefHolder<CFileSystem> files = adoptRef(createFileSystem());
	CRefHolder<COpenALAudioDriver> driver = adoptRef(createOpenALAudioDriver(files.get()));
	ASSERT_TRUE(driver);
	const CRefHolder<CSoundManager> manager = adoptRef(new CSoundManager(driver.get()));
	const f64 frequencies[2] = {400.0, 1000.0}; // whole cycles in a 10 ms window
	const char* names[2] = {"WaveLow", "WaveHigh"};
	for (int i = 0; i < 2; ++i)
	{
		const CRefHolder<io::IReadFile> file = memoryFile(toneWav(frequencies[i], 1.0), "tone.wav");
		const CRefHolder<ISound> sound = adoptRef(driver->createSound(file.get(), ContentReference()));
		ASSERT_TRUE(sound);
		const CRefHolder<CSoundCue> cue = adoptRef(new CSoundCue(CNameTableSingleton::Instance().intern(names[i])));
		cue->setGroupId(1);
		cue->setLoop(true);
		cue->addSound(sound.get());
		manager->registerCue(cue.get());
	}
	SoundGroup& music = manager->getGroup(1);
	music.maxPlaying = 1;
	music.policy = 1;
	music.fadeInMs = 1000;
	music.fadeOutMs = 1000;

	ASSERT_TRUE(manager->play(CNameTableSingleton::Instance().intern(names[0]), false, -1));
	runFor(manager.get(), 400);
	ASSERT_TRUE(manager->play(CNameTableSingleton::Instance().intern(names[1])));
	const u32 longestStep = runFor(manager.get(), 1500);
	EXPECT_EQ(1u, manager->getPlayingCount());
	manager->stopGroup(-1);
	manager->onEvent(adoptRef(new CEventSystemFlowUpdate(0)).get());
	driver.release();
	const_cast<CRefHolder<CSoundManager>&>(manager).release();

	const std::vector<f32> left = readOutput();
	const size_t window = RATE / 100;
	std::vector<f32> low, high;
	for (size_t start = 0; start + window <= left.size(); start += window)
	{
		low.push_back(amplitude(left, start, window, frequencies[0]));
		high.push_back(amplitude(left, start, window, frequencies[1]));
	}
	ASSERT_GT(low.size(), 100u);
	// The first cue's full level, from the windows where it plays alone.
	f32 full = 0;
	for (size_t i = 0; i < low.size(); ++i)
		full = std::max(full, low[i]);
	ASSERT_GT(full, 0.05f);
	const f32 tolerance = 0.08f * full;
	// The cross-fade is over once the new cue is at full level: after that only its stop follows.
	size_t reached = 0;
	while (reached < high.size() && high[reached] < full - 2 * tolerance)
		++reached;
	ASSERT_LT(reached, high.size()) << "the new cue never reached full level";
	bool oldGone = false;
	for (size_t i = reached; i < low.size() && !oldGone; ++i)
		oldGone = low[i] < tolerance && high[i] > full - 2 * tolerance;
	EXPECT_TRUE(oldGone) << "the old cue falls silent while the new one plays on";
	// The fades follow the main loop's clock: a loop held up for a tenth of a second (a loaded
	// machine, a sanitizer) moves them in one jump, which the mixer plays as it comes. Their shape is
	// only judged when the loop kept its pace.
	RecordProperty("LongestLoopStep", static_cast<int>(longestStep));
	if (longestStep > 100)
		return;
	size_t fading = 0, first = 0, last = 0;
	f32 previousLow = full, previousHigh = 0;
	for (size_t i = 0; i < reached; ++i)
	{
		if (high[i] < tolerance && low[i] < tolerance)
			continue; // before the start or after the stop
		const bool both = high[i] > tolerance && low[i] > tolerance;
		if (both)
		{
			EXPECT_NEAR(full, low[i] + high[i], 2 * tolerance) << "window " << i;
			if (!fading)
				first = i;
			last = i;
			++fading;
		}
		if (high[i] > tolerance)
		{
			EXPECT_LE(low[i], previousLow + tolerance) << "the old cue only fades out, window " << i;
			EXPECT_GE(high[i], previousHigh - tolerance) << "the new cue only fades in, window " << i;
			previousLow = low[i];
			previousHigh = high[i];
		}
	}
	// The fades take 1000 ms of the main loop's time; the mixer runs on the same clock, so the
	// cross-fade spans most of a second of output (loosely: the machine may be busy).
	EXPECT_GT(fading, 10u);
	EXPECT_LT(last - first, 400u);
	RecordProperty("CrossFadeWindows", static_cast<int>(fading));
}

// A looping stream sounds on across its loop wraps and its refills, with no silent gap.
TEST(SoundWaveOutput, StreamedLoopHasNoGap)
{
	ASSERT_TRUE(configured);
	const CRefHolder<CFileSystem> files = adoptRef(createFileSystem());
	CRefHolder<COpenALAudioDriver> driver = adoptRef(createOpenALAudioDriver(files.get()));
	ASSERT_TRUE(driver);
	driver->setStreamingThreshold(0);
	// 0.25 s of a 350 Hz tone at 22,050 Hz: 44,100-frame buffers hold 8 loops and last 2 s each.
	const std::string ogg = test::readDiskFile(test::fixturePath("sounds/vorbis_1ch.ogg"));
	const CRefHolder<io::IReadFile> file = memoryFile(ogg, "loop.ogg");
	const CRefHolder<ISound> stream = adoptRef(driver->createSound(file.get(), ContentReference()));
	ASSERT_TRUE(stream);
	stream->setLoop(true);
	ASSERT_TRUE(stream->play());
	std::this_thread::sleep_for(std::chrono::milliseconds(2700));
	EXPECT_EQ(2, stream->getState());
	EXPECT_EQ(0u, driver->getStreamingStats().starvationRestarts);
	const_cast<CRefHolder<ISound>&>(stream).release();
	driver.release();

	const std::vector<f32> left = readOutput();
	size_t start = 0;
	while (start < left.size() && std::fabs(left[start]) < 0.01f)
		++start;
	size_t end = left.size();
	while (end > start && std::fabs(left[end - 1]) < 0.01f)
		--end;
	ASSERT_GT(end - start, static_cast<size_t>(RATE * 2)) << "it played across a refill";
	// A 5 ms window always holds a peak of the tone; a gap would be a window of silence.
	const size_t window = RATE / 200;
	for (size_t i = start; i + window <= end; i += window / 2)
	{
		f32 peak = 0;
		for (size_t j = i; j < i + window; ++j)
			peak = std::max(peak, std::fabs(left[j]));
		ASSERT_GT(peak, 0.02f) << "silence at " << (i - start) * 1000 / RATE << " ms";
	}
}

// Steady levels, one a block (16-bit mono at the device's rate). Once after each rewind, before
// it reads on from the given frame, it waits until the source has played out everything queued:
// the source then runs dry in the middle of the refill pass that asked for those frames.
class CRunsDryInPassDecoder : public CAudioDecoder
{
public:
	static const u32 BLOCK_FRAMES = RATE / 20;
	static const u32 BLOCKS = 5;

	explicit CRunsDryInPassDecoder(u32 holdAt) : m_holdAt(holdAt)
	{
		m_channels = 1;
		m_sampleRate = RATE;
		m_format = SAMPLE_FORMAT_MONO16;
		m_frameCount = BLOCKS * BLOCK_FRAMES;
		m_fileName = "levels";
	}
	bool rewind() override
	{
		m_position = 0;
		m_hold = true;
		return true;
	}
	u32 read(void* block, u32 frames) override
	{
		if (m_position == m_holdAt && m_hold)
		{
			m_hold = false;
			EXPECT_TRUE(soundtest::eventually(
				[&]
				{
					ALint state = 0;
					alGetSourcei(source, AL_SOURCE_STATE, &state);
					return state != AL_PLAYING;
				}));
		}
		u32 n = 0;
		s16* samples = static_cast<s16*>(block);
		for (; n < frames && m_position < static_cast<u32>(m_frameCount); ++n, ++m_position)
			samples[n] = static_cast<s16>(3000 * (2 + m_position / BLOCK_FRAMES));
		return n;
	}
	u32 getPosition() const { return m_position; }

	u32 source = 0;

private:
	u32 m_holdAt;
	u32 m_position = 0;
	bool m_hold = true;
};

// A stream whose source runs dry while a refill pass runs (at its end, or starved in the middle)
// sounds every frame once: none again, none skipped. The test runs the refill passes itself.
TEST(SoundWaveOutput, SourceRunningDryMidPassRepeatsAndSkipsNothing)
{
	ASSERT_TRUE(configured);
	const u32 block = CRunsDryInPassDecoder::BLOCK_FRAMES;
	struct SCase
	{
		const char* what;
		u32 holdAt;
		// The pass after priming waits until two buffers have played, so that it refills two.
		bool refillsTwo;
	};
	const SCase cases[] = {
		{"the last buffer ends in the pass that finds the end", CRunsDryInPassDecoder::BLOCKS * block, false},
		{"starved before the first refill of a pass is queued", 3 * block, false},
		{"starved after the first refill of a pass is queued, having played it", 4 * block, true},
	};
	for (const SCase& c : cases)
	{
		const CRefHolder<CFileSystem> files = adoptRef(createFileSystem());
		CRefHolder<COpenALAudioDriver> driver = adoptRef(createOpenALAudioDriver(files.get()));
		ASSERT_TRUE(driver);
		const CRefHolder<CRunsDryInPassDecoder> decoder = adoptRef(new CRunsDryInPassDecoder(c.holdAt));
		CRefHolder<CStreamedSound> stream =
			adoptRef(new CStreamedSound(ContentReference(), nullptr, decoder.get(), block));
		const int plays = 6;
		for (int play = 0; play < plays; ++play)
		{
			ASSERT_TRUE(stream->play());
			decoder->source = stream->getSource();
			bool waited = !c.refillsTwo;
			ASSERT_TRUE(soundtest::eventually(
				[&]
				{
					if (!waited && decoder->getPosition() == 3 * block)
					{
						waited = true;
						EXPECT_TRUE(soundtest::eventually(
							[&]
							{
								ALint processed = 0;
								alGetSourcei(stream->getSource(), AL_BUFFERS_PROCESSED, &processed);
								return processed >= 2;
							}));
					}
					stream->update();
					return stream->getState() == 0;
				}))
				<< c.what << ", play " << play;
		}
		stream.release();
		driver.release();

		const std::vector<f32> left = readOutput();
		// The lengths of the stretches of sound, for the failure message.
		std::string runs;
		size_t run = 0, sounding = 0;
		for (size_t i = 0; i <= left.size(); ++i)
		{
			if (i < left.size() && std::fabs(left[i]) >= 0.02f)
			{
				++run;
				++sounding;
			}
			else if (run)
			{
				runs += " " + std::to_string(run);
				run = 0;
			}
		}
		EXPECT_NEAR(static_cast<f64>(plays * CRunsDryInPassDecoder::BLOCKS * block), static_cast<f64>(sounding),
			block / 4.0)
			<< c.what << ": frames sounding in stretches of" << runs;
	}
}
} // namespace
} // namespace fw
