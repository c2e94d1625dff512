#include "WindowTestSupport.h"

#include "ScreenSupport.h"
#include "content/ContentServices.h"
#include "platform/DeviceTestSupport.h"
#include "platform/os/Folders.h"

#include <IVideoModeList.h>
#include <X11/Xatom.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace fw;
using namespace fw::wintest;

namespace
{
class DisplayWindowTest : public WindowTest
{
protected:
	void TearDown() override
	{
		WindowTest::TearDown();
		// Whatever a failed test left, the next one finds the server's ramps as they were.
		if (!originalGamma.empty())
			putGammaBack();
	}

	void keepGamma() { originalGamma = gammaRamps(input); }
	void putGammaBack()
	{
		Display* display = XOpenDisplay(nullptr);
		XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
		const int size = static_cast<int>(originalGamma.size() / 3);
		XRRCrtcGamma* gamma = XRRAllocGamma(size);
		std::copy(originalGamma.begin(), originalGamma.begin() + size, gamma->red);
		std::copy(originalGamma.begin() + size, originalGamma.begin() + 2 * size, gamma->green);
		std::copy(originalGamma.begin() + 2 * size, originalGamma.end(), gamma->blue);
		XRRSetCrtcGamma(display, resources->crtcs[0], gamma);
		XRRFreeGamma(gamma);
		XRRFreeScreenResources(resources);
		XCloseDisplay(display);
	}

	SDeviceCreationParameters fullScreen(s32 width, s32 height) const
	{
		SDeviceCreationParameters params = openGLParameters();
		params.FullScreen = true;
		params.DesktopResolution = false;
		params.WindowSize = core::dimension2d<s32>(width, height);
		return params;
	}

	std::pair<int, int> screen() const { return currentScreenSize(input); }

	std::vector<unsigned short> originalGamma;
};

bool hasMode(const video::IVideoModeList* list, u32 width, u32 height, s32 depth)
{
	for (s32 i = 0; i < list->getVideoModeCount(); ++i)
		if (list->getVideoModeResolution(i) == core::dimension2d<u32>(width, height) &&
			list->getVideoModeDepth(i) == depth)
			return true;
	return false;
}
} // namespace

TEST_F(DisplayWindowTest, TheModeListHoldsEveryModeOfTheScreenAndTheDesktops)
{
	CExtraMode extra(input, 800, 600);
	ASSERT_TRUE(extra.isOffered());
	const std::pair<int, int> desktop = screen();
	const s32 depth = DefaultDepth(input, DefaultScreen(input));
	const video::IVideoModeList* list = device->getVideoModeList();
	EXPECT_EQ(2, list->getVideoModeCount());
	EXPECT_TRUE(hasMode(list, 800, 600, depth));
	EXPECT_TRUE(hasMode(list, static_cast<u32>(desktop.first), static_cast<u32>(desktop.second), depth));
	EXPECT_EQ(core::dimension2d<u32>(static_cast<u32>(desktop.first), static_cast<u32>(desktop.second)),
		list->getDesktopResolution());
	EXPECT_EQ(depth, list->getDesktopDepth());
}

TEST_F(DisplayWindowTest, FullScreenSwitchesTheModeAndTheDesktopsComesBackWheneverTheGameLeaves)
{
	CExtraMode extra(input, 800, 600);
	ASSERT_TRUE(extra.isOffered());
	const std::pair<int, int> desktop = extra.original();
	const std::pair<int, int> switched(800, 600);

	ASSERT_TRUE(device->reinitialize(fullScreen(800, 600)));
	EXPECT_EQ(switched, screen());
	EXPECT_TRUE(device->isFullscreen());
	EXPECT_EQ(core::dimension2d<s32>(800, 600), device->getCreationParameters().WindowSize);
	EXPECT_EQ(core::dimension2d<u32>(800, 600), device->getVideoDriver()->getScreenSize());

	// Another program takes the keyboard: the desktop's mode while the game is away, the game's
	// when it returns.
	const Window other = XCreateSimpleWindow(input, DefaultRootWindow(input), 0, 0, 100, 100, 0, 0, 0);
	XMapWindow(input, other);
	XSync(input, False);
	XSetInputFocus(input, other, RevertToParent, CurrentTime);
	XFlush(input);
	ASSERT_TRUE(pumpUntil([this] { return seen("app:0"); }));
	EXPECT_EQ(desktop, screen());
	XDestroyWindow(input, other);
	XMapRaised(input, window());
	XSync(input, False);
	XSetInputFocus(input, window(), RevertToParent, CurrentTime);
	XFlush(input);
	ASSERT_TRUE(pumpUntil([this] { return seen("app:1"); }));
	EXPECT_EQ(switched, screen());

	// Back to a window.
	ASSERT_TRUE(device->reinitialize(openGLParameters()));
	EXPECT_EQ(desktop, screen());
	EXPECT_FALSE(device->isFullscreen());

	// And at the end, from full screen.
	ASSERT_TRUE(device->reinitialize(fullScreen(800, 600)));
	EXPECT_EQ(switched, screen());
	describer.release();
	device.release();
	EXPECT_EQ(desktop, screen());
}

