#pragma once

#include "platform/os/IWindow.h"

namespace fw
{
// Lets one instance of the program run per user. The first instance holds a lock that the
// system releases when the process ends, however it ends; a second one finds it held, brings
// the first one's window to the front and is told to stop.
class CSingleInstanceGuard
{
public:
	explicit CSingleInstanceGuard(const c8* name);
	~CSingleInstanceGuard();

	// True when another instance runs. When the lock cannot be made at all the program runs
	// (with a warning): a second copy is then not prevented.
	bool isAlreadyRunning() const { return m_alreadyRunning; }
	// Stores the window a second instance raises; once the first instance's start-up succeeded.
	void setMainWindow(os::WindowId window);

private:
	CSingleInstanceGuard(const CSingleInstanceGuard&) = delete;
	CSingleInstanceGuard& operator=(const CSingleInstanceGuard&) = delete;

	int m_lockFile = -1;
	bool m_alreadyRunning = false;
};
} // namespace fw
