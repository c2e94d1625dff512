#include "app/GMainMenuTraffic.h"

#include "app/GBaseSceneNode.h"

#include "app/GMainMenuScene.h"
#include "core/CNameTable.h"
#include "core/CPropertyContainer.h"
#include "core/NodeCasts.h"
#include "core/PropertyAccessors.h"
#include "core/SineTable.h"
#include "level/data/GLevelPaths.h"
#include "level/nodes/GFacing.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"
#include "platform/CSoundManager.h"

#include <algorithm>
#include <cmath>

using namespace fw;

namespace
{
const c8* const INITIAL_VELOCITY_RANGE = "InitialVelocityRange";

s32 nameIdPath(const c8* name)
{
	return nameId(name);
}

// The road's depth: 0 at the horizon (y 668), 1 a hundred units nearer.
f32 roadDepth(f32 y, f32 lowest)
{
	return core::clamp((y - 668.f) / 100.f, lowest, 1.f);
}

void setFlatScale(BaseNode& node, f32 t)
{
	node.setScale(core::vector3df(t, t, 1.f));
}

// Per process: only the first movers of each kind after start-up begin part-way along.
u32 g_carHeadStarts = 0;
u32 g_cloudHeadStarts = 0;
u32 g_pedestrianHeadStarts = 0;

const c8* const BIKE_FACINGS[BIKE_FACING_COUNT] = {"Right", "RightRightRightUp", "RightRightUp", "RightUp", "RightUpUp",
	"RightUpUpUp", "Up", "LeftUpUpUp", "LeftUpUp", "LeftUp", "LeftLeftUp", "LeftLeftLeftUp", "Left", "LeftLeftDown",
	"LeftLeftLeftDown", "LeftDown", "LeftDownDown", "LeftDownDownDown", "Down", "RightDownDownDown", "RightDownDown",
	"RightDown", "RightRightDown", "RightRightRightDown"};

// "Up1" to "Up6", then "Down1" to "Down6".
s32 carStateId(bool down, s32 number)
{
	static const struct SCarStates
	{
		s32 ids[12];
		SCarStates()
		{
			for (s32 i = 0; i < 6; ++i)
			{
				ids[i] = nameId((core::stringc("Up") + core::stringc(i + 1)).c_str());
				ids[6 + i] = nameId((core::stringc("Down") + core::stringc(i + 1)).c_str());
			}
		}
	} states;
	return states.ids[(down ? 6 : 0) + number - 1];
}
} // namespace

const c8* const* bikeFacingNames()
{
	return BIKE_FACINGS;
}

s32 directionFromAngle(const core::vector2df& vector)
{
	static const struct SFacings
	{
		s32 ids[BIKE_FACING_COUNT];
		SFacings()
		{
			for (u32 i = 0; i < BIKE_FACING_COUNT; ++i)
				ids[i] = nameId(BIKE_FACINGS[i]);
		}
	} facings;
	f32 angle = std::atan2(-vector.Y, vector.X);
	if (angle < 0.f)
		angle += 6.2831855f;
	angle = core::clamp(angle * 57.295776f, 0.f, 360.f);
	for (u32 i = 0; i < BIKE_FACING_COUNT; ++i)
		if (angle < 7.5f + 15.f * static_cast<f32>(i))
			return facings.ids[i];
	// The last sector closes the turn: a heading just below 0 that rounds up to 360 faces right.
	if (angle >= 352.5f)
		return facings.ids[0];
	return -1;
}

// ---------------------------------------------------------------------------------------------

GMainMenuMover::GMainMenuMover(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager,
	const core::vector2df& velocityRange) :
	GTimedPathMover(reference, parent, sceneManager, INTERVAL), m_initialVelocityRange(velocityRange)
{
}

GMainMenuMover::~GMainMenuMover() = default;

void GMainMenuMover::onInit()
{
	GTimedPathMover::onInit();
	if (hasBody())
		m_body.assign(findBody());
}

GLevelPaths* GMainMenuMover::findMenuPaths(const BaseNode& node, u32 levels)
{
	const BaseNode* ancestor = &node;
	for (u32 i = 0; i < levels && ancestor; ++i)
		ancestor = ancestor->getParent();
	const GMainMenuScene* menu = nodeCast<GMainMenuScene>(ancestor);
	return menu ? menu->getLevelPaths() : nullptr;
}

