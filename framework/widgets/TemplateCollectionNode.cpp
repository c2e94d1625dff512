#include "widgets/TemplateCollectionNode.h"

namespace fw
{
TemplateCollectionNode::TemplateCollectionNode(const ContentReference& reference, BaseNode* parent,
	ISceneManager* sceneManager) :
	BaseNode(reference, parent, sceneManager)
{
}

TemplateCollectionNode::~TemplateCollectionNode()
{
	std::map<s32, BaseNode*> templates;
	templates.swap(m_templates);
	for (auto& entry : templates)
		entry.second->drop();
}

void TemplateCollectionNode::onInit()
{
	const core::array<BaseNode*>& children = getChildren();
	for (u32 i = 0; i < children.size(); ++i)
		if (m_templates.emplace(children[i]->getNameId(), children[i]).second)
			children[i]->grab();
}

BaseNode* TemplateCollectionNode::getTemplate(s32 nameId) const
{
	const auto found = m_templates.find(nameId);
	return found == m_templates.end() ? nullptr : found->second;
}

bool TemplateCollectionNode::applyTemplate(s32 nameId, BaseNode* target) const
{
	if (!target)
		return false;
	const CRefHolder<BaseNode> held(target);
	// Held: leaving a state may set off handlers that change the children.
	core::array<BaseNode*> children(target->getChildren());
	for (u32 i = 0; i < children.size(); ++i)
		children[i]->grab();
	for (u32 i = 0; i < children.size(); ++i)
		children[i]->stopAllStates(false);
	for (u32 i = 0; i < children.size(); ++i)
		children[i]->drop();
	target->stopAllStates(false);
	target->removeAllChildren();
	target->clearStates();
	if (nameId == -1)
		return true;
	const BaseNode* templateNode = getTemplate(nameId);
	if (!templateNode)
		return false;
	templateNode->copyChildrenAndStatesTo(target);
	return true;
}

bool TemplateCollectionNode::addTemplate(BaseNode* node)
{
	if (!node || !m_templates.emplace(node->getNameId(), node).second)
		return false;
	node->grab();
	return true;
}
} // namespace fw
