#include "level/nodes/GHOHintParticlesNode.h"

#include "core/NodeCasts.h"
#include "core/SineTable.h"
#include "core/TextParsing.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"

#include <cmath>

GHOHintParticlesNode::GHOHintParticlesNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	GSpriteParticlesNode(reference, parent, sceneManager, CAPACITY)
{
	m_particles.reserve(CAPACITY);
}

void GHOHintParticlesNode::emit(fw::u32 elapsed)
{
	const fw::u32 bursts = takeEmissionPeriods(elapsed, description.PPS);
	fw::CRandomGenerator* generator = bursts ? levelservices::random(this) : nullptr;
	if (!generator)
		return;
	fw::CRandomGenerator& random = *generator;
	const GHOHintParticlesDescription& d = description;
	for (fw::u32 burst = 0; burst < bursts && m_particles.size() < CAPACITY; ++burst)
	{
		const fw::s32 drawn = fw::truncateToInt(random.nextFloatInRange(d.ParticlesDensity.X, d.ParticlesDensity.Y));
		const fw::u32 room = CAPACITY - static_cast<fw::u32>(m_particles.size());
		const fw::u32 count =
			drawn <= 0 ? 0 : (static_cast<fw::u32>(drawn) > room ? room : static_cast<fw::u32>(drawn));
		if (!count)
			continue;
		// Radians: the burst's ring starts a step past a random phase.
		fw::f32 phase = random.nextFloat() * 360.f;
		const fw::f32 spacing = 6.2831855f / static_cast<fw::f32>(count);
		const fw::f32 angularVelocity = initialTrackValue(d.AngularVelocity, 0.f);
		const fw::f32 scale = initialTrackValue(d.Scale, 1.f);
		const fw::f32 alpha = initialTrackValue(d.ColorA, 1.f);
		for (fw::u32 i = 0; i < count; ++i)
		{
			SParticle p = {};
			const fw::f32 lifetime = random.nextFloatInRange(d.ParticlesLifetimeRange.X, d.ParticlesLifetimeRange.Y);
			if (!(lifetime > 0.f))
			{
				// Dead at birth: gone at the next update, unseen until then.
				p.age = 1.f;
				m_particles.push_back(p);
				continue;
			}
			p.rate = 1000.f / lifetime;
			phase += spacing;
			p.x = random.nextFloatInRange(d.EmitRadiusXRange.X, d.EmitRadiusXRange.Y) * std::cos(phase);
			p.y = random.nextFloatInRange(d.EmitRadiusYRange.X, d.EmitRadiusYRange.Y) * std::sin(phase);
			const fw::f32 speed = random.nextFloatInRange(d.ParticlesVelRange.X, d.ParticlesVelRange.Y);
			fw::core::vector2df velocity(p.x, p.y);
			velocity.normalize();
			p.vx = velocity.X * speed;
			p.vy = velocity.Y * speed;
			p.angularVelocity = angularVelocity;
			p.scale = scale;
			p.alpha = alpha;
			p.angularVelocityCursor = 1;
			p.scaleCursor = 1;
			p.alphaCursor = 1;
			m_particles.push_back(p);
		}
	}
}

void GHOHintParticlesNode::updateParticles(fw::f32 dt)
{
	const GHOHintParticlesDescription& d = description;
	ageAndMove(m_particles, dt,
		[&d](SParticle& p)
		{
			stepTrack(d.AngularVelocity, p.angularVelocityCursor, p.age, p.angularVelocity);
			stepTrack(d.Scale, p.scaleCursor, p.age, p.scale);
			stepTrack(d.ColorA, p.alphaCursor, p.age, p.alpha);
		});
}

void GHOHintParticlesNode::fillVertices(fw::video2d::S2DVertex* vertices, fw::f32 frameWidth, fw::f32 frameHeight)
{
	for (size_t k = 0; k < m_particles.size(); ++k)
	{
		const SParticle& p = m_particles[k];
		const fw::f32 hw = frameWidth * p.scale * 0.5f;
		const fw::f32 hh = frameHeight * p.scale * 0.5f;
		const fw::s32 degrees = fw::truncateToInt(p.angle);
		fw::core::vector2df c1(-hw, -hh);
		fw::core::vector2df c2(hw, -hh);
		fw::rotateVector2dByDegrees(c1, degrees);
		fw::rotateVector2dByDegrees(c2, degrees);
		const fw::video::SColor color = particleColor(p.alpha);
		const fw::core::vector2df at(p.x, p.y);
		const fw::core::vector2df corners[4] = {at + c1, at + c2, at - c1, at - c2};
		fw::video2d::S2DVertex* quad = vertices + 4 * k;
		for (int c = 0; c < 4; ++c)
		{
			quad[c].Pos.X = corners[c].X;
			quad[c].Pos.Y = corners[c].Y;
			quad[c].Color = color;
		}
	}
}

void GHOHintParticlesNode::copyFrom(const fw::BaseNode* source, fw::ISceneManager* sceneManager)
{
	GSpriteParticlesNode::copyFrom(source, sceneManager);
	if (const GHOHintParticlesNode* hint = fw::nodeCast<GHOHintParticlesNode>(source))
		description = hint->description;
}
