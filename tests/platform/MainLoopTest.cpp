#include "DeviceTestSupport.h"
#include "FakeWindow.h"

#include "core/CEventInput.h"
#include "platform/CMainLoop.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fw::devtest;

namespace
{
typedef std::vector<std::string> Trace;

class MainLoopTest : public testing::Test
{
protected:
	void SetUp() override
	{
		clock = adoptRef(new CSteppedClock);
		device = adoptRef(new CTestDevice(clock.get()));
		recorder = adoptRef(new CRecorder(trace));
		device->addEventReceiver(recorder.get(), 0);
		device->setFrameInterval(10);
		device->setUpdateStep(10);
		device->setRunning(true);
	}

	// One pass with the device's clock standing at now.
	void passAt(u32 lastTick, u32 now)
	{
		device->getTimer()->setTime(now);
		device->setLastTick(lastTick);
		clock->waits.clear();
		trace.clear();
		CMainLoop(device.get()).runPass();
	}

	CRefHolder<CSteppedClock> clock;
	CRefHolder<CTestDevice> device;
	CRefHolder<CRecorder> recorder;
	Trace trace;
};

Trace updates(int count, const char* each)
{
	return Trace(static_cast<size_t>(count), each);
}

Trace withDraw(Trace trace)
{
	trace.push_back("d");
	return trace;
}
} // namespace

TEST_F(MainLoopTest, StepRules)
{
	struct SCase
	{
		const char* name;
		u32 frameInterval;
		u32 updateStep;
		u32 lastTick;
		u32 now;
		Trace events;
		u32 lastTickAfter;
		// The wait for messages that ends the pass: until the next frame is due.
		std::vector<u32> waits;
	};
	const SCase cases[] = {
		{"nothing due yet", 10, 10, 1000, 1009, {}, 1000, {1}},
		{"exactly one step", 10, 10, 1000, 1010, {"u10", "d"}, 1010, {10}},
		{"two steps, remainder kept", 10, 10, 1000, 1025, {"u10", "u10", "d"}, 1020, {5}},
		{"between interval and step", 5, 15, 1000, 1012, {"u12", "d"}, 1012, {5}},
		{"one whole step", 5, 15, 1000, 1015, {"u15", "d"}, 1015, {5}},
		{"two whole steps", 5, 15, 1000, 1031, {"u15", "u15", "d"}, 1030, {4}},
		{"remainder beyond the interval", 5, 15, 1000, 1044, {"u15", "u15", "d"}, 1030, {}},
		{"backlog beyond 200 ms dropped", 10, 10, 1000, 1250, {"u10", "d"}, 1250, {10}},
		{"exactly 200 ms kept", 10, 10, 1000, 1200, withDraw(updates(20, "u10")), 1200, {10}},
		{"clock behind the last tick", 10, 10, 1000, 990, {"u10", "d"}, 990, {10}},
		{"interval 1 never waits", 1, 10, 1000, 1000, {}, 1000, {}},
		{"interval 1, one millisecond", 1, 10, 1000, 1001, {"u1", "d"}, 1001, {}},
		{"step 0 counts as 1", 1, 0, 1000, 1003, {"u1", "u1", "u1", "d"}, 1003, {}},
		{"across the clock's wrap", 10, 10, 0xFFFFFFFBu, 5, {"u10", "d"}, 5, {10}},
		{"just before the wrap", 10, 10, 0xFFFFFFF0u, 0xFFFFFFF5u, {}, 0xFFFFFFF0u, {5}},
		{"due across the wrap", 10, 10, 0xFFFFFFF8u, 0xFFFFFFFEu, {}, 0xFFFFFFF8u, {4}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.name);
		device->setFrameInterval(c.frameInterval);
		device->setUpdateStep(c.updateStep);
		passAt(c.lastTick, c.now);
		EXPECT_EQ(c.events, trace);
		EXPECT_EQ(c.lastTickAfter, device->getLastTick());
		EXPECT_EQ(c.waits, clock->waits);
		EXPECT_TRUE(clock->sleeps.empty());
	}
}

