#pragma once

#include "core/BaseNode.h"
#include "core/CTimer.h"
#include "core/ISceneManager.h"

#include <deque>
#include <map>

namespace fw
{
class CTimerManager;
class SceneNode;
class TemplateCollectionNode;

// One side of a scene switch in progress. A switch in which both scenes play a transition stores
// two equal records, one taken by the end of each side.
struct SSceneSwitch
{
	SceneNode* from;
	s32 outState;
	SceneNode* to;
	s32 inState;
	// The outgoing scene stays in the tree when its side ends.
	bool keepFrom;
	// It also stays visible and running; otherwise it and the scenes below it are hidden and paused.
	bool fromStaysVisible;
};

// One event waiting in a scene manager's queue. The queue holds a reference to the receiver (except
// when the receiver is the manager itself) and one to the event until the delivery is over.
struct SQueuedMessage
{
	CEventReceiver* receiver;
	s32 route;
	CEvent* event;
};

// The root node under which an application's scenes live. It keeps the stack of scenes (the active
// scene and, through previous-scene links, those below), switches between them with transition
// states played by both scenes, and draws its scenes in depth order. It also queues the events its nodes post and
// delivers them in one pass per update of the timer manager it is attached to (its timer part runs
// on every update); nodes scheduled for removal leave the tree at the end of the pass.
//
// Between passes events are delivered first in, first out; an event posted during a pass is
// delivered next, before those already waiting (several: the last posted first).
class SceneManager : public BaseNode, public CTimer, public ISceneManager
{
public:
	FW_NODE_CLASS(SceneManager, BaseNode, NODE_TYPE_SCENE_MANAGER, L"SceneManager")

	// Not attached to any timer manager: queued events wait until setTimerManager.
	explicit SceneManager(const ContentReference& reference = ContentReference(), BaseNode* parent = nullptr,
		ISceneManager* sceneManager = nullptr);
	// Queued events are released undelivered, pending removals done, the children removed; the
	// timer part leaves its timer manager.
	~SceneManager() override;

	// Events that bubble up out of a scene stop here, consumed, unless the manager has a parent
	// that takes them.
	bool routeUp(s32 mode, CEvent* event) override;
	// Other events go to the scenes first to last until one consumes them. Input goes only to the
	// active scene, which the scene stack provides; until then no scene receives input.
	bool routeDown(s32 mode, CEvent* event) override;

	// What the manager hands its nodes, set before scenes arrive; nothing in it is held. The
	// services' device makes the scenes' timer managers and registers them as its receivers; without
	// one, scenes get timer managers of their own that nothing updates but the program.
	void setServices(const SServices& services) { m_services = services; }
	const SServices& getServices() const override { return m_services; }

	// Held; every control under the manager rebuilds its look from it. Null sends nothing.
	void setTemplateCollection(TemplateCollectionNode* collection);
	TemplateCollectionNode* getTemplateCollection() const { return m_templateCollection.get(); }
	BaseNode* getTemplateCollectionNode() const override;
	bool applyTemplate(s32 templateNameId, BaseNode* target) override;
	ITimerManager* getSceneTimerManager(const SceneNode* scene) const override;

