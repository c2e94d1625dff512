// The staged program itself under the X server: its window is found and read from outside, as a
// player sees it. The test focuses the window as a window manager would (the game's clock stands
// still while it is in the background), clicks with XTest and closes it with WM_DELETE_WINDOW.
//
// QB_E2E_PROGRAM in the environment names another build of the program (a sanitizer build).

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace
{
namespace fs = std::filesystem;

// Long enough for a start under a window on a machine busy with other work.
const std::chrono::seconds DEADLINE(60);

std::string programPath()
{
	const char* other = std::getenv("QB_E2E_PROGRAM");
	return other && *other ? other : QB_GAME_PROGRAM;
}

struct SRgb
{
	int r, g, b;
};

// The colours the test tells the screens apart by (the drawings' own colours, within a margin).
bool isLogoOrange(SRgb c)
{
	return c.r > 210 && c.g > 130 && c.g < 180 && c.b < 110;
}
bool isLogoBlue(SRgb c)
{
	return c.r < 90 && c.g > 95 && c.g < 150 && c.b > 190;
}
bool isIntroNavy(SRgb c)
{
	return c.r < 45 && c.g > 30 && c.g < 55 && c.b > 50 && c.b < 80;
}
bool isBarYellow(SRgb c)
{
	return c.r > 220 && c.g > 170 && c.g < 215 && c.b < 110;
}
// The cream paper of the menu's board and of the panels over it.
bool isPanelCream(SRgb c)
{
	return c.r > 240 && c.g > 225 && c.b > 190 && c.b < 235;
}

// A folder of the test's own holding the program and what it needs; removed with the object.
class CGameFolder
{
public:
	CGameFolder()
	{
		std::string pattern = (fs::temp_directory_path() / "qb e2e.XXXXXX").string();
		root = mkdtemp(&pattern[0]) ? pattern : std::string();
	}
	~CGameFolder()
	{
		std::error_code error;
		fs::remove_all(root, error);
	}
	CGameFolder(const CGameFolder&) = delete;
	CGameFolder& operator=(const CGameFolder&) = delete;

	std::string root;
};

class GameProgram : public ::testing::Test
{
protected:
	void SetUp() override
	{
		display = XOpenDisplay(nullptr);
		ASSERT_NE(nullptr, display) << "no X display: run the e2e tests under xvfb-run";
		ASSERT_FALSE(folder.root.empty());
		stage = folder.root + "/stage";
		fs::create_directories(stage + "/logos");
		fs::create_directories(folder.root + "/runtime");
		fs::permissions(folder.root + "/runtime", fs::perms::owner_all);
		const fs::path program = programPath();
		const fs::path staged = program.parent_path();
		// A copy of the program: it finds its files beside its own path, which a link would not move.
		fs::copy_file(program, stage + "/quillbrook");
		fs::copy_file(staged / "assets.oca", stage + "/assets.oca");
		// The window's icon; a build that staged none is caught where the icon is checked.
		std::error_code noIcon;
		fs::copy_file(staged / "icon.ico", stage + "/icon.ico", noIcon);
		fs::create_directory_symlink(staged / "assets", stage + "/assets");
		// The second logo stays until it is clicked: a file on disk beside the program comes before
		// the staged one.
		std::ofstream(stage + "/logos/Logos.xml") << "<?xml version=\"1.0\"?>\n<Logos>\n"
													 "\t<Logo Image=\"logos/Fennlark.png\" Time=\"1500\" />\n"
													 "\t<Logo Image=\"logos/Quillbrook.png\" Time=\"600000\" "
													 "Skippable=\"true\" />\n</Logos>\n";
	}

	void TearDown() override
	{
		for (pid_t pid : started)
			if (waitpid(pid, nullptr, WNOHANG) == 0)
			{
				kill(pid, SIGKILL);
				waitpid(pid, nullptr, 0);
			}
		if (display)
			XCloseDisplay(display);
	}

	// The environment's "NAME=value" entries in settings replace or add to the test's; a name
	// without "=" takes the variable away. With an output file, what the program prints goes there.
	pid_t start(const std::vector<std::string>& settings = {}, const std::string& output = "")
	{
		std::vector<std::string> own = {"XDG_DATA_HOME=" + folder.root + "/data",
			"XDG_STATE_HOME=" + folder.root + "/state", "XDG_RUNTIME_DIR=" + folder.root + "/runtime"};
		own.insert(own.end(), settings.begin(), settings.end());
		const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
		std::vector<std::string> environment;
		for (char** entry = environ; *entry; ++entry)
		{
			const std::string text = *entry;
			if (std::none_of(own.begin(), own.end(), [&](const std::string& o) { return nameOf(o) == nameOf(text); }))
				environment.push_back(text);
		}
		for (const std::string& entry : own)
			if (entry.find('=') != std::string::npos)
				environment.push_back(entry);
		std::vector<char*> envp;
		for (std::string& entry : environment)
			envp.push_back(&entry[0]);
		envp.push_back(nullptr);
		std::string path = stage + "/quillbrook";
		char* argv[] = {&path[0], nullptr};
		pid_t pid = -1;
		// Started from another folder than its own.
		posix_spawn_file_actions_t actions;
		posix_spawn_file_actions_init(&actions);
		if (!output.empty())
		{
			posix_spawn_file_actions_addopen(&actions, 2, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
			posix_spawn_file_actions_adddup2(&actions, 2, 1);
		}
		if (posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, envp.data()) != 0)
			pid = -1;
		posix_spawn_file_actions_destroy(&actions);
		if (pid > 0)
			started.push_back(pid);
		return pid;
	}

	// The exit status within the deadline; -1 while it still runs.
	int waitForExit(pid_t pid)
	{
		const auto end = std::chrono::steady_clock::now() + DEADLINE;
		int status = 0;
		while (std::chrono::steady_clock::now() < end)
		{
			const pid_t done = waitpid(pid, &status, WNOHANG);
			if (done == pid)
				return status;
			if (done < 0)
				return -1;
			poll(nullptr, 0, 20);
		}
		return -1;
	}

	// The game's top-level window: viewable, named "Quillbrook".
	Window findWindow()
	{
		Window root = 0, parent = 0, *children = nullptr;
		unsigned int count = 0;
		Window found = 0;
		if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
			return 0;
		for (unsigned int i = 0; i < count && !found; ++i)
		{
			char* name = nullptr;
			XWindowAttributes attributes;
			if (XFetchName(display, children[i], &name) && name && std::string(name) == "Quillbrook" &&
				XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
				found = children[i];
			if (name)
				XFree(name);
		}
		if (children)
			XFree(children);
		return found;
	}

	// Polls until the condition holds; false at the deadline.
	bool waitUntil(const std::function<bool()>& condition)
	{
		const auto end = std::chrono::steady_clock::now() + DEADLINE;
		while (std::chrono::steady_clock::now() < end)
		{
			if (condition())
				return true;
			poll(nullptr, 0, 20);
		}
		return false;
	}

	// Does the action, then waits a while for the condition before doing it again; false at the
	// deadline. On a busy machine a frame can take long: an input repeated at once would be taken
	// twice, one given while a scene still slides would be lost.
	bool retryUntil(const std::function<void()>& action, const std::function<bool()>& condition,
		std::chrono::milliseconds patience = std::chrono::milliseconds(1500))
	{
		const auto end = std::chrono::steady_clock::now() + DEADLINE;
		while (std::chrono::steady_clock::now() < end)
		{
			if (condition())
				return true;
			action();
			const auto next = std::min(end, std::chrono::steady_clock::now() + patience);
			while (std::chrono::steady_clock::now() < next)
			{
				if (condition())
					return true;
				poll(nullptr, 0, 20);
			}
		}
		return false;
	}

	SRgb pixel(Window window, int x, int y)
	{
		XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
		if (!image)
			return {-1, -1, -1};
		const unsigned long value = XGetPixel(image, 0, 0);
		XDestroyImage(image);
		return {static_cast<int>((value >> 16) & 0xFF), static_cast<int>((value >> 8) & 0xFF),
			static_cast<int>(value & 0xFF)};
	}

	// Where a point of the 1024 x 768 design screen lies in the window: the game keeps the design's
	// proportions and centres it between two black bars.
	bool toWindow(Window window, double x, double y, int& windowX, int& windowY)
	{
		XWindowAttributes attributes;
		if (!XGetWindowAttributes(display, window, &attributes))
			return false;
		const double scale = std::min(attributes.width / 1024.0, attributes.height / 768.0);
		windowX = static_cast<int>((attributes.width - 1024.0 * scale) / 2 + x * scale);
		windowY = static_cast<int>((attributes.height - 768.0 * scale) / 2 + y * scale);
		return true;
	}

	// A point of the design screen in the window, however the game fitted it.
	SRgb designPixel(Window window, int x, int y)
	{
		int windowX = 0, windowY = 0;
		if (!toWindow(window, x, y, windowX, windowY))
			return {-1, -1, -1};
		return pixel(window, windowX, windowY);
	}

	void focus(Window window)
	{
		XRaiseWindow(display, window);
		XSetInputFocus(display, window, RevertToParent, CurrentTime);
		XSync(display, False);
	}

	void click(Window window, int x, int y)
	{
		int windowX = 0, windowY = 0;
		toWindow(window, x, y, windowX, windowY);
		int rootX = 0, rootY = 0;
		Window child;
		XTranslateCoordinates(display, window, DefaultRootWindow(display), windowX, windowY, &rootX, &rootY, &child);
		XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
		XTestFakeButtonEvent(display, 1, True, CurrentTime);
		XTestFakeButtonEvent(display, 1, False, CurrentTime);
		XSync(display, False);
	}

	void closeWindow(Window window)
	{
		XEvent event = {};
		event.xclient.type = ClientMessage;
		event.xclient.window = window;
		event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
		event.xclient.format = 32;
		event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
		event.xclient.data.l[1] = CurrentTime;
		XSendEvent(display, window, False, NoEventMask, &event);
		XSync(display, False);
	}

	void pressKey(KeySym key)
	{
		const KeyCode code = XKeysymToKeycode(display, key);
		XTestFakeKeyEvent(display, code, True, CurrentTime);
		XTestFakeKeyEvent(display, code, False, CurrentTime);
		XSync(display, False);
	}

	// The pixels of a rectangle of the design screen, as the window shows them.
	std::vector<unsigned long> designArea(Window window, int x, int y, int width, int height)
	{
		std::vector<unsigned long> pixels;
		int left = 0, top = 0, right = 0, bottom = 0;
		if (!toWindow(window, x, y, left, top) || !toWindow(window, x + width, y + height, right, bottom))
			return pixels;
		const int w = right - left, h = bottom - top;
		XImage* image = XGetImage(display, window, left, top, w, h, AllPlanes, ZPixmap);
		if (!image)
			return pixels;
		for (int row = 0; row < h; ++row)
			for (int column = 0; column < w; ++column)
				pixels.push_back(XGetPixel(image, column, row));
		XDestroyImage(image);
		return pixels;
	}

	// The run a player makes: logos, a click on the skippable one, the start-up bar, the menu.
	void playThrough(Window& window)
	{
		ASSERT_TRUE(waitUntil([&] { return (window = findWindow()) != 0; })) << "no window";
		focus(window);
		// A point inside both logos' marks, and one of the background.
		ASSERT_TRUE(waitUntil([&] { return isLogoOrange(designPixel(window, 512, 284)); })) << "first logo";
		ASSERT_TRUE(waitUntil([&] { return isLogoBlue(designPixel(window, 512, 284)); })) << "second logo";
		// Shown for ten minutes unless clicked.
		click(window, 512, 384);
		ASSERT_TRUE(waitUntil([&] { return isIntroNavy(designPixel(window, 40, 40)); })) << "the start-up scene";
		ASSERT_TRUE(waitUntil([&] { return isBarYellow(designPixel(window, 216, 574)); })) << "the bar moving";
		// The menu, under the player list and the name entry at a first start.
		ASSERT_TRUE(waitUntil([&] { return !isIntroNavy(designPixel(window, 40, 40)); })) << "the next scene";
	}

	// The sides of the square images in the window's _NET_WM_ICON, in order; empty without one.
	std::vector<unsigned long> iconSizes(Window window)
	{
		Atom type = 0;
		int format = 0;
		unsigned long count = 0, after = 0;
		unsigned char* data = nullptr;
		std::vector<unsigned long> sides;
		if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 20, False,
				XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
			data && format == 32)
		{
			// Width, height, then the pixels; Xlib hands 32-bit items out as longs.
			const unsigned long* items = reinterpret_cast<const unsigned long*>(data);
			for (unsigned long at = 0; at + 2 <= count;)
			{
				const unsigned long width = items[at] & 0xFFFFFFFFul, height = items[at + 1] & 0xFFFFFFFFul;
				if (width != height || width == 0 || width * height > count - at - 2)
				{
					sides.push_back(0);
					break;
				}
				sides.push_back(width);
				at += 2 + width * height;
			}
		}
		if (data)
			XFree(data);
		return sides;
	}

	// The lines the program printed: only its own ("quillbrook: ..."), or all of them.
	static std::vector<std::string> printed(const std::string& path, bool ownOnly)
	{
		std::ifstream in(path);
		std::vector<std::string> lines;
		for (std::string line; std::getline(in, line);)
			if (!ownOnly || line.compare(0, 12, "quillbrook: ") == 0)
				lines.push_back(line);
		return lines;
	}

	Display* display = nullptr;
	CGameFolder folder;
	std::string stage;
	std::vector<pid_t> started;
};

TEST_F(GameProgram, StartsShowsItsScenesKeepsOneInstanceAndClosesWithZero)
{
	const pid_t first = start();
	ASSERT_GT(first, 0);
	Window window = 0;
	playThrough(window);
	if (HasFatalFailure())
		return;

	// The window wears the program's icon, every size of it.
	EXPECT_EQ((std::vector<unsigned long>{256, 48, 32, 16}), iconSizes(window));

	// Something else has the keyboard; a second start raises the first and ends at once.
	XSetInputFocus(display, PointerRoot, RevertToParent, CurrentTime);
	XSync(display, False);
	const pid_t second = start();
	ASSERT_GT(second, 0);
	const int secondStatus = waitForExit(second);
	ASSERT_TRUE(WIFEXITED(secondStatus)) << "the second start did not end";
	EXPECT_EQ(0, WEXITSTATUS(secondStatus));
	Window focused = 0;
	int revert = 0;
	ASSERT_TRUE(waitUntil(
		[&]
		{
			XGetInputFocus(display, &focused, &revert);
			return focused == window;
		}))
		<< "the first window was not raised";

	closeWindow(window);
	const int status = waitForExit(first);
	ASSERT_TRUE(WIFEXITED(status)) << "the game did not end when its window was closed";
	EXPECT_EQ(0, WEXITSTATUS(status));
	// The profile folder was made under the publisher's and the title's names.
	EXPECT_TRUE(fs::is_directory(folder.root + "/data/Fennlark/Quillbrook"));
}

TEST_F(GameProgram, RunsFromTheArchiveAlone)
{
	fs::remove(stage + "/assets");
	const pid_t game = start();
	ASSERT_GT(game, 0);
	Window window = 0;
	playThrough(window);
	if (HasFatalFailure())
		return;
	closeWindow(window);
	const int status = waitForExit(game);
	ASSERT_TRUE(WIFEXITED(status));
	EXPECT_EQ(0, WEXITSTATUS(status));
}

TEST_F(GameProgram, WithoutADisplayItSaysSoAndEndsWithOne)
{
	const std::string output = folder.root + "/printed.txt";
	const pid_t game = start({"DISPLAY", "ALSOFT_DRIVERS=null"}, output);
	ASSERT_GT(game, 0);
	const int status = waitForExit(game);
	ASSERT_TRUE(WIFEXITED(status)) << "a game without a window must not run on unseen";
	EXPECT_EQ(1, WEXITSTATUS(status));
	EXPECT_EQ((std::vector<std::string>{
				  "quillbrook: error: Can't open the X display: DISPLAY is not set, so no window can be made.",
				  "quillbrook: error: Could not create OpenGL driver: there is no window to draw into",
				  "quillbrook: error: Failed to initialize game",
			  }),
		printed(output, true));
}

// No sound card: ALSA finds none for the default device (a configuration of the test's own, so
// that the machine's sound cards do not matter). The game says once that it runs without sound;
// the libraries' own lines show only when the player asks OpenAL Soft for a log level. (Without
// a display the start ends there, which is all this needs.)
TEST_F(GameProgram, WithoutASoundCardItSaysSoOnceAndTheLibrariesKeepQuiet)
{
	const std::string alsa = folder.root + "/asound.conf";
	std::ofstream(alsa) << "pcm.!default { type hw card \"QbNoSuchCard\" }\n";
	const struct
	{
		const char* logLevel;
		bool libraryLines;
	} cases[] = {{"ALSOFT_LOGLEVEL", false}, {"ALSOFT_LOGLEVEL=1", true}};
	for (const auto& c : cases)
	{
		SCOPED_TRACE(c.logLevel);
		const std::string output = folder.root + "/printed.txt";
		const pid_t game =
			start({"DISPLAY", "ALSOFT_DRIVERS=alsa", "ALSOFT_LOGFILE", "ALSA_CONFIG_PATH=" + alsa, c.logLevel}, output);
		ASSERT_GT(game, 0);
		const int status = waitForExit(game);
		ASSERT_TRUE(WIFEXITED(status));
		EXPECT_EQ(1, WEXITSTATUS(status));
		const std::vector<std::string> all = printed(output, false);
		std::vector<std::string> sound, library;
		for (const std::string& line : all)
		{
			if (line.compare(0, 12, "quillbrook: ") == 0 &&
				(line.find("sound") != std::string::npos || line.find("audio") != std::string::npos ||
					line.find("Audio") != std::string::npos))
				sound.push_back(line);
			if (line.compare(0, 7, "AL lib:") == 0 || line.compare(0, 8, "ALSA lib") == 0)
				library.push_back(line);
		}
		EXPECT_EQ(std::vector<std::string>{"quillbrook: No sound device could be opened: the game runs without sound."},
			sound);
		EXPECT_EQ(c.libraryLines, !library.empty()) << library.size() << " lines of the libraries";
	}
}
} // namespace

