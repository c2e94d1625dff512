#pragma once

#include "core/CEventReceiver.h"
#include "core/CTimer.h"
#include "core/ITimerManager.h"

namespace fw
{
class CEventSystemFlowUpdate;

// Keeps a scaled clock, advanced by the main loop's update events, and calls each registered timer
// whenever its interval has passed, as often as needed to catch up. A timer that answers false is
// dropped, and so is one that nothing but the manager holds any longer.
//
// Timers added or removed while the manager is calling timers take effect at the end of that
// update: new timers are first called in a later update, removed ones are not called again.
class CTimerManager : public CEventReceiver, public ITimerManager
{
public:
	CTimerManager();
	// Detaches and releases every timer.
	~CTimerManager() override;

	// Registers the timer, first due one interval from now. Re-adding a timer whose removal is
	// pending in this update cancels the removal, and one that re-adds itself from its own call
	// stays registered whatever that call answers. Otherwise there is no duplicate check:
	// setManager is the way that avoids a second entry.
	void addTimer(CTimer* timer) override;
	// Unregisters the timer; it is not called again.
	void removeTimer(CTimer* timer) override;

	// A manager that is not running neither advances its clock nor calls timers.
	void setRunning(bool running) override { m_running = running; }
	bool isRunning() const override { return m_running; }
	// The clock advances speed times the elapsed time; below 0 counts as 0.
	virtual void setSpeed(f32 speed);
	virtual f32 getSpeed() const { return m_speed; }

	virtual void update(u32 elapsed);

	// The scaled clock in milliseconds. Kept in double precision so that it does not freeze after
	// long play.
	f64 getTime() const { return m_time; }
	// Entries in the registry, including entries whose release is pending.
	u32 getTimerCount() const { return m_entries.size(); }

	FW_RECEIVER_EVENT_MAP

protected:
	// Does not take the event: every receiver after the manager gets the update too.
	bool onUpdateEvent(CEventSystemFlowUpdate* event);

private:
	struct SEntry
	{
		CTimer* timer; // one reference held
		u64 due;
	};

	void callDueTimers(u64 now);
	void releaseStaleEntries();
	void releaseEntry(u32 index);
	bool hasEntry(const CTimer* timer) const;
	static s32 findTimer(const core::array<CTimer*>& list, const CTimer* timer);

	bool m_running = true;
	f32 m_speed = 1.f;
	bool m_updating = false;
	core::array<SEntry> m_entries;
	core::array<SEntry> m_pendingAdds;
	core::array<CTimer*> m_pendingRemoves;
	f64 m_time = 0.0;
	// The timer being called, and whether it registered itself again from that call.
	CTimer* m_calling = nullptr;
	bool m_callingReAdded = false;
};
} // namespace fw
