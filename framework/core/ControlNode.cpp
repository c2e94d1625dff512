#include "core/ControlNode.h"

#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/CPropertyContainer.h"
#include "core/ISceneManager.h"
#include "core/PropertyAccessors.h"
#include "core/StateItem.h"
// Header-only event classes: the device builds them, controls read their fields.
#include "core/CEventInput.h"
#include "core/KeyCodes.h"

#include <map>
#include <vector>

namespace fw
{
namespace
{
const u32 CONTROL_EVENT_MASK = EVENT_CATEGORY_MOUSE | EVENT_CATEGORY_NODE;

const c8* const DEFAULT_FOCUS_PROPERTY = "DefaultFocusObject";
const c8* const DEFAULT_FOCUS_KEY = "DefaultFocusObjectName";
const c8* const NAV_LEFT_PROPERTY = "NavLeftObjectName";
const c8* const NAV_RIGHT_PROPERTY = "NavRightObjectName";
const c8* const NAV_DOWN_PROPERTY = "NavDownObjectName";
const c8* const NAV_UP_PROPERTY = "NavUpObjectName";
const c8* const TEMPLATE_NAME_PROPERTY = "TemplateName";
const c8* const WANT_FOCUS_PROPERTY = "WantFocus";
const c8* const FOCUS_ON_HOVER_PROPERTY = "IsFocusOnHover";
const c8* const ENABLED_PROPERTY = "Enabled";
const c8* const HOVER_TRACK_PROPERTY = "HoverTrack";

struct SLooks
{
	s32 normal, focus, killFocus, press, pressed, killPressed, normalHover, normalKillHover, focusHover, focusKillHover,
		normalDisable, focusDisable;
	std::map<s32, s32> fallback;

