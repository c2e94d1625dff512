// The main loop while idle (CPU use, timing of update events against the 10 ms step), without a
// window and with an OpenGL window (under Xvfb) in the foreground, in the background and
// minimised; and the cost of a timer manager's update with many timers.
#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"
#include "core/CTimer.h"
#include "platform/CDeviceLinux.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CTimerManager.h"

#include <benchmark/benchmark.h>

#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <pthread.h>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

double cpuSeconds(clockid_t clock)
{
	timespec ts;
	clock_gettime(clock, &ts);
	return ts.tv_sec + ts.tv_nsec * 1e-9;
}

double processCpuSeconds()
{
	return cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
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

double medianOf(std::vector<double> values)
{
	std::sort(values.begin(), values.end());
	return values.empty() ? 0.0 : values[values.size() / 2];
}

// Notes the update times inside the measured span and counts the draws there.
class CWindowWatch : public fw::CEventReceiver
{
public:
	CWindowWatch() { setEventMask(~0u); }
	bool onEvent(fw::CEvent* event) override
	{
		if (!measuring.load())
			return false;
		if (event->getTypeId() == fw::CEventSystemFlowUpdate::TypeId)
			times.push_back(Clock::now());
		else if (event->getTypeId() == fw::CEventSystemFlowDraw::TypeId)
			++draws;
		return false;
	}
	std::atomic<bool> measuring{false};
	std::vector<Clock::time_point> times;
	int draws = 0;
};

enum EWindowMode
{
	MODE_FOREGROUND = 0,
	MODE_BACKGROUND = 1,
	MODE_MINIMISED = 2
};

// An OpenGL window that draws nothing, two seconds at a time. Another client (as a window manager
// or another program would) takes the keyboard away for the background or unmaps the window for
// the minimised case, and at the end asks the window to close. CPU time is the whole process's.
void BM_IdleWindowLoop(benchmark::State& state)
{
	const EWindowMode mode = static_cast<EWindowMode>(state.range(0));
	if (!std::getenv("DISPLAY"))
	{
		state.SkipWithError("no X display");
		return;
	}
	std::vector<double> cpuPercents, loopCpuPercents, meanJitters, maxJitters, drawRates;
	clockid_t loopClock;
	if (pthread_getcpuclockid(pthread_self(), &loopClock) != 0)
	{
		state.SkipWithError("no thread clock");
		return;
	}
	for (auto _ : state)
	{
		fw::SDeviceCreationParameters params;
		params.VideoDriver = fw::DEVICE_DRIVER_OPENGL;
		params.WindowSize = fw::core::dimension2d<fw::s32>(640, 480);
		auto device = fw::adoptRef(fw::createDevice(params));
		fw::CDeviceLinux* linuxDevice = dynamic_cast<fw::CDeviceLinux*>(device.get());
		if (!device || !linuxDevice || !linuxDevice->getWindowId())
		{
			state.SkipWithError("no OpenGL window");
			return;
		}
		device->setUpdateStep(10);
		device->setFrameInterval(10);
		auto watch = fw::adoptRef(new CWindowWatch);
		device->addEventReceiver(watch.get(), 0);
		const Window window = static_cast<Window>(linuxDevice->getWindowId());

		double cpu = 0, loopCpu = 0, wall = 0;
		std::thread other(
			[&]
			{
				Display* display = XOpenDisplay(nullptr);
				if (!display)
					return;
				// The window is mapped and has the keyboard by now.
				std::this_thread::sleep_for(std::chrono::milliseconds(400));
				if (mode == MODE_BACKGROUND)
					XSetInputFocus(display, None, RevertToNone, CurrentTime);
				else if (mode == MODE_MINIMISED)
					XUnmapWindow(display, window);
				XSync(display, False);
				std::this_thread::sleep_for(std::chrono::milliseconds(300));
				watch->measuring = true;
				const double cpu0 = processCpuSeconds();
				const double loopCpu0 = cpuSeconds(loopClock);
				const auto wall0 = Clock::now();
				std::this_thread::sleep_for(std::chrono::seconds(2));
				watch->measuring = false;
				cpu = processCpuSeconds() - cpu0;
				loopCpu = cpuSeconds(loopClock) - loopCpu0;
				wall = std::chrono::duration<double>(Clock::now() - wall0).count();

				XEvent event = {};
				event.xclient.type = ClientMessage;
				event.xclient.window = window;
				event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
				event.xclient.format = 32;
				event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
				event.xclient.data.l[1] = CurrentTime;
				XSendEvent(display, window, False, NoEventMask, &event);
				XSync(display, False);
				XCloseDisplay(display);
			});
		device->run();
		other.join();
		device->removeEventReceiver(watch.get());

		cpuPercents.push_back(wall > 0 ? 100.0 * cpu / wall : 0.0);
		loopCpuPercents.push_back(wall > 0 ? 100.0 * loopCpu / wall : 0.0);
		drawRates.push_back(wall > 0 ? watch->draws / wall : 0.0);
		double sum = 0, worst = 0;
		for (size_t i = 1; i < watch->times.size(); ++i)
		{
			const double gap = std::chrono::duration<double, std::milli>(watch->times[i] - watch->times[i - 1]).count();
			sum += std::fabs(gap - 10.0);
			worst = std::max(worst, std::fabs(gap - 10.0));
		}
		meanJitters.push_back(watch->times.size() > 1 ? sum / (watch->times.size() - 1) : 0.0);
		maxJitters.push_back(worst);
	}
	state.counters["cpu_percent"] = medianOf(cpuPercents);
	state.counters["loop_cpu_percent"] = medianOf(loopCpuPercents);
	state.counters["draws_per_s"] = medianOf(drawRates);
	if (mode == MODE_FOREGROUND)
	{
		state.counters["jitter_mean_ms"] = medianOf(meanJitters);
		state.counters["jitter_max_ms"] = medianOf(maxJitters);
	}
}
BENCHMARK(BM_IdleWindowLoop)
	->ArgName("mode") // 0 foreground, 1 background, 2 minimised
	->Arg(MODE_FOREGROUND)
	->Arg(MODE_BACKGROUND)
	->Arg(MODE_MINIMISED)
	->Iterations(5)
	->Unit(benchmark::kMillisecond)
	->UseRealTime();

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
