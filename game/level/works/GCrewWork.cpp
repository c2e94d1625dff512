#include "level/works/GCrewWork.h"

#include "core/CLogger.h"
#include "level/buildings/GBuildingNode.h"
#include "level/data/GGameMessages.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GLevelPaths.h"
#include "level/nodes/GPathMovableNode.h"
#include "level/scene/LevelServices.h"
#include "level/works/IGWorkSite.h"
#include "widgets/ProgressBarNode.h"

GCrewWork::GCrewWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
	fw::TemplateCollectionNode* templates, GLevelPath* path, fw::f32 materials, fw::s32 workers,
	EArrivalSound arrivalSound) :
	GBuildingWork(level, building, building ? building->getType() : nullptr),
	m_cargosNode(cargosNode),
	m_path(path),
	m_materials(materials),
	m_workers(workers)
{
	if (!m_building)
	{
		fw::logError("A work on no building ends at once");
		m_type = fw::adoptRef(new GBuildingConfiguration);
		m_phase = PHASE_OVER;
		return;
	}
	listenTo(m_cargosNode, m_building);

	if (isUsablePath(m_path.get()))
		m_bus = makeBus(templates, m_cargosNode, m_path.get(), VEHICLE_VELOCITY,
			m_level ? m_level->getTrafficManager() : nullptr, true);
	if (m_bus)
		m_phase = PHASE_BUS_COMING;
	else
	{
		// Without a bus template the crew counts as delivered, as without a path: waiting for a bus
		// that can never come would hold the workers until the player cancels.
		m_phase = PHASE_CREW_ARRIVED;
		switch (arrivalSound)
		{
		case ARRIVAL_WORK_SOUND_IF_SELECTED:
			if (isBuildingSelected())
				m_building->playWorkSound();
			break;
		case ARRIVAL_WORK_SOUND:
			m_building->playWorkSound();
			break;
		case ARRIVAL_DESTROYING_CUE:
			levelservices::playCue(m_building, "Destroying");
			break;
		}
	}

	m_progressBar = makeProgressBarOverBuilding(templates, m_building);
}

GCrewWork::~GCrewWork()
{
	stopListening();
	removeWorkNode(m_bus);
	removeWorkNode(m_progressBar);
}

const fw::EventMap& GCrewWork::getClassEventMap()
{
	static const fw::EventMap& map = *new fw::EventMap(fw::makeEventMap(fw::CEventReceiver::getClassEventMap(),
		{
			fw::eventMapEntry<&GCrewWork::onBusStateEnded>(),
		}));
	return map;
}

bool GCrewWork::onBusStateEnded(fw::CEventNodeStateEnded* event)
{
	if (!m_bus || event->getNode() != m_bus.get())
		return false;
	// Only the phase that waits for the report moves on: a bus that arrives or leaves after the job
	// ended or was cancelled must not start it again.
	if (event->getStateId() == nameIdMovingTo() && m_phase == PHASE_BUS_COMING)
		m_phase = PHASE_CREW_ARRIVED;
	else if (event->getStateId() == nameIdMovingFrom() && m_phase == PHASE_BUS_LEAVING)
		m_phase = PHASE_BUS_GONE;
	return false;
}

bool GCrewWork::update(fw::u32 stepMs)
{
	// What the job posts may lead the level to let the work go.
	const fw::CRefHolder<GCrewWork> self(this);
	if (m_bus)
	{
		const fw::CRefHolder<GPathMovableNode> bus = m_bus;
		bus->update(stepMs);
	}
	switch (m_phase)
	{
	case PHASE_CREW_ARRIVED:
		m_phase = PHASE_JOB_STARTED;
		startJob();
		break;
	case PHASE_JOB_STARTED:
		m_phase = PHASE_JOB_RUNNING;
		break;
	case PHASE_JOB_RUNNING:
		if (m_bus)
		{
			// The phase first: a state that ends at once reports during the call.
			m_phase = PHASE_BUS_LEAVING;
			const fw::CRefHolder<GPathMovableNode> bus = m_bus;
			bus->enterState(nameIdMovingFrom(), nullptr, -1);
		}
		else
			m_phase = PHASE_BUS_GONE;
		break;
	case PHASE_BUS_GONE:
		removeWorkNode(m_bus);
		break;
	default:
		break;
	}
	if (m_phase >= PHASE_CREW_ARRIVED && m_phase <= PHASE_BUS_GONE)
		runClock(stepMs);
	return m_phase != PHASE_OVER;
}

void GCrewWork::endJob()
{
	m_phase = PHASE_OVER;
	removeWorkNode(m_progressBar);
}

void GCrewWork::showProgress()
{
	if (m_progressBar)
		m_progressBar->setValue(getProgress());
}

void GCrewWork::postResourcesReturned(fw::f32 materials)
{
	post(new GResourcesReturnedMessage(m_building, materials, m_workers));
}

fw::s32 GCrewWork::settingStateId(const char* prefix) const
{
	const GLevelConfiguration* configuration = m_level ? m_level->getLevelConfiguration() : nullptr;
	fw::core::stringc name(prefix);
	name += configuration ? configuration->getSettingIndex() : 0;
	return levelservices::nameId(name.c_str());
}

bool GCrewWork::isBuildingSelected() const
{
	return m_building && m_building->isFocused();
}
