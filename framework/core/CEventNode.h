#pragma once

#include "core/TypeIds.h"

#include "core/CEvent.h"

namespace fw
{
class BaseNode;
class ISceneManager;

// The base of node, state and control events.
class CEventNode : public CEvent
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_NODE, CEvent)
	CEventNode() : CEvent(EVENT_CATEGORY_NODE) {}
};

// Sent into a tree when a scene manager takes it over.
class CEventNodeAttached : public CEventNode
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_NODE_ATTACHED, CEventNode)
	explicit CEventNodeAttached(ISceneManager* sceneManager) : m_sceneManager(sceneManager) {}

	ISceneManager* getSceneManager() const { return m_sceneManager; }

private:
	ISceneManager* m_sceneManager;
};

// Sent into a tree when a template collection is installed or a template instantiated.
class CEventNodeTemplatesChanged : public CEventNode
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_NODE_TEMPLATES_CHANGED, CEventNode)
	explicit CEventNodeTemplatesChanged(BaseNode* collection) : m_collection(collection) {}

	BaseNode* getTemplateCollection() const { return m_collection; }

private:
	BaseNode* m_collection;
};

// Asks a tree to build again what its nodes derive from their properties and surroundings (a
// control's template, a text's layout). Nothing sends it yet; the handlers are in place.
class CEventNodeRefresh : public CEventNode
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_NODE_REFRESH, CEventNode)
};

// The node-and-state events a node sends about the states it enters and the changes it applies.
template <s32 Id>
class CEventNodeStateOfNode : public CEventNode
{
public:
	FW_EVENT_TYPE(Id, CEventNode)
	CEventNodeStateOfNode(BaseNode* node, s32 stateId) : m_node(node), m_stateId(stateId) {}

	BaseNode* getNode() const { return m_node; }
	s32 getStateId() const { return m_stateId; }

private:
	BaseNode* m_node;
	s32 m_stateId;
};

// The node had no state of that name; it is entered and ended at once.
typedef CEventNodeStateOfNode<EVENT_TYPE_NODE_STATE_ENTERED> CEventNodeStateEntered;
// The node's state has ended; goes to the parent.
typedef CEventNodeStateOfNode<EVENT_TYPE_NODE_STATE_ENDED> CEventNodeStateEnded;
// The node starts applying a state to its children; goes to the node itself.
typedef CEventNodeStateOfNode<EVENT_TYPE_NODE_STATE_CHANGE_BEGUN> CEventNodeStateChangeBegun;
// Every child has ended the state; goes to the node, then to its parent.
typedef CEventNodeStateOfNode<EVENT_TYPE_NODE_STATE_CHANGE_COMPLETE> CEventNodeStateChangeComplete;
} // namespace fw
