#include "minigames/GAmbientEffects.h"

#include "core/PropertyAccessors.h"
#include "core/SineTable.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"

#include <cmath>

using fw::core::vector2df;
using fw::core::vector3df;

GBaloonNode::GBaloonNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager) :
	GAmbientNode(reference, parent, sceneManager)
{
}

const fw::PropertyTable& GBaloonNode::getClassPropertyTable()
{
	static const fw::PropertyTable& table = fw::makePropertyTable<GBaloonNode>(fw::BaseNode::getClassPropertyTable(),
		{
			fw::makeProperty<&GBaloonNode::setWidthRange, &GBaloonNode::getWidthRange>("WidthRange").stored(),
			fw::makeProperty<&GBaloonNode::setXVelocityRange, &GBaloonNode::getXVelocityRange>("XVelocityRange")
				.stored(),
			fw::makeProperty<&GBaloonNode::setYVelocityRange, &GBaloonNode::getYVelocityRange>("YVelocityRange")
				.stored(),
			fw::makeProperty<&GBaloonNode::setYAccelRange, &GBaloonNode::getYAccelRange>("YAccelRange").stored(),
			fw::makeProperty<&GBaloonNode::setYAccelTimeRange, &GBaloonNode::getYAccelTimeRange>("YAccelTimeRange")
				.stored(),
			fw::makeProperty<&GBaloonNode::setLifeTime, &GBaloonNode::getLifeTime>("LifeTime").stored(),
		});
	return table;
}

void GBaloonNode::onStart()
{
	m_vx = drawRange(m_xVelocityRange);
	m_vy = drawRange(m_yVelocityRange);
	m_ay = drawRange(m_yAccelRange);
	m_width = drawRange(m_widthRange);
	startLife(m_lifeTime);
	m_accelEnd = getRemaining() - drawTimeRange(m_yAccelTimeRange);
	m_start = getPosition();
	if (ambientRandom(this).nextUInt() & 1)
		m_vx = -m_vx;
}

bool GBaloonNode::onTimer(fw::u32 elapsed)
{
	if (!stepLife(elapsed))
		return leaveTree();
	const fw::f32 t = static_cast<fw::f32>(elapsed) * 0.001f;
	vector3df position = getPosition();
	// Tested before the move: the node may pass the turning point by one step.
	if (std::fabs(position.X - m_start.X) >= m_width)
		m_vx = -m_vx;
	if (getRemaining() > m_accelEnd)
		m_vy += m_ay * t;
	position.X += m_vx * t;
	position.Y += m_vy * t;
	position.Z = (position.X + position.Y) * 0.0001f + static_cast<fw::f32>(getRemaining()) * 0.01f + m_vy * 0.1f;
	setPosition(position);
	return true;
}

// ---------------------------------------------------------------------------------------------

GPicEffectNode::GPicEffectNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	GAmbientNode(reference, parent, sceneManager)
{
}

const fw::PropertyTable& GPicEffectNode::getClassPropertyTable()
{
	static const fw::PropertyTable& table = fw::makePropertyTable<GPicEffectNode>(fw::BaseNode::getClassPropertyTable(),
		{
			fw::makeProperty<&GPicEffectNode::setAnimTime, &GPicEffectNode::getAnimTime>("AnimTime").stored(),
			fw::makeProperty<&GPicEffectNode::setWidthRange, &GPicEffectNode::getWidthRange>("WidthRange").stored(),
			fw::makeProperty<&GPicEffectNode::setYVelocityRange, &GPicEffectNode::getYVelocityRange>("YVelocityRange")
				.stored(),
			fw::makeProperty<&GPicEffectNode::setYAccelRange, &GPicEffectNode::getYAccelRange>("YAccelRange").stored(),
			fw::makeProperty<&GPicEffectNode::setYAccelTimeRange, &GPicEffectNode::getYAccelTimeRange>(
				"YAccelTimeRange")
				.stored(),
			fw::makeProperty<&GPicEffectNode::setLifeTime, &GPicEffectNode::getLifeTime>("LifeTime").stored(),
		});
	return table;
}