	SLooks()
	{
		CNameTable& names = CNameTableSingleton::Instance();
		normal = names.intern("Normal");
		focus = names.intern("Focus");
		killFocus = names.intern("KillFocus");
		press = names.intern("Press");
		pressed = names.intern("Pressed");
		killPressed = names.intern("KillPressed");
		normalHover = names.intern("NormalHover");
		normalKillHover = names.intern("NormalKillHover");
		focusHover = names.intern("FocusHover");
		focusKillHover = names.intern("FocusKillHover");
		normalDisable = names.intern("NormalDisable");
		focusDisable = names.intern("FocusDisable");
		fallback = {{focus, normal}, {killFocus, normal}, {normalDisable, normal}, {normalKillHover, normal},
			{focusDisable, normalDisable}, {pressed, focus}, {killPressed, focus}, {press, focus},
			{focusKillHover, focus}, {focusHover, normalHover}};
	}
};

const SLooks& looks()
{
	static const SLooks& table = *new SLooks;
	return table;
}

const core::stringc& templateRootName()
{
	static const core::stringc& name = *new core::stringc("TemplateRoot");
	return name;
}
} // namespace

s32 controlStateFallback(s32 stateId)
{
	const SLooks& table = looks();
	const auto found = table.fallback.find(stateId);
	return found == table.fallback.end() ? -1 : found->second;
}

ControlNode::ControlNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	BaseNode(reference, parent, sceneManager)
{
	setEventMask(getEventMask() | CONTROL_EVENT_MASK);
}

ControlNode::~ControlNode()
{
	releaseTemplateRoot();
}

// ---------------------------------------------------------------------------------------------
// Properties.

const PropertyTable& ControlNode::getClassPropertyTable()
{
	// The template is read last, once the switches its looks depend on are set.
	static const PropertyTable& table = makePropertyTable<ControlNode>(BaseNode::getClassPropertyTable(),
		{
			makeNameProperty<&ControlNode::m_defaultFocusObjectName>(DEFAULT_FOCUS_PROPERTY)
				.underKey(DEFAULT_FOCUS_KEY),
			makeNameProperty<&ControlNode::m_navLeftObjectName>(NAV_LEFT_PROPERTY),
			makeNameProperty<&ControlNode::m_navRightObjectName>(NAV_RIGHT_PROPERTY),
			makeNameProperty<&ControlNode::m_navDownObjectName>(NAV_DOWN_PROPERTY),
			makeNameProperty<&ControlNode::m_navUpObjectName>(NAV_UP_PROPERTY),
			makeNameProperty<&ControlNode::m_templateName,
				static_cast<void (ControlNode::*)(s32)>(&ControlNode::setTemplateName)>(TEMPLATE_NAME_PROPERTY)
				.readLast(),
			makeProperty<&ControlNode::setEnabled, &ControlNode::isEnabled>(ENABLED_PROPERTY)
				.stored()
				.copiedIn<&ControlNode::m_enabled>(),
			makeProperty<&ControlNode::setWantFocus, &ControlNode::getWantFocus>(WANT_FOCUS_PROPERTY).stored(),
			makeProperty<&ControlNode::setIsFocusOnHover, &ControlNode::getIsFocusOnHover>(FOCUS_ON_HOVER_PROPERTY)
				.storedAlways(),
			makeProperty<&ControlNode::setHoverTrack, &ControlNode::getHoverTrack>(HOVER_TRACK_PROPERTY).stored(),
		});
	return table;
}

// ---------------------------------------------------------------------------------------------
// Identity, copies, tree.

void ControlNode::copyFrom(const BaseNode* source, ISceneManager* sceneManager)
{
	// The values (stored directly: no look changes, no instantiation) come with the table walk.
	BaseNode::copyFrom(source, sceneManager);
	if (!source || source == this || !source->isOfType(TypeId))
		return;
	const ControlNode* other = static_cast<const ControlNode*>(source);
	releaseTemplateRoot();
	if (other->getTemplateRoot() && !m_isTemplateRoot)
	{
		createTemplateRoot();
		other->getTemplateRoot()->copyChildrenAndStatesTo(m_templateRoot.get());
	}
}

void ControlNode::createTemplateRoot()
{
	m_templateRoot =
		adoptRef(new ControlNode(ContentReference(getContentManager(), templateRootName()), nullptr, nullptr));
	m_templateRoot->m_isTemplateRoot = true;
	m_templateRoot->setInternal(true);
	m_templateRoot->setParent(this);
}

void ControlNode::releaseTemplateRoot()
{
	if (!m_templateRoot)
		return;
	const CRefHolder<ControlNode> root = std::move(m_templateRoot);
	if (root->getParent() == this)
		removeChild(root.get());
}

ControlNode* ControlNode::getTemplateRoot() const
{
	return m_templateRoot && m_templateRoot->getParent() == this ? m_templateRoot.get() : nullptr;
}

void ControlNode::attachToScene(ISceneManager* sceneManager, SceneNode* scene)
{
	BaseNode::attachToScene(sceneManager, scene);
	if (ControlNode* root = getTemplateRoot())
		root->attachToScene(sceneManager, scene);
}

bool ControlNode::hasDescendant(const BaseNode* node) const
{
	if (!node)
		return false;
	// Walked from this side: the node may have been destroyed since it was remembered.
	std::vector<const BaseNode*> open(1, this);
	while (!open.empty())
	{
		const BaseNode* at = open.back();
		open.pop_back();
		const core::array<BaseNode*>& children = at->getChildren();
		for (u32 i = 0; i < children.size(); ++i)
		{
			if (children[i] == node)
				return true;
			open.push_back(children[i]);
		}
	}
	return false;
}

ControlNode* ControlNode::getFocusedChild() const
{
	if (!m_focusedChild || !hasDescendant(m_focusedChild) || !m_focusedChild->isOfType(TypeId))
		return nullptr;
	return static_cast<ControlNode*>(m_focusedChild);
}

// ---------------------------------------------------------------------------------------------
// Drawing, hit tests, transformations.

void ControlNode::collectChildRenderables(RenderList& list)
{
	// Held: a drawing node may change the tree while it is collected.
	const CRefHolder<ControlNode> root(getTemplateRoot());
	if (root)
		root->collectRenderables(list);
	collectEachChild(list);
}

bool ControlNode::hitTest(const core::vector3df& point) const
{
	ControlNode* root = getTemplateRoot();
	return isVisible() && root && root->hitTestSubtree(point) != nullptr;
}

void ControlNode::updateAbsoluteTransformation()
{
	BaseNode::updateAbsoluteTransformation();
	if (ControlNode* root = getTemplateRoot())
		root->updateAbsoluteTransformation();
}

void ControlNode::updateAbsoluteColor()
{
	BaseNode::updateAbsoluteColor();
	if (ControlNode* root = getTemplateRoot())
		root->updateAbsoluteColor();
}

// ---------------------------------------------------------------------------------------------
// Templates and looks.

void ControlNode::setTemplateName(s32 nameId)
{
	m_templateName = nameId;
	instantiateTemplate();
}

void ControlNode::setTemplateName(const c8* name)
{
	setTemplateName(CNameTableSingleton::Instance().intern(name ? name : ""));
}

void ControlNode::instantiateTemplate()
{
	// A template root shows what its owner instantiated; one of its own would nest without end.
	if (m_isTemplateRoot)
		return;
	ISceneManager* manager = getSceneManager();
	BaseNode* collection = manager ? manager->getTemplateCollectionNode() : nullptr;
	if (!collection)
		return;
	s32& nesting = manager->templateNesting();
	if (nesting >= MAX_TEMPLATE_NESTING)
	{
		logFormat(LOG_ERROR,
			"Control \"%s\": template \"%s\" not instantiated: templates are nested %d deep (a template that "
			"contains itself?)",
			getName().c_str(), CNameTableSingleton::Instance().lookup(m_templateName).c_str(), MAX_TEMPLATE_NESTING);
		return;
	}
	++nesting;
	// The manager too: a handler below may let go of the last reference to it.
	const CRefHolder<ISceneManager> keepManager(manager);
	const CRefHolder<ControlNode> self = holdForCall(this);
	if (!getTemplateRoot())
	{
		releaseTemplateRoot();
		createTemplateRoot();
	}
	const CRefHolder<ControlNode> root(m_templateRoot);
	manager->applyTemplate(m_templateName, root.get());
	root->updateAbsoluteTransformation();
	root->updateAbsoluteColor();
	// To the fresh children only: the root itself would take it as its own instantiation.
	const CRefHolder<CEvent> changed = adoptRef<CEvent>(new CEventNodeTemplatesChanged(collection));
	root->routeDown(ROUTE_SELF_DOWN, changed.get());
	--nesting;
}

void ControlNode::askLook(s32 lookId)
{
	setState(lookId, &controlStateFallback);
}

void ControlNode::startPressLook()
{
	askLook(looks().press);
}

void ControlNode::restoreLook()
{
	const SLooks& l = looks();
	if (m_down)
		askLook(l.pressed);
	else if (m_hovered)
		askLook(m_focused ? l.focusHover : l.normalHover);
	else
		askLook(m_focused ? l.focusKillHover : l.normalKillHover);
}

void ControlNode::updateDownLook()
{
	if (m_down && !m_pressInProgress)
		askLook(looks().pressed);
}

void ControlNode::updateHoverLook()
{
	if (!m_enabled || m_pressInProgress)
		return;
	const SLooks& l = looks();
	if (m_hovered)
		askLook(m_down ? l.pressed : m_focused ? l.focusHover : l.normalHover);
	else
		askLook(m_down ? l.killPressed : m_focused ? l.focusKillHover : l.normalKillHover);
}

void ControlNode::updateFocusLook()
{
	const SLooks& l = looks();
	if (!m_enabled)
	{
		askLook(m_focused ? l.focusDisable : l.normalDisable);
		return;
	}
	if (m_down || m_pressInProgress)
		return;
	if (m_focused)
		askLook(m_hovered ? l.focusHover : l.focus);
	else
		askLook(m_hovered ? l.normalHover : l.killFocus);
}

void ControlNode::updateEnabledLook()
{
	updateFocusLook();
}

void ControlNode::setState(s32 stateId, StateFallback fallback)
{
	ControlNode* ownRoot = getTemplateRoot();
	const bool rootHasChildren = ownRoot && !ownRoot->getChildren().empty();
	if (getChildren().empty() && !rootHasChildren)
	{
		BaseNode::setState(stateId, fallback);
		return;
	}
	const CRefHolder<ControlNode> self = holdForCall(this);
	{
		const CRefHolder<CEvent> begun = adoptRef<CEvent>(new CEventNodeStateChangeBegun(this, stateId));
		onEvent(begun.get());
	}
	setPendingChildCount(stateId, static_cast<s32>(getChildren().size()) + (rootHasChildren ? 1 : 0));
	if (rootHasChildren)
	{
		const CRefHolder<ControlNode> root(ownRoot);
		root->setState(stateId, fallback);
	}
	std::vector<CRefHolder<BaseNode>> children;
	for (u32 i = 0; i < getChildren().size(); ++i)
		children.emplace_back(getChildren()[i]);
	for (const CRefHolder<BaseNode>& child : children)
		if (child->getParent() == this)
			child->enterState(stateId, fallback, -1);
}

// ---------------------------------------------------------------------------------------------
// Condition.

void ControlNode::queueForSelf(CEvent* event)
{
	const CRefHolder<CEvent> held = adoptRef(event);
	postEvent(this, ROUTE_SELF_UP, held.get());
}

void ControlNode::setHovered(bool hovered)
{
	if (hovered == m_hovered)
		return;
	const CRefHolder<ControlNode> self = holdForCall(this);
	m_hovered = hovered;
	if (hovered)
	{
		if (BaseNode* parent = getParent())
		{
			const CRefHolder<BaseNode> held(parent);
			const CRefHolder<CEvent> set = adoptRef<CEvent>(new CEventNodeSetHover(nullptr, this));
			if (parent->acceptsEvent(set.get()))
				parent->routeEvent(ROUTE_SELF_UP, set.get());
		}
		queueForSelf(new CEventNodeHovered(nullptr, this));
		if (m_isFocusOnHover)
			setFocused(true);
	}
	else
		queueForSelf(new CEventNodeUnhovered(this, nullptr));
	updateHoverLook();
}

void ControlNode::setFocused(bool focused)
{
	if (focused == m_focused || (focused && !m_wantFocus))
		return;
	const CRefHolder<ControlNode> self = holdForCall(this);
	m_focused = focused;
	if (focused)
	{
		setEventMask(getEventMask() | EVENT_CATEGORY_KEYBOARD);
		if (BaseNode* parent = getParent())
		{
			const CRefHolder<BaseNode> held(parent);
			const CRefHolder<CEvent> set = adoptRef<CEvent>(new CEventNodeSetFocus(nullptr, this));
			if (parent->acceptsEvent(set.get()))
				parent->routeEvent(ROUTE_SELF_UP, set.get());
		}
		queueForSelf(new CEventNodeFocused(nullptr, this));
		bool direct = false;
		for (u32 i = 0; m_focusedChild && i < getChildren().size(); ++i)
			direct = direct || getChildren()[i] == m_focusedChild;
		if (!direct)
			focusDefaultChild();
	}
	else
	{
		setEventMask(getEventMask() & ~static_cast<u32>(EVENT_CATEGORY_KEYBOARD));
		queueForSelf(new CEventNodeUnfocused(this, nullptr));
	}
	updateFocusLook();
}

void ControlNode::setEnabled(bool enabled)
{
	m_enabled = enabled;
	updateEnabledLook();
}

void ControlNode::setDown(bool down)
{
	if (down == m_down)
		return;
	const CRefHolder<ControlNode> self = holdForCall(this);
	m_down = down;
	if (down)
		queueForSelf(new CEventNodeDown(nullptr, this));
	else
		queueForSelf(new CEventNodeUp(this, nullptr));
	updateDownLook();
}

bool ControlNode::click()
{
	if (m_pressInProgress)
		return false;
	const CRefHolder<ControlNode> self = holdForCall(this);
	m_pressInProgress = true;
	m_down = false;
	queueForSelf(new CEventNodePressedPreview(this));
	startPressLook();
	return true;
}

void ControlNode::focusDefaultChild()
{
	const CRefHolder<ControlNode> self = holdForCall(this);
	const CRefHolder<CEvent> offer = adoptRef<CEvent>(new CEventNodeSetFocus(nullptr, nullptr));
	if (m_defaultFocusObjectName != -1)
	{
		if (BaseNode* child = findChildByNameId(m_defaultFocusObjectName, 1))
		{
			const CRefHolder<BaseNode> held(child);
			if (child->onEvent(offer.get()))
				return;
		}
	}
	BaseNode::routeDown(ROUTE_SELF, offer.get());
}

// ---------------------------------------------------------------------------------------------
// Events.

const EventMap& ControlNode::getClassEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(BaseNode::getClassEventMap(),
		{
			eventMapEntry<&ControlNode::onSetHover>(),
			eventMapEntry<&ControlNode::onClearHover>(),
			eventMapEntry<&ControlNode::onSetFocus>(),
			eventMapEntry<&ControlNode::onClearFocus>(),
			eventMapEntry<&ControlNode::onSetDown>(),
			eventMapEntry<&ControlNode::onClearDown>(),
			eventMapEntry<&ControlNode::onPressFinished>(),
			eventMapEntry<&ControlNode::onMouseMove>(),
			eventMapEntry<&ControlNode::onMouseDown>(),
			eventMapEntry<&ControlNode::onMouseUp>(),
			eventMapEntry<&ControlNode::onKeyDown>(),
			eventMapEntry<&ControlNode::onKeyUp>(),
		}));
	return map;
}

