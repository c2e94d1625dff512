#pragma once

#include "core/BaseNode.h"
#include "core/CTimer.h"

namespace fw
{
// Keeps making copies of template nodes as its own children, after a drawn start delay and at a
// drawn rate, each at a drawn offset and rotation, with the values of ObjectsProperties and a drawn
// "LifeTime" (classes that have it remove themselves when it runs out; the spawner never removes
// a copy). The templates come from the scene manager's template collection, named by ObjTemplate.
// Ghost copies (IsSpawnedObjectGhost) are transient children: drawn and reached by events, never
// saved or copied with the spawner.
class SpawnerNode : public BaseNode, public CTimer
{
public:
	FW_NODE_CLASS(SpawnerNode, BaseNode, NODE_TYPE_SPAWNER, L"SpawnerNode")
	static const PropertyTable& getClassPropertyTable();

	static constexpr u32 TIMER_INTERVAL = 30;
	// Copies made in one tick at most: a huge rate from a file must not clone without end. Far
	// above what any decoration asks (50 per second make 2 a tick).
	static constexpr u32 MAX_COPIES_PER_TICK = 100;

	SpawnerNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~SpawnerNode() override;

	// The base's copy (without transient children), then the spawner's values: a new start delay is
	// drawn, the templates are found again and the ObjectsProperties container is shared.
	void copyFrom(const BaseNode* source, ISceneManager* sceneManager) override;
	// Both find the templates again and let the event go on.
	bool onAttached(CEventNodeAttached* event) override;
	bool onTemplatesChanged(CEventNodeTemplatesChanged* event) override;

	// Names separated by ";" (trimmed, empty pieces dropped); the templates are looked up at once.
	void setObjTemplate(const core::stringc& names);
	// The names joined by ";".
	core::stringc getObjTemplate() const;
	const core::array<s32>& getTemplateNames() const { return m_templateNames; }
	// Replaces the templates by those the scene manager's collection holds under the names; keeps
	// them without a scene manager or collection.
	void resolveTemplates();
	u32 getTemplateCount() const { return m_templates.size(); }

	// The spawn timer on the scene's timer manager (the time towards the next copy kept), or off.
	void setEnabled(bool enabled);
	bool isEnabled() const { return m_enabled; }
	void setIsSpawnedObjectGhost(bool ghost) { m_isSpawnedObjectGhost = ghost; }
	bool getIsSpawnedObjectGhost() const { return m_isSpawnedObjectGhost; }
	const core::vector2df& getObjectsSpawnStartDelayRange() const { return m_startDelayRange; }
	void setObjectsSpawnStartDelayRange(const core::vector2df& range) { m_startDelayRange = range; }
	const core::vector2df& getObjectsPerSecRange() const { return m_perSecRange; }
	void setObjectsPerSecRange(const core::vector2df& range) { m_perSecRange = range; }
	const core::vector2df& getObjectsLifeTimeRange() const { return m_lifeTimeRange; }
	void setObjectsLifeTimeRange(const core::vector2df& range) { m_lifeTimeRange = range; }
	const core::vector2df& getObjectsXDeltaRange() const { return m_xDeltaRange; }
	void setObjectsXDeltaRange(const core::vector2df& range) { m_xDeltaRange = range; }
	const core::vector2df& getObjectsYDeltaRange() const { return m_yDeltaRange; }
	void setObjectsYDeltaRange(const core::vector2df& range) { m_yDeltaRange = range; }
	const core::vector2df& getObjectsRotationDeltaRange() const { return m_rotationDeltaRange; }
	void setObjectsRotationDeltaRange(const core::vector2df& range) { m_rotationDeltaRange = range; }
	// Values given to every copy by name; held with one reference (null for none).
	CPropertyContainer* getObjectsProperties() const { return m_objectsProperties.get(); }
	void setObjectsProperties(CPropertyContainer* properties);

	// Time towards the next copies, in ms; negative during the start delay.
	f32 getAccumulatedTime() const { return m_accumulatedTime; }
	// The timer: adds the copies due after stepMs more milliseconds; it never stops by itself.
	bool onSpawnTimer(u32 stepMs);
	bool onTimer(u32 elapsed) override { return onSpawnTimer(elapsed); }
	// Makes count copies of one template drawn for them all; nothing without templates.
	void spawn(u32 count);

protected:
	// Visible or hidden, a spawner in a scene starts its timer, after a new start delay.
	void onCollected() override;

private:
	void setObjTemplateProperty(const PropertyHolder& value);
	PropertyHolder getObjTemplateProperty() const;
	void drawStartDelay();
	void releaseTemplates();

	core::array<s32> m_templateNames;
	core::array<BaseNode*> m_templates; // one reference each
	f32 m_accumulatedTime = 0.f;
	bool m_enabled = true;
	bool m_isSpawnedObjectGhost = true;
	core::vector2df m_startDelayRange = core::vector2df(0.f, 0.f);
	core::vector2df m_perSecRange = core::vector2df(1.f, 1.f);
	core::vector2df m_lifeTimeRange = core::vector2df(1000.f, 1000.f);
	core::vector2df m_xDeltaRange = core::vector2df(0.f, 0.f);
	core::vector2df m_yDeltaRange = core::vector2df(0.f, 0.f);
	core::vector2df m_rotationDeltaRange = core::vector2df(0.f, 0.f);
	CRefHolder<CPropertyContainer> m_objectsProperties;
};
} // namespace fw
