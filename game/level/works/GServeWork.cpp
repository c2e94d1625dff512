#include "level/works/GServeWork.h"

#include "level/buildings/GBuildingNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GGameMessages.h"
#include "level/data/GLevelPaths.h"
#include "level/nodes/GPathMovableNode.h"
#include "widgets/ProgressBarNode.h"

// ---------------------------------------------------------------------------------------------
// The serving building.

GServeWork::GServeWork(IGWorkSite* level, GBuildingNode* building, fw::TemplateCollectionNode* templates) :
	GBuildingWork(level, building, building ? building->getType() : nullptr), m_remaining(0.f)
{
	m_progressBar = makeProgressBarOverBuilding(templates, building);
	if (m_type)
		m_remaining = m_type->ServeWorkTime;
}

GServeWork::~GServeWork()
{
	removeWorkNode(m_progressBar);
}

fw::f32 GServeWork::getProgress()
{
	const fw::f32 total = m_type ? m_type->ServeWorkTime : 0.f;
	if (total <= 0.f)
		return 1.f;
	return (total - m_remaining) / total;
}

bool GServeWork::update(fw::u32 stepMs)
{
	m_remaining -= static_cast<fw::f32>(stepMs);
	if (m_remaining >= 0.f)
	{
		if (m_progressBar)
			m_progressBar->setValue(getProgress());
		return true;
	}
	m_remaining = 0.f;
	removeWorkNode(m_progressBar);
	post(new GFeatureReadyMessage(m_building));
	return false;
}

// ---------------------------------------------------------------------------------------------
// The requesting building.

GServeProgressWork::GServeProgressWork(IGWorkSite* level, GBuildingNode* building, fw::BaseNode* cargosNode,
	fw::TemplateCollectionNode* templates, GLevelPath* path) :
	GBuildingWork(level, building, building ? building->getType() : nullptr), m_path(path), m_remaining(0.f)
{
	listenTo(cargosNode, building);
	// A bus that cannot be made counts as arrived, so that the service is never left waiting.
	m_bus = makeBus(templates, cargosNode, path, BUS_VELOCITY, nullptr, false);
	m_phase = m_bus ? PHASE_BUS_COMING : PHASE_ARRIVED;
	m_progressBar = makeProgressBarOverBuilding(templates, building);
	if (m_type)
		m_remaining = m_type->ServeTime;
}

GServeProgressWork::~GServeProgressWork()
{
	// No node events reach a work half torn down.
	stopListening();
	removeWorkNode(m_progressBar);
	removeWorkNode(m_bus);
}

const fw::EventMap& GServeProgressWork::getClassEventMap()
{
	static const fw::EventMap& map = *new fw::EventMap(fw::makeEventMap(fw::CEventReceiver::getClassEventMap(),
		{
			fw::eventMapEntry<&GServeProgressWork::onStateEnded>(),
		}));
	return map;
}

bool GServeProgressWork::onStateEnded(fw::CEventNodeStateEnded* event)
{
	if (!m_bus || event->getNode() != m_bus.get())
		return false;
	// Only the route under way ends a leg: a late report cannot turn the work back.
	if (event->getStateId() == nameIdMovingTo() && m_phase == PHASE_BUS_COMING)
		m_phase = PHASE_ARRIVED;
	else if (event->getStateId() == nameIdMovingFrom() && m_phase == PHASE_BUS_LEAVING)
		m_phase = PHASE_BUS_BACK;
	return false;
}

fw::f32 GServeProgressWork::getProgress()
{
	const fw::f32 total = m_type ? m_type->ServeTime : 0.f;
	if (total <= 0.f)
		return 1.f;
	return (total - m_remaining) / total;
}

bool GServeProgressWork::update(fw::u32 stepMs)
{
	// The level's handlers may let this work go while it posts; it stays until the step is done.
	const fw::CRefHolder<GServeProgressWork> self(this);
	if (m_bus)
		m_bus->update(stepMs);
	switch (m_phase)
	{
	case PHASE_ARRIVED:
		m_phase = PHASE_SERVING;
		break;
	case PHASE_SERVING:
		m_remaining -= static_cast<fw::f32>(stepMs);
		if (m_remaining < 0.f)
		{
			m_remaining = 0.f;
			m_phase = PHASE_SERVED;
			removeWorkNode(m_progressBar);
			post(new GServeDoneMessage(m_building));
		}
		else if (m_progressBar)
			m_progressBar->setValue(getProgress());
		break;
	case PHASE_SERVED:
		m_phase = PHASE_BUS_LEAVING;
		if (m_bus)
		{
			// Back the way it came.
			fw::core::array<fw::core::vector2df> points;
			pathPoints(m_path.get(), points);
			m_bus->start(points, nameIdMovingFrom(), true, false);
		}
		else
			m_phase = PHASE_BUS_BACK;
		break;
	case PHASE_BUS_BACK:
		m_phase = PHASE_OVER;
		removeWorkNode(m_bus);
		break;
	default:
		break;
	}
	return m_phase != PHASE_OVER;
}