TEST_F(DisplayWindowTest, AModeTheScreenDoesNotOfferIsRefusedAndTheGameGoesOnAtTheDesktops)
{
	const std::pair<int, int> desktop = screen();
	devtest::CLogLines log;
	ASSERT_TRUE(device->reinitialize(fullScreen(640, 480)));
	EXPECT_TRUE(log.has(LOG_ERROR, "Switch to fullscreen: The graphics mode is not supported."));
	EXPECT_EQ(desktop, screen());
	EXPECT_TRUE(device->isFullscreen());
	EXPECT_EQ(core::dimension2d<s32>(desktop.first, desktop.second), device->getCreationParameters().WindowSize);
	trace.clear();
	ASSERT_TRUE(pumpUntil([this] { return seen("d"); }));
}

TEST_F(DisplayWindowTest, GammaRampsAreSetReadBackAndPutBackAtTheEnd)
{
	keepGamma();
	ASSERT_EQ(3u * 256, originalGamma.size()) << "the screen has no 256-entry gamma ramps";
	ASSERT_TRUE(device->setGammaRamp(2.f, 1.f, 0.5f, 0.f, 0.f));
	const std::vector<unsigned short> ramps = gammaRamps(input);
	ASSERT_EQ(originalGamma.size(), ramps.size());
	// Entry i is (i / 255) ^ (1 / gamma) of the full scale.
	EXPECT_EQ(static_cast<unsigned short>(std::trunc(std::pow(128 / 255.0, 0.5) * 65535 + 0.5)), ramps[128]);
	EXPECT_EQ(static_cast<unsigned short>(std::trunc(128 / 255.0 * 65535 + 0.5)), ramps[256 + 128]);
	EXPECT_EQ(static_cast<unsigned short>(std::trunc(std::pow(128 / 255.0, 2.0) * 65535 + 0.5)), ramps[512 + 128]);

	f32 red = 0.f, green = 0.f, blue = 0.f, brightness = 1.f, contrast = 1.f;
	ASSERT_TRUE(device->getGammaRamp(red, green, blue, brightness, contrast));
	EXPECT_NEAR(2.f, red, 0.05f);
	EXPECT_NEAR(1.f, green, 0.05f);
	EXPECT_NEAR(0.5f, blue, 0.05f);
	EXPECT_EQ(0.f, brightness);
	EXPECT_EQ(0.f, contrast);

	describer.release();
	device.release();
	EXPECT_EQ(originalGamma, gammaRamps(input));
}

namespace
{
// An X server of this test's own, without RandR; stopped with the object.
class CServerWithoutRandr
{
public:
	CServerWithoutRandr()
	{
		int pipeEnds[2];
		if (pipe(pipeEnds) != 0)
			return;
		const std::string descriptor = std::to_string(pipeEnds[1]);
		std::vector<std::string> arguments = {"Xvfb", "-displayfd", descriptor, "-extension", "RANDR", "-screen", "0",
			"1024x768x24", "-nolisten", "tcp"};
		std::vector<char*> argv;
		for (std::string& argument : arguments)
			argv.push_back(&argument[0]);
		argv.push_back(nullptr);
		posix_spawn_file_actions_t actions;
		posix_spawn_file_actions_init(&actions);
		posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
		// Neither output may hold the test's pipes open should the test die before the server.
		posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
		posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
		if (posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv.data(), environ) != 0)
			m_pid = -1;
		posix_spawn_file_actions_destroy(&actions);
		close(pipeEnds[1]);
		// The server writes its display number when it accepts connections.
		std::string number;
		const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
		while (m_pid > 0 && std::chrono::steady_clock::now() < end)
		{
			pollfd entry = {pipeEnds[0], POLLIN, 0};
			if (poll(&entry, 1, 100) <= 0)
				continue;
			char c;
			if (read(pipeEnds[0], &c, 1) != 1 || c == '\n')
				break;
			number += c;
		}
		close(pipeEnds[0]);
		if (!number.empty())
			m_display = ":" + number;
	}
	~CServerWithoutRandr()
	{
		if (m_pid > 0)
		{
			kill(m_pid, SIGTERM);
			waitpid(m_pid, nullptr, 0);
		}
	}

	const std::string& display() const { return m_display; }

private:
	pid_t m_pid = -1;
	std::string m_display;
};

