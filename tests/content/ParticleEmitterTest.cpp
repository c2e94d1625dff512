#include "ContentTestSupport.h"

#include "content/CEmitterFactory.h"
#include "content/ParticleEmitters.h"
#include "core/SineTable.h"
#include "platform/CRandomGenerator.h"
#include "platform/CTimerManager.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace fw;

namespace
{
CRandomGenerator& sharedRandom()
{
	return CRandomGeneratorSingleton::Instance();
}

// An emitter writing into a pool of its own, with a generator state to replay its draws from.
template <class T>
struct SEmitterRig
{
	explicit SEmitterRig(u32 capacity = 500) : emitter(adoptRef(new T(ContentReference())))
	{
		sharedRandom().seed(20240601);
		pool.reallocate(capacity);
		emitter->setParticles(&pool);
	}

	// What the shared generator will draw next, for the test to predict the emitter's draws.
	CRandomGenerator snapshot() const { return sharedRandom(); }

	CRefHolder<T> emitter;
	ParticleArray pool;
};

// The fields of one particle as the emission order draws them from the generator.
Particle expectedParticle(CRandomGenerator& replay, const MotionEmitter& emitter, const core::vector2df& offset)
{
	Particle p;
	p.age = 0;
	const f32 life = replay.nextFloatInRange(emitter.getLifeTimeRange().X, emitter.getLifeTimeRange().Y);
	p.lifeTime = static_cast<u32>(life);
	p.position = emitter.getOrigin() + offset;
	p.velocity.X = replay.nextFloatInRange(emitter.getVelocityXRange().X, emitter.getVelocityXRange().Y);
	p.velocity.Y = replay.nextFloatInRange(emitter.getVelocityYRange().X, emitter.getVelocityYRange().Y);
	p.acceleration.X = replay.nextFloatInRange(emitter.getAccelXRange().X, emitter.getAccelXRange().Y);
	p.acceleration.Y = replay.nextFloatInRange(emitter.getAccelYRange().X, emitter.getAccelYRange().Y);
	p.angle = replay.nextFloatInRange(emitter.getAngleRange().X, emitter.getAngleRange().Y);
	p.angularVelocity = replay.nextFloatInRange(emitter.getAngVelocityRange().X, emitter.getAngVelocityRange().Y);
	p.angularAcceleration = 0.f;
	const video::SColor start = emitter.getColorStart();
	const video::SColor end = emitter.getColorEnd();
	p.color = video::SColorf(start.getRed() / 255.f, start.getGreen() / 255.f, start.getBlue() / 255.f,
		start.getAlpha() / 255.f);
	const f32 seconds = p.lifeTime * 0.001f;
	p.colorRate =
		video::SColorf((end.getRed() / 255.f - p.color.r) / seconds, (end.getGreen() / 255.f - p.color.g) / seconds,
			(end.getBlue() / 255.f - p.color.b) / seconds, (end.getAlpha() / 255.f - p.color.a) / seconds);
	return p;
}

void expectSameParticle(const Particle& expected, const Particle& actual)
{
	EXPECT_EQ(expected.age, actual.age);
	EXPECT_EQ(expected.lifeTime, actual.lifeTime);
	EXPECT_EQ(expected.position, actual.position);
	EXPECT_EQ(expected.velocity, actual.velocity);
	EXPECT_EQ(expected.acceleration, actual.acceleration);
	EXPECT_EQ(expected.angle, actual.angle);
	EXPECT_EQ(expected.angularVelocity, actual.angularVelocity);
	EXPECT_EQ(expected.angularAcceleration, actual.angularAcceleration);
	EXPECT_EQ(expected.scale, actual.scale);
	EXPECT_EQ(expected.scaleRate, actual.scaleRate);
	for (int c = 0; c < 4; ++c)
	{
		EXPECT_EQ((&expected.color.r)[c], (&actual.color.r)[c]) << "colour channel " << c;
		EXPECT_EQ((&expected.colorRate.r)[c], (&actual.colorRate.r)[c]) << "colour rate channel " << c;
	}
}

void giveMotion(MotionEmitter& emitter)
{
	emitter.setOrigin(core::vector2df(100.f, 50.f));
	emitter.setLifeTimeRange(500.f, 1500.f);
	emitter.setVelocityXRange(core::vector2df(-20.f, 20.f));
	emitter.setVelocityYRange(core::vector2df(-80.f, -40.f));
	emitter.setAccelXRange(core::vector2df(0.f, 3.f));
	emitter.setAccelYRange(core::vector2df(98.f, 99.f));
	emitter.setAngleRange(core::vector2df(0.f, 360.f));
	emitter.setAngVelocityRange(core::vector2df(-90.f, 90.f));
	emitter.setColorStart(video::SColor(255, 255, 200, 0));
	emitter.setColorEnd(video::SColor(0, 255, 0, 0));
	emitter.setScaleRange(core::vector2df(1.f, 3.f));
	emitter.setScaleVariation(0.5f);
	emitter.setPPSRange(100.f, 100.f);
}
} // namespace

