#pragma once

#include "core/CoreTypes.h"

namespace fw
{
// Real time that never runs backwards, and the thread's way to wait on it. The device and its main
// loop see time only through this, so tests can step it by hand.
class IMonotonicClock : public virtual IReferenceCounted
{
public:
	// Milliseconds from an arbitrary start.
	virtual u64 getMilliseconds() const = 0;
	// Suspends the calling thread.
	virtual void sleep(u32 milliseconds) = 0;
	// Suspends the calling thread until the clock reads the deadline, or sooner when the
	// descriptor (-1: none) has data to read; at once when the deadline has passed. True when the
	// descriptor ended the wait.
	virtual bool waitUntil(u64 deadline, s32 descriptor) = 0;
};
} // namespace fw
