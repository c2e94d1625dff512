#include "widgets/TabSceneNode.h"

#include "core/CEventInput.h"
#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/PropertyAccessors.h"
#include "core/StateItem.h"
#include "widgets/CEventScene.h"

#include <string>

namespace fw
{
namespace
{
const c8* const TABS_COUNT = "TabsCount";
const c8* const ACTIVE_TAB_INDEX = "ActiveTabIndex";
const c8* const HIDE_TAB_BUTTON_ON_SELECT = "HideTabButtonOnSelect";

s32 defaultStateId()
{
	static const s32 id = CNameTableSingleton::Instance().intern("Default");
	return id;
}

s32 nameId(const std::string& name)
{
	return CNameTableSingleton::Instance().intern(name.c_str());
}

s32 childIndex(const BaseNode* parent, const BaseNode* child)
{
	const core::array<BaseNode*>& children = parent->getChildren();
	for (u32 i = 0; child && i < children.size(); ++i)
		if (children[i] == child)
			return static_cast<s32>(i);
	return -1;
}
} // namespace

TabSceneNode::TabSceneNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	SceneNode(reference, parent, sceneManager)
{
}

TabSceneNode::~TabSceneNode()
{
	releaseTabs();
}

const PropertyTable& TabSceneNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable<TabSceneNode>(SceneNode::getClassPropertyTable(),
		{
			makeProperty<&TabSceneNode::setTabsCount, &TabSceneNode::getTabsCount>(TABS_COUNT)
				.stored()
				.copiedIn<&TabSceneNode::m_tabsCount>(),
			makeProperty<&TabSceneNode::setActiveTabIndex, &TabSceneNode::getActiveTabIndex>(ACTIVE_TAB_INDEX)
				.stored()
				.readBy<&TabSceneNode::storeActiveTabIndex>()
				.copiedIn<&TabSceneNode::m_activeTabIndex>(),
			makeProperty<&TabSceneNode::setHideTabButtonOnSelect, &TabSceneNode::getHideTabButtonOnSelect>(
				HIDE_TAB_BUTTON_ON_SELECT)
				.stored()
				.copiedIn<&TabSceneNode::m_hideTabButtonOnSelect>(),
		});
	return table;
}

void TabSceneNode::setTabsCount(s32 count)
{
	// Every page is searched for and held when the pages are bound.
	if (count > MAX_TABS)
	{
		logFormat(LOG_WARNING, "Tab scene \"%s\": TabsCount %d is more than %d; %d pages are used", getName().c_str(),
			count, MAX_TABS, MAX_TABS);
		count = MAX_TABS;
	}
	m_tabsCount = count;
}

BaseNode* TabSceneNode::getPage(s32 index) const
{
	return index >= 0 && index < static_cast<s32>(m_pages.size()) ? m_pages[index].get() : nullptr;
}

BaseNode* TabSceneNode::getTabButton(s32 index) const
{
	return index >= 0 && index < static_cast<s32>(m_tabButtons.size()) ? m_tabButtons[index].get() : nullptr;
}

void TabSceneNode::releaseTabs()
{
	m_pages.clear();
	m_tabButtons.clear();
}

void TabSceneNode::bindTabs()
{
	releaseTabs();
	m_lastPageChildIndex = -1;
	m_lastButtonChildIndex = -1;
	for (s32 i = 1; i <= m_tabsCount; ++i)
	{
		const std::string page = "Tab" + std::to_string(i);
		m_pages.emplace_back(findChildByNameId(nameId(page), 1));
		m_tabButtons.emplace_back(findChildByNameId(nameId(page + "Button"), 1));
	}
	if (m_pages.empty() || m_tabButtons.empty())
		return;
	m_lastPageChildIndex = childIndex(this, m_pages.back().get());
	m_lastButtonChildIndex = childIndex(this, m_tabButtons.back().get());
}

void TabSceneNode::post(BaseNode* page, CEvent* event)
{
	const CRefHolder<CEvent> held = adoptRef(event);
	if (page)
		postEvent(page, ROUTE_SELF_UP, held.get());
}

bool TabSceneNode::hasNothingToPlay(const BaseNode* page)
{
	if (!page->getChildren().empty())
		return false;
	const ControlNode* control = page->isOfType(ControlNode::TypeId) ? static_cast<const ControlNode*>(page) : nullptr;
	const ControlNode* root = control ? control->getTemplateRoot() : nullptr;
	return !root || root->getChildren().empty();
}

