#pragma once

#include "core/BaseNode.h"

#include <map>

namespace fw
{
// Named node subtrees that controls copy as their look and message boxes are built from. A scene
// file whose root is a collection and whose top-level children are the templates, named by their
// Name; it is kept outside every scene manager's tree and never drawn.
class TemplateCollectionNode : public BaseNode
{
public:
	FW_NODE_CLASS(TemplateCollectionNode, BaseNode, NODE_TYPE_TEMPLATE_COLLECTION, L"TemplateCollectionNode")

	TemplateCollectionNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~TemplateCollectionNode() override;
	// Maps the children by name: the first child of a name is the template.
	void onInit() override;

	// The template itself (shared); null for a name the collection does not hold.
	BaseNode* getTemplate(s32 nameId) const;
	// Replaces the target's children and states by copies of the template's. -1 only empties the
	// target (true); a name the collection does not hold leaves it empty (false).
	bool applyTemplate(s32 nameId, BaseNode* target) const;
	// Held under its name; false for null or a name already held (the first stays).
	bool addTemplate(BaseNode* node);
	u32 getTemplateCount() const { return static_cast<u32>(m_templates.size()); }

private:
	std::map<s32, BaseNode*> m_templates;
};
} // namespace fw
