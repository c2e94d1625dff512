#pragma once

#include "level/data/GameNodeTypeIds.h"
#include "minigames/GAmbientNode.h"

#include <vector3d.h>

// Starts at a random point of a rectangular ring around its parent's origin (between the centred
// rectangles Area1Rect1Size and Area1Rect2Size), glides to a random point of the centred rectangle
// Area2RectSize on the curve (time / MovingTime) ^ VelocityPower, waits, fades out and detaches
// itself. Times in ms.
class GShieldEffectNode : public GAmbientNode
{
public:
	FW_NODE_CLASS(GShieldEffectNode, GAmbientNode, NODE_TYPE_GAME_SHIELD_EFFECT, L"GShieldEffectNode")
	static const fw::PropertyTable& getClassPropertyTable();

	enum EPhase
	{
		PHASE_IDLE = 0,
		PHASE_GLIDING = 1,
		PHASE_WAITING = 2,
		PHASE_FADING = 3
	};

	GShieldEffectNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	bool onTimer(fw::u32 elapsed) override;

	const fw::core::vector2df& getArea1Rect1Size() const { return m_area1Rect1Size; }
	void setArea1Rect1Size(const fw::core::vector2df& size) { m_area1Rect1Size = size; }
	const fw::core::vector2df& getArea1Rect2Size() const { return m_area1Rect2Size; }
	void setArea1Rect2Size(const fw::core::vector2df& size) { m_area1Rect2Size = size; }
	const fw::core::vector2df& getArea2RectSize() const { return m_area2RectSize; }
	void setArea2RectSize(const fw::core::vector2df& size) { m_area2RectSize = size; }
	// Reached by name only (key frames); no motion uses it.
	const fw::core::vector2df& getVelocityRange() const { return m_velocityRange; }
	void setVelocityRange(const fw::core::vector2df& range) { m_velocityRange = range; }
	fw::f32 getVelocityPower() const { return m_velocityPower; }
	void setVelocityPower(fw::f32 power) { m_velocityPower = power; }
	fw::s32 getMovingTime() const { return m_movingTime; }
	void setMovingTime(fw::s32 time) { m_movingTime = time; }
	fw::s32 getDisappearWaitTime() const { return m_disappearWaitTime; }
	void setDisappearWaitTime(fw::s32 time) { m_disappearWaitTime = time; }
	fw::s32 getDisappearTime() const { return m_disappearTime; }
	void setDisappearTime(fw::s32 time) { m_disappearTime = time; }

	const fw::core::vector3df& getStartPoint() const { return m_start; }
	const fw::core::vector3df& getEndPoint() const { return m_end; }
	fw::s32 getPhase() const { return m_phase; }

	static fw::s32 nameIdRun();

protected:
	void onStart() override;

private:
	fw::core::vector3df m_start;
	fw::core::vector3df m_end;
	fw::s32 m_phase = PHASE_IDLE;
	fw::s32 m_time = 0;
	fw::core::vector2df m_area1Rect1Size = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_area1Rect2Size = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_area2RectSize = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_velocityRange = fw::core::vector2df(0.f, 0.f);
	fw::f32 m_velocityPower = 1.f;
	fw::s32 m_movingTime = 0;
	fw::s32 m_disappearWaitTime = 0;
	fw::s32 m_disappearTime = 0;
};

// Flies off in a random direction (degrees, 0 along +x, 90 down the screen) at a random speed,
// speeding up or slowing down during two windows timed from its start, spinning, and leaves its
// parent when its LifeTime is over, fading in its last second.
class GShieldStarNode : public GAmbientNode
{
public:
	FW_NODE_CLASS(GShieldStarNode, GAmbientNode, NODE_TYPE_GAME_SHIELD_STAR, L"GShieldStarNode")
	static const fw::PropertyTable& getClassPropertyTable();

	GShieldStarNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	bool onTimer(fw::u32 elapsed) override;

#define GSHIELDSTAR_RANGE(Name, member)                                                                                \
	const fw::core::vector2df& get##Name() const                                                                       \
	{                                                                                                                  \
		return member;                                                                                                 \
	}                                                                                                                  \
	void set##Name(const fw::core::vector2df& range)                                                                   \
	{                                                                                                                  \
		member = range;                                                                                                \
	}
	GSHIELDSTAR_RANGE(Accel1StartTimeRange, m_accel1StartTimeRange)
	GSHIELDSTAR_RANGE(Accel1EndTimeRange, m_accel1EndTimeRange)
	GSHIELDSTAR_RANGE(Accel2StartTimeRange, m_accel2StartTimeRange)
	GSHIELDSTAR_RANGE(Accel2EndTimeRange, m_accel2EndTimeRange)
	GSHIELDSTAR_RANGE(VelocityAngleRange, m_velocityAngleRange)
	GSHIELDSTAR_RANGE(VelocityRange, m_velocityRange)
	GSHIELDSTAR_RANGE(Accel1Range, m_accel1Range)
	GSHIELDSTAR_RANGE(Accel2Range, m_accel2Range)
	GSHIELDSTAR_RANGE(AngleRange, m_angleRange)
	GSHIELDSTAR_RANGE(AngularVelocityRange, m_angularVelocityRange)
#undef GSHIELDSTAR_RANGE
	fw::s32 getLifeTime() const
	{
		return m_lifeTime;
	}
	void setLifeTime(fw::s32 lifeTime)
	{
		m_lifeTime = lifeTime;
	}

	fw::f32 getSpeed() const
	{
		return m_speed;
	}
	const fw::core::vector2df& getDirection() const
	{
		return m_direction;
	}

protected:
	void onStart() override;

private:
	fw::core::vector2df m_direction = fw::core::vector2df(0.f, 0.f);
	fw::f32 m_speed = 0.f;
	fw::f32 m_accel1 = 0.f;
	fw::f32 m_accel2 = 0.f;
	// Window bounds in ms of remaining life.
	fw::s32 m_accel1Start = 0;
	fw::s32 m_accel1End = 0;
	fw::s32 m_accel2Start = 0;
	fw::s32 m_accel2End = 0;
	fw::f32 m_spinAngle = 0.f;
	fw::f32 m_spinVelocity = 0.f;
	fw::core::vector2df m_accel1StartTimeRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_accel1EndTimeRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_accel2StartTimeRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_accel2EndTimeRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_velocityAngleRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_velocityRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_accel1Range = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_accel2Range = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_angleRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_angularVelocityRange = fw::core::vector2df(0.f, 0.f);
	fw::s32 m_lifeTime = 0;
};
