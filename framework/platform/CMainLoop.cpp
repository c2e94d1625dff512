#include "platform/CMainLoop.h"

#include "core/CRefHolder.h"
#include "platform/CCursorControl.h"
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
	// An external window's owner calls run for every pass: the time up to which updates were
	// posted carries over from one call to the next.
	if (!m_device->m_externalWindow)
	{
		m_device->m_timer->tick();
		m_device->m_lastTick = m_device->m_timer->getTime();
	}
	do
		runPass();
	while (m_device->m_running && !m_device->m_externalWindow);
	return true;
}

bool CMainLoop::handleMessage()
{
	os::IWindow* window = m_device->m_window.get();
	if (!window)
		return false;
	os::SWindowMessage message;
	if (m_device->m_notMinimised || m_device->m_externalWindow)
	{
		if (!window->peekMessage(message))
			return false;
	}
	else if (!window->waitMessage(message))
	{
		// Closed while minimised.
		m_device->m_running = false;
		return true;
	}
	if (message.message == os::WM_QUIT)
	{
		m_device->m_running = false;
		return true;
	}
	window->translateMessage(message);
	window->dispatchMessage(message);
	return true;
}

void CMainLoop::runPass()
{
	CDeviceClock* clock = m_device->m_timer.get();
	clock->tick();

	// Every waiting message is handled before anything is updated: one a pass, without a wait.
	if (handleMessage())
		return;
	if (m_device->m_running)
		m_device->handleResize();

	bool drawDue = false;
	bool wait = false;
	u64 wakeAt = 0;
	const bool ownWindow = m_device->m_window && !m_device->m_externalWindow;
	if (ownWindow && !m_device->m_notMinimised)
	{
		// Minimised: time stands still and nothing is posted; the next pass waits for a message.
		clock->stop();
	}
	else
	{
		if (m_device->m_cursorControl)
			m_device->m_cursorControl->updatePosition();
		if (m_device->m_appActive)
		{
			clock->start();
			drawDue = postDueUpdates(clock->getTime());
			// Until the next frame is due; with an interval of 1 the loop never waits.
			if (m_device->m_frameInterval > 1)
			{
				wait = true;
				wakeAt = clock->getRealTimeAt(m_device->m_lastTick + m_device->m_frameInterval);
			}
		}
		else
		{
			clock->stop();
			// One draw every 200 ms, however often messages end the wait in between.
			const u64 now = clock->getSource()->getMilliseconds();
			u64& next = m_device->m_nextBackgroundDraw;
			if (now >= next || next - now > BACKGROUND_PAUSE)
			{
				drawDue = true;
				next = now + BACKGROUND_PAUSE;
			}
			wait = true;
			wakeAt = next;
		}
	}

	// Without a driver (a failed re-creation) there is nothing to draw with.
	if (drawDue && m_device->m_running && m_device->m_videoDriver)
		m_device->postEvent(adoptRef(new CEventSystemFlowDraw).get());

	if (wait && m_device->m_running && !m_device->m_externalWindow)
		waitForMessages(wakeAt);
}

void CMainLoop::waitForMessages(u64 realTime)
{
	os::IWindow* window = m_device->m_window.get();
	if (window && window->hasWaitingMessages())
		return;
	m_device->m_timer->getSource()->waitUntil(realTime, window ? window->getMessageDescriptor() : -1);
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
