#pragma once

#include "core/CoreTypes.h"
#include "level/works/IGWorkSite.h"

#include <rect.h>

class GBuildingNode;
class IGLevelUpgradeEffects;

// What a building sees of the level it stands in (the level scene implements it).
class IGBuildingSite : public IGWorkSite
{
public:
	// While set, buildings skip their own timers.
	virtual bool isPaused() const = 0;
	// Which building features the player's upgrades allow; null before they are set.
	virtual IGLevelUpgradeEffects* getLevelUpgradeEffects() const = 0;
	// Every building of the level's map, in child order.
	virtual const fw::core::array<GBuildingNode*>& getBuildings() const = 0;
	// The map's rectangle in level coordinates.
	virtual fw::core::rect<fw::s32> getMapBounds() const = 0;

protected:
	~IGBuildingSite() = default;
};
