// The level's handling of the requests of random events and the tutorial: offers for sale,
// breakdowns, dirt, rain or snow and the question whether the player owns a building type.

#include "level/scene/GLevelRequests.h"

#include "level/buildings/GBuildingNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GLevelConfiguration.h"
#include "level/nodes/GWeatherParticlesNode.h"
#include "level/scene/GGameLevelScene.h"
#include "level/scene/LevelServices.h"
#include "platform/CRandomGenerator.h"

bool GLevelRequests::matchesFilter(const GBuildingNode* building, const fw::core::array<fw::s32>& types,
	const fw::core::array<fw::s32>& places)
{
	return levelservices::passesFilter(types, building->getType()->Name) &&
		levelservices::passesFilter(places, building->getNameId());
}

GBuildingNode* GLevelRequests::pickOne(const fw::core::array<GBuildingNode*>& candidates, fw::CRandomGenerator* random)
{
	return candidates[random ? random->nextUInt() % candidates.size() : 0];
}

void GLevelRequests::stepWeather(fw::u32 stepMs)
{
	GWeatherParticlesNode* weather = m_level.getWeatherNode();
	if (weather && m_weatherTime > 0)
	{
		m_weatherTime -= static_cast<fw::s32>(stepMs);
		if (m_weatherTime <= 0)
			weather->setEnabled(false);
	}
}

bool GLevelRequests::onSellBuildingRequest(GSellBuildingRequestMessage* message)
{
	fw::core::array<GBuildingNode*> candidates;
	for (GBuildingNode* building : levelservices::items(m_level.getBuildings()))
		if (building->isVisible() && !building->isOwnedByThePlayer() && !building->isForSale() &&
			matchesFilter(building, message->buildingTypes, message->placeNames))
			candidates.push_back(building);
	if (candidates.empty())
		return true;
	GBuildingNode* chosen = pickOne(candidates, levelservices::random(&m_level));
	chosen->setForSale(true);
	chosen->postSelectionChanged();
	return true;
}

void GLevelRequests::pickForAlert(const GRandomEventMessage* message, fw::s32 typeKind, fw::s32 alert, const char* cue)
{
	fw::core::array<GBuildingNode*> candidates;
	for (GBuildingNode* building : levelservices::items(m_level.getBuildings()))
		if (building->isWorking() && building->getType()->Type == typeKind && building->msSinceWork >= 10000 &&
			matchesFilter(building, message->buildingTypes, message->placeNames))
			candidates.push_back(building);
	if (candidates.empty())
		return;
	levelservices::playCue(&m_level, cue);
	pickOne(candidates, levelservices::random(&m_level))->setAlertIcon(alert);
	m_level.recalculate();
	GLevelStateChangedMessage* changed = new GLevelStateChangedMessage;
	m_level.routeUp(fw::ROUTE_SELF_UP, changed);
	changed->drop();
}

bool GLevelRequests::onBrokenBuildingRequest(GBrokenBuildingRequestMessage* message)
{
	if (m_level.getLevelConfiguration() && m_level.getLevelConfiguration()->getModifierValues().CanBuildingsBroke)
		pickForAlert(message, 0, GBuildingNode::ALERT_BROKEN, "Broken");
	return true;
}

bool GLevelRequests::onDirtyBuildingRequest(GDirtyBuildingRequestMessage* message)
{
	pickForAlert(message, 2, GBuildingNode::ALERT_DIRTY, "Dirty");
	return true;
}

bool GLevelRequests::onCafeBuildingRequest(GCafeBuildingRequestMessage*)
{
	return true;
}

bool GLevelRequests::onWeatherEffectRequest(GWeatherEffectRequestMessage* message)
{
	GWeatherParticlesNode* weather = m_level.getWeatherNode();
	if (!weather)
		return true;
	weather->setEnabled(true);
	fw::CRandomGenerator* random = levelservices::random(&m_level);
	const fw::s32 extra =
		random ? random->nextIntInRange(message->minDuration, message->maxDuration) : message->minDuration;
	// Long rain saturates instead of wrapping round to none.
	const fw::s64 total = static_cast<fw::s64>(m_weatherTime) + extra;
	m_weatherTime = total > INT32_MAX ? INT32_MAX : total < INT32_MIN ? INT32_MIN : static_cast<fw::s32>(total);
	if (!m_level.getLevelConfiguration() || m_level.getLevelConfiguration()->getSettingIndex() != 4)
		levelservices::playCue(&m_level, "Rain", true);
	return true;
}

bool GLevelRequests::onBuildingTypesQuery(GBuildingTypesQueryMessage* message)
{
	for (const GBuildingNode* building : levelservices::items(m_level.getBuildings()))
		if (building->isOwnedByThePlayer() &&
			levelservices::contains(message->buildingTypes, building->getType()->Name))
		{
			message->found = true;
			break;
		}
	return true;
}
