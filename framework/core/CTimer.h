#pragma once

#include "core/CoreTypes.h"

namespace fw
{
class ITimerManager;

// The part of an object that a timer manager calls at an interval. Its reference count is the
// owning object's.
class CTimer : public virtual IReferenceCounted
{
public:
	CTimer() = default;
	// Leaves its manager.
	~CTimer() override;

	// Called with the interval as the elapsed time, once per interval that has passed; false asks
	// not to be called again.
	virtual bool onTimer(u32 elapsed) = 0;

	u32 getInterval() const { return m_interval; }
	void setInterval(u32 interval) { m_interval = interval; }

	ITimerManager* getManager() const { return m_manager; }
	// Moves the timer to another manager (or to none); a timer already there keeps its schedule.
	void setManager(ITimerManager* manager);

private:
	friend class ITimerManager;

	CTimer(const CTimer&) = delete;
	CTimer& operator=(const CTimer&) = delete;

	u32 m_interval = 30;
	ITimerManager* m_manager = nullptr; // not owned; the manager holds the timer
};
} // namespace fw
