#pragma once

// The main loop's events: fixed update steps and frames.

#include "core/CEvent.h"

namespace fw
{
class CEventSystemFlow : public CEvent
{
public:
	FW_EVENT_TYPE(2, CEvent)
	CEventSystemFlow() : CEvent(EVENT_CATEGORY_SYSTEM_FLOW) {}
};

// Everything that moves in time moves by the milliseconds of these events only.
class CEventSystemFlowUpdate : public CEventSystemFlow
{
public:
	FW_EVENT_TYPE(14, CEventSystemFlow)
	explicit CEventSystemFlowUpdate(u32 milliseconds) : m_milliseconds(milliseconds) {}

	u32 getMilliseconds() const { return m_milliseconds; }

private:
	u32 m_milliseconds;
};

// One frame: drawing happens on this event only.
class CEventSystemFlowDraw : public CEventSystemFlow
{
public:
	FW_EVENT_TYPE(15, CEventSystemFlow)
};
} // namespace fw
