#include "core/CTimer.h"

#include "core/ITimerManager.h"

namespace fw
{
CTimer::~CTimer()
{
	if (m_manager)
		m_manager->removeTimer(this);
}

void CTimer::setManager(ITimerManager* manager)
{
	if (manager == m_manager)
		return;
	if (m_manager)
		m_manager->removeTimer(this);
	if (manager)
		manager->addTimer(this);
}

void ITimerManager::linkTimer(CTimer* timer, ITimerManager* manager)
{
	if (timer)
		timer->m_manager = manager;
}
} // namespace fw
