#include "level/works/GFeatureWork.h"

#include "level/buildings/GBuildingNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GGameMessages.h"
#include "widgets/ProgressBarNode.h"

GFeatureWork::GFeatureWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
	fw::TemplateCollectionNode* templates, fw::s32 featureIndex) :
	GBuildingWork(level, building, building ? building->getType() : nullptr), m_featureIndex(featureIndex)
{
	listenTo(cargosNode, building);
	m_progressBar = makeProgressBarOverBuilding(templates, building);
	if (!m_building)
		return;
	m_building->activateFeature(m_featureIndex);
	m_featureStarted = m_building->getFeatureState(m_featureIndex) == GFeatureState::ACTIVE;
}

GFeatureWork::~GFeatureWork()
{
	stopListening();
	removeWorkNode(m_progressBar);
}

fw::f32 GFeatureWork::getProgress()
{
	return m_building ? 1.f - m_building->getFeatureProgress(m_featureIndex) : 1.f;
}

bool GFeatureWork::update(fw::u32)
{
	if (m_building && m_building->getFeatureState(m_featureIndex) == GFeatureState::ACTIVE)
	{
		m_featureStarted = true;
		if (m_progressBar)
			m_progressBar->setValue(getProgress());
		return true;
	}
	removeWorkNode(m_progressBar);
	if (!m_building)
		return false;
	leaveWorkSlot(m_building);
	if (!m_featureStarted)
		post(new GFeatureFinishedMessage(m_building, m_featureIndex));
	return false;
}
