#pragma once

// A clock stepped by hand, an event recorder and a log collector for the device and loop tests.

#include "core/CEventReceiver.h"
#include "core/CLogger.h"
#include "core/CRefHolder.h"
#include "platform/CDeviceLinux.h"
#include "platform/CEventDevice.h"
#include "platform/CEventSystemFlow.h"
#include "platform/IMonotonicClock.h"
#include "support/LogCapture.h"

#include <functional>
#include <string>
#include <vector>

namespace fw
{
namespace devtest
{
// Time moves only when the test says so, or by exactly what the code sleeps.
class CSteppedClock : public IMonotonicClock
{
public:
	u64 getMilliseconds() const override { return now; }
	void sleep(u32 milliseconds) override
	{
		sleeps.push_back(milliseconds);
		now += milliseconds;
	}
	// The wait runs to its deadline, unless the test has a message come sooner.
	bool waitUntil(u64 deadline, s32) override
	{
		if (deadline <= now)
			return false;
		const bool early = cutShort > 0 && now + cutShort < deadline;
		const u64 end = early ? now + cutShort : deadline;
		waits.push_back(static_cast<u32>(end - now));
		now = end;
		cutShort = 0;
		return early;
	}

	u64 now = 5000000;
	std::vector<u32> sleeps;
	// How long each wait that was not over at once lasted.
	std::vector<u32> waits;
	// The next wait ends after this many milliseconds, as when a message arrives (0: none).
	u32 cutShort = 0;
};

// Writes "u<ms>" for updates, "d" for draws and "e<id>" for other events into a shared trace;
// runs an optional action after each and answers as told.
class CRecorder : public CEventReceiver
{
public:
	CRecorder(std::vector<std::string>& trace, const std::string& name = "", u32 mask = ~0u) :
		m_trace(trace), m_name(name)
	{
		setEventMask(mask);
	}

	bool onEvent(CEvent* event) override
	{
		std::string entry;
		if (event->getTypeId() == CEventSystemFlowUpdate::TypeId)
			entry = "u" + std::to_string(static_cast<CEventSystemFlowUpdate*>(event)->getMilliseconds());
		else if (event->getTypeId() == CEventSystemFlowDraw::TypeId)
			entry = "d";
		else
			entry = "e" + std::to_string(event->getTypeId());
		m_trace.push_back(m_name.empty() ? entry : m_name + ":" + entry);
		if (action)
			action(event);
		return answer;
	}

	const std::string& getName() const { return m_name; }

	std::function<void(CEvent*)> action;
	bool answer = false;

private:
	std::vector<std::string>& m_trace;
	std::string m_name;
};

using test::CLogCapture;
using test::SLogLine;
// The suite's name for the one log capture.
typedef CLogCapture CLogLines;

// A headless device on a stepped clock whose flags the test may switch.
class CTestDevice : public CDeviceLinux
{
public:
	explicit CTestDevice(CSteppedClock* clock, const SDeviceCreationParameters& params = SDeviceCreationParameters()) :
		CDeviceLinux(params, clock)
	{
	}
	void setAppActive(bool active) { m_appActive = active; }
	// As run sets it, for tests that make single passes.
	void setRunning(bool running) { m_running = running; }
};
} // namespace devtest
} // namespace fw
