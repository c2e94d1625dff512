#include "minigames/GBirdFireworkNodes.h"

#include "core/CAnimatorState.h"
#include "core/CNameTable.h"
#include "core/ISceneManager.h"
#include "core/NodeCasts.h"
#include "core/PropertyAccessors.h"
#include "core/StateItem.h"
#include "core/TextParsing.h"
#include "level/nodes/GFacing.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"
#include "widgets/TemplateCollectionNode.h"

#include <cmath>

using fw::core::vector2df;
using fw::core::vector3df;

namespace
{
constexpr fw::f32 DEGREES_TO_RADIANS = 3.14159265358979f / 180.f;

fw::s32 flapStateId(fw::s32 directionId)
{
	fw::CNameTable& names = fw::CNameTableSingleton::Instance();
	return names.intern(names.lookup(directionId) + "_Flap");
}

// The running first animation of the node's current state, if any.
fw::Base* runningFirstItem(const fw::BaseNode* node)
{
	const fw::CAnimatorState* state = node->getCurrentState();
	if (!state || state->getAnimatorCount() == 0)
		return nullptr;
	fw::Base* item = state->getAnimator(0);
	return item && item->isRunning() ? item : nullptr;
}
} // namespace

GCircularBirdNode::GCircularBirdNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	GAmbientNode(reference, parent, sceneManager)
{
}

const fw::PropertyTable& GCircularBirdNode::getClassPropertyTable()
{
	static const fw::PropertyTable& table =
		fw::makePropertyTable<GCircularBirdNode>(fw::BaseNode::getClassPropertyTable(),
			{
				fw::makeNameProperty<&GCircularBirdNode::m_birdTemplateId, &GCircularBirdNode::setBirdTemplate>(
					"BirdTemplateID"),
				fw::makeProperty<&GCircularBirdNode::setEllipse1Size, &GCircularBirdNode::getEllipse1Size>(
					"Ellipse1Size")
					.stored(),
				fw::makeProperty<&GCircularBirdNode::setEllipse2Size, &GCircularBirdNode::getEllipse2Size>(
					"Ellipse2Size")
					.stored(),
				fw::makeProperty<&GCircularBirdNode::setAngularVelocity1, &GCircularBirdNode::getAngularVelocity1>(
					"AngularVelocity1")
					.stored(),
				fw::makeProperty<&GCircularBirdNode::setAngularVelocity2, &GCircularBirdNode::getAngularVelocity2>(
					"AngularVelocity2")
					.stored(),
			});
	return table;
}

void GCircularBirdNode::setBirdTemplate(fw::s32 nameId)
{
	m_prototype.release();
	m_birdTemplateId = nameId;
	fw::ISceneManager* manager = getSceneManager();
	if (const fw::TemplateCollectionNode* collection =
			manager ? fw::nodeCast<fw::TemplateCollectionNode>(manager->getTemplateCollectionNode()) : nullptr)
	{
		if (const fw::BaseNode* birdTemplate = collection->getTemplate(nameId))
			m_prototype.assign(birdTemplate->findChildByNameId(levelservices::nameId("Body"), -1));
	}
	// The next drawing pass builds the bird anew.
	if (isTimerRunning())
		setManager(nullptr);
}

void GCircularBirdNode::copyFrom(const fw::BaseNode* source, fw::ISceneManager* sceneManager)
{
	GAmbientNode::copyFrom(source, sceneManager);
	if (const GCircularBirdNode* bird = fw::nodeCast<GCircularBirdNode>(source))
	{
		m_angle1 = bird->m_angle1;
		m_angle2 = bird->m_angle2;
		setBirdTemplate(bird->m_birdTemplateId);
	}
}

bool GCircularBirdNode::onAttached(fw::CEventNodeAttached*)
{
	setBirdTemplate(m_birdTemplateId);
	return false;
}

bool GCircularBirdNode::onTemplatesChanged(fw::CEventNodeTemplatesChanged*)
{
	setBirdTemplate(m_birdTemplateId);
	return false;
}

vector2df GCircularBirdNode::ellipsePoint(fw::f32 angle1, fw::f32 angle2) const
{
	const fw::f32 a1 = angle1 * DEGREES_TO_RADIANS;
	const fw::f32 a2 = angle2 * DEGREES_TO_RADIANS;
	return vector2df(m_ellipse2Size.X * std::cos(a2) + m_ellipse1Size.X * std::cos(a1),
		m_ellipse2Size.Y * std::sin(a2) + m_ellipse1Size.Y * std::sin(a1));
}

void GCircularBirdNode::placeBird()
{
	const vector2df point = ellipsePoint(m_angle1, m_angle2);
	m_bird->setPosition(vector3df(point.X, point.Y, 0.f));
}

void GCircularBirdNode::drawFlapTime()
{
	m_flapTimer += fw::truncateToInt(ambientRandom(this).nextFloat() * 3000.f + 4000.f);
}