TEST(ParticleEmitterTest, RatesTurnTimerTimeIntoParticles)
{
	// 10 per second on 30 ms ticks: one particle per 100 ms of timer time, the rest kept.
	SEmitterRig<PointEmitter> rig;
	struct STick
	{
		u32 count;
		f32 kept;
	};
	const STick ticks[] = {{0, 30}, {0, 60}, {0, 90}, {1, 20}, {1, 50}, {1, 80}, {2, 10}, {2, 40}, {2, 70}, {3, 0}};
	for (u32 i = 0; i < sizeof(ticks) / sizeof(ticks[0]); ++i)
	{
		SCOPED_TRACE(i + 1);
		EXPECT_TRUE(rig.emitter->emit(30));
		EXPECT_EQ(ticks[i].count, rig.pool.size());
		EXPECT_FLOAT_EQ(ticks[i].kept, rig.emitter->getAccumulatedTime());
	}

	// No rate, or none that is a positive number, never comes due; the time keeps growing.
	const core::vector2df silent[] = {{0.f, 0.f}, {-10.f, -10.f}, {std::nanf(""), 5.f},
		{std::numeric_limits<f32>::infinity(), std::numeric_limits<f32>::infinity()}};
	for (const core::vector2df& pps : silent)
	{
		SCOPED_TRACE(pps.X);
		SEmitterRig<RectangleEmitter> quiet(4);
		quiet.emitter->setPPSRange(pps);
		for (int tick = 0; tick < 100; ++tick)
			EXPECT_TRUE(quiet.emitter->emit(30));
		EXPECT_EQ(0u, quiet.pool.size());
		EXPECT_EQ(4u, quiet.pool.allocated_size()) << "the pool never grows";
		EXPECT_FLOAT_EQ(3000.f, quiet.emitter->getAccumulatedTime());
	}
}

TEST(ParticleEmitterTest, AFullPoolTakesWhatFitsAndTheTimeOfAllThatWasDue)
{
	SEmitterRig<PointEmitter> rig(5);
	rig.emitter->setPPSRange(100.f, 100.f);
	rig.pool.set_used(3);
	// 50 ms at 10 ms per particle: 5 due, 2 free.
	EXPECT_TRUE(rig.emitter->emit(50));
	EXPECT_EQ(5u, rig.pool.size());
	EXPECT_EQ(5u, rig.pool.allocated_size());
	EXPECT_FLOAT_EQ(0.f, rig.emitter->getAccumulatedTime());
	EXPECT_TRUE(rig.emitter->emit(50));
	EXPECT_EQ(5u, rig.pool.size()) << "nothing is written past the pool's capacity";

	// A rate so large that the count is not a number any integer holds fills the pool and no more.
	SEmitterRig<RectangleEmitter> flood(7);
	flood.emitter->setPPSRange(1e30f, 1e30f);
	EXPECT_TRUE(flood.emitter->emit(30));
	EXPECT_EQ(7u, flood.pool.size());
	EXPECT_TRUE(std::isfinite(flood.emitter->getAccumulatedTime()));

	// Without a particle array the timer manager is told to drop the emitter.
	const CRefHolder<PointEmitter> orphan = adoptRef(new PointEmitter(ContentReference()));
	EXPECT_FALSE(orphan->emit(30));
	const CRefHolder<BaseEmitter> plain = adoptRef(new BaseEmitter(ContentReference()));
	plain->setParticles(&rig.pool);
	EXPECT_TRUE(plain->emit(1000));
}

