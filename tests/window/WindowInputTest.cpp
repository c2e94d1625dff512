#include "WindowTestSupport.h"

#include "platform/ICursorControl.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace fw;
using namespace fw::wintest;

namespace
{
class WindowInputTest : public WindowTest
{
protected:
	void TearDown() override
	{
		if (spareKeycode && input)
		{
			KeySym none[2] = {NoSymbol, NoSymbol};
			XChangeKeyboardMapping(input, spareKeycode, 2, none, 1);
			XSync(input, False);
		}
		WindowTest::TearDown();
	}

	void key(KeySym keysym, bool press)
	{
		XTestFakeKeyEvent(input, XKeysymToKeycode(input, keysym), press ? True : False, CurrentTime);
		XFlush(input);
	}
	void tap(KeySym keysym)
	{
		key(keysym, true);
		key(keysym, false);
	}

	// Types a symbol the keyboard has no key for, on a key code that has no symbols.
	void typeUnmapped(KeySym keysym)
	{
		if (!spareKeycode)
		{
			int first = 0;
			int last = 0;
			XDisplayKeycodes(input, &first, &last);
			int perKeycode = 0;
			KeySym* map = XGetKeyboardMapping(input, static_cast<KeyCode>(first), last - first + 1, &perKeycode);
			for (int code = last; code >= first && !spareKeycode; --code)
			{
				bool empty = true;
				for (int i = 0; i < perKeycode; ++i)
					empty = empty && map[(code - first) * perKeycode + i] == NoSymbol;
				if (empty)
					spareKeycode = code;
			}
			XFree(map);
			ASSERT_NE(0, spareKeycode) << "no free key code";
		}
		KeySym symbols[2] = {keysym, keysym};
		XChangeKeyboardMapping(input, spareKeycode, 2, symbols, 1);
		XSync(input, False);
		XTestFakeKeyEvent(input, static_cast<unsigned>(spareKeycode), True, CurrentTime);
		XTestFakeKeyEvent(input, static_cast<unsigned>(spareKeycode), False, CurrentTime);
		XFlush(input);
	}

	void moveTo(s32 x, s32 y)
	{
		const core::position2d<s32> corner = origin();
		XTestFakeMotionEvent(input, -1, corner.X + x, corner.Y + y, CurrentTime);
		XFlush(input);
	}
	void button(unsigned number, bool press)
	{
		XTestFakeButtonEvent(input, number, press ? True : False, CurrentTime);
		XFlush(input);
	}

	bool waitForInputs(size_t count)
	{
		return pumpUntil([&] { return inputOnly().size() >= count; });
	}

	int spareKeycode = 0;
};
} // namespace

TEST_F(WindowInputTest, KeysArriveWithVirtualKeyCodesAndCharacters)
{
	const KeySym keys[] = {XK_Escape, XK_Return, XK_Left, XK_Up, XK_Right, XK_Down, XK_BackSpace, XK_Delete};
	for (KeySym keysym : keys)
		tap(keysym);
	ASSERT_TRUE(waitForInputs(16)) << testing::PrintToString(trace);
	EXPECT_EQ(Trace({"down:27:27:---", "up:27:27:---", "down:13:13:---", "up:13:13:---", "down:37:0:---", "up:37:0:---",
				  "down:38:0:---", "up:38:0:---", "down:39:0:---", "up:39:0:---", "down:40:0:---", "up:40:0:---",
				  "down:8:8:---", "up:8:8:---", "down:46:0:---", "up:46:0:---"}),
		inputOnly());
}

TEST_F(WindowInputTest, TypedCharactersIncludingShiftedAndNonAscii)
{
	tap(XK_a);
	key(XK_Shift_L, true);
	key(XK_b, true);
	key(XK_Shift_L, false);
	key(XK_b, false); // after Shift: still the state of its key down
	ASSERT_TRUE(waitForInputs(6));
	EXPECT_EQ(Trace(
				  {"down:65:97:---", "up:65:97:---", "down:16:0:S--", "down:66:66:S--", "up:16:0:S--", "up:66:66:S--"}),
		inputOnly());

	trace.clear();
	typeUnmapped(XK_eacute);
	ASSERT_TRUE(waitForInputs(2));
	typeUnmapped(XK_EuroSign);
	ASSERT_TRUE(waitForInputs(4));
	const Trace typed = inputOnly();
	ASSERT_EQ(4u, typed.size());
	EXPECT_NE(std::string::npos, typed[0].find(":233:")) << typed[0];
	EXPECT_EQ("down:", typed[0].substr(0, 5));
	EXPECT_NE(std::string::npos, typed[2].find(":8364:")) << typed[2];
}

