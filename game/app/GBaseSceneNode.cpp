#include "app/GBaseSceneNode.h"

#include "core/CEventControl.h"
#include "core/CEventInput.h"
#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/KeyCodes.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CSoundManager.h"
#include "widgets/CEventList.h"
#include "widgets/CEventScene.h"
#include "widgets/CEventValueChanged.h"

#include <algorithm>
#include <string>

using namespace fw;

namespace
{

// The node a control event is about: the event's own node, or the node of a set or clear pair.
BaseNode* eventNode(CEvent* event)
{
	if (CEventNodeOfControl* of = dynamic_cast<CEventNodeOfControl*>(event))
		return of->getNode();
	if (CEventNodePair* pair = dynamic_cast<CEventNodePair*>(event))
		return pair->getFirst() ? pair->getFirst() : pair->getSecond();
	return nullptr;
}
} // namespace

s32 nameIdNavBackTo()
{
	static const s32 id = CNameTableSingleton::Instance().intern("NavBackTo");
	return id;
}

s32 nameIdNavBackFrom()
{
	static const s32 id = CNameTableSingleton::Instance().intern("NavBackFrom");
	return id;
}

GBaseSceneNode::GBaseSceneNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	SceneNode(reference, parent, sceneManager)
{
	setInterval(30);
}

GBaseSceneNode::~GBaseSceneNode()
{
	setManager(nullptr);
}

const EventMap& GBaseSceneNode::getClassEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(ControlNode::getClassEventMap(),
		{
			eventMapEntry<&GBaseSceneNode::onApplicationClose>(),
			eventMapEntry<&GBaseSceneNode::onWindowFocus>(),
			eventMapEntry<&GBaseSceneNode::onMessageBoxResult>(),
			eventMapEntry<&GBaseSceneNode::onSceneSwitchStarted>(),
			eventMapEntry<&GBaseSceneNode::onSceneSwitchCompleted>(),
			eventMapEntry<&GBaseSceneNode::onTabSwitchStarted>(),
			eventMapEntry<&GBaseSceneNode::onTabSwitchCompleted>(),
			eventMapEntry<&GBaseSceneNode::onNodePressedPreview>(),
			eventMapEntry<&GBaseSceneNode::onNodePressed>(),
			eventMapEntry<&GBaseSceneNode::onNodeHovered>(),
			eventMapEntry<&GBaseSceneNode::onNodeUnhovered>(),
			eventMapEntry<&GBaseSceneNode::onNodeFocused>(),
			eventMapEntry<&GBaseSceneNode::onNodeUnfocused>(),
			eventMapEntry<&GBaseSceneNode::onValueChanged>(),
			eventMapEntry<&GBaseSceneNode::onListItemPressed>(),
			eventMapEntry<&GBaseSceneNode::onListItemHovered>(),
		}));
	return map;
}

void GBaseSceneNode::onInit()
{
	SceneNode::onInit();
	bindChildren();
}

void GBaseSceneNode::bindChildren()
{
	for (const SBoundChild& bound : getBoundChildren())
	{
		// The path's names, one level each.
		BaseNode* parent = this;
		const std::string path(bound.path);
		for (size_t start = 0; parent && start < path.size();)
		{
			const size_t end = std::min(path.find('/', start), path.size());
			parent = parent->findChildByNameId(nameId(path.substr(start, end - start).c_str()), 1);
			start = end + 1;
		}
		BaseNode* child = parent ? parent->findChildByNameId(nameId(bound.name), 1) : nullptr;
		bound.store(*this, child);
		if (child && child->isOfType(bound.kind))
			continue;
		logFormat(LOG_WARNING, "%s \"%s\" binds no child \"%s\" under \"%s\": %s",
			core::stringc(getClassName()).c_str(), getName().c_str(), bound.name, bound.path,
			child ? "it is of another kind" : "there is none");
	}
}

bool GBaseSceneNode::runButtonAction(const BaseNode* button)
{
	if (!button)
		return false;
	const s32 name = button->getNameId();
	for (const SButtonAction& action : getButtonActions())
		if (name == nameId(action.button))
			return action.run(*this, action);
	return false;
}

bool scene_tables::openSceneFileAction(GBaseSceneNode& scene, const SButtonAction& action)
{
	scene.openSceneFile(action.file, true, nameId(action.outState), nameId(action.inState));
	return true;
}

bool scene_tables::takePressAction(GBaseSceneNode&, const SButtonAction&)
{
	return true;
}