TEST(ParticleEmitterTest, PointParticlesTakeTheirFieldsFromTheDrawsInOrder)
{
	SEmitterRig<PointEmitter> rig;
	giveMotion(*rig.emitter);
	rig.emitter->setRadiusRange(core::vector2df(10.f, 10.f));
	CRandomGenerator replay = rig.snapshot();
	// 30 ms at 100 per second: 3 particles.
	ASSERT_TRUE(rig.emitter->emit(30));
	ASSERT_EQ(3u, rig.pool.size());
	for (u32 i = 0; i < 3; ++i)
	{
		SCOPED_TRACE(i);
		// The radius range is fixed: no draw for it, one for the direction.
		const s32 degrees = static_cast<s32>(replay.nextUInt() % 360);
		const core::vector2df offset(10.f * cosDegrees(degrees), 10.f * sinDegrees(degrees));
		Particle expected = expectedParticle(replay, *rig.emitter, offset);
		// The point emitter starts every particle at the first scale and ignores the variation.
		expected.scale = 1.f;
		expected.scaleRate = 2.f / (expected.lifeTime * 0.001f);
		expectSameParticle(expected, rig.pool[i]);
		EXPECT_NEAR(10.f, (rig.pool[i].position - rig.emitter->getOrigin()).getLength(), 1e-4f) << "on the circle";
	}
	EXPECT_EQ(replay.nextUInt(), sharedRandom().nextUInt()) << "the emitter drew exactly what the replay did";

	// A radius of 0 puts the particle on the origin and draws no direction.
	SEmitterRig<PointEmitter> centred;
	centred.emitter->setOrigin(core::vector2df(7.f, 8.f));
	centred.emitter->setPPSRange(100.f, 100.f);
	CRandomGenerator before = centred.snapshot();
	ASSERT_TRUE(centred.emitter->emit(10));
	ASSERT_EQ(1u, centred.pool.size());
	EXPECT_EQ(core::vector2df(7.f, 8.f), centred.pool[0].position);
	before.nextFloat(); // the life time, the one range that is not fixed
	EXPECT_EQ(before.nextUInt(), sharedRandom().nextUInt());
}