TEST_F(WindowInputTest, ClicksAndWheelStepsInClientPixels)
{
	moveTo(100, 200);
	button(1, true);
	button(1, false);
	button(3, true);
	button(3, false);
	button(2, true);
	button(2, false);
	button(4, true);
	button(4, false);
	button(5, true);
	button(5, false);
	ASSERT_TRUE(waitForInputs(8));
	EXPECT_EQ(Trace({"ldown@100,200", "lup@100,200", "rdown@100,200", "rup@100,200", "mdown@100,200", "mup@100,200",
				  "wheel@100,200:1", "wheel@100,200:-1"}),
		inputOnly());
	EXPECT_TRUE(seen("move@100,200"));
}

TEST_F(WindowInputTest, TheMouseIsCapturedWhileAButtonIsHeld)
{
	ASSERT_GE(origin().X, 30) << "the screen is too small for the window to stand off its edge";
	moveTo(100, 200);
	button(1, true);
	ASSERT_TRUE(waitForInputs(1));
	EXPECT_TRUE(device->getWindow()->hasCapture());

	// Dragged out to the left of the window: still ours, with negative client pixels.
	moveTo(-30, 10);
	ASSERT_TRUE(pumpUntil([this] { return seen("move@-30,10"); }));
	button(1, false);
	ASSERT_TRUE(waitForInputs(2));
	EXPECT_EQ(Trace({"ldown@100,200", "lup@-30,10"}), inputOnly());
	EXPECT_FALSE(device->getWindow()->hasCapture());
}

TEST_F(WindowInputTest, FocusLossPausesTheLoopAndItsReturnResumesWithoutAJump)
{
	// Another program's window takes the keyboard.
	const Window other = XCreateSimpleWindow(input, DefaultRootWindow(input), 0, 0, 100, 100, 0, 0, 0);
	XSelectInput(input, other, StructureNotifyMask);
	XMapWindow(input, other);
	XEvent event;
	do
		XNextEvent(input, &event);
	while (event.type != MapNotify);
	XSetInputFocus(input, other, RevertToParent, CurrentTime);
	XFlush(input);
	ASSERT_TRUE(pumpUntil([this] { return seen("app:0"); }));
	EXPECT_EQ(Trace({"activate:0", "app:0"}), inputOnly());
	EXPECT_FALSE(device->isWindowActive());

	// In the background: draws only, and the clock stands still.
	trace.clear();
	ASSERT_TRUE(pumpUntil([this] { return trace.size() >= 2; }));
	EXPECT_EQ(Trace({"d", "d"}), trace);
	EXPECT_TRUE(device->getTimer()->isStopped());
	const u32 pausedAt = device->getTimer()->getTime();

	// Time the clock counted before it stopped but no update has carried yet: it may still come.
	const u32 owed = pausedAt - device->getLastTick();
	trace.clear();
	const auto returned = std::chrono::steady_clock::now();
	XSetInputFocus(input, window(), RevertToParent, CurrentTime);
	XFlush(input);
	ASSERT_TRUE(pumpUntil([this] { return seen("activate:1"); }));
	EXPECT_EQ(Trace({"app:1", "activate:1"}), inputOnly());
	EXPECT_EQ(pausedAt, device->getTimer()->getTime());
	trace.clear();
	ASSERT_TRUE(pumpUntil([this] { return seen("d"); }));
	// The game moved on by no more than the time since the return, however late the passes
	// came on a busy machine: the time away never reaches it.
	const u64 sinceReturn = static_cast<u64>(
		std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - returned).count());
	u64 gameTime = 0;
	for (const std::string& entry : trace)
	{
		if (entry == "d")
			break;
		ASSERT_EQ("u10", entry) << testing::PrintToString(trace);
		gameTime += 10;
	}
	EXPECT_GE(gameTime, 10u);
	EXPECT_LE(gameTime, sinceReturn + owed) << testing::PrintToString(trace);
	XDestroyWindow(input, other);
}

// The loop follows the cursor from the window's own pointer and crossing events, also when the
// pointer leaves the window, and when it comes back.
TEST_F(WindowInputTest, TheCursorFollowsThePointerInAndOutOfTheWindow)
{
	ASSERT_GE(origin().X, 30) << "the screen is too small for the window to stand off its edge";
	ICursorControl* cursor = device->getCursorControl();
	ASSERT_NE(nullptr, cursor);
	const core::position2d<s32> places[] = {{120, 80}, {-30, 10}, {5, 6}};
	for (const core::position2d<s32>& place : places)
	{
		moveTo(place.X, place.Y);
		EXPECT_TRUE(pumpUntil([&] { return cursor->getPosition() == place; }))
			<< place.X << "," << place.Y << " but " << cursor->getPosition().X << "," << cursor->getPosition().Y;
	}
}
