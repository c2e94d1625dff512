#include "EventDescriber.h"
#include "FakeWindow.h"

#include "core/CEventInput.h"
#include "platform/CMainLoop.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace fw;
using namespace fw::devtest;
using namespace fw::os;

namespace
{
class WindowProcedureTest : public testing::Test
{
protected:
	void SetUp() override
	{
		clock = adoptRef(new CSteppedClock);
		device = adoptRef(new CWindowedTestDevice(clock.get()));
		describer = adoptRef(new CDescriber(trace));
		device->addEventReceiver(describer.get(), 0);
		window = device->window();
	}
	void TearDown() override
	{
		// The button counter is the process's: leave it as found.
		window->captured = false;
		window->send(WM_MOUSEMOVE, 0, 0);
	}

	Trace take()
	{
		Trace taken;
		taken.swap(trace);
		return taken;
	}

	CRefHolder<CSteppedClock> clock;
	CRefHolder<CWindowedTestDevice> device;
	CRefHolder<CDescriber> describer;
	CFakeWindow* window = nullptr;
	Trace trace;
};
} // namespace

TEST(DeviceEvents, TypeIdsCategoriesAndAncestry)
{
	struct SCase
	{
		CRefHolder<CEvent> event;
		s32 id;
		u32 category;
		std::vector<s32> types;
	};
	const SCase cases[] = {
		{adoptRef<CEvent>(new CEventSystemFlowActivate(true)), 17, 2, {17, 2, 0}},
		{adoptRef<CEvent>(new CEventSystemFlowAppActivate(false)), 18, 2, {18, 2, 0}},
		{adoptRef<CEvent>(new CEventSystemFlowCloseRequest), 19, 2, {19, 2, 0}},
		{adoptRef<CEvent>(new CEventSystemFlowDestroy), 20, 2, {20, 2, 0}},
		{adoptRef<CEvent>(new CEventInputKeyDown(L'a', 'A', false, false)), 32, 4, {32, 4, 3, 0}},
		{adoptRef<CEvent>(new CEventInputKeyUp(L'a', 'A', false, false)), 33, 4, {33, 4, 3, 0}},
		{adoptRef<CEvent>(new CEventInputMouseMove(1, 2)), 21, 8, {21, 5, 3, 0}},
		{adoptRef<CEvent>(new CEventInputMouseLeftDown(1, 2)), 22, 8, {22, 5, 3, 0}},
		{adoptRef<CEvent>(new CEventInputMouseRightDown(1, 2)), 23, 8, {23, 5, 3, 0}},
		{adoptRef<CEvent>(new CEventInputMouseMiddleDown(1, 2)), 24, 8, {24, 5, 3, 0}},
		{adoptRef<CEvent>(new CEventInputMouseLeftUp(1, 2)), 25, 8, {25, 5, 3, 0}},
		{adoptRef<CEvent>(new CEventInputMouseRightUp(1, 2)), 26, 8, {26, 5, 3, 0}},
		{adoptRef<CEvent>(new CEventInputMouseMiddleUp(1, 2)), 27, 8, {27, 5, 3, 0}},
		{adoptRef<CEvent>(new CEventInputMouseWheel(1, 2, 1.f)), 31, 8, {31, 5, 3, 0}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.id);
		EXPECT_EQ(c.id, c.event->getTypeId());
		EXPECT_EQ(c.category, c.event->getCategory());
		EXPECT_STREQ(L"#thisClassName", c.event->getClassName());
		for (s32 id = 0; id <= 40; ++id)
		{
			const bool expected = std::find(c.types.begin(), c.types.end(), id) != c.types.end();
			EXPECT_EQ(expected, c.event->isOfType(id)) << "type " << id;
		}
	}
}

TEST_F(WindowProcedureTest, KeysCarryTheirCharacterAndTheStateOfTheKeyDown)
{
	// Shift held while A goes down: shifted; Shift let go before A comes up: the key up still
	// carries the state read at the key down.
	window->pressKey(VK_SHIFT, true);
	EXPECT_EQ(0, window->send(WM_KEYDOWN, VK_SHIFT, 0));
	EXPECT_EQ(0, window->send(WM_KEYDOWN, 'A', 0));
	window->pressKey(VK_SHIFT, false);
	EXPECT_EQ(0, window->send(WM_KEYUP, 'A', 0));
	window->pressKey(VK_CONTROL, true);
	window->send(WM_KEYDOWN, VK_RETURN, 0);
	window->send(WM_KEYUP, VK_RETURN, 0);
	window->pressKey(VK_CONTROL, false);
	window->send(WM_KEYDOWN, 'B', 0);
	window->send(WM_KEYDOWN, VK_DELETE, 0);
	EXPECT_EQ(Trace({"down:16:0:S--", "down:65:65:S--", "up:65:65:S--", "down:13:13:-C-", "up:13:13:-C-",
				  "down:66:98:---", "down:46:0:---"}),
		take());
	// Characters and system keys are not reported; the default procedure sees them.
	window->send(WM_CHAR, 'b', 0);
	window->send(WM_SYSKEYDOWN, VK_F10, 0);
	EXPECT_EQ(Trace(), take());
	EXPECT_EQ(std::vector<u32>({WM_CHAR, WM_SYSKEYDOWN}), window->defaults);
}

