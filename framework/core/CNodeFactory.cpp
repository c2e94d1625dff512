#include "core/CNodeFactory.h"

#include "core/BaseNode.h"
#include "core/ControlNode.h"
#include "core/KeyFrame.h"
#include "core/SceneNode.h"
#include "core/SetProps.h"
#include "core/SetStates.h"

#include <algorithm>
#include <vector>

namespace fw
{
namespace
{
// Never destroyed: factories may be made and destroyed while the process exits.
std::vector<NodeClassRegistrar>& registrars()
{
	static std::vector<NodeClassRegistrar>& list = *new std::vector<NodeClassRegistrar>;
	return list;
}

std::vector<CNodeFactory*>& liveFactories()
{
	static std::vector<CNodeFactory*>& list = *new std::vector<CNodeFactory*>;
	return list;
}
} // namespace

CNodeFactory::CNodeFactory()
{
	registerNodeClass<BaseNode>(*this);
	registerNodeClass<ControlNode>(*this);
	registerNodeClass<SceneNode>(*this);
	registerStateItemClass<KeyFrame>(*this);
	registerStateItemClass<SetProps>(*this);
	registerStateItemClass<SetStates>(*this);

	liveFactories().push_back(this);
	// A registrar may install another one; walk by index.
	for (size_t i = 0; i < registrars().size(); ++i)
		registrars()[i](*this);
}

CNodeFactory::~CNodeFactory()
{
	std::vector<CNodeFactory*>& live = liveFactories();
	live.erase(std::remove(live.begin(), live.end(), this), live.end());
	m_nodeCreators.clear();
	m_itemCreators.clear();
}

void CNodeFactory::registerClass(const core::stringw& className, NodeCreator creator)
{
	if (!creator)
		return;
	m_nodeCreators.emplace(className, creator);
}

BaseNode* CNodeFactory::create(const core::stringw& className, const ContentReference& reference) const
{
	const auto found = m_nodeCreators.find(className);
	if (found == m_nodeCreators.end())
		return nullptr;
	return found->second(reference);
}

core::array<core::stringw> CNodeFactory::getClassNames() const
{
	std::vector<core::stringw> names;
	for (const auto& entry : m_nodeCreators)
		names.push_back(entry.first);
	std::sort(names.begin(), names.end());
	core::array<core::stringw> sorted;
	for (const core::stringw& name : names)
		sorted.push_back(name);
	return sorted;
}

void CNodeFactory::registerStateItem(const core::stringw& itemName, StateItemCreator creator)
{
	if (!creator)
		return;
	m_itemCreators.emplace(itemName, creator);
}

Base* CNodeFactory::createStateItem(const core::stringw& itemName) const
{
	const auto found = m_itemCreators.find(itemName);
	if (found == m_itemCreators.end())
		return nullptr;
	return found->second();
}

void CNodeFactory::addClassRegistrar(NodeClassRegistrar registrar)
{
	std::vector<NodeClassRegistrar>& list = registrars();
	if (!registrar || std::find(list.begin(), list.end(), registrar) != list.end())
		return;
	list.push_back(registrar);
	// Copied: a registrar may make factories.
	const std::vector<CNodeFactory*> live = liveFactories();
	for (CNodeFactory* factory : live)
		registrar(*factory);
}
} // namespace fw
