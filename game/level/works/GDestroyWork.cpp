#include "level/works/GDestroyWork.h"

#include "level/buildings/GBuildingNode.h"
#include "level/data/GGameMessages.h"
#include "level/scene/LevelServices.h"
#include "level/works/IGWorkSite.h"

namespace
{
// As many workers as the level took: the type's cost less the level's WorkersCostA, at least 1.
fw::s32 destroyWorkers(const IGWorkSite* level, const GBuildingNode* building)
{
	if (!building)
		return 0;
	return building->getType()->getDestroyWorkersCost(level ? level->getLevelConfiguration() : nullptr);
}
} // namespace

GDestroyWork::GDestroyWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
	fw::TemplateCollectionNode* templates, GLevelPath* path) :
	GCrewWork(level, building, cargosNode, templates, path, 0.f, destroyWorkers(level, building),
		ARRIVAL_DESTROYING_CUE)
{
	static const fw::s32 done = levelservices::nameId("Done");
	m_remaining = getType()->DestroyTime;
	if (building)
		building->setState(done, nullptr);
}

fw::f32 GDestroyWork::getProgress()
{
	const fw::f32 total = getType()->DestroyTime;
	if (total <= 0.f)
		return 1.f;
	return (total - m_remaining) / total;
}

void GDestroyWork::startJob()
{
	static const fw::s32 buildingPlace = levelservices::nameId("BuildingPlace");
	static const fw::s32 destroy = levelservices::nameId("Destroy");
	GBuildingNode* building = getBuilding();
	building->setTemplateName(buildingPlace);
	building->setState(settingStateId("DestroySetting"), nullptr);
	building->setState(destroy, nullptr);
	building->setWorkersText(getWorkers());
	if (isBuildingSelected())
		building->playWorkSound();
}

void GDestroyWork::runClock(fw::u32 stepMs)
{
	static const fw::s32 done = levelservices::nameId("Done");
	m_remaining -= buildTimeFactor(getLevelScene()) * static_cast<fw::f32>(stepMs);
	if (m_remaining < 0.f)
	{
		GBuildingNode* building = getBuilding();
		m_remaining = 0.f;
		endJob();
		building->stopWorkSound();
		building->setState(settingStateId("DoneSetting"), nullptr);
		building->setState(done, nullptr);
		post(new GDestroyDoneMessage(building));
		postResourcesReturned(0.f);
		building->setWorkersText(0);
	}
	else
		showProgress();
}

void GDestroyWork::cancel()
{
	GBuildingNode* building = getBuilding();
	// Once over the building is an empty place for good: the level has recorded the demolition.
	if (m_phase == PHASE_OVER || !building->getPreviousType())
		return;
	// Held: setting the type lets the building's own reference to its previous type go.
	const fw::CRefHolder<GBuildingConfiguration> previous(building->getPreviousType());
	endJob();
	building->setType(previous.get(), true);
	building->setTemplateName(previous->Name);
	building->setWorkersText(0);
	leaveWorkSlot(getBuilding());
	building->stopWorkSound();
	postResourcesReturned(0.f);
}