namespace
{
// The 16-bit samples of a WAV file written by OpenAL Soft's wave backend; empty when unreadable.
std::vector<short> waveSamples(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
	std::vector<short> samples;
	if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
		return samples;
	size_t at = 12;
	while (at + 8 <= bytes.size())
	{
		const unsigned size = static_cast<unsigned char>(bytes[at + 4]) |
			static_cast<unsigned char>(bytes[at + 5]) << 8 | static_cast<unsigned char>(bytes[at + 6]) << 16 |
			static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 7])) << 24;
		if (bytes.compare(at, 4, "data") == 0)
		{
			// A file cut short (or sized 0 while written) keeps what is there.
			const size_t end = std::min(bytes.size(), size ? at + 8 + size : bytes.size());
			for (size_t i = at + 8; i + 1 < end; i += 2)
				samples.push_back(static_cast<short>(static_cast<unsigned char>(bytes[i]) | bytes[i + 1] << 8));
			return samples;
		}
		at += 8 + size + (size & 1);
	}
	return samples;
}

class MenuProgram : public GameProgram
{
protected:
	void SetUp() override
	{
		GameProgram::SetUp();
		// A player who has been here before: the menu greets Ann, with no first-start dialogs.
		fs::create_directories(folder.root + "/data/Fennlark/Quillbrook");
		std::ofstream(folder.root + "/data/Fennlark/Quillbrook/profile.dat")
			<< "<?xml version=\"1.0\"?>\n<Profiles>\n\t<CommonProfile>\n\t\t<Properties />\n\t</CommonProfile>\n"
			   "\t<Profile Name=\"Ann\" Active=\"true\">\n\t\t<Properties />\n\t</Profile>\n</Profiles>\n";
		// What the game mixes goes into a file.
		wave = folder.root + "/out.wav";
		const std::string conf = folder.root + "/alsoft.conf";
		std::ofstream(conf) << "[general]\nfrequency = 22050\nchannels = stereo\nsample-type = int16\n"
							   "hrtf = false\n[wave]\nfile = "
							<< wave << "\n";
		const char* drivers = std::getenv("ALSOFT_DRIVERS");
		savedDrivers = drivers ? drivers : "";
		hadDrivers = drivers != nullptr;
		setenv("ALSOFT_CONF", conf.c_str(), 1);
		setenv("ALSOFT_DRIVERS", "wave", 1);
	}
	void TearDown() override
	{
		unsetenv("ALSOFT_CONF");
		if (hadDrivers)
			setenv("ALSOFT_DRIVERS", savedDrivers.c_str(), 1);
		else
			unsetenv("ALSOFT_DRIVERS");
		GameProgram::TearDown();
	}