	// The scene stack.
	SceneNode* getActiveScene() const override { return m_activeScene; }
	// Replaces the whole stack by the scene (none for null); the old scenes leave at the end of the
	// next message pass. False while the scene is switching.
	bool setActiveScene(SceneNode* scene, s32 inState = -1);
	// Opens to over from (null: after the last scene, the active scene unchanged). -1 transitions
	// are "NavFrom" and "NavTo". Refused for null, a switching scene and a scene that is already on
	// the stack or below from.
	bool pushScene(SceneNode* from, SceneNode* to, s32 outState, s32 inState, bool fromStaysVisible) override;
	// Goes back from a scene to one on its previous-scene chain; the scenes between leave. -1
	// transitions are "NavBackFrom" and "NavBackTo".
	bool popToScene(SceneNode* from, SceneNode* to, s32 outState, s32 inState) override;
	// A message box from the collection's template, centred over the owner and opened over it with
	// "NavTo"; the owner stays visible and running but loses the focus and hears of no transition.
	// When the box's "NavBackFrom" has played, the owner gets the result (its own handlers only)
	// and, when it is the active scene, its focus back; the box leaves at the end of that message
	// pass. Null for a null or switching owner, no
	// collection or a template it does not hold.
	SceneNode* showMessageBox(SceneNode* owner, s32 templateNameId, const core::array<core::stringw>& buttons,
		const core::stringw& title, const core::stringw& body) override;
	bool isSwitching(const SceneNode* scene) const;
	// A copy of the first record naming the scene; {null, -1, null, -1, true, false} for none.
	SSceneSwitch findSwitch(const SceneNode* scene) const;
	u32 getSwitchCount() const { return m_switches.size(); }
	// The scenes' side of a switch ends when their transition state has completed.
	bool onStateChangeComplete(CEventNodeStateChangeComplete* event) override;
	u32 getSceneTimerManagerCount() const { return static_cast<u32>(m_sceneTimerManagers.size()); }

	// Drawing: one entry for the whole manager inside another manager's tree.
	void render(const SRenderContext& context, const core::rect<f32>* clip) override;
	// Collects the scenes' entries, sorts them by depth then key when sorting is on, and draws them
	// inside the context's quad batch (the driver's own for the first form). Nothing without a
	// driver.
	void drawAll(video::IVideoDriver* driver);
	void drawAll(const SRenderContext& context);
	void setSortingEnabled(bool enabled) { m_sortingEnabled = enabled; }
	bool isSortingEnabled() const { return m_sortingEnabled; }

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
	// A node already scheduled is not scheduled twice.
	void scheduleRemoval(BaseNode* node);
	void flushRemovals();
	bool isScheduledForRemoval(const BaseNode* node) const;

protected:
	// One entry for the manager, which draws its scenes sorted among themselves at its own depth;
	// the scenes are collected by drawAll, not here.
	void appendRenderables(RenderList& list) override;
	void collectChildRenderables(RenderList& list) override;

private:
	void removeSwitch(const SceneNode* scene);
	// Takes a scene that has left the tree out of the records of switches in progress.
	void forgetSwitchingScene(const SceneNode* scene);
	void createSceneTimerManager(SceneNode* scene);
	// Unregisters and releases the timer manager of a scene that has left the manager.
	void releaseSceneTimerManager(SceneNode* scene);
	// The scene is on the stack: a scene of this manager that is not leaving, or below one.
	bool isOnStack(const SceneNode* scene) const;
	// The active scene or a scene below it.
	bool isOnActiveChain(const SceneNode* scene) const;
	// Node attached, then transition and transition start to the scene.
	void announceAttached(SceneNode* scene);
	void deliverTransition(SceneNode* scene, SceneNode* from, SceneNode* to, bool forward, bool start);
	// A scene that is active again after a switch or a message box: focused, and told where the
	// pointer is.
	void takeBackFocus(SceneNode* scene);

	SServices m_services;
	CRefHolder<TemplateCollectionNode> m_templateCollection;
	// Held; each registered with the device while its scene is in the tree.
	std::map<const SceneNode*, CTimerManager*> m_sceneTimerManagers;
	SceneNode* m_activeScene = nullptr;
	core::array<SSceneSwitch> m_switches;
	bool m_sortingEnabled = false;
	RenderList m_renderList;

	CTimerManager* m_attachedTimerManager = nullptr;
	// Held, so that a node destroyed meanwhile is not mistaken for another at its address.
	core::array<BaseNode*> m_pendingRemovals;
	// The first end is the front, the last end the back; deliveries take from the back.
	std::deque<SQueuedMessage> m_messageQueue;
	bool m_processingMessages = false;
};
} // namespace fw