TEST(ParticleEmitterTest, RectangleParticlesLieInTheirSidesBandAndSpreadTheirBirthScale)
{
	SEmitterRig<RectangleEmitter> rig;
	giveMotion(*rig.emitter);
	rig.emitter->setXRange(core::vector2df(20.f, 50.f));
	rig.emitter->setYRange(core::vector2df(10.f, 30.f));
	CRandomGenerator replay = rig.snapshot();
	u32 perSide[4] = {0, 0, 0, 0};
	for (int tick = 0; tick < 40; ++tick)
	{
		const u32 before = rig.pool.size();
		ASSERT_TRUE(rig.emitter->emit(30));
		for (u32 i = before; i < rig.pool.size(); ++i)
		{
			const u32 side = replay.nextUInt() % 4;
			++perSide[side];
			core::vector2df offset;
			const core::vector2df bands[4][2] = {{{-50.f, 50.f}, {10.f, 30.f}}, {{20.f, 50.f}, {-30.f, 30.f}},
				{{-50.f, 50.f}, {-10.f, -30.f}}, {{-20.f, -50.f}, {-30.f, 30.f}}};
			offset.X = replay.nextFloatInRange(bands[side][0].X, bands[side][0].Y);
			offset.Y = replay.nextFloatInRange(bands[side][1].X, bands[side][1].Y);
			Particle expected = expectedParticle(replay, *rig.emitter, offset);
			expected.scale = replay.nextFloatInRange(0.5f, 1.5f);
			expected.scaleRate = (3.f - expected.scale) / (expected.lifeTime * 0.001f);
			SCOPED_TRACE(i);
			expectSameParticle(expected, rig.pool[i]);

			// The band of the side: below, right, above, left of the origin, the inner frame empty.
			const core::vector2df d = rig.pool[i].position - rig.emitter->getOrigin();
			const bool inBand[4] = {d.X >= -50 && d.X <= 50 && d.Y >= 10 && d.Y <= 30,
				d.X >= 20 && d.X <= 50 && d.Y >= -30 && d.Y <= 30, d.X >= -50 && d.X <= 50 && d.Y >= -30 && d.Y <= -10,
				d.X >= -50 && d.X <= -20 && d.Y >= -30 && d.Y <= 30};
			EXPECT_TRUE(inBand[side]) << "side " << side << " at " << d.X << ", " << d.Y;
			EXPECT_GE(rig.pool[i].scale, 0.5f);
			EXPECT_LE(rig.pool[i].scale, 1.5f);
			EXPECT_NEAR(3.f, rig.pool[i].scale + rig.pool[i].scaleRate * rig.pool[i].lifeTime * 0.001f, 1e-4f)
				<< "every particle ends at the second scale";
		}
		rig.pool.set_used(0);
	}
	for (u32 side = 0; side < 4; ++side)
		EXPECT_GT(perSide[side], 0u) << "side " << side;

	// Zero ranges put every particle on the origin, yet the side is drawn.
	SEmitterRig<RectangleEmitter> flat;
	flat.emitter->setOrigin(core::vector2df(3.f, 4.f));
	flat.emitter->setPPSRange(100.f, 100.f);
	flat.emitter->setLifeTimeRange(1000.f, 1000.f);
	CRandomGenerator before = flat.snapshot();
	ASSERT_TRUE(flat.emitter->emit(10));
	ASSERT_EQ(1u, flat.pool.size());
	EXPECT_EQ(core::vector2df(3.f, 4.f), flat.pool[0].position);
	EXPECT_EQ(1.f, flat.pool[0].scale);
	before.nextUInt(); // the side
	EXPECT_EQ(before.nextUInt(), sharedRandom().nextUInt());
}

TEST(ParticleEmitterTest, LifeTimesAreWholeBoundedMilliseconds)
{
	struct SCase
	{
		f32 drawn;
		u32 lifeTime;
	};
	const SCase cases[] = {{999.9f, 999}, {0.f, 0}, {-250.f, 0}, {std::nanf(""), 0},
		{1e20f, BaseEmitter::MAX_LIFE_TIME}, {-std::numeric_limits<f32>::infinity(), 0}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(c.drawn);
		EXPECT_EQ(c.lifeTime, BaseEmitter::toLifeTime(c.drawn));
		SEmitterRig<PointEmitter> rig;
		rig.emitter->setLifeTimeRange(c.drawn, c.drawn);
		rig.emitter->setPPSRange(100.f, 100.f);
		rig.emitter->setColorEnd(video::SColor(0));
		rig.emitter->setScaleRange(core::vector2df(1.f, 2.f));
		ASSERT_TRUE(rig.emitter->emit(10));
		ASSERT_EQ(1u, rig.pool.size());
		EXPECT_EQ(c.lifeTime, rig.pool[0].lifeTime);
		// A particle that leaves at its first update gets no rates that are not numbers.
		EXPECT_TRUE(std::isfinite(rig.pool[0].scaleRate));
		EXPECT_TRUE(std::isfinite(rig.pool[0].colorRate.a));
	}
}

