#pragma once

#include "core/CRefHolder.h"
#include "platform/IMonotonicClock.h"

namespace fw
{
// The device's clock: virtual milliseconds that advance with real time on every tick while the
// clock runs and stand still while it is stopped, so that time spent in the background never
// reaches the application. It belongs to the device and outlives every video driver.
class CDeviceClock : public virtual IReferenceCounted
{
public:
	explicit CDeviceClock(IMonotonicClock* source);

	// Brings the virtual time up to the real time (when running).
	void tick();
	// The virtual time as of the last tick.
	u32 getTime() const { return m_time; }
	void setTime(u32 time);
	// The real time, wrapped to 32 bits.
	u32 getRealTime() const;
	// The real time of the last tick, unwrapped, as the source gives it.
	u64 getLastRealTime() const { return m_lastReal; }
	// The real time at which the running clock reads the given virtual time: the last tick's real
	// time for a time not ahead of the clock.
	u64 getRealTimeAt(u32 time) const;

	// Time up to the stop counts; time while stopped does not.
	void stop();
	void start();
	bool isStopped() const { return m_stopped; }

	IMonotonicClock* getSource() const { return m_source.get(); }

private:
	CRefHolder<IMonotonicClock> m_source;
	u64 m_lastReal;
	u32 m_time = 0;
	bool m_stopped = false;
};
} // namespace fw
