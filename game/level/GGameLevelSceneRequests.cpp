// The level's handling of random-event and tutorial requests, its money letters, and its
// purchases and sales.

#include "level/GGameLevelScene.h"

#include "core/ISceneManager.h"
#include "core/NodeCasts.h"
#include "core/TextFormat.h"
#include "core/TextParsing.h"
#include "level/GBuildingNode.h"
#include "level/GBuildingsConfiguration.h"
#include "level/GLevelConfiguration.h"
#include "level/GWeatherParticlesNode.h"
#include "level/LevelServices.h"
#include "platform/CRandomGenerator.h"
#include "widgets/TemplateCollectionNode.h"
#include "widgets/TextNode.h"

#include <cmath>

using levelservices::nameId;

namespace
{
// The minimum when both ends are equal, else a uniform draw between them.
fw::f32 drawInRange(fw::f32 minimum, fw::f32 maximum)
{
	if (minimum == maximum)
		return minimum;
	return minimum + levelservices::random().nextFloat() * (maximum - minimum);
}

GBuildingNode* pickOne(const fw::core::array<GBuildingNode*>& candidates)
{
	return candidates[levelservices::random().nextUInt() % candidates.size()];
}
} // namespace

bool GGameLevelScene::matchesFilter(const GBuildingNode* building, const fw::core::array<fw::s32>& types,
	const fw::core::array<fw::s32>& places)
{
	return levelservices::passesFilter(types, building->getType()->Name) &&
		levelservices::passesFilter(places, building->getNameId());
}

// ---------------------------------------------------------------------------------------------
// Requests.

bool GGameLevelScene::onSellBuildingRequest(GSellBuildingRequestMessage* message)
{
	fw::core::array<GBuildingNode*> candidates;
	for (GBuildingNode* building : levelservices::items(m_buildings))
		if (building->isVisible() && !building->isOwnedByThePlayer() && !building->isForSale() &&
			matchesFilter(building, message->buildingTypes, message->placeNames))
			candidates.push_back(building);
	if (candidates.empty())
		return true;
	GBuildingNode* chosen = pickOne(candidates);
	chosen->setForSale(true);
	chosen->postSelectionChanged();
	return true;
}

void GGameLevelScene::pickForAlert(const GRandomEventMessage* message, fw::s32 typeKind, fw::s32 alert, const char* cue)
{
	fw::core::array<GBuildingNode*> candidates;
	for (GBuildingNode* building : levelservices::items(m_buildings))
		if (building->isWorking() && building->getType()->Type == typeKind && building->msSinceWork >= 10000 &&
			matchesFilter(building, message->buildingTypes, message->placeNames))
			candidates.push_back(building);
	if (candidates.empty())
		return;
	levelservices::playCue(this, cue);
	pickOne(candidates)->setAlertIcon(alert);
	recalculate();
	GLevelStateChangedMessage* changed = new GLevelStateChangedMessage;
	routeUp(fw::ROUTE_SELF_UP, changed);
	changed->drop();
}

bool GGameLevelScene::onBrokenBuildingRequest(GBrokenBuildingRequestMessage* message)
{
	if (m_levelConfiguration && m_levelConfiguration->getModifierValues().CanBuildingsBroke)
		pickForAlert(message, 0, GBuildingNode::ALERT_BROKEN, "Broken");
	return true;
}

bool GGameLevelScene::onDirtyBuildingRequest(GDirtyBuildingRequestMessage* message)
{
	pickForAlert(message, 2, GBuildingNode::ALERT_DIRTY, "Dirty");
	return true;
}

bool GGameLevelScene::onCafeBuildingRequest(GCafeBuildingRequestMessage*)
{
	return true;
}

GMoneyLetter* GGameLevelScene::letterOf(const GBuildingNode* building, fw::u32* index) const
{
	for (fw::u32 i = 0; i < m_moneyLetters.size(); ++i)
	{
		GMoneyLetter* letter = dynamic_cast<GMoneyLetter*>(m_moneyLetters[i]->getUserData());
		if (letter && letter->building == building)
		{
			if (index)
				*index = i;
			return letter;
		}
	}
	return nullptr;
}

