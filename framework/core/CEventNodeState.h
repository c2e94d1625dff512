#pragma once

#include "core/TypeIds.h"

#include "core/CEventNode.h"

namespace fw
{
class Base;
class CAnimatorState;

// A message of a state for its node, which the state hands up unchanged. Nothing sends one yet.
class CEventNodeStateMessage : public CEventNode
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_NODE_STATE_MESSAGE, CEventNode)
};

// A state item reports its first loop or its end to its state.
class CEventNodeStateItemNotify : public CEventNode
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_NODE_STATE_ITEM_NOTIFY, CEventNode)
	CEventNodeStateItemNotify(Base* item, u32 time, bool looped) : m_item(item), m_time(time), m_looped(looped) {}

	Base* getItem() const { return m_item; }
	// The item's time within its current key.
	u32 getTime() const { return m_time; }
	bool isLooped() const { return m_looped; }

private:
	Base* m_item;
	u32 m_time;
	bool m_looped;
};

// A state object has been entered; goes to its node.
class CEventNodeStateStarted : public CEventNode
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_NODE_STATE_STARTED, CEventNode)
	CEventNodeStateStarted(CAnimatorState* state, s32 reportedStateId) :
		m_state(state), m_reportedStateId(reportedStateId)
	{
	}

	CAnimatorState* getState() const { return m_state; }
	s32 getReportedStateId() const { return m_reportedStateId; }

private:
	CAnimatorState* m_state;
	s32 m_reportedStateId;
};

// A state object has finished by itself, or was left (stopped) while items were still running; goes
// to its node.
class CEventNodeStateFinished : public CEventNode
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_NODE_STATE_FINISHED, CEventNode)
	CEventNodeStateFinished(CAnimatorState* state, s32 reportedStateId, bool stopped) :
		m_state(state), m_reportedStateId(reportedStateId), m_stopped(stopped)
	{
	}

	CAnimatorState* getState() const { return m_state; }
	s32 getReportedStateId() const { return m_reportedStateId; }
	bool isStopped() const { return m_stopped; }

private:
	CAnimatorState* m_state;
	s32 m_reportedStateId;
	bool m_stopped;
};
} // namespace fw
