#pragma once

#include "core/CoreTypes.h"

class GBuildingNode;

// A bonus shown on a building until the player collects it by a click or its time runs out. The
// user object of its letter node.
class GMoneyLetter : public virtual fw::IReferenceCounted
{
public:
	GMoneyLetter(fw::s32 amount, fw::s32 duration, GBuildingNode* building) :
		amount(amount), duration(duration), building(building)
	{
	}
	fw::s32 amount;
	fw::s32 elapsed = 0;
	fw::s32 duration;
	// Not held: the level holds its buildings.
	GBuildingNode* building;
};
