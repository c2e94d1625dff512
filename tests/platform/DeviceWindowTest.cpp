#include "FakeWindow.h"

#include "platform/CCursorControl.h"
#include "platform/CSingleInstanceGuard.h"
#include "platform/os/InstanceLock.h"
#include "platform/os/OpenUrl.h"

#include <IImage.h>
#include <IVideoDriver.h>

#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace fw;
using namespace fw::devtest;
using namespace fw::os;

namespace
{
// Sets an environment variable for a scope.
class CScopedEnvironment
{
public:
	CScopedEnvironment(const char* name, const std::string& value) : m_name(name)
	{
		const char* old = std::getenv(name);
		m_had = old != nullptr;
		if (old)
			m_old = old;
		setenv(name, value.c_str(), 1);
	}
	~CScopedEnvironment()
	{
		if (m_had)
			setenv(m_name.c_str(), m_old.c_str(), 1);
		else
			unsetenv(m_name.c_str());
	}

private:
	std::string m_name;
	std::string m_old;
	bool m_had = false;
};

// A fresh folder under the system's temporary folder, removed with its files at the end.
class CTemporaryFolder
{
public:
	CTemporaryFolder()
	{
		char pattern[] = "/tmp/qb-window-XXXXXX";
		path = mkdtemp(pattern);
	}
	~CTemporaryFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
	std::string path;
};

std::string readFile(const std::string& path)
{
	std::ifstream file(path);
	return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool waitForFile(const std::string& path)
{
	// A process started by the code under test writes it; bounded, and failing clearly.
	const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
	while (std::chrono::steady_clock::now() < end)
	{
		if (access(path.c_str(), R_OK) == 0 && !readFile(path).empty())
			return true;
		std::this_thread::sleep_for(std::chrono::milliseconds(5));
	}
	return false;
}
} // namespace

TEST(VirtualKeys, KeysByTheirSymbolOrPlace)
{
	struct SCase
	{
		u32 keysym;
		u32 keycode;
		u32 key;
	};
	const SCase cases[] = {
		{XK_Escape, 9, VK_ESCAPE},
		{XK_Return, 36, VK_RETURN},
		{XK_BackSpace, 22, VK_BACK},
		{XK_Delete, 119, VK_DELETE},
		{XK_Left, 113, VK_LEFT},
		{XK_Up, 111, VK_UP},
		{XK_Right, 114, VK_RIGHT},
		{XK_Down, 116, VK_DOWN},
		{XK_a, 38, 'A'},
		{XK_Z, 52, 'Z'},
		{XK_7, 16, '7'},
		{XK_F1, 67, VK_F1},
		{XK_F12, 96, VK_F1 + 11},
		{XK_KP_3, 89, VK_NUMPAD0 + 3},
		{XK_KP_End, 87, VK_END},
		{XK_Shift_L, 50, VK_LSHIFT},
		{XK_Control_R, 105, VK_RCONTROL},
		{XK_ISO_Level3_Shift, 108, VK_RMENU},
		{XK_comma, 59, VK_OEM_COMMA},
		{XK_space, 65, VK_SPACE},
		// A French keyboard's é sits on the key of 2; a symbol on no known key has no code.
		{XK_eacute, 11, '2'},
		{XK_eacute, 200, 0},
		{XK_less, 94, VK_OEM_102},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(testing::Message() << std::hex << c.keysym);
		EXPECT_EQ(c.key, virtualKeyOf(c.keysym, c.keycode));
	}
	EXPECT_EQ(VK_SHIFT, genericVirtualKey(VK_RSHIFT));
	EXPECT_EQ(VK_CONTROL, genericVirtualKey(VK_LCONTROL));
	EXPECT_EQ(VK_MENU, genericVirtualKey(VK_RMENU));
	EXPECT_EQ(u32('A'), genericVirtualKey('A'));
}

TEST(VirtualKeys, CharactersOfSymbols)
{
	struct SCase
	{
		u32 keysym;
		bool control;
		u32 character;
	};
	const SCase cases[] = {
		{XK_a, false, 'a'},
		{XK_A, false, 'A'},
		{XK_eacute, false, 0xE9},
		{XK_EuroSign, false, 0x20AC},
		{0x1000416, false, 0x416},
		{0x101F600, false, 0x1F600},
		{XK_Cyrillic_zhe, false, 0x436},
		{XK_Return, false, '\r'},
		{XK_KP_Enter, false, '\r'},
		{XK_BackSpace, false, '\b'},
		{XK_Tab, false, '\t'},
		{XK_Escape, false, 0x1B},
		{XK_Delete, false, 0},
		{XK_KP_Delete, false, 0},
		{XK_Left, false, 0},
		{XK_F5, false, 0},
		{XK_KP_7, false, '7'},
		{XK_a, true, 1},
		{XK_Z, true, 26},
		{XK_bracketleft, true, 0x1B},
		{XK_1, true, 0},
		{XK_space, true, ' '},
		{XK_Return, true, '\r'},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(testing::Message() << std::hex << c.keysym << " control " << c.control);
		EXPECT_EQ(c.character, characterOfKeysym(c.keysym, c.control));
	}
}

TEST(CursorControl, PositionsAreClientPixels)
{
	CRefHolder<CFakeWindow> window = adoptRef(new CFakeWindow);
	CRefHolder<CCursorControl> cursor = adoptRef(new CCursorControl(window.get()));
	EXPECT_TRUE(cursor->isVisible());
	EXPECT_TRUE(cursor->isFullScreen()); // until the device tells
	EXPECT_EQ(core::position2d<s32>(0, 0), cursor->getPosition());

	// At the client area's corner: 0, 0.
	window->cursor = window->corner;
	cursor->updatePosition();
	EXPECT_EQ(core::position2d<s32>(0, 0), cursor->getPosition());
	window->cursor = window->corner + core::position2d<s32>(-3, 17);
	cursor->updatePosition();
	EXPECT_EQ(core::position2d<s32>(-3, 17), cursor->getPosition());

	cursor->setPosition(40, 30);
	EXPECT_EQ(core::position2d<s32>(140, 80), window->cursor);
	EXPECT_EQ(core::position2d<s32>(40, 30), cursor->getPosition());

	// A window that cannot be measured: -1, -1 and no move.
	window->rectReadable = false;
	cursor->updatePosition();
	EXPECT_EQ(core::position2d<s32>(-1, -1), cursor->getPosition());
	window->cursorMoves.clear();
	cursor->setPosition(5, 6);
	EXPECT_TRUE(window->cursorMoves.empty());
	EXPECT_EQ(core::position2d<s32>(5, 6), cursor->getPosition());
}

TEST(CursorControl, HidingTwiceHidesOnceAndTheCursorStaysPut)
{
	CRefHolder<CFakeWindow> window = adoptRef(new CFakeWindow);
	CRefHolder<CCursorControl> cursor = adoptRef(new CCursorControl(window.get()));
	window->cursor = core::position2d<s32>(150, 90);
	cursor->setVisible(false);
	cursor->setVisible(false);
	EXPECT_FALSE(cursor->isVisible());
	cursor->setVisible(true);
	EXPECT_EQ(std::vector<bool>({false, true}), window->cursorShows);
	EXPECT_EQ(core::position2d<s32>(50, 40), cursor->getPosition());
	EXPECT_EQ(core::position2d<s32>(150, 90), window->cursor);
}

TEST(CursorControl, ImagesBecomeTheWindowsCursor)
{
	CRefHolder<CSteppedClock> clock = adoptRef(new CSteppedClock);
	CRefHolder<CWindowedTestDevice> device = adoptRef(new CWindowedTestDevice(clock.get()));
	CFakeWindow* window = device->window();
	ICursorControl* cursor = device->getCursorControl();
	ASSERT_NE(nullptr, cursor);

	CRefHolder<video::IImage> image =
		adoptRef(device->getVideoDriver()->createImage(video::ECF_A8R8G8B8, core::dimension2d<u32>(3, 2)));
	for (u32 i = 0; i < 6; ++i)
		image->setPixel(i % 3, i / 3, video::SColor(i * 40, 255, static_cast<u32>(i), 0));
	cursor->setCursorImage(image.get(), 2, 1);
	ASSERT_EQ(6u, window->cursorImage.size());
	EXPECT_EQ(core::dimension2d<s32>(3, 2), window->cursorImageSize);
	EXPECT_EQ(core::position2d<s32>(2, 1), window->hotSpot);
	EXPECT_EQ(video::SColor(200, 255, 5, 0).color, window->cursorImage[5]);

	// An image without pixels changes nothing; none gives the arrow back.
	CRefHolder<video::IImage> empty =
		adoptRef(device->getVideoDriver()->createImage(video::ECF_A8R8G8B8, core::dimension2d<u32>(0, 0)));
	cursor->setCursorImage(empty.get(), 0, 0);
	EXPECT_EQ(6u, window->cursorImage.size());
	EXPECT_EQ(0, window->defaultCursors);
	cursor->setCursorImage(nullptr, 0, 0);
	EXPECT_TRUE(window->cursorImage.empty());
	EXPECT_EQ(1, window->defaultCursors);
}

TEST(DeviceWindow, FullScreenTakesTheScreensSizeAndNeverNone)
{
	CRefHolder<CSteppedClock> clock = adoptRef(new CSteppedClock);
	CRefHolder<CWindowedTestDevice> device = adoptRef(new CWindowedTestDevice(clock.get()));
	CFakeWindow* window = device->window();

	// A screen that reports nothing: the size asked for stays, rather than a window of 0 by 0.
	window->screenSize = core::dimension2d<s32>(0, 0);
	SDeviceCreationParameters params;
	params.FullScreen = true;
	params.DesktopResolution = true;
	params.WindowSize = core::dimension2d<s32>(1024, 768);
	EXPECT_TRUE(device->reinitialize(params));
	EXPECT_EQ(core::dimension2d<s32>(1024, 768), device->getCreationParameters().WindowSize);
	EXPECT_EQ(0, device->getVideoModeList()->getVideoModeCount());

	window->screenSize = core::dimension2d<s32>(1280, 1024);
	EXPECT_TRUE(device->reinitialize(params));
	EXPECT_EQ(core::dimension2d<s32>(1280, 1024), device->getCreationParameters().WindowSize);
	EXPECT_EQ(core::dimension2d<u32>(1280, 1024), device->getVideoModeList()->getDesktopResolution());
	EXPECT_EQ(24, device->getVideoModeList()->getDesktopDepth());
	EXPECT_TRUE(window->fullScreen);
	EXPECT_EQ(core::position2d<s32>(0, 0), window->corner);
	EXPECT_EQ(reinterpret_cast<void*>(window->getId()), device->getCreationParameters().WindowHandle);

	// Leaving full screen centres the window on the screen.
	params.FullScreen = false;
	EXPECT_TRUE(device->reinitialize(params));
	EXPECT_FALSE(window->fullScreen);
	EXPECT_EQ(core::position2d<s32>(128, 128), window->corner);
	EXPECT_EQ(core::dimension2d<s32>(1024, 768), window->clientSize);
}

TEST(DeviceWindow, FullScreenSwitchesToAnOfferedModeAndTheDesktopsComesBack)
{
	CRefHolder<CSteppedClock> clock = adoptRef(new CSteppedClock);
	CRefHolder<CWindowedTestDevice> device = adoptRef(new CWindowedTestDevice(clock.get()));
	CRefHolder<CFakeWindow> window(device->window());
	window->modeSizes = {core::dimension2d<s32>(800, 600), core::dimension2d<s32>(1024, 768),
		core::dimension2d<s32>(1280, 1024)};
	EXPECT_EQ(3, device->getVideoModeList()->getVideoModeCount());

	// The switch itself, as the OpenGL driver's creation asks for it.
	struct SCase
	{
		core::dimension2d<s32> asked;
		bool switched;
		std::vector<core::dimension2d<s32>> switches; // by the end of the case
		int restores;                                 // by the end of the case
		core::dimension2d<s32> size;
	};
	const SCase cases[] = {
		{{1024, 768}, true, {{1024, 768}}, 0, {1024, 768}},
		// The desktop's own size needs no switch, and puts back what was switched before.
		{{1280, 1024}, true, {{1024, 768}}, 1, {1280, 1024}},
		// A size the screen does not offer: the window covers the screen at the desktop's mode.
		{{640, 480}, false, {{1024, 768}}, 1, {1280, 1024}},
		{{800, 600}, true, {{1024, 768}, {800, 600}}, 1, {800, 600}},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(testing::Message() << c.asked.Width << "x" << c.asked.Height);
		device->setWindowSize(c.asked);
		EXPECT_EQ(c.switched, device->switchFullScreen());
		EXPECT_EQ(c.switches, window->modeSwitches);
		EXPECT_EQ(c.restores, window->restores);
		EXPECT_EQ(c.size, device->getCreationParameters().WindowSize);
		EXPECT_TRUE(device->isFullscreen());
		EXPECT_TRUE(window->fullScreen);
	}

	const int restoresBefore = window->restores;
	SDeviceCreationParameters windowed;
	EXPECT_TRUE(device->reinitialize(windowed));
	EXPECT_EQ(restoresBefore + 1, window->restores);
	EXPECT_FALSE(window->fullScreen);

	// The end of the device puts back the mode and the gamma ramps.
	device.release();
	EXPECT_EQ(restoresBefore + 2, window->restores);
	EXPECT_EQ(1, window->gammaRestores);
}

TEST(DeviceWindow, GammaRampsFromGammaBrightnessAndContrastAndBack)
{
	CRefHolder<CSteppedClock> clock = adoptRef(new CSteppedClock);
	CRefHolder<CWindowedTestDevice> device = adoptRef(new CWindowedTestDevice(clock.get()));
	CFakeWindow* window = device->window();
	window->gammaSize = 256;

	struct SCase
	{
		f32 gamma;
		f32 brightness;
		f32 contrast;
		std::vector<std::pair<u32, u16>> entries; // index, value
		f32 readBack;
	};
	const SCase cases[] = {
		{1.f, 0.f, 0.f, {{0, 0}, {1, 257}, {128, 32896}, {255, 65535}}, 1.f},
		{2.f, 0.f, 0.f, {{0, 0}, {64, 32832}, {255, 65535}}, 2.f},
		{0.5f, 0.f, 0.f, {{128, 16513}, {255, 65535}}, 0.5f},
		// Brightness lifts every entry, to the ceiling at most.
		{1.f, 0.5f, 0.f, {{0, 8191}, {128, 41087}, {255, 65535}}, 0.f},
		// Contrast steepens the ramp: half way reaches the top.
		{1.f, 0.f, 1.f, {{64, 32896}, {128, 65535}, {255, 65535}}, 0.f},
		// A gamma not above 0 gives a flat ramp at the top; nothing reads back from it.
		{0.f, 0.f, 0.f, {{0, 65535}, {128, 65535}}, 1.f},
		// Contrast beyond the ramp's reach: no number turns into a colour.
		{1.f, 0.f, 2.f, {{0, 0}, {1, 65535}}, 0.f},
		{1.f, 0.f, 3.f, {{0, 0}, {1, 0}, {255, 0}}, 0.f},
	};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(testing::Message() << c.gamma << " " << c.brightness << " " << c.contrast);
		ASSERT_TRUE(device->setGammaRamp(c.gamma, c.gamma, c.gamma, c.brightness, c.contrast));
		ASSERT_EQ(256u, window->gammaRed.size());
		for (const std::pair<u32, u16>& entry : c.entries)
		{
			EXPECT_EQ(entry.second, window->gammaRed[entry.first]) << "entry " << entry.first;
			EXPECT_EQ(entry.second, window->gammaBlue[entry.first]) << "entry " << entry.first;
		}
		f32 red = 0.f, green = 0.f, blue = 0.f, brightness = 9.f, contrast = 9.f;
		ASSERT_TRUE(device->getGammaRamp(red, green, blue, brightness, contrast));
		// The reading takes entry j as j / 256 of the way: an estimate, close to the gamma set.
		if (c.readBack > 0.f)
		{
			EXPECT_NEAR(c.readBack, red, 0.05f);
			EXPECT_NEAR(c.readBack, blue, 0.05f);
		}
		EXPECT_EQ(0.f, brightness);
		EXPECT_EQ(0.f, contrast);
	}

