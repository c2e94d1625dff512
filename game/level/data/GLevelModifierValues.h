#pragma once

#include "core/CoreTypes.h"

// The effective level-wide values of a running level: every recalculation resets them and applies
// the modifier lists in force.
struct GLevelModifierValues
{
	GLevelModifierValues() { reset(); }

	// The neutral values: factors 1, additions 0, money letters off, breaking on.
	void reset();

	fw::f32 MaterialDeliveryTimeM;
	fw::f32 WorkerDeliveryTimeM;
	fw::f32 MaterialPriceM;
	fw::f32 WorkerPriceM;
	fw::f32 WorkersCostA;
	fw::f32 BuildTimeM;
	bool CanReceiveMoneyLetters;
	bool CanBuildingsBroke;
	fw::f32 PyramidIncomeBonus;
	fw::f32 StationIncomeBonus1;
	fw::f32 StationIncomeBonus2;
	fw::f32 AquaParkIncomeBonus;
	fw::f32 PRIncomeBonus;
	fw::f32 BuyNotForSaleBuildingPriceBonus;
	fw::f32 BuyBuildingPriceDiscount;
	fw::f32 OwnedBuildingPriceBonus;
	fw::f32 GuestsCountM;
};
