#include "core/CRefHolder.h"
#include "platform/CRandomGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace fw;

namespace
{
CRefHolder<CRandomGenerator> makeGenerator()
{
	return adoptRef(new CRandomGenerator);
}

// One multiply-with-carry step, written out independently of the generator.
struct SMwc
{
	u32 z = 0x38D4B27Cu;
	u32 w = 0x29169588u;
	u32 next()
	{
		z = 36969u * (z & 65535u) + (z >> 16);
		w = 18000u * (w & 65535u) + (w >> 16);
		return (z << 16) + w;
	}
};
} // namespace

TEST(RandomGenerator, TwisterFirstDrawsAreTheSeededWords)
{
	CRefHolder<CRandomGenerator> random = makeGenerator();
	EXPECT_EQ(46662977u, random->next());
	EXPECT_EQ(1228475205u, random->next());
	EXPECT_EQ(930876788u, random->next());
	for (int i = 3; i < 624; ++i)
		random->next();
	// The 625th draw is the published generator's first.
	EXPECT_EQ(3499211612u, random->next());
}

TEST(RandomGenerator, TwisterFollowsTheReferenceSequenceAfterItsFirstRegeneration)
{
	for (u32 seed : {5489u, 1000u, 0u, 0xFFFFFFFFu})
	{
		SCOPED_TRACE(seed);
		CRefHolder<CRandomGenerator> random = makeGenerator();
		random->seed(seed);
		for (u32 i = 0; i < CRandomGenerator::STATE_SIZE; ++i)
			random->next();
		std::mt19937 reference(seed);
		for (int i = 0; i < 2000; ++i) // past a second regeneration
			ASSERT_EQ(reference(), random->next()) << "draw " << i;
	}
}

TEST(RandomGenerator, MultiplyWithCarry)
{
	CRefHolder<CRandomGenerator> random = makeGenerator();
	EXPECT_EQ(1455559574u, random->nextUInt());
	EXPECT_EQ(658525170u, random->nextUInt());
	EXPECT_EQ(2199448833u, random->nextUInt());

	random = makeGenerator();
	SMwc expected;
	for (int i = 0; i < 1000; ++i)
		ASSERT_EQ(expected.next(), random->nextUInt()) << "draw " << i;

	// The seed sets w only; z keeps going, and the Twister is untouched by these draws.
	random->seed(1000);
	expected.w = 1000;
	for (int i = 0; i < 10; ++i)
		EXPECT_EQ(expected.next(), random->nextUInt());
	EXPECT_EQ(makeGenerator()->next(),
		[]
		{
			CRefHolder<CRandomGenerator> other = makeGenerator();
			other->nextUInt();
			return other->next();
		}());
}

TEST(RandomGenerator, SameSeedSameDraws)
{
	CRefHolder<CRandomGenerator> a = makeGenerator();
	CRefHolder<CRandomGenerator> b = makeGenerator();
	a->seed(123456);
	b->seed(123456);
	for (int i = 0; i < 700; ++i)
	{
		ASSERT_EQ(a->next(), b->next());
		ASSERT_EQ(a->nextUInt(), b->nextUInt());
		ASSERT_EQ(a->nextIntInRange(-50, 50), b->nextIntInRange(-50, 50));
		ASSERT_EQ(a->nextFloat(), b->nextFloat());
	}
}

TEST(RandomGenerator, IntegerRanges)
{
	struct SCase
	{
		s32 a;
		s32 b;
		s32 low;
		s32 high; // exclusive
	};
	const SCase cases[] = {{0, 3, 0, 3}, {1, 99, 1, 99}, {-5, 5, -5, 5}, {3, 0, 0, 3}, {10, -10, -10, 10}};
	for (const SCase& c : cases)
	{
		SCOPED_TRACE(testing::Message() << c.a << ", " << c.b);
		CRefHolder<CRandomGenerator> random = makeGenerator();
		SMwc expected;
		const u32 span = static_cast<u32>(c.high - c.low);
		for (int i = 0; i < 500; ++i)
		{
			const s32 value = random->nextIntInRange(c.a, c.b);
			ASSERT_EQ(static_cast<s32>(static_cast<u32>(c.low) + expected.next() % span), value);
			ASSERT_GE(value, c.low);
			ASSERT_LT(value, c.high);
		}
	}

	// An empty range answers its bound and draws nothing.
	CRefHolder<CRandomGenerator> random = makeGenerator();
	EXPECT_EQ(5, random->nextIntInRange(5, 5));
	EXPECT_EQ(-7, random->nextIntInRange(-7, -7));
	EXPECT_EQ(1455559574u, random->nextUInt());
}

TEST(RandomGenerator, FloatsStayBelowOne)
{
	CRefHolder<CRandomGenerator> random = makeGenerator();
	SMwc expected;
	for (int i = 0; i < 1000; ++i)
		ASSERT_EQ(static_cast<f32>(expected.next() / 4294967296.0), random->nextFloat());

	// Five draws bring z to where this seed makes the next draw 0xFFFFFFFF, which would round to 1.
	for (const u32 n : {1u, 7u, 100u, 1024u})
	{
		SCOPED_TRACE(n);
		random = makeGenerator();
		for (int i = 0; i < 5; ++i)
			random->nextUInt();
		random->seed(4120863918u);
		CRefHolder<CRandomGenerator> copy = makeGenerator();
		for (int i = 0; i < 5; ++i)
			copy->nextUInt();
		copy->seed(4120863918u);
		ASSERT_EQ(0xFFFFFFFFu, copy->nextUInt());

		const f32 top = random->nextFloat();
		EXPECT_LT(top, 1.f);
		EXPECT_GT(top, 0.9999999f);
		EXPECT_LT(static_cast<u32>(std::floor(top * static_cast<f32>(n))), n);
	}
}

TEST(RandomGenerator, FloatRanges)
{
	CRefHolder<CRandomGenerator> random = makeGenerator();
	EXPECT_EQ(2.f, random->nextFloatInRange(2.f, 2.f));
	EXPECT_EQ(1455559574u, random->nextUInt()); // nothing was drawn

	random = makeGenerator();
	SMwc expected;
	for (int i = 0; i < 200; ++i)
	{
		const f32 f = static_cast<f32>(expected.next() / 4294967296.0);
		ASSERT_EQ(static_cast<f32>(10.0 + 5.0 * f), random->nextFloatInRange(10.f, 15.f));
		const f32 reversed = random->nextFloatInRange(1.f, -1.f);
		ASSERT_GE(reversed, -1.f);
		ASSERT_LE(reversed, 1.f);
		expected.next();
	}
}

TEST(RandomGenerator, Singleton)
{
	CRandomGenerator& random = CRandomGeneratorSingleton::Instance();
	EXPECT_EQ(&random, &CRandomGeneratorSingleton::Instance());
	random.seed(77);
	CRefHolder<CRandomGenerator> fresh = makeGenerator();
	fresh->seed(77);
	EXPECT_EQ(fresh->next(), random.next());
}
