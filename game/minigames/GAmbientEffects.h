#pragma once

#include "level/data/GameNodeTypeIds.h"
#include "minigames/GAmbientNode.h"

#include <vector3d.h>

// Ranges are (min, max) pairs; velocities in pixels per second, accelerations per second squared,
// times in ms. Each node leaves its parent when its LifeTime has run out (at its first step for 0).

// Rises or sinks under an acceleration that stops after a while, drifting from side to side: its
// horizontal velocity turns whenever it is Width or more from its start column.
class GBaloonNode : public GAmbientNode
{
public:
	FW_NODE_CLASS(GBaloonNode, GAmbientNode, NODE_TYPE_GAME_BALOON, L"GBaloonNode")
	static const fw::PropertyTable& getClassPropertyTable();

	GBaloonNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	bool onTimer(fw::u32 elapsed) override;

	const fw::core::vector2df& getWidthRange() const { return m_widthRange; }
	void setWidthRange(const fw::core::vector2df& range) { m_widthRange = range; }
	const fw::core::vector2df& getXVelocityRange() const { return m_xVelocityRange; }
	void setXVelocityRange(const fw::core::vector2df& range) { m_xVelocityRange = range; }
	const fw::core::vector2df& getYVelocityRange() const { return m_yVelocityRange; }
	void setYVelocityRange(const fw::core::vector2df& range) { m_yVelocityRange = range; }
	const fw::core::vector2df& getYAccelRange() const { return m_yAccelRange; }
	void setYAccelRange(const fw::core::vector2df& range) { m_yAccelRange = range; }
	const fw::core::vector2df& getYAccelTimeRange() const { return m_yAccelTimeRange; }
	void setYAccelTimeRange(const fw::core::vector2df& range) { m_yAccelTimeRange = range; }
	fw::s32 getLifeTime() const { return m_lifeTime; }
	void setLifeTime(fw::s32 lifeTime) { m_lifeTime = lifeTime; }

	fw::f32 getXVelocity() const { return m_vx; }
	fw::f32 getYVelocity() const { return m_vy; }
	const fw::core::vector3df& getStartPoint() const { return m_start; }

protected:
	void onStart() override;

private:
	fw::core::vector3df m_start;
	fw::f32 m_vx = 0.f;
	fw::f32 m_vy = 0.f;
	fw::f32 m_ay = 0.f;
	fw::f32 m_width = 0.f;
	fw::core::vector2df m_widthRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_xVelocityRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_yVelocityRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_yAccelRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_yAccelTimeRange = fw::core::vector2df(0.f, 0.f);
	// The remaining life below which the acceleration has stopped.
	fw::s32 m_accelEnd = 0;
	fw::s32 m_lifeTime = 0;
};

// Rises or sinks likewise, swaying on a sine of period AnimTime around its start column, and steps
// behind its neighbours during the middle half of each sway.
class GPicEffectNode : public GAmbientNode
{
public:
	FW_NODE_CLASS(GPicEffectNode, GAmbientNode, NODE_TYPE_GAME_PIC_EFFECT, L"GPicEffectNode")
	static const fw::PropertyTable& getClassPropertyTable();

	GPicEffectNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	bool onTimer(fw::u32 elapsed) override;

	fw::s32 getAnimTime() const { return m_animTime; }
	void setAnimTime(fw::s32 time) { m_animTime = time; }
	const fw::core::vector2df& getWidthRange() const { return m_widthRange; }
	void setWidthRange(const fw::core::vector2df& range) { m_widthRange = range; }
	const fw::core::vector2df& getYVelocityRange() const { return m_yVelocityRange; }
	void setYVelocityRange(const fw::core::vector2df& range) { m_yVelocityRange = range; }
	const fw::core::vector2df& getYAccelRange() const { return m_yAccelRange; }
	void setYAccelRange(const fw::core::vector2df& range) { m_yAccelRange = range; }
	const fw::core::vector2df& getYAccelTimeRange() const { return m_yAccelTimeRange; }
	void setYAccelTimeRange(const fw::core::vector2df& range) { m_yAccelTimeRange = range; }
	fw::s32 getLifeTime() const { return m_lifeTime; }
	void setLifeTime(fw::s32 lifeTime) { m_lifeTime = lifeTime; }

	const fw::core::vector3df& getBasePoint() const { return m_base; }

protected:
	void onStart() override;

private:
	fw::core::vector3df m_base;
	fw::f32 m_vy = 0.f;
	fw::f32 m_ay = 0.f;
	fw::f32 m_amplitude = 0.f;
	fw::s32 m_swayTime = 0;
	fw::core::vector2df m_widthRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_yVelocityRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_yAccelRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_yAccelTimeRange = fw::core::vector2df(0.f, 0.f);
	fw::s32 m_animTime = 1000;
	fw::s32 m_accelEnd = 0;
	fw::s32 m_lifeTime = 0;
};

// Circles its start point on a widening or narrowing spiral while spinning about its own axis.
// Angles on the circle are radians, the spin degrees.
class GSpiralMovableNode : public GAmbientNode
{
public:
	FW_NODE_CLASS(GSpiralMovableNode, GAmbientNode, NODE_TYPE_GAME_SPIRAL_MOVABLE, L"GSpiralMovableNode")
	static const fw::PropertyTable& getClassPropertyTable();

	GSpiralMovableNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	bool onTimer(fw::u32 elapsed) override;

	const fw::core::vector2df& getRRange() const { return m_rRange; }
	void setRRange(const fw::core::vector2df& range) { m_rRange = range; }
	const fw::core::vector2df& getRVelocityRange() const { return m_rVelocityRange; }
	void setRVelocityRange(const fw::core::vector2df& range) { m_rVelocityRange = range; }
	const fw::core::vector2df& getRotVelocityRange() const { return m_rotVelocityRange; }
	void setRotVelocityRange(const fw::core::vector2df& range) { m_rotVelocityRange = range; }
	const fw::core::vector2df& getAngleRange() const { return m_angleRange; }
	void setAngleRange(const fw::core::vector2df& range) { m_angleRange = range; }
	const fw::core::vector2df& getAngleVelocityRange() const { return m_angleVelocityRange; }
	void setAngleVelocityRange(const fw::core::vector2df& range) { m_angleVelocityRange = range; }
	fw::s32 getLifeTime() const { return m_lifeTime; }
	void setLifeTime(fw::s32 lifeTime) { m_lifeTime = lifeTime; }

	const fw::core::vector3df& getCentre() const { return m_centre; }
	fw::f32 getRadius() const { return m_r; }
	fw::f32 getAngle() const { return m_angle; }

protected:
	void onStart() override;

private:
	void placeOnCircle();

	fw::core::vector3df m_centre;
	fw::f32 m_r = 0.f;
	fw::f32 m_rVelocity = 0.f;
	fw::f32 m_spinVelocity = 0.f;
	fw::f32 m_angle = 0.f;
	fw::f32 m_angleVelocity = 0.f;
	fw::core::vector2df m_rRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_rVelocityRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_rotVelocityRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_angleRange = fw::core::vector2df(0.f, 0.f);
	fw::core::vector2df m_angleVelocityRange = fw::core::vector2df(0.f, 0.f);
	fw::s32 m_lifeTime = 0;
};