	// A display without ramps, and a device without a window, refuse with one line.
	for (bool withWindow : {true, false})
	{
		SCOPED_TRACE(withWindow ? "no ramps" : "no window");
		CRefHolder<CTestDevice> other =
			withWindow ? CRefHolder<CTestDevice>(device.get()) : adoptRef(new CTestDevice(clock.get()));
		window->gammaSize = 0;
		CLogLines log;
		EXPECT_FALSE(other->setGammaRamp(1.f, 1.f, 1.f, 0.f, 0.f));
		ASSERT_EQ(1u, log.lines.size());
		EXPECT_TRUE(log.has(LOG_WARNING, "The display has no gamma ramps: the gamma stays as it is."));
		f32 red = 0.f, green = 0.f, blue = 0.f, brightness = 9.f, contrast = 9.f;
		EXPECT_FALSE(other->getGammaRamp(red, green, blue, brightness, contrast));
		EXPECT_EQ(0.f, brightness);
		EXPECT_EQ(0.f, contrast);
	}
}

TEST(DeviceWindow, CaptionAndResizable)
{
	CRefHolder<CSteppedClock> clock = adoptRef(new CSteppedClock);
	CRefHolder<CWindowedTestDevice> device = adoptRef(new CWindowedTestDevice(clock.get()));
	CFakeWindow* window = device->window();
	device->setWindowCaption(L"Quillbrook \u00e9");
	EXPECT_EQ(core::stringw(L"Quillbrook \u00e9"), window->caption);

	device->setResizable(true);
	EXPECT_TRUE(window->resizable);
	// In full screen nothing changes.
	device->setFullScreen(true);
	device->setResizable(false);
	EXPECT_TRUE(window->resizable);
}