void TabSceneNode::cutSwitchShort(BaseNode* page)
{
	if (!page)
		return;
	const CRefHolder<BaseNode> held(page);
	page->stopAllStates(true);
	// The switch plays on the page's children; ending it there completes the page's part at once,
	// so that the page being left is hidden rather than left on show beside the next one.
	if (m_switchState == -1)
		return;
	std::vector<CRefHolder<BaseNode>> children;
	for (u32 i = 0; i < page->getChildren().size(); ++i)
		children.emplace_back(page->getChildren()[i]);
	for (const CRefHolder<BaseNode>& child : children)
		if (child->getParent() == page && child->findState(m_switchState))
			child->stopState(m_switchState, true);
}

void TabSceneNode::setActiveTab(s32 index, bool force)
{
	if (index < 0 || index >= static_cast<s32>(m_pages.size()) || (!force && index == m_activeTabIndex) ||
		!m_pages[index])
		return;
	const CRefHolder<TabSceneNode> self = holdForCall(this);
	cutSwitchShort(getPage(m_previousTabIndex));
	cutSwitchShort(getPage(m_activeTabIndex));

	const CRefHolder<BaseNode> oldPage(index == m_activeTabIndex ? nullptr : getPage(m_activeTabIndex));
	const CRefHolder<BaseNode> newPage(m_pages[index]);
	m_previousTabIndex = oldPage ? m_activeTabIndex : -1;
	m_activeTabIndex = index;

	if (oldPage)
	{
		const CRefHolder<CEvent> tab = adoptRef<CEvent>(new CEventTab(oldPage.get(), newPage.get()));
		oldPage->onEvent(tab.get());
		post(oldPage.get(), new CEventTabSelected(oldPage.get(), newPage.get()));
	}
	{
		const CRefHolder<CEvent> tab = adoptRef<CEvent>(new CEventTab(oldPage.get(), newPage.get()));
		newPage->onEvent(tab.get());
		post(newPage.get(), new CEventTabSelected(oldPage.get(), newPage.get()));
	}

	newPage->setVisible(true);
	BaseNode* newButton = getTabButton(index);
	if (m_hideTabButtonOnSelect && newButton)
		newButton->setVisible(false);

	if (oldPage)
	{
		beginSwitch(nameId(std::to_string(m_previousTabIndex + 1) + "To" + std::to_string(index + 1)), 2);
		for (BaseNode* page : {oldPage.get(), newPage.get()})
		{
			const bool silent = hasNothingToPlay(page);
			page->setState(m_switchState, nullptr);
			if (silent)
				pageCompleted(page);
		}
		if (m_hideTabButtonOnSelect)
			if (BaseNode* oldButton = getTabButton(m_previousTabIndex))
				oldButton->setVisible(true);
		return;
	}

	beginSwitch(defaultStateId(), 1);
	const std::vector<CRefHolder<BaseNode>> pages(m_pages);
	for (const CRefHolder<BaseNode>& page : pages)
	{
		if (!page)
			continue;
		const bool silent = hasNothingToPlay(page.get());
		page->setState(m_switchState, nullptr);
		if (page != newPage)
			page->setVisible(false);
		else if (silent)
			pageCompleted(page.get());
	}
	if (m_hideTabButtonOnSelect)
		for (const CRefHolder<BaseNode>& button : m_tabButtons)
			if (button)
				button->setVisible(button != m_tabButtons[index]);
}

void TabSceneNode::beginSwitch(s32 stateId, s32 pendingPages)
{
	m_switchState = stateId;
	m_pendingPages = pendingPages;
	m_completedPages.clear();
}

void TabSceneNode::pageCompleted(BaseNode* page)
{
	if (m_switchState == -1 || m_pendingPages <= 0)
		return;
	for (const BaseNode* completed : m_completedPages)
		if (completed == page)
			return;
	m_completedPages.push_back(page);
	BaseNode* oldPage = getPage(m_previousTabIndex);
	BaseNode* newPage = getPage(m_activeTabIndex);
	if (page == oldPage)
		page->setVisible(false);
	if (--m_pendingPages > 0)
		return;
	m_switchState = -1;
	if (oldPage)
		post(oldPage, new CEventTabSwitched(oldPage, newPage));
	post(newPage, new CEventTabSwitched(oldPage, newPage));
}

