#include "level/scene/GGameLevelScene.h"

#include "content/CAtlasTexture.h"
#include "core/CEventControl.h"
#include "core/CLogger.h"
#include "core/IContentManager.h"
#include "core/ISceneManager.h"
#include "core/ITimerManager.h"
#include "core/NodeCasts.h"
#include "core/TextParsing.h"
#include "level/buildings/GBuildingNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GLevelPaths.h"
#include "level/data/IGLevelUpgradeEffects.h"
#include "level/nodes/GWeatherParticlesNode.h"
#include "level/scene/GCloudsEffect.h"
#include "level/scene/GTrafficManager.h"
#include "level/scene/IGTrafficManager.h"
#include "level/scene/LevelServices.h"
#include "platform/CSoundManager.h"
#include "platform/CTimerManager.h"
#include "widgets/CEventScene.h"

using levelservices::nameId;

GGameLevelScene::GGameLevelScene(const fw::ContentReference& reference, fw::BaseNode* parent,
	fw::ISceneManager* sceneManager) :
	fw::SceneNode(reference, parent, sceneManager)
{
	setInterval(INTERVAL);
	// Every load of a level's scene file makes a level of its own.
	setContentFlags(fw::CONTENT_NOT_CACHED);
	setEventMask(getEventMask() | fw::EVENT_CATEGORY_GAME_MESSAGE);
}

GGameLevelScene::~GGameLevelScene()
{
	stopRandomEvents();
	releaseBuildingsNode();
	m_levelConfiguration.release();
	m_buildingsConfiguration.release();
	m_upgradeEffects.release();
	m_levelPaths.release();
	// The works leave the cargos node's listeners before it goes.
	m_works.clear();
	m_cargosNode.release();
	m_weatherNode.release();
	for (GBuildingNode* building : levelservices::items(m_buildings))
	{
		building->setLevelScene(nullptr);
		building->drop();
	}
	m_buildings.clear();
	m_traffic.release();
	if (m_soundManager)
		m_soundManager->stopGroup(2);
	if (fw::ITimerManager* manager = getManager())
		manager->removeTimer(this);
}

void GGameLevelScene::releaseBuildingsNode()
{
	if (m_buildingsNode)
		m_buildingsNode->removePostListener(this);
	m_buildingsNode.release();
}

// ---------------------------------------------------------------------------------------------
// Loading and set-up.

void GGameLevelScene::onInit()
{
	static const fw::s32 buildingsName = nameId("Buildings");
	static const fw::s32 cargosName = nameId("CargosNode");
	static const fw::s32 pedestriansName = nameId("Pedestrians");
	fw::SceneNode::onInit();

	releaseBuildingsNode();
	for (GBuildingNode* building : levelservices::items(m_buildings))
		building->drop();
	m_buildings.clear();
	if (fw::ControlNode* buildings = fw::nodeCast<fw::ControlNode>(findChildByNameId(buildingsName, 1)))
	{
		m_buildingsNode.assign(buildings);
		buildings->addPostListener(this);
		for (fw::BaseNode* child : levelservices::items(buildings->getChildren()))
			if (GBuildingNode* building = fw::nodeCast<GBuildingNode>(child))
			{
				building->grab();
				m_buildings.push_back(building);
			}
	}
	m_cargosNode.assign(findChildByNameId(cargosName, 1));
	if (fw::BaseNode* pedestrians = findChildByNameId(pedestriansName, 1))
		pedestrians->setVisible(false);
}

void GGameLevelScene::copyFrom(const fw::BaseNode* source, fw::ISceneManager* sceneManager)
{
	fw::SceneNode::copyFrom(source, sceneManager);
	if (const GGameLevelScene* level = fw::nodeCast<GGameLevelScene>(source))
		m_levelConfiguration = level->m_levelConfiguration;
}

void GGameLevelScene::setBuildingsConfiguration(GBuildingsConfiguration* configuration)
{
	m_buildingsConfiguration.assign(configuration);
}

void GGameLevelScene::setLevelConfiguration(GLevelConfiguration* configuration)
{
	// The events of the configuration being replaced stop with it.
	if (m_levelConfiguration.get() != configuration)
		stopRandomEvents();
	m_levelConfiguration.assign(configuration);
	if (!configuration)
		return;
	m_economy.start(*configuration);
	for (GBuildingNode* building : levelservices::items(m_buildings))
	{
		building->setLevelScene(this);
		building->setLevelConfiguration(configuration);
		if (m_buildingsConfiguration)
			building->setType(m_buildingsConfiguration->getBuilding(building->getTemplateName()), false);
	}
	startRandomEvents();
	if (GLevelObjectiveList* objectives = configuration->getObjectives())
		for (fw::u32 i = 0; i < objectives->size(); ++i)
			objectives->get(i)->reset();
}

