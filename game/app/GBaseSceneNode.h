#pragma once

#include "app/GSceneTables.h"
#include "core/CNameTable.h"
#include "core/CTimer.h"
#include "core/NodeCasts.h"
#include "core/SServices.h"
#include "core/SceneNode.h"
#include "level/data/GameNodeTypeIds.h"

namespace fw
{
class CEventListItemHovered;
class CEventListItemPressed;
class CEventMessageBoxResult;
class CEventNodeValueChanged;
class CEventSceneTransitionEnd;
class CEventSceneTransitionStart;
class CEventSystemFlowActivate;
class CEventSystemFlowDestroy;
class CEventTabSelected;
class CEventTabSwitched;
} // namespace fw

// The base of every game scene: sixteen framework events turned into handlers with default
// behaviour (log lines, the button sounds), a 30 ms timer that counts how long the scene has been
// shown with the focus, and an optional rule that Escape or Enter goes back to the previous scene.
// A scene declares the children it binds and the actions of its buttons in two tables
// (GSceneTables.h); the base binds the children once the scene is loaded and runs the actions.
class GBaseSceneNode : public fw::SceneNode, public fw::CTimer
{
public:
	FW_NODE_CLASS(GBaseSceneNode, fw::SceneNode, NODE_TYPE_GAME_BASE_SCENE, L"GBaseSceneNode")

	GBaseSceneNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);
	~GBaseSceneNode() override;

	static const fw::EventMap& getClassEventMap();
	// Binds the children of the scene's table.
	void onInit() override;
	// The control's handling first; then, when flagged, Escape or Enter goes back.
	bool onKeyUp(fw::CEventInputKeyUp* event) override;

	// Adds the step to the elapsed time while the scene has the focus; stays scheduled.
	bool onTimer(fw::u32 step) override;

	virtual bool onApplicationClose(fw::CEventSystemFlowDestroy* event);
	virtual bool onWindowFocus(fw::CEventSystemFlowActivate* event);
	virtual bool onMessageBoxResult(fw::CEventMessageBoxResult* event);
	// The scene being left lets its timer go.
	virtual bool onSceneSwitchStarted(fw::CEventSceneTransitionStart* event);
	// The scene entered starts counting from 0 on its scene's timer manager.
	virtual bool onSceneSwitchCompleted(fw::CEventSceneTransitionEnd* event);
	virtual bool onTabSwitchStarted(fw::CEventTabSelected* event);
	virtual bool onTabSwitchCompleted(fw::CEventTabSwitched* event);
	virtual bool onNodePressedPreview(fw::CEventNodePressedPreview* event);
	// Runs the action of the pressed button's name from the scene's table.
	virtual bool onNodePressed(fw::CEventNodePressed* event);
	virtual bool onNodeHovered(fw::CEventNodeHovered* event);
	virtual bool onNodeUnhovered(fw::CEventNodeUnhovered* event);
	virtual bool onNodeFocused(fw::CEventNodeFocused* event);
	virtual bool onNodeUnfocused(fw::CEventNodeUnfocused* event);
	virtual bool onValueChanged(fw::CEventNodeValueChanged* event);
	virtual bool onListItemPressed(fw::CEventListItemPressed* event);
	virtual bool onListItemHovered(fw::CEventListItemHovered* event);

	// The scene's tables of bound children and button actions; none by default.
	virtual SSceneTable<SBoundChild> getBoundChildren() const { return {}; }
	virtual SSceneTable<SButtonAction> getButtonActions() const { return {}; }

	// The cue the gameplay screen plays as its music; -1 for scenes without one.
	virtual fw::s32 getLevelMusicCue() const { return -1; }

	fw::s32 getElapsedTime() const { return m_elapsedTime; }
	bool getCloseOnEscapeOrEnter() const { return m_closeOnEscapeOrEnter; }
	void setCloseOnEscapeOrEnter(bool close) { m_closeOnEscapeOrEnter = close; }

	// Plays a cue of the scene's sound manager by name.
	void playCue(const fw::c8* name) const;
	// The same for a node that is no scene: the cue of the given services' sound manager.
	static void playCue(const fw::SServices& services, const fw::c8* name);

	// The service, or null with one log line naming the scene and what it lacks.
	template <class Service>
	Service* need(Service* service, const fw::c8* what) const
	{
		if (!service)
			logMissingService(what);
		return service;
	}

protected:
	void logMissingService(const fw::c8* what) const;
	// Logs the text with the interned name of the node the control event is about.
	static void logNodeEvent(const fw::c8* text, fw::CEvent* event);
	// Each child of the table into its member; one that is missing or of another kind leaves the
	// member null and logs a line naming it and the scene.
	void bindChildren();
	// The action of the button's name; false when the table has none.
	bool runButtonAction(const fw::BaseNode* button);

	fw::s32 m_elapsedTime = 0;
	bool m_closeOnEscapeOrEnter = false;
};

fw::s32 nameIdNavBackTo();
fw::s32 nameIdNavBackFrom();

// Back one scene, the scene below sliding in: how the menu's overlays close.
bool goBackSliding(fw::SceneNode& scene);
// Escape (27) or Enter (13).
bool isEscapeOrEnter(fw::u32 key);