const EventMap& TabSceneNode::getClassEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(SceneNode::getClassEventMap(),
		{
			eventMapEntry<&TabSceneNode::onTabButtonPressed>(),
		}));
	return map;
}

bool TabSceneNode::onAttached(CEventNodeAttached* event)
{
	const CRefHolder<TabSceneNode> self = holdForCall(this);
	SceneNode::onAttached(event);
	setActiveTab(m_activeTabIndex, true);
	return false;
}

bool TabSceneNode::onStateChangeComplete(CEventNodeStateChangeComplete* event)
{
	BaseNode* page = event->getNode();
	if (m_switchState != -1 && event->getStateId() == m_switchState && page && page->getParent() == this &&
		page != getTemplateRoot() && (page == getPage(m_previousTabIndex) || page == getPage(m_activeTabIndex)))
	{
		const CRefHolder<TabSceneNode> self = holdForCall(this);
		pageCompleted(page);
		return true;
	}
	return SceneNode::onStateChangeComplete(event);
}

bool TabSceneNode::onTabButtonPressed(CEventNodePressed* event)
{
	for (u32 i = 0; i < m_tabButtons.size(); ++i)
		if (m_tabButtons[i] && m_tabButtons[i].get() == event->getNode())
		{
			setActiveTab(static_cast<s32>(i), false);
			break;
		}
	return false;
}

bool TabSceneNode::routeDown(s32 mode, CEvent* event)
{
	if (!event)
		return false;
	const CRefHolder<TabSceneNode> self = holdForCall(this);
	if (event->isOfType(CEventInput::TypeId))
	{
		if (m_pendingPages != 0)
			return false;
		// Held: a handler may select another page or rebind the tabs.
		const CRefHolder<BaseNode> page(getPage(m_activeTabIndex));
		if (page && page->routeEvent(ROUTE_DOWN_SELF, event))
			return true;
		const CRefHolder<BaseNode> activeButton(getTabButton(m_activeTabIndex));
		if (activeButton && activeButton->routeEvent(ROUTE_DOWN_SELF, event))
			return true;
		const std::vector<CRefHolder<BaseNode>> buttons(m_tabButtons);
		for (const CRefHolder<BaseNode>& button : buttons)
			if (button && button != activeButton && button->routeEvent(ROUTE_DOWN_SELF, event))
				return true;
		return false;
	}
	std::vector<CRefHolder<BaseNode>> children;
	for (u32 i = 0; i < getChildren().size(); ++i)
		children.emplace_back(getChildren()[i]);
	for (const CRefHolder<BaseNode>& child : children)
		if (child->getParent() == this && child->acceptsEvent(event) && child->routeEvent(mode, event))
			return true;
	return false;
}

void TabSceneNode::collectChildRenderables(RenderList& list)
{
	const CRefHolder<ControlNode> root(getTemplateRoot());
	if (root)
		root->collectRenderables(list);
	const CRefHolder<BaseNode> page(getPage(m_activeTabIndex));
	const CRefHolder<BaseNode> button(getTabButton(m_activeTabIndex));
	bool pageCollected = !page || page->getParent() != this;
	bool buttonCollected = !button || button->getParent() != this;
	std::vector<CRefHolder<BaseNode>> children;
	for (u32 i = 0; i < getChildren().size(); ++i)
		children.emplace_back(getChildren()[i]);
	for (u32 i = 0; i < children.size(); ++i)
	{
		BaseNode* child = children[i].get();
		if (child->getParent() == this && child != page.get() && child != button.get())
			child->collectRenderables(list);
		if (!pageCollected && static_cast<s32>(i) == m_lastPageChildIndex)
		{
			page->collectRenderables(list);
			pageCollected = true;
		}
		if (!buttonCollected && static_cast<s32>(i) == m_lastButtonChildIndex)
		{
			button->collectRenderables(list);
			buttonCollected = true;
		}
	}
	// The child after which they go was never reached (missing, or the children changed since the
	// pages were bound): they still go on top.
	if (!pageCollected && page->getParent() == this)
		page->collectRenderables(list);
	if (!buttonCollected && button->getParent() == this)
		button->collectRenderables(list);
}
} // namespace fw