void GGameLevelScene::startRandomEvents()
{
	GRandomEventList* events = m_levelConfiguration ? m_levelConfiguration->getRandomEvents() : nullptr;
	if (!events)
		return;
	fw::ITimerManager* manager = getSceneTimerManager();
	for (fw::u32 i = 0; i < events->size(); ++i)
		events->get(i)->start(this, manager);
	m_eventsStartedFor = m_levelConfiguration.get();
}

void GGameLevelScene::stopRandomEvents()
{
	// Only the level that started them: a copy shares the configuration but not its events.
	if (!m_eventsStartedFor || m_eventsStartedFor != m_levelConfiguration.get())
		return;
	if (GRandomEventList* events = m_levelConfiguration->getRandomEvents())
		for (fw::u32 i = 0; i < events->size(); ++i)
			events->get(i)->stop();
	m_eventsStartedFor = nullptr;
}

void GGameLevelScene::setLevelUpgradeEffects(IGLevelUpgradeEffects* effects)
{
	m_upgradeEffects.assign(effects);
	recalculate();
}

void GGameLevelScene::setLevelPaths(GLevelPaths* paths)
{
	m_levelPaths.assign(paths);
	// The traffic of the old paths goes with them.
	m_traffic.release();
	m_traffic = fw::adoptRef<IGTrafficManager>(new GTrafficManager(this, m_cargosNode.get()));
}

void GGameLevelScene::setTrafficManager(IGTrafficManager* traffic)
{
	m_traffic.assign(traffic);
}

fw::core::rect<fw::s32> GGameLevelScene::getMapBounds() const
{
	const fw::core::vector3df& position = getPosition();
	const fw::core::vector3df& bounds = getBounds();
	return fw::core::rect<fw::s32>(fw::truncateToInt(position.X), fw::truncateToInt(position.Y),
		fw::truncateToInt(position.X + bounds.X), fw::truncateToInt(position.Y + bounds.Y));
}

GBuildingNode* GGameLevelScene::getSelectedBuilding() const
{
	if (!m_buildingsNode)
		return nullptr;
	fw::ControlNode* focused = m_buildingsNode->getFocusedChild();
	if (!focused || !focused->isFocused())
		return nullptr;
	return fw::nodeCast<GBuildingNode>(focused);
}

void GGameLevelScene::addHistory(fw::s32 kind, const GBuildingNode* building, const GBuildingConfiguration* type)
{
	GLevelHistoryRecord record;
	record.kind = kind;
	record.buildingType = type ? type->Name : -1;
	record.place = building ? building->getNameId() : -1;
	m_history.push_back(record);
}

void GGameLevelScene::postToParent(GGameMessage* message)
{
	if (getSceneManager())
		postEventToParent(fw::ROUTE_SELF_UP, message);
	message->drop();
}

// ---------------------------------------------------------------------------------------------
// Events.

const fw::EventMap& GGameLevelScene::getClassEventMap()
{
	static const fw::EventMap& map = *new fw::EventMap(fw::makeEventMap(fw::ControlNode::getClassEventMap(),
		{
			fw::eventMapEntry<&GGameLevelScene::onSceneSwitchStarted>(),
			fw::eventMapEntry<&GGameLevelScene::onNodePressedPreview>(),
			fw::eventMapEntry<&GGameLevelScene::onNodePressed>(),
			fw::eventMapEntry<&GGameLevelScene::onNodeHovered>(),
			fw::eventMapEntry<&GGameLevelScene::onNodeUnhovered>(),
			fw::eventMapEntry<&GGameLevelScene::onNodeFocused>(),
			fw::eventMapEntry<&GGameLevelScene::onNodeUnfocused>(),
			fw::eventMapEntry<&GGameLevelScene::onConstructionDone>(),
			fw::eventMapEntry<&GGameLevelScene::onRepairDone>(),
			fw::eventMapEntry<&GGameLevelScene::onCleaningDone>(),
			fw::eventMapEntry<&GGameLevelScene::onServeDone>(),
			fw::eventMapEntry<&GGameLevelScene::onFeatureReady>(),
			fw::eventMapEntry<&GGameLevelScene::onFeatureIncome>(),
			fw::eventMapEntry<&GGameLevelScene::onFeatureFinished>(),
			fw::eventMapEntry<&GGameLevelScene::onDestroyDone>(),
			fw::eventMapEntry<&GGameLevelScene::onResourcesReturned>(),
			fw::eventMapEntry<&GGameLevelScene::onSellBuildingRequest>(),
			fw::eventMapEntry<&GGameLevelScene::onBrokenBuildingRequest>(),
			fw::eventMapEntry<&GGameLevelScene::onDirtyBuildingRequest>(),
			fw::eventMapEntry<&GGameLevelScene::onCafeBuildingRequest>(),
			fw::eventMapEntry<&GGameLevelScene::onLetterRequest>(),
			fw::eventMapEntry<&GGameLevelScene::onPauseRequest>(),
			fw::eventMapEntry<&GGameLevelScene::onBuildingTypesQuery>(),
			fw::eventMapEntry<&GGameLevelScene::onWeatherEffectRequest>(),
		}));
	return map;
}