void GCircularBirdNode::onStart()
{
	if (m_bird)
		m_bird->setParent(nullptr);
	m_bird = fw::adoptRef(m_prototype->clone(nullptr, nullptr));
	if (!m_bird)
		return;
	// Made by the node, never part of the scene's description.
	m_bird->setTransient(true);
	addChild(m_bird.get());
	m_angle1 = ambientRandom(this).nextFloat() * 360.f;
	m_angle2 = ambientRandom(this).nextFloat() * 360.f;
	placeBird();
	m_directionStateId = -1;
	m_flapTimer = 0;
	drawFlapTime();
}

bool GCircularBirdNode::onTimer(fw::u32 elapsed)
{
	if (!m_bird)
		return false;
	const fw::f32 t = static_cast<fw::f32>(elapsed) * 0.001f;
	m_angle1 += m_angularVelocity1 * t;
	m_angle2 += m_angularVelocity2 * t;
	const fw::f32 a2 = m_angle2 * DEGREES_TO_RADIANS;
	const fw::f32 wh = m_ellipse2Size.X * m_ellipse2Size.Y;
	const fw::s32 direction = directionStateName(-wh * std::sin(a2), wh * std::cos(a2));
	if (direction != m_directionStateId)
	{
		m_directionStateId = direction;
		if (const fw::Base* flap = runningFirstItem(m_bird.get()))
		{
			// The wing beat goes on in the new facing without a jump.
			const fw::u32 time = flap->getCurrentTime();
			m_bird->enterState(flapStateId(direction), nullptr, -1);
			if (fw::Base* item = runningFirstItem(m_bird.get()))
				item->seek(time, false);
		}
		else
			m_bird->enterState(direction, nullptr, -1);
	}
	placeBird();
	if (static_cast<fw::s32>(elapsed) < m_flapTimer)
		m_flapTimer -= static_cast<fw::s32>(elapsed);
	else
	{
		if (m_directionStateId != -1)
			m_bird->enterState(flapStateId(m_directionStateId), nullptr, -1);
		drawFlapTime();
	}
	return true;
}

// ---------------------------------------------------------------------------------------------

GFireworkNode::GFireworkNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	GAmbientNode(reference, parent, sceneManager)
{
}

const fw::PropertyTable& GFireworkNode::getClassPropertyTable()
{
	static const fw::PropertyTable& table = fw::makePropertyTable<GFireworkNode>(fw::BaseNode::getClassPropertyTable(),
		{
			fw::makeProperty<&GFireworkNode::setVelocityXRange, &GFireworkNode::getVelocityXRange>("VelocityXRange")
				.stored(),
			fw::makeProperty<&GFireworkNode::setVelocityYRange, &GFireworkNode::getVelocityYRange>("VelocityYRange")
				.stored(),
			fw::makeProperty<&GFireworkNode::setAcceleration, &GFireworkNode::getAcceleration>("Acceleration").stored(),
			fw::makeProperty<&GFireworkNode::setMoveTimeRange, &GFireworkNode::getMoveTimeRange>("MoveTimeRange")
				.stored(),
		});
	return table;
}

fw::s32 GFireworkNode::nameIdUp()
{
	static const fw::s32 id = levelservices::nameId("Up");
	return id;
}

fw::s32 GFireworkNode::nameIdBoost()
{
	static const fw::s32 id = levelservices::nameId("Boost");
	return id;
}

void GFireworkNode::onStart()
{
	fw::CRandomGenerator& random = ambientRandom(this);
	const fw::f32 dx = random.nextFloat() * 20.f - 10.f;
	const fw::f32 dy = random.nextFloat() * 10.f - 5.f;
	// Above everything around it while it flies.
	setPosition(getPosition() + vector3df(dx, dy, 2000.f));
	setState(nameIdUp(), nullptr);
	m_vx = drawRange(m_velocityXRange);
	m_vy = drawRange(m_velocityYRange);
	m_moveTime = fw::truncateToInt(drawRange(m_moveTimeRange));
}

bool GFireworkNode::onTimer(fw::u32 elapsed)
{
	m_moveTime -= static_cast<fw::s32>(elapsed);
	if (m_moveTime < 0)
	{
		const fw::CRefHolder<fw::BaseNode> self = fw::holdForCall<fw::BaseNode>(this);
		setState(nameIdBoost(), nullptr);
		return false;
	}
	const fw::f32 t = static_cast<fw::f32>(elapsed) * 0.001f;
	m_vx += m_acceleration.X * t;
	m_vy += m_acceleration.Y * t;
	vector3df position = getPosition();
	position.X += m_vx * t;
	position.Y += m_vy * t;
	setPosition(position);
	return true;
}

bool GFireworkNode::onStateChangeComplete(fw::CEventNodeStateChangeComplete* event)
{
	if (event->getNode() != this || event->getStateId() != nameIdBoost())
		return GAmbientNode::onStateChangeComplete(event);
	leaveTree();
	return true;
}
