#pragma once

#include "core/CoreTypes.h"

namespace fw
{
class CTimer;

// What a timer needs of the manager that calls it. The platform's timer manager implements it; the
// core's timed objects (state items) only register and unregister themselves.
class ITimerManager : public virtual IReferenceCounted
{
public:
	// Registers the timer (one reference held), first due one interval from now, and links the timer
	// to this manager.
	virtual void addTimer(CTimer* timer) = 0;
	// Unregisters the timer and clears its link; it is not called again.
	virtual void removeTimer(CTimer* timer) = 0;
	// A manager that is not running calls no timer: a scene out of sight or a paused level stands still.
	virtual void setRunning(bool running) = 0;
	virtual bool isRunning() const = 0;

protected:
	// The link a timer keeps to its manager is set and cleared by managers only.
	static void linkTimer(CTimer* timer, ITimerManager* manager);
};
} // namespace fw