bool GGameLevelScene::onSceneSwitchStarted(fw::CEventSceneTransitionStart* event)
{
	if (event->getFrom() == this && event->getTo() != this)
	{
		if (fw::ITimerManager* manager = getManager())
			manager->removeTimer(this);
		return false;
	}
	if (event->getTo() != this)
		return false;
	setManager(getSceneTimerManager());
	// Kept for the end, when the level has left its scene manager.
	m_soundManager.assign(levelservices::soundManager(this));
	recalculate();
	if (m_levelConfiguration)
	{
		const fw::CRefHolder<GCloudsEffect> clouds =
			fw::adoptRef(new GCloudsEffect(m_cargosNode.get(), m_works.getWorkTemplates()));
		addWork(clouds.get());
		startRandomEvents();
	}
	if (!m_weatherNode)
		createWeatherNode();
	return true;
}

void GGameLevelScene::createWeatherNode()
{
	const bool snow = m_levelConfiguration && m_levelConfiguration->getSettingIndex() == 4;
	fw::CRefHolder<GWeatherParticlesNode> weather =
		fw::adoptRef(new GWeatherParticlesNode(fw::ContentReference(getContentManager(), ""), this, getSceneManager()));
	weather->setPosition(fw::core::vector3df(0.f, 0.f, 5000.f));
	weather->setEnabled(false);
	weather->setConfigurationFilename(snow ? "levels/common/Effects/Snow.xml" : "levels/common/Effects/Rain.xml");
	if (fw::IContentManager* content = getContentManager())
	{
		fw::CRefHolder<fw::CContent> texture = fw::adoptRef(content->getContent(fw::CONTENT_TYPE_ATLAS_TEXTURE,
			snow ? "particles/Snow.png" : "particles/Rain.png", false));
		weather->setAtlasTexture(dynamic_cast<fw::CAtlasTexture*>(texture.get()));
	}
	m_weatherNode = weather;
}

bool GGameLevelScene::onNodePressedPreview(fw::CEventNodePressedPreview*)
{
	return false;
}

bool GGameLevelScene::onNodePressed(fw::CEventNodePressed* event)
{
	fw::BaseNode* node = event->getNode();
	GBuildingNode* building = fw::nodeCast<GBuildingNode>(node);
	if (building && m_letters.collect(building))
		return true;
	fw::logFormat(fw::LOG_INFORMATION, "Node was pressed: %s", node ? node->getName().c_str() : "");
	if (building)
	{
		m_previousSelectedBuilding = m_selectedBuilding;
		m_selectedBuilding = building;
		postToParent(new GBuildingSelectionChangedMessage(m_selectedBuilding, m_previousSelectedBuilding));
		building->setFocused(true);
		return true;
	}
	if (node == this)
	{
		if (GBuildingNode* selected = getSelectedBuilding())
			selected->setFocused(false);
		m_previousSelectedBuilding = m_selectedBuilding;
		m_selectedBuilding = nullptr;
		postToParent(new GBuildingSelectionChangedMessage(nullptr, m_previousSelectedBuilding));
	}
	return false;
}

bool GGameLevelScene::onNodeHovered(fw::CEventNodeHovered* event)
{
	fw::BaseNode* node = event->getTarget();
	fw::logFormat(fw::LOG_INFORMATION, "Node was hovered: %s", node ? node->getName().c_str() : "");
	return false;
}

bool GGameLevelScene::onNodeUnhovered(fw::CEventNodeUnhovered*)
{
	return false;
}

bool GGameLevelScene::onNodeFocused(fw::CEventNodeFocused* event)
{
	fw::BaseNode* node = event->getTarget();
	fw::logFormat(fw::LOG_INFORMATION, "Node was focused: %s", node ? node->getName().c_str() : "");
	return false;
}

bool GGameLevelScene::onNodeUnfocused(fw::CEventNodeUnfocused*)
{
	return false;
}

bool GGameLevelScene::onPauseRequest(GPauseRequestMessage* message)
{
	m_paused = message->pause;
	if (m_levelConfiguration)
		if (GRandomEventList* events = m_levelConfiguration->getRandomEvents())
			for (fw::u32 i = 0; i < events->size(); ++i)
				events->get(i)->paused = message->pause;
	if (fw::ITimerManager* manager = getSceneTimerManager())
		manager->setRunning(!message->pause);
	return true;
}

