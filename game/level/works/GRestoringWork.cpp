#include "level/works/GRestoringWork.h"

#include "core/BaseNode.h"
#include "core/CAnimatorState.h"
#include "core/KeyFrame.h"
#include "level/buildings/GBuildingNode.h"
#include "level/data/GGameMessages.h"
#include "level/scene/LevelServices.h"

#include <cmath>
#include <limits>

namespace
{
fw::s32 restoringStateId()
{
	static const fw::s32 id = levelservices::nameId("Restoring");
	return id;
}
} // namespace

GRestoringWork::GRestoringWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
	fw::TemplateCollectionNode* templates, GLevelPath* path, fw::f32 materials, fw::s32 workers) :
	GCrewWork(level, building, cargosNode, templates, path, materials, workers, ARRIVAL_WORK_SOUND)
{
	m_remaining = getType()->BuildTime;
	m_buildTimeFactor = buildTimeFactor(level);
	retimeRestoring();
}

fw::f32 GRestoringWork::getProgress()
{
	const fw::f32 total = getType()->BuildTime;
	if (total <= 0.f)
		return 1.f;
	return (total - m_remaining) / total;
}

void GRestoringWork::setRestoringPeriod(fw::u32 ms)
{
	GBuildingNode* building = getBuilding();
	if (!building)
		return;
	const fw::core::array<fw::BaseNode*>& children = building->getChildren();
	for (fw::u32 i = 0; i < children.size(); ++i)
	{
		fw::CAnimatorState* state = children[i]->findState(restoringStateId());
		if (!state)
			continue;
		for (fw::u32 k = 0; k < state->getAnimatorCount(); ++k)
		{
			fw::Base* item = state->getAnimator(k);
			if (!item || !item->isOfType(fw::KeyFrame::TypeId))
				continue;
			fw::KeyFrame* keyFrame = static_cast<fw::KeyFrame*>(item);
			if (keyFrame->getKeys().size() >= 2)
				keyFrame->setKeyTime(1, ms);
		}
	}
}

void GRestoringWork::retimeRestoring()
{
	if (m_buildTimeFactor <= 0.f)
		return;
	// Rounded to the nearest ms and kept within what a key's time can hold.
	const fw::f64 ms = std::floor(static_cast<fw::f64>(m_remaining) / static_cast<fw::f64>(m_buildTimeFactor) + 0.5);
	const fw::f64 most = static_cast<fw::f64>(std::numeric_limits<fw::u32>::max());
	setRestoringPeriod(!(ms > 0.0) ? 0u : ms >= most ? std::numeric_limits<fw::u32>::max() : static_cast<fw::u32>(ms));
}

void GRestoringWork::startJob()
{
	GBuildingNode* building = getBuilding();
	building->setState(restoringStateId(), nullptr);
	building->setWorkersText(getWorkers());
	if (isBuildingSelected())
		building->playWorkSound();
}

void GRestoringWork::runClock(fw::u32 stepMs)
{
	const fw::f32 factor = buildTimeFactor(getLevelScene());
	if (factor != m_buildTimeFactor)
	{
		m_buildTimeFactor = factor;
		retimeRestoring();
	}
	m_remaining -= static_cast<fw::f32>(stepMs) * m_buildTimeFactor;
	if (m_remaining < 0.f)
	{
		GBuildingNode* building = getBuilding();
		m_remaining = 0.f;
		endJob();
		post(new GRepairDoneMessage(building));
		postResourcesReturned(0.f);
		building->setWorkersText(0);
		building->stopWorkSound();
	}
	else
		showProgress();
}

void GRestoringWork::cancel()
{
	static const fw::s32 cancelRestoring = levelservices::nameId("CancelRestoring");
	if (m_phase == PHASE_OVER)
		return;
	GBuildingNode* building = getBuilding();
	m_phase = PHASE_OVER;
	leaveWorkSlot(getBuilding());
	building->setAlertIcon(GBuildingNode::ALERT_UNFINISHED);
	building->setState(cancelRestoring, nullptr);
	building->setWorkersText(0);
	building->stopWorkSound();
	postResourcesReturned(getMaterials());
}
