#include "platform/os/CrashReport.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace fw
{
namespace os
{
namespace
{
// Everything the handler needs is made before any crash: it may not allocate.
const size_t PATH_CAPACITY = 4096;
char s_folder[PATH_CAPACITY];
char s_fileName[PATH_CAPACITY];
const size_t ALTERNATE_STACK_SIZE = 256 * 1024;
const int CRASH_SIGNALS[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
std::atomic_flag s_crashing = ATOMIC_FLAG_INIT;
bool s_installed = false;

const size_t FAREWELL_CAPACITY = 64 * 1024;
unsigned char s_farewell[FAREWELL_CAPACITY];
// Zero while the bytes change, so that a crash meanwhile writes nothing rather than half.
std::atomic<size_t> s_farewellSize{0};
std::atomic<int> s_farewellDescriptor{-1};

// Appends to a fixed buffer, as the handler cannot use the formatting functions of the library.
class CText
{
public:
	CText(char* buffer, size_t capacity) : m_buffer(buffer), m_capacity(capacity) { m_buffer[0] = 0; }

	CText& text(const char* value)
	{
		for (; value && *value; ++value)
			put(*value);
		return *this;
	}
	CText& decimal(long long value)
	{
		if (value < 0)
		{
			put('-');
			return unsignedDecimal(static_cast<unsigned long long>(-(value + 1)) + 1);
		}
		return unsignedDecimal(static_cast<unsigned long long>(value));
	}
	CText& unsignedDecimal(unsigned long long value)
	{
		char digits[24];
		int count = 0;
		do
		{
			digits[count++] = static_cast<char>('0' + value % 10);
			value /= 10;
		} while (value);
		while (count)
			put(digits[--count]);
		return *this;
	}
	CText& hexadecimal(unsigned long long value)
	{
		text("0x");
		for (int shift = 60; shift >= 0; shift -= 4)
			put("0123456789abcdef"[(value >> shift) & 0xF]);
		return *this;
	}
	const char* get() const { return m_buffer; }
	size_t size() const { return m_size; }

private:
	void put(char c)
	{
		if (m_size + 1 < m_capacity)
		{
			m_buffer[m_size++] = c;
			m_buffer[m_size] = 0;
		}
	}

	char* m_buffer;
	size_t m_capacity;
	size_t m_size = 0;
};

void writeAll(int file, const char* data, size_t size)
{
	while (size > 0)
	{
		const ssize_t written = write(file, data, size);
		if (written <= 0)
		{
			if (written < 0 && errno == EINTR)
				continue;
			return;
		}
		data += written;
		size -= static_cast<size_t>(written);
	}
}

void writeText(int file, const char* text)
{
	writeAll(file, text, std::strlen(text));
}

const char* signalName(int number)
{
	switch (number)
	{
	case SIGSEGV:
		return "SIGSEGV";
	case SIGBUS:
		return "SIGBUS";
	case SIGFPE:
		return "SIGFPE";
	case SIGILL:
		return "SIGILL";
	case SIGABRT:
		return "SIGABRT";
	default:
		return "signal";
	}
}

void formatPath(CText& path, s64 time)
{
	path.text(s_folder).text(s_fileName).text(".").decimal(time).text(".dmp");
}

void copyMemoryMap(int file)
{
	const int maps = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
	if (maps < 0)
	{
		writeText(file, "(the memory map cannot be read)\n");
		return;
	}
	char buffer[4096];
	ssize_t count;
	while ((count = read(maps, buffer, sizeof(buffer))) != 0)
	{
		if (count < 0)
		{
			if (errno == EINTR)
				continue;
			break;
		}
		writeAll(file, buffer, static_cast<size_t>(count));
	}
	close(maps);
}

long long monotonicMilliseconds()
{
	timespec now = {};
	clock_gettime(CLOCK_MONOTONIC, &now);
	return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Writes the farewell and waits for the server's answer to it (replies, errors and events are
// 32-byte packets here; a reply starts with 1), a second at most.
void sayFarewell()
{
	const size_t size = s_farewellSize.load();
	const int descriptor = s_farewellDescriptor.load();
	if (size == 0 || descriptor < 0)
		return;
	const char* bytes = reinterpret_cast<const char*>(s_farewell);
	size_t left = size;
	while (left > 0)
	{
		const ssize_t written = write(descriptor, bytes, left);
		if (written <= 0)
		{
			if (written < 0 && errno == EINTR)
				continue;
			return;
		}
		bytes += written;
		left -= static_cast<size_t>(written);
	}
	const long long end = monotonicMilliseconds() + 1000;
	unsigned char packet[32];
	size_t filled = 0;
	for (;;)
	{
		const long long wait = end - monotonicMilliseconds();
		if (wait <= 0)
			return;
		pollfd entry = {descriptor, POLLIN, 0};
		const int ready = poll(&entry, 1, static_cast<int>(wait));
		if (ready < 0 && errno == EINTR)
			continue;
		if (ready <= 0)
			return;
		const ssize_t count = read(descriptor, packet + filled, sizeof(packet) - filled);
		if (count <= 0)
		{
			if (count < 0 && errno == EINTR)
				continue;
			return;
		}
		filled += static_cast<size_t>(count);
		if (filled == sizeof(packet))
		{
			if (packet[0] == 1)
				return;
			filled = 0;
		}
	}
}

void onCrash(int number, siginfo_t* info, void*)
{
	// A second crashing thread waits for the first, which ends the process.
	if (s_crashing.test_and_set())
	{
		for (;;)
			pause();
	}

	char pathBuffer[PATH_CAPACITY * 2 + 64];
	CText path(pathBuffer, sizeof(pathBuffer));
	// The low 32 bits of the time, as the report's name has always had them.
	formatPath(path, static_cast<s32>(static_cast<u32>(time(nullptr))));

	char lineBuffer[512];
	const int file = open(path.get(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
	if (file < 0)
	{
		CText line(lineBuffer, sizeof(lineBuffer));
		line.text("Failed to create the mini-dump file '")
			.text(path.get())
			.text("' (error ")
			.decimal(errno)
			.text(")\n");
		writeAll(STDERR_FILENO, line.get(), line.size());
		sayFarewell();
		_exit(128 + number);
	}

	CText line(lineBuffer, sizeof(lineBuffer));
	line.text("Crash report\nSignal: ").decimal(number).text(" (").text(signalName(number)).text(")\n");
	line.text("Code: ").decimal(info ? info->si_code : 0).text("\n");
	line.text("Fault address: ").hexadecimal(info ? reinterpret_cast<unsigned long long>(info->si_addr) : 0).text("\n");
	line.text("Process: ").decimal(getpid()).text("\n\nBack trace:\n");
	writeAll(file, line.get(), line.size());
	void* frames[128];
	const int count = backtrace(frames, 128);
	backtrace_symbols_fd(frames, count, file);
	writeText(file, "\nMemory map:\n");
	copyMemoryMap(file);
	close(file);

	CText notice(lineBuffer, sizeof(lineBuffer));
	notice.text("The program crashed (")
		.text(signalName(number))
		.text("); a report was written to ")
		.text(path.get())
		.text("\n");
	writeAll(STDERR_FILENO, notice.get(), notice.size());
	sayFarewell();
	_exit(128 + number);
}

// The program's folder (with its slash) and file name; both empty when the path is unknown, and
// the report goes to the working directory.
void findProgram()
{
	char path[PATH_CAPACITY];
	const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
	s_folder[0] = 0;
	s_fileName[0] = 0;
	if (length <= 0 || static_cast<size_t>(length) >= sizeof(path) - 1)
		return;
	path[length] = 0;
	const char* slash = std::strrchr(path, '/');
	if (!slash)
		return;
	const size_t folderLength = static_cast<size_t>(slash - path) + 1;
	std::memcpy(s_folder, path, folderLength);
	s_folder[folderLength] = 0;
	std::strcpy(s_fileName, slash + 1);
}
} // namespace

bool setCrashFarewell(int descriptor, const void* bytes, size_t size)
{
	s_farewellSize.store(0);
	if (size > FAREWELL_CAPACITY || (size > 0 && !bytes))
		return false;
	if (size > 0)
		std::memcpy(s_farewell, bytes, size);
	s_farewellDescriptor.store(descriptor);
	s_farewellSize.store(size);
	return true;
}

void clearCrashFarewell()
{
	s_farewellSize.store(0);
}

core::stringc getCrashReportPath(s64 time)
{
	if (!s_installed)
		findProgram();
	char buffer[PATH_CAPACITY * 2 + 64];
	CText path(buffer, sizeof(buffer));
	formatPath(path, time);
	return path.get();
}

bool installCrashReport()
{
	if (s_installed)
		return true;
	findProgram();
	// The first back trace loads the unwinder, which must not happen inside the handler.
	void* frame[1];
	backtrace(frame, 1);

	// Kept for the life of the process, in a static so that leak checkers see it is still held.
	static char* alternateStack = new char[ALTERNATE_STACK_SIZE];
	stack_t stack = {};
	stack.ss_sp = alternateStack;
	stack.ss_size = ALTERNATE_STACK_SIZE;
	if (sigaltstack(&stack, nullptr) != 0)
		return false;

	struct sigaction action = {};
	action.sa_sigaction = &onCrash;
	action.sa_flags = SA_SIGINFO | SA_ONSTACK;
	sigemptyset(&action.sa_mask);
	for (int number : CRASH_SIGNALS)
		sigaddset(&action.sa_mask, number);
	for (int number : CRASH_SIGNALS)
		if (sigaction(number, &action, nullptr) != 0)
			return false;
	s_installed = true;
	return true;
}
} // namespace os
} // namespace fw
