#pragma once

#include "core/CContent.h"
#include "core/CTimer.h"
#include "core/IPropertyOwner.h"
#include "core/IPropertyStorable.h"
#include "core/TypeIds.h"

#include <SColor.h>
#include <vector2d.h>

namespace fw
{
class ITimerManager;
class IXMLReader;

constexpr u32 CONTENT_TYPE_PARTICLE_EMITTER = makeContentType('p', 'e', 'm', 't');

// One particle as an emitter starts it and a particle system ages, moves and draws it.
struct Particle
{
	core::vector2df position;
	core::vector2df velocity;     // units per second
	core::vector2df acceleration; // units per second squared
	f32 angle;                    // degrees
	f32 angularVelocity;          // degrees per second
	f32 angularAcceleration;      // degrees per second squared
	f32 scale;
	f32 scaleRate; // per second
	video::SColorf color;
	video::SColorf colorRate; // per second
	u32 age;                  // ms
	u32 lifeTime;             // ms
};

typedef core::array<Particle> ParticleArray;

// Declares the type id and type test, the class names and the property table of an emitter class.
#define FW_EMITTER_CLASS(Class, Base, Id, Name)                                                                        \
	static constexpr s32 TypeId = Id;                                                                                  \
	static constexpr const wchar_t* TypeName = Name;                                                                   \
	const PropertyTable& getPropertyTable() const override                                                             \
	{                                                                                                                  \
		return getClassPropertyTable();                                                                                \
	}                                                                                                                  \
	static const PropertyTable& getClassPropertyTable();                                                               \
	const wchar_t* getClassName() const override                                                                       \
	{                                                                                                                  \
		return TypeName;                                                                                               \
	}                                                                                                                  \
	const wchar_t* getTypeName() const override                                                                        \
	{                                                                                                                  \
		return TypeName;                                                                                               \
	}                                                                                                                  \
	s32 getTypeId() const override                                                                                     \
	{                                                                                                                  \
		return TypeId;                                                                                                 \
	}                                                                                                                  \
	bool isOfType(s32 id) const override                                                                               \
	{                                                                                                                  \
		return id == TypeId || Base::isOfType(id);                                                                     \
	}

// Describes how particles are born ("pemt"): how many per second and how long each lives. While it
// runs it is a timer of 30 ms that turns the elapsed time into new particles, written straight
// into the array of the particle system that owns it (within the array's reserved capacity).
//
// Cached emitters are prototypes: every request, and every particle system that names one, gets a
// clone. The base class has a name, a rate and a life time, and emits nothing.
class BaseEmitter : public IPropertyOwner, public IPropertyStorable, public CContent, public CTimer
{
public:
	static constexpr s32 TypeId = EMITTER_TYPE_BASE;
	static constexpr const wchar_t* TypeName = L"BaseEmitter";
	static constexpr u32 TIMER_INTERVAL = 30;
	// Life times are kept below this, so that ageing by whole steps cannot wrap an age around.
	static constexpr u32 MAX_LIFE_TIME = 0x7FFFFFFF;

	explicit BaseEmitter(const ContentReference& reference);
	~BaseEmitter() override;

	const PropertyTable& getPropertyTable() const override { return getClassPropertyTable(); }
	static const PropertyTable& getClassPropertyTable();
	virtual const wchar_t* getClassName() const { return TypeName; }
	virtual const wchar_t* getTypeName() const { return TypeName; }
	virtual s32 getTypeId() const { return TypeId; }
	virtual bool isOfType(s32 id) const { return id == TypeId; }

	// Moves the timer to the manager (off any other, onto none for null); always true.
	bool start(ITimerManager* manager);
	void stop();
	// Takes the source's values of every property the two classes share; never its origin,
	// particles, time or timer.
	virtual void copyFrom(const BaseEmitter* source);

	// A new emitter of this class with this one's reference and values.
	CContent* cloneAsContent() const override;
	u32 getContentType() const override { return CONTENT_TYPE_PARTICLE_EMITTER; }

