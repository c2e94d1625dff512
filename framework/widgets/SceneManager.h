#pragma once

#include "core/BaseNode.h"
#include "core/ISceneManager.h"
#include "platform/CTimer.h"

#include <deque>

namespace fw
{
class CTimerManager;

// One event waiting in a scene manager's queue. The queue holds a reference to the receiver (except
// when the receiver is the manager itself) and one to the event until the delivery is over.
struct SQueuedMessage
{
	CEventReceiver* receiver;
	s32 route;
	CEvent* event;
};

// The root node under which an application's scenes live. It queues the events its nodes post and
// delivers them in one pass per update of the timer manager it is attached to (its timer part runs
// on every update); nodes scheduled for removal leave the tree at the end of the pass.
//
// Between passes events are delivered first in, first out; an event posted during a pass is
// delivered next, before those already waiting (several: the last posted first).
class SceneManager : public BaseNode, public CTimer, public ISceneManager
{
public:
	FW_NODE_TYPE(22, BaseNode)

	// Not attached to any timer manager: queued events wait until setTimerManager.
	explicit SceneManager(const ContentReference& reference = ContentReference(), BaseNode* parent = nullptr,
		ISceneManager* sceneManager = nullptr);
	// Queued events are released undelivered, pending removals done, the children removed; the
	// timer part leaves its timer manager.
	~SceneManager() override;

	BaseNode* clone(BaseNode* parent = nullptr, ISceneManager* sceneManager = nullptr) const override;
	const wchar_t* getTypeName() const override;
	const wchar_t* getClassName() const override;

	// Events that bubble up out of a scene stop here, consumed, unless the manager has a parent
	// that takes them.
	bool routeUp(s32 mode, CEvent* event) override;
	// Other events go to the scenes first to last until one consumes them. Input goes only to the
	// active scene, which the scene stack provides; until then no scene receives input.
	bool routeDown(s32 mode, CEvent* event) override;

	// Null receivers and events are ignored.
	void queueMessage(CEventReceiver* receiver, s32 route, CEvent* event) override;
	// Delivers until the queue is empty, then detaches the nodes scheduled for removal. A call made
	// while a pass runs returns at once: the running pass delivers what is queued. Always true.
	bool processMessageQueue();
	u32 getQueuedMessageCount() const { return static_cast<u32>(m_messageQueue.size()); }
	bool isProcessingMessages() const { return m_processingMessages; }

	// The timer part: one pass per update of its timer manager.
	bool onTimer(u32 elapsed) override;
	// Moves the timer part there; null only leaves the old one.
	void setTimerManager(CTimerManager* timerManager);
	CTimerManager* getTimerManager() const { return m_attachedTimerManager; }

	// The node leaves the manager's children at the end of the next pass (the running one, if any).
	void scheduleRemoval(BaseNode* node);
	void flushRemovals();

private:
	CTimerManager* m_attachedTimerManager = nullptr;
	// Held, so that a node destroyed meanwhile is not mistaken for another at its address.
	core::array<BaseNode*> m_pendingRemovals;
	// The first end is the front, the last end the back; deliveries take from the back.
	std::deque<SQueuedMessage> m_messageQueue;
	bool m_processingMessages = false;
};
} // namespace fw
