#include "widgets/SpawnerNode.h"

#include "content/ParticleEmitters.h"
#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/ISceneManager.h"
#include "core/ITimerManager.h"
#include "core/NodeCasts.h"
#include "core/PropertyAccessors.h"
#include "core/TextParsing.h"
#include "platform/CRandomGenerator.h"
#include "widgets/TemplateCollectionNode.h"

#include <cmath>

namespace fw
{
namespace
{
const c8* const OBJECTS_PROPERTIES = "ObjectsProperties";
const c8* const LIFE_TIME = "LifeTime";

// A drawn life time as whole milliseconds for an "int": truncated, NaN and below 0 as 0, capped.
s32 toWholeMilliseconds(f32 value)
{
	if (!(value > 0.f))
		return 0;
	if (value >= 2147483520.f)
		return 2147483520;
	return static_cast<s32>(value);
}

// The value goes to the first entry of the node's table with that name; names it lacks are ignored.
void setByName(BaseNode* node, const core::stringc& name, const PropertyHolder& value)
{
	const PropertyTable& table = node->getPropertyTable();
	const s32 index = findPropertyIndex(table, name);
	if (index >= 0)
		table[static_cast<u32>(index)].setter(node, value);
}
} // namespace

SpawnerNode::SpawnerNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	BaseNode(reference, parent, sceneManager)
{
	setInterval(TIMER_INTERVAL);
}

SpawnerNode::~SpawnerNode()
{
	releaseTemplates();
	m_objectsProperties.release();
}

const PropertyTable& SpawnerNode::getClassPropertyTable()
{
	// Every spawner read from a file starts waiting a delay drawn from its (possibly read) range. The
	// objects' properties are a file key only, and copies share the container.
	static const PropertyTable& table = makePropertyTable<SpawnerNode>(BaseNode::getClassPropertyTable(),
		{
			makeProperty<&SpawnerNode::setObjTemplateProperty, &SpawnerNode::getObjTemplateProperty>("ObjTemplate")
				.stored()
				.copiedIn<&SpawnerNode::m_templateNames>(),
			makeProperty<&SpawnerNode::setIsSpawnedObjectGhost, &SpawnerNode::getIsSpawnedObjectGhost>(
				"IsSpawnedObjectGhost")
				.stored(),
			makeProperty<&SpawnerNode::setEnabled, &SpawnerNode::isEnabled>("Enabled").stored(),
			makeProperty<&SpawnerNode::setObjectsSpawnStartDelayRange, &SpawnerNode::getObjectsSpawnStartDelayRange>(
				"ObjectsSpawnStartDelayRange")
				.stored(),
			makeProperty<&SpawnerNode::setObjectsPerSecRange, &SpawnerNode::getObjectsPerSecRange>("ObjectsPerSecRange")
				.stored(),
			makeProperty<&SpawnerNode::setObjectsLifeTimeRange, &SpawnerNode::getObjectsLifeTimeRange>(
				"ObjectsLifeTimeRange")
				.stored(),
			makeProperty<&SpawnerNode::setObjectsXDeltaRange, &SpawnerNode::getObjectsXDeltaRange>("ObjectsXDeltaRange")
				.stored(),
			makeProperty<&SpawnerNode::setObjectsYDeltaRange, &SpawnerNode::getObjectsYDeltaRange>("ObjectsYDeltaRange")
				.stored(),
			makeProperty<&SpawnerNode::setObjectsRotationDeltaRange, &SpawnerNode::getObjectsRotationDeltaRange>(
				"ObjectsRotationDeltaRange")
				.stored(),
			makeProperty<&SpawnerNode::setObjectsProperties, &SpawnerNode::getObjectsProperties>(OBJECTS_PROPERTIES)
				.stored()
				.unlisted()
				.copiedIn<&SpawnerNode::m_objectsProperties>(),
			afterReading<&SpawnerNode::drawStartDelay>(),
		});
	return table;
}

void SpawnerNode::setObjTemplateProperty(const PropertyHolder& value)
{
	setObjTemplate(getPropertyText(value));
}

void SpawnerNode::setObjTemplate(const core::stringc& names)
{
	m_templateNames = split(names);
	resolveTemplates();
}

PropertyHolder SpawnerNode::getObjTemplateProperty() const
{
	return createPropertyDataString(getObjTemplate());
}

core::stringc SpawnerNode::getObjTemplate() const
{
	core::stringc joined;
	const CNameTable& table = CNameTableSingleton::Instance();
	for (u32 i = 0; i < m_templateNames.size(); ++i)
	{
		if (i > 0)
			joined += ";";
		joined += table.lookup(m_templateNames[i]);
	}
	return joined;
}

void SpawnerNode::releaseTemplates()
{
	core::array<BaseNode*> templates;
	templates.swap(m_templates);
	for (u32 i = 0; i < templates.size(); ++i)
		templates[i]->drop();
}

void SpawnerNode::resolveTemplates()
{
	ISceneManager* sceneManager = getSceneManager();
	if (!sceneManager)
		return;
	const TemplateCollectionNode* collection =
		nodeCast<TemplateCollectionNode>(sceneManager->getTemplateCollectionNode());
	if (!collection)
		return;
	releaseTemplates();
	for (u32 i = 0; i < m_templateNames.size(); ++i)
		if (BaseNode* found = collection->getTemplate(m_templateNames[i]))
		{
			found->grab();
			m_templates.push_back(found);
		}
}

bool SpawnerNode::onAttached(CEventNodeAttached*)
{
	resolveTemplates();
	return false;
}

bool SpawnerNode::onTemplatesChanged(CEventNodeTemplatesChanged*)
{
	resolveTemplates();
	return false;
}

void SpawnerNode::setObjectsProperties(CPropertyContainer* properties)
{
	m_objectsProperties.assign(properties);
}

void SpawnerNode::setEnabled(bool enabled)
{
	m_enabled = enabled;
	setManager(enabled ? getSceneTimerManager() : nullptr);
}

void SpawnerNode::drawStartDelay()
{
	const f32 delay = BaseEmitter::drawRange(m_startDelayRange);
	// A delay that is no number would keep the spawner waiting for ever.
	m_accumulatedTime = std::isfinite(delay) ? -delay : 0.f;
}

void SpawnerNode::onCollected()
{
	if (!m_enabled || getManager())
		return;
	drawStartDelay();
	if (ITimerManager* timers = getSceneTimerManager())
		setManager(timers);
}

bool SpawnerNode::onSpawnTimer(u32 stepMs)
{
	m_accumulatedTime += static_cast<f32>(stepMs);
	if (!(m_accumulatedTime > 0.f))
		return true;
	const f32 rate = BaseEmitter::drawRange(m_perSecRange);
	const f32 interval = 1000.f / rate;
	const f32 due = std::trunc(m_accumulatedTime / interval);
	if (!(due >= 1.f))
		return true;
	if (!std::isfinite(due))
	{
		// An infinite rate names no number of copies: none, and the time is spent.
		m_accumulatedTime = 0.f;
		return true;
	}
	m_accumulatedTime -= due * interval;
	u32 count = MAX_COPIES_PER_TICK;
	if (due > static_cast<f32>(MAX_COPIES_PER_TICK))
		logFormat(LOG_WARNING, "SpawnerNode \"%s\": %.0f copies due in one tick; %u are made", getName().c_str(),
			static_cast<double>(due), MAX_COPIES_PER_TICK);
	else
		count = static_cast<u32>(due);
	spawn(count);
	return true;
}

void SpawnerNode::spawn(u32 count)
{
	if (m_templates.empty() || count == 0)
		return;
	CRandomGenerator* generator = getServices().random;
	if (!generator)
	{
		logWarning((core::stringc("SpawnerNode \"") + getName() + "\": no random generator; nothing spawned.").c_str());
		return;
	}
	CRandomGenerator& random = *generator;
	// Held: what the copies do on creation must not take the template away under the loop.
	const CRefHolder<BaseNode> source(m_templates[random.nextUInt() % m_templates.size()]);
	const CRefHolder<SpawnerNode> self(this);
	for (u32 i = 0; i < count; ++i)
	{
		const CRefHolder<BaseNode> copy(source->clone(this, getSceneManager()));
		if (!copy)
			continue;
		const f32 x = BaseEmitter::drawRange(m_xDeltaRange);
		const f32 y = BaseEmitter::drawRange(m_yDeltaRange);
		copy->setPosition(core::vector3df(x, y, copy->getPosition().Z));
		copy->setRotation(core::vector3df(0.f, 0.f, BaseEmitter::drawRange(m_rotationDeltaRange)));
		if (m_isSpawnedObjectGhost)
			copy->setTransient(true);
		copy->setVisible(true);
		if (CPropertyContainer* properties = m_objectsProperties.get())
			for (u32 item = 0; item < properties->getItemCount(); ++item)
				setByName(copy.get(), properties->getNameAt(static_cast<s32>(item)),
					properties->getValueAt(static_cast<s32>(item)));
		const s32 lifeTime = toWholeMilliseconds(BaseEmitter::drawRange(m_lifeTimeRange));
		setByName(copy.get(), LIFE_TIME, createPropertyDataInt(lifeTime));
	}
}

void SpawnerNode::copyFrom(const BaseNode* source, ISceneManager* sceneManager)
{
	BaseNode::copyFrom(source, sceneManager);
	const SpawnerNode* other = nodeCast<SpawnerNode>(source);
	if (!other || other == this)
		return;
	drawStartDelay();
	resolveTemplates();
}
} // namespace fw