	// Escape, again now and then while a scene's transition may still hold the keys back, until the
	// condition holds; false at the deadline.
	bool closeWithEscape(Window, const std::function<bool()>& closed)
	{
		int polls = 0;
		return waitUntil(
			[&]
			{
				if (polls++ % 25 == 0)
					pressKey(XK_Escape);
				return closed();
			});
	}

	bool panelOver(Window window) { return isPanelCream(designPixel(window, 300, 400)); }

	std::string wave;
	std::string savedDrivers;
	bool hadDrivers = false;
};
} // namespace

TEST_F(MenuProgram, TheMenuLivesOpensItsScenesAndQuitsWithZeroAfterAsking)
{
	const pid_t game = start();
	ASSERT_GT(game, 0);
	Window window = 0;
	playThrough(window);
	if (HasFatalFailure())
		return;

	// The board has slid all the way in.
	ASSERT_TRUE(waitUntil([&] { return isPanelCream(designPixel(window, 676, 590)); })) << "the board in place";

	// The street moves between frames.
	const std::vector<unsigned long> street = designArea(window, 0, 680, 1024, 88);
	ASSERT_FALSE(street.empty());
	EXPECT_TRUE(waitUntil([&] { return designArea(window, 0, 680, 1024, 88) != street; })) << "a still street";

	// Credits and achievements slide over the menu and close with Escape.
	const struct
	{
		int x, y;
		const char* scene;
	} overlays[] = {{820, 476, "credits"}, {820, 406, "achievements"}};
	for (const auto& overlay : overlays)
	{
		ASSERT_FALSE(panelOver(window));
		// Clicks count once the menu's own transition has ended: the board all the way in.
		ASSERT_TRUE(waitUntil([&] { return isPanelCream(designPixel(window, 676, 590)); }));
		ASSERT_TRUE(retryUntil([&] { click(window, overlay.x, overlay.y); }, [&] { return panelOver(window); },
			std::chrono::milliseconds(3000)))
			<< overlay.scene << " did not open";
		// Keys count once the overlay's entrance has ended; the board's far edge arrives last.
		ASSERT_TRUE(waitUntil([&] { return isPanelCream(designPixel(window, 130, 400)); }));
		EXPECT_TRUE(
			closeWithEscape(window, [&] { return !panelOver(window) && isPanelCream(designPixel(window, 820, 590)); }))
			<< overlay.scene << " did not close";
	}

	// Quitting asks first; Escape keeps the game, "Yes" ends it with 0.
	ASSERT_TRUE(waitUntil([&] { return isPanelCream(designPixel(window, 676, 590)); }));
	ASSERT_TRUE(retryUntil([&] { click(window, 820, 546); },
		[&] { return isPanelCream(designPixel(window, 400, 480)); }, std::chrono::milliseconds(3000)))
		<< "no quit confirmation";
	ASSERT_TRUE(closeWithEscape(window, [&] { return !isPanelCream(designPixel(window, 400, 480)); }))
		<< "Escape did not close it";
	EXPECT_EQ(0, waitpid(game, nullptr, WNOHANG)) << "still running";
	ASSERT_TRUE(waitUntil([&] { return isPanelCream(designPixel(window, 676, 590)); }));
	ASSERT_TRUE(retryUntil([&] { click(window, 820, 546); },
		[&] { return isPanelCream(designPixel(window, 400, 480)); }, std::chrono::milliseconds(3000)));
	// "Yes" again only while the game still runs after a long while (a click lost to the entrance).
	int status = 0;
	const bool ended = retryUntil([&] { click(window, 412, 440); },
		[&] { return waitpid(game, &status, WNOHANG) == game; }, std::chrono::milliseconds(5000));
	ASSERT_TRUE(ended) << "the game did not end on Yes";
	ASSERT_TRUE(WIFEXITED(status)) << "the game did not end on Yes";
	EXPECT_EQ(0, WEXITSTATUS(status));

	// The menu music sounded: the mixed file is not silent.
	const std::vector<short> samples = waveSamples(wave);
	ASSERT_GT(samples.size(), 22050u) << "less than half a second mixed";
	int loudest = 0;
	for (short sample : samples)
		loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
	EXPECT_GT(loudest, 1000) << "silence in " << wave;
}

