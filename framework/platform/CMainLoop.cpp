#include "platform/CMainLoop.h"

#include "core/CRefHolder.h"
#include "platform/CDeviceLinux.h"
#include "platform/CEventSystemFlow.h"

namespace fw
{
CMainLoop::CMainLoop(CDeviceLinux* device) : m_device(device)
{
}

bool CMainLoop::run()
{
	m_device->m_running = true;
	m_device->m_timer->tick();
	m_device->m_lastTick = m_device->m_timer->getTime();
	while (m_device->m_running)
		runPass();
	return true;
}

void CMainLoop::runPass()
{
	CDeviceClock* clock = m_device->m_timer.get();
	clock->tick();

	u32 pause = m_device->m_frameInterval > 1 ? IDLE_PAUSE : 0;
	bool drawDue = false;
	if (m_device->m_appActive)
	{
		clock->start();
		if (postDueUpdates(clock->getTime()))
		{
			pause = 0;
			drawDue = true;
		}
	}
	else
	{
		clock->stop();
		drawDue = true;
		pause = BACKGROUND_PAUSE;
	}

	// Without a driver (a failed re-creation) there is nothing to draw with.
	if (drawDue && m_device->m_running && m_device->m_videoDriver)
		m_device->postEvent(adoptRef(new CEventSystemFlowDraw).get());

	if (pause > 0)
		clock->getSource()->sleep(pause);
}

bool CMainLoop::postDueUpdates(u32 now)
{
	u32& lastTick = m_device->m_lastTick;
	const u32 frameInterval = m_device->m_frameInterval;
	// A step of 0 would never catch up.
	const u32 step = m_device->m_updateStep > 0 ? m_device->m_updateStep : 1;

	// Unsigned differences: a clock behind the last tick counts as far behind, and the clock may
	// wrap around without stalling the loop.
	if (now - lastTick > MAX_BACKLOG)
		lastTick = now - step;
	if (now - lastTick < frameInterval)
		return false;

	if (now - lastTick > step)
	{
		// Whole steps only; the remainder waits for the next frame.
		while (now - lastTick >= step)
		{
			postUpdate(step);
			lastTick += step;
		}
	}
	else
	{
		postUpdate(now - lastTick);
		lastTick = now;
	}
	return true;
}

void CMainLoop::postUpdate(u32 milliseconds)
{
	m_device->postEvent(adoptRef(new CEventSystemFlowUpdate(milliseconds)).get());
}
} // namespace fw
