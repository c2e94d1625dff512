#include "widgets/SceneManager.h"

#include "core/CEventNode.h"
#include "platform/CEventInput.h"
#include "platform/CTimerManager.h"

namespace fw
{
namespace
{
// Keyboard, mouse and node events on top of a node's.
const u32 SCENE_MANAGER_EVENT_MASK = EVENT_CATEGORY_KEYBOARD | EVENT_CATEGORY_MOUSE | EVENT_CATEGORY_NODE;
} // namespace

SceneManager::SceneManager(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	BaseNode(reference, parent, sceneManager)
{
	setEventMask(getEventMask() | SCENE_MANAGER_EVENT_MASK);
	// Every update, never twice in one.
	setInterval(0);
}

SceneManager::~SceneManager()
{
	std::deque<SQueuedMessage> messages;
	messages.swap(m_messageQueue);
	for (const SQueuedMessage& message : messages)
	{
		message.event->drop();
		if (message.receiver != static_cast<CEventReceiver*>(this))
			message.receiver->drop();
	}
	flushRemovals();
	removeAllChildren();
	// The timer part leaves its timer manager in its own destructor.
}

BaseNode* SceneManager::clone(BaseNode* parent, ISceneManager* sceneManager) const
{
	ISceneManager* manager = sceneManager ? sceneManager : getSceneManager();
	return finishClone(new SceneManager(getContentReference(), parent, manager), parent, manager);
}

const wchar_t* SceneManager::getTypeName() const
{
	return L"SceneManager";
}

const wchar_t* SceneManager::getClassName() const
{
	return L"SceneManager";
}

// ---------------------------------------------------------------------------------------------
// Routing.

bool SceneManager::routeUp(s32 mode, CEvent* event)
{
	BaseNode* parent = getParent();
	if (parent && parent->acceptsEvent(event))
	{
		const CRefHolder<BaseNode> hold(parent);
		return parent->routeEvent(mode, event);
	}
	return true;
}

bool SceneManager::routeDown(s32 mode, CEvent* event)
{
	if (!event || event->isOfType(CEventInput::TypeId))
		return false;
	// A nested manager's scenes are attached, and get their templates, through their own manager.
	if (getSceneManager() &&
		(event->isOfType(CEventNodeTemplatesChanged::TypeId) || event->isOfType(CEventNodeAttached::TypeId)))
		return false;
	// Held for the walk: a handler may remove or destroy scenes.
	const core::array<BaseNode*> children(getChildren());
	for (u32 i = 0; i < children.size(); ++i)
		children[i]->grab();
	bool consumed = false;
	for (u32 i = 0; i < children.size() && !consumed; ++i)
	{
		BaseNode* child = children[i];
		if (child->getParent() == this && child->acceptsEvent(event))
			consumed = child->routeEvent(mode, event);
	}
	for (u32 i = 0; i < children.size(); ++i)
		children[i]->drop();
	return consumed;
}

// ---------------------------------------------------------------------------------------------
// The message queue.

void SceneManager::queueMessage(CEventReceiver* receiver, s32 route, CEvent* event)
{
	if (!receiver || !event)
		return;
	event->grab();
	// The manager outlives its own queue; a reference to itself would keep it alive forever.
	if (receiver != static_cast<CEventReceiver*>(this))
		receiver->grab();
	const SQueuedMessage message = {receiver, route, event};
	if (m_processingMessages)
		m_messageQueue.push_back(message);
	else
		m_messageQueue.push_front(message);
}

bool SceneManager::processMessageQueue()
{
	if (m_processingMessages)
		return true;
	// A handler may drop the last other reference to the manager.
	const CRefHolder<SceneManager> self(this);
	m_processingMessages = true;
	while (!m_messageQueue.empty())
	{
		const SQueuedMessage message = m_messageQueue.back();
		m_messageQueue.pop_back();
		message.receiver->routeEvent(message.route, message.event);
		message.event->drop();
		if (message.receiver != static_cast<CEventReceiver*>(this))
			message.receiver->drop();
	}
	m_processingMessages = false;
	flushRemovals();
	return true;
}

bool SceneManager::onTimer(u32)
{
	return processMessageQueue();
}

void SceneManager::setTimerManager(CTimerManager* timerManager)
{
	m_attachedTimerManager = timerManager;
	setManager(timerManager);
}

void SceneManager::scheduleRemoval(BaseNode* node)
{
	if (!node)
		return;
	node->grab();
	m_pendingRemovals.push_back(node);
}

void SceneManager::flushRemovals()
{
	core::array<BaseNode*> removals;
	removals.swap(m_pendingRemovals);
	for (u32 i = 0; i < removals.size(); ++i)
	{
		removeChild(removals[i]);
		removals[i]->drop();
	}
}
} // namespace fw
