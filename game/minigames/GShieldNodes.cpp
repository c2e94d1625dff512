#include "minigames/GShieldNodes.h"

#include "core/PropertyAccessors.h"
#include "core/StateItem.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"

#include <cmath>

using fw::core::vector2df;
using fw::core::vector3df;

GShieldEffectNode::GShieldEffectNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	GAmbientNode(reference, parent, sceneManager)
{
}

const fw::PropertyTable& GShieldEffectNode::getClassPropertyTable()
{
	typedef GShieldEffectNode N;
	static const fw::PropertyTable& table = fw::makePropertyTable<N>(fw::BaseNode::getClassPropertyTable(),
		{
			fw::makeProperty<&N::setArea1Rect1Size, &N::getArea1Rect1Size>("Area1Rect1Size").stored(),
			fw::makeProperty<&N::setArea1Rect2Size, &N::getArea1Rect2Size>("Area1Rect2Size").stored(),
			fw::makeProperty<&N::setArea2RectSize, &N::getArea2RectSize>("Area2RectSize").stored(),
			fw::makeProperty<&N::setVelocityRange, &N::getVelocityRange>("VelocityRange"),
			fw::makeProperty<&N::setVelocityPower, &N::getVelocityPower>("VelocityPower").stored(),
			fw::makeProperty<&N::setMovingTime, &N::getMovingTime>("MovingTime").stored(),
			fw::makeProperty<&N::setDisappearWaitTime, &N::getDisappearWaitTime>("DisappearWaitTime").stored(),
			fw::makeProperty<&N::setDisappearTime, &N::getDisappearTime>("DisappearTime").stored(),
		});
	return table;
}

fw::s32 GShieldEffectNode::nameIdRun()
{
	static const fw::s32 id = levelservices::nameId("Run");
	return id;
}

void GShieldEffectNode::onStart()
{
	fw::CRandomGenerator& random = ambientRandom(this);
	const fw::f32 w1 = m_area1Rect1Size.X * 0.5f;
	const fw::f32 h1 = m_area1Rect1Size.Y * 0.5f;
	const fw::f32 w2 = m_area1Rect2Size.X * 0.5f;
	const fw::f32 h2 = m_area1Rect2Size.Y * 0.5f;
	// A band of the ring: left, top, right, bottom.
	fw::f32 x = 0.f;
	fw::f32 y = 0.f;
	switch (random.next() & 3)
	{
	case 0:
		x = random.nextFloatInRange(-w1, -w2);
		y = random.nextFloatInRange(-h1, h1);
		break;
	case 1:
		x = random.nextFloatInRange(-w2, w2);
		y = random.nextFloatInRange(-h1, -h2);
		break;
	case 2:
		x = random.nextFloatInRange(w2, w1);
		y = random.nextFloatInRange(-h1, h1);
		break;
	default:
		x = random.nextFloatInRange(-w2, w2);
		y = random.nextFloatInRange(h2, h1);
		break;
	}
	m_start = vector3df(x, y, 0.f);
	const fw::f32 x1 = drawRange(vector2df(-m_area2RectSize.X * 0.5f, m_area2RectSize.X * 0.5f));
	const fw::f32 y1 = drawRange(vector2df(-m_area2RectSize.Y * 0.5f, m_area2RectSize.Y * 0.5f));
	m_end = vector3df(x1, y1, x1 + y1 + 100.f);
	m_phase = PHASE_GLIDING;
	m_time = 0;
	setPosition(m_start);
	setState(nameIdRun(), nullptr);
	updateAbsoluteTransformation();
	if (isColorDirty())
		updateAbsoluteColor();
}

bool GShieldEffectNode::onTimer(fw::u32 elapsed)
{
	m_time += static_cast<fw::s32>(elapsed);
	switch (m_phase)
	{
	case PHASE_GLIDING:
		if (m_time < m_movingTime)
		{
			const fw::f32 f =
				std::pow(static_cast<fw::f32>(m_time) / static_cast<fw::f32>(m_movingTime), m_velocityPower);
			const fw::f32 x = m_start.X + f * (m_end.X - m_start.X);
			const fw::f32 y = m_start.Y + f * (m_end.Y - m_start.Y);
			setPosition(vector3df(x, y, x + 100.f + y));
		}
		else
		{
			setPosition(m_end);
			m_phase = PHASE_WAITING;
			m_time = 0;
		}
		break;
	case PHASE_WAITING:
		if (m_time >= m_disappearWaitTime)
		{
			m_phase = PHASE_FADING;
			m_time = 0;
		}
		break;
	case PHASE_FADING:
		if (m_time >= m_disappearTime)
		{
			m_phase = PHASE_IDLE;
			m_time = 0;
			return leaveTree();
		}
		else
		{
			fw::video::SColor tint = getTintColor();
			const fw::s32 faded = (m_time * 255 * 2 + m_disappearTime) / (2 * m_disappearTime);
			tint.setAlpha(static_cast<fw::u32>(255 - faded));
			setTintColor(tint);
		}
		break;
	default:
		break;
	}
	return true;
}

