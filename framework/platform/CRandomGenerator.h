#pragma once

#include "core/CSingleton.h"
#include "core/CoreTypes.h"

namespace fw
{
// The program's random numbers: a Mersenne Twister drawn by next, and a multiply-with-carry pair
// beside it for the ranges and floats.
class CRandomGenerator : public virtual IReferenceCounted
{
public:
	// Seeded with 5489 until the application seeds it again.
	CRandomGenerator();

	// Seeds the Twister and the first multiply-with-carry word; the second keeps its value. The
	// first 624 draws after seeding are the seeded words themselves, tempered.
	void seed(u32 seed);
	// The next Twister output.
	u32 next();
	// Regenerates all Twister words.
	void regenerate();

	// The next multiply-with-carry output.
	u32 nextUInt();
	// A value in [a, b) (reversed bounds are swapped); a, without a draw, when a equals b.
	s32 nextIntInRange(s32 a, s32 b);
	// A value in [0, 1): multiplied by n and rounded down it never gives n.
	f32 nextFloat();
	// a + (b - a) * nextFloat(); a, without a draw, when b - a is 0. Either bound may be the larger.
	f32 nextFloatInRange(f32 a, f32 b);

	static const u32 STATE_SIZE = 624;

private:
	u32 m_state[STATE_SIZE];
	u32 m_index = 0;
	u32 m_w;
	u32 m_z;
};

typedef CSingletonHolder<CRandomGenerator, singleton::CreateWithNewDropAtExit> CRandomGeneratorSingleton;
} // namespace fw
