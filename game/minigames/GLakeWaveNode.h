#pragma once

#include "core/BaseNode.h"
#include "core/CRefHolder.h"
#include "level/data/GameNodeTypeIds.h"
#include "level/scene/GNodeTimer.h"

#include <vector3d.h>

// Water in a scene: its child "Wave" plays its "Normal" animation from a random point, so that waves
// side by side do not move in step; its child "Star" blinks now and then at a random spot within
// the node's bounds. The node may drift at Velocity (units per second) and leave its parent after
// LifeTime ms (none for 0 or less), fading out over its last 1.5 seconds.
class GLakeWaveNode : public fw::BaseNode, public GNodeTimer
{
public:
	FW_NODE_CLASS(GLakeWaveNode, fw::BaseNode, NODE_TYPE_GAME_LAKE_WAVE, L"GLakeWaveNode")
	static const fw::PropertyTable& getClassPropertyTable();

	static constexpr fw::u32 INTERVAL = 60;
	static constexpr fw::s32 FADE_TIME = 1500;
	// The least pause before the first blink, ms.
	static constexpr fw::f32 FIRST_BLINK = 500.f;

	GLakeWaveNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	void onInit() override;
	bool onTimer(fw::u32 elapsed) override;

	const fw::core::vector2df& getStarBlinkRange() const { return m_starBlinkRange; }
	void setStarBlinkRange(const fw::core::vector2df& range) { m_starBlinkRange = range; }
	const fw::core::vector3df& getVelocity() const { return m_velocity; }
	void setVelocity(const fw::core::vector3df& velocity) { m_velocity = velocity; }
	fw::s32 getLifeTime() const { return m_lifeTime; }
	void setLifeTime(fw::s32 lifeTime) { m_lifeTime = lifeTime; }

	fw::BaseNode* getWave() const { return m_wave.get(); }
	fw::BaseNode* getStar() const { return m_star.get(); }
	fw::s32 getStarCountdown() const { return m_starCountdown; }

	static fw::s32 nameIdNormal();
	static fw::s32 nameIdBlink();

protected:
	void onCollected() override;

private:
	fw::core::vector2df m_starBlinkRange = fw::core::vector2df(5000.f, 10000.f);
	fw::core::vector3df m_velocity = fw::core::vector3df(0.f, 0.f, 0.f);
	fw::s32 m_lifeTime = -1;
	fw::CRefHolder<fw::BaseNode> m_wave;
	fw::CRefHolder<fw::BaseNode> m_star;
	fw::s32 m_starCountdown = 0;
};
