// How the objectives test themselves against a running level and what they show.

#include "core/TextFormat.h"
#include "core/TextParsing.h"
#include "level/buildings/GBuildingNode.h"
#include "level/data/GLevelObjective.h"
#include "level/scene/GGameLevelScene.h"
#include "level/scene/LevelServices.h"

#include <cmath>

namespace
{
fw::core::stringw ratio(fw::s32 have, fw::s32 want)
{
	fw::core::stringw text(have);
	text += L"/";
	text += fw::core::stringw(want);
	return text;
}

fw::core::stringw moneyRatio(const GGameLevelScene* level, fw::f32 have, fw::f32 want)
{
	fw::core::stringw text = levelservices::moneyText(level, levelservices::roundToInt(have));
	text += L"/";
	text += levelservices::moneyText(level, fw::truncateToInt(want));
	return text;
}

bool countsAsOwned(const GBuildingNode* building)
{
	return building->isOwnedByThePlayer() && !building->isForSale() &&
		building->getAlert() == GBuildingNode::ALERT_NONE && building->getWorkCode() != GBuildingNode::WORK_REPAIR;
}

// The type a building counts as: none under a destroy work, the previous one under construction;
// none for an empty place.
const GBuildingConfiguration* countedType(const GBuildingNode* building)
{
	if (building->getWorkCode() == GBuildingNode::WORK_DESTROY)
		return nullptr;
	const GBuildingConfiguration* type =
		building->getWorkCode() == GBuildingNode::WORK_CONSTRUCTION ? building->getPreviousType() : building->getType();
	return type && type->Level != 0 ? type : nullptr;
}
} // namespace

bool GMoneyObjective::isComplete(GGameLevelScene* level) const
{
	return FloatValue <= level->getEconomy().getMoney();
}

fw::core::stringw GMoneyObjective::getProgressText(GGameLevelScene* level) const
{
	return moneyRatio(level, level->getEconomy().getMoney(), FloatValue);
}

bool GIncomeObjective::isComplete(GGameLevelScene* level) const
{
	return FloatValue <= level->getEconomy().getIncome();
}

fw::core::stringw GIncomeObjective::getDisplayName(const fw::BaseNode* node, bool full) const
{
	return levelservices::formatText(node, full ? "Obj_IncomeFull" : "Obj_Income",
		fw::formatThousands(fw::truncateToInt(FloatValue), L','));
}

fw::core::stringw GIncomeObjective::getProgressText(GGameLevelScene* level) const
{
	return moneyRatio(level, level->getEconomy().getIncome(), FloatValue);
}

bool GWorkersObjective::isComplete(GGameLevelScene* level) const
{
	return level->getEconomy().getAllWorkers() >= IntValue;
}

fw::core::stringw GWorkersObjective::getDisplayName(const fw::BaseNode* node, bool) const
{
	return levelservices::formatText(node, "Obj_Workers", fw::core::stringw(IntValue));
}

fw::core::stringw GWorkersObjective::getProgressText(GGameLevelScene* level) const
{
	return ratio(level->getEconomy().getAllWorkers(), IntValue);
}

bool GGuestsCountObjective::isComplete(GGameLevelScene* level) const
{
	return level->getEconomy().getGuests() >= IntValue;
}

fw::core::stringw GGuestsCountObjective::getDisplayName(const fw::BaseNode* node, bool) const
{
	return levelservices::formatText(node, "Obj_HaveGuests", fw::core::stringw(IntValue));
}

fw::core::stringw GGuestsCountObjective::getProgressText(GGameLevelScene* level) const
{
	return ratio(level->getEconomy().getGuests(), IntValue);
}

fw::s32 GHaveTypedBuildingsCountObjective::count(const GGameLevelScene* level) const
{
	const bool bonusSet = MinIncomeBonus != OBJECTIVE_NO_MIN_INCOME_BONUS;
	fw::s32 total = 0;
	for (const GBuildingNode* building : levelservices::items(level->getBuildings()))
	{
		if (MustOwn && !countsAsOwned(building))
			continue;
		if (bonusSet)
		{
			if (building->getIncomeBonusPercent() < MinIncomeBonus)
				continue;
		}
		else if (MinServedGuests > 0 && building->countServedGuests(building->getType()) < MinServedGuests)
			continue;
		const GBuildingConfiguration* type = building->getType();
		if (!bonusSet || !BuildingTypes.empty())
		{
			type = countedType(building);
			if (!type)
				continue;
		}
		if (levelservices::passesFilter(BuildingTypes, type->Name) &&
			levelservices::passesFilter(PlaceNames, building->getNameId()))
			++total;
	}
	return total;
}

