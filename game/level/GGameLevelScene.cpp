#include "level/GGameLevelScene.h"

#include "content/CAtlasTexture.h"
#include "core/CEventControl.h"
#include "core/CLogger.h"
#include "core/IContentManager.h"
#include "core/ISceneManager.h"
#include "core/ITimerManager.h"
#include "core/NodeCasts.h"
#include "core/TextParsing.h"
#include "level/GBuildingNode.h"
#include "level/GBuildingWork.h"
#include "level/GBuildingsConfiguration.h"
#include "level/GCloudsEffect.h"
#include "level/GLevelConfiguration.h"
#include "level/GLevelModifier.h"
#include "level/GLevelPaths.h"
#include "level/GTrafficManager.h"
#include "level/GWeatherParticlesNode.h"
#include "level/IGLevelUpgradeEffects.h"
#include "level/IGTrafficManager.h"
#include "level/LevelServices.h"
#include "platform/CSoundManager.h"
#include "platform/CTimerManager.h"
#include "widgets/CEventScene.h"
#include "widgets/TemplateCollectionNode.h"

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
	for (GBuildingWork* work : levelservices::items(m_works))
		work->drop();
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
	dayTime = 0.f;
	money = configuration->getInitMoney();
	rating = configuration->getInitRating();
	materials = configuration->getInitMaterialsCount();
	freeWorkers = allWorkers = configuration->getInitWorkersCount();
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

fw::s32 GGameLevelScene::getRatingLevel() const
{
	if (!m_levelConfiguration)
		return 0;
	if (rating < 0.f)
		return -1;
	// Thresholds past the list repeat the last; a bound keeps a zero threshold from counting for ever.
	static constexpr fw::s32 MAX_LEVEL = 1000;
	fw::f32 left = rating;
	fw::s32 level = 0;
	while (level < MAX_LEVEL)
	{
		const fw::f32 next = left - static_cast<fw::f32>(m_levelConfiguration->getRatingThreshold(level + 1));
		if (next < 0.f)
			break;
		left = next;
		++level;
	}
	return level;
}

void GGameLevelScene::addWork(GBuildingWork* work)
{
	if (!work)
		return;
	work->grab();
	m_works.push_back(work);
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
			fw::adoptRef(new GCloudsEffect(m_cargosNode.get(), getWorkTemplates()));
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
	if (building && collectLetter(building))
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
	if (fw::CTimerManager* manager = dynamic_cast<fw::CTimerManager*>(getSceneTimerManager()))
		manager->setRunning(!message->pause);
	return true;
}

bool GGameLevelScene::onFeatureReady(GFeatureReadyMessage* message)
{
	if (!message->building)
		return false;
	// The end of a serve work frees its building; a feature that has recharged (the building's own
	// timers send the same message) leaves any other work of the building running.
	if (message->building->getWorkCode() == GBuildingNode::WORK_SERVE)
		message->building->setWork(GBuildingNode::WORK_NONE, nullptr);
	updateServiceLists();
	postStateChanged();
	return false;
}

bool GGameLevelScene::onFeatureIncome(GFeatureIncomeMessage* message)
{
	if (message->building)
		money += message->money;
	return false;
}

bool GGameLevelScene::onFeatureFinished(GFeatureFinishedMessage* message)
{
	if (!message->building)
		return false;
	const fw::s32 kind = message->featureIndex == 1 ? 6 : message->featureIndex == 2 ? 7 : 5;
	addHistory(kind, message->building, message->building->getType());
	recalculate();
	postStateChanged();
	return false;
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
	const fw::f32 dtf = static_cast<fw::f32>(dt);
	elapsed += dtf;
	dayTime += dtf * 0.001f;
	updateWorks(dt);
	updateMoneyLetters(dt);

	bool changed = false;
	if (dayTime >= static_cast<fw::f32>(m_levelConfiguration->getDayLength()))
	{
		if (income > 0.f)
			levelservices::playCue(this, "Income");
		dayTime = 0.f;
		money += income;
		postToParent(new GDayPassedMessage);
		changed = true;
	}
	const GLevelModifierValues& values = m_levelConfiguration->getModifierValues();
	if (materialsCountdown >= 0.f)
	{
		materialsCountdown -= values.MaterialDeliveryTimeM * dtf;
		if (materialsCountdown < 0.f)
		{
			levelservices::playCue(this, "MaterialsDelivered");
			materialsCountdown = -1.f;
			materials += orderedMaterials;
			changed = true;
		}
	}
	if (workersCountdown >= 0.f)
	{
		workersCountdown -= values.WorkerDeliveryTimeM * dtf;
		if (workersCountdown < 0.f)
		{
			levelservices::playCue(this, "WorkersTrained");
			workersCountdown = -1.f;
			freeWorkers += orderedWorkers;
			allWorkers += orderedWorkers;
			changed = true;
		}
	}
	if (changed)
	{
		recalculate();
		postStateChanged();
	}
	if (m_weatherNode && m_weatherTime > 0)
	{
		m_weatherTime -= static_cast<fw::s32>(dt);
		if (m_weatherTime <= 0)
			m_weatherNode->setEnabled(false);
	}
	return true;
}

void GGameLevelScene::updateWorks(fw::u32 stepMs)
{
	fw::u32 i = 0;
	while (i < m_works.size())
	{
		GBuildingWork* work = m_works[i];
		if (work->update(stepMs))
		{
			++i;
			continue;
		}
		// The work may have been taken out meanwhile: find it again before letting it go.
		if (i < m_works.size() && m_works[i] == work)
		{
			m_works[i] = m_works.getLast();
			m_works.erase(m_works.size() - 1);
			work->drop();
		}
	}
}

void GGameLevelScene::recalculate()
{
	const fw::f32 previousRating = rating;
	guests = potentialGuests = 0;
	income = potentialIncome = 0.f;
	rating = 0.f;
	GLevelConfiguration* level = m_levelConfiguration.get();
	if (level)
	{
		rating = level->getInitRating();
		level->getModifierValues().reset();
		if (m_upgradeEffects)
		{
			const fw::core::array<const GLevelModifierList*>& blocks = m_upgradeEffects->getModifierBlocks();
			for (fw::u32 i = 0; i < blocks.size(); ++i)
				if (blocks[i])
					blocks[i]->applyAll(level);
		}
		for (GBuildingNode* building : levelservices::items(m_buildings))
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
			for (GBuildingNode* building : levelservices::items(m_buildings))
				if (building->getAlert() == GBuildingNode::ALERT_BROKEN)
					building->setAlertIcon(GBuildingNode::ALERT_NONE);
	}
	for (GBuildingNode* building : levelservices::items(m_buildings))
		building->computeServeAreaBonus();
	for (GBuildingNode* building : levelservices::items(m_buildings))
	{
		const GBuildingConfiguration* type = building->getType();
		if (type->Level == 0 || !building->isOwnedByThePlayer() || building->isForSale())
			continue;
		if (building->isWorking())
		{
			income += building->getIncome(type);
			guests += type->getGuestsCount(level);
		}
		else
		{
			potentialIncome += building->getIncome(type);
			potentialGuests += type->getGuestsCount(level);
		}
	}
	potentialIncome += income;
	potentialGuests += guests;
	if (previousRating > rating)
		rating = previousRating;
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