// ---------------------------------------------------------------------------------------------

GShieldStarNode::GShieldStarNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	GAmbientNode(reference, parent, sceneManager)
{
}

const fw::PropertyTable& GShieldStarNode::getClassPropertyTable()
{
	typedef GShieldStarNode N;
	static const fw::PropertyTable& table = fw::makePropertyTable<N>(fw::BaseNode::getClassPropertyTable(),
		{
			fw::makeProperty<&N::setAccel1StartTimeRange, &N::getAccel1StartTimeRange>("Accel1StartTimeRange").stored(),
			fw::makeProperty<&N::setAccel1EndTimeRange, &N::getAccel1EndTimeRange>("Accel1EndTimeRange").stored(),
			fw::makeProperty<&N::setAccel2StartTimeRange, &N::getAccel2StartTimeRange>("Accel2StartTimeRange").stored(),
			fw::makeProperty<&N::setAccel2EndTimeRange, &N::getAccel2EndTimeRange>("Accel2EndTimeRange").stored(),
			// Files give the speed before the direction.
			fw::makeProperty<&N::setVelocityAngleRange, &N::getVelocityAngleRange>("VelocityAngleRange").stored(),
			fw::makeProperty<&N::setVelocityRange, &N::getVelocityRange>("VelocityRange")
				.stored()
				.writtenAfter("Accel2EndTimeRange"),
			fw::makeProperty<&N::setAccel1Range, &N::getAccel1Range>("Accel1Range").stored(),
			fw::makeProperty<&N::setAccel2Range, &N::getAccel2Range>("Accel2Range").stored(),
			fw::makeProperty<&N::setAngleRange, &N::getAngleRange>("AngleRange").stored(),
			fw::makeProperty<&N::setAngularVelocityRange, &N::getAngularVelocityRange>("AngularVelocityRange").stored(),
			fw::makeProperty<&N::setLifeTime, &N::getLifeTime>("LifeTime").stored(),
		});
	return table;
}

void GShieldStarNode::onStart()
{
	const fw::f32 radians = drawRange(m_velocityAngleRange) * (3.14159265f / 180.f);
	m_direction = vector2df(std::cos(radians), std::sin(radians));
	m_speed = drawRange(m_velocityRange);
	m_accel1 = drawRange(m_accel1Range);
	m_accel2 = drawRange(m_accel2Range);
	m_spinAngle = drawRange(m_angleRange);
	m_spinVelocity = drawRange(m_angularVelocityRange);
	startLife(m_lifeTime);
	m_accel1Start = getRemaining() - drawTimeRange(m_accel1StartTimeRange);
	m_accel1End = getRemaining() - drawTimeRange(m_accel1EndTimeRange);
	m_accel2Start = getRemaining() - drawTimeRange(m_accel2StartTimeRange);
	m_accel2End = getRemaining() - drawTimeRange(m_accel2EndTimeRange);
}

bool GShieldStarNode::onTimer(fw::u32 elapsed)
{
	if (!stepLife(elapsed))
		return leaveTree();
	const fw::f32 t = static_cast<fw::f32>(elapsed) * 0.001f;
	const fw::s32 remaining = getRemaining();
	// Strict bounds: a step that lands on a bound adds nothing.
	if (m_accel1End < remaining && remaining < m_accel1Start)
		m_speed += m_accel1 * t;
	if (m_accel2End < remaining && remaining < m_accel2Start)
		m_speed += m_accel2 * t;
	const fw::f32 s = m_speed * t;
	vector3df position = getPosition();
	position.X += m_direction.X * s;
	position.Y += m_direction.Y * s;
	setPosition(position);
	m_spinAngle += m_spinVelocity * t;
	setRotation(vector3df(0.f, 0.f, m_spinAngle));
	return true;
}
