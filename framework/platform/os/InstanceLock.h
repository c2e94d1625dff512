#pragma once

#include "platform/os/IWindow.h"

namespace fw
{
namespace os
{
// The lock that lets one instance of a program run per user: a file locked with flock, which the
// kernel releases when the process ends in any way, crashes included. The file holds the main
// window's id for a second instance to raise.

// $XDG_RUNTIME_DIR/<name>.lock, or /tmp/<name>-<uid>.lock without it. Characters of the name
// that do not belong in a file name become '_'.
core::stringc getInstanceLockPath(const c8* name);

enum EInstanceLock
{
	INSTANCE_LOCK_TAKEN,      // this process holds it
	INSTANCE_LOCK_HELD,       // another process holds it
	INSTANCE_LOCK_UNAVAILABLE // the file cannot be made or is not ours
};

// Takes the lock. TAKEN gives the open file in fileDescriptor; HELD gives the window the holder
// stored (0 when none yet, or when the file holds no valid id).
EInstanceLock lockInstance(const core::stringc& path, int& fileDescriptor, WindowId& heldWindow);
bool storeInstanceWindow(int fileDescriptor, WindowId window);
void unlockInstance(int fileDescriptor);
} // namespace os
} // namespace fw
