#include "level/scene/GTrafficManager.h"

#include "core/BaseNode.h"
#include "core/CNameTable.h"
#include "core/ISceneManager.h"
#include "core/NodeCasts.h"
#include "level/data/GLevelPaths.h"
#include "level/data/IGLevelPathsOwner.h"
#include "level/nodes/GPathMovableNode.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"
#include "platform/CSoundManager.h"
#include "widgets/TemplateCollectionNode.h"

#include <algorithm>
#include <cmath>

namespace
{
// A car draws its speed from 70 to 79 units a second.
constexpr fw::u32 CAR_BASE_VELOCITY = 70;
constexpr fw::u32 CAR_VELOCITY_SPREAD = 10;
// The first cars start this many steps (at most, excluded) along their route.
constexpr fw::s32 SEED_STEPS = 510;
} // namespace

fw::s32 GTrafficManager::nameIdNeutralCar()
{
	static const fw::s32 id = fw::CNameTableSingleton::Instance().intern("NeutralCar");
	return id;
}

fw::s32 GTrafficManager::nameIdGameCar()
{
	static const fw::s32 id = fw::CNameTableSingleton::Instance().intern("GameCar");
	return id;
}

GTrafficManager::GTrafficManager(const IGLevelPathsOwner* level, fw::BaseNode* parentNode) : m_parentNode(parentNode)
{
	GLevelPaths* paths = level ? level->getLevelPaths() : nullptr;
	// Cars need somewhere to drive.
	if (!paths || !parentNode)
		return;
	const fw::core::array<GLevelPath*> neutral = paths->getPaths(nameIdNeutralCar());
	fw::CRandomGenerator* random = parentNode->getServices().random;
	m_countdownsPending = !random;
	for (fw::u32 i = 0; i < neutral.size(); ++i)
	{
		GLevelPath* path = neutral[i];
		// A range written largest first means the same pauses; a negative pause means none.
		const fw::s32 minTime = std::max(0, std::min(path->minTime, path->maxTime));
		const fw::s32 maxTime = std::max(0, std::max(path->minTime, path->maxTime));
		const fw::s32 countdown = maxTime == 0 || !random
			? maxTime
			: static_cast<fw::s32>(random->nextUInt() % static_cast<fw::u32>(maxTime));
		// A car needs a template name, a pause and a route of at least two points.
		if (path->cars.empty() || (minTime == 0 && maxTime == 0) || path->points.size() < 2)
			continue;
		SCarPath entry;
		entry.path.assign(path);
		entry.minTime = minTime;
		entry.maxTime = maxTime;
		entry.countdown = countdown;
		m_carPaths.push_back(entry);
	}
}

GTrafficManager::~GTrafficManager() = default;

void GTrafficManager::addCar(GPathMovableNode* mover, bool priority)
{
	if (!mover)
		return;
	SVehicle record;
	record.vehicle = mover;
	record.priority = priority;
	record.normalVelocity = mover->getVelocity();
	fw::CRandomGenerator* random = levelservices::random(m_parentNode);
	record.cueDone = priority || !random || (random->nextUInt() & 1) != 0;
	record.lastPosition = mover->getPosition();
	m_vehicles.push_back(record);
}

void GTrafficManager::removeCar(GPathMovableNode* mover)
{
	for (std::vector<SVehicle>::iterator it = m_vehicles.begin(); it != m_vehicles.end(); ++it)
		if (it->vehicle == mover)
		{
			m_vehicles.erase(it);
			return;
		}
}

const GTrafficManager::SVehicle* GTrafficManager::findVehicle(const GPathMovableNode* mover) const
{
	for (const SVehicle& record : m_vehicles)
		if (record.vehicle == mover)
			return &record;
	return nullptr;
}

void GTrafficManager::update(fw::u32 stepMs)
{
	if (m_countdownsPending)
		drawFirstCountdowns();
	if (m_firstUpdatePending)
		seedStreets(stepMs);

	const fw::s32 step = static_cast<fw::s32>(std::min<fw::u32>(stepMs, 0x7FFFFFFF));
	for (SCarPath& entry : m_carPaths)
	{
		// Never below 0 here: it is re-armed whenever it drops below 1.
		entry.countdown -= step;
		if (entry.countdown >= 1)
			continue;
		// What is left of the step is not carried over: cars come in whole steps.
		entry.countdown = entry.minTime;
		fw::CRandomGenerator* random = entry.maxTime != entry.minTime ? levelservices::random(m_parentNode) : nullptr;
		if (random)
			entry.countdown +=
				static_cast<fw::s32>(random->nextUInt() % static_cast<fw::u32>(entry.maxTime - entry.minTime));
		createCar(entry);
	}

	hurryNearPriorityVehicles();

	for (fw::u32 i = 0; i < m_vehicles.size(); ++i)
	{
		SVehicle& record = m_vehicles[i];
		record.lastPosition = record.vehicle->getPosition();
		if (record.mode == MODE_HURRYING)
		{
			record.hurryTime -= static_cast<fw::f32>(stepMs);
			if (record.hurryTime < 0.f)
			{
				record.hurryTime = 0.f;
				record.mode = MODE_NORMAL;
				record.vehicle->setVelocity(record.normalVelocity);
			}
		}
		if (!record.cueDone && record.lastPosition.X >= CUE_MIN_X && record.lastPosition.X <= CUE_MAX_X)
		{
			record.cueDone = true;
			playPassingCue();
		}
	}
}

