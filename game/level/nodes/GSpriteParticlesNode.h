#pragma once

#include "content/CAtlasTexture.h"
#include "content/video/CMeshBuffer.h"
#include "content/video/SMaterial.h"
#include "core/BaseNode.h"
#include "core/CRefHolder.h"
#include "level/scene/GNodeTimer.h"

#include <vector>

namespace fw
{
class IXMLReader;
}

// The design the hint and weather particles share: a description file read from
// ConfigurationFilename, one atlas frame every particle shows, a 30 ms timer that starts on the
// first drawing pass that finds the node visible, Enabled and with an atlas texture, emission
// while Enabled, and all particles drawn as textured quads of one mesh buffer in one draw call
// with the framework's 2D material. Switched off, the node drains: the live particles age and die,
// then the timer stops until the node is switched on again.
class GSpriteParticlesNode : public fw::BaseNode, public GNodeTimer
{
public:
	static constexpr fw::u32 INTERVAL = 30;
	// What a start emits at once.
	static constexpr fw::u32 OPENING_EMISSION = 500;

	GSpriteParticlesNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager,
		fw::u32 capacity);
	~GSpriteParticlesNode() override;

	// Keeps the name and reads the file (resolved through the node's content manager); a file
	// that does not open leaves the parameters as they are. Either way the live particles go.
	void setConfigurationFilename(const fw::core::stringc& name);
	const fw::core::stringc& getConfigurationFilename() const { return m_configurationFilename; }
	// The frame every particle shows; the one already held is kept. Without one nothing is drawn and
	// the timer stops at its next step.
	void setAtlasTexture(fw::CAtlasTexture* atlasTexture);
	fw::CAtlasTexture* getAtlasTexture() const { return m_atlasTexture.get(); }
	// Emission on or off; the timer and the next drawing pass follow.
	void setEnabled(bool enabled) { m_enabled = enabled; }
	bool isEnabled() const { return m_enabled; }

	fw::u32 getCapacity() const { return m_capacity; }
	virtual fw::u32 getLiveCount() const = 0;
	// No live particle; the storage stays.
	void clearParticles();

	// Emits what elapsed ms are worth at the description's rate.
	virtual void emit(fw::u32 elapsed) = 0;
	// Ages, moves and removes the particles by dt seconds.
	virtual void updateParticles(fw::f32 dt) = 0;
	// One timer step: update, emission (or the end of draining), the quads rebuilt. False stops the
	// timer.
	bool onTimer(fw::u32 step) override;

	void render(const fw::SRenderContext& context, const fw::core::rect<fw::f32>* clip) override;
	void copyFrom(const fw::BaseNode* source, fw::ISceneManager* sceneManager) override;

	const fw::video2d::CMeshBuffer& getMeshBuffer() const { return *m_meshBuffer; }
	const fw::video2d::SMaterial& getMaterial() const { return m_material; }
	fw::s32 getEmissionRemainder() const { return m_emissionRemainder; }

	static const fw::PropertyTable& getClassPropertyTable();

protected:
	void appendRenderables(fw::RenderList& list) override;
	void onCollected() override;

	virtual void readDescription(fw::IXMLReader* reader) = 0;
	virtual void clearLiveParticles() = 0;
	// Writes the quads of the live particles into the vertices, frame of w x h pixels.
	virtual void fillVertices(fw::video2d::S2DVertex* vertices, fw::f32 frameWidth, fw::f32 frameHeight) = 0;
	// The world transformation the quads are drawn with.
	virtual fw::core::matrix4 getDrawingTransformation() const { return getAbsoluteTransformation(); }

	// Adds elapsed to the remainder and takes out the whole periods of a rate of perSecond (at
	// most the capacity); none, and no backlog, for a rate of 0 or below.
	fw::u32 takeEmissionPeriods(fw::u32 elapsed, fw::s32 perSecond);
	// The colour of a quad of opacity alpha (0 to 1, clamped), tinted by the node's colour.
	fw::video::SColor particleColor(fw::f32 alpha) const;

	// Ages every particle by dt at its rate and removes those at the end of their life (the last
	// record takes the place: order is not kept); the others move and turn by dt, then go through
	// step (a particle record's own tracks).
	template <class Particle, class Step>
	static void ageAndMove(std::vector<Particle>& particles, fw::f32 dt, Step step)
	{
		for (size_t i = 0; i < particles.size();)
		{
			Particle& p = particles[i];
			p.age += dt * p.rate;
			if (p.age >= 1.f)
			{
				p = particles.back();
				particles.pop_back();
				continue;
			}
			p.x += p.vx * dt;
			p.y += p.vy * dt;
			p.angle += p.angularVelocity * dt;
			step(p);
			++i;
		}
	}

private:
	void setTextureCoordinates(fw::u32 fromVertex);
	// Primitive count for the live particles; the arrays grow (never shrink) to hold them.
	void prepareMesh();

	fw::core::stringc m_configurationFilename;
	fw::CRefHolder<fw::CAtlasTexture> m_atlasTexture;
	fw::video2d::SMaterial m_material;
	fw::u32 m_capacity;
	fw::CRefHolder<fw::video2d::CMeshBuffer> m_meshBuffer;
	bool m_enabled = true;
	fw::s32 m_emissionRemainder = 0;
};
