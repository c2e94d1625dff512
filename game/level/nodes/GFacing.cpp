#include "level/nodes/GFacing.h"

#include "core/CNameTable.h"

#include <cmath>

namespace
{
struct SFacingSector
{
	fw::f32 upperBound;
	fw::s32 (*nameId)();
};
} // namespace

fw::s32 nameIdRight()
{
	static const fw::s32 id = fw::nameId("Right");
	return id;
}

fw::s32 nameIdRightUp()
{
	static const fw::s32 id = fw::nameId("RightUp");
	return id;
}

fw::s32 nameIdUp()
{
	static const fw::s32 id = fw::nameId("Up");
	return id;
}

fw::s32 nameIdLeftUp()
{
	static const fw::s32 id = fw::nameId("LeftUp");
	return id;
}

fw::s32 nameIdLeft()
{
	static const fw::s32 id = fw::nameId("Left");
	return id;
}

fw::s32 nameIdLeftDown()
{
	static const fw::s32 id = fw::nameId("LeftDown");
	return id;
}

fw::s32 nameIdDown()
{
	static const fw::s32 id = fw::nameId("Down");
	return id;
}

fw::s32 nameIdRightDown()
{
	static const fw::s32 id = fw::nameId("RightDown");
	return id;
}

fw::s32 directionStateName(fw::f32 dx, fw::f32 dy)
{
	static const SFacingSector sectors[] = {
		{15.f, &nameIdRight},
		{75.f, &nameIdRightUp},
		{105.f, &nameIdUp},
		{165.f, &nameIdLeftUp},
		{195.f, &nameIdLeft},
		{255.f, &nameIdLeftDown},
		{285.f, &nameIdDown},
		{345.f, &nameIdRightDown},
	};
	// Up the screen is negative dy.
	fw::f32 angle = std::atan2(-dy, dx);
	if (angle < 0.f)
		angle += 6.2831855f;
	angle *= 57.29578f;
	for (const SFacingSector& sector : sectors)
		if (angle < sector.upperBound)
			return sector.nameId();
	// The last sector runs to a full turn, which a heading just below 0 rounds up to.
	return angle >= 345.f ? nameIdRight() : -1;
}
