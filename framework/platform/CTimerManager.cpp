#include "platform/CTimerManager.h"

#include "core/CRefHolder.h"
#include "platform/CEventSystemFlow.h"

#include <cmath>

namespace fw
{
namespace
{
const u32 INITIAL_CAPACITY = 1024;
}

CTimerManager::CTimerManager()
{
	setEventMask(getEventMask() | EVENT_CATEGORY_SYSTEM_FLOW);
	m_entries.reallocate(INITIAL_CAPACITY);
}

CTimerManager::~CTimerManager()
{
	for (u32 i = 0; i < m_entries.size(); ++i)
	{
		if (m_entries[i].timer->getManager() == this)
			linkTimer(m_entries[i].timer, nullptr);
	}
	for (u32 i = 0; i < m_pendingAdds.size(); ++i)
	{
		if (m_pendingAdds[i].timer->getManager() == this)
			linkTimer(m_pendingAdds[i].timer, nullptr);
	}
	// Detached first, so that a timer destroyed here does not come back to remove itself.
	for (u32 i = 0; i < m_entries.size(); ++i)
		m_entries[i].timer->drop();
	for (u32 i = 0; i < m_pendingAdds.size(); ++i)
		m_pendingAdds[i].timer->drop();
}

const EventMap& CTimerManager::getClassEventMap()
{
	static const EventMap map =
		makeEventMap(CEventReceiver::getClassEventMap(), {eventMapEntry<&CTimerManager::onUpdateEvent>()});
	return map;
}

bool CTimerManager::onUpdateEvent(CEventSystemFlowUpdate* event)
{
	update(event->getMilliseconds());
	return false;
}

void CTimerManager::setSpeed(f32 speed)
{
	m_speed = speed >= 0.f ? speed : 0.f; // also catches NaN
}

s32 CTimerManager::findTimer(const core::array<CTimer*>& list, const CTimer* timer)
{
	for (u32 i = 0; i < list.size(); ++i)
		if (list[i] == timer)
			return static_cast<s32>(i);
	return -1;
}

void CTimerManager::addTimer(CTimer* timer)
{
	if (!timer)
		return;
	linkTimer(timer, this);

	const s32 pendingRemove = m_updating ? findTimer(m_pendingRemoves, timer) : -1;
	if (pendingRemove >= 0)
	{
		m_pendingRemoves[static_cast<u32>(pendingRemove)] = m_pendingRemoves.getLast();
		m_pendingRemoves.erase(m_pendingRemoves.size() - 1);
	}
	// From its own call the timer's entry is still being worked on: keep that one instead of
	// making a second.
	if (m_updating && timer == m_calling)
	{
		m_callingReAdded = true;
		return;
	}
	if (pendingRemove >= 0)
		return;

	timer->grab();
	const SEntry entry = {timer, static_cast<u64>(m_time + timer->getInterval())};
	if (m_updating)
		m_pendingAdds.push_back(entry);
	else
		m_entries.push_back(entry);
}

void CTimerManager::removeTimer(CTimer* timer)
{
	if (!timer)
		return;
	// A timer that has moved on to another manager stays there.
	if (timer->getManager() == this)
		linkTimer(timer, nullptr);

	if (m_updating)
	{
		// Only timers with an entry wait here: the entry keeps them alive until the clean-up, so a
		// later add never mistakes a new timer at a freed address for this one.
		if (hasEntry(timer) && findTimer(m_pendingRemoves, timer) < 0)
			m_pendingRemoves.push_back(timer);
		return;
	}
	for (u32 i = 0; i < m_entries.size(); ++i)
	{
		if (m_entries[i].timer == timer)
		{
			releaseEntry(i);
			return;
		}
	}
}

bool CTimerManager::hasEntry(const CTimer* timer) const
{
	for (u32 i = 0; i < m_entries.size(); ++i)
		if (m_entries[i].timer == timer)
			return true;
	for (u32 i = 0; i < m_pendingAdds.size(); ++i)
		if (m_pendingAdds[i].timer == timer)
			return true;
	return false;
}

void CTimerManager::update(u32 elapsed)
{
	// A timer may release the last outside reference to its manager.
	const CRefHolder<CTimerManager> self(getReferenceCount() > 0 ? this : nullptr);
	const bool wasUpdating = m_updating;
	m_updating = true;

	if (m_running)
	{
		m_time += static_cast<f64>(m_speed) * static_cast<f64>(elapsed);
		callDueTimers(static_cast<u64>(std::floor(m_time + 0.5)));
	}

	if (!wasUpdating)
	{
		releaseStaleEntries();
		m_pendingRemoves.clear();
		for (u32 i = 0; i < m_pendingAdds.size(); ++i)
			m_entries.push_back(m_pendingAdds[i]);
		m_pendingAdds.clear();
	}
	m_updating = wasUpdating;
}

void CTimerManager::callDueTimers(u64 now)
{
	CTimer* const outerCalling = m_calling;
	const bool outerReAdded = m_callingReAdded;

	// Entries neither move nor go away while updating: changes wait in the pending lists.
	for (u32 i = 0; i < m_entries.size(); ++i)
	{
		CTimer* timer = m_entries[i].timer;
		// A timer removed from here and added elsewhere in this update belongs to the other one.
		if (timer->getManager() != this || m_entries[i].due > now)
			continue;
		for (;;)
		{
			const u32 interval = timer->getInterval();
			m_calling = timer;
			m_callingReAdded = false;
			const bool keep = timer->onTimer(interval) || (m_callingReAdded && timer->getManager() == this);
			if (!keep)
			{
				if (timer->getManager() == this)
					linkTimer(timer, nullptr);
				break;
			}
			m_entries[i].due += timer->getInterval();
			if (interval == 0 || m_entries[i].due > now || timer->getManager() != this)
				break;
		}
	}

	m_calling = outerCalling;
	m_callingReAdded = outerReAdded;
}

void CTimerManager::releaseStaleEntries()
{
	u32 i = 0;
	while (i < m_entries.size())
	{
		const CTimer* timer = m_entries[i].timer;
		if (timer->getManager() != this || timer->getReferenceCount() == 1)
			releaseEntry(i); // the last entry moves here and is looked at next
		else
			++i;
	}
}

void CTimerManager::releaseEntry(u32 index)
{
	CTimer* timer = m_entries[index].timer;
	m_entries[index] = m_entries.getLast();
	m_entries.erase(m_entries.size() - 1);
	// Detached before the drop, so that a timer destroyed now does not try to remove itself.
	if (timer->getManager() == this && timer->getReferenceCount() == 1)
		linkTimer(timer, nullptr);
	timer->drop();
}
} // namespace fw