namespace
{
bool isFieldWhite(SRgb c)
{
	return c.r > 248 && c.g > 248 && c.b > 248;
}
bool isSwitchRed(SRgb c)
{
	return c.r > 170 && c.g < 140 && c.b < 130;
}
bool isSwitchGreen(SRgb c)
{
	return c.g > 130 && c.r < 150 && c.b < 130 && c.g > c.r + 30;
}

// Design points of the player list, the name entry and the options, as their scene files lay them.
const int NAME_FIELD_X = 512, NAME_FIELD_Y = 364;
const int NAME_OK_X = 412, NAME_OK_Y = 450;
const int LIST_PANEL_X = 250, LIST_PANEL_Y = 70;
const int LIST_PLAY_X = 512, LIST_PLAY_Y = 626;
const int LIST_NEW_X = 336, LIST_NEW_Y = 626;
const int LIST_ROWS_X = 322, LIST_ROWS_Y = 124;
const int MENU_OPTIONS_X = 820, MENU_OPTIONS_Y = 336;
const int MENU_PANEL_X = 700, MENU_PANEL_Y = 200;
const int OPTIONS_PANEL_X = 260, OPTIONS_PANEL_Y = 130;
const int SOUND_SWITCH_X = 630, SOUND_SWITCH_Y = 353;
const int MUSIC_SLIDER_X = 560, MUSIC_SLIDER_Y = 284;
const int OPTIONS_BACK_X = 512, OPTIONS_BACK_Y = 606;

class PlayersProgram : public GameProgram
{
protected:
	bool areOptionsShown(Window window)
	{
		const SRgb c = designPixel(window, SOUND_SWITCH_X, SOUND_SWITCH_Y);
		return isSwitchGreen(c) || isSwitchRed(c);
	}
	// Once the menu stands still (its panel free of any shade), a click on its Options button,
	// repeated while the options do not show: a click taken while a scene slides is lost.
	void openOptions(Window window)
	{
		ASSERT_TRUE(waitUntil(
			[&]
			{
				const SRgb a = designPixel(window, MENU_PANEL_X, MENU_PANEL_Y);
				poll(nullptr, 0, 100);
				const SRgb b = designPixel(window, MENU_PANEL_X, MENU_PANEL_Y);
				return isPanelCream(a) && isPanelCream(b);
			}))
			<< "the menu";
		ASSERT_TRUE(retryUntil([&] { click(window, MENU_OPTIONS_X, MENU_OPTIONS_Y); },
			[&] { return areOptionsShown(window); }, std::chrono::milliseconds(3000)))
			<< "the options";
	}
	bool isNameOkEnabled(Window window)
	{
		const SRgb c = designPixel(window, NAME_OK_X - 50, NAME_OK_Y);
		return c.g > 140 && c.b > 130 && c.r < 120;
	}
	void typeText(const char* text)
	{
		for (const char* c = text; *c; ++c)
		{
			const char name[2] = {*c, 0};
			const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(name));
			XTestFakeKeyEvent(display, code, True, CurrentTime);
			XTestFakeKeyEvent(display, code, False, CurrentTime);
		}
		XSync(display, False);
	}
	// The text of the profile file: UTF-16LE with a byte-order mark, keys in ASCII.
	std::string profileText()
	{
		std::ifstream in(folder.root + "/data/Fennlark/Quillbrook/profile.dat", std::ios::binary);
		const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
		std::string text;
		for (size_t i = raw.compare(0, 2, "\xFF\xFE") == 0 ? 2 : 0; i + 1 < raw.size(); i += 2)
			text += raw[i];
		return text;
	}
	void closeAndExpectZero(pid_t pid, Window window)
	{
		closeWindow(window);
		const int status = waitForExit(pid);
		ASSERT_TRUE(WIFEXITED(status)) << "the game did not end";
		EXPECT_EQ(0, WEXITSTATUS(status));
	}
};

