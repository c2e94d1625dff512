#include "app/GLevelUpgradeEffects.h"

#include "app/GGameSettings.h"
#include "core/TextParsing.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GUpgradesConfiguration.h"
#include "platform/CProfile.h"
#include "platform/CProfileManager.h"

using namespace fw;

namespace
{
bool contains(const core::array<s32>& list, s32 value)
{
	for (u32 i = 0; i < list.size(); ++i)
		if (list[i] == value)
			return true;
	return false;
}
} // namespace

s32 GLevelUpgradeEffects::ordinaryLevelNumber(s32 locationIndex)
{
	return locationIndex - (locationIndex + 1) / 8;
}

void GLevelUpgradeEffects::build(const GUpgradesConfiguration* upgrades, const GLevelConfiguration* level,
	s32 levelIndex, const CProfile* player)
{
	core::array<s32> bought;
	if (player)
		bought = split(player->getString(PROFILE_BOUGHT_UPGRADES));
	build(upgrades, level, levelIndex, bought);
}

void GLevelUpgradeEffects::build(const GUpgradesConfiguration* upgrades, const GLevelConfiguration* level,
	s32 levelIndex, const core::array<s32>& boughtUpgrades)
{
	if (!upgrades)
		return;
	core::array<s32> names(boughtUpgrades);
	for (const auto& entry : upgrades->getUpgrades())
		if (entry.second->Price == 0)
			names.push_back(entry.first);

	const s32 levelNumber = ordinaryLevelNumber(levelIndex);
	for (u32 i = 0; i < names.size(); ++i)
	{
		const GUpgrade* upgrade = upgrades->getUpgrade(names[i]);
		if (!upgrade || upgrade->Level > levelNumber)
			continue;
		for (u32 b = 0; b < upgrade->AllowedBuildings.size(); ++b)
		{
			const s32 building = upgrade->AllowedBuildings[b];
			if (!level || contains(level->getAvailableBuildings(), building))
				addAllowedBuilding(building);
		}
		for (u32 f = 0; f < upgrade->AllowedFeatures.size(); ++f)
			m_allowedFeatures.push_back(
				SAllowedFeature{upgrade->AllowedFeatures[f].building, upgrade->AllowedFeatures[f].featureIndex});
		addModifierBlock(upgrade->LevelModifiers.get());
	}
}

bool GLevelUpgradeEffects::isBuildingAllowed(s32 building) const
{
	return contains(m_allowedBuildings, building);
}

bool GLevelUpgradeEffects::isBuildingFeatureAllowed(s32 building, s32 featureIndex) const
{
	if (featureIndex == 0)
		return true;
	for (u32 i = 0; i < m_allowedFeatures.size(); ++i)
		if (m_allowedFeatures[i].building == building && m_allowedFeatures[i].featureIndex == featureIndex)
			return true;
	return false;
}

void GLevelUpgradeEffects::addAllowedBuilding(s32 building)
{
	if (!contains(m_allowedBuildings, building))
		m_allowedBuildings.push_back(building);
}

void GLevelUpgradeEffects::addModifierBlock(const GLevelModifierList* block)
{
	if (!block)
		return;
	for (u32 i = 0; i < m_modifierBlocks.size(); ++i)
		if (m_modifierBlocks[i] == block)
			return;
	m_modifierBlocks.push_back(block);
}
