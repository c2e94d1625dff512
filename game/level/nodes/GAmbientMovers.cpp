#include "level/nodes/GAmbientMovers.h"

#include "core/CNameTable.h"
#include "core/NodeCasts.h"
#include "core/TextParsing.h"
#include "level/data/GLevelPaths.h"
#include "level/data/IGLevelPathsOwner.h"
#include "level/nodes/GFacing.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"
#include "widgets/TextNode.h"

namespace
{
fw::s32 nameIdBody()
{
	static const fw::s32 id = fw::CNameTableSingleton::Instance().intern("Body");
	return id;
}

// The screen's edges as birds use them: 0 top, 1 right, 2 bottom, 3 left.
fw::core::vector2df birdEdgePoint(fw::CRandomGenerator& random, fw::u32 side)
{
	switch (side)
	{
	case 0:
		return fw::core::vector2df(random.nextFloatInRange(0.f, 1024.f), 0.f);
	case 1:
		return fw::core::vector2df(1024.f, random.nextFloatInRange(0.f, 660.f));
	case 2:
		return fw::core::vector2df(random.nextFloatInRange(0.f, 1024.f), 680.f);
	default:
		return fw::core::vector2df(-20.f, random.nextFloatInRange(0.f, 660.f));
	}
}
} // namespace

// ---------------------------------------------------------------------------------------------

GTimedPathMover::GTimedPathMover(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager, fw::u32 interval) :
	GPathMovableNode(reference, parent, sceneManager), GNodeTimer(interval)
{
}

void GTimedPathMover::onCollected()
{
	if (isTimerRunning() || !joinSceneTimerManager(*this))
		return;
	onTimerJoined();
}

bool GTimedPathMover::leaveTree(fw::BaseNode* body)
{
	if (body)
		body->stopAllStates(false);
	leaveParent(*this);
	return false;
}

fw::BaseNode* GTimedPathMover::findBody() const
{
	return findChildByNameId(nameIdBody(), 1);
}

// ---------------------------------------------------------------------------------------------

GBirdNode::GBirdNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager) :
	GTimedPathMover(reference, parent, sceneManager, INTERVAL)
{
}

void GBirdNode::onInit()
{
	GTimedPathMover::onInit();
	m_body.assign(findBody());
}

void GBirdNode::onTimerJoined()
{
	fw::CRandomGenerator* random = levelservices::random(this);
	if (!random)
		return;
	const fw::u32 from = random->nextUInt() & 3;
	fw::u32 to = random->nextUInt() & 3;
	if (to == from)
		to = (to + 1) % 4;
	fw::core::array<fw::core::vector2df> route;
	route.push_back(birdEdgePoint(*random, from));
	route.push_back(birdEdgePoint(*random, to));
	setVelocity(25.f + 10.f * random->nextFloat());
	start(route, -1, false, false);
}

bool GBirdNode::onTimer(fw::u32 elapsed)
{
	update(elapsed);
	if (getRemainingPointCount() < 2)
		return leaveTree(m_body.get());
	if (!m_body)
		return true;
	if (m_flapCountdown > elapsed)
	{
		m_flapCountdown -= elapsed;
		return true;
	}
	const fw::s32 direction = getDirectionStateId();
	if (direction != -1)
	{
		fw::CNameTable& names = fw::CNameTableSingleton::Instance();
		m_body->enterState(names.intern(names.lookup(direction) + "_Flap"), nullptr, -1);
	}
	fw::CRandomGenerator* random = levelservices::random(this);
	m_flapCountdown +=
		random ? static_cast<fw::u32>(fw::truncateToInt(random->nextFloatInRange(4000.f, 6000.f))) : 4000u;
	return true;
}

// ---------------------------------------------------------------------------------------------

GPedestrianNode::GPedestrianNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	GTimedPathMover(reference, parent, sceneManager, INTERVAL)
{
}

void GPedestrianNode::onInit()
{
	GTimedPathMover::onInit();
	m_body.assign(findBody());
}

void GPedestrianNode::copyFrom(const fw::BaseNode* source, fw::ISceneManager* sceneManager)
{
	GTimedPathMover::copyFrom(source, sceneManager);
	if (const GPedestrianNode* pedestrian = fw::nodeCast<GPedestrianNode>(source))
	{
		m_walkTimeRange = pedestrian->m_walkTimeRange;
		m_standTimeRange = pedestrian->m_standTimeRange;
		m_lookTimeRange = pedestrian->m_lookTimeRange;
	}
}