bool ControlNode::routeDown(s32 mode, CEvent* event)
{
	if (!m_enabled && event && event->isOfType(CEventInput::TypeId))
		return false;
	return BaseNode::routeDown(mode, event);
}

bool ControlNode::onAttached(CEventNodeAttached*)
{
	instantiateTemplate();
	return false;
}

bool ControlNode::onTemplatesChanged(CEventNodeTemplatesChanged*)
{
	instantiateTemplate();
	return false;
}

bool ControlNode::onRefresh(CEventNodeRefresh*)
{
	instantiateTemplate();
	return false;
}

bool ControlNode::onStateStarted(CEventNodeStateStarted* event)
{
	BaseNode::onStateStarted(event);
	return true;
}

bool ControlNode::onStateChangeComplete(CEventNodeStateChangeComplete* event)
{
	const CRefHolder<ControlNode> self = holdForCall(this);
	ControlNode* root = getTemplateRoot();
	if (root && event->getNode() == root)
	{
		const CRefHolder<CEvent> ended = adoptRef<CEvent>(new CEventNodeStateEnded(root, event->getStateId()));
		onEvent(ended.get());
		return true;
	}
	if (event->getNode() == this && event->getStateId() == looks().press && m_pressInProgress)
	{
		m_pressInProgress = false;
		restoreLook();
		const CRefHolder<CEvent> finished = adoptRef<CEvent>(new CEventNodePressFinished(this));
		if (!onEvent(finished.get()))
			routeUp(ROUTE_SELF_UP, finished.get());
		return true;
	}
	return false;
}