// Runs the body in a child process and returns what it wrote to the pipe it gets; empty when it
// did not end within the deadline.
std::string runInChild(const std::function<std::string()>& body)
{
	int pipeEnds[2];
	if (pipe(pipeEnds) != 0)
		return "";
	const pid_t child = fork();
	if (child == 0)
	{
		close(pipeEnds[0]);
		const std::string report = body();
		const bool written = write(pipeEnds[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
		_exit(written ? 0 : 1);
	}
	close(pipeEnds[1]);
	std::string output;
	const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
	for (;;)
	{
		pollfd entry = {pipeEnds[0], POLLIN, 0};
		if (std::chrono::steady_clock::now() > end || poll(&entry, 1, 100) < 0)
		{
			kill(child, SIGKILL);
			output.clear();
			break;
		}
		if (!(entry.revents & (POLLIN | POLLHUP)))
			continue;
		char buffer[256];
		const ssize_t count = read(pipeEnds[0], buffer, sizeof(buffer));
		if (count <= 0)
			break;
		output.append(buffer, static_cast<size_t>(count));
	}
	close(pipeEnds[0]);
	waitpid(child, nullptr, 0);
	return output;
}

// What a device on the display named by $DISPLAY makes of its modes and gamma, and the lines
// it logs beside information.
std::string describeDevice()
{
	std::string out;
	devtest::CLogLines log;
	CRefHolder<CWindowDevice> device = adoptRef(new CWindowDevice(openGLParameters()));
	if (!device->getVideoDriver())
		return std::string("no driver\n");
	const video::IVideoModeList* modes = device->getVideoModeList();
	out += "modes " + std::to_string(modes->getVideoModeCount()) + " desktop " +
		std::to_string(modes->getDesktopResolution().Width) + "x" +
		std::to_string(modes->getDesktopResolution().Height) + "\n";
	log.lines.clear();
	out += std::string("gamma set ") + (device->setGammaRamp(2.f, 2.f, 2.f, 0.f, 0.f) ? "yes" : "no") + "\n";
	f32 r, g, b, brightness, contrast;
	out += std::string("gamma read ") + (device->getGammaRamp(r, g, b, brightness, contrast) ? "yes" : "no") + "\n";
	SDeviceCreationParameters params = openGLParameters();
	params.FullScreen = true;
	params.WindowSize = core::dimension2d<s32>(800, 600);
	out += std::string("full screen ") + (device->reinitialize(params) ? "yes" : "no") + " " +
		std::to_string(device->getCreationParameters().WindowSize.Width) + "x" +
		std::to_string(device->getCreationParameters().WindowSize.Height) + "\n";
	for (const devtest::SLogLine& line : log.lines)
		if (line.level != LOG_INFORMATION)
			out += line.text + "\n";
	return out;
}

const char* const WITHOUT_RANDR = "modes 1 desktop 1024x768\n"
								  "gamma set no\n"
								  "gamma read no\n"
								  "full screen yes 1024x768\n"
								  "The display has no gamma ramps: the gamma stays as it is.\n"
								  "Switch to fullscreen: The graphics mode is not supported.\n";

// Points $DISPLAY elsewhere for the life of the object.
class CDisplayVariable
{
public:
	explicit CDisplayVariable(const std::string& display)
	{
		const char* old = getenv("DISPLAY");
		m_had = old != nullptr;
		m_old = old ? old : "";
		setenv("DISPLAY", display.c_str(), 1);
	}
	~CDisplayVariable()
	{
		if (m_had)
			setenv("DISPLAY", m_old.c_str(), 1);
		else
			unsetenv("DISPLAY");
	}

private:
	bool m_had;
	std::string m_old;
};

bool hasGamma(CWindowDevice* device)
{
	f32 r, g, b, brightness, contrast;
	return device->getGammaRamp(r, g, b, brightness, contrast);
}
} // namespace

// Where the X server cannot change modes or gamma, each such call says so once and the game runs on.
TEST(DisplayWithoutRandr, ModesAndGammaAreRefusedWithOneLineEachAndTheGameGoesOn)
{
	CServerWithoutRandr server;
	ASSERT_FALSE(server.display().empty()) << "no second X server could be started";
	const std::string report = runInChild(
		[&]
		{
			setenv("DISPLAY", server.display().c_str(), 1);
			return describeDevice();
		});
	EXPECT_EQ(WITHOUT_RANDR, report);
}

// Modes and gamma are those of the display the device's window is on, even after a device of
// this process, or of the parent that forked it, asked another display for theirs.
TEST(DisplayWithoutRandr, EachDeviceAsksTheDisplayItsWindowIsOn)
{
	CServerWithoutRandr server;
	ASSERT_FALSE(server.display().empty()) << "no second X server could be started";
	{
		CRefHolder<CWindowDevice> first = adoptRef(new CWindowDevice(openGLParameters()));
		ASSERT_TRUE(first->getVideoDriver());
		ASSERT_TRUE(hasGamma(first.get())) << "the test's display has no gamma ramps";
	}
	EXPECT_EQ(WITHOUT_RANDR,
		runInChild(
			[&]
			{
				setenv("DISPLAY", server.display().c_str(), 1);
				return describeDevice();
			}))
		<< "in a forked child";
	{
		CDisplayVariable display(server.display());
		EXPECT_EQ(WITHOUT_RANDR, describeDevice()) << "in this process";
	}
	CRefHolder<CWindowDevice> back = adoptRef(new CWindowDevice(openGLParameters()));
	ASSERT_TRUE(back->getVideoDriver());
	EXPECT_TRUE(hasGamma(back.get())) << "back on the test's display";
}

namespace
{
void put16(std::string& out, u32 value)
{
	out += static_cast<char>(value & 0xFF);
	out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, u32 value)
{
	put16(out, value & 0xFFFF);
	put16(out, value >> 16);
}

// An icon file of one 32-bit image, 2 x 2: pixels top row first.
std::string twoByTwoIcon(const u32 (&pixels)[4])
{
	std::string image;
	put32(image, 40);
	put32(image, 2);
	put32(image, 4);
	put16(image, 1);
	put16(image, 32);
	for (int i = 0; i < 6; ++i)
		put32(image, 0);
	for (int row = 1; row >= 0; --row)
		for (int x = 0; x < 2; ++x)
			put32(image, pixels[row * 2 + x]);
	image += std::string(8, '\0'); // the mask, unused beside the alpha
	std::string file;
	put16(file, 0);
	put16(file, 1);
	put16(file, 1);
	file += std::string(4, '\0');
	put16(file, 1);
	put16(file, 32);
	put32(file, static_cast<u32>(image.size()));
	put32(file, 22);
	return file + image;
}

// The window's _NET_WM_ICON as 32-bit items; empty when it has none.
std::vector<unsigned long> iconProperty(Display* display, Window window)
{
	Atom type = 0;
	int format = 0;
	unsigned long count = 0;
	unsigned long after = 0;
	unsigned char* data = nullptr;
	std::vector<unsigned long> items;
	if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 16, False, XA_CARDINAL,
			&type, &format, &count, &after, &data) == Success &&
		data && format == 32)
	{
		// Xlib hands 32-bit items out as longs, sign-extended.
		const unsigned long* values = reinterpret_cast<const unsigned long*>(data);
		for (unsigned long i = 0; i < count; ++i)
			items.push_back(values[i] & 0xFFFFFFFFul);
	}
	if (data)
		XFree(data);
	return items;
}
} // namespace