	bool onTimer(u32 elapsed) override { return emit(elapsed); }
	// Adds the particles due after stepMs more milliseconds. False without a particle array, which
	// takes the emitter off its timer manager.
	virtual bool emit(u32 stepMs);

	void writeProperties(CPropertyContainer* container) const override;
	void readProperties(CPropertyContainer* container) override;
	// Reads the "Properties" elements of the emitter element the reader has entered, up to its
	// closing tag (an empty "ParticleEmitter" element met on the way ends it too).
	void loadXml(IXMLReader* reader);

	const core::stringc& getName() const { return m_name; }
	void setName(const core::stringc& name) { m_name = name; }
	const core::vector2df& getPPSRange() const { return m_ppsRange; }
	void setPPSRange(const core::vector2df& range) { m_ppsRange = range; }
	void setPPSRange(f32 min, f32 max) { m_ppsRange.set(min, max); }
	const core::vector2df& getLifeTimeRange() const { return m_lifeTimeRange; }
	void setLifeTimeRange(const core::vector2df& range) { m_lifeTimeRange = range; }
	void setLifeTimeRange(f32 min, f32 max) { m_lifeTimeRange.set(min, max); }

	// Set by the particle system that owns the emitter.
	const core::vector2df& getOrigin() const { return m_origin; }
	void setOrigin(const core::vector2df& origin) { m_origin = origin; }
	ParticleArray* getParticles() const { return m_particles; }
	void setParticles(ParticleArray* particles) { m_particles = particles; }
	f32 getAccumulatedTime() const { return m_accumulatedTime; }

	// A value of the range: min when max - min is 0 (no draw), else min + (max - min) x a draw.
	static f32 drawRange(const core::vector2df& range);
	// A drawn life time as whole milliseconds: truncated, below 0 and NaN as 0, capped.
	static u32 toLifeTime(f32 value);

protected:
	// An emitter of the same class with the reference, still at its defaults.
	virtual BaseEmitter* createSameClass(const ContentReference& reference) const;

	f32 m_accumulatedTime = 0.f;
	core::vector2df m_origin = core::vector2df(0.f, 0.f);
	ParticleArray* m_particles = nullptr; // the owner's, not owned

private:
	BaseEmitter(const BaseEmitter&) = delete;
	BaseEmitter& operator=(const BaseEmitter&) = delete;

	// Any value's text; read back as a string.
	void setNameProperty(const PropertyHolder& value);
	PropertyHolder getNameProperty() const;

	core::stringc m_name;
	core::vector2df m_ppsRange = core::vector2df(10.f, 10.f);
	core::vector2df m_lifeTimeRange = core::vector2df(2000.f, 3000.f);
};

// What point and rectangle emitters share: the start values of motion, spin, colour and scale, and
// the emission itself. Each class places its particles and gives them their birth scale.
class MotionEmitter : public BaseEmitter
{
public:
	explicit MotionEmitter(const ContentReference& reference) : BaseEmitter(reference) {}

	bool emit(u32 stepMs) override;

	const core::vector2df& getVelocityXRange() const { return m_velocityXRange; }
	void setVelocityXRange(const core::vector2df& range) { m_velocityXRange = range; }
	const core::vector2df& getVelocityYRange() const { return m_velocityYRange; }
	void setVelocityYRange(const core::vector2df& range) { m_velocityYRange = range; }
	const core::vector2df& getAccelXRange() const { return m_accelXRange; }
	void setAccelXRange(const core::vector2df& range) { m_accelXRange = range; }
	const core::vector2df& getAccelYRange() const { return m_accelYRange; }
	void setAccelYRange(const core::vector2df& range) { m_accelYRange = range; }
	const core::vector2df& getAngleRange() const { return m_angleRange; }
	void setAngleRange(const core::vector2df& range) { m_angleRange = range; }
	const core::vector2df& getAngVelocityRange() const { return m_angVelocityRange; }
	void setAngVelocityRange(const core::vector2df& range) { m_angVelocityRange = range; }
	video::SColor getColorStart() const { return m_colorStart; }
	void setColorStart(video::SColor color) { m_colorStart = color; }
	video::SColor getColorEnd() const { return m_colorEnd; }
	void setColorEnd(video::SColor color) { m_colorEnd = color; }
	// Kept, read, written and copied; no emission uses it.
	f32 getColorVariation() const { return m_colorVariation; }
	void setColorVariation(f32 variation) { m_colorVariation = variation; }
	const core::vector2df& getScaleRange() const { return m_scaleRange; }
	void setScaleRange(const core::vector2df& range) { m_scaleRange = range; }
	f32 getScaleVariation() const { return m_scaleVariation; }
	void setScaleVariation(f32 variation) { m_scaleVariation = variation; }

