#pragma once

#include "core/CoreTypes.h"

#include <thread>

namespace fw
{
// Owns one thread whose body is the owner's run. The owner joins before it lets go of what run
// uses; the destructor joins as a last resort.
class CThread
{
public:
	CThread() = default;
	virtual ~CThread();

	// False when a thread already runs, or when none could be made (logged).
	bool start();
	// Waits for the thread to end; nothing when none runs.
	void join();
	bool isStarted() const { return m_thread.joinable(); }

protected:
	virtual void run() = 0;

private:
	CThread(const CThread&) = delete;
	CThread& operator=(const CThread&) = delete;

	std::thread m_thread;
};

// Suspends the calling thread.
void sleepMilliseconds(u32 milliseconds);
} // namespace fw