bool GBaseSceneNode::onKeyUp(CEventInputKeyUp* event)
{
	if (ControlNode::onKeyUp(event))
		return true;
	if (!m_closeOnEscapeOrEnter || !isEscapeOrEnter(event->Key))
		return false;
	goBack(0, nameIdNavBackFrom(), nameIdNavBackTo());
	return true;
}

bool GBaseSceneNode::onTimer(u32 step)
{
	if (isFocused())
		m_elapsedTime += static_cast<s32>(step);
	return true;
}

void GBaseSceneNode::playCue(const c8* name) const
{
	if (CSoundManager* sounds = need(getServices().sound, "sound manager"))
		sounds->play(nameId(name), false, 0);
}

void GBaseSceneNode::playCue(const SServices& services, const c8* name)
{
	if (services.sound)
		services.sound->play(nameId(name), false, 0);
	else
		logWarning("No sound manager to play the cue", name);
}

void GBaseSceneNode::logMissingService(const c8* what) const
{
	logWarning((core::stringc("Scene \"") + getName() + "\" has no " + what + "; it does without.").c_str());
}

void GBaseSceneNode::logNodeEvent(const c8* text, CEvent* event)
{
	const BaseNode* node = eventNode(event);
	logInfo(text, node ? node->getName().c_str() : "");
}

bool GBaseSceneNode::onApplicationClose(CEventSystemFlowDestroy*)
{
	logInfo("Application Close, scene cleanup", core::stringc(getClassName()).c_str());
	return false;
}

bool GBaseSceneNode::onWindowFocus(CEventSystemFlowActivate*)
{
	return false;
}

bool GBaseSceneNode::onMessageBoxResult(CEventMessageBoxResult* event)
{
	logFormat(LOG_INFORMATION, "Message box result %d", event->getResult());
	return false;
}

bool GBaseSceneNode::onSceneSwitchStarted(CEventSceneTransitionStart* event)
{
	if (event->getFrom() == this)
		setManager(nullptr);
	return false;
}

bool GBaseSceneNode::onSceneSwitchCompleted(CEventSceneTransitionEnd* event)
{
	if (event->getTo() != this)
		return false;
	m_elapsedTime = 0;
	ITimerManager* timers = getSceneTimerManager();
	if (timers != getManager())
		setManager(timers);
	return false;
}

bool GBaseSceneNode::onTabSwitchStarted(CEventTabSelected*)
{
	return false;
}

bool GBaseSceneNode::onTabSwitchCompleted(CEventTabSwitched*)
{
	return false;
}

bool GBaseSceneNode::onNodePressedPreview(CEventNodePressedPreview* event)
{
	logNodeEvent("Node was pressed (preview)", event);
	if (event->getNode() && event->getNode()->isOfType(NODE_TYPE_BUTTON))
		playCue("ButtonClick");
	return false;
}

bool GBaseSceneNode::onNodePressed(CEventNodePressed* event)
{
	logNodeEvent("Node was pressed", event);
	return runButtonAction(event->getNode());
}

bool GBaseSceneNode::onNodeHovered(CEventNodeHovered* event)
{
	logNodeEvent("Node was hovered", event);
	BaseNode* node = eventNode(event);
	if (node && node->isOfType(NODE_TYPE_BUTTON))
		playCue("ButtonOver");
	return false;
}

bool GBaseSceneNode::onNodeUnhovered(CEventNodeUnhovered* event)
{
	logNodeEvent("Node was unhovered", event);
	return false;
}

bool GBaseSceneNode::onNodeFocused(CEventNodeFocused* event)
{
	logNodeEvent("Node was focused", event);
	return false;
}

bool GBaseSceneNode::onNodeUnfocused(CEventNodeUnfocused* event)
{
	logNodeEvent("Node was unfocused", event);
	return false;
}

bool GBaseSceneNode::onValueChanged(CEventNodeValueChanged* event)
{
	logNodeEvent("Value was changed", event);
	return false;
}

bool GBaseSceneNode::onListItemPressed(CEventListItemPressed* event)
{
	logNodeEvent("List item was pressed", event);
	playCue("ButtonClick");
	return false;
}

bool GBaseSceneNode::onListItemHovered(CEventListItemHovered* event)
{
	logNodeEvent("List item was hovered", event);
	playCue("ButtonOver");
	return false;
}

bool goBackSliding(SceneNode& scene)
{
	static const s32 slide = CNameTableSingleton::Instance().intern("NavBackToSlide");
	return scene.goBack(0, -1, slide);
}

bool isEscapeOrEnter(u32 key)
{
	return key == KEY_ESCAPE || key == KEY_RETURN;
}
