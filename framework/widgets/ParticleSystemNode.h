#pragma once

#include "content/CAtlasTexture.h"
#include "content/ParticleEmitters.h"
#include "content/video/CMeshBuffer.h"
#include "core/BaseNode.h"
#include "core/CTimer.h"

namespace fw
{
// Shows particles: a pool of up to 500, started by its own clone of a cached emitter, aged and
// moved on a 30 ms timer and drawn as quads cut from one atlas image, all of them with one mesh
// buffer in one draw call. Particles live in the node's space (they follow the node) or, with
// Global, in world space (they stay where they were born while the emitter follows the node).
//
// Both timers stop by themselves when there is nothing to do (no particles, no image) and are put
// back on the scene's timer manager by the next drawing pass in which the node is visible.
class ParticleSystemNode : public BaseNode, public CTimer
{
public:
	FW_NODE_CLASS(ParticleSystemNode, BaseNode, NODE_TYPE_PARTICLE_SYSTEM, L"ParticleSystemNode")
	static const PropertyTable& getClassPropertyTable();

	static constexpr u32 MAX_PARTICLES = 500;
	static constexpr u32 TIMER_INTERVAL = 30;

	ParticleSystemNode(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager);
	~ParticleSystemNode() override;

	// Never hit.
	bool hitTest(const core::vector3df& point) const override;
	// Flushes the quad batch (what it holds lies below the particles), then draws the mesh buffer.
	void render(const SRenderContext& context, const core::rect<f32>* clip) override;
	// The base's copy, then a clone of the source's emitter, its material, image, flags; never its
	// live particles.
	void copyFrom(const BaseNode* source, ISceneManager* sceneManager) override;

	// Releases the emitter, then clones the one cached under the name (never loading a file); no
	// emitter without a content manager or for a name not in its cache. The clone is not started.
	void setEmitterName(const core::stringc& name);
	// The emitter's name; empty without one.
	core::stringc getEmitterName() const;
	BaseEmitter* getEmitter() const { return m_emitter.get(); }
	// Null draws nothing (and the timer stops at its next call). Existing quads take the new uv.
	void setAtlasTexture(CAtlasTexture* atlasTexture);
	CAtlasTexture* getAtlasTexture() const { return m_atlasTexture.get(); }
	// The node's timer on the scene's timer manager, or on none.
	void setEnabled(bool enabled);
	bool isEnabled() const { return m_enabled; }
	// The emitter's timer on the scene's timer manager, or on none.
	void setEmitterEnabled(bool enabled);
	bool isEmitterEnabled() const { return m_emitterEnabled; }
	void setGlobal(bool global) { m_global = global; }
	bool isGlobal() const { return m_global; }

	// The timer: ages, moves and removes particles and rebuilds the quads. False (off the timer
	// manager) when no particle lives or no image is set.
	bool update(u32 stepMs);
	bool onTimer(u32 elapsed) override { return update(elapsed); }

	const ParticleArray& getParticles() const { return m_particles; }
	// For emitters and tests that place particles themselves; the capacity must not change.
	ParticleArray& getParticles() { return m_particles; }
	const video2d::CMeshBuffer* getMeshBuffer() const { return m_meshBuffer.get(); }
	const video2d::SMaterial& getMaterial() const { return m_material; }

protected:
	// The children's entries, then the restart of stopped timers and the node's own entry.
	void collectChildRenderables(RenderList& list) override;

private:
	void setEmitterNameProperty(const PropertyHolder& value);
	PropertyHolder getEmitterNameProperty() const;

	// Stops the emitter, drops it and takes a clone of the given one (or none), pointed at the pool.
	void adoptEmitterCloneOf(const BaseEmitter* source);
	void releaseEmitter();
	core::vector2df absoluteTranslation() const;
	// The uv corners of quads firstQuad and up, in vertex order.
	void writeUV(u32 firstQuad);
	// Quad k for particle k, when the image's pixel size can be read.
	void buildQuads();

	CRefHolder<CAtlasTexture> m_atlasTexture;
	video2d::SMaterial m_material;
	CRefHolder<BaseEmitter> m_emitter;
	bool m_enabled = true;
	bool m_emitterEnabled = true;
	bool m_global = false;
	u32 m_maxParticles = MAX_PARTICLES;
	ParticleArray m_particles;
	CRefHolder<video2d::CMeshBuffer> m_meshBuffer;
};
} // namespace fw