void GTrafficManager::drawFirstCountdowns()
{
	m_countdownsPending = false;
	// Without a generator the first car of each path waits the longest pause.
	fw::CRandomGenerator* random = m_carPaths.empty() ? nullptr : levelservices::random(m_parentNode);
	if (!random)
		return;
	for (SCarPath& entry : m_carPaths)
		entry.countdown = static_cast<fw::s32>(random->nextUInt() % static_cast<fw::u32>(entry.maxTime));
}

void GTrafficManager::seedStreets(fw::u32 stepMs)
{
	m_firstUpdatePending = false;
	// Without a generator the streets start empty.
	fw::CRandomGenerator* random = m_carPaths.empty() ? nullptr : levelservices::random(m_parentNode);
	if (!random)
		return;
	for (SCarPath& entry : m_carPaths)
	{
		if ((random->next() & 1) != 0)
			continue;
		GPathMovableNode* car = createCar(entry);
		if (!car)
			continue;
		// The first cars appear already spread along the streets.
		const fw::CRefHolder<GPathMovableNode> held(car);
		const fw::u32 steps = static_cast<fw::u32>(random->nextIntInRange(0, SEED_STEPS));
		car->update(stepMs * steps);
	}
}

GPathMovableNode* GTrafficManager::createCar(SCarPath& entry)
{
	const fw::core::array<fw::s32>& names = entry.path->cars;
	const fw::s32 count = static_cast<fw::s32>(names.size());
	fw::CRandomGenerator* random = levelservices::random(m_parentNode);
	if (!random)
		return nullptr;
	fw::s32 index = 0;
	if (count > 1)
	{
		// Any but the last one, which stands in for the template used last: never the same twice.
		index = random->nextIntInRange(0, count - 1);
		if (index == entry.lastCar)
			index = count - 1;
	}
	entry.lastCar = index;

	fw::ISceneManager* sceneManager = m_parentNode ? m_parentNode->getSceneManager() : nullptr;
	const fw::TemplateCollectionNode* collection =
		sceneManager ? fw::nodeCast<fw::TemplateCollectionNode>(sceneManager->getTemplateCollectionNode()) : nullptr;
	const fw::BaseNode* source = collection ? collection->getTemplate(names[static_cast<fw::u32>(index)]) : nullptr;
	if (!source || !source->isOfType(NODE_TYPE_GAME_CAR))
		return nullptr;
	GPathMovableNode* car = fw::nodeCast<GPathMovableNode>(source->clone(m_parentNode, nullptr));
	if (!car)
		return nullptr;
	car->setVisible(true);
	car->setTrafficManager(this, false);

	const fw::core::array<GPathPoint>& points = entry.path->points;
	m_route.set_used(0);
	for (fw::u32 i = 0; i < points.size(); ++i)
		m_route.push_back(fw::core::vector2df(points[i].x, points[i].y));
	car->setVelocity(static_cast<fw::f32>(CAR_BASE_VELOCITY + random->nextUInt() % CAR_VELOCITY_SPREAD));
	car->start(m_route, -1, false, false);
	return car;
}

void GTrafficManager::hurryNearPriorityVehicles()
{
	for (const SVehicle& priority : m_vehicles)
	{
		if (!priority.priority)
			continue;
		const fw::core::vector3df& at = priority.vehicle->getPosition();
		for (SVehicle& other : m_vehicles)
		{
			if (other.priority)
				continue;
			const fw::core::vector3df& position = other.vehicle->getPosition();
			if (std::fabs(position.X - at.X) < HURRY_DISTANCE_X && std::fabs(position.Y - at.Y) < HURRY_DISTANCE_Y)
			{
				other.mode = MODE_HURRYING;
				other.hurryTime = HURRY_TIME;
				other.vehicle->setVelocity(HURRY_VELOCITY);
			}
		}
	}
}

void GTrafficManager::playPassingCue()
{
	levelservices::playCue(m_parentNode, nameIdGameCar());
}
