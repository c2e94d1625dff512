#pragma once

#include "core/BaseNode.h"
#include "core/CEventControl.h"

namespace fw
{
class CEventInputKeyDown;
class CEventInputKeyUp;
class CEventInputMouseLeftDown;
class CEventInputMouseLeftUp;
class CEventInputMouseMove;

// The look a control asks for in place of one its nodes lack; -1 for none.
s32 controlStateFallback(s32 stateId);

// A node the player can point at, press or reach with the arrow keys. It draws nothing itself: its
// look is a template root (an internal child filled from the scene manager's template collection)
// and its own children, which show the control's condition by entering named states.
//
// Input reaches the deepest control first. Hover and focus climb to the scene through set events
// sent at once to the parent; what happened is queued for the rest of the program (hovered,
// focused, down, up, pressed preview, pressed). A press reports "pressed" only when the control's
// "Press" look has finished.
class ControlNode : public BaseNode
{
public:
	FW_NODE_CLASS(ControlNode, BaseNode, NODE_TYPE_CONTROL, L"ControlNode")
	static const PropertyTable& getClassPropertyTable();

	ControlNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~ControlNode() override;

	// Visible, with a template root under the point; the own children are not part of it.
	bool hitTest(const core::vector3df& point) const override;
	// Also puts the template root's children into the state; the change completes when they and
	// the control's children have all ended it.
	void setState(s32 stateId, StateFallback fallback) override;
	void updateAbsoluteTransformation() override;
	void updateAbsoluteColor() override;
	void attachToScene(ISceneManager* sceneManager, SceneNode* scene) override;
	void copyFrom(const BaseNode* source, ISceneManager* sceneManager) override;

	// A disabled control passes no input to its children.
	bool routeDown(s32 mode, CEvent* event) override;
	static const EventMap& getClassEventMap();

	// Input and condition.
	virtual void setFocused(bool focused);
	virtual void setEnabled(bool enabled);
	virtual void setHovered(bool hovered);
	virtual void setDown(bool down);
	// Starts a press; false while one is in progress.
	virtual bool click();
	// (Re)builds the template root from TemplateName; nothing without a template collection.
	virtual void instantiateTemplate();

	// Looks.
	virtual void startPressLook();
	virtual void restoreLook();
	virtual void updateDownLook();
	virtual void updateHoverLook();
	virtual void updateFocusLook();
	virtual void updateEnabledLook();
	// Offers the focus to the default child, else to the last control among the children.
	virtual void focusDefaultChild();

	// Handlers of the event map.
	virtual bool onSetHover(CEventNodeSetHover* event);
	virtual bool onClearHover(CEventNodeClearHover* event);
	virtual bool onSetFocus(CEventNodeSetFocus* event);
	virtual bool onClearFocus(CEventNodeClearFocus* event);
	virtual bool onSetDown(CEventNodeSetDown* event);
	virtual bool onClearDown(CEventNodeClearDown* event);
	virtual bool onPressFinished(CEventNodePressFinished* event);
	virtual bool onMouseMove(CEventInputMouseMove* event);
	virtual bool onMouseDown(CEventInputMouseLeftDown* event);
	virtual bool onMouseUp(CEventInputMouseLeftUp* event);
	virtual bool onKeyDown(CEventInputKeyDown* event);
	virtual bool onKeyUp(CEventInputKeyUp* event);

	bool onAttached(CEventNodeAttached* event) override;
	bool onTemplatesChanged(CEventNodeTemplatesChanged* event) override;
	bool onRefresh(CEventNodeRefresh* event) override;
	bool onStateStarted(CEventNodeStateStarted* event) override;
	// The template root's completion is counted off; the "Press" completion ends a press.
	bool onStateChangeComplete(CEventNodeStateChangeComplete* event) override;

	bool isEnabled() const { return m_enabled; }
	bool isFocused() const { return m_focused; }
	bool isHovered() const { return m_hovered; }
	bool isDown() const { return m_down; }
	bool isPressInProgress() const { return m_pressInProgress; }
	bool getWantFocus() const { return m_wantFocus; }
	void setWantFocus(bool wantFocus) { m_wantFocus = wantFocus; }
	bool getHoverTrack() const { return m_hoverTrack; }
	void setHoverTrack(bool hoverTrack) { m_hoverTrack = hoverTrack; }
	bool getIsFocusOnHover() const { return m_isFocusOnHover; }
	void setIsFocusOnHover(bool focusOnHover) { m_isFocusOnHover = focusOnHover; }

	s32 getTemplateName() const { return m_templateName; }
	// Stores the name and instantiates the template again, also when the name is unchanged.
	void setTemplateName(s32 nameId);
	void setTemplateName(const c8* name);
	// Null once something took the root away from the control (its parent is no longer the control).
	ControlNode* getTemplateRoot() const;
	bool isTemplateRoot() const { return m_isTemplateRoot; }
	// The direct child (or deeper descendant) through which the focus path continues; null when it
	// has left the control.
	ControlNode* getFocusedChild() const;

	s32 getDefaultFocusObjectName() const { return m_defaultFocusObjectName; }
	void setDefaultFocusObjectName(s32 nameId) { m_defaultFocusObjectName = nameId; }
	s32 getNavLeftObjectName() const { return m_navLeftObjectName; }
	void setNavLeftObjectName(s32 nameId) { m_navLeftObjectName = nameId; }
	s32 getNavRightObjectName() const { return m_navRightObjectName; }
	void setNavRightObjectName(s32 nameId) { m_navRightObjectName = nameId; }
	s32 getNavDownObjectName() const { return m_navDownObjectName; }
	void setNavDownObjectName(s32 nameId) { m_navDownObjectName = nameId; }
	s32 getNavUpObjectName() const { return m_navUpObjectName; }
	void setNavUpObjectName(s32 nameId) { m_navUpObjectName = nameId; }

	// Templates nested inside templates stop here.
	static constexpr s32 MAX_TEMPLATE_NESTING = 16;

protected:
	// The template root, then the children (never clipped); nothing of the control's own.
	void collectChildRenderables(RenderList& list) override;

	// Queues the event for this control, to bubble up from it when delivered.
	void queueForSelf(CEvent* event);
	// Asks the look, with the control fallback.
	void askLook(s32 lookId);

private:
	// Makes the (empty) internal template root.
	void createTemplateRoot();
	void releaseTemplateRoot();
	// The node is somewhere in this control's subtree (compared by address, never dereferenced).
	bool hasDescendant(const BaseNode* node) const;

	s32 m_defaultFocusObjectName = -1;
	s32 m_navLeftObjectName = -1;
	s32 m_navRightObjectName = -1;
	s32 m_navDownObjectName = -1;
	s32 m_navUpObjectName = -1;
	s32 m_templateName = -1;
	// Held apart from the parent link: code that removes or moves the root through the public tree
	// calls takes only that link, and the control lets go of a root that is no longer its own.
	CRefHolder<ControlNode> m_templateRoot;
	// Not held: checked against the subtree before each use.
	BaseNode* m_focusedChild = nullptr;
	bool m_wantFocus = true;
	bool m_focused = false;
	bool m_enabled = true;
	bool m_hoverTrack = true;
	bool m_hovered = false;
	bool m_isFocusOnHover = false;
	bool m_down = false;
	bool m_pressInProgress = false;
	bool m_isTemplateRoot = false;
};
} // namespace fw
