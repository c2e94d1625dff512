#include "widgets/SceneManager.h"

#include "content/video/CQuadBatch.h"
#include "core/CEventInput.h"
#include "core/CEventNode.h"
#include "core/CNameTable.h"
#include "core/NodeCasts.h"
#include "core/SceneNode.h"
#include "platform/CDeviceStub.h"
#include "platform/CTimerManager.h"
#include "platform/ICursorControl.h"
#include "widgets/CEventScene.h"
#include "widgets/MessageBoxNode.h"
#include "widgets/TemplateCollectionNode.h"

#include <vector>

namespace fw
{
namespace
{
// Keyboard, mouse and node events on top of a node's.
const u32 SCENE_MANAGER_EVENT_MASK = EVENT_CATEGORY_KEYBOARD | EVENT_CATEGORY_MOUSE | EVENT_CATEGORY_NODE;

// Scene timer managers are offered device events after every receiver of lower priority.
const s32 SCENE_TIMER_MANAGER_PRIORITY = 1000;

struct STransitionNames
{
	s32 navTo, navFrom, navBackTo, navBackFrom;
	STransitionNames()
	{
		CNameTable& names = CNameTableSingleton::Instance();
		navTo = names.intern("NavTo");
		navFrom = names.intern("NavFrom");
		navBackTo = names.intern("NavBackTo");
		navBackFrom = names.intern("NavBackFrom");
	}
};

const STransitionNames& transitions()
{
	static const STransitionNames& table = *new STransitionNames;
	return table;
}

// Previous-scene chains cannot loop (the stack refuses scenes already on it); a walk still stops.
const s32 MAX_CHAIN_WALK = 100000;

// Message boxes leave without transition events.
bool isMessageBox(const SceneNode* scene)
{
	return scene && scene->isOfType(MessageBoxNode::TypeId);
}
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
	m_switches.clear();
	m_activeScene = nullptr;
	for (u32 i = 0; i < getChildren().size(); ++i)
		if (SceneNode* scene = nodeCast<SceneNode>(getChildren()[i]))
			releaseSceneTimerManager(scene);
	removeAllChildren();
	// Scenes that left otherwise (taken out by the program, perhaps destroyed) are not touched.
	for (auto& entry : m_sceneTimerManagers)
	{
		if (m_services.device)
			m_services.device->removeEventReceiver(entry.second);
		entry.second->drop();
	}
	m_sceneTimerManagers.clear();
	m_templateCollection.release();
	// The timer part leaves its timer manager in its own destructor.
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
	if (!event)
		return false;
	if (event->isOfType(CEventInput::TypeId))
	{
		SceneNode* scene = m_activeScene;
		if (!scene || scene->getParent() != this || isSwitching(scene))
			return false;
		const CRefHolder<SceneNode> held(scene);
		return scene->routeEvent(ROUTE_DOWN_SELF, event);
	}
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
	if (!node || isScheduledForRemoval(node))
		return;
	node->grab();
	m_pendingRemovals.push_back(node);
}

bool SceneManager::isScheduledForRemoval(const BaseNode* node) const
{
	for (u32 i = 0; i < m_pendingRemovals.size(); ++i)
		if (m_pendingRemovals[i] == node)
			return true;
	return false;
}

void SceneManager::flushRemovals()
{
	core::array<BaseNode*> removals;
	removals.swap(m_pendingRemovals);
	for (u32 i = 0; i < removals.size(); ++i)
	{
		BaseNode* node = removals[i];
		// A scene that came back meanwhile (made active again, or pushed again) stays.
		SceneNode* scene = nodeCast<SceneNode>(node);
		if (scene && isOnActiveChain(scene))
		{
			node->drop();
			continue;
		}
		if (removeChild(node) && scene)
		{
			releaseSceneTimerManager(scene);
			scene->setPreviousScene(nullptr);
			forgetSwitchingScene(scene);
		}
		node->drop();
	}
}

// ---------------------------------------------------------------------------------------------
// Templates and scene timer managers.

void SceneManager::setTemplateCollection(TemplateCollectionNode* collection)
{
	m_templateCollection.assign(collection);
	if (!collection)
		return;
	const CRefHolder<SceneManager> self(this);
	const CRefHolder<CEvent> changed = adoptRef<CEvent>(new CEventNodeTemplatesChanged(collection));
	routeDown(ROUTE_DOWN_SELF, changed.get());
}

BaseNode* SceneManager::getTemplateCollectionNode() const
{
	return m_templateCollection.get();
}

bool SceneManager::applyTemplate(s32 templateNameId, BaseNode* target)
{
	return m_templateCollection && m_templateCollection->applyTemplate(templateNameId, target);
}

ITimerManager* SceneManager::getSceneTimerManager(const SceneNode* scene) const
{
	return scene ? scene->getTimerManager() : nullptr;
}

void SceneManager::createSceneTimerManager(SceneNode* scene)
{
	const auto found = m_sceneTimerManagers.find(scene);
	if (found != m_sceneTimerManagers.end())
	{
		// A scene that stays in the tree keeps the one it has.
		found->second->setRunning(true);
		scene->setTimerManager(found->second);
		return;
	}
	CTimerManager* timers = m_services.device ? m_services.device->createTimerManager() : new CTimerManager;
	if (!timers)
		return;
	if (m_services.device)
		m_services.device->addEventReceiver(timers, SCENE_TIMER_MANAGER_PRIORITY);
	m_sceneTimerManagers[scene] = timers;
	scene->setTimerManager(timers);
}

void SceneManager::releaseSceneTimerManager(SceneNode* scene)
{
	const auto found = m_sceneTimerManagers.find(scene);
	if (found == m_sceneTimerManagers.end())
		return;
	CTimerManager* timers = found->second;
	m_sceneTimerManagers.erase(found);
	if (scene->getTimerManager() == timers)
		scene->setTimerManager(nullptr);
	if (m_services.device)
		m_services.device->removeEventReceiver(timers);
	timers->drop();
}

// ---------------------------------------------------------------------------------------------
// The scene stack.

bool SceneManager::isSwitching(const SceneNode* scene) const
{
	if (!scene)
		return false;
	for (u32 i = 0; i < m_switches.size(); ++i)
		if (m_switches[i].from == scene || m_switches[i].to == scene)
			return true;
	return false;
}

SSceneSwitch SceneManager::findSwitch(const SceneNode* scene) const
{
	for (u32 i = 0; i < m_switches.size(); ++i)
		if (m_switches[i].from == scene || m_switches[i].to == scene)
			return m_switches[i];
	return SSceneSwitch{nullptr, -1, nullptr, -1, true, false};
}

void SceneManager::removeSwitch(const SceneNode* scene)
{
	for (u32 i = 0; i < m_switches.size(); ++i)
		if (m_switches[i].from == scene || m_switches[i].to == scene)
		{
			m_switches[i] = m_switches.getLast();
			m_switches.erase(m_switches.size() - 1);
			return;
		}
}

void SceneManager::forgetSwitchingScene(const SceneNode* scene)
{
	// The other side of a record goes on switching; a record whose incoming scene has gone ends.
	for (u32 i = m_switches.size(); i-- > 0;)
	{
		SSceneSwitch& record = m_switches[i];
		if (record.from == scene)
			record.from = nullptr;
		if (record.to == scene)
			m_switches.erase(i);
	}
}

bool SceneManager::isOnStack(const SceneNode* scene) const
{
	return (scene->getParent() && scene->getSceneManager() == this && !isScheduledForRemoval(scene)) ||
		isOnActiveChain(scene);
}

bool SceneManager::isOnActiveChain(const SceneNode* scene) const
{
	s32 steps = 0;
	for (const SceneNode* at = m_activeScene; at && steps < MAX_CHAIN_WALK; at = at->getPreviousScene(), ++steps)
		if (at == scene)
			return true;
	return false;
}

void SceneManager::deliverTransition(SceneNode* scene, SceneNode* from, SceneNode* to, bool forward, bool start)
{
	const CRefHolder<CEvent> event = start ? adoptRef<CEvent>(new CEventSceneTransitionStart(from, to, forward))
										   : adoptRef<CEvent>(new CEventSceneTransition(from, to, forward));
	if (!scene->onEvent(event.get()) && start)
		scene->routeUp(ROUTE_SELF_UP, event.get());
}

void SceneManager::announceAttached(SceneNode* scene)
{
	const CRefHolder<CEvent> attached = adoptRef<CEvent>(new CEventNodeAttached(this));
	if (!scene->onEvent(attached.get()))
		scene->routeDown(ROUTE_SELF_DOWN, attached.get());
}

bool SceneManager::setActiveScene(SceneNode* scene, s32 inState)
{
	if (isSwitching(scene))
		return false;
	if (inState == -1)
		inState = transitions().navTo;
	const CRefHolder<SceneManager> self(this);
	const CRefHolder<SceneNode> held(scene);
	core::array<BaseNode*> children(getChildren());
	for (u32 i = 0; i < children.size(); ++i)
		children[i]->grab();
	for (u32 i = 0; i < children.size(); ++i)
	{
		// The scene itself stays: it becomes the whole stack.
		if (children[i] == scene)
			continue;
		scheduleRemoval(children[i]);
		if (SceneNode* old = nodeCast<SceneNode>(children[i]))
		{
			const CRefHolder<CEvent> transition = adoptRef<CEvent>(new CEventSceneTransition(old, nullptr, true));
			old->onEvent(transition.get());
			const CRefHolder<CEvent> start = adoptRef<CEvent>(new CEventSceneTransitionStart(old, nullptr, true));
			old->onEvent(start.get());
		}
	}
	for (u32 i = 0; i < children.size(); ++i)
		children[i]->drop();
	m_switches.clear();
	m_activeScene = nullptr;
	if (!scene)
		return true;

	createSceneTimerManager(scene);
	scene->setPreviousScene(nullptr);
	addChild(scene);
	scene->attachToScene(this, scene);
	scene->setVisible(true);
	scene->setFocused(false);
	announceAttached(scene);
	deliverTransition(scene, nullptr, scene, true, false);
	deliverTransition(scene, nullptr, scene, true, true);
	m_activeScene = scene;
	m_switches.push_back(SSceneSwitch{nullptr, -1, scene, inState, true, false});
	scene->setState(inState, nullptr);
	return true;
}

bool SceneManager::pushScene(SceneNode* from, SceneNode* to, s32 outState, s32 inState, bool fromStaysVisible)
{
	if (!to || isSwitching(to) || to == from || isOnStack(to))
		return false;
	if (outState == -1)
		outState = transitions().navFrom;
	if (inState == -1)
		inState = transitions().navTo;
	const CRefHolder<SceneManager> self(this);
	const CRefHolder<SceneNode> heldTo(to);
	const CRefHolder<SceneNode> heldFrom(from);

	if (from && isSwitching(from))
	{
		SSceneSwitch record = findSwitch(from);
		from->stopStateInChildren(record.from == from ? record.outState : record.inState);
		if (isSwitching(from))
		{
			record = findSwitch(from);
			if (record.to == from && record.from)
				record.from->stopStateInChildren(record.outState);
		}
	}

	BaseNode* parent = this;
	BaseNode* anchor = getChildren().empty() ? nullptr : getChildren().getLast();
	if (from)
	{
		parent = from->getParent() ? from->getParent() : this;
		anchor = from;
		from->setFocused(false);
		deliverTransition(from, from, to, true, false);
		deliverTransition(from, from, to, true, true);
	}
	createSceneTimerManager(to);
	to->setPreviousScene(from);
	parent->insertChild(to, anchor);
	to->setVisible(true);
	to->setFocused(false);
	to->attachToScene(this, to);
	announceAttached(to);
	deliverTransition(to, from, to, true, false);
	deliverTransition(to, from, to, true, true);
	if (from)
		m_activeScene = to;
	const SSceneSwitch record{from, outState, to, inState, true, fromStaysVisible};
	m_switches.push_back(record);
	if (from)
	{
		m_switches.push_back(record);
		from->setState(outState, nullptr);
	}
	to->setState(inState, nullptr);
	return true;
}

bool SceneManager::popToScene(SceneNode* from, SceneNode* to, s32 outState, s32 inState)
{
	if (!from || !to || isSwitching(from) || isSwitching(to))
		return false;
	bool below = false;
	s32 steps = 0;
	for (SceneNode* at = from->getPreviousScene(); at && steps < MAX_CHAIN_WALK; at = at->getPreviousScene(), ++steps)
		if (at == to)
		{
			below = true;
			break;
		}
	if (!below)
		return false;
	if (outState == -1)
		outState = transitions().navBackFrom;
	if (inState == -1)
		inState = transitions().navBackTo;
	const CRefHolder<SceneManager> self(this);
	const CRefHolder<SceneNode> heldFrom(from);
	const CRefHolder<SceneNode> heldTo(to);

	for (SceneNode* at = from->getPreviousScene(); at && at != to; at = at->getPreviousScene())
		scheduleRemoval(at);
	from->setPreviousScene(to);
	from->setFocused(false);
	to->setFocused(false);
	to->setVisible(true);
	if (ITimerManager* timers = to->getTimerManager())
		timers->setRunning(true);
	const bool box = isMessageBox(from);
	if (!box)
	{
		deliverTransition(from, from, to, false, false);
		deliverTransition(to, from, to, false, false);
		deliverTransition(from, from, to, false, true);
		deliverTransition(to, from, to, false, true);
	}
	m_activeScene = to;
	const SSceneSwitch record{from, outState, to, inState, false, false};
	m_switches.push_back(record);
	if (!box)
		m_switches.push_back(record);
	from->setState(outState, nullptr);
	if (!box)
		to->setState(inState, nullptr);
	return true;
}

bool SceneManager::onStateChangeComplete(CEventNodeStateChangeComplete* event)
{
	SceneNode* node = nodeCast<SceneNode>(event->getNode());
	if (!node || node->getSceneManager() != this)
		return false;
	const SSceneSwitch record = findSwitch(node);
	const bool outgoing = record.from == node;
	if (!outgoing && record.to != node)
		return false;
	if (event->getStateId() != (outgoing ? record.outState : record.inState))
		return false;
	const CRefHolder<SceneManager> self(this);
	removeSwitch(node);
	if (!outgoing)
	{
		const CRefHolder<CEvent> end =
			adoptRef<CEvent>(new CEventSceneTransitionEnd(record.from, record.to, record.keepFrom));
		queueMessage(record.to, ROUTE_SELF_UP, end.get());
		takeBackFocus(record.to);
		return false;
	}
	if (isMessageBox(node))
	{
		// The scene below hears which button closed the box, and nothing else of the switch; the
		// focus the box took goes back to it, or its keys would wait for a hover.
		const CRefHolder<CEvent> result =
			adoptRef<CEvent>(new CEventMessageBoxResult(static_cast<MessageBoxNode*>(node)->getResultIndex()));
		queueMessage(record.to, ROUTE_SELF, result.get());
		if (record.to && record.to == m_activeScene)
			takeBackFocus(record.to);
	}
	else
	{
		const CRefHolder<CEvent> end =
			adoptRef<CEvent>(new CEventSceneTransitionEnd(record.from, record.to, record.keepFrom));
		queueMessage(record.from, ROUTE_SELF_UP, end.get());
	}
	if (!record.keepFrom)
		scheduleRemoval(record.from);
	else if (record.fromStaysVisible)
		record.from->setVisible(true);
	else
	{
		s32 steps = 0;
		for (SceneNode* at = record.from; at && steps < MAX_CHAIN_WALK; at = at->getPreviousScene(), ++steps)
		{
			at->setVisible(false);
			if (ITimerManager* timers = at->getTimerManager())
				timers->setRunning(false);
		}
	}
	return false;
}

void SceneManager::takeBackFocus(SceneNode* scene)
{
	scene->setFocused(true);
	// What lies under the pointer now is hovered without waiting for it to move.
	if (ICursorControl* cursor = m_services.cursor)
	{
		const core::position2d<s32> at = cursor->getPosition();
		const CRefHolder<CEvent> move = adoptRef<CEvent>(new CEventInputMouseMove(at.X, at.Y));
		queueMessage(scene, ROUTE_DOWN_SELF, move.get());
	}
}

SceneNode* SceneManager::showMessageBox(SceneNode* owner, s32 templateNameId, const core::array<core::stringw>& buttons,
	const core::stringw& title, const core::stringw& body)
{
	if (!owner || isSwitching(owner) || !m_templateCollection)
		return nullptr;
	const BaseNode* templateNode = m_templateCollection->getTemplate(templateNameId);
	if (!templateNode)
		return nullptr;
	const CRefHolder<SceneManager> self(this);
	const CRefHolder<SceneNode> heldOwner(owner);
	const CRefHolder<MessageBoxNode> box = adoptRef(new MessageBoxNode(ContentReference(), nullptr, nullptr));
	box->setBounds(templateNode->getBounds());
	// Stored only: the template is built when the box is attached.
	box->setTemplateName(templateNameId);
	box->setButtons(buttons);
	box->setTitle(title);
	box->setBody(body);

	const core::vector3df& at = owner->getPosition();
	const core::vector3df& ownerSize = owner->getBounds();
	const core::vector3df& boxSize = box->getBounds();
	box->setPosition(
		core::vector3df(at.X + (ownerSize.X - boxSize.X) * 0.5f, at.Y + (ownerSize.Y - boxSize.Y) * 0.5f, at.Z));

	owner->setFocused(false);
	createSceneTimerManager(box.get());
	box->setPreviousScene(owner);
	BaseNode* parent = owner->getParent() ? owner->getParent() : this;
	parent->insertChild(box.get(), owner);
	box->setVisible(true);
	box->setFocused(false);
	box->attachToScene(this, box.get());
	announceAttached(box.get());

	m_activeScene = box.get();
	m_switches.push_back(SSceneSwitch{owner, -1, box.get(), transitions().navTo, true, true});
	box->setState(transitions().navTo, nullptr);
	// The owner's parent holds the box.
	return box->getParent() ? box.get() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Drawing.

void SceneManager::appendRenderables(RenderList& list)
{
	list.push_back(SRenderEntry{this, getAbsoluteTransformation()[14], 0});
}

void SceneManager::collectChildRenderables(RenderList&)
{
}

void SceneManager::render(const SRenderContext& context, const core::rect<f32>*)
{
	drawAll(context);
}

void SceneManager::drawAll(video::IVideoDriver* driver)
{
	if (driver)
		drawAll(makeRenderContext(driver));
}

void SceneManager::drawAll(const SRenderContext& context)
{
	if (!context.driver)
		return;
	const CRefHolder<SceneManager> self(this);
	if (isTransformationDirty())
		BaseNode::updateAbsoluteTransformation();
	if (isColorDirty())
		BaseNode::updateAbsoluteColor();
	// A manager drawn inside its own scenes' entries would start a new list under the running one.
	RenderList list;
	list.swap(m_renderList);
	std::vector<CRefHolder<BaseNode>> scenes;
	for (u32 i = 0; i < getChildren().size(); ++i)
		scenes.emplace_back(getChildren()[i]);
	for (const CRefHolder<BaseNode>& scene : scenes)
		if (scene->getParent() == this)
			scene->collectRenderables(list);
	if (m_sortingEnabled && list.size() >= 2)
		list.sort();
	CQuadBatch* batch = context.quadBatch;
	if (batch)
	{
		batch->flush();
		batch->begin();
	}
	for (u32 i = 0; i < list.size(); ++i)
		list[i].node->render(context, nullptr);
	if (batch)
		batch->end();
	list.set_used(0);
	list.swap(m_renderList);
}
} // namespace fw
