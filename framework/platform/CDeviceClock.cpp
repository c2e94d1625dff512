#include "platform/CDeviceClock.h"

namespace fw
{
CDeviceClock::CDeviceClock(IMonotonicClock* source) : m_source(source), m_lastReal(source->getMilliseconds())
{
}

void CDeviceClock::tick()
{
	const u64 now = m_source->getMilliseconds();
	if (!m_stopped)
		m_time += static_cast<u32>(now - m_lastReal);
	m_lastReal = now;
}

void CDeviceClock::setTime(u32 time)
{
	m_time = time;
	m_lastReal = m_source->getMilliseconds();
}

u32 CDeviceClock::getRealTime() const
{
	return static_cast<u32>(m_source->getMilliseconds());
}

u64 CDeviceClock::getRealTimeAt(u32 time) const
{
	// Unsigned differences, so that the virtual time may wrap.
	const u32 ahead = time - m_time;
	return ahead < 0x80000000u ? m_lastReal + ahead : m_lastReal;
}

void CDeviceClock::stop()
{
	if (m_stopped)
		return;
	tick();
	m_stopped = true;
}

void CDeviceClock::start()
{
	if (!m_stopped)
		return;
	m_lastReal = m_source->getMilliseconds();
	m_stopped = false;
}
} // namespace fw
