// Streams 1, 4 and 8 looping Ogg Vorbis files on OpenAL Soft's null backend while the main thread
// is busy, and reports the update thread's refill passes: the longest and the mean pass (target:
// every pass well within the 10 ms period) and the sources that ran dry (target: none).

#include "core/CRefHolder.h"
#include "platform/CFileSystem.h"
#include "platform/COpenALAudioDriver.h"
#include "platform/ISound.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <vector>

using namespace fw;

namespace
{
const bool nullBackend = [] { return setenv("ALSOFT_DRIVERS", "null", 1) == 0; }();

// Work for the main thread that touches memory, as a frame of the game would.
double busyFor(std::chrono::milliseconds length)
{
	std::vector<double> data(1 << 16, 1.0);
	double sum = 0;
	const auto end = std::chrono::steady_clock::now() + length;
	while (std::chrono::steady_clock::now() < end)
		for (size_t i = 0; i < data.size(); ++i)
			sum += data[i] = std::sqrt(data[i] + static_cast<double>(i));
	return sum;
}

void BM_StreamLoopingOggs(benchmark::State& state)
{
	const int streams = static_cast<int>(state.range(0));
	if (!nullBackend)
	{
		state.SkipWithError("ALSOFT_DRIVERS could not be set");
		return;
	}
	const CRefHolder<CFileSystem> files = adoptRef(createFileSystem());
	const CRefHolder<COpenALAudioDriver> driver = adoptRef(createOpenALAudioDriver(files.get()));
	if (!driver)
	{
		state.SkipWithError("no OpenAL device");
		return;
	}
	driver->setStreamingThreshold(0);
	std::vector<CRefHolder<ISound>> sounds;
	for (int i = 0; i < streams; ++i)
	{
		sounds.push_back(adoptRef(driver->createSound(QB_BENCH_SOUND, ContentReference())));
		if (!sounds.back())
		{
			state.SkipWithError("the sound does not load: " QB_BENCH_SOUND);
			return;
		}
		sounds.back()->setLoop(true);
		sounds.back()->play();
	}
	// Primed before the measurement starts.
	busyFor(std::chrono::milliseconds(100));
	driver->resetStreamingStats();
	double sink = 0;
	for (auto _ : state)
		sink += busyFor(std::chrono::milliseconds(500));
	benchmark::DoNotOptimize(sink);
	const SStreamingStats stats = driver->getStreamingStats();
	state.counters["passes"] = static_cast<double>(stats.passes);
	state.counters["longest_pass_us"] = static_cast<double>(stats.longestPassMicros);
	state.counters["mean_pass_us"] = stats.passes ? static_cast<double>(stats.totalPassMicros) / stats.passes : 0.0;
	state.counters["starvation_restarts"] = static_cast<double>(stats.starvationRestarts);
	for (const CRefHolder<ISound>& sound : sounds)
		if (sound->getState() != ISound::STATE_PLAYING)
			state.SkipWithError("a looping stream stopped");
}
} // namespace

BENCHMARK(BM_StreamLoopingOggs)->Arg(1)->Arg(4)->Arg(8)->Iterations(6)->Unit(benchmark::kMillisecond)->UseRealTime();
