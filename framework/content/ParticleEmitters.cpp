#include "content/ParticleEmitters.h"

#include "core/CPropertyContainer.h"
#include "core/ITimerManager.h"
#include "core/IXMLReader.h"
#include "core/PropertyAccessors.h"
#include "core/SineTable.h"
#include "platform/CRandomGenerator.h"

#include <cmath>

namespace fw
{
namespace
{
const wchar_t* const PROPERTIES_ELEMENT = L"Properties";
const wchar_t* const EMITTER_ELEMENT = L"ParticleEmitter";
} // namespace

// ---------------------------------------------------------------------------------------------
// BaseEmitter

BaseEmitter::BaseEmitter(const ContentReference& reference) : CContent(reference)
{
	setInterval(TIMER_INTERVAL);
}

BaseEmitter::~BaseEmitter() = default;

const PropertyTable& BaseEmitter::getClassPropertyTable()
{
	static const PropertyTable& table = makePropertyTable<BaseEmitter>(IPropertyOwner::getClassPropertyTable(),
		{
			makeProperty<&BaseEmitter::setNameProperty, &BaseEmitter::getNameProperty>("Name").stored(),
			makeProperty<static_cast<void (BaseEmitter::*)(const core::vector2df&)>(&BaseEmitter::setPPSRange),
				&BaseEmitter::getPPSRange>("PPSRange")
				.stored(),
			makeProperty<static_cast<void (BaseEmitter::*)(const core::vector2df&)>(&BaseEmitter::setLifeTimeRange),
				&BaseEmitter::getLifeTimeRange>("LifeTimeRange")
				.stored(),
		});
	return table;
}

void BaseEmitter::setNameProperty(const PropertyHolder& value)
{
	m_name = getPropertyText(value);
}

PropertyHolder BaseEmitter::getNameProperty() const
{
	return createPropertyDataString(m_name);
}

bool BaseEmitter::start(ITimerManager* manager)
{
	// setManager leaves a timer that is already there on its schedule.
	setManager(manager);
	return true;
}

void BaseEmitter::stop()
{
	setManager(nullptr);
}

void BaseEmitter::copyFrom(const BaseEmitter* source)
{
	if (source && source != this)
		copyPropertyTableValues(this, source);
}

BaseEmitter* BaseEmitter::createSameClass(const ContentReference& reference) const
{
	return new BaseEmitter(reference);
}

CContent* BaseEmitter::cloneAsContent() const
{
	BaseEmitter* copy = createSameClass(m_contentReference);
	copy->copyFrom(this);
	return copy;
}

bool BaseEmitter::emit(u32)
{
	return true;
}

void BaseEmitter::writeProperties(CPropertyContainer* container) const
{
	IPropertyStorable::writeProperties(container);
	writePropertyTable(this, container);
}

void BaseEmitter::readProperties(CPropertyContainer* container)
{
	IPropertyStorable::readProperties(container);
	readPropertyTable(this, container);
}

void BaseEmitter::loadXml(IXMLReader* reader)
{
	if (!reader)
		return;
	while (reader->read())
	{
		const EXmlNodeType type = reader->getNodeType();
		const core::stringw& name = reader->getNodeName();
		if (type == XML_NODE_ELEMENT && name == PROPERTIES_ELEMENT)
		{
			const CRefHolder<CPropertyContainer> container = adoptRef(new CPropertyContainer(getContentManager()));
			container->readFromXml(reader, true, PROPERTIES_ELEMENT);
			readProperties(container.get());
		}
		else if (type == XML_NODE_ELEMENT_END && name == EMITTER_ELEMENT)
			break;
		// An emitter element without content has no closing tag to wait for: what follows it is
		// not this emitter's.
		else if (type == XML_NODE_ELEMENT && name == EMITTER_ELEMENT && reader->isEmptyElement())
			break;
	}
}

f32 BaseEmitter::drawRange(const core::vector2df& range)
{
	return CRandomGeneratorSingleton::Instance().nextFloatInRange(range.X, range.Y);
}

u32 BaseEmitter::toLifeTime(f32 value)
{
	if (!(value > 0.f))
		return 0;
	if (value >= static_cast<f32>(MAX_LIFE_TIME))
		return MAX_LIFE_TIME;
	return static_cast<u32>(value);
}

// ---------------------------------------------------------------------------------------------
// MotionEmitter

const PropertyTable& MotionEmitter::makeTable(PropertyPrototype prototype,
	std::initializer_list<PropertyDescriptor> own)
{
	PropertyTable* table = new PropertyTable;
	copyPropertyTable(*table, BaseEmitter::getClassPropertyTable());
	const u32 first = table->size();
	for (const PropertyDescriptor& descriptor : own)
		table->push_back(descriptor);
	const PropertyDescriptor shared[] = {
		makeProperty<&MotionEmitter::setVelocityXRange, &MotionEmitter::getVelocityXRange>("VelocityXRange").stored(),
		makeProperty<&MotionEmitter::setVelocityYRange, &MotionEmitter::getVelocityYRange>("VelocityYRange").stored(),
		// Files spell the acceleration out; animations use the short names.
		makeProperty<&MotionEmitter::setAccelXRange, &MotionEmitter::getAccelXRange>("AccelXRange")
			.stored()
			.underKey("AccelerationXRange"),
		makeProperty<&MotionEmitter::setAccelYRange, &MotionEmitter::getAccelYRange>("AccelYRange")
			.stored()
			.underKey("AccelerationYRange"),
		makeProperty<&MotionEmitter::setAngleRange, &MotionEmitter::getAngleRange>("AngleRange").stored(),
		makeProperty<&MotionEmitter::setAngVelocityRange, &MotionEmitter::getAngVelocityRange>("AngVelocityRange")
			.stored(),
		makeProperty<&MotionEmitter::setColorStart, &MotionEmitter::getColorStart>("ColorStart").stored(),
		makeProperty<&MotionEmitter::setColorEnd, &MotionEmitter::getColorEnd>("ColorEnd").stored(),
		makeProperty<&MotionEmitter::setColorVariation, &MotionEmitter::getColorVariation>("ColorVariation").stored(),
		makeProperty<&MotionEmitter::setScaleRange, &MotionEmitter::getScaleRange>("ScaleRange").stored(),
		makeProperty<&MotionEmitter::setScaleVariation, &MotionEmitter::getScaleVariation>("ScaleVariation").stored(),
	};
	for (const PropertyDescriptor& descriptor : shared)
		table->push_back(descriptor);
	// Defaults are the initial values of the class the table serves.
	for (u32 i = first; i < table->size(); ++i)
		if ((*table)[i].storage == PROPERTY_STORED_WHEN_CHANGED && !(*table)[i].defaultValue)
			(*table)[i].prototype = prototype;
	orderStoredProperties(*table, first);
	return *table;
}

video::SColorf MotionEmitter::toColorf(video::SColor color)
{
	return video::SColorf(color.getRed() / 255.f, color.getGreen() / 255.f, color.getBlue() / 255.f,
		color.getAlpha() / 255.f);
}

bool MotionEmitter::emit(u32 stepMs)
{
	if (!m_particles)
		return false;
	m_accumulatedTime += static_cast<f32>(stepMs);
	const f32 rate = drawRange(getPPSRange());
	// Only a finite, positive rate comes due: 0 never does, and a negative or NaN one must not turn
	// into a count of particles.
	if (!(rate > 0.f) || !std::isfinite(rate))
		return true;
	const f32 interval = 1000.f / rate;
	const f32 due = std::trunc(m_accumulatedTime / interval);
	if (!(due >= 1.f))
		return true;
	// Consumed before the capacity is looked at: time that finds no free slot is lost, not kept.
	if (std::isfinite(due))
		m_accumulatedTime -= due * interval;
	else
		m_accumulatedTime = 0.f;

	const u32 used = m_particles->size();
	const u32 capacity = m_particles->allocated_size();
	const u32 free = capacity > used ? capacity - used : 0;
	const u32 count = due < static_cast<f32>(free) ? static_cast<u32>(due) : free;
	// Within the reserved capacity: the array never grows here.
	m_particles->set_used(used + count);
	Particle* particles = m_particles->pointer();
	for (u32 i = used; i < used + count; ++i)
		startParticle(particles[i]);
	return true;
}

void MotionEmitter::startParticle(Particle& particle)
{
	// The order of the draws is part of the behaviour: every run from one seed looks the same.
	const core::vector2df offset = drawPlacement();
	particle.age = 0;
	particle.lifeTime = toLifeTime(drawRange(getLifeTimeRange()));
	particle.position = m_origin + offset;
	particle.velocity.X = drawRange(m_velocityXRange);
	particle.velocity.Y = drawRange(m_velocityYRange);
	particle.acceleration.X = drawRange(m_accelXRange);
	particle.acceleration.Y = drawRange(m_accelYRange);
	particle.angle = drawRange(m_angleRange);
	particle.angularVelocity = drawRange(m_angVelocityRange);
	particle.angularAcceleration = 0.f;
	particle.color = toColorf(m_colorStart);
	const f32 lifeSeconds = static_cast<f32>(particle.lifeTime) * 0.001f;
	const video::SColorf end = toColorf(m_colorEnd);
	if (lifeSeconds > 0.f)
	{
		particle.colorRate.r = (end.r - particle.color.r) / lifeSeconds;
		particle.colorRate.g = (end.g - particle.color.g) / lifeSeconds;
		particle.colorRate.b = (end.b - particle.color.b) / lifeSeconds;
		particle.colorRate.a = (end.a - particle.color.a) / lifeSeconds;
	}
	else
	{
		// Removed at its first update, before anyone draws it: no rate needs to be infinite.
		particle.colorRate = video::SColorf(0.f, 0.f, 0.f, 0.f);
	}
	startScale(particle, lifeSeconds);
}

// ---------------------------------------------------------------------------------------------
// PointEmitter

const PropertyTable& PointEmitter::getClassPropertyTable()
{
	static const PropertyTable& table = makeTable(&classPrototype<PointEmitter>,
		{
			makeProperty<&PointEmitter::setRadiusRange, &PointEmitter::getRadiusRange>("RadiusRange").stored(),
		});
	return table;
}

BaseEmitter* PointEmitter::createSameClass(const ContentReference& reference) const
{
	return new PointEmitter(reference);
}

core::vector2df PointEmitter::drawPlacement()
{
	core::vector2df offset(0.f, 0.f);
	const f32 radius = drawRange(m_radiusRange);
	if (radius > 0.f)
	{
		const s32 degrees = static_cast<s32>(CRandomGeneratorSingleton::Instance().nextUInt() % 360);
		offset.X = radius * cosDegrees(degrees);
		offset.Y = radius * sinDegrees(degrees);
	}
	return offset;
}

void PointEmitter::startScale(Particle& particle, f32 lifeSeconds)
{
	const core::vector2df& range = getScaleRange();
	particle.scale = range.X;
	particle.scaleRate = lifeSeconds > 0.f ? (range.Y - range.X) / lifeSeconds : 0.f;
}

// ---------------------------------------------------------------------------------------------
// RectangleEmitter

const PropertyTable& RectangleEmitter::getClassPropertyTable()
{
	static const PropertyTable& table = makeTable(&classPrototype<RectangleEmitter>,
		{
			makeProperty<&RectangleEmitter::setXRange, &RectangleEmitter::getXRange>("XRange").stored(),
			makeProperty<&RectangleEmitter::setYRange, &RectangleEmitter::getYRange>("YRange").stored(),
		});
	return table;
}

BaseEmitter* RectangleEmitter::createSameClass(const ContentReference& reference) const
{
	return new RectangleEmitter(reference);
}

core::vector2df RectangleEmitter::drawPlacement()
{
	const u32 side = CRandomGeneratorSingleton::Instance().nextUInt() % 4;
	const f32 xMin = m_xRange.X;
	const f32 xMax = m_xRange.Y;
	const f32 yMin = m_yRange.X;
	const f32 yMax = m_yRange.Y;
	core::vector2df offset;
	// x is drawn before y on every side.
	switch (side)
	{
	case 0: // below
		offset.X = drawRange(core::vector2df(-xMax, xMax));
		offset.Y = drawRange(core::vector2df(yMin, yMax));
		break;
	case 1: // right
		offset.X = drawRange(core::vector2df(xMin, xMax));
		offset.Y = drawRange(core::vector2df(-yMax, yMax));
		break;
	case 2: // above
		offset.X = drawRange(core::vector2df(-xMax, xMax));
		offset.Y = drawRange(core::vector2df(-yMin, -yMax));
		break;
	default: // left
		offset.X = drawRange(core::vector2df(-xMin, -xMax));
		offset.Y = drawRange(core::vector2df(-yMax, yMax));
		break;
	}
	return offset;
}

void RectangleEmitter::startScale(Particle& particle, f32 lifeSeconds)
{
	const core::vector2df& range = getScaleRange();
	const f32 variation = getScaleVariation();
	particle.scale = drawRange(core::vector2df(range.X - variation, range.X + variation));
	particle.scaleRate = lifeSeconds > 0.f ? (range.Y - particle.scale) / lifeSeconds : 0.f;
}
} // namespace fw
