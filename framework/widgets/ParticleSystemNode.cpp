#include "widgets/ParticleSystemNode.h"

#include "content/CContentManager.h"
#include "content/ContentPropertyValues.h"
#include "content/video/CVideoDriver2D.h"
#include "content/video/IdentityMatrix.h"
#include "core/ITimerManager.h"
#include "core/NodeCasts.h"
#include "core/SineTable.h"
#include "core/TextParsing.h"

#include <cmath>

namespace fw
{
namespace
{
// copyFrom takes these itself, in its own order: a clone of the emitter, not a lookup by name.
void copiedByCopyFrom(IPropertyOwner*, const IPropertyOwner*)
{
}

PropertyDescriptor notCopiedByTable(PropertyDescriptor property)
{
	property.copier = &copiedByCopyFrom;
	return property;
}

// A colour channel of a particle in 0..1 as an 8-bit value: truncated, clamped, NaN as 0.
u32 toChannel(f32 value)
{
	const f32 scaled = value * 255.f;
	if (!(scaled > 0.f))
		return 0;
	if (scaled >= 255.f)
		return 255;
	return static_cast<u32>(scaled);
}

// An angle in whole degrees: wrapped into one turn first, so that no angle is too large to
// truncate; NaN and infinities as 0.
s32 wholeDegrees(f32 angle)
{
	const f32 wrapped = std::fmod(angle, 360.f);
	return std::isfinite(wrapped) ? static_cast<s32>(wrapped) : 0;
}
} // namespace

ParticleSystemNode::ParticleSystemNode(const ContentReference& reference, BaseNode* parent,
	ISceneManager* sceneManager) :
	BaseNode(reference, parent, sceneManager), m_meshBuffer(adoptRef(new video2d::CMeshBuffer))
{
	setInterval(TIMER_INTERVAL);
	m_material.MaterialType = video2d::MATERIAL_2D_MODULATE;
	m_material.UsedLayers = 1;
	m_material.TextureLayer[0].TrilinearFilter = 1;
	m_material.GouraudShading = 0;
	m_material.Lighting = 0;
	m_material.ZWriteEnable = 0;
	m_material.ZBuffer = 0;
	// Both faces, as every 2D quad: a node that mirrors its particles must still show them.
	m_material.BackfaceCulling = 0;
	// Once, for the pool's whole life: emission and removal never allocate.
	m_particles.reallocate(m_maxParticles);
	m_meshBuffer->PrimitiveType = irr::scene::EPT_TRIANGLES;
	m_meshBuffer->PrimitiveCount = 0;
}

ParticleSystemNode::~ParticleSystemNode()
{
	m_meshBuffer.release();
	releaseEmitter();
	m_material.TextureLayer[0].Texture = nullptr;
	m_atlasTexture.release();
	m_particles.clear();
}

const PropertyTable& ParticleSystemNode::getClassPropertyTable()
{
	// The emitter is read last, once the image and the flags it starts with are set.
	static const PropertyTable& table = makePropertyTable<ParticleSystemNode>(BaseNode::getClassPropertyTable(),
		{
			notCopiedByTable(
				makeProperty<&ParticleSystemNode::setEmitterNameProperty, &ParticleSystemNode::getEmitterNameProperty>(
					"EmitterName")
					.stored()
					.readLast()),
			notCopiedByTable(
				makeProperty<&ParticleSystemNode::setAtlasTexture, &ParticleSystemNode::getAtlasTexture>("AtlasTexture")
					.stored()
					.underKey("ParticleTexture")),
			notCopiedByTable(
				makeProperty<&ParticleSystemNode::setEnabled, &ParticleSystemNode::isEnabled>("Enabled").stored()),
			notCopiedByTable(
				makeProperty<&ParticleSystemNode::setEmitterEnabled, &ParticleSystemNode::isEmitterEnabled>(
					"EmitterEnabled")
					.stored()),
			notCopiedByTable(
				makeProperty<&ParticleSystemNode::setGlobal, &ParticleSystemNode::isGlobal>("Global").stored()),
		});
	return table;
}

void ParticleSystemNode::setEmitterNameProperty(const PropertyHolder& value)
{
	setEmitterName(getPropertyText(value));
}

PropertyHolder ParticleSystemNode::getEmitterNameProperty() const
{
	return createPropertyDataString(getEmitterName());
}

core::stringc ParticleSystemNode::getEmitterName() const
{
	return m_emitter ? m_emitter->getName() : core::stringc();
}

void ParticleSystemNode::setEmitterName(const core::stringc& name)
{
	releaseEmitter();
	CContentManager* manager = dynamic_cast<CContentManager*>(getContentManager());
	if (!manager || name.empty())
		return;
	// Only what a collection put into the cache: particle systems never load emitter files.
	CContent* cached = manager->findContent(CONTENT_TYPE_PARTICLE_EMITTER, ContentReference(manager, name));
	adoptEmitterCloneOf(dynamic_cast<BaseEmitter*>(cached));
}

void ParticleSystemNode::releaseEmitter()
{
	if (!m_emitter)
		return;
	m_emitter->stop();
	m_emitter->setParticles(nullptr);
	m_emitter.release();
}

void ParticleSystemNode::adoptEmitterCloneOf(const BaseEmitter* source)
{
	releaseEmitter();
	if (!source)
		return;
	m_emitter = adoptRef(static_cast<BaseEmitter*>(source->cloneAsContent()));
	m_emitter->setParticles(&m_particles);
	if (m_global)
		m_emitter->setOrigin(absoluteTranslation());
}

core::vector2df ParticleSystemNode::absoluteTranslation() const
{
	const core::matrix4& m = getAbsoluteTransformation();
	return core::vector2df(m[12], m[13]);
}

void ParticleSystemNode::setAtlasTexture(CAtlasTexture* atlasTexture)
{
	m_atlasTexture.assign(atlasTexture);
	if (!atlasTexture)
	{
		// The layer must not keep a texture that the dropped image may have been the last to hold.
		m_material.TextureLayer[0].Texture = nullptr;
		return;
	}
	if (m_material.UsedLayers > 0)
		m_material.TextureLayer[0].Texture = atlasTexture->getTexture();
	writeUV(0);
}

void ParticleSystemNode::writeUV(u32 firstQuad)
{
	if (!m_atlasTexture)
		return;
	const core::rect<f32>& uv = m_atlasTexture->getUVRect();
	const core::vector2df corners[4] = {
		uv.UpperLeftCorner,
		core::vector2df(uv.LowerRightCorner.X, uv.UpperLeftCorner.Y),
		uv.LowerRightCorner,
		core::vector2df(uv.UpperLeftCorner.X, uv.LowerRightCorner.Y),
	};
	video2d::S2DVertex* vertices = m_meshBuffer->Vertices.pointer();
	const u32 quads = m_meshBuffer->Vertices.size() / 4;
	for (u32 q = firstQuad; q < quads; ++q)
		for (u32 corner = 0; corner < 4; ++corner)
			vertices[q * 4 + corner].TCoords = corners[corner];
}

void ParticleSystemNode::setEnabled(bool enabled)
{
	m_enabled = enabled;
	setManager(enabled ? getSceneTimerManager() : nullptr);
}

void ParticleSystemNode::setEmitterEnabled(bool enabled)
{
	m_emitterEnabled = enabled;
	if (!m_emitter)
		return;
	if (m_global)
		m_emitter->setOrigin(absoluteTranslation());
	if (enabled)
		m_emitter->start(getSceneTimerManager());
	else
		m_emitter->stop();
}

bool ParticleSystemNode::update(u32 stepMs)
{
	u32 live = m_particles.size();
	if (live == 0 || !m_atlasTexture)
		return false;
	if (m_emitter && m_global)
		m_emitter->setOrigin(absoluteTranslation());
	const f32 dt = static_cast<f32>(stepMs) * 0.001f;

	Particle* particles = m_particles.pointer();
	u32 i = 0;
	while (i < live)
	{
		Particle& particle = particles[i];
		particle.age = particle.age > 0xFFFFFFFFu - stepMs ? 0xFFFFFFFFu : particle.age + stepMs;
		if (particle.age >= particle.lifeTime)
		{
			// The last one fills the hole and is aged in this same pass.
			particle = particles[live - 1];
			--live;
			continue;
		}
		particle.velocity += particle.acceleration * dt;
		particle.position += particle.velocity * dt;
		particle.angularVelocity += particle.angularAcceleration * dt;
		particle.angle += particle.angularVelocity * dt;
		particle.scale += particle.scaleRate * dt;
		particle.color.r += particle.colorRate.r * dt;
		particle.color.g += particle.colorRate.g * dt;
		particle.color.b += particle.colorRate.b * dt;
		particle.color.a += particle.colorRate.a * dt;
		++i;
	}
	m_particles.set_used(live);

	// The buffer only grows: after the peak no update allocates, and quads past the live ones stay
	// in it undrawn.
	video2d::CMeshBuffer& mesh = *m_meshBuffer;
	mesh.PrimitiveCount = live * 2;
	const u32 vertexCount = live * 4;
	const u32 indexCount = live * 6;
	if (mesh.Vertices.size() < vertexCount || mesh.Indices.size() < indexCount)
	{
		const u32 firstVertex = mesh.Vertices.size() < vertexCount ? mesh.Vertices.size() : vertexCount;
		if (mesh.Vertices.size() < vertexCount)
		{
			mesh.Vertices.set_used(vertexCount);
			for (u32 v = firstVertex; v < vertexCount; ++v)
				mesh.Vertices[v] = video2d::S2DVertex(0.f, 0.f, 0.f, video::SColor(0xFFFFFFFF), 0.f, 0.f);
			writeUV(firstVertex / 4);
		}
		if (mesh.Indices.size() < indexCount)
		{
			const u32 firstQuad = mesh.Indices.size() / 6;
			mesh.Indices.set_used(indexCount);
			u16* indices = mesh.Indices.pointer();
			for (u32 q = firstQuad; q < live; ++q)
			{
				const u16 b = static_cast<u16>(q * 4);
				u16* quad = indices + q * 6;
				quad[0] = b;
				quad[1] = static_cast<u16>(b + 1);
				quad[2] = static_cast<u16>(b + 2);
				quad[3] = b;
				quad[4] = static_cast<u16>(b + 2);
				quad[5] = static_cast<u16>(b + 3);
			}
		}
	}
	buildQuads();
	return true;
}

void ParticleSystemNode::buildQuads()
{
	// The pixel size needs the engine texture's size, which the null driver never makes: particles
	// still age and leave, but there is nothing to measure quads by.
	const CTextureContent* texture = m_atlasTexture->getTexture();
	if (!texture || !texture->getEngineTexture())
		return;
	// The uv rectangle times the texture's own size: uv are fractions of that size, padded or not.
	const core::vector2df frame = m_atlasTexture->getImageSize();
	const video::SColor nodeColor = getAbsoluteColor();
	const Particle* particles = m_particles.const_pointer();
	video2d::S2DVertex* vertices = m_meshBuffer->Vertices.pointer();
	for (u32 k = 0, live = m_particles.size(); k < live; ++k)
	{
		const Particle& particle = particles[k];
		const f32 halfWidth = frame.X * particle.scale * 0.5f;
		const f32 halfHeight = frame.Y * particle.scale * 0.5f;
		const s32 degrees = wholeDegrees(particle.angle);
		core::vector2df a(-halfWidth, -halfHeight);
		core::vector2df b(halfWidth, -halfHeight);
		rotateVector2dByDegrees(a, degrees);
		rotateVector2dByDegrees(b, degrees);
		video2d::S2DVertex* quad = vertices + k * 4;
		quad[0].Pos.X = particle.position.X + a.X;
		quad[0].Pos.Y = particle.position.Y + a.Y;
		quad[1].Pos.X = particle.position.X + b.X;
		quad[1].Pos.Y = particle.position.Y + b.Y;
		quad[2].Pos.X = particle.position.X - a.X;
		quad[2].Pos.Y = particle.position.Y - a.Y;
		quad[3].Pos.X = particle.position.X - b.X;
		quad[3].Pos.Y = particle.position.Y - b.Y;
		const video::SColor own(toChannel(particle.color.a), toChannel(particle.color.r), toChannel(particle.color.g),
			toChannel(particle.color.b));
		const video::SColor color = modulateColor(own, nodeColor);
		for (u32 corner = 0; corner < 4; ++corner)
			quad[corner].Color = color;
	}
}

void ParticleSystemNode::collectChildRenderables(RenderList& list)
{
	BaseNode::collectChildRenderables(list);
	// Both timers stop themselves when idle; a visible node puts them back.
	ITimerManager* timers = getSceneTimerManager();
	if (m_enabled && !getManager() && timers)
		setManager(timers);
	if (m_emitterEnabled && m_emitter && !m_emitter->getManager())
		m_emitter->start(timers);
	if (m_atlasTexture && m_atlasTexture->getTexture() && m_particles.size() > 0)
		list.push_back(SRenderEntry{this, getAbsoluteTransformation()[14], 0});
}

void ParticleSystemNode::render(const SRenderContext& context, const core::rect<f32>*)
{
	video::IVideoDriver* driver = context.driver;
	if (!driver)
		return;
	// What the batch holds was collected before the particles and lies below them.
	context.flush();
	video2d::CVideoDriver2D* layer = video2d::CVideoDriver2D::get(driver);
	if (!layer)
		return;
	if (m_global)
		driver->setTransform(video::ETS_WORLD, video2d::getIdentityMatrix());
	else
	{
		// The depth went into the drawing order; the quads themselves lie at z 0.
		core::matrix4 world = getAbsoluteTransformation();
		world[14] = 0.f;
		driver->setTransform(video::ETS_WORLD, world);
	}
	layer->setMaterial(m_material);
	const video2d::CMeshBuffer& mesh = *m_meshBuffer;
	// Only the live quads' vertices: the buffer keeps its peak, and what lies past them is neither
	// converted nor handed to the driver.
	const u32 usedVertices = core::min_(mesh.getVertexCount(), mesh.PrimitiveCount * 2);
	layer->drawVertexPrimitiveList(mesh.getVertices(), usedVertices, mesh.getIndices(), mesh.PrimitiveCount,
		mesh.PrimitiveType);
	driver->setTransform(video::ETS_WORLD, video2d::getIdentityMatrix());
}

bool ParticleSystemNode::hitTest(const core::vector3df&) const
{
	return false;
}

void ParticleSystemNode::copyFrom(const BaseNode* source, ISceneManager* sceneManager)
{
	BaseNode::copyFrom(source, sceneManager);
	const ParticleSystemNode* other = nodeCast<ParticleSystemNode>(source);
	if (!other || other == this)
		return;
	adoptEmitterCloneOf(other->m_emitter.get());
	m_material = other->m_material;
	setAtlasTexture(other->m_atlasTexture.get());
	setEnabled(other->m_enabled);
	setEmitterEnabled(other->m_emitterEnabled);
	m_global = other->m_global;
}
} // namespace fw
