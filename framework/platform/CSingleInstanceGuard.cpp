#include "platform/CSingleInstanceGuard.h"

#include "core/CLogger.h"
#include "platform/os/InstanceLock.h"

namespace fw
{
CSingleInstanceGuard::CSingleInstanceGuard(const c8* name)
{
	const core::stringc path = os::getInstanceLockPath(name);
	os::WindowId heldWindow = 0;
	switch (os::lockInstance(path, m_lockFile, heldWindow))
	{
	case os::INSTANCE_LOCK_TAKEN:
		break;
	case os::INSTANCE_LOCK_HELD:
		m_alreadyRunning = true;
		// A first instance still starting has stored no window yet: nothing to raise.
		if (heldWindow)
			os::raiseWindow(heldWindow);
		break;
	case os::INSTANCE_LOCK_UNAVAILABLE:
		logWarning("The single-instance lock cannot be made: a second copy of the program will not be noticed.",
			path.c_str());
		break;
	}
}

CSingleInstanceGuard::~CSingleInstanceGuard()
{
	os::unlockInstance(m_lockFile);
}

void CSingleInstanceGuard::setMainWindow(os::WindowId window)
{
	if (m_lockFile >= 0 && !os::storeInstanceWindow(m_lockFile, window))
		logWarning("The main window cannot be stored for a second instance to raise.");
}
} // namespace fw