bool GGameLevelScene::onLetterRequest(GLetterRequestMessage* message)
{
	static const fw::s32 letterTemplate = nameId("MoneyLetter");
	static const fw::s32 appear = nameId("Appear");
	static const fw::s32 textName = nameId("Text");
	static const fw::s32 progressName = nameId("Progress");
	if (!m_levelConfiguration || !m_levelConfiguration->getModifierValues().CanReceiveMoneyLetters)
		return true;
	fw::core::array<GBuildingNode*> candidates;
	for (GBuildingNode* building : levelservices::items(m_buildings))
		if (building->isWorking() && building->getType()->Level > 0 && building->getType()->Type == 0 &&
			building->msSinceMoneyLetter >= 5000 && !letterOf(building, nullptr) &&
			matchesFilter(building, message->buildingTypes, message->placeNames))
			candidates.push_back(building);
	if (candidates.empty())
		return true;
	fw::ISceneManager* manager = getSceneManager();
	const fw::TemplateCollectionNode* collection =
		manager ? fw::nodeCast<fw::TemplateCollectionNode>(manager->getTemplateCollectionNode()) : nullptr;
	const fw::BaseNode* source = collection ? collection->getTemplate(letterTemplate) : nullptr;
	if (!source)
		return true;
	levelservices::playCue(this, "MoneyLetter");
	GBuildingNode* building = pickOne(candidates);
	const fw::f32 share = drawInRange(message->moneyMin, message->moneyMax);
	const fw::s32 amount =
		fw::truncateToInt(100.0 * std::floor(static_cast<fw::f64>(building->getIncome() * 0.01f * share) + 1.0));
	const fw::s32 duration = levelservices::roundToInt(drawInRange(message->waitMin, message->waitMax));
	const fw::CRefHolder<GMoneyLetter> letter = fw::adoptRef(new GMoneyLetter(amount, duration, building));

	fw::BaseNode* node = source->clone(building, manager);
	node->setTransient(true);
	node->setVisible(true);
	node->setUserData(letter.get());
	node->setState(appear, nullptr);
	m_moneyLetters.push_back(node);
	building->setWantFocus(false);
	if (fw::TextNode* text = fw::nodeCast<fw::TextNode>(node->findChildByNameId(textName, 1)))
		text->setText(levelservices::moneyText(this, amount));
	if (fw::BaseNode* progress = node->findChildByNameId(progressName, 1))
		GBuildingNode::setTimerDial(progress, 0.f);
	return true;
}

void GGameLevelScene::removeLetterAt(fw::u32 index, const char* state)
{
	fw::BaseNode* node = m_moneyLetters[index];
	m_moneyLetters[index] = m_moneyLetters.getLast();
	m_moneyLetters.erase(m_moneyLetters.size() - 1);
	// The building detaches the node once the state has played.
	node->setState(nameId(state), nullptr);
}

void GGameLevelScene::updateMoneyLetters(fw::u32 stepMs)
{
	static const fw::s32 progressName = nameId("Progress");
	const fw::s32 step = static_cast<fw::s32>(stepMs);
	fw::u32 i = 0;
	while (i < m_moneyLetters.size())
	{
		fw::BaseNode* node = m_moneyLetters[i];
		GMoneyLetter* letter = dynamic_cast<GMoneyLetter*>(node->getUserData());
		if (!letter)
		{
			m_moneyLetters[i] = m_moneyLetters.getLast();
			m_moneyLetters.erase(m_moneyLetters.size() - 1);
			continue;
		}
		letter->elapsed = letter->elapsed > INT32_MAX - step ? INT32_MAX : letter->elapsed + step;
		if (letter->elapsed < letter->duration && letter->building->isWorking())
		{
			if (fw::BaseNode* progress = node->findChildByNameId(progressName, 1))
				GBuildingNode::setTimerDial(progress,
					static_cast<fw::f32>(letter->elapsed) / static_cast<fw::f32>(letter->duration));
			++i;
			continue;
		}
		letter->building->msSinceMoneyLetter = 0;
		letter->building->setWantFocus(true);
		removeLetterAt(i, "Disappear");
	}
}

