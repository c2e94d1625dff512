// The program as a process: one instance per user, and a report of a crash.

#include <gtest/gtest.h>

#include "ScreenSupport.h"
#include "platform/os/IWindow.h"

#include <X11/Xlib.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace
{
struct SChild
{
	pid_t pid = -1;
	int output = -1;
};

// Starts a helper with its standard output on a pipe, and the given runtime folder.
SChild start(const std::vector<std::string>& arguments, const std::string& runtimeFolder)
{
	SChild child;
	int pipeEnds[2];
	if (pipe(pipeEnds) != 0)
		return child;
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
	posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
	std::vector<std::string> environment;
	for (char** entry = environ; *entry; ++entry)
		if (std::string(*entry).compare(0, 16, "XDG_RUNTIME_DIR=") != 0)
			environment.push_back(*entry);
	environment.push_back("XDG_RUNTIME_DIR=" + runtimeFolder);
	std::vector<char*> envp;
	for (std::string& entry : environment)
		envp.push_back(&entry[0]);
	envp.push_back(nullptr);
	std::vector<std::string> copies(arguments);
	std::vector<char*> argv;
	for (std::string& argument : copies)
		argv.push_back(&argument[0]);
	argv.push_back(nullptr);
	if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
		child.pid = -1;
	posix_spawn_file_actions_destroy(&actions);
	close(pipeEnds[1]);
	child.output = pipeEnds[0];
	return child;
}

// A child that has not printed or ended by then is taken to hang: long enough for a start under a
// window on a machine busy with other work.
const std::chrono::seconds CHILD_DEADLINE(60);

// The first line the child prints, within the deadline; empty when none comes.
std::string readLine(const SChild& child)
{
	std::string line;
	const auto end = std::chrono::steady_clock::now() + CHILD_DEADLINE;
	while (std::chrono::steady_clock::now() < end)
	{
		pollfd entry = {child.output, POLLIN, 0};
		if (poll(&entry, 1, 100) <= 0)
			continue;
		char c;
		if (read(child.output, &c, 1) != 1)
			break;
		if (c == '\n')
			return line;
		line += c;
	}
	return "";
}

// The child's wait status within the deadline; -1 when it still runs.
int waitFor(const SChild& child)
{
	const auto end = std::chrono::steady_clock::now() + CHILD_DEADLINE;
	int status = 0;
	while (std::chrono::steady_clock::now() < end)
	{
		const pid_t done = waitpid(child.pid, &status, WNOHANG);
		if (done == child.pid)
			return status;
		if (done < 0)
			return -1;
		poll(nullptr, 0, 5);
	}
	return -1;
}

void kill9(SChild& child)
{
	if (child.pid > 0)
	{
		kill(child.pid, SIGKILL);
		waitpid(child.pid, nullptr, 0);
	}
	if (child.output >= 0)
		close(child.output);
	child = SChild();
}

class CTemporaryFolder
{
public:
	CTemporaryFolder()
	{
		char pattern[] = "/tmp/qb-process-XXXXXX";
		path = mkdtemp(pattern);
	}
	~CTemporaryFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
	std::string path;
};

std::string folderOf(const std::string& path)
{
	return path.substr(0, path.rfind('/') + 1);
}

std::vector<std::string> reportsIn(const std::string& folder, const std::string& program)
{
	std::vector<std::string> found;
	DIR* directory = opendir(folder.c_str());
	if (!directory)
		return found;
	while (dirent* entry = readdir(directory))
	{
		const std::string name = entry->d_name;
		if (name.compare(0, program.size() + 1, program + ".") == 0 && name.size() > 4 &&
			name.compare(name.size() - 4, 4, ".dmp") == 0)
			found.push_back(folder + name);
	}
	closedir(directory);
	return found;
}
} // namespace