void GMainMenuMover::onTimerJoined()
{
	if (getRemainingPointCount() >= 2)
		return;
	// Without a generator the mover stays where it is; the lookup says so once.
	CRandomGenerator* random = levelservices::random(this);
	if (!random)
		return;
	GLevelPaths* paths = findMenuPaths(*this, getMenuLevel());
	GLevelPath* route = paths ? chooseRoute(*paths, *random) : nullptr;
	if (!route || route->points.size() < 2)
		return;
	m_speed = random->nextFloatInRange(m_initialVelocityRange.X, m_initialVelocityRange.Y);
	core::array<core::vector2df> points;
	points.reallocate(route->points.size());
	for (u32 i = 0; i < route->points.size(); ++i)
		points.push_back(scatterPathPoint(*route, static_cast<s32>(i), *random));
	bool reverse = false;
	if (mayReverse() && route->twoWay)
		reverse = (random->nextUInt() & 1) == 0;
	// start reverses the given order itself; the points were listed first to last.
	start(points, -1, reverse, loops());
	onRouteStarted();
}

bool GMainMenuMover::onTimer(u32 elapsed)
{
	update(elapsed);
	if (getRemainingPointCount() >= 2)
	{
		updateLook();
		return true;
	}
	return leaveTree(m_body.get());
}

// ---------------------------------------------------------------------------------------------

GMainMenuPedestrianNode::GMainMenuPedestrianNode(const ContentReference& reference, BaseNode* parent,
	ISceneManager* sceneManager) :
	GMainMenuMover(reference, parent, sceneManager, core::vector2df(2.f, 3.f))
{
}

const PropertyTable& GMainMenuPedestrianNode::getClassPropertyTable()
{
	static const PropertyTable& table =
		makePropertyTable<GMainMenuPedestrianNode>(GPathMovableNode::getClassPropertyTable(),
			{
				makeProperty<&GMainMenuPedestrianNode::setInitialVelocityRange,
					&GMainMenuPedestrianNode::getInitialVelocityRange>(INITIAL_VELOCITY_RANGE)
					.stored(),
			});
	return table;
}

u32 GMainMenuPedestrianNode::getHeadStartCount()
{
	return g_pedestrianHeadStarts;
}

GLevelPath* GMainMenuPedestrianNode::chooseRoute(GLevelPaths& paths, CRandomGenerator& random) const
{
	return paths.randomPedestrianPath(random);
}

void GMainMenuPedestrianNode::onRouteStarted()
{
	setVelocity(3.f);
	if (g_pedestrianHeadStarts < HEAD_START_LIMIT)
	{
		++g_pedestrianHeadStarts;
		update(static_cast<u32>(getServices().random->nextIntInRange(20000, 50000)));
	}
	if (getRemainingPointCount() >= 2)
		updateScale();
}

void GMainMenuPedestrianNode::setDirection(f32, f32 dy)
{
	const s32 id = dy < 0.f ? nameIdUp() : nameIdDown();
	setDirectionStateId(id);
	setState(id, nullptr);
}

void GMainMenuPedestrianNode::updateScale()
{
	const f32 t = roadDepth(getPosition().Y, 0.f);
	setFlatScale(*this, t);
	setVelocity(std::max(1.f, t * m_speed));
	updateAbsoluteTransformation();
}

// ---------------------------------------------------------------------------------------------

GMainMenuCarNode::GMainMenuCarNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	GMainMenuMover(reference, parent, sceneManager, core::vector2df(80.f, 82.f))
{
}

const PropertyTable& GMainMenuCarNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable<GMainMenuCarNode>(GPathMovableNode::getClassPropertyTable(),
		{
			makeProperty<&GMainMenuCarNode::setInitialVelocityRange, &GMainMenuCarNode::getInitialVelocityRange>(
				INITIAL_VELOCITY_RANGE)
				.stored(),
		});
	return table;
}

u32 GMainMenuCarNode::getHeadStartCount()
{
	return g_carHeadStarts;
}

GLevelPath* GMainMenuCarNode::chooseRoute(GLevelPaths& paths, CRandomGenerator& random) const
{
	return paths.findPath(nameIdPath("Path"), random);
}

void GMainMenuCarNode::onRouteStarted()
{
	if (g_carHeadStarts < HEAD_START_LIMIT)
	{
		++g_carHeadStarts;
		// At the velocity the node has before its look step sets one.
		update(static_cast<u32>(getServices().random->nextIntInRange(1000, 8000)));
		if (getDirectionStateId() == nameIdDown())
			m_soundPlayed = true;
	}
	if (getRemainingPointCount() >= 2)
		updateLook();
}

void GMainMenuCarNode::setDirection(f32, f32 dy)
{
	setDirectionStateId(dy < 0.f ? nameIdUp() : nameIdDown());
}

void GMainMenuCarNode::updateLook()
{
	const f32 y = getPosition().Y;
	const f32 t = roadDepth(y, 0.01f);
	setFlatScale(*this, t);
	setVelocity(std::max(1.f, std::pow(t, 1.6f) * m_speed));
	const s32 number = core::clamp(6 - static_cast<s32>(t * 6.f), 1, 6);
	const bool up = getDirectionStateId() == nameIdUp();
	setState(carStateId(!up && getDirectionStateId() == nameIdDown(), number), nullptr);
	if (m_soundPlayed)
		return;
	if (up ? y < 800.f : t > 0.6f)
	{
		m_soundPlayed = true;
		GBaseSceneNode::playCue(getServices(), up ? "MainMenuCarOut" : "MainMenuCarTo");
	}
}

