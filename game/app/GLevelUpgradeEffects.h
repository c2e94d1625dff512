#pragma once

#include "core/CoreTypes.h"
#include "level/data/IGLevelUpgradeEffects.h"

class GLevelConfiguration;
class GLevelModifierList;
class GUpgradesConfiguration;

namespace fw
{
class CProfile;
}

// What the player's upgrades allow in the level being started: the building types that may be
// built, the features that may be switched on and the modifier blocks that change the level's
// economy. Built once when a level starts; later purchases count from the next start.
class GLevelUpgradeEffects : public IGLevelUpgradeEffects
{
public:
	struct SAllowedFeature
	{
		fw::s32 building;
		fw::s32 featureIndex;
	};

	// The ordinary-level number of a map location: every eighth location is not an ordinary level.
	static fw::s32 ordinaryLevelNumber(fw::s32 locationIndex);

	// The upgrades bought by the player (none without one) and every free upgrade, those whose
	// Level is at most the level's ordinary number. With a level configuration a building counts
	// only when the level offers it for building.
	void build(const GUpgradesConfiguration* upgrades, const GLevelConfiguration* level, fw::s32 levelIndex,
		const fw::CProfile* player);
	// The same for an explicit list of bought upgrade names.
	void build(const GUpgradesConfiguration* upgrades, const GLevelConfiguration* level, fw::s32 levelIndex,
		const fw::core::array<fw::s32>& boughtUpgrades);

	bool isBuildingAllowed(fw::s32 building) const;
	// The first feature (index 0) of every building needs no upgrade.
	bool isBuildingFeatureAllowed(fw::s32 building, fw::s32 featureIndex) const override;

	// Append unless already present.
	void addAllowedBuilding(fw::s32 building);
	void addModifierBlock(const GLevelModifierList* block);

	// Not owned: the upgrades configuration keeps them for the game's whole life.
	const fw::core::array<const GLevelModifierList*>& getModifierBlocks() const override { return m_modifierBlocks; }
	const fw::core::array<fw::s32>& getAllowedBuildings() const { return m_allowedBuildings; }
	const fw::core::array<SAllowedFeature>& getAllowedFeatures() const { return m_allowedFeatures; }

private:
	fw::core::array<const GLevelModifierList*> m_modifierBlocks;
	fw::core::array<fw::s32> m_allowedBuildings;
	fw::core::array<SAllowedFeature> m_allowedFeatures;
};
