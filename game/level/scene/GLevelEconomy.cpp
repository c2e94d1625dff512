#include "level/scene/GLevelEconomy.h"

#include "core/TextParsing.h"
#include "level/buildings/GBuildingNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GLevelModifier.h"
#include "level/data/IGLevelUpgradeEffects.h"
#include "level/scene/LevelServices.h"

void GLevelEconomy::start(const GLevelConfiguration& configuration)
{
	m_dayTime = 0.f;
	m_money = configuration.getInitMoney();
	m_rating = configuration.getInitRating();
	m_materials = configuration.getInitMaterialsCount();
	m_freeWorkers = m_allWorkers = configuration.getInitWorkersCount();
}

void GLevelEconomy::advanceClock(fw::u32 stepMs)
{
	const fw::f32 dtf = static_cast<fw::f32>(stepMs);
	m_elapsed += dtf;
	m_dayTime += dtf * 0.001f;
}

fw::u32 GLevelEconomy::settle(fw::u32 stepMs, const GLevelConfiguration& configuration)
{
	const fw::f32 dtf = static_cast<fw::f32>(stepMs);
	fw::u32 events = 0;
	if (m_dayTime >= static_cast<fw::f32>(configuration.getDayLength()))
	{
		m_dayTime = 0.f;
		m_money += m_income;
		events |= STEP_DAY_PASSED;
	}
	const GLevelModifierValues& values = configuration.getModifierValues();
	if (m_materialsCountdown >= 0.f)
	{
		m_materialsCountdown -= values.MaterialDeliveryTimeM * dtf;
		if (m_materialsCountdown < 0.f)
		{
			m_materialsCountdown = -1.f;
			m_materials += m_orderedMaterials;
			events |= STEP_MATERIALS_DELIVERED;
		}
	}
	if (m_workersCountdown >= 0.f)
	{
		m_workersCountdown -= values.WorkerDeliveryTimeM * dtf;
		if (m_workersCountdown < 0.f)
		{
			m_workersCountdown = -1.f;
			m_freeWorkers += m_orderedWorkers;
			m_allWorkers += m_orderedWorkers;
			events |= STEP_WORKERS_TRAINED;
		}
	}
	return events;
}

void GLevelEconomy::recalculate(GLevelConfiguration* level, const IGLevelUpgradeEffects* effects,
	const fw::core::array<GBuildingNode*>& buildings)
{
	const fw::f32 previousRating = m_rating;
	m_guests = m_potentialGuests = 0;
	m_income = m_potentialIncome = 0.f;
	m_rating = 0.f;
	if (level)
	{
		m_rating = level->getInitRating();
		level->getModifierValues().reset();
		if (effects)
		{
			const fw::core::array<const GLevelModifierList*>& blocks = effects->getModifierBlocks();
			for (fw::u32 i = 0; i < blocks.size(); ++i)
				if (blocks[i])
					blocks[i]->applyAll(level);
		}
		for (GBuildingNode* building : levelservices::items(buildings))
		{
			const GBuildingConfiguration* type = building->getType();
			if (type->Level == 0 || !building->isOwnedByThePlayer() || building->isForSale() || !building->isWorking())
				continue;
			if (type->LevelModifiers)
				type->LevelModifiers->applyAll(level);
			for (fw::u32 f = 0; f < type->ActiveFeatures.size(); ++f)
				if (type->ActiveFeatures[f].LevelModifiers && building->getFeatureState(static_cast<fw::s32>(f)) == 1)
					type->ActiveFeatures[f].LevelModifiers->applyAll(level);
		}
		if (!level->getModifierValues().CanBuildingsBroke)
			for (GBuildingNode* building : levelservices::items(buildings))
				if (building->getAlert() == GBuildingNode::ALERT_BROKEN)
					building->setAlertIcon(GBuildingNode::ALERT_NONE);
	}
	for (GBuildingNode* building : levelservices::items(buildings))
		building->computeServeAreaBonus();
	for (GBuildingNode* building : levelservices::items(buildings))
	{
		const GBuildingConfiguration* type = building->getType();
		if (type->Level == 0 || !building->isOwnedByThePlayer() || building->isForSale())
			continue;
		if (building->isWorking())
		{
			m_income += building->getIncome(type);
			m_guests += type->getGuestsCount(level);
		}
		else
		{
			m_potentialIncome += building->getIncome(type);
			m_potentialGuests += type->getGuestsCount(level);
		}
	}
	m_potentialIncome += m_income;
	m_potentialGuests += m_guests;
	if (previousRating > m_rating)
		m_rating = previousRating;
}