TEST_F(MainLoopTest, BackgroundDrawsWithoutUpdatingAndTheClockStandsStill)
{
	device->setAppActive(false);
	passAt(1000, 1005);
	EXPECT_EQ(Trace({"d"}), trace);
	EXPECT_EQ(std::vector<u32>({200}), clock->waits);
	EXPECT_TRUE(device->getTimer()->isStopped());

	// Time in the background, waits included, does not reach the application.
	trace.clear();
	clock->now += 5000;
	CMainLoop(device.get()).runPass();
	EXPECT_EQ(Trace({"d"}), trace);
	EXPECT_EQ(1005u, device->getTimer()->getTime());

	device->setAppActive(true);
	trace.clear();
	clock->waits.clear();
	CMainLoop(device.get()).runPass();
	EXPECT_FALSE(device->getTimer()->isStopped());
	EXPECT_EQ(Trace({}), trace);
	// The wait runs until the step is due, 5 ms on.
	EXPECT_EQ(std::vector<u32>({5}), clock->waits);
	clock->now += 4;
	CMainLoop(device.get()).runPass();
	EXPECT_EQ(Trace({"u10", "d"}), trace);
	EXPECT_EQ(1010u, device->getLastTick());
	EXPECT_TRUE(clock->sleeps.empty());
}

// The whole loop on the stepped clock: it waits until the next step is due, and the recorder's
// actions stand for frames that take time.
TEST_F(MainLoopTest, RunTrace)
{
	int draws = 0;
	recorder->action = [&](CEvent* event)
	{
		if (event->getTypeId() != CEventSystemFlowDraw::TypeId)
			return;
		++draws;
		if (draws == 2)
			clock->now += 25; // a slow frame: two steps are due with the next, 5 ms remain
		else if (draws == 4)
			clock->now += 500; // a stall: the backlog is dropped but for one step
		else if (draws == 5)
			device->closeDevice();
	};
	const u64 start = clock->now;
	EXPECT_TRUE(device->run());
	EXPECT_FALSE(device->isRunning());
	EXPECT_EQ(Trace({"u10", "d", "u10", "d", "u10", "u10", "d", "u10", "d", "u10", "d"}), trace);
	// A wait of 10 ms before each of the first two steps, 5 after the slow frame (its remainder
	// counts), none after the slow frame itself and the stall, whose next step was already due.
	EXPECT_EQ(std::vector<u32>({10, 10, 5}), clock->waits);
	EXPECT_TRUE(clock->sleeps.empty());
	EXPECT_EQ(start + 25 + 25 + 500, clock->now);
}

TEST_F(MainLoopTest, CloseDuringUpdatesFinishesTheFrameWithoutDrawing)
{
	int updatesSeen = 0;
	recorder->action = [&](CEvent* event)
	{
		if (event->getTypeId() != CEventSystemFlowUpdate::TypeId)
			return;
		if (++updatesSeen == 1)
			clock->now += 100; // the next pass has ten steps due
		else if (updatesSeen == 3)
			device->closeDevice();
	};
	EXPECT_TRUE(device->run());
	// The first frame: one update and its draw; the second: all ten updates and no draw.
	Trace expected = withDraw(updates(1, "u10"));
	const Trace second = updates(10, "u10");
	expected.insert(expected.end(), second.begin(), second.end());
	EXPECT_EQ(expected, trace);
}