TEST_F(WindowProcedureTest, ButtonsCaptureTheMouseUntilTheLastIsReleased)
{
	window->send(WM_LBUTTONDOWN, 0, makeLParam(10, 20));
	EXPECT_TRUE(window->captured);
	window->send(WM_RBUTTONDOWN, 0, makeLParam(11, 21));
	EXPECT_EQ(2, CWindowProcedure::getButtonsDown());
	// Dragged out to the left and above the window while captured.
	window->send(WM_MOUSEMOVE, 0, makeLParam(-5, -7));
	window->send(WM_RBUTTONUP, 0, makeLParam(-5, -7));
	EXPECT_TRUE(window->captured);
	window->send(WM_LBUTTONUP, 0, makeLParam(-30, 4));
	EXPECT_FALSE(window->captured);
	EXPECT_EQ(0, CWindowProcedure::getButtonsDown());
	window->send(WM_MBUTTONDOWN, 0, makeLParam(1, 1));
	window->send(WM_MBUTTONUP, 0, makeLParam(2, 2));
	EXPECT_EQ(Trace({"ldown@10,20", "rdown@11,21", "move@-5,-7", "rup@-5,-7", "lup@-30,4", "mdown@1,1", "mup@2,2"}),
		take());

	// A capture taken away while a button is down resets the counter: the next release frees
	// nothing it does not hold, and a later press counts from one.
	window->send(WM_LBUTTONDOWN, 0, 0);
	window->captured = false;
	window->send(WM_MOUSEMOVE, 0, 0);
	EXPECT_EQ(0, CWindowProcedure::getButtonsDown());
	window->send(WM_LBUTTONUP, 0, 0);
	EXPECT_EQ(0, CWindowProcedure::getButtonsDown());
}

TEST_F(WindowProcedureTest, WheelNotchesInClientPixels)
{
	struct SCase
	{
		s32 rotation;
		const char* expected;
	};
	const SCase cases[] = {{120, "wheel@20,30:1"}, {-120, "wheel@20,30:-1"}, {60, "wheel@20,30:0.5"},
		{-240, "wheel@20,30:-2"}};
	window->corner = core::position2d<s32>(100, 50);
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.rotation);
		window->send(WM_MOUSEWHEEL, makeWParam(0, static_cast<u32>(static_cast<u16>(c.rotation))), makeLParam(120, 80));
		EXPECT_EQ(Trace({c.expected}), take());
	}
	// In the background the wheel is not reported, nor are moves while minimised.
	device->setAppActive(false);
	window->send(WM_MOUSEWHEEL, makeWParam(0, 120), makeLParam(120, 80));
	window->send(WM_SIZE, SIZE_MINIMIZED, 0);
	window->send(WM_MOUSEMOVE, 0, makeLParam(1, 1));
	EXPECT_EQ(Trace(), take());
}

TEST_F(WindowProcedureTest, SizeMessagesSwitchTheLoopsModes)
{
	struct SCase
	{
		u32 sizeType;
		bool notMinimised;
		bool active;
		bool resized;
	};
	const SCase cases[] = {{SIZE_MINIMIZED, false, false, false}, {SIZE_RESTORED, true, true, true},
		{SIZE_MAXHIDE, false, false, false}, {SIZE_MAXIMIZED, true, true, true}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.sizeType);
		device->setResized(false);
		EXPECT_EQ(0, window->send(WM_SIZE, c.sizeType, makeLParam(640, 480)));
		EXPECT_EQ(c.notMinimised, device->isNotMinimised());
		EXPECT_EQ(c.active, device->isWindowActive());
		EXPECT_EQ(c.resized, device->isResized());
	}
	EXPECT_EQ(Trace(), take());
}