// Letters no key of the server's keyboard types: each gets a keycode the keyboard leaves unused
// (as a player's layout would give them a key), mapped before the game starts so that it reads
// the map with them; the keycodes are freed again afterwards.
class NamesProgram : public PlayersProgram
{
protected:
	void TearDown() override
	{
		for (const auto& mapped : keys)
		{
			KeySym none = NoSymbol;
			XChangeKeyboardMapping(display, mapped.second, 1, &none, 1);
		}
		if (display)
			XSync(display, False);
		PlayersProgram::TearDown();
	}
	bool mapKeys(std::initializer_list<KeySym> symbols)
	{
		int first = 0, last = 0, perCode = 0;
		XDisplayKeycodes(display, &first, &last);
		KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1, &perCode);
		if (!map)
			return false;
		auto symbol = symbols.begin();
		for (int code = first; code <= last && symbol != symbols.end(); ++code)
		{
			bool unused = true;
			for (int level = 0; level < perCode; ++level)
				unused = unused && map[(code - first) * perCode + level] == NoSymbol;
			if (!unused)
				continue;
			KeySym both[2] = {*symbol, *symbol};
			XChangeKeyboardMapping(display, code, 2, both, 1);
			keys[*symbol] = static_cast<KeyCode>(code);
			++symbol;
		}
		XFree(map);
		XSync(display, False);
		return symbol == symbols.end();
	}
	// A key typed: a mapped letter on its own key, a capital with Shift.
	void typeKey(KeySym symbol, bool shift = false)
	{
		const auto mapped = keys.find(symbol);
		const KeyCode code = mapped != keys.end() ? mapped->second : XKeysymToKeycode(display, symbol);
		const KeyCode shiftCode = XKeysymToKeycode(display, XK_Shift_L);
		if (shift)
			XTestFakeKeyEvent(display, shiftCode, True, CurrentTime);
		XTestFakeKeyEvent(display, code, True, CurrentTime);
		XTestFakeKeyEvent(display, code, False, CurrentTime);
		if (shift)
			XTestFakeKeyEvent(display, shiftCode, False, CurrentTime);
		XSync(display, False);
	}
	// The players' names in the profile file (UTF-16LE), as written, entities and all.
	std::vector<std::u16string> profileNames()
	{
		std::ifstream in(folder.root + "/data/Fennlark/Quillbrook/profile.dat", std::ios::binary);
		const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
		std::u16string text;
		for (size_t i = raw.compare(0, 2, "\xFF\xFE") == 0 ? 2 : 0; i + 1 < raw.size(); i += 2)
			text +=
				static_cast<char16_t>(static_cast<unsigned char>(raw[i]) | static_cast<unsigned char>(raw[i + 1]) << 8);
		std::vector<std::u16string> names;
		const std::u16string key = u"<Profile Name=\"";
		for (size_t at = text.find(key); at != std::u16string::npos; at = text.find(key, at + 1))
		{
			const size_t start = at + key.size();
			names.push_back(text.substr(start, text.find(u'"', start) - start));
		}
		return names;
	}
	// Columns of the name field holding the ink of its text.
	int inkColumns(Window window)
	{
		int left = 0, top = 0, right = 0, bottom = 0;
		if (!toWindow(window, NAME_FIELD_X - 164, NAME_FIELD_Y - 20, left, top) ||
			!toWindow(window, NAME_FIELD_X + 164, NAME_FIELD_Y + 20, right, bottom))
			return -1;
		XImage* image = XGetImage(display, window, left, top, right - left, bottom - top, AllPlanes, ZPixmap);
		if (!image)
			return -1;
		int columns = 0;
		for (int x = 0; x < right - left; ++x)
		{
			bool ink = false;
			for (int y = 0; y < bottom - top && !ink; ++y)
			{
				// The text's brown, not the caret's blue.
				const unsigned long value = XGetPixel(image, x, y);
				const int r = (value >> 16) & 0xFF, g = (value >> 8) & 0xFF, b = value & 0xFF;
				ink = r < 160 && g < 140 && b < 80 && r > b + 15;
			}
			columns += ink ? 1 : 0;
		}
		XDestroyImage(image);
		return columns;
	}
	bool isRowPicked(Window window, int row)
	{
		const SRgb c = designPixel(window, LIST_ROWS_X + 8, LIST_ROWS_Y + 44 * row + 22);
		return c.r < 120 && c.g > 170 && c.b > 150;
	}
	// The name entry in place: its field shows and OK is off, twice a while apart (while it slides
	// in, its Cancel button passes where OK is read).
	bool nameEntryStands(Window window)
	{
		const auto look = [&]
		{ return isFieldWhite(designPixel(window, NAME_FIELD_X, NAME_FIELD_Y)) && !isNameOkEnabled(window); };
		if (!look())
			return false;
		poll(nullptr, 0, 200);
		return look();
	}

	std::map<KeySym, KeyCode> keys;
};