TEST(OpenUrl, TheLinkIsOneArgumentAndNeverReachesAShell)
{
	CTemporaryFolder folder;
	const std::string output = folder.path + "/arguments";
	const std::string opener = folder.path + "/xdg-open";
	{
		std::ofstream script(opener);
		script << "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > '" << output << ".part'\nmv '" << output
			   << ".part' '" << output << "'\n";
	}
	chmod(opener.c_str(), 0700);
	CScopedEnvironment path("PATH", folder.path + ":/usr/bin:/bin");

	const std::string url = "https://example.org/a b?x=1&y=$(touch " + folder.path + "/pwned);`id`";
	ASSERT_TRUE(openUrl(url.c_str()));
	ASSERT_TRUE(waitForFile(output)) << "the opener did not run";
	EXPECT_EQ("[" + url + "]", readFile(output));
	EXPECT_NE(0, access((folder.path + "/pwned").c_str(), F_OK));

	// What cannot be a link, and an opener that is not there.
	EXPECT_FALSE(openUrl(nullptr));
	EXPECT_FALSE(openUrl(""));
	EXPECT_FALSE(openUrl("--help"));
	CScopedEnvironment noOpener("PATH", folder.path + "/none");
	CRefHolder<CSteppedClock> clock = adoptRef(new CSteppedClock);
	CRefHolder<CTestDevice> device = adoptRef(new CTestDevice(clock.get()));
	CLogLines log;
	EXPECT_FALSE(device->openURL("https://example.org/"));
	ASSERT_EQ(1u, log.lines.size());
	EXPECT_EQ(LOG_WARNING, log.lines[0].level);
	EXPECT_EQ("Unable to open URL", log.lines[0].text);
}

