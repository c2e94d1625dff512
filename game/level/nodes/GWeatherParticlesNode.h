#pragma once

#include "level/data/GParticleDescription.h"
#include "level/data/GameNodeTypeIds.h"
#include "level/nodes/GSpriteParticlesNode.h"

#include <vector>

// Rain or snow over a level: drops enter just above the screen's top edge and fall towards a far
// point below it, swaying across their path, spinning and changing size and opacity along their
// timeline. The level switches it on and off with its weather.
class GWeatherParticlesNode : public GSpriteParticlesNode
{
public:
	FW_NODE_CLASS(GWeatherParticlesNode, GSpriteParticlesNode, NODE_TYPE_GAME_WEATHER_PARTICLES,
		L"GWeatherParticlesNode")
	static constexpr fw::u32 CAPACITY = 2048;

	struct SParticle
	{
		// Fraction of the life; the drop dies at 1.
		fw::f32 age;
		// 1000 / lifetime in ms.
		fw::f32 rate;
		fw::f32 x;
		fw::f32 y;
		fw::f32 vx;
		fw::f32 vy;
		// The unit normal of the velocity, along which the drop sways.
		fw::f32 nx;
		fw::f32 ny;
		fw::f32 swayAmplitude;
		// Milliseconds into the sway, and its period.
		fw::s32 swayTime;
		fw::s32 swayPeriod;
		fw::f32 angle;
		fw::f32 angularVelocity;
		fw::f32 scaleX;
		fw::f32 scaleY;
		fw::s32 scaleXCursor;
		fw::s32 scaleYCursor;
		fw::f32 alpha;
		fw::s32 alphaCursor;
	};

	GWeatherParticlesNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	fw::u32 getLiveCount() const override { return static_cast<fw::u32>(m_particles.size()); }
	void emit(fw::u32 elapsed) override;
	void updateParticles(fw::f32 dt) override;
	void copyFrom(const fw::BaseNode* source, fw::ISceneManager* sceneManager) override;

	// The emission parameters, which owners may write directly.
	GWeatherParticlesDescription description;
	const std::vector<SParticle>& getParticles() const { return m_particles; }
	// Where the drop's quad is centred: its position moved along the sway.
	static fw::core::vector2df swayedCentre(const SParticle& particle);

protected:
	void readDescription(fw::IXMLReader* reader) override { description.read(reader); }
	void clearLiveParticles() override { m_particles.clear(); }
	void fillVertices(fw::video2d::S2DVertex* vertices, fw::f32 frameWidth, fw::f32 frameHeight) override;
	// Drawn at depth 0 whatever the node's z.
	fw::core::matrix4 getDrawingTransformation() const override;

private:
	std::vector<SParticle> m_particles;
};