void GPicEffectNode::onStart()
{
	m_amplitude = drawRange(m_widthRange);
	m_swayTime = 0;
	m_vy = drawRange(m_yVelocityRange);
	m_ay = drawRange(m_yAccelRange);
	startLife(m_lifeTime);
	m_accelEnd = getRemaining() - drawTimeRange(m_yAccelTimeRange);
	m_base = getPosition();
}

bool GPicEffectNode::onTimer(fw::u32 elapsed)
{
	if (!stepLife(elapsed))
		return leaveTree();
	const fw::f32 t = static_cast<fw::f32>(elapsed) * 0.001f;
	if (getRemaining() > m_accelEnd)
		m_vy += m_ay * t;
	m_base.Y += m_vy * t;
	if (m_animTime < 1)
	{
		setPosition(m_base);
		return true;
	}
	m_swayTime += static_cast<fw::s32>(elapsed);
	if (m_swayTime >= m_animTime)
		m_swayTime = 0;
	const fw::s32 degrees =
		static_cast<fw::s32>(static_cast<fw::s64>(m_swayTime) * 360 / static_cast<fw::s64>(m_animTime));
	vector3df position(m_base.X - m_amplitude * fw::sinDegrees(degrees), m_base.Y, m_base.Y * 0.00001f);
	// Behind the neighbours while swinging back.
	if (degrees >= 91 && degrees <= 269)
		position.Z -= 0.1f;
	setPosition(position);
	return true;
}

// ---------------------------------------------------------------------------------------------

GSpiralMovableNode::GSpiralMovableNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	GAmbientNode(reference, parent, sceneManager)
{
}

const fw::PropertyTable& GSpiralMovableNode::getClassPropertyTable()
{
	static const fw::PropertyTable& table = fw::makePropertyTable<
		GSpiralMovableNode>(fw::BaseNode::getClassPropertyTable(),
		{
			fw::makeProperty<&GSpiralMovableNode::setRRange, &GSpiralMovableNode::getRRange>("RRange").stored(),
			fw::makeProperty<&GSpiralMovableNode::setRVelocityRange, &GSpiralMovableNode::getRVelocityRange>(
				"RVelocityRange")
				.stored(),
			fw::makeProperty<&GSpiralMovableNode::setRotVelocityRange, &GSpiralMovableNode::getRotVelocityRange>(
				"RotVelocityRange")
				.stored(),
			fw::makeProperty<&GSpiralMovableNode::setAngleRange, &GSpiralMovableNode::getAngleRange>("AngleRange")
				.stored(),
			fw::makeProperty<&GSpiralMovableNode::setAngleVelocityRange, &GSpiralMovableNode::getAngleVelocityRange>(
				"AngleVelocityRange")
				.stored(),
			fw::makeProperty<&GSpiralMovableNode::setLifeTime, &GSpiralMovableNode::getLifeTime>("LifeTime").stored(),
		});
	return table;
}

void GSpiralMovableNode::placeOnCircle()
{
	setPosition(vector3df(m_centre.X + m_r * std::cos(m_angle), m_centre.Y + m_r * std::sin(m_angle), m_centre.Z));
}

void GSpiralMovableNode::onStart()
{
	m_r = drawRange(m_rRange);
	m_rVelocity = drawRange(m_rVelocityRange);
	m_spinVelocity = drawRange(m_rotVelocityRange);
	m_angle = drawRange(m_angleRange);
	m_angleVelocity = drawRange(m_angleVelocityRange);
	startLife(m_lifeTime);
	m_centre = getPosition();
	placeOnCircle();
}

bool GSpiralMovableNode::onTimer(fw::u32 elapsed)
{
	if (!stepLife(elapsed))
		return leaveTree();
	const fw::f32 t = static_cast<fw::f32>(elapsed) * 0.001f;
	m_r += m_rVelocity * t;
	m_angle += m_angleVelocity * t;
	placeOnCircle();
	vector3df rotation = getRotation();
	rotation.Z += m_spinVelocity * t;
	setRotation(rotation);
	return true;
}