TEST_F(WindowProcedureTest, ActivationEvents)
{
	CLogLines log;
	window->send(WM_ACTIVATE, makeWParam(WA_ACTIVE, 0), 0);
	window->send(WM_ACTIVATE, makeWParam(WA_CLICKACTIVE, 1), 0); // active but minimised
	window->send(WM_ACTIVATE, makeWParam(WA_INACTIVE, 0), 0);
	window->send(WM_ACTIVATEAPP, 0, 0);
	EXPECT_FALSE(device->isWindowActive());
	window->send(WM_ACTIVATEAPP, 1, 0);
	EXPECT_TRUE(device->isWindowActive());
	EXPECT_EQ(Trace({"activate:1", "activate:0", "activate:0", "app:0", "app:1"}), take());
	EXPECT_TRUE(log.has(LOG_INFORMATION, "Application deactivated."));
	EXPECT_TRUE(log.has(LOG_INFORMATION, "Application activated."));
	EXPECT_EQ(0, window->minimizations);

	// Losing the foreground in full screen minimises the window.
	device->setFullScreen(true);
	window->send(WM_ACTIVATEAPP, 0, 0);
	EXPECT_EQ(1, window->minimizations);
}

TEST_F(WindowProcedureTest, CloseRequestTakenKeepsTheWindow)
{
	CLogLines log;
	describer->takeClose = true;
	EXPECT_EQ(0, window->send(WM_SYSCOMMAND, SC_CLOSE, 0));
	EXPECT_FALSE(window->destroyed);
	EXPECT_EQ(Trace({"close"}), take());
	EXPECT_TRUE(log.has(LOG_INFORMATION, "SC_CLOSE command received"));

	// Declined: the system closes the window, whose destruction posts the destroy event and the
	// quit message.
	describer->takeClose = false;
	window->send(WM_SYSCOMMAND, SC_CLOSE | 3, 0);
	EXPECT_TRUE(window->destroyed);
	EXPECT_EQ(Trace({"close", "destroy"}), take());
	ASSERT_EQ(1u, window->queue.size());
	EXPECT_EQ(WM_QUIT, window->queue.front().message);
	EXPECT_EQ(0u, window->queue.front().wParam);
	EXPECT_TRUE(log.has(LOG_INFORMATION, "WM_DESTROY command received"));
}

TEST_F(WindowProcedureTest, SystemCommandsAndHitTestsInFullScreenAndWindowed)
{
	struct SCase
	{
		u32 message;
		WParam wParam;
		bool fullScreen;
		LResult result;
		bool defaultCalled;
	};
	const SCase cases[] = {
		{WM_SYSCOMMAND, SC_MOVE, true, 1, false},
		{WM_SYSCOMMAND, SC_MOVE, false, 77, true},
		{WM_SYSCOMMAND, SC_SIZE, true, 1, false},
		{WM_SYSCOMMAND, SC_MAXIMIZE | 2, true, 1, false},
		{WM_SYSCOMMAND, SC_KEYMENU, false, 77, true},
		{WM_SYSCOMMAND, SC_SCREENSAVE, false, 0, false},
		{WM_SYSCOMMAND, SC_MONITORPOWER, true, 0, false},
		{WM_SYSCOMMAND, SC_MINIMIZE, true, 77, true},
		{WM_NCHITTEST, 0, true, HTCLIENT, false},
		{WM_NCHITTEST, 0, false, 77, true},
		{WM_ERASEBKGND, 0, false, 0, false},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(testing::Message() << c.message << " " << c.wParam << " full screen " << c.fullScreen);
		device->setFullScreen(c.fullScreen);
		window->defaults.clear();
		EXPECT_EQ(c.result, window->send(c.message, c.wParam, 0));
		EXPECT_EQ(c.defaultCalled, !window->defaults.empty());
	}
	EXPECT_EQ(Trace(), take());
	// Moving the window stops the clock.
	EXPECT_TRUE(device->getTimer()->isStopped());
}

TEST_F(WindowProcedureTest, PaintDrawsOnlyInTheBackgroundWindowed)
{
	window->send(WM_PAINT);
	device->setAppActive(false);
	window->send(WM_PAINT);
	device->setFullScreen(true);
	window->send(WM_PAINT);
	EXPECT_EQ(Trace({"d"}), take());
}

TEST_F(WindowProcedureTest, WindowsWithoutADeviceGetTheDefaultHandling)
{
	CRefHolder<CFakeWindow> stray = adoptRef(new CFakeWindow);
	EXPECT_EQ(77, stray->send(WM_LBUTTONDOWN, 0, 0));
	EXPECT_FALSE(stray->captured);
	EXPECT_EQ(Trace(), take());
}

