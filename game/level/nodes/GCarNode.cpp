#include "level/nodes/GCarNode.h"

GCarNode::GCarNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager) :
	GTimedPathMover(reference, parent, sceneManager, INTERVAL)
{
}

bool GCarNode::onTimer(fw::u32 elapsed)
{
	update(elapsed);
	if (m_removeAtEnd && getRemainingPointCount() < 2)
		return leaveTree(nullptr);
	return true;
}
