#include "platform/CTimer.h"

#include "platform/CTimerManager.h"

namespace fw
{
CTimer::~CTimer()
{
	if (m_manager)
		m_manager->removeTimer(this);
}

void CTimer::setManager(CTimerManager* manager)
{
	if (manager == m_manager)
		return;
	if (m_manager)
		m_manager->removeTimer(this);
	if (manager)
		manager->addTimer(this);
}
} // namespace fw
