#include "platform/os/InstanceLock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw
{
namespace os
{
namespace
{
// Longer texts are no window id.
const size_t MAX_STORED_TEXT = 24;
const u64 MAX_WINDOW_ID = 0xFFFFFFFFu;

WindowId readStoredWindow(int fileDescriptor)
{
	char text[MAX_STORED_TEXT + 1] = {};
	const ssize_t count = pread(fileDescriptor, text, MAX_STORED_TEXT, 0);
	if (count <= 0)
		return 0;
	u64 value = 0;
	ssize_t i = 0;
	for (; i < count && text[i] >= '0' && text[i] <= '9'; ++i)
	{
		value = value * 10 + static_cast<u64>(text[i] - '0');
		if (value > MAX_WINDOW_ID)
			return 0;
	}
	// Digits and a line end, nothing else.
	if (i == 0 || i >= count || text[i] != '\n')
		return 0;
	return value;
}
} // namespace

core::stringc getInstanceLockPath(const c8* name)
{
	core::stringc fileName;
	for (const c8* p = name; p && *p; ++p)
	{
		const c8 c = *p;
		const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
			c == '-' || c == '_' || (c == '.' && p != name);
		fileName.append(plain ? c : '_');
	}
	const c8* runtime = std::getenv("XDG_RUNTIME_DIR");
	if (runtime && runtime[0] == '/')
		return core::stringc(runtime) + "/" + fileName + ".lock";
	char suffix[32];
	std::snprintf(suffix, sizeof(suffix), "-%lu.lock", static_cast<unsigned long>(getuid()));
	return core::stringc("/tmp/") + fileName + suffix;
}

EInstanceLock lockInstance(const core::stringc& path, int& fileDescriptor, WindowId& heldWindow)
{
	fileDescriptor = -1;
	heldWindow = 0;
	// Not inherited by the programs we start (a browser would keep the lock), and never through a
	// link someone placed in a shared folder.
	const int file = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
	if (file < 0)
		return INSTANCE_LOCK_UNAVAILABLE;
	struct stat status;
	if (fstat(file, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != getuid())
	{
		close(file);
		return INSTANCE_LOCK_UNAVAILABLE;
	}
	int result;
	while ((result = flock(file, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR)
	{
	}
	if (result != 0)
	{
		const bool held = errno == EWOULDBLOCK;
		if (held)
			heldWindow = readStoredWindow(file);
		close(file);
		return held ? INSTANCE_LOCK_HELD : INSTANCE_LOCK_UNAVAILABLE;
	}
	// What a crashed holder stored is stale.
	if (ftruncate(file, 0) != 0)
	{
		// The lock holds all the same; only the window cannot be stored.
	}
	fileDescriptor = file;
	return INSTANCE_LOCK_TAKEN;
}

bool storeInstanceWindow(int fileDescriptor, WindowId window)
{
	if (fileDescriptor < 0 || window > MAX_WINDOW_ID)
		return false;
	char text[MAX_STORED_TEXT + 1];
	const int length = std::snprintf(text, sizeof(text), "%llu\n", static_cast<unsigned long long>(window));
	if (ftruncate(fileDescriptor, 0) != 0)
		return false;
	return pwrite(fileDescriptor, text, static_cast<size_t>(length), 0) == length;
}

void unlockInstance(int fileDescriptor)
{
	if (fileDescriptor >= 0)
		close(fileDescriptor);
}
} // namespace os
} // namespace fw
