#pragma once

#include "core/CoreTypes.h"

class GLevelModifierList;

// What a running level asks of the player's upgrades (the game's upgrade effects implement it): the
// modifier blocks every recalculation applies and the building features that may be switched on.
class IGLevelUpgradeEffects : public virtual fw::IReferenceCounted
{
public:
	// Not owned; applied in order.
	virtual const fw::core::array<const GLevelModifierList*>& getModifierBlocks() const = 0;
	virtual bool isBuildingFeatureAllowed(fw::s32 building, fw::s32 featureIndex) const = 0;
};