bool ControlNode::onSetHover(CEventNodeSetHover* event)
{
	BaseNode* target = event->getTarget();
	if (target == this)
		setHovered(true);
	else if (target && hasDescendant(target))
	{
		const CRefHolder<ControlNode> self = holdForCall(this);
		setHovered(true);
		const CRefHolder<CEvent> clear = adoptRef<CEvent>(new CEventNodeClearHover(nullptr, target));
		BaseNode::routeDown(ROUTE_SELF, clear.get());
	}
	return true;
}

bool ControlNode::onClearHover(CEventNodeClearHover* event)
{
	if (event->getExcepted() != this && (!event->getOnlyThis() || event->getOnlyThis() == this))
		setHovered(false);
	return false;
}

bool ControlNode::onSetFocus(CEventNodeSetFocus* event)
{
	BaseNode* target = event->getTarget();
	if (!target || target == this)
		setFocused(true);
	else if (hasDescendant(target))
	{
		const CRefHolder<ControlNode> self = holdForCall(this);
		m_focusedChild = target;
		setFocused(true);
		const CRefHolder<CEvent> clear = adoptRef<CEvent>(new CEventNodeClearFocus(nullptr, target));
		BaseNode::routeDown(ROUTE_SELF, clear.get());
	}
	return true;
}