// The program's icon, from the working directory when none lies beside the program, in a folder
// whose path holds dots and spaces.
TEST(WindowIcon, TheIconFileBecomesTheWindowsIconDecodedByTheImageManager)
{
	Display* display = os::openDisplay();
	ASSERT_NE(nullptr, display) << "no X display: run the window tests under xvfb-run";
	registerContentServices();
	char pattern[] = "/tmp/qb icon.XXXXXX";
	ASSERT_NE(nullptr, mkdtemp(pattern));
	const std::string folder = std::string(pattern) + "/my game.1";
	ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
	core::stringc previous;
	ASSERT_TRUE(os::getCurrentFolder(previous));

	for (bool withIcon : {true, false})
	{
		SCOPED_TRACE(withIcon ? "icon.ico" : "none");
		const u32 pixels[4] = {0xFFFF0000, 0x8000FF00, 0x00000000, 0xFF0000FF};
		if (withIcon)
		{
			std::ofstream(folder + "/icon.ico", std::ios::binary) << twoByTwoIcon(pixels);
		}
		else
			std::remove((folder + "/icon.ico").c_str());
		ASSERT_TRUE(os::setCurrentFolder(folder.c_str()));
		CRefHolder<CWindowDevice> device = adoptRef(new CWindowDevice(openGLParameters()));
		os::setCurrentFolder(previous);
		ASSERT_NE(nullptr, device->getWindow());
		XSync(display, False);
		const std::vector<unsigned long> icon = iconProperty(display, static_cast<Window>(device->getWindowId()));
		if (withIcon)
			EXPECT_EQ(std::vector<unsigned long>({2, 2, 0xFFFF0000, 0x8000FF00, 0x00000000, 0xFF0000FF}), icon);
		else
			EXPECT_TRUE(icon.empty());
	}
	std::remove((folder + "/icon.ico").c_str());
	rmdir(folder.c_str());
	rmdir(pattern);
	XCloseDisplay(display);
}
