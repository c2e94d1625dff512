#include "core/SceneNode.h"

#include "core/IContentManager.h"
#include "core/ISceneManager.h"
#include "core/StateItem.h"

#include <vector>

namespace fw
{
SceneNode::SceneNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	ControlNode(reference, parent, sceneManager)
{
}

SceneNode::~SceneNode()
{
	m_previousScene.release();
}

// Every game scene uses the control's properties.
bool SceneNode::onStateChangeComplete(CEventNodeStateChangeComplete* event)
{
	if (ControlNode::onStateChangeComplete(event))
		return true;
	// Handed up here also when the change completed at once; consumed, so that the node's count
	// of ended children does not hand it up a second time.
	const CRefHolder<SceneNode> self = holdForCall(this);
	routeUp(ROUTE_SELF_UP, event);
	return true;
}

void SceneNode::setPreviousScene(SceneNode* scene)
{
	if (scene == m_previousScene.get())
		return;
	m_previousScene.assign(scene);
}

bool SceneNode::openScene(SceneNode* scene, bool fromStaysVisible, s32 outState, s32 inState)
{
	ISceneManager* manager = getSceneManager();
	if (!scene || !manager)
		return false;
	return manager->pushScene(manager->getActiveScene(), scene, outState, inState, fromStaysVisible);
}

bool SceneNode::goBack(s32 count, s32 outState, s32 inState)
{
	ISceneManager* manager = getSceneManager();
	SceneNode* target = m_previousScene.get();
	for (s32 i = 0; target && i < count; ++i)
		target = target->getPreviousScene();
	if (!manager || !target)
		return false;
	return manager->popToScene(this, target, outState, inState);
}

bool SceneNode::goBackToType(s32 typeId, s32 outState, s32 inState)
{
	ISceneManager* manager = getSceneManager();
	SceneNode* target = m_previousScene.get();
	// A chain that loops (the manager refuses to make one) must not hang the walk.
	for (s32 steps = 0; target && target->getTypeId() != typeId && steps < 100000; ++steps)
		target = target->getPreviousScene();
	if (!manager || !target || target->getTypeId() != typeId)
		return false;
	return manager->popToScene(this, target, outState, inState);
}

SceneNode* SceneNode::openTemplateScene(s32 templateNameId, const core::array<core::stringw>& buttons,
	const core::stringw& title, const core::stringw& body)
{
	ISceneManager* manager = getSceneManager();
	return manager ? manager->showMessageBox(this, templateNameId, buttons, title, body) : nullptr;
}

SceneNode* SceneNode::openSceneFile(const core::stringc& fileName, bool fromStaysVisible, s32 outState, s32 inState)
{
	if (fileName.empty())
		return nullptr;
	IContentManager* contentManager = getContentManager();
	if (!contentManager)
		return nullptr;
	CContent* content = contentManager->getContent(CONTENT_TYPE_SCENE_NODE, fileName, true);
	if (!content)
		return nullptr;
	const CRefHolder<CContent> held = adoptRef(content);
	BaseNode* node = dynamic_cast<BaseNode*>(content);
	SceneNode* scene = node && node->isOfType(TypeId) ? static_cast<SceneNode*>(node) : nullptr;
	if (!scene || !openScene(scene, fromStaysVisible, outState, inState))
		return nullptr;
	return scene;
}

void SceneNode::stopStateInChildren(s32 stateId)
{
	std::vector<CRefHolder<BaseNode>> nodes;
	if (ControlNode* root = getTemplateRoot())
		for (u32 i = 0; i < root->getChildren().size(); ++i)
			nodes.emplace_back(root->getChildren()[i]);
	for (u32 i = 0; i < getChildren().size(); ++i)
		nodes.emplace_back(getChildren()[i]);
	for (const CRefHolder<BaseNode>& node : nodes)
		if (node->findState(stateId))
			node->stopState(stateId, true);
}
} // namespace fw