// Messages end the loop's waits at once and are handled before anything else; in the background
// they bring no extra draws, which stay 200 ms apart.
TEST(MainLoopWindow, MessagesEndWaitsWithoutExtraDraws)
{
	CRefHolder<CSteppedClock> clock = adoptRef(new CSteppedClock);
	CRefHolder<CWindowedTestDevice> device = adoptRef(new CWindowedTestDevice(clock.get()));
	Trace trace;
	CRefHolder<CRecorder> recorder = adoptRef(new CRecorder(trace));
	device->addEventReceiver(recorder.get(), 0);
	device->setFrameInterval(10);
	device->setUpdateStep(10);
	device->setRunning(true);
	CFakeWindow* window = device->window();
	CMainLoop loop(device.get());

	device->setAppActive(false);
	loop.runPass();
	EXPECT_EQ(Trace({"d"}), trace);
	EXPECT_EQ(std::vector<u32>({200}), clock->waits);
	trace.clear();
	clock->cutShort = 50;
	loop.runPass();
	EXPECT_EQ(Trace({"d"}), trace);
	EXPECT_EQ(std::vector<u32>({200, 50}), clock->waits);

	trace.clear();
	window->post(os::WM_MOUSEMOVE, 0, os::makeLParam(3, 4));
	loop.runPass(); // the message, without a wait
	loop.runPass(); // the rest of the 200 ms
	EXPECT_EQ(Trace({"e" + std::to_string(CEventInputMouseMove::TypeId)}), trace);
	EXPECT_EQ(std::vector<u32>({200, 50, 150}), clock->waits);
	trace.clear();
	loop.runPass();
	EXPECT_EQ(Trace({"d"}), trace);

	// In the foreground a message that waits ends the pass without a wait, as does one that a
	// receiver queued during the pass.
	device->setAppActive(true);
	device->setLastTick(device->getTimer()->getTime());
	clock->waits.clear();
	trace.clear();
	window->post(os::WM_KEYDOWN, 'A', 0);
	loop.runPass();
	EXPECT_TRUE(clock->waits.empty());
	loop.runPass(); // the clock starts again: the wait lasts a whole step
	EXPECT_EQ(std::vector<u32>({10}), clock->waits);
	recorder->action = [&](CEvent* event)
	{
		if (event->getTypeId() == CEventSystemFlowDraw::TypeId)
			window->post(os::WM_KEYUP, 'A', 0);
	};
	loop.runPass();
	loop.runPass();
	recorder->action = nullptr;
	EXPECT_EQ(std::vector<u32>({10}), clock->waits);
	EXPECT_EQ(Trace({"e" + std::to_string(CEventInputKeyDown::TypeId), "u10", "d",
				  "e" + std::to_string(CEventInputKeyUp::TypeId)}),
		trace);
	loop.runPass();
	EXPECT_EQ(std::vector<u32>({10, 10}), clock->waits);
	EXPECT_TRUE(clock->sleeps.empty());
}

namespace
{
os::IWindow* makeExternalWindow(const os::SWindowDescription&, os::WindowProcedure)
{
	CFakeWindow* window = new CFakeWindow;
	window->external = true;
	return window;
}
} // namespace

// The owner of an existing window calls run once for each of its own frames; the steps due by
// then are posted, however short each call.
TEST(MainLoopExternalWindow, EachRunIsOnePassAndTimeCarriesOverBetweenCalls)
{
	const CDeviceLinux::WindowMaker headless = CDeviceLinux::setWindowMaker(&makeExternalWindow);
	CRefHolder<CSteppedClock> clock = adoptRef(new CSteppedClock);
	SDeviceCreationParameters params;
	params.WindowHandle = reinterpret_cast<void*>(0x4200001);
	params.WindowSize = core::dimension2d<s32>(-1, -1);
	CRefHolder<CTestDevice> device = adoptRef(new CTestDevice(clock.get(), params));
	CDeviceLinux::setWindowMaker(headless);
	ASSERT_NE(nullptr, device->getWindow());
	ASSERT_TRUE(device->getWindow()->isExternal());

	Trace trace;
	CRefHolder<CRecorder> recorder = adoptRef(new CRecorder(trace));
	device->addEventReceiver(recorder.get(), 0);
	device->setFrameInterval(10);
	device->setUpdateStep(10);
	device->run();
	EXPECT_EQ(Trace({}), trace);
	for (int call = 0; call < 10; ++call)
	{
		clock->now += 4;
		EXPECT_TRUE(device->run());
	}
	// 40 ms in frames of 4: a step each time 10 ms have gathered, and the loop never waits.
	EXPECT_EQ(Trace({"u10", "d", "u10", "d", "u10", "d", "u10", "d"}), trace);
	EXPECT_TRUE(clock->sleeps.empty());
	EXPECT_TRUE(clock->waits.empty());
}