TEST(InstanceLock, OneHolderAndItsStoredWindow)
{
	CTemporaryFolder folder;
	CScopedEnvironment runtime("XDG_RUNTIME_DIR", folder.path);
	EXPECT_EQ(folder.path + "/Quillbrook Game Instance.lock",
		std::string(getInstanceLockPath("Quillbrook Game Instance").c_str()));
	EXPECT_EQ(folder.path + "/_etc_passwd.lock", std::string(getInstanceLockPath("/etc/passwd").c_str()));

	const core::stringc path = getInstanceLockPath("Test Instance");
	int first = -1;
	WindowId held = 99;
	ASSERT_EQ(INSTANCE_LOCK_TAKEN, lockInstance(path, first, held));
	EXPECT_EQ(0u, held);

	// Held, and no window stored yet: nothing to raise.
	int second = -1;
	EXPECT_EQ(INSTANCE_LOCK_HELD, lockInstance(path, second, held));
	EXPECT_EQ(-1, second);
	EXPECT_EQ(0u, held);
	EXPECT_TRUE(storeInstanceWindow(first, 0x2a00007));
	EXPECT_EQ(INSTANCE_LOCK_HELD, lockInstance(path, second, held));
	EXPECT_EQ(0x2a00007u, held);

	// The file is outside data: anything but a number and a line end is no window.
	const char* contents[] = {"12x\n", "99999999999999999999\n", "\n", "-5\n", "77"};
	for (const char* text : contents)
	{
		SCOPED_TRACE(text);
		ASSERT_EQ(0, ftruncate(first, 0));
		ASSERT_EQ(static_cast<ssize_t>(strlen(text)), pwrite(first, text, strlen(text), 0));
		EXPECT_EQ(INSTANCE_LOCK_HELD, lockInstance(path, second, held));
		EXPECT_EQ(0u, held);
	}

	// Released, the next one takes it and starts with no window.
	unlockInstance(first);
	int third = -1;
	EXPECT_EQ(INSTANCE_LOCK_TAKEN, lockInstance(path, third, held));
	EXPECT_EQ(0u, held);
	EXPECT_EQ("", readFile(path.c_str()));
	unlockInstance(third);

	// A link in its place is not followed.
	const std::string target = folder.path + "/target";
	const core::stringc linked = getInstanceLockPath("Linked");
	ASSERT_EQ(0, symlink(target.c_str(), linked.c_str()));
	EXPECT_EQ(INSTANCE_LOCK_UNAVAILABLE, lockInstance(linked, third, held));
	EXPECT_NE(0, access(target.c_str(), F_OK));
}

TEST(SingleInstanceGuard, ASecondGuardSeesTheFirstAndALockThatCannotBeMadeLetsTheProgramRun)
{
	CTemporaryFolder folder;
	{
		CScopedEnvironment runtime("XDG_RUNTIME_DIR", folder.path);
		CSingleInstanceGuard first("Guarded");
		EXPECT_FALSE(first.isAlreadyRunning());
		{
			CSingleInstanceGuard second("Guarded");
			EXPECT_TRUE(second.isAlreadyRunning());
		}
	}
	{
		CScopedEnvironment runtime("XDG_RUNTIME_DIR", folder.path + "/missing/folder");
		CLogLines log;
		CSingleInstanceGuard guard("Guarded");
		EXPECT_FALSE(guard.isAlreadyRunning());
		ASSERT_EQ(1u, log.lines.size());
		EXPECT_EQ(LOG_WARNING, log.lines[0].level);
		EXPECT_EQ("The single-instance lock cannot be made: a second copy of the program will not be noticed.",
			log.lines[0].text);
	}
}
