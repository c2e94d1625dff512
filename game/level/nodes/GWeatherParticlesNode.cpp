#include "level/nodes/GWeatherParticlesNode.h"

#include "core/NodeCasts.h"
#include "core/SineTable.h"
#include "core/TextParsing.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"

#include <cmath>

GWeatherParticlesNode::GWeatherParticlesNode(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	GSpriteParticlesNode(reference, parent, sceneManager, CAPACITY)
{
	m_particles.reserve(CAPACITY);
}

void GWeatherParticlesNode::emit(fw::u32 elapsed)
{
	const fw::u32 periods = takeEmissionPeriods(elapsed, description.PPS);
	const fw::u32 room = CAPACITY - static_cast<fw::u32>(m_particles.size());
	const fw::u32 count = periods < room ? periods : room;
	fw::CRandomGenerator* generator = count ? levelservices::random(this) : nullptr;
	if (!generator)
		return;
	fw::CRandomGenerator& random = *generator;
	const GWeatherParticlesDescription& d = description;
	const fw::f32 scaleX = initialTrackValue(d.ScaleX, 1.f);
	const fw::f32 scaleY = initialTrackValue(d.ScaleY, 1.f);
	const fw::f32 alpha = initialTrackValue(d.ColorA, 1.f);
	for (fw::u32 i = 0; i < count; ++i)
	{
		SParticle p = {};
		const fw::f32 lifetime = random.nextFloatInRange(d.ParticleLifetimeRange.X, d.ParticleLifetimeRange.Y);
		if (!(lifetime > 0.f))
		{
			// Dead at birth: gone at the next update, unseen until then.
			p.age = 1.f;
			m_particles.push_back(p);
			continue;
		}
		p.rate = 1000.f / lifetime;
		p.x = random.nextFloatInRange(d.EmitRectangleXSize.X, d.EmitRectangleXSize.Y);
		p.y = random.nextFloatInRange(-20.f, d.EmitRectangleYSize.X);
		// Heading 270 minus the angle towards the centre point turns (0, speed) onto that line.
		const fw::f32 heading =
			270.f - fw::getVector2dAngleDegrees(fw::core::vector2df(d.CenterPoint.X - p.x, d.CenterPoint.Y - p.y));
		p.angle = heading;
		const fw::f32 speed = random.nextFloatInRange(d.ParticleVelRange.X, d.ParticleVelRange.Y);
		const fw::f64 radians = heading * 3.14159265358979323846 / 180.0;
		p.vx = static_cast<fw::f32>(-speed * std::sin(radians));
		p.vy = static_cast<fw::f32>(speed * std::cos(radians));
		p.angularVelocity = random.nextFloatInRange(d.ParticleAngularVelocityRange.X, d.ParticleAngularVelocityRange.Y);
		fw::core::vector2df normal(-p.vy, p.vx);
		normal.normalize();
		p.nx = normal.X;
		p.ny = normal.Y;
		p.swayAmplitude = random.nextFloatInRange(d.ParticleNormalDeltaRange.X, d.ParticleNormalDeltaRange.Y);
		p.swayPeriod = fw::truncateToInt(
			random.nextFloatInRange(d.ParticleNormalDeltaPeriodRange.X, d.ParticleNormalDeltaPeriodRange.Y));
		p.swayTime = fw::truncateToInt(random.nextFloatInRange(0.f, static_cast<fw::f32>(p.swayPeriod)));
		p.scaleX = scaleX;
		p.scaleY = scaleY;
		p.alpha = alpha;
		p.scaleXCursor = 1;
		p.scaleYCursor = 1;
		p.alphaCursor = 1;
		m_particles.push_back(p);
	}
}

void GWeatherParticlesNode::updateParticles(fw::f32 dt)
{
	const GWeatherParticlesDescription& d = description;
	ageAndMove(m_particles, dt,
		[&d, dt](SParticle& p)
		{
			// In float, as the step came: a 30 ms step is 30 ms, not 29.99999.
			const fw::s64 swayTime = static_cast<fw::s64>(p.swayTime) + fw::truncateToInt(dt * 1000.f);
			p.swayTime = swayTime > p.swayPeriod ? 0 : static_cast<fw::s32>(swayTime);
			stepTrack(d.ScaleX, p.scaleXCursor, p.age, p.scaleX);
			stepTrack(d.ScaleY, p.scaleYCursor, p.age, p.scaleY);
			stepTrack(d.ColorA, p.alphaCursor, p.age, p.alpha);
		});
}

fw::core::vector2df GWeatherParticlesNode::swayedCentre(const SParticle& p)
{
	fw::core::vector2df centre(p.x, p.y);
	if (p.swayPeriod < 1)
		return centre;
	// The cosine of the sway's phase, in whole degrees.
	fw::s64 phase = (static_cast<fw::s64>(p.swayTime) * 360 / p.swayPeriod + 90) % 360;
	if (phase < 0)
		phase += 360;
	const fw::f32 swing = p.scaleX * p.swayAmplitude * fw::sinDegrees(static_cast<fw::s32>(phase));
	centre.X += p.nx * swing;
	centre.Y += p.ny * swing;
	return centre;
}

void GWeatherParticlesNode::fillVertices(fw::video2d::S2DVertex* vertices, fw::f32 frameWidth, fw::f32 frameHeight)
{
	for (size_t k = 0; k < m_particles.size(); ++k)
	{
		const SParticle& p = m_particles[k];
		const fw::core::vector2df at = swayedCentre(p);
		const fw::f32 hw = p.scaleX * 0.5f * frameWidth;
		const fw::f32 hh = 0.5f * p.scaleY * frameHeight;
		const fw::s32 degrees = fw::truncateToInt(p.angle);
		fw::core::vector2df c1(-hw, -hh);
		fw::core::vector2df c2(hw, -hh);
		fw::rotateVector2dByDegrees(c1, degrees);
		fw::rotateVector2dByDegrees(c2, degrees);
		const fw::video::SColor color = particleColor(p.alpha);
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

fw::core::matrix4 GWeatherParticlesNode::getDrawingTransformation() const
{
	fw::core::matrix4 world = getAbsoluteTransformation();
	world[14] = 0.f;
	return world;
}

void GWeatherParticlesNode::copyFrom(const fw::BaseNode* source, fw::ISceneManager* sceneManager)
{
	GSpriteParticlesNode::copyFrom(source, sceneManager);
	if (const GWeatherParticlesNode* weather = fw::nodeCast<GWeatherParticlesNode>(source))
		description = weather->description;
}