	// Each channel divided by 255.
	static video::SColorf toColorf(video::SColor color);

protected:
	// The class's own entries, then those every moving emitter has, after the base's.
	static const PropertyTable& makeTable(PropertyPrototype prototype, std::initializer_list<PropertyDescriptor> own);

	// The offset of a new particle from the origin, drawn.
	virtual core::vector2df drawPlacement() = 0;
	// The birth scale and its rate over a life of lifeSeconds (0: the particle leaves unseen).
	virtual void startScale(Particle& particle, f32 lifeSeconds) = 0;

private:
	void startParticle(Particle& particle);

	core::vector2df m_velocityXRange = core::vector2df(0.f, 0.f);
	core::vector2df m_velocityYRange = core::vector2df(0.f, 0.f);
	core::vector2df m_accelXRange = core::vector2df(0.f, 0.f);
	core::vector2df m_accelYRange = core::vector2df(0.f, 0.f);
	core::vector2df m_angleRange = core::vector2df(0.f, 0.f);
	core::vector2df m_angVelocityRange = core::vector2df(0.f, 0.f);
	video::SColor m_colorStart = video::SColor(0xFFFFFFFF);
	video::SColor m_colorEnd = video::SColor(0xFFFFFFFF);
	f32 m_colorVariation = 0.f;
	core::vector2df m_scaleRange = core::vector2df(1.f, 1.f);
	f32 m_scaleVariation = 0.f;
};

// Particles at a drawn distance from the origin, in a whole-degree direction drawn with it; each
// starts at the first scale of ScaleRange.
class PointEmitter : public MotionEmitter
{
public:
	FW_EMITTER_CLASS(PointEmitter, BaseEmitter, EMITTER_TYPE_POINT, L"PointEmitter")

	explicit PointEmitter(const ContentReference& reference) : MotionEmitter(reference) {}

	const core::vector2df& getRadiusRange() const { return m_radiusRange; }
	void setRadiusRange(const core::vector2df& range) { m_radiusRange = range; }

protected:
	BaseEmitter* createSameClass(const ContentReference& reference) const override;
	core::vector2df drawPlacement() override;
	void startScale(Particle& particle, f32 lifeSeconds) override;

private:
	core::vector2df m_radiusRange = core::vector2df(0.f, 0.f);
};

// Particles in one of four bands around the origin, the band drawn first: below, right, above or
// left, each XRange and YRange wide inside out (inner 0: the whole rectangle). The birth scale
// spreads by ScaleVariation around the first scale of ScaleRange; every particle ends at the
// second.
class RectangleEmitter : public MotionEmitter
{
public:
	FW_EMITTER_CLASS(RectangleEmitter, BaseEmitter, EMITTER_TYPE_RECTANGLE, L"RectangleEmitter")

	explicit RectangleEmitter(const ContentReference& reference) : MotionEmitter(reference) {}

	const core::vector2df& getXRange() const { return m_xRange; }
	void setXRange(const core::vector2df& range) { m_xRange = range; }
	const core::vector2df& getYRange() const { return m_yRange; }
	void setYRange(const core::vector2df& range) { m_yRange = range; }

protected:
	BaseEmitter* createSameClass(const ContentReference& reference) const override;
	core::vector2df drawPlacement() override;
	void startScale(Particle& particle, f32 lifeSeconds) override;

private:
	core::vector2df m_xRange = core::vector2df(0.f, 0.f);
	core::vector2df m_yRange = core::vector2df(0.f, 0.f);
};
} // namespace fw