bool GGameLevelScene::collectLetter(GBuildingNode* building)
{
	fw::u32 index = 0;
	GMoneyLetter* letter = letterOf(building, &index);
	if (!letter)
		return false;
	m_economy.earn(static_cast<fw::f32>(letter->amount));
	recalculate();
	building->msSinceMoneyLetter = 0;
	building->setWantFocus(true);
	removeLetterAt(index, "DisappearHit");
	levelservices::playCue(this, "ObjFound");
	return true;
}

bool GGameLevelScene::onWeatherEffectRequest(GWeatherEffectRequestMessage* message)
{
	if (!m_weatherNode)
		return true;
	m_weatherNode->setEnabled(true);
	const fw::s32 extra = levelservices::random().nextIntInRange(message->minDuration, message->maxDuration);
	// Long rain saturates instead of wrapping round to none.
	const fw::s64 total = static_cast<fw::s64>(m_weatherTime) + extra;
	m_weatherTime = total > INT32_MAX ? INT32_MAX : total < INT32_MIN ? INT32_MIN : static_cast<fw::s32>(total);
	if (!m_levelConfiguration || m_levelConfiguration->getSettingIndex() != 4)
		levelservices::playCue(this, "Rain", true);
	return true;
}

bool GGameLevelScene::onBuildingTypesQuery(GBuildingTypesQueryMessage* message)
{
	for (const GBuildingNode* building : levelservices::items(m_buildings))
		if (building->isOwnedByThePlayer() &&
			levelservices::contains(message->buildingTypes, building->getType()->Name))
		{
			message->found = true;
			break;
		}
	return true;
}

// ---------------------------------------------------------------------------------------------
// Purchases and sales.

bool GGameLevelScene::canAffordBuilding(const GBuildingConfiguration* type) const
{
	return m_economy.canAffordBuilding(type, m_levelConfiguration.get());
}

bool GGameLevelScene::canAffordPurchase(const GBuildingNode* building) const
{
	return m_economy.canAffordPurchase(building, m_levelConfiguration.get());
}

bool GGameLevelScene::buyMaterials(const GPurchaseOffer* offer)
{
	if (!m_economy.buyMaterials(offer, m_levelConfiguration.get()))
		return false;
	postStateChanged();
	return true;
}

bool GGameLevelScene::buyWorkers(const GPurchaseOffer* offer)
{
	if (!m_economy.buyWorkers(offer, m_levelConfiguration.get()))
		return false;
	postStateChanged();
	return true;
}

bool GGameLevelScene::buyBuilding(GBuildingNode* building)
{
	if (!m_economy.buyBuilding(building))
		return false;
	levelservices::playCue(this, "Bought");
	addHistory(2, building, building->getType());
	recalculate();
	postStateChanged();
	return true;
}

bool GGameLevelScene::sellBuilding(GBuildingNode* building)
{
	if (!m_economy.sellBuilding(building))
		return false;
	levelservices::playCue(this, "Sold");
	addHistory(3, building, building->getType());
	// The sold building no longer serves: requests only it answered are dropped.
	updateServiceLists();
	dropUnprovidedRequests();
	recalculate();
	postStateChanged();
	return true;
}

fw::u32 GGameLevelScene::countBuildingsOfType(fw::s32 typeName) const
{
	fw::u32 count = 0;
	for (const GBuildingNode* building : levelservices::items(m_buildings))
	{
		if (building->isOwnedByThePlayer() && building->getType()->Name == typeName)
			++count;
		else if (building->getWorkCode() == GBuildingNode::WORK_DESTROY && building->getPreviousType() &&
			building->getPreviousType()->Name == typeName)
			++count;
	}
	return count;
}
