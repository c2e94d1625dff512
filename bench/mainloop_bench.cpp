// The main loop while idle (CPU use, timing of update events against the 10 ms step) and the cost
// of a timer manager's update with many timers.
#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"
#include "platform/CDeviceLinux.h"
#include "platform/CEventSystemFlow.h"
#include "core/CTimer.h"
#include "platform/CTimerManager.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

double processCpuSeconds()
{
	timespec ts;
	clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
	return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Notes when each update arrives and closes the device after a number of them.
class CUpdateWatch : public fw::CEventReceiver
{
public:
	CUpdateWatch(fw::CDeviceStub* device, size_t updates) : m_device(device), m_wanted(updates)
	{
		setEventMask(~0u);
		times.reserve(updates);
	}
	bool onEvent(fw::CEvent* event) override
	{
		if (event->getTypeId() == fw::CEventSystemFlowUpdate::TypeId)
		{
			times.push_back(Clock::now());
			if (times.size() >= m_wanted)
				m_device->closeDevice();
		}
		return false;
	}
	std::vector<Clock::time_point> times;

private:
	fw::CDeviceStub* m_device;
	size_t m_wanted;
};

// One second of an idle game: 100 update steps of 10 ms and nothing else to do.
void BM_IdleMainLoop(benchmark::State& state)
{
	double cpu = 0, wall = 0, meanJitter = 0, maxJitter = 0;
	for (auto _ : state)
	{
		fw::SDeviceCreationParameters params;
		auto device = fw::adoptRef(fw::createDevice(params));
		if (!device)
		{
			state.SkipWithError("no device");
			return;
		}
		device->setUpdateStep(10);
		device->setFrameInterval(10);
		auto watch = fw::adoptRef(new CUpdateWatch(device.get(), 101));
		device->addEventReceiver(watch.get(), 0);

		const double cpu0 = processCpuSeconds();
		const auto wall0 = Clock::now();
		device->run();
		cpu += processCpuSeconds() - cpu0;
		wall += std::chrono::duration<double>(Clock::now() - wall0).count();

		double sum = 0, worst = 0;
		for (size_t i = 1; i < watch->times.size(); ++i)
		{
			const double gap = std::chrono::duration<double, std::milli>(watch->times[i] - watch->times[i - 1]).count();
			const double jitter = std::fabs(gap - 10.0);
			sum += jitter;
			worst = std::max(worst, jitter);
		}
		meanJitter += sum / (watch->times.size() - 1);
		maxJitter = std::max(maxJitter, worst);
		device->removeEventReceiver(watch.get());
	}
	const double runs = static_cast<double>(state.iterations());
	state.counters["cpu_percent"] = 100.0 * cpu / wall;
	state.counters["jitter_mean_ms"] = meanJitter / runs;
	state.counters["jitter_max_ms"] = maxJitter;
}
BENCHMARK(BM_IdleMainLoop)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

class CCountingTimer : public fw::CTimer
{
public:
	explicit CCountingTimer(fw::u32 interval) { setInterval(interval); }
	bool onTimer(fw::u32) override
	{
		++calls;
		return true;
	}
	fw::u64 calls = 0;
};

// Every timer is due in every update, as when each node of a busy scene animates.
void BM_TimerManagerUpdate(benchmark::State& state)
{
	auto manager = fw::adoptRef(new fw::CTimerManager);
	std::vector<fw::CRefHolder<CCountingTimer>> timers;
	for (int64_t i = 0; i < state.range(0); ++i)
	{
		timers.push_back(fw::adoptRef(new CCountingTimer(10)));
		manager->addTimer(timers.back().get());
	}
	for (auto _ : state)
		manager->update(10);
	state.SetItemsProcessed(state.iterations() * state.range(0));
	for (auto& timer : timers)
		manager->removeTimer(timer.get());
}
BENCHMARK(BM_TimerManagerUpdate)->Arg(100)->Arg(1024)->Arg(5000);
} // namespace
