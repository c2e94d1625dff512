#pragma once

#include "core/SceneNode.h"

#include <vector>

namespace fw
{
// A scene that shows one of several pages at a time. Page i (from 1) is the direct child "Tab<i>",
// its button the direct child "Tab<i>Button"; a press of a button selects its page. A switch plays
// the state "<i>To<j>" on the page left and the page entered (numbers from 1), and the first
// selection plays "Default" on every page; while a switch plays the scene takes no input. Pages
// hear of a selection at once (CEventTab) and through the queue (CEventTabSelected, then
// CEventTabSwitched when the pages have played), which bubble on to the enclosing scene.
class TabSceneNode : public SceneNode
{
public:
	FW_NODE_CLASS(TabSceneNode, SceneNode, NODE_TYPE_TAB_SCENE, L"TabSceneNode")
	static const PropertyTable& getClassPropertyTable();

	// More pages than this in a file are taken for a damaged count.
	static constexpr s32 MAX_TABS = 256;

	TabSceneNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~TabSceneNode() override;

	void onInit() override { bindTabs(); }
	// The template, then the page held in ActiveTabIndex is shown as a first selection.
	bool onAttached(CEventNodeAttached* event) override;
	// A page's end of the switch state.
	bool onStateChangeComplete(CEventNodeStateChangeComplete* event) override;
	static const EventMap& getClassEventMap();
	// Selects the page of a tab button; never consumed, so that the press goes on up.
	virtual bool onTabButtonPressed(CEventNodePressed* event);
	// Input only to the active page and the buttons, and none while a switch plays; other events to
	// every child, first to last.
	bool routeDown(s32 mode, CEvent* event) override;

	// Finds the pages and buttons among the direct children.
	void bindTabs();
	// Ignored for an index out of range, a missing page, or the active index without force; force
	// on the active index shows it as a first selection.
	void setActiveTab(s32 index, bool force);
	void setActiveTabIndex(s32 index) { setActiveTab(index, false); }
	s32 getActiveTabIndex() const { return m_activeTabIndex; }
	// Read when the pages are bound; a count above MAX_TABS is cut to it, with a log line.
	void setTabsCount(s32 count);
	s32 getTabsCount() const { return m_tabsCount; }
	void setHideTabButtonOnSelect(bool hide) { m_hideTabButtonOnSelect = hide; }
	bool getHideTabButtonOnSelect() const { return m_hideTabButtonOnSelect; }

	// Page and button i (from 0); null when missing.
	BaseNode* getPage(s32 index) const;
	BaseNode* getTabButton(s32 index) const;
	s32 getPendingPages() const { return m_pendingPages; }
	s32 getSwitchState() const { return m_switchState; }

protected:
	// The active page and its button come after all other pages and buttons.
	void collectChildRenderables(RenderList& list) override;

private:
	// Scene files store the index without switching.
	void storeActiveTabIndex(s32 index) { m_activeTabIndex = index; }
	void releaseTabs();
	// The page's own states and its children's switch state end, which completes its switch.
	void cutSwitchShort(BaseNode* page);
	// Counts a page's end of the switch off, once per page; the last posts the switched event.
	void pageCompleted(BaseNode* page);
	// Starts counting the pages of a new switch.
	void beginSwitch(s32 stateId, s32 pendingPages);
	// The switch state completes at once, without a word, on a page with nothing to play it.
	static bool hasNothingToPlay(const BaseNode* page);
	void post(BaseNode* page, CEvent* event);

	std::vector<CRefHolder<BaseNode>> m_pages;
	std::vector<CRefHolder<BaseNode>> m_tabButtons;
	// The pages that have ended the switch in progress; compared, never dereferenced.
	std::vector<const BaseNode*> m_completedPages;
	s32 m_switchState = -1;
	s32 m_pendingPages = 0;
	s32 m_previousTabIndex = -1;
	s32 m_lastPageChildIndex = -1;
	s32 m_lastButtonChildIndex = -1;
	s32 m_tabsCount = 0;
	s32 m_activeTabIndex = -1;
	bool m_hideTabButtonOnSelect = false;
};
} // namespace fw
