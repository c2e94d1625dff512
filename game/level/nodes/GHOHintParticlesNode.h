#pragma once

#include "level/data/GParticleDescription.h"
#include "level/data/GameNodeTypeIds.h"
#include "level/nodes/GSpriteParticlesNode.h"

#include <vector>

// Sparkles around a hinted object: bursts of particles evenly spaced on an ellipse around the
// node's origin fly outwards, spinning, scaling and fading along their timeline. The hidden-object
// game writes the ranges and PPS for the object it hints at.
class GHOHintParticlesNode : public GSpriteParticlesNode
{
public:
	FW_NODE_CLASS(GHOHintParticlesNode, GSpriteParticlesNode, NODE_TYPE_GAME_HO_HINT_PARTICLES, L"GHOHintParticlesNode")
	static constexpr fw::u32 CAPACITY = 4096;

	struct SParticle
	{
		// Fraction of the life; the particle dies at 1.
		fw::f32 age;
		// 1000 / lifetime in ms: age gained per second.
		fw::f32 rate;
		fw::f32 x;
		fw::f32 y;
		fw::f32 vx;
		fw::f32 vy;
		fw::f32 angle;
		fw::f32 angularVelocity;
		fw::s32 angularVelocityCursor;
		fw::f32 scale;
		fw::s32 scaleCursor;
		fw::f32 alpha;
		fw::s32 alphaCursor;
	};

	GHOHintParticlesNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	fw::u32 getLiveCount() const override { return static_cast<fw::u32>(m_particles.size()); }
	void emit(fw::u32 elapsed) override;
	void updateParticles(fw::f32 dt) override;
	void copyFrom(const fw::BaseNode* source, fw::ISceneManager* sceneManager) override;

	// The emission parameters, which owners may write directly.
	GHOHintParticlesDescription description;
	const std::vector<SParticle>& getParticles() const { return m_particles; }

protected:
	void readDescription(fw::IXMLReader* reader) override { description.read(reader); }
	void clearLiveParticles() override { m_particles.clear(); }
	void fillVertices(fw::video2d::S2DVertex* vertices, fw::f32 frameWidth, fw::f32 frameHeight) override;

private:
	std::vector<SParticle> m_particles;
};