bool GHaveTypedBuildingsCountObjective::isComplete(GGameLevelScene* level) const
{
	return count(level) >= IntValue;
}

fw::core::stringw GHaveTypedBuildingsCountObjective::getProgressText(GGameLevelScene* level) const
{
	return ratio(count(level), IntValue);
}

fw::s32 GHaveEachTypeBuildingsCountObjective::count(const GGameLevelScene* level) const
{
	fw::core::array<fw::s32> counters;
	for (fw::u32 i = 0; i < BuildingTypes.size(); ++i)
		counters.push_back(0);
	for (const GBuildingNode* building : levelservices::items(level->getBuildings()))
	{
		if (MustOwn && !countsAsOwned(building))
			continue;
		if (BuildingTypes.empty())
			continue;
		const GBuildingConfiguration* type = countedType(building);
		if (!type)
			continue;
		for (fw::u32 i = 0; i < BuildingTypes.size(); ++i)
			if (BuildingTypes[i] == type->Name)
			{
				if (counters[i] < IntValue)
					++counters[i];
				break;
			}
	}
	fw::s32 total = 0;
	for (fw::u32 i = 0; i < counters.size(); ++i)
		total += counters[i];
	return total;
}

bool GHaveEachTypeBuildingsCountObjective::isComplete(GGameLevelScene* level) const
{
	return count(level) >= IntValue * static_cast<fw::s32>(BuildingTypes.size());
}

fw::core::stringw GHaveEachTypeBuildingsCountObjective::getProgressText(GGameLevelScene* level) const
{
	return ratio(count(level), IntValue * static_cast<fw::s32>(BuildingTypes.size()));
}

fw::s32 GTypedHistoryActionsCountObjective::count(const GGameLevelScene* level) const
{
	fw::s32 total = 0;
	const fw::core::array<GLevelHistoryRecord>& history = level->getHistory();
	for (fw::u32 i = 0; i < history.size(); ++i)
		if (history[i].kind == Action && levelservices::passesFilter(BuildingTypes, history[i].buildingType) &&
			levelservices::passesFilter(PlaceNames, history[i].place))
			++total;
	return total;
}

bool GTypedHistoryActionsCountObjective::isComplete(GGameLevelScene* level) const
{
	return count(level) >= IntValue;
}

fw::core::stringw GTypedHistoryActionsCountObjective::getProgressText(GGameLevelScene* level) const
{
	return ratio(count(level), IntValue);
}

fw::s32 GHaveConcurrentFeaturesObjective::count(const GGameLevelScene* level) const
{
	const fw::core::array<GBuildingNode*>& buildings = level->getBuildings();
	fw::core::array<bool> used;
	for (fw::u32 i = 0; i < buildings.size(); ++i)
		used.push_back(false);
	fw::s32 total = 0;
	const fw::u32 pairs = fw::core::min_(BuildingTypes.size(), FeatureIndices.size());
	for (fw::u32 pair = 0; pair < pairs; ++pair)
		for (fw::u32 i = 0; i < buildings.size(); ++i)
		{
			const GBuildingNode* building = buildings[i];
			if (used[i] || !building->isOwnedByThePlayer() || building->isForSale() ||
				building->getAlert() != GBuildingNode::ALERT_NONE ||
				building->getWorkCode() == GBuildingNode::WORK_DESTROY ||
				building->getWorkCode() == GBuildingNode::WORK_REPAIR)
				continue;
			const GBuildingConfiguration* type = countedType(building);
			if (!type || type->Name != BuildingTypes[pair] || building->getFeatureState(FeatureIndices[pair]) != 1)
				continue;
			used[i] = true;
			++total;
			break;
		}
	return total;
}

bool GHaveConcurrentFeaturesObjective::isComplete(GGameLevelScene* level) const
{
	if (!m_latched && count(level) >= static_cast<fw::s32>(BuildingTypes.size()))
		m_latched = true;
	return m_latched;
}

fw::core::stringw GHaveConcurrentFeaturesObjective::getProgressText(GGameLevelScene* level) const
{
	return ratio(count(level), static_cast<fw::s32>(BuildingTypes.size()));
}