fw::s32 GLevelEconomy::getRatingLevel(const GLevelConfiguration* level) const
{
	if (!level)
		return 0;
	if (m_rating < 0.f)
		return -1;
	// Thresholds past the list repeat the last; a bound keeps a zero threshold from counting for ever.
	static constexpr fw::s32 MAX_LEVEL = 1000;
	fw::f32 left = m_rating;
	fw::s32 count = 0;
	while (count < MAX_LEVEL)
	{
		const fw::f32 next = left - static_cast<fw::f32>(level->getRatingThreshold(count + 1));
		if (next < 0.f)
			break;
		left = next;
		++count;
	}
	return count;
}

bool GLevelEconomy::canAffordBuilding(const GBuildingConfiguration* type, const GLevelConfiguration* level) const
{
	if (!type)
		return false;
	return type->Cost <= m_money && type->getBuildMaterialsCost(level) <= m_materials &&
		type->getBuildWorkersCost(level) <= m_freeWorkers;
}

bool GLevelEconomy::canAffordPurchase(const GBuildingNode* building, const GLevelConfiguration* level) const
{
	if (!building || building->isOwnedByThePlayer())
		return false;
	const bool buyable =
		building->isForSale() || (level && level->getModifierValues().BuyNotForSaleBuildingPriceBonus >= 1.f);
	return buyable && building->getPrice() <= m_money;
}

bool GLevelEconomy::buyMaterials(const GPurchaseOffer* offer, const GLevelConfiguration* level)
{
	if (!offer || !level)
		return false;
	const fw::f32 price = level->getModifierValues().MaterialPriceM * offer->price;
	if (price > m_money)
		return false;
	m_materialsDeliveryTime = m_materialsCountdown = offer->deliveryTime;
	m_orderedMaterials = offer->amount;
	m_money -= price;
	return true;
}

bool GLevelEconomy::buyWorkers(const GPurchaseOffer* offer, const GLevelConfiguration* level)
{
	if (!offer || !level)
		return false;
	const fw::f32 price = level->getModifierValues().WorkerPriceM * offer->price;
	if (price > m_money)
		return false;
	m_workersDeliveryTime = m_workersCountdown = offer->deliveryTime;
	m_orderedWorkers = fw::truncateToInt(offer->amount);
	m_money -= price;
	return true;
}

bool GLevelEconomy::buyBuilding(GBuildingNode* building)
{
	if (!building || building->isOwnedByThePlayer())
		return false;
	const fw::f32 price = building->getPrice();
	if (m_money < price)
		return false;
	building->setForSale(false);
	building->setOwned(true);
	if (building->getType()->Type >= 3)
		building->setAlertIcon(GBuildingNode::ALERT_UNFINISHED);
	building->postSelectionChanged();
	m_money -= price;
	return true;
}

bool GLevelEconomy::sellBuilding(GBuildingNode* building)
{
	if (!building || !building->isOwnedByThePlayer() || !building->isForSale() || !building->isBuyRequestActive())
		return false;
	const fw::s32 price = building->getSellPrice();
	building->clearOffersAndAlert();
	building->setOwned(false);
	m_money += static_cast<fw::f32>(price);
	return true;
}

void GLevelEconomy::spend(fw::f32 money, fw::f32 materials, fw::s32 workers)
{
	m_money -= money;
	m_freeWorkers -= workers;
	m_materials -= materials;
}

void GLevelEconomy::takeBack(fw::f32 materials, fw::s32 workers)
{
	m_materials += materials;
	m_freeWorkers += workers;
}