TEST(ParticleEmitterTest, PropertiesByNameAndInFilesShareEveryKeyButTheAcceleration)
{
	const CRefHolder<PointEmitter> point = adoptRef(new PointEmitter(ContentReference()));
	const PropertyTable& table = point->getPropertyTable();
	const char* const expectedOrder[] = {"Name", "PPSRange", "LifeTimeRange", "RadiusRange", "VelocityXRange",
		"VelocityYRange", "AccelXRange", "AccelYRange", "AngleRange", "AngVelocityRange", "ColorStart", "ColorEnd",
		"ColorVariation", "ScaleRange", "ScaleVariation"};
	ASSERT_EQ(sizeof(expectedOrder) / sizeof(expectedOrder[0]), table.size());
	for (u32 i = 0; i < table.size(); ++i)
		EXPECT_STREQ(expectedOrder[i], table[i].name.c_str());
	EXPECT_EQ(-1, findPropertyIndex(table, "AccelerationXRange")) << "files' key is no table key";
	const CRefHolder<RectangleEmitter> rectangle = adoptRef(new RectangleEmitter(ContentReference()));
	EXPECT_STREQ("XRange", rectangle->getPropertyTable()[3].name.c_str());
	EXPECT_STREQ("YRange", rectangle->getPropertyTable()[4].name.c_str());
	EXPECT_EQ(3u, BaseEmitter::getClassPropertyTable().size());

	// By name: the short key animates the acceleration; a value of another type stores zero.
	const s32 accel = findPropertyIndex(table, "AccelXRange");
	table[static_cast<u32>(accel)].setter(point.get(), makePropertyDataVector2d(core::vector2df(1.f, 2.f)));
	EXPECT_EQ(core::vector2df(1.f, 2.f), point->getAccelXRange());
	table[static_cast<u32>(findPropertyIndex(table, "ColorStart"))].setter(point.get(), createPropertyDataInt(7));
	EXPECT_EQ(0u, point->getColorStart().color);
	table[0].setter(point.get(), createPropertyDataInt(42));
	EXPECT_STREQ("42", point->getName().c_str()) << "the name takes any value's text";

	// Files: the long key is read, the short one ignored.
	const CRefHolder<CPropertyContainer> file = adoptRef(new CPropertyContainer(nullptr));
	file->addVector2d("AccelXRange", core::vector2df(5.f, 5.f));
	file->addVector2d("AccelerationYRange", core::vector2df(6.f, 7.f));
	file->addInt("PPSRange", 3);
	point->readProperties(file.get());
	EXPECT_EQ(core::vector2df(1.f, 2.f), point->getAccelXRange());
	EXPECT_EQ(core::vector2df(6.f, 7.f), point->getAccelYRange());
	EXPECT_EQ(core::vector2df(0.f, 0.f), point->getPPSRange()) << "a value of another type stores zero";
	EXPECT_EQ(core::vector2df(2000.f, 3000.f), point->getLifeTimeRange()) << "absent keys change nothing";

	// Written: what differs from the defaults, under the file keys.
	const CRefHolder<PointEmitter> fresh = adoptRef(new PointEmitter(ContentReference()));
	const CRefHolder<CPropertyContainer> defaults = adoptRef(new CPropertyContainer(nullptr));
	fresh->writeProperties(defaults.get());
	EXPECT_EQ(0u, defaults->getItemCount());
	fresh->setName("Spark");
	fresh->setAccelXRange(core::vector2df(0.f, 1.f));
	fresh->setScaleVariation(0.25f);
	const CRefHolder<CPropertyContainer> written = adoptRef(new CPropertyContainer(nullptr));
	fresh->writeProperties(written.get());
	ASSERT_EQ(3u, written->getItemCount());
	EXPECT_STREQ("Name", written->getNameAt(0).c_str());
	EXPECT_STREQ("AccelerationXRange", written->getNameAt(1).c_str());
	EXPECT_STREQ("ScaleVariation", written->getNameAt(2).c_str());
	EXPECT_EQ(PDT_FLOAT, written->getValueAt(2)->getTypeId());
}