// ---------------------------------------------------------------------------------------------

GMainMenuCloudNode::GMainMenuCloudNode(const ContentReference& reference, BaseNode* parent,
	ISceneManager* sceneManager) :
	GMainMenuMover(reference, parent, sceneManager, core::vector2df(5.f, 5.f))
{
}

const PropertyTable& GMainMenuCloudNode::getClassPropertyTable()
{
	// Files and copies carry the range; lookups by name do not find it.
	static const PropertyTable& table = makePropertyTable<GMainMenuCloudNode>(GPathMovableNode::getClassPropertyTable(),
		{
			makeProperty<&GMainMenuCloudNode::setInitialVelocityRange, &GMainMenuCloudNode::getInitialVelocityRange>(
				INITIAL_VELOCITY_RANGE)
				.stored()
				.unlisted(),
		});
	return table;
}

u32 GMainMenuCloudNode::getHeadStartCount()
{
	return g_cloudHeadStarts;
}

GLevelPath* GMainMenuCloudNode::chooseRoute(GLevelPaths& paths, CRandomGenerator& random) const
{
	return paths.findPath(nameIdPath("Clouds"), random);
}

void GMainMenuCloudNode::onRouteStarted()
{
	// Higher clouds look farther away and drift faster across the sky.
	const f32 k = (450.f - getPosition().Y) / 120.f + 1.f;
	m_speed = core::clamp(m_speed * k, 1.f, 10.f);
	setVelocity(m_speed);
	if (g_cloudHeadStarts < HEAD_START_LIMIT)
	{
		++g_cloudHeadStarts;
		update(static_cast<u32>(getServices().random->nextIntInRange(10000, 120000)));
	}
}

// ---------------------------------------------------------------------------------------------

GMainMenuBikeNode::GMainMenuBikeNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	GMainMenuMover(reference, parent, sceneManager, core::vector2df(50.f, 50.f))
{
}

const PropertyTable& GMainMenuBikeNode::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable<GMainMenuBikeNode>(GPathMovableNode::getClassPropertyTable(),
		{
			makeProperty<&GMainMenuBikeNode::setInitialVelocityRange, &GMainMenuBikeNode::getInitialVelocityRange>(
				INITIAL_VELOCITY_RANGE)
				.stored(),
		});
	return table;
}

GLevelPath* GMainMenuBikeNode::chooseRoute(GLevelPaths& paths, CRandomGenerator& random) const
{
	return paths.findPath(nameIdPath("Bike"), random);
}

void GMainMenuBikeNode::onRouteStarted()
{
	setVelocity(m_speed);
	update(static_cast<u32>(getServices().random->nextIntInRange(1000, 5000)));
}

void GMainMenuBikeNode::setDirection(f32 dx, f32 dy)
{
	// A turn still in progress is completed at once.
	m_currentHeading = m_targetHeading;
	m_targetHeading.set(dx, dy);
	if (m_currentHeading.X == 0.f && m_currentHeading.Y == 0.f)
	{
		const s32 id = directionFromAngle(m_targetHeading);
		setDirectionStateId(id);
		if (id != -1)
			setState(id, nullptr);
	}
	const f32 ratio = std::fabs(dy) <= 1e-6f ? -1.f : dx / dy;
	m_turnFactor = ratio < 0.f ? 1.f : core::clamp(std::sqrt(ratio), 0.5f, 1.f);
}

void GMainMenuBikeNode::updateScaleAndHeading()
{
	const f32 t = core::clamp((getPosition().Y - 700.f) / 35.f, 0.65f, 1.f);
	setFlatScale(*this, t);
	setVelocity(std::max(1.f, t * t * t * m_turnFactor * m_speed));
	if (m_currentHeading == m_targetHeading)
		return;
	// On the first segment the heading is still none: the facing the segment gave stays.
	if (m_currentHeading.X == 0.f && m_currentHeading.Y == 0.f)
		return;
	f32 a = getVector2dAngleDegrees(m_targetHeading) - getVector2dAngleDegrees(m_currentHeading);
	if (a < -180.f)
		a += 360.f;
	else if (a > 180.f)
		a -= 360.f;
	if (std::fabs(a) < 7.f)
		m_currentHeading = m_targetHeading;
	else
		rotateVector2dByDegrees(m_currentHeading, a > 0.f ? -10 : 10);
	core::vector2df shown = m_currentHeading;
	rotateVector2dByDegrees(shown, 10);
	const s32 id = directionFromAngle(shown);
	setDirectionStateId(id);
	if (id != -1)
		setState(id, nullptr);
}
