#pragma once

#include "core/TypeIds.h"

// What the scene manager tells scenes about switches and message boxes, and what tab scenes tell
// their pages.

#include "core/CEventNode.h"

namespace fw
{
class BaseNode;
class SceneNode;

class CEventSceneTransition : public CEventNode
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_SCENE_TRANSITION, CEventNode)
	CEventSceneTransition(SceneNode* from, SceneNode* to, bool forward) : m_from(from), m_to(to), m_forward(forward) {}

	SceneNode* getFrom() const { return m_from; }
	SceneNode* getTo() const { return m_to; }
	// Opening (push, set active) rather than going back.
	bool isForward() const { return m_forward; }

private:
	SceneNode* m_from;
	SceneNode* m_to;
	bool m_forward;
};

class CEventSceneTransitionStart : public CEventSceneTransition
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_SCENE_TRANSITION_START, CEventSceneTransition)
	using CEventSceneTransition::CEventSceneTransition;
};

class CEventSceneTransitionEnd : public CEventSceneTransition
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_SCENE_TRANSITION_END, CEventSceneTransition)
	using CEventSceneTransition::CEventSceneTransition;
};

class CEventMessageBoxResult : public CEventNode
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_MESSAGE_BOX_RESULT, CEventNode)
	explicit CEventMessageBoxResult(s32 result) : m_result(result) {}
	// The index of the pressed button.
	s32 getResult() const { return m_result; }

private:
	s32 m_result;
};

// A tab scene's switch from one page to another; the old page is null on a first selection.
class CEventTab : public CEventNode
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_TAB, CEventNode)
	CEventTab(BaseNode* oldPage, BaseNode* newPage) : m_oldPage(oldPage), m_newPage(newPage) {}

	BaseNode* getOldPage() const { return m_oldPage; }
	BaseNode* getNewPage() const { return m_newPage; }

private:
	BaseNode* m_oldPage;
	BaseNode* m_newPage;
};

// Queued when a selection starts.
class CEventTabSelected : public CEventTab
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_TAB_SELECTED, CEventTab)
	using CEventTab::CEventTab;
};

// Queued when both pages have played the switch.
class CEventTabSwitched : public CEventTab
{
public:
	FW_EVENT_TYPE(EVENT_TYPE_TAB_SWITCHED, CEventTab)
	using CEventTab::CEventTab;
};
} // namespace fw