TEST(ParticleEmitterTest, ClonesAndCopiesTakeValuesButNoTimePoolOrTimer)
{
	const CRefHolder<CTimerManager> timers = adoptRef(new CTimerManager);
	SEmitterRig<RectangleEmitter> rig;
	giveMotion(*rig.emitter);
	rig.emitter->setName("Sparks");
	rig.emitter->setXRange(core::vector2df(1.f, 2.f));
	rig.emitter->setColorVariation(0.3f);
	EXPECT_TRUE(rig.emitter->start(timers.get()));
	EXPECT_TRUE(rig.emitter->start(timers.get()));
	EXPECT_EQ(timers.get(), rig.emitter->getManager());
	EXPECT_EQ(1u, timers->getTimerCount()) << "a second start on the same manager adds nothing";
	timers->update(45);
	EXPECT_GT(rig.pool.size(), 0u);

	const CRefHolder<CContent> content = adoptRef(rig.emitter->cloneAsContent());
	RectangleEmitter* clone = dynamic_cast<RectangleEmitter*>(content.get());
	ASSERT_NE(nullptr, clone);
	EXPECT_EQ(EMITTER_TYPE_RECTANGLE, clone->getTypeId());
	EXPECT_TRUE(clone->isOfType(EMITTER_TYPE_BASE));
	EXPECT_FALSE(clone->isOfType(EMITTER_TYPE_POINT));
	EXPECT_STREQ(L"RectangleEmitter", clone->getClassName());
	EXPECT_EQ(CONTENT_TYPE_PARTICLE_EMITTER, clone->getContentType());
	EXPECT_EQ(0u, clone->getContentFlags()) << "cached emitters are prototypes";
	EXPECT_STREQ("Sparks", clone->getName().c_str());
	EXPECT_EQ(core::vector2df(1.f, 2.f), clone->getXRange());
	EXPECT_EQ(0.3f, clone->getColorVariation());
	EXPECT_EQ(core::vector2df(98.f, 99.f), clone->getAccelYRange());
	EXPECT_EQ(0.f, clone->getAccumulatedTime());
	EXPECT_EQ(nullptr, clone->getParticles());
	EXPECT_EQ(nullptr, clone->getManager());
	EXPECT_EQ(core::vector2df(0.f, 0.f), clone->getOrigin());

	// Across classes only the base's properties pass.
	const CRefHolder<PointEmitter> point = adoptRef(new PointEmitter(ContentReference()));
	point->copyFrom(clone);
	EXPECT_STREQ("Sparks", point->getName().c_str());
	EXPECT_EQ(core::vector2df(100.f, 100.f), point->getPPSRange());
	EXPECT_EQ(core::vector2df(0.f, 0.f), point->getVelocityXRange());
	EXPECT_EQ(core::vector2df(0.f, 0.f), point->getRadiusRange());

	rig.emitter->stop();
	EXPECT_EQ(nullptr, rig.emitter->getManager());
	timers->update(30);
	EXPECT_EQ(0u, timers->getTimerCount());
}

TEST(ParticleEmitterTest, TheFactoryKnowsPointAndRectangleEmittersOnly)
{
	CEmitterFactory& factory = CEmitterFactory::Instance();
	EXPECT_EQ(&factory, &CEmitterFactory::Instance());
	const ContentReference reference(nullptr, "made");
	struct SCase
	{
		const wchar_t* name;
		s32 typeId;
	};
	const SCase cases[] = {{L"PointEmitter", EMITTER_TYPE_POINT}, {L"RectangleEmitter", EMITTER_TYPE_RECTANGLE},
		{L"BaseEmitter", -1}, {L"pointemitter", -1}, {L"", -1}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(core::stringc(c.name).c_str());
		const CRefHolder<BaseEmitter> emitter = adoptRef(factory.create(c.name, reference));
		if (c.typeId < 0)
		{
			EXPECT_FALSE(emitter);
			continue;
		}
		ASSERT_TRUE(emitter);
		EXPECT_EQ(c.typeId, emitter->getTypeId());
		EXPECT_EQ(reference.nameId, emitter->getContentReference().nameId);
		EXPECT_EQ(1, emitter->getReferenceCount());
	}
}