fw::s32 GPedestrianNode::drawTime(const fw::core::vector2df& range) const
{
	fw::CRandomGenerator* random = levelservices::random(this);
	return fw::truncateToInt(random ? random->nextFloatInRange(range.X, range.Y) : range.X);
}

void GPedestrianNode::onTimerJoined()
{
	fw::BaseNode* scene = getParent();
	for (int level = 1; level < 3 && scene; ++level)
		scene = scene->getParent();
	if (!scene || !scene->isOfType(NODE_TYPE_GAME_LEVEL_SCENE))
		return;
	const IGLevelPathsOwner* owner = dynamic_cast<const IGLevelPathsOwner*>(scene);
	GLevelPaths* paths = owner ? owner->getLevelPaths() : nullptr;
	if (!paths)
		return;
	fw::CRandomGenerator* random = levelservices::random(this);
	if (!random)
		return;
	const GLevelPath* path = paths->randomPedestrianPath(*random);
	if (!path || path->points.size() < 2)
		return;
	setVelocity(random->nextFloatInRange(10.f, 20.f));
	const fw::s32 count = static_cast<fw::s32>(path->points.size());
	const bool backwards = path->twoWay && (random->nextUInt() & 1) == 0;
	fw::core::array<fw::core::vector2df> route;
	route.reallocate(path->points.size());
	for (fw::s32 i = 0; i < count; ++i)
		route.push_back(scatterPathPoint(*path, backwards ? count - 1 - i : i, *random));
	start(route, -1, false, false);
	m_phase = PHASE_WALKING;
	m_phaseTime = drawTime(m_walkTimeRange);
}

bool GPedestrianNode::onTimer(fw::u32 elapsed)
{
	// Never started: nothing to count.
	if (m_phase == PHASE_NONE)
		return true;
	const fw::s32 step = static_cast<fw::s32>(elapsed);
	m_phaseTime -= step;
	if (m_phase == PHASE_WALKING)
	{
		if (m_phaseTime > 0)
		{
			update(elapsed);
			if (getRemainingPointCount() < 2)
				return leaveTree(m_body.get());
			return true;
		}
		m_phase = PHASE_STANDING;
		m_phaseTime = drawTime(m_standTimeRange);
		m_lookTime = 0;
	}
	else
	{
		if (m_phaseTime > 0)
		{
			m_lookTime -= step;
			if (m_lookTime < 0)
			{
				m_lookTime = drawTime(m_lookTimeRange);
				if (m_body)
				{
					static fw::s32 (*const facings[8])() = {&nameIdRight, &nameIdRightUp, &nameIdUp, &nameIdLeftUp,
						&nameIdLeft, &nameIdLeftDown, &nameIdDown, &nameIdRightDown};
					const fw::CRefHolder<fw::BaseNode> body(m_body);
					fw::CRandomGenerator* random = levelservices::random(this);
					body->enterState(facings[random ? random->nextUInt() & 7 : 0](), nullptr, -1);
					// The pose holds, facing that way, until the walk goes on.
					body->stopAllStates(false);
				}
			}
			return true;
		}
		m_phase = PHASE_WALKING;
		m_phaseTime = drawTime(m_walkTimeRange);
		if (getRemainingPointCount() >= 2)
		{
			const fw::core::vector2df d = getSegmentVector();
			setDirection(d.X, d.Y);
		}
	}
	return true;
}

// ---------------------------------------------------------------------------------------------

GTextTrailNode::GTextTrailNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	GTimedPathMover(reference, parent, sceneManager, INTERVAL)
{
}

fw::s32 GTextTrailNode::nameIdDie()
{
	static const fw::s32 id = fw::CNameTableSingleton::Instance().intern("Die");
	return id;
}

void GTextTrailNode::setText(const fw::core::stringw& text)
{
	if (fw::TextNode* node = fw::nodeCast<fw::TextNode>(findChildByNameId(fw::getTextNameId(), 1)))
		node->setText(text);
}

void GTextTrailNode::onTimerJoined()
{
	setState(nameIdStart(), nullptr);
	enterState(nameIdStart(), nullptr, -1);
}

bool GTextTrailNode::onTimer(fw::u32 elapsed)
{
	if (m_wait == -1)
	{
		update(elapsed);
		const fw::core::vector3df& position = getPosition();
		setPosition(fw::core::vector3df(position.X, position.Y, DEPTH));
		if (getRemainingPointCount() < 2)
		{
			setState(nameIdDie(), nullptr);
			m_wait = DIE_TIME;
		}
		return true;
	}
	if (m_wait > 0)
	{
		m_wait -= static_cast<fw::s32>(elapsed);
		if (m_wait <= 0)
			return leaveTree(nullptr);
	}
	return true;
}
