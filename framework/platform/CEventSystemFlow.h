#pragma once

#include "core/TypeIds.h"

// The main loop's events (fixed update steps and frames) and the window's (activation, closing).

#include "core/CEvent.h"

namespace fw
{
class CEventSystemFlow : public CEvent
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_SYSTEM_FLOW, CEvent)
	CEventSystemFlow() : CEvent(EVENT_CATEGORY_SYSTEM_FLOW) {}
};

// Everything that moves in time moves by the milliseconds of these events only.
class CEventSystemFlowUpdate : public CEventSystemFlow
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_SYSTEM_FLOW_UPDATE, CEventSystemFlow)
	explicit CEventSystemFlowUpdate(u32 milliseconds) : m_milliseconds(milliseconds) {}

	u32 getMilliseconds() const { return m_milliseconds; }

private:
	u32 m_milliseconds;
};

// One frame: drawing happens on this event only.
class CEventSystemFlowDraw : public CEventSystemFlow
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_SYSTEM_FLOW_DRAW, CEventSystemFlow)
};

// The window was activated or deactivated.
class CEventSystemFlowActivate : public CEventSystemFlow
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_SYSTEM_FLOW_ACTIVATE, CEventSystemFlow)
	explicit CEventSystemFlowActivate(bool active) : m_active(active) {}

	bool isActive() const { return m_active; }

private:
	bool m_active;
};

// The application came to the foreground or left it.
class CEventSystemFlowAppActivate : public CEventSystemFlow
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_SYSTEM_FLOW_APP_ACTIVATE, CEventSystemFlow)
	explicit CEventSystemFlowAppActivate(bool active) : m_active(active) {}

	bool isActive() const { return m_active; }

private:
	bool m_active;
};

// The user asks to close the window; a receiver that takes the event keeps it open.
class CEventSystemFlowCloseRequest : public CEventSystemFlow
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_SYSTEM_FLOW_CLOSE_REQUEST, CEventSystemFlow)
};

// The window is being destroyed; the main loop ends next.
class CEventSystemFlowDestroy : public CEventSystemFlow
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_SYSTEM_FLOW_DESTROY, CEventSystemFlow)
};
} // namespace fw
