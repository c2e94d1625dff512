#include "level/nodes/OnceSpawnerNode.h"

#include "core/CNameTable.h"
#include "core/ISceneManager.h"
#include "core/NodeCasts.h"
#include "core/PropertyAccessors.h"
#include "core/TextParsing.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"
#include "widgets/TemplateCollectionNode.h"

namespace
{
fw::core::stringc joinNames(const fw::core::array<fw::s32>& ids)
{
	fw::core::stringc joined;
	const fw::CNameTable& table = fw::CNameTableSingleton::Instance();
	for (fw::u32 i = 0; i < ids.size(); ++i)
	{
		if (i > 0)
			joined += ";";
		joined += table.lookup(ids[i]);
	}
	return joined;
}
} // namespace

OnceSpawnerNode::OnceSpawnerNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	fw::BaseNode(reference, parent, sceneManager)
{
}

const fw::PropertyTable& OnceSpawnerNode::getClassPropertyTable()
{
	static const fw::PropertyTable& table =
		fw::makePropertyTable<OnceSpawnerNode>(fw::BaseNode::getClassPropertyTable(),
			{
				fw::makeProperty<&OnceSpawnerNode::setObjTemplateIDsProperty,
					&OnceSpawnerNode::getObjTemplateIDsProperty>("ObjTemplateIDs")
					.stored()
					.copiedIn<&OnceSpawnerNode::m_templateIds>(),
				fw::makeProperty<&OnceSpawnerNode::setObjStateProperty, &OnceSpawnerNode::getObjStateProperty>(
					"ObjState")
					.stored()
					.copiedIn<&OnceSpawnerNode::m_stateIds>(),
				fw::makeProperty<&OnceSpawnerNode::setShowLevelPercent, &OnceSpawnerNode::getShowLevelPercent>(
					"ShowLevelPercent")
					.stored()
					.copiedIn<&OnceSpawnerNode::m_showPercent>(),
			});
	return table;
}

void OnceSpawnerNode::setObjState(const fw::core::stringc& names)
{
	m_stateIds = fw::split(names);
}

fw::core::stringc OnceSpawnerNode::getObjState() const
{
	return joinNames(m_stateIds);
}

void OnceSpawnerNode::setObjTemplateIDs(const fw::core::stringc& names)
{
	m_templateIds = fw::split(names);
}

fw::core::stringc OnceSpawnerNode::getObjTemplateIDs() const
{
	return joinNames(m_templateIds);
}

void OnceSpawnerNode::setObjStateProperty(const fw::PropertyHolder& value)
{
	setObjState(fw::getPropertyText(value));
}

fw::PropertyHolder OnceSpawnerNode::getObjStateProperty() const
{
	return fw::createPropertyDataString(getObjState());
}

void OnceSpawnerNode::setObjTemplateIDsProperty(const fw::PropertyHolder& value)
{
	setObjTemplateIDs(fw::getPropertyText(value));
}

fw::PropertyHolder OnceSpawnerNode::getObjTemplateIDsProperty() const
{
	return fw::createPropertyDataString(getObjTemplateIDs());
}

void OnceSpawnerNode::onCollected()
{
	if (!m_spawnPending)
		return;
	// Whatever happens below, the decision is spent.
	m_spawnPending = false;
	fw::CRandomGenerator* generator = levelservices::random(this);
	if (!generator)
		return;
	fw::CRandomGenerator& random = *generator;
	// 1 to 98.
	if (random.nextIntInRange(1, 99) >= m_showPercent)
		return;
	fw::ISceneManager* sceneManager = getSceneManager();
	const fw::TemplateCollectionNode* collection =
		sceneManager ? fw::nodeCast<fw::TemplateCollectionNode>(sceneManager->getTemplateCollectionNode()) : nullptr;
	if (!collection || m_templateIds.empty())
		return;
	const fw::s32 index = random.nextIntInRange(0, static_cast<fw::s32>(m_templateIds.size()));
	const fw::BaseNode* source = collection->getTemplate(m_templateIds[static_cast<fw::u32>(index)]);
	if (!source)
		return;
	fw::BaseNode* shown = source->clone(this, nullptr);
	if (!shown)
		return;
	shown->setTransient(true);
	shown->setVisible(true);
	if (!m_stateIds.empty())
	{
		const fw::s32 state = random.nextIntInRange(0, static_cast<fw::s32>(m_stateIds.size()));
		shown->setState(m_stateIds[static_cast<fw::u32>(state)], nullptr);
	}
}