TEST_F(WindowProcedureTest, LoopHandlesEveryMessageBeforeUpdating)
{
	device->setFrameInterval(10);
	device->setUpdateStep(10);
	window->post(WM_MOUSEMOVE, 0, makeLParam(3, 4));
	window->post(WM_KEYDOWN, 'A', 0);
	device->setRunning(true);
	device->setLastTick(device->getTimer()->getTime());
	clock->now += 10;
	CMainLoop loop(device.get());
	loop.runPass();
	loop.runPass();
	EXPECT_EQ(Trace({"move@3,4", "down:65:97:---"}), take());
	EXPECT_TRUE(clock->sleeps.empty());
	loop.runPass();
	EXPECT_EQ(Trace({"u10", "d"}), take());

	// Minimised: the loop waits for the next message and posts nothing.
	window->send(WM_SIZE, SIZE_MINIMIZED, 0);
	clock->now += 250;
	window->post(WM_SIZE, SIZE_RESTORED, makeLParam(800, 600));
	loop.runPass();
	EXPECT_EQ(1, window->waits);
	EXPECT_EQ(Trace(), take());
	EXPECT_TRUE(device->isNotMinimised());
	// Back: the time spent minimised is dropped but for one step.
	loop.runPass();
	EXPECT_EQ(Trace({"u10", "d"}), take());

	// A quit that comes while minimised ends the loop.
	window->send(WM_SIZE, SIZE_MINIMIZED, 0);
	window->postQuitMessage(0);
	loop.runPass();
	EXPECT_FALSE(device->isRunning());
}

TEST_F(WindowProcedureTest, CloseDeviceDestroysTheWindowAndTheLoopEnds)
{
	int draws = 0;
	describer->takeClose = false;
	Trace closerTrace;
	CRefHolder<CRecorder> closer = adoptRef(new CRecorder(closerTrace, "closer"));
	closer->action = [&](CEvent* event)
	{
		if (event->getTypeId() != CEventSystemFlowDraw::TypeId || ++draws != 2)
			return;
		window->postQuitMessage(5); // a quit already waiting does not count
		window->post(WM_MOUSEMOVE, 0, makeLParam(1, 2));
		device->closeDevice();
	};
	device->addEventReceiver(closer.get(), 5);
	device->setFrameInterval(10);
	device->setUpdateStep(10);
	EXPECT_TRUE(device->run());
	EXPECT_TRUE(window->destroyed);
	// The loop stopped at once; the destruction's quit and the move are still waiting.
	ASSERT_EQ(2u, window->queue.size());
	EXPECT_EQ(WM_MOUSEMOVE, window->queue.front().message);
	EXPECT_EQ(WM_QUIT, window->queue.back().message);
	EXPECT_EQ(0u, window->queue.back().wParam);
	const Trace seen = take();
	ASSERT_FALSE(seen.empty());
	EXPECT_EQ("destroy", seen.back());
	EXPECT_EQ(2, draws);
	device->removeEventReceiver(closer.get()); // its action refers to this test's locals
}

TEST_F(WindowProcedureTest, ResizeIsHandledByTheLoopForTheDriver)
{
	CLogLines log;
	device->setRunning(true);
	CMainLoop loop(device.get());

	device->setResizableFlag(true);
	window->clientSize = core::dimension2d<s32>(640, 400);
	window->post(WM_SIZE, SIZE_RESTORED, makeLParam(640, 400));
	loop.runPass(); // the message
	loop.runPass(); // the resize
	EXPECT_FALSE(device->isResized());
	EXPECT_TRUE(log.has(LOG_INFORMATION, "Resizing window (640 400)"));
	EXPECT_EQ(core::dimension2d<u32>(640, 400), device->getVideoDriver()->getScreenSize());

	// A window of fixed size is put back to the size asked for.
	device->setResizableFlag(false);
	device->setWindowSize(core::dimension2d<s32>(800, 600));
	window->clientSize = core::dimension2d<s32>(500, 300);
	window->post(WM_SIZE, SIZE_RESTORED, makeLParam(500, 300));
	loop.runPass();
	loop.runPass();
	EXPECT_EQ(core::dimension2d<s32>(800, 600), window->clientSize);
	EXPECT_EQ(core::dimension2d<u32>(800, 600), device->getVideoDriver()->getScreenSize());

	window->clientSize = core::dimension2d<s32>(1, 300);
	window->post(WM_SIZE, SIZE_RESTORED, makeLParam(1, 300));
	loop.runPass();
	loop.runPass();
	EXPECT_TRUE(log.has(LOG_INFORMATION, "Ignoring resize operation to (1 300)"));
	EXPECT_FALSE(device->isResized());
}