TEST(SingleInstance, ASecondStartRaisesTheFirstAndEndsWithZero)
{
	Display* display = fw::os::openDisplay();
	ASSERT_NE(nullptr, display) << "no X display: run the window tests under xvfb-run";
	CTemporaryFolder runtime;
	const std::string name = "Window Test Instance";

	SChild first = start({QB_INSTANCE_HELPER, name}, runtime.path);
	ASSERT_GT(first.pid, 0);
	const std::string ready = readLine(first);
	ASSERT_EQ(0u, ready.find("ready ")) << "the first instance did not start: '" << ready << "'";
	const Window firstWindow = std::stoul(ready.substr(6));

	// Something else has the keyboard when the second one starts.
	XSetInputFocus(display, PointerRoot, RevertToParent, CurrentTime);
	XSync(display, False);
	SChild second = start({QB_INSTANCE_HELPER, name}, runtime.path);
	const int status = waitFor(second);
	ASSERT_TRUE(WIFEXITED(status)) << "the second instance did not end";
	EXPECT_EQ(0, WEXITSTATUS(status));
	close(second.output);
	Window focus = 0;
	int revert = 0;
	XGetInputFocus(display, &focus, &revert);
	EXPECT_EQ(firstWindow, focus) << "the first instance's window was not raised";

	// Killed, the first leaves no lock behind: a new start runs.
	kill9(first);
	SChild third = start({QB_INSTANCE_HELPER, name}, runtime.path);
	EXPECT_EQ(0u, readLine(third).find("ready ")) << "a start after the kill did not run";
	kill9(third);
	XCloseDisplay(display);
}

TEST(CrashReport, ACrashWritesTheReportAndEndsNonZero)
{
	const std::string program = QB_CRASH_HELPER;
	const std::string folder = folderOf(program);
	const std::string programName = program.substr(folder.size());
	struct SCase
	{
		const char* how;
		int signal;
		const char* signalText;
	};
	const SCase cases[] = {{"segv", SIGSEGV, "Signal: 11 (SIGSEGV)"}, {"abort", SIGABRT, "Signal: 6 (SIGABRT)"},
		{"overflow", SIGSEGV, "Signal: 11 (SIGSEGV)"}, {"thread", SIGSEGV, "Signal: 11 (SIGSEGV)"}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.how);
		for (const std::string& old : reportsIn(folder, programName))
			std::remove(old.c_str());
		CTemporaryFolder runtime;
		SChild child = start({program, c.how}, runtime.path);
		ASSERT_GT(child.pid, 0);
		const int status = waitFor(child);
		close(child.output);
		ASSERT_TRUE(WIFEXITED(status)) << "the helper did not end by itself";
		EXPECT_EQ(128 + c.signal, WEXITSTATUS(status));

		const std::vector<std::string> reports = reportsIn(folder, programName);
		ASSERT_EQ(1u, reports.size());
		std::ifstream file(reports[0]);
		const std::string report((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
		EXPECT_NE(std::string::npos, report.find(c.signalText));
		EXPECT_NE(std::string::npos, report.find("Fault address: 0x"));
		EXPECT_NE(std::string::npos, report.find("Back trace:\n"));
		EXPECT_NE(std::string::npos, report.find("Memory map:\n"));
		// The memory map lists the program itself.
		EXPECT_NE(std::string::npos, report.find(program, report.find("Memory map:\n")));
		if (std::string(c.how) == "segv")
		{
			EXPECT_NE(std::string::npos, report.find("Fault address: 0x0000000000000010"));
		}
		std::remove(reports[0].c_str());
	}
}

// A crash in full screen leaves the desktop with its own mode and gamma ramps.
TEST(CrashReport, ACrashInFullScreenPutsTheDesktopsModeAndGammaBack)
{
	Display* display = fw::os::openDisplay();
	ASSERT_NE(nullptr, display) << "no X display: run the window tests under xvfb-run";
	const std::vector<unsigned short> gamma = fw::wintest::gammaRamps(display);
	{
		fw::wintest::CExtraMode extra(display, 800, 600);
		ASSERT_TRUE(extra.isOffered());
		const std::string program = QB_CRASH_HELPER;
		const std::string folder = folderOf(program);
		const std::string programName = program.substr(folder.size());
		CTemporaryFolder runtime;
		SChild child = start({program, "fullscreen", "800", "600"}, runtime.path);
		ASSERT_GT(child.pid, 0);
		EXPECT_EQ("switched 800x600", readLine(child));
		const int status = waitFor(child);
		close(child.output);
		ASSERT_NE(-1, status) << "the helper did not end";
		ASSERT_TRUE(WIFEXITED(status)) << "the helper ended by signal " << WTERMSIG(status);
		EXPECT_EQ(128 + SIGSEGV, WEXITSTATUS(status));
		EXPECT_EQ(extra.original(), fw::wintest::currentScreenSize(display));
		EXPECT_EQ(gamma, fw::wintest::gammaRamps(display));
		for (const std::string& report : reportsIn(folder, programName))
			std::remove(report.c_str());
	}
	XCloseDisplay(display);
}