bool ControlNode::onClearFocus(CEventNodeClearFocus* event)
{
	if (event->getExcepted() != this && (!event->getOnlyThis() || event->getOnlyThis() == this))
		setFocused(false);
	return false;
}

bool ControlNode::onSetDown(CEventNodeSetDown* event)
{
	if (event->getTarget() == this)
		setDown(true);
	return true;
}

bool ControlNode::onClearDown(CEventNodeClearDown* event)
{
	if (event->getExcepted() != this && (!event->getOnlyThis() || event->getOnlyThis() == this))
		setDown(false);
	return false;
}

bool ControlNode::onPressFinished(CEventNodePressFinished*)
{
	queueForSelf(new CEventNodePressed(this));
	return true;
}

bool ControlNode::onMouseMove(CEventInputMouseMove* event)
{
	if (!m_hoverTrack)
		return false;
	const core::vector3df point(static_cast<f32>(event->X), static_cast<f32>(event->Y), 0.f);
	const bool hit = hitTestSubtree(point) != nullptr;
	setHovered(hit);
	return hit;
}

bool ControlNode::onMouseDown(CEventInputMouseLeftDown* event)
{
	const core::vector3df point(static_cast<f32>(event->X), static_cast<f32>(event->Y), 0.f);
	if (!m_enabled || !hitTestSubtree(point))
		return false;
	const CRefHolder<ControlNode> self = holdForCall(this);
	if (!m_pressInProgress)
		setDown(true);
	setFocused(true);
	return true;
}

