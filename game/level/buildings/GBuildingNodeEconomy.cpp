// The building's income, serve area, guests, sale offers and prices.

#include "level/buildings/GBuildingNode.h"

#include "core/NodeCasts.h"
#include "core/TextFormat.h"
#include "core/TextParsing.h"
#include "level/buildings/IGBuildingSite.h"
#include "level/data/GLevelConfiguration.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"
#include "widgets/TextNode.h"

#include <cmath>

using levelservices::nameId;
using levelservices::roundToInt;

namespace
{
bool hasServeArea(const GBuildingConfiguration* type)
{
	return type->ServeArea.X != 0.f || type->ServeArea.Y != 0.f;
}

bool serves(const GBuildingConfiguration* type)
{
	return hasServeArea(type) && type->ServeIncome >= 1.f;
}

// Touching edges do not overlap.
bool overlaps(const fw::core::rect<fw::s32>& own, const fw::core::rect<fw::s32>& serve)
{
	return own.UpperLeftCorner.Y < serve.LowerRightCorner.Y && serve.UpperLeftCorner.Y < own.LowerRightCorner.Y &&
		own.UpperLeftCorner.X < serve.LowerRightCorner.X && serve.UpperLeftCorner.X < own.LowerRightCorner.X;
}

bool nonZero(fw::f32 value)
{
	return std::fabs(value) > 0.000001f;
}

// A duration drawn from a range of milliseconds, truncated to whole ms.
fw::s32 drawDuration(fw::CRandomGenerator* random, const fw::core::vector2df& range)
{
	return fw::truncateToInt(random ? random->nextFloatInRange(range.X, range.Y) : range.X);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// The type's values as a level applies them.

fw::f32 GBuildingConfiguration::getServeAreaIncomeBonus(const GBuildingNode* building) const
{
	if (building->getWorkCode() != GBuildingNode::WORK_NONE)
		return 0.f;
	if (building->getAlert() != GBuildingNode::ALERT_NONE)
		return BrokenServeAreaIncomeBonus;
	return ServeAreaIncomeBonus;
}

fw::s32 GBuildingConfiguration::getGuestsCount(const GLevelConfiguration* level) const
{
	if (Type != 0 || !level)
		return GuestsCount;
	return roundToInt(level->getModifierValues().GuestsCountM * static_cast<fw::f32>(GuestsCount));
}

fw::s32 GBuildingConfiguration::getBuildWorkersCost(const GLevelConfiguration* level) const
{
	if (!level)
		return BuildWorkersCost;
	const fw::s32 cost =
		fw::truncateToInt(static_cast<fw::f32>(BuildWorkersCost) - level->getModifierValues().WorkersCostA);
	return cost < 1 ? 1 : cost;
}

fw::s32 GBuildingConfiguration::getDestroyWorkersCost(const GLevelConfiguration* level) const
{
	if (!level)
		return DestroyWorkersCost;
	const fw::s32 cost =
		fw::truncateToInt(static_cast<fw::f32>(DestroyWorkersCost) - level->getModifierValues().WorkersCostA);
	return cost < 1 ? 1 : cost;
}

bool GBuildingConfiguration::featureHasType(fw::u32 featureIndex, fw::s32 featureType) const
{
	if (featureIndex >= ActiveFeatures.size())
		return false;
	return levelservices::contains(ActiveFeatures[featureIndex].FeatureTypes, featureType);
}

// ---------------------------------------------------------------------------------------------
// Rectangles, servers and guests.

fw::core::rect<fw::s32> GBuildingNode::getServeRect(const GBuildingConfiguration* type) const
{
	static const fw::s32 boostServeArea = nameId("BoostServeArea");
	fw::core::vector2df size = type->ServeArea;
	const fw::u32 features = fw::core::min_(type->ActiveFeatures.size(), m_featureStates.size());
	for (fw::u32 i = 0; i < features; ++i)
		if (m_featureStates[i].state == GFeatureState::ACTIVE && type->featureHasType(i, boostServeArea))
		{
			size = type->BoostedServeArea;
			break;
		}
	const fw::core::vector3df& position = getPosition();
	const fw::f32 cx = position.X + 70.f;
	const fw::f32 cy = position.Y + 28.f;
	return fw::core::rect<fw::s32>(fw::truncateToInt(cx - size.X / 2.f), fw::truncateToInt(cy - size.Y / 2.f),
		fw::truncateToInt(cx + size.X / 2.f), fw::truncateToInt(cy + size.Y / 2.f));
}

fw::core::rect<fw::s32> GBuildingNode::getSelfRect() const
{
	static const fw::s32 selfServingRect = nameId("SelfServingRect");
	const fw::core::vector3df& position = getPosition();
	fw::core::vector3df topLeft = position;
	fw::core::vector3df size = getBounds();
	if (const fw::BaseNode* own = findChildByNameId(selfServingRect, 1))
	{
		topLeft = own->getPosition() + position;
		size = own->getBounds();
	}
	return fw::core::rect<fw::s32>(fw::truncateToInt(topLeft.X), fw::truncateToInt(topLeft.Y),
		fw::truncateToInt(topLeft.X + size.X), fw::truncateToInt(topLeft.Y + size.Y));
}

fw::core::array<GBuildingNode*> GBuildingNode::getBuildingsInServeArea(const GBuildingConfiguration* type) const
{
	fw::core::array<GBuildingNode*> found;
	if (!m_levelScene || !type || !hasServeArea(type))
		return found;
	const fw::core::rect<fw::s32> serve = getServeRect(type);
	const fw::core::array<GBuildingNode*>& buildings = m_levelScene->getBuildings();
	for (fw::u32 i = 0; i < buildings.size(); ++i)
		if (buildings[i] != this && overlaps(buildings[i]->getSelfRect(), serve))
			found.push_back(buildings[i]);
	return found;
}

GBuildingNode* GBuildingNode::getServerOf(fw::s32 typeName) const
{
	auto it = m_servers.find(typeName);
	return it == m_servers.end() ? nullptr : it->second;
}

void GBuildingNode::setServerOf(fw::s32 typeName, GBuildingNode* server)
{
	m_servers[typeName] = server;
}

void GBuildingNode::claimServedBuildings()
{
	if (!serves(m_type.get()))
		return;
	const fw::core::array<GBuildingNode*> served = getBuildingsInServeArea(m_type.get());
	for (fw::u32 i = 0; i < served.size(); ++i)
		if (!served[i]->getServerOf(m_type->Name))
			served[i]->setServerOf(m_type->Name, this);
}

fw::s32 GBuildingNode::countServedGuests(const GBuildingConfiguration* type) const
{
	if (!type || !serves(type))
		return 0;
	fw::s32 count = 0;
	const fw::core::array<GBuildingNode*> served = getBuildingsInServeArea(type);
	for (fw::u32 i = 0; i < served.size(); ++i)
	{
		const GBuildingNode* building = served[i];
		if (building->m_workCode != WORK_NONE || building->m_alert != ALERT_NONE)
			continue;
		const GBuildingNode* server = building->getServerOf(type->Name);
		if (server && server != this)
			continue;
		count += building->m_type->getGuestsCount(m_levelConfiguration.get());
	}
	return count;
}

void GBuildingNode::computeServeAreaBonus()
{
	m_incomeBonusPercent = 0.f;
	m_bonusSources.set_used(0);
	const fw::core::rect<fw::s32> own = getSelfRect();
	if (m_levelScene)
	{
		const fw::core::array<GBuildingNode*>& buildings = m_levelScene->getBuildings();
		for (fw::u32 i = 0; i < buildings.size(); ++i)
		{
			GBuildingNode* source = buildings[i];
			const GBuildingConfiguration* type = source->m_type.get();
			if (!hasServeArea(type))
				continue;
			const fw::f32 bonus = type->getServeAreaIncomeBonus(source);
			if (std::fabs(bonus) <= 0.000001f || !overlaps(own, source->getServeRect(type)))
				continue;
			bool typeCounted = false;
			for (fw::u32 j = 0; j < m_bonusSources.size() && !typeCounted; ++j)
				typeCounted = m_bonusSources[j]->m_type->Name == type->Name;
			if (typeCounted)
				continue;
			m_incomeBonusPercent += bonus;
			m_bonusSources.push_back(source);
		}
	}

	// The level's own bonuses; a missing configuration gives none.
	if (const GLevelConfiguration* level = m_levelConfiguration.get())
	{
		const GLevelModifierValues& values = level->getModifierValues();
		if (nonZero(values.PyramidIncomeBonus) &&
			levelservices::contains(level->getPyramidIncomeBonusPlaces(), getNameId()))
			m_incomeBonusPercent += values.PyramidIncomeBonus;
		const fw::f32 station1 = values.StationIncomeBonus1 + level->getStationIncomeBonus1();
		if (nonZero(station1) && levelservices::contains(level->getStationIncomeBonus1BuildingTypes(), m_type->Name))
			m_incomeBonusPercent += station1;
		const fw::f32 station2 = values.StationIncomeBonus2 + level->getStationIncomeBonus2();
		if (nonZero(station2) && levelservices::contains(level->getStationIncomeBonus2BuildingTypes(), m_type->Name))
			m_incomeBonusPercent += station2;
		if (m_type->Type != 7)
			m_incomeBonusPercent += values.AquaParkIncomeBonus;
		m_incomeBonusPercent += values.PRIncomeBonus;
		if (m_luckinessType == 1)
			m_incomeBonusPercent += level->getIncomeBonus1();
		else if (m_luckinessType == -1)
			m_incomeBonusPercent += level->getIncomeBonus2();
	}
	showSmile();
}

fw::f32 GBuildingNode::getIncome(const GBuildingConfiguration* type) const
{
	if (!type)
	{
		type = m_type.get();
		// A hotel keeps its old income while a work runs on it (an upgrade).
		if (m_workCode != WORK_NONE && m_type->Type == 0)
		{
			type = m_previousType.get();
			if (!type)
				return 0.f;
		}
	}
	if (type->Level <= 0)
		return 0.f;
	return (1.f + m_incomeBonusPercent * 0.01f) * type->Income +
		static_cast<fw::f32>(countServedGuests(type)) * type->ServeIncome;
}

fw::f32 GBuildingNode::getBoostedIncome() const
{
	fw::f32 total = 0.f;
	for (fw::u32 i = 0; i < m_featureStates.size(); ++i)
		if (m_featureStates[i].state == GFeatureState::ACTIVE && m_featureStates[i].boostsIncome)
			total += static_cast<fw::f32>(
				roundToInt(static_cast<fw::f32>(countServedGuests(m_type.get())) * m_type->ServeBoostedIncome));
	return total;
}

fw::core::stringw GBuildingNode::formatIncomeText(const GBuildingConfiguration* type) const
{
	return fw::formatThousands(roundToInt(getIncome(type) + getBoostedIncome()), L',');
}

void GBuildingNode::previewServeAreaTint(const GBuildingConfiguration* type)
{
	static const fw::s32 blue = nameId("Blue");
	static const fw::s32 green = nameId("Green");
	if (!type)
	{
		if (m_serveAreaNode)
			m_serveAreaNode->setVisible(false);
		return;
	}
	if (type->Level > 0 && (type->Type == 0 || type->Type == 4 || type->Type == 7))
	{
		// A building that is served: light up what serves it and what gives it a bonus.
		for (auto& entry : m_servers)
		{
			GBuildingNode* server = entry.second;
			if (server && hasServeArea(server->m_type.get()))
				server->setBodyTint(
					fw::video::SColor(server->m_type->ServeAreaIncomeBonus > 0.f ? 0xFF000030 : 0xFF003000));
		}
		for (fw::u32 i = 0; i < m_bonusSources.size(); ++i)
			m_bonusSources[i]->setBodyTint(
				fw::video::SColor(m_bonusSources[i]->m_type->ServeAreaIncomeBonus > 0.f ? 0xFF000030 : 0xFF003000));
		return;
	}

	fw::core::rect<fw::s32> area = getServeRect(type);
	if (m_levelScene)
	{
		const fw::core::rect<fw::s32> map = m_levelScene->getMapBounds();
		area.UpperLeftCorner.X = fw::core::max_(area.UpperLeftCorner.X, map.UpperLeftCorner.X);
		area.UpperLeftCorner.Y = fw::core::max_(area.UpperLeftCorner.Y, map.UpperLeftCorner.Y);
		area.LowerRightCorner.X = fw::core::min_(area.LowerRightCorner.X, map.LowerRightCorner.X);
		area.LowerRightCorner.Y = fw::core::min_(area.LowerRightCorner.Y, map.LowerRightCorner.Y);
	}
	if (area.getWidth() == 0 && area.getHeight() == 0)
	{
		if (m_serveAreaNode)
			m_serveAreaNode->setVisible(false);
		return;
	}
	const fw::core::array<GBuildingNode*> inside = getBuildingsInServeArea(type);
	const fw::core::vector3df& position = getPosition();
	fw::f32 left = position.X, top = position.Y, right = position.X, bottom = position.Y;
	for (fw::u32 i = 0; i < inside.size(); ++i)
	{
		const fw::core::vector3df& p = inside[i]->getPosition();
		const fw::core::vector3df q = p + inside[i]->getBounds();
		left = fw::core::min_(left, fw::core::min_(p.X, q.X));
		top = fw::core::min_(top, fw::core::min_(p.Y, q.Y));
		right = fw::core::max_(right, fw::core::max_(p.X, q.X));
		bottom = fw::core::max_(bottom, fw::core::max_(p.Y, q.Y));
	}
	const fw::f32 width = static_cast<fw::f32>(roundToInt((right - left) / 40.f) * 40);
	const fw::f32 height = static_cast<fw::f32>((roundToInt((bottom - top) / 40.f) + 1) * 40);
	if (m_serveAreaNode)
	{
		m_serveAreaNode->setVisible(true);
		m_serveAreaNode->setPosition(fw::core::vector3df((left + right) / 2.f - position.X,
			(top + bottom) / 2.f - position.Y, -500.f - position.Z));
		m_serveAreaNode->setBounds(fw::core::vector3df(width, height, 0.f));
		m_serveAreaNode->setPivotPoint(fw::core::vector2df(width / 2.f, height / 2.f));
		const fw::s32 look = type->ServeAreaIncomeBonus > 0.f ? blue : green;
		if (m_serveAreaNode->getCurrentStateId() != look)
			m_serveAreaNode->enterState(look, nullptr, -1);
		updateAbsoluteTransformation();
	}
	const fw::video::SColor tint(type->ServeAreaIncomeBonus > 0.f ? 0xFF000030 : 0xFF003000);
	for (fw::u32 i = 0; i < inside.size(); ++i)
	{
		GBuildingNode* building = inside[i];
		if (building->m_workCode != WORK_NONE || building->m_alert != ALERT_NONE)
			continue;
		if (building->m_type->getGuestsCount(m_levelConfiguration.get()) == 0 && building->m_type->Level != 0)
			continue;
		const GBuildingNode* server = building->getServerOf(type->Name);
		if (server && server != this)
			continue;
		building->setBodyTint(tint);
	}
}

void GBuildingNode::showPreview(const GBuildingConfiguration* type)
{
	static const fw::s32 focus = nameId("Focus");
	if (type)
	{
		if (m_type->Level != 0 || getTemplateName() == type->Name)
			return;
		setTemplateName(type->Name);
		if (fw::ControlNode* root = getTemplateRoot())
			root->setTintColor(fw::video::SColor(0xCCFFFFFF));
		if (type->Type == 0)
			previewServeAreaTint(type);
		return;
	}
	if (getTemplateName() == m_type->Name)
		return;
	setTemplateName(m_type->Name);
	if (fw::ControlNode* root = getTemplateRoot())
		root->setTintColor(fw::video::SColor(0xFFFFFFFF));
	if (isFocused())
		enterBuildingState(focus);
}

// ---------------------------------------------------------------------------------------------
// Sale offers and prices.

fw::f32 GBuildingNode::getPrice(const GBuildingConfiguration* type) const
{
	if (type && type != m_type.get())
		return type->SellPrice;
	fw::f32 percent = 0.f;
	// Without a configuration the price is neutral.
	if (const GLevelConfiguration* level = m_levelConfiguration.get())
	{
		const GLevelModifierValues& values = level->getModifierValues();
		if (m_isOwned)
			percent = values.OwnedBuildingPriceBonus;
		else
		{
			percent = -values.BuyBuildingPriceDiscount;
			if (!m_isForSale && values.BuyNotForSaleBuildingPriceBonus > 0.f)
				percent += values.BuyNotForSaleBuildingPriceBonus;
		}
	}
	return m_type->SellPrice * (1.f + percent * 0.01f);
}

fw::s32 GBuildingNode::getSellPrice() const
{
	const fw::s32 thousands = roundToInt(static_cast<fw::f64>(getPrice() * m_saleFactor) / 1000.0);
	return thousands > INT32_MAX / 1000 ? INT32_MAX : thousands < INT32_MIN / 1000 ? INT32_MIN : thousands * 1000;
}

void GBuildingNode::setPriceText(fw::s32 price)
{
	if (m_priceText)
		m_priceText->setText(levelservices::moneyText(this, price));
}

void GBuildingNode::setForSale(bool forSale)
{
	static const fw::s32 progressName = nameId("Progress");
	static const fw::s32 bgName = nameId("Bg");
	static const fw::s32 normal = nameId("Normal");
	m_isForSale = forSale;
	fw::BaseNode* progress = m_forSaleNode ? m_forSaleNode->findChildByNameId(progressName, 1) : nullptr;
	fw::BaseNode* background = m_forSaleNode ? m_forSaleNode->findChildByNameId(bgName, 1) : nullptr;
	if (m_forSaleNode)
	{
		m_forSaleNode->setVisible(forSale);
		setPriceText(roundToInt(getPrice()));
		if (progress)
			progress->setVisible(false);
		if (background)
			background->setVisible(false);
	}
	if (!forSale || !m_levelConfiguration)
		return;
	levelservices::playCue(this, "ForSale");
	if (m_isOwned)
	{
		m_offerDurationMs =
			drawDuration(levelservices::random(this), m_levelConfiguration->getBuildingsBuyRequestTime());
		m_offerElapsedMs = 0;
	}
	else
	{
		m_offerDurationMs = drawDuration(levelservices::random(this), m_levelConfiguration->getBuildingsSellTime());
		m_offerElapsedMs = 0;
		if (progress)
		{
			setTimerDial(progress, 0.f);
			progress->setVisible(true);
			progress->enterState(normal, nullptr, -1);
		}
		if (background)
			background->setVisible(true);
	}
	setBuyRequestActive(false);
}

void GBuildingNode::setBuyRequestActive(bool active)
{
	static const fw::s32 progressName = nameId("Progress");
	static const fw::s32 activeState = nameId("Active");
	static const fw::s32 normal = nameId("Normal");
	m_isBuyRequestActive = active;
	if (!m_phoneIcon)
		return;
	m_phoneIcon->setVisible(active);
	m_phoneIcon->setTintColor(fw::video::SColor(0xFFFFFFFF));
	if (!active)
		return;
	levelservices::playCue(this, "BuyRequest");
	m_phoneIcon->enterState(activeState, nullptr, -1);
	if (fw::BaseNode* progress = m_phoneIcon->findChildByNameId(progressName, 1))
	{
		setTimerDial(progress, 0.f);
		progress->setVisible(true);
		progress->enterState(normal, nullptr, -1);
	}
}

void GBuildingNode::declineBuyRequest()
{
	if (m_levelConfiguration)
		m_offerDurationMs =
			drawDuration(levelservices::random(this), m_levelConfiguration->getBuildingsBuyRequestTime());
	m_offerElapsedMs = 0;
	setBuyRequestActive(false);
	if (m_forSaleNode)
		setPriceText(roundToInt(getPrice()));
	postSelectionChanged();
}

void GBuildingNode::clearOffersAndAlert()
{
	setForSale(false);
	declineBuyRequest();
	setAlertIcon(ALERT_NONE);
	postSelectionChanged();
}

void GBuildingNode::updateOffer(fw::u32 stepMs)
{
	static const fw::s32 progressName = nameId("Progress");
	const fw::s32 step = static_cast<fw::s32>(stepMs);
	m_offerElapsedMs = m_offerElapsedMs > INT32_MAX - step ? INT32_MAX : m_offerElapsedMs + step;
	fw::s32 price = 0;
	if (m_offerElapsedMs > m_offerDurationMs)
	{
		m_offerElapsedMs = 0;
		if (!m_isForSale)
			return;
		if (!m_isOwned)
		{
			setForSale(false);
			postSelectionChanged();
			return;
		}
		if (!m_levelConfiguration)
			return;
		if (m_isBuyRequestActive)
		{
			price = roundToInt(getPrice());
			m_offerDurationMs =
				drawDuration(levelservices::random(this), m_levelConfiguration->getBuildingsBuyRequestTime());
			setBuyRequestActive(false);
		}
		else
		{
			const fw::core::vector2df& factors = m_levelConfiguration->getBuildingsBuyRequestPriceMultiplier();
			fw::CRandomGenerator* random = levelservices::random(this);
			m_saleFactor = random ? random->nextFloatInRange(factors.X, factors.Y) : factors.X;
			price = getSellPrice();
			m_offerDurationMs =
				drawDuration(levelservices::random(this), m_levelConfiguration->getBuildingsBuyRequestTimeWaiting());
			setBuyRequestActive(true);
		}
		postSelectionChanged();
	}
	else if (m_isForSale)
	{
		fw::BaseNode* dial = nullptr;
		if (!m_isOwned)
		{
			price = roundToInt(getPrice());
			dial = m_forSaleNode ? m_forSaleNode->findChildByNameId(progressName, 1) : nullptr;
		}
		else if (!m_isBuyRequestActive)
			price = roundToInt(getPrice());
		else
		{
			price = getSellPrice();
			dial = m_phoneIcon ? m_phoneIcon->findChildByNameId(progressName, 1) : nullptr;
		}
		if (dial && m_offerDurationMs != 0)
			setTimerDial(dial, static_cast<fw::f32>(m_offerElapsedMs) / static_cast<fw::f32>(m_offerDurationMs));
	}
	if (m_priceText && price > 0)
		setPriceText(price);
}
