#pragma once

#include "core/ControlNode.h"

namespace fw
{
// One screen: the root of a scene file, kept by the scene manager on its stack. It knows the scene
// it was opened over, hands its nodes the timer manager their states run on, and asks its manager
// to open other scenes, go back or show a message box.
class SceneNode : public ControlNode
{
public:
	FW_NODE_CLASS(SceneNode, ControlNode, NODE_TYPE_SCENE, L"SceneNode")

	SceneNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~SceneNode() override;

	// A completed change that the control does not take goes to the parent, the scene manager,
	// which follows the transitions this way.
	bool onStateChangeComplete(CEventNodeStateChangeComplete* event) override;

	SceneNode* getPreviousScene() const { return m_previousScene.get(); }
	// Held; set by the scene manager.
	void setPreviousScene(SceneNode* scene);
	ITimerManager* getTimerManager() const { return m_timerManager; }
	// Not held: the scene manager keeps the timer managers of its scenes.
	void setTimerManager(ITimerManager* timerManager) { m_timerManager = timerManager; }

	// Pushes the scene over the manager's top scene (whichever scene asks). -1 transitions take the
	// manager's defaults. False for null, without a manager or when the manager refuses.
	bool openScene(SceneNode* scene, bool fromStaysVisible, s32 outState = -1, s32 inState = -1);
	// Back to the previous scene (count 0), or count scenes further down the chain.
	bool goBack(s32 count, s32 outState = -1, s32 inState = -1);
	// Back to the nearest scene below of that type id; the scene itself is not considered.
	bool goBackToType(s32 typeId, s32 outState = -1, s32 inState = -1);
	// A message box from the template, over this scene; null without a manager.
	SceneNode* openTemplateScene(s32 templateNameId, const core::array<core::stringw>& buttons,
		const core::stringw& title, const core::stringw& body);
	// Loads the scene file (relative to the content manager's base path) and opens it. The manager's
	// stack holds the result; null for an empty name, a file that does not load or whose root is not
	// a scene, or a refused opening.
	SceneNode* openSceneFile(const core::stringc& fileName, bool fromStaysVisible, s32 outState = -1, s32 inState = -1);
	// The direct children (and the template root's) leave the state, finishing it.
	void stopStateInChildren(s32 stateId);

private:
	ITimerManager* m_timerManager = nullptr;
	CRefHolder<SceneNode> m_previousScene;
};
} // namespace fw
