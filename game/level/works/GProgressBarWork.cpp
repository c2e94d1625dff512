#include "level/works/GProgressBarWork.h"

#include "level/buildings/GBuildingNode.h"
#include "level/data/GGameMessages.h"

GProgressBarWork::GProgressBarWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
	fw::TemplateCollectionNode* templates, GLevelPath* path, fw::f32 materials, fw::s32 workers) :
	GCrewWork(level, building, cargosNode, templates, path, materials, workers, ARRIVAL_WORK_SOUND_IF_SELECTED)
{
}

fw::f32 GProgressBarWork::getProgress()
{
	// Not above 0: the job is done as soon as it starts.
	if (m_total <= 0.f)
		return 1.f;
	return m_elapsed / m_total;
}

void GProgressBarWork::onStart()
{
	if (isBuildingSelected())
		getBuilding()->playWorkSound();
}

void GProgressBarWork::onFinish()
{
	getBuilding()->stopWorkSound();
}

void GProgressBarWork::onCancel()
{
	getBuilding()->stopWorkSound();
}

void GProgressBarWork::startJob()
{
	getBuilding()->setWorkersText(getWorkers());
	onStart();
}

void GProgressBarWork::runClock(fw::u32 stepMs)
{
	m_elapsed += buildTimeFactor(getLevelScene()) * static_cast<fw::f32>(stepMs);
	if (m_total <= m_elapsed)
	{
		m_elapsed = 0.f;
		endJob();
		onFinish();
		postResourcesReturned(0.f);
		getBuilding()->setWorkersText(0);
	}
	else
		showProgress();
}

void GProgressBarWork::cancel()
{
	if (m_phase == PHASE_OVER)
		return;
	m_phase = PHASE_OVER;
	leaveWorkSlot(getBuilding());
	getBuilding()->setWorkersText(0);
	onCancel();
	postResourcesReturned(getMaterials());
}
