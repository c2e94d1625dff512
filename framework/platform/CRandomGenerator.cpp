#include "platform/CRandomGenerator.h"

#include <cmath>

namespace fw
{
namespace
{
const u32 SHIFT_SPAN = 397;
const u32 MATRIX_A = 0x9908B0DFu;
const u32 UPPER_MASK = 0x80000000u;
const u32 LOWER_MASK = 0x7FFFFFFFu;
} // namespace

CRandomGenerator::CRandomGenerator()
{
	seed(5489);
	m_w = 0x29169588u;
	m_z = 0x38D4B27Cu;
}

void CRandomGenerator::seed(u32 seed)
{
	m_state[0] = seed;
	for (u32 i = 1; i < STATE_SIZE; ++i)
		m_state[i] = 1812433253u * (m_state[i - 1] ^ (m_state[i - 1] >> 30)) + i;
	m_index = 0;
	m_w = seed;
}

u32 CRandomGenerator::next()
{
	if (m_index >= STATE_SIZE)
		regenerate();
	u32 y = m_state[m_index++];
	y ^= y >> 11;
	y ^= (y << 7) & 0x9D2C5680u;
	y ^= (y << 15) & 0xEFC60000u;
	y ^= y >> 18;
	return y;
}

void CRandomGenerator::regenerate()
{
	for (u32 i = 0; i < STATE_SIZE; ++i)
	{
		const u32 y = (m_state[i] & UPPER_MASK) | (m_state[(i + 1) % STATE_SIZE] & LOWER_MASK);
		m_state[i] = m_state[(i + SHIFT_SPAN) % STATE_SIZE] ^ (y >> 1) ^ ((y & 1u) ? MATRIX_A : 0u);
	}
	m_index = 0;
}

u32 CRandomGenerator::nextUInt()
{
	m_z = 36969u * (m_z & 0xFFFFu) + (m_z >> 16);
	m_w = 18000u * (m_w & 0xFFFFu) + (m_w >> 16);
	return (m_z << 16) + m_w;
}

s32 CRandomGenerator::nextIntInRange(s32 a, s32 b)
{
	if (b < a)
	{
		const s32 t = a;
		a = b;
		b = t;
	}
	const u32 span = static_cast<u32>(b) - static_cast<u32>(a);
	if (span == 0)
		return a;
	return static_cast<s32>(static_cast<u32>(a) + nextUInt() % span);
}

f32 CRandomGenerator::nextFloat()
{
	const f32 value = static_cast<f32>(static_cast<f64>(nextUInt()) * (1.0 / 4294967296.0));
	// The top 128 draws round up to 1; they become the largest float below it.
	return value < 1.f ? value : std::nextafter(1.f, 0.f);
}

f32 CRandomGenerator::nextFloatInRange(f32 a, f32 b)
{
	const f32 span = b - a;
	if (span == 0.f)
		return a;
	return static_cast<f32>(a + static_cast<f64>(span) * nextFloat());
}
} // namespace fw
