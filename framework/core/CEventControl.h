#pragma once

#include "core/TypeIds.h"

// The events controls send each other and queue for the rest of the program. Every odd id derives
// from the even one below it: the even event is sent through the tree at once, the odd one queued.

#include "core/CEventNode.h"

namespace fw
{
// Two node fields whose meaning each event names: {only-this, excepted} for the clear events,
// {only-this, target} for the set events.
class CEventNodePair : public CEventNode
{
public:
	CEventNodePair(BaseNode* first, BaseNode* second) : m_first(first), m_second(second) {}

	BaseNode* getFirst() const { return m_first; }
	BaseNode* getSecond() const { return m_second; }

private:
	BaseNode* m_first;
	BaseNode* m_second;
};

// A set event: the second field is the node that takes the flag (null: whoever receives it).
#define FW_CONTROL_SET_EVENT(Name, Id, Base)                                                                           \
	class Name : public Base                                                                                           \
	{                                                                                                                  \
	public:                                                                                                            \
		FW_EVENT_TYPE(Id, Base)                                                                                        \
		Name(BaseNode* onlyThis, BaseNode* target) : Base(onlyThis, target) {}                                         \
		BaseNode* getOnlyThis() const { return getFirst(); }                                                           \
		BaseNode* getTarget() const { return getSecond(); }                                                            \
	};

// A clear event: the first field, when set, is the only node that clears its flag; the second is
// the node that keeps it.
#define FW_CONTROL_CLEAR_EVENT(Name, Id, Base)                                                                         \
	class Name : public Base                                                                                           \
	{                                                                                                                  \
	public:                                                                                                            \
		FW_EVENT_TYPE(Id, Base)                                                                                        \
		Name(BaseNode* onlyThis, BaseNode* excepted) : Base(onlyThis, excepted) {}                                     \
		BaseNode* getOnlyThis() const { return getFirst(); }                                                           \
		BaseNode* getExcepted() const { return getSecond(); }                                                          \
	};

FW_CONTROL_SET_EVENT(CEventNodeSetDown, EVENT_TYPE_NODE_SET_DOWN, CEventNodePair)
FW_CONTROL_SET_EVENT(CEventNodeDown, EVENT_TYPE_NODE_DOWN, CEventNodeSetDown)
FW_CONTROL_CLEAR_EVENT(CEventNodeClearDown, EVENT_TYPE_NODE_CLEAR_DOWN, CEventNodePair)
FW_CONTROL_CLEAR_EVENT(CEventNodeUp, EVENT_TYPE_NODE_UP, CEventNodeClearDown)
FW_CONTROL_SET_EVENT(CEventNodeSetHover, EVENT_TYPE_NODE_SET_HOVER, CEventNodePair)
FW_CONTROL_SET_EVENT(CEventNodeHovered, EVENT_TYPE_NODE_HOVERED, CEventNodeSetHover)
FW_CONTROL_CLEAR_EVENT(CEventNodeClearHover, EVENT_TYPE_NODE_CLEAR_HOVER, CEventNodePair)
FW_CONTROL_CLEAR_EVENT(CEventNodeUnhovered, EVENT_TYPE_NODE_UNHOVERED, CEventNodeClearHover)
FW_CONTROL_SET_EVENT(CEventNodeSetFocus, EVENT_TYPE_NODE_SET_FOCUS, CEventNodePair)
FW_CONTROL_SET_EVENT(CEventNodeFocused, EVENT_TYPE_NODE_FOCUSED, CEventNodeSetFocus)
FW_CONTROL_CLEAR_EVENT(CEventNodeClearFocus, EVENT_TYPE_NODE_CLEAR_FOCUS, CEventNodePair)
FW_CONTROL_CLEAR_EVENT(CEventNodeUnfocused, EVENT_TYPE_NODE_UNFOCUSED, CEventNodeClearFocus)

#undef FW_CONTROL_SET_EVENT
#undef FW_CONTROL_CLEAR_EVENT

// Events about one control.
class CEventNodeOfControl : public CEventNode
{
public:
	explicit CEventNodeOfControl(BaseNode* node) : m_node(node) {}
	BaseNode* getNode() const { return m_node; }

private:
	BaseNode* m_node;
};

class CEventNodeClick : public CEventNodeOfControl
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_NODE_CLICK, CEventNode)
	using CEventNodeOfControl::CEventNodeOfControl;
};

// Queued when a press starts, before its look has played.
class CEventNodePressedPreview : public CEventNodeClick
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_NODE_PRESSED_PREVIEW, CEventNodeClick)
	using CEventNodeClick::CEventNodeClick;
};

class CEventNodePressFinished : public CEventNodeOfControl
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_NODE_PRESS_FINISHED, CEventNode)
	using CEventNodeOfControl::CEventNodeOfControl;
};

// Queued when the press look has finished: what the program reacts to.
class CEventNodePressed : public CEventNodePressFinished
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_NODE_PRESSED, CEventNodePressFinished)
	using CEventNodePressFinished::CEventNodePressFinished;
};
} // namespace fw