bool ControlNode::onMouseUp(CEventInputMouseLeftUp* event)
{
	const core::vector3df point(static_cast<f32>(event->X), static_cast<f32>(event->Y), 0.f);
	const bool hit = m_enabled && hitTestSubtree(point) != nullptr;
	if (!hit)
		setDown(false);
	else if (m_down)
		click();
	return false;
}

bool ControlNode::onKeyDown(CEventInputKeyDown* event)
{
	ControlNode* focused = getFocusedChild();
	if (!focused)
		return false;
	s32 name = -1;
	switch (event->Key)
	{
	case KEY_LEFT:
		name = focused->m_navLeftObjectName;
		break;
	case KEY_UP:
		name = focused->m_navUpObjectName;
		break;
	case KEY_RIGHT:
		name = focused->m_navRightObjectName;
		break;
	case KEY_DOWN:
		name = focused->m_navDownObjectName;
		break;
	default:
		return false;
	}
	if (name == -1)
		return false;
	BaseNode* target = findChildByNameId(name, 1);
	if (!target || !target->isOfType(TypeId) || !static_cast<ControlNode*>(target)->m_wantFocus)
		return false;
	const CRefHolder<BaseNode> held(target);
	static_cast<ControlNode*>(target)->setFocused(true);
	return true;
}

bool ControlNode::onKeyUp(CEventInputKeyUp*)
{
	return false;
}
} // namespace fw