// ---------------------------------------------------------------------------------------------
// Step and recalculation.

bool GGameLevelScene::onTimer(fw::u32 dt)
{
	const fw::CRefHolder<GGameLevelScene> self(this);
	if (m_traffic)
		m_traffic->update(dt);
	if (m_paused || isLevelCompleted() || !m_levelConfiguration)
		return true;
	m_economy.advanceClock(dt);
	updateWorks(dt);
	m_letters.update(dt);

	const fw::u32 events = m_economy.settle(dt, *m_levelConfiguration);
	if (events & GLevelEconomy::STEP_DAY_PASSED)
	{
		if (m_economy.getIncome() > 0.f)
			levelservices::playCue(this, "Income");
		postToParent(new GDayPassedMessage);
	}
	if (events & GLevelEconomy::STEP_MATERIALS_DELIVERED)
		levelservices::playCue(this, "MaterialsDelivered");
	if (events & GLevelEconomy::STEP_WORKERS_TRAINED)
		levelservices::playCue(this, "WorkersTrained");
	if (events != 0)
	{
		recalculate();
		postStateChanged();
	}
	m_requests.stepWeather(dt);
	return true;
}

void GGameLevelScene::recalculate()
{
	m_economy.recalculate(m_levelConfiguration.get(), m_upgradeEffects.get(), m_buildings);
	postStateChanged();
	checkLevelCompleted();
	updateServiceLists();
}

void GGameLevelScene::updateServiceLists()
{
	m_providedServices.set_used(0);
	for (GBuildingNode* building : levelservices::items(m_buildings))
	{
		const GBuildingConfiguration* type = building->getType();
		if (!building->isOwnedByThePlayer() || type->Level == 0)
			continue;
		const GBuildingConfiguration* counted = type;
		if (building->getWorkCode() == GBuildingNode::WORK_CONSTRUCTION && type->Level > 0)
			counted = building->getPreviousType();
		if (counted && counted->ProvidedService != 0)
			m_providedServices.push_back(counted->ProvidedService);
	}
}

void GGameLevelScene::dropUnprovidedRequests()
{
	for (GBuildingNode* building : levelservices::items(m_buildings))
	{
		if (!building->isOwnedByThePlayer() || building->getType()->Level == 0 || building->getAlert() < 4)
			continue;
		bool provided = false;
		for (fw::u32 i = 0; i < m_providedServices.size() && !provided; ++i)
			provided = m_providedServices[i] == building->getAlert();
		if (!provided)
			building->setAlertIcon(GBuildingNode::ALERT_NONE);
	}
}

void GGameLevelScene::checkLevelCompleted()
{
	if (isLevelCompleted())
		return;
	m_completionHint = fw::core::stringw();
	m_objectivesMet = true;
	GLevelObjectiveList* objectives = m_levelConfiguration ? m_levelConfiguration->getObjectives() : nullptr;
	if (objectives)
	{
		GLevelObjective* missing = nullptr;
		fw::u32 missingCount = 0;
		fw::u32 i = 0;
		for (; i < objectives->size(); ++i)
		{
			if (objectives->get(i)->isComplete(this))
				continue;
			m_objectivesMet = false;
			if (++missingCount == 2)
				break;
			missing = objectives->get(i);
		}
		if (missingCount == 1 && i == objectives->size())
			m_completionHint = missing->getHint();
	}
	if (m_completionHint.empty() && m_objectivesMet)
	{
		bool broken = false;
		bool dirty = false;
		for (const GBuildingNode* building : levelservices::items(m_buildings))
		{
			if (!building->isOwnedByThePlayer())
				continue;
			const bool repairing = building->getWorkCode() == GBuildingNode::WORK_REPAIR;
			if (building->getType()->Type == 0 && (building->getAlert() == GBuildingNode::ALERT_BROKEN || repairing))
				broken = true;
			else if (building->getAlert() == GBuildingNode::ALERT_DIRTY || repairing)
				dirty = true;
		}
		if (broken && dirty)
			m_completionHint = L"%GamePlay_CompleteBlocked1Hint%";
		else if (broken)
			m_completionHint = L"%GamePlay_CompleteBlocked2Hint%";
		else if (dirty)
			m_completionHint = L"%GamePlay_CompleteBlocked3Hint%";
	}
	if (m_objectivesMet && m_completionHint.empty())
	{
		// Completion holds only once the message is on its way: a level complete before it has a
		// scene manager checks again when it is entered.
		if (!getSceneManager())
		{
			m_objectivesMet = false;
			return;
		}
		postToParent(new GLevelCompletedMessage);
	}
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
