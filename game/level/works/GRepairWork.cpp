#include "level/works/GRepairWork.h"

#include "level/buildings/GBuildingNode.h"
#include "level/data/GGameMessages.h"

GRepairWork::GRepairWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
	fw::TemplateCollectionNode* templates, GLevelPath* path, fw::f32 materials, fw::s32 workers) :
	GProgressBarWork(level, building, cargosNode, templates, path, materials, workers)
{
	m_total = getType()->RepairTime;
}

void GRepairWork::onFinish()
{
	GProgressBarWork::onFinish();
	post(new GRepairDoneMessage(getBuilding()));
}

void GRepairWork::onCancel()
{
	GProgressBarWork::onCancel();
	getBuilding()->setAlertIcon(GBuildingNode::ALERT_BROKEN);
}