TEST_F(PlayersProgram, AFirstStartNamesThePlayerAndTheOptionsLastAcrossARestart)
{
	pid_t game = start();
	ASSERT_GT(game, 0);
	Window window = 0;
	playThrough(window);
	if (HasFatalFailure())
		return;

	// No player yet: the name entry opens over the list; a typed name is created and picked.
	ASSERT_TRUE(waitUntil([&] { return isFieldWhite(designPixel(window, NAME_FIELD_X, NAME_FIELD_Y)); }))
		<< "the name entry";
	// The field is empty: a name typed now is the player's (the field ignores keys right after it
	// was cleared, so the typing is repeated until it shows).
	// The entry must stand still first: while it slides in, its Cancel button passes where OK is
	// read and would look like an enabled OK. Each look is read twice, a frame or more apart.
	const auto steady = [&](const std::function<bool()>& look)
	{
		if (!look())
			return false;
		poll(nullptr, 0, 200);
		return look();
	};
	ASSERT_TRUE(waitUntil(
		[&]
		{
			return steady([&]
				{ return isFieldWhite(designPixel(window, NAME_FIELD_X, NAME_FIELD_Y)) && !isNameOkEnabled(window); });
		}))
		<< "the name entry in place";
	EXPECT_TRUE(retryUntil([&] { typeText("q"); }, [&] { return steady([&] { return isNameOkEnabled(window); }); }))
		<< "typing reaches the field";
	typeText("uill");
	// The list again, without the name entry's shade over it; its new player picked, not chosen.
	EXPECT_TRUE(retryUntil(
		[&]
		{
			if (isFieldWhite(designPixel(window, NAME_FIELD_X, NAME_FIELD_Y)))
				click(window, NAME_OK_X, NAME_OK_Y);
		},
		[&] { return isPanelCream(designPixel(window, LIST_PANEL_X, LIST_PANEL_Y)); }, std::chrono::milliseconds(3000)))
		<< "back to the list";
	std::string saved = profileText();
	EXPECT_NE(std::string::npos, saved.find("quill\"")) << saved;
	EXPECT_EQ(std::string::npos, saved.find("Active=")) << "nobody plays yet";
	// Play makes the player active and saves; the list then slides away.
	ASSERT_TRUE(retryUntil([&] { click(window, LIST_PLAY_X, LIST_PLAY_Y); },
		[&] { return profileText().find("Active=") != std::string::npos; }, std::chrono::milliseconds(3000)))
		<< "the player chosen";

	// Sound off and the music slider moved in the options, each saved at once.
	// Clicks while a scene slides are not taken: the menu's button is clicked until the options show.
	openOptions(window);
	ASSERT_TRUE(waitUntil([&] { return isSwitchGreen(designPixel(window, SOUND_SWITCH_X, SOUND_SWITCH_Y)); }))
		<< "the options, sound on";
	// The switch is clicked again only when neither its look nor the saved profile changed for a
	// long while (a click taken as the options still slid in).
	ASSERT_TRUE(retryUntil([&] { click(window, SOUND_SWITCH_X, SOUND_SWITCH_Y); },
		[&]
		{
			return isSwitchRed(designPixel(window, SOUND_SWITCH_X, SOUND_SWITCH_Y)) ||
				profileText().find("<bool Name=\"SoundOn\" Value=\"false\"") != std::string::npos;
		},
		std::chrono::milliseconds(5000)))
		<< "the sound switch turned off";
	ASSERT_TRUE(waitUntil([&] { return isSwitchRed(designPixel(window, SOUND_SWITCH_X, SOUND_SWITCH_Y)); }))
		<< "the sound switch shows off";
	ASSERT_TRUE(retryUntil([&] { click(window, MUSIC_SLIDER_X, MUSIC_SLIDER_Y); },
		[&] { return profileText().find("Name=\"MusicVolume\" Value=\"50.000000\"") == std::string::npos; },
		std::chrono::milliseconds(3000)))
		<< "the music volume saved";
	ASSERT_TRUE(retryUntil([&] { click(window, OPTIONS_BACK_X, OPTIONS_BACK_Y); },
		[&] { return !isPanelCream(designPixel(window, OPTIONS_PANEL_X, OPTIONS_PANEL_Y)); },
		std::chrono::milliseconds(3000)));
	closeAndExpectZero(game, window);
	if (HasFatalFailure())
		return;

	// The profile file holds the common defaults and every player default, with the changes.
	saved = profileText();
	for (const char* key : {"FullScreen", "WindowsCursor", "VSync", "AntiAlias", "VideoDriver", "SoundOn", "MusicOn",
			 "SoundVolume", "MusicVolume", "MaxUnlockedLevelIndex", "LevelIndex", "LevelProgressFilename", "Scores",
			 "Times", "BoughtUpgrades", "ShowTutorialOn", "ShowTipsOn", "ShowTutorialMap1", "ShowTutorialMap2",
			 "ShowTutorialShop1", "ShowTutorialShop2", "ShowTutorialLevel", "AchievementsProgress", "ShowFinalCredits"})
		EXPECT_NE(std::string::npos, saved.find(std::string("Name=\"") + key + "\"")) << key;
	EXPECT_NE(std::string::npos, saved.find("<bool Name=\"SoundOn\" Value=\"false\"")) << saved;
	EXPECT_NE(std::string::npos, saved.find("quill\"")) << saved;

	// A restart: the same player without asking, and the options as they were left.
	game = start();
	ASSERT_GT(game, 0);
	playThrough(window);
	if (HasFatalFailure())
		return;
	openOptions(window);
	EXPECT_TRUE(waitUntil([&] { return isSwitchRed(designPixel(window, SOUND_SWITCH_X, SOUND_SWITCH_Y)); }))
		<< "the options, sound still off: no name entry was in the way";
	closeAndExpectZero(game, window);
}
TEST_F(NamesProgram, ANameIsOneLineOfLettersTheFontDrawsAndTheListPicksOneRow)
{
	ASSERT_TRUE(mapKeys({XK_ediaeresis, XK_Zabovedot, XK_oacute, XK_lstroke, XK_cacute})) << "no free keycodes";
	const pid_t game = start();
	ASSERT_GT(game, 0);
	Window window = 0;
	playThrough(window);
	if (HasFatalFailure())
		return;
	ASSERT_TRUE(waitUntil([&] { return nameEntryStands(window); })) << "the name entry in place";
	EXPECT_TRUE(retryUntil([&] { typeKey(XK_q); }, [&] { return isNameOkEnabled(window); }))
		<< "typing reaches the field";
	ASSERT_TRUE(retryUntil([&] { typeKey(XK_BackSpace); }, [&] { return nameEntryStands(window); }))
		<< "the field empty again";

	// Enter on an empty field: no player, and the entry stays.
	typeKey(XK_Return);
	typeKey(XK_Return);
	poll(nullptr, 0, 500);
	EXPECT_TRUE(nameEntryStands(window)) << "Enter on an empty field left the name entry";

	// "Zoë" and Enter: the name alone is stored, without a line break.
	typeKey(XK_z, true);
	typeKey(XK_o);
	typeKey(XK_ediaeresis);
	ASSERT_TRUE(waitUntil([&] { return isNameOkEnabled(window); }));
	typeKey(XK_Return);
	ASSERT_TRUE(waitUntil([&] { return isPanelCream(designPixel(window, LIST_PANEL_X, LIST_PANEL_Y)); }))
		<< "back to the list";
	ASSERT_TRUE(waitUntil([&] { return !profileNames().empty(); })) << "saved";
	EXPECT_EQ(std::vector<std::u16string>{u"Zo\u00EB"}, profileNames());

	// Another player, "Żółć": each letter shows in the field as it is typed.
	ASSERT_TRUE(retryUntil([&] { click(window, LIST_NEW_X, LIST_NEW_Y); },
		[&] { return isFieldWhite(designPixel(window, NAME_FIELD_X, NAME_FIELD_Y)); }, std::chrono::milliseconds(3000)))
		<< "the name entry again";
	ASSERT_TRUE(waitUntil([&] { return nameEntryStands(window); }));
	const int empty = inkColumns(window);
	ASSERT_GE(empty, 0);
	// The first letter again only after a long while without it (lost to the entrance).
	ASSERT_TRUE(retryUntil([&] { typeKey(XK_Zabovedot); }, [&] { return inkColumns(window) > empty; },
		std::chrono::milliseconds(5000)))
		<< "\u017B does not show";
	int before = inkColumns(window);
	for (const KeySym letter : {XK_oacute, XK_lstroke, XK_cacute})
	{
		typeKey(letter);
		EXPECT_TRUE(waitUntil([&] { return inkColumns(window) > before; })) << "letter " << letter << " does not show";
		before = inkColumns(window);
	}
	ASSERT_TRUE(waitUntil([&] { return isNameOkEnabled(window); }));
	typeKey(XK_Return);
	ASSERT_TRUE(waitUntil([&] { return profileNames().size() == 2; })) << "the second player saved";
	EXPECT_EQ((std::vector<std::u16string>{u"Zo\u00EB", u"\u017B\u00F3\u0142\u0107"}), profileNames());

	// Back in the list the new player's row alone is picked.
	ASSERT_TRUE(waitUntil([&] { return isRowPicked(window, 1); })) << "the new player picked";
	poll(nullptr, 0, 300);
	EXPECT_TRUE(isRowPicked(window, 1));
	EXPECT_FALSE(isRowPicked(window, 0)) << "two rows picked";
	closeAndExpectZero(game, window);
}
} // namespace
