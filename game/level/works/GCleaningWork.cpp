#include "level/works/GCleaningWork.h"

#include "level/buildings/GBuildingNode.h"
#include "level/data/GGameMessages.h"

GCleaningWork::GCleaningWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
	fw::TemplateCollectionNode* templates, GLevelPath* path, fw::f32 materials, fw::s32 workers) :
	GProgressBarWork(level, building, cargosNode, templates, path, materials, workers)
{
	m_total = getType()->RepairTime;
}

void GCleaningWork::onFinish()
{
	GProgressBarWork::onFinish();
	post(new GCleaningDoneMessage(getBuilding()));
}

void GCleaningWork::onCancel()
{
	GProgressBarWork::onCancel();
	getBuilding()->setAlertIcon(GBuildingNode::ALERT_DIRTY);
}
