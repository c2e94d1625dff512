#include "level/nodes/GPathMovableNode.h"

#include "core/CNameTable.h"
#include "core/StateItem.h"
#include "level/data/GLevelPaths.h"
#include "level/nodes/GFacing.h"
#include "platform/CRandomGenerator.h"

#include <cmath>

GPathMovableNode::GPathMovableNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	fw::BaseNode(reference, parent, sceneManager)
{
}

GPathMovableNode::~GPathMovableNode()
{
	if (m_trafficManager)
		m_trafficManager->removeCar(this);
}

fw::s32 GPathMovableNode::nameIdStart()
{
	static const fw::s32 id = fw::CNameTableSingleton::Instance().intern("Start");
	return id;
}

fw::s32 GPathMovableNode::nameIdStop()
{
	static const fw::s32 id = fw::CNameTableSingleton::Instance().intern("Stop");
	return id;
}

void GPathMovableNode::placeAt(const fw::core::vector2df& point)
{
	setPosition(fw::core::vector3df(point.X, point.Y, point.Y));
}

fw::core::vector2df GPathMovableNode::getSegmentVector() const
{
	if (m_remainingPoints.size() < 2)
		return fw::core::vector2df(0.f, 0.f);
	return getSegmentTarget() - getSegmentStart();
}

void GPathMovableNode::start(const fw::core::array<fw::core::vector2df>& points, fw::s32 endStateId, bool reverse,
	bool loop)
{
	const fw::CRefHolder<GPathMovableNode> self = fw::holdForCall(this);
	++m_routeGeneration;
	m_endStateId = endStateId;
	m_loopPoints = points;
	// Travel takes points from the end of the array.
	if (!reverse)
	{
		const fw::u32 count = m_loopPoints.size();
		for (fw::u32 i = 0; i < count / 2; ++i)
		{
			const fw::core::vector2df swapped = m_loopPoints[i];
			m_loopPoints[i] = m_loopPoints[count - 1 - i];
			m_loopPoints[count - 1 - i] = swapped;
		}
	}
	m_loop = loop;
	m_progress = 0.f;
	m_remainingPoints = m_loopPoints;

	m_loopLength = 0.f;
	for (fw::u32 i = 1; i < m_loopPoints.size(); ++i)
		m_loopLength += static_cast<fw::f32>(m_loopPoints[i].getDistanceFrom(m_loopPoints[i - 1]));
	if (m_loopPoints.size() > 1)
		m_loopLength += static_cast<fw::f32>(m_loopPoints[0].getDistanceFrom(m_loopPoints.getLast()));

	if (m_remainingPoints.size() < 2)
	{
		finishRoute();
		return;
	}
	placeAt(m_remainingPoints.getLast());
	updateAbsoluteTransformation();
	const fw::u32 generation = m_routeGeneration;
	setState(nameIdStart(), nullptr);
	// A handler of the state change may have replaced the route already.
	if (generation != m_routeGeneration || m_remainingPoints.size() < 2)
		return;
	const fw::core::vector2df d = getSegmentVector();
	setDirection(d.X, d.Y);
}

void GPathMovableNode::update(fw::u32 elapsedMs)
{
	if (m_remainingPoints.size() < 2)
		return;
	// A looping route without length would be passed round for ever.
	if (m_loop && !(m_loopLength > 0.f))
		return;
	// The parent's handler of the end report, or of a facing's state change, may destroy the mover.
	const fw::CRefHolder<GPathMovableNode> self = fw::holdForCall(this);
	const fw::u32 generation = m_routeGeneration;

	m_progress += static_cast<fw::f32>(elapsedMs) * 0.001f * m_velocity;
	fw::core::vector2df a = getSegmentStart();
	fw::core::vector2df d = getSegmentTarget() - a;
	fw::f32 length = static_cast<fw::f32>(d.getLength());
	while (m_progress >= length)
	{
		m_progress -= length;
		m_remainingPoints.set_used(m_remainingPoints.size() - 1);
		if (m_loop && m_remainingPoints.size() <= 1)
		{
			// From the route's end straight back to its first point, and round again.
			m_remainingPoints = m_loopPoints;
			m_remainingPoints.push_back(m_loopPoints[0]);
			// Whole rounds end where they began.
			if (m_progress >= m_loopLength)
				m_progress = std::fmod(m_progress, m_loopLength);
		}
		if (m_remainingPoints.size() < 2)
		{
			finishRoute();
			return;
		}
		a = getSegmentStart();
		d = getSegmentTarget() - a;
		length = static_cast<fw::f32>(d.getLength());
		setDirection(d.X, d.Y);
		if (generation != m_routeGeneration || m_remainingPoints.size() < 2)
			return;
	}
	fw::core::vector2df along = d;
	along.normalize();
	placeAt(a + along * m_progress);
}

void GPathMovableNode::finishRoute()
{
	if (m_remainingPoints.size() == 1)
		placeAt(m_remainingPoints[0]);
	setState(nameIdStop(), nullptr);
	// Straight to the parent's receiver; a mover without a parent tells nobody.
	if (getParent())
	{
		const fw::CRefHolder<fw::CEvent> ended =
			fw::adoptRef<fw::CEvent>(new fw::CEventNodeStateEnded(this, m_endStateId));
		routeUp(fw::ROUTE_SELF, ended.get());
	}
}

void GPathMovableNode::stop()
{
	if (m_remainingPoints.size() < 2)
		return;
	++m_routeGeneration;
	m_remainingPoints.clear();
	setState(nameIdStop(), nullptr);
}

void GPathMovableNode::setDirection(fw::f32 dx, fw::f32 dy)
{
	m_directionStateId = directionStateName(dx, dy);
	if (m_directionStateId != -1)
		setState(m_directionStateId, nullptr);
}

void GPathMovableNode::setTrafficManager(IGTrafficManager* manager, bool priority)
{
	// Leaving first would drop what may be the last reference to the manager it then joins.
	if (manager == m_trafficManager.get())
		return;
	const fw::CRefHolder<GPathMovableNode> self = fw::holdForCall(this);
	if (m_trafficManager)
	{
		m_trafficManager->removeCar(this);
		m_trafficManager.release();
	}
	m_trafficManager.assign(manager);
	if (manager)
		manager->addCar(this, priority);
}

fw::core::vector2df scatterPathPoint(const GLevelPath& path, fw::s32 index, fw::CRandomGenerator& random)
{
	const fw::core::array<GPathPoint>& points = path.points;
	if (index < 0 || static_cast<fw::u32>(index) >= points.size())
		return fw::core::vector2df(0.f, 0.f);
	const fw::u32 at = static_cast<fw::u32>(index);
	const GPathPoint& point = points[at];
	const fw::core::vector2df position(point.x, point.y);
	// A single point has no direction to be moved across.
	if ((point.spreadLeft == 0.f && point.spreadRight == 0.f) || points.size() < 2)
		return position;

	const fw::u32 last = points.size() - 1;
	const GPathPoint& before = points[at == 0 ? 0 : at - 1];
	const GPathPoint& after = points[at == last ? last : at + 1];
	const fw::core::vector2df tangent(after.x - before.x, after.y - before.y);
	// The right-hand side of the direction of travel on a screen whose y grows downwards.
	fw::core::vector2df normal(-tangent.Y, tangent.X);
	normal.normalize();

	const fw::f32 spread = point.spreadLeft + point.spreadRight;
	fw::f32 offset = -point.spreadLeft;
	if (spread != 0.f)
		offset += spread * random.nextFloat();
	return position + normal * offset;
}
