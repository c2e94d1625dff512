// The player's operations on buildings (each pays at once and hands the building a work) and the
// level's handling of what the works report when they end.

#include "level/GGameLevelScene.h"

#include "core/ISceneManager.h"
#include "core/NodeCasts.h"
#include "level/GBuildingNode.h"
#include "level/GBuildingsConfiguration.h"
#include "level/GConstructionWork.h"
#include "level/GDestroyWork.h"
#include "level/GFeatureWork.h"
#include "level/GLevelConfiguration.h"
#include "level/GLevelPaths.h"
#include "level/GProgressBarWork.h"
#include "level/GRestoringWork.h"
#include "level/GServeWork.h"
#include "level/LevelServices.h"
#include "widgets/TemplateCollectionNode.h"

fw::TemplateCollectionNode* GGameLevelScene::getWorkTemplates() const
{
	fw::ISceneManager* scenes = getSceneManager();
	return scenes ? fw::nodeCast<fw::TemplateCollectionNode>(scenes->getTemplateCollectionNode()) : nullptr;
}

GLevelPath* GGameLevelScene::findWorkPath(const GBuildingNode* building) const
{
	return m_levelPaths && building ? m_levelPaths->findPath(building->getNameId()) : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Building, upgrading and destroying.

bool GGameLevelScene::startConstruction(GBuildingNode* place, const GBuildingConfiguration* type)
{
	if (!m_cargosNode || !place || place->getType()->Level != 0 || !type || !canAffordBuilding(type) ||
		!place->isOwnedByThePlayer() || place->getWorkCode() != GBuildingNode::WORK_NONE)
		return false;
	beginConstruction(place, type);
	return true;
}

bool GGameLevelScene::startUpgrade(GBuildingNode* building)
{
	if (!building || building->getType()->Level == 0 || !building->isWorking() ||
		building->getWorkCode() != GBuildingNode::WORK_NONE || !m_buildingsConfiguration)
		return false;
	const GBuildingConfiguration* next = m_buildingsConfiguration->getBuilding(building->getType()->NextLevelName);
	if (!next || !canAffordBuilding(next))
		return false;
	beginConstruction(building, next);
	return true;
}

void GGameLevelScene::beginConstruction(GBuildingNode* building, const GBuildingConfiguration* type)
{
	// The record may be one the building lets go of when it takes the new type.
	const fw::CRefHolder<const GBuildingConfiguration> newType(type);
	building->saveFeatureState();
	building->setType(newType.get(), false);
	// The place keeps its look until the construction work gives it the new one.
	const GBuildingConfiguration* previous = building->getPreviousType();
	if (previous && building->getTemplateName() != previous->Name)
		building->setTemplateName(previous->Name);
	const GLevelConfiguration* level = m_levelConfiguration.get();
	const fw::f32 materialsCost = newType->getBuildMaterialsCost(level);
	const fw::s32 workersCost = newType->getBuildWorkersCost(level);
	const fw::CRefHolder<GConstructionWork> work =
		fw::adoptRef(new GConstructionWork(this, building, building->getType(), m_cargosNode.get(), getWorkTemplates(),
			findWorkPath(building), materialsCost, workersCost));
	addWork(work.get());
	building->setWork(GBuildingNode::WORK_CONSTRUCTION, work.get());
	m_economy.spend(newType->Cost, materialsCost, workersCost);
	recalculate();
	postStateChanged();
}

bool GGameLevelScene::startDestroy(GBuildingNode* building)
{
	static const fw::s32 placeName = levelservices::nameId("BuildingPlace");
	if (!building || building->getType()->Level == 0 || !building->isOwnedByThePlayer() ||
		building->getWorkCode() != GBuildingNode::WORK_NONE)
		return false;
	const fw::CRefHolder<GBuildingConfiguration> destroyed(building->getType());
	building->saveFeatureState();
	building->clearOffersAndAlert();
	const fw::CRefHolder<GDestroyWork> work =
		fw::adoptRef(new GDestroyWork(this, building, m_cargosNode.get(), getWorkTemplates(), findWorkPath(building)));
	addWork(work.get());
	building->setWork(GBuildingNode::WORK_DESTROY, work.get());
	// Destroying pays nothing back and costs only the crew.
	m_economy.spend(0.f, 0.f, destroyed->getDestroyWorkersCost(m_levelConfiguration.get()));
	for (GBuildingNode* other : levelservices::items(m_buildings))
		if (other->getServerOf(destroyed->Name) == building)
			other->setServerOf(destroyed->Name, nullptr);
	building->setType(m_buildingsConfiguration ? m_buildingsConfiguration->getBuilding(placeName) : nullptr, false);
	// Buildings the destroyed one served find another server of its kind.
	for (GBuildingNode* other : levelservices::items(m_buildings))
		other->claimServedBuildings();
	// The list of provided services still names what the destroyed building provided.
	updateServiceLists();
	dropUnprovidedRequests();
	recalculate();
	postStateChanged();
	return true;
}

// ---------------------------------------------------------------------------------------------
// Repairing, cleaning and restoring.

bool GGameLevelScene::canStartRepairWork(const GBuildingNode* building, fw::s32 alert) const
{
	return building && building->getType()->Level != 0 && building->isOwnedByThePlayer() &&
		building->getAlert() == alert && building->getWorkCode() == GBuildingNode::WORK_NONE;
}

void GGameLevelScene::beginRepairWork(GBuildingNode* building, GBuildingWork* work, fw::f32 materialsCost,
	fw::s32 workersCost)
{
	addWork(work);
	building->setWork(GBuildingNode::WORK_REPAIR, work);
	building->setAlertIcon(GBuildingNode::ALERT_NONE);
	m_economy.spend(0.f, materialsCost, workersCost);
}

bool GGameLevelScene::startRepair(GBuildingNode* building)
{
	if (!canStartRepairWork(building, GBuildingNode::ALERT_BROKEN))
		return false;
	const GBuildingConfiguration* type = building->getType();
	const fw::f32 materialsCost = type->getRepairMaterialsCost(m_levelConfiguration.get());
	const fw::s32 workersCost = type->getRepairWorkersCost(m_levelConfiguration.get());
	const fw::CRefHolder<GRepairWork> work = fw::adoptRef(new GRepairWork(this, building, m_cargosNode.get(),
		getWorkTemplates(), findWorkPath(building), materialsCost, workersCost));
	beginRepairWork(building, work.get(), materialsCost, workersCost);
	postStateChanged();
	return true;
}

bool GGameLevelScene::startCleaning(GBuildingNode* building)
{
	if (!canStartRepairWork(building, GBuildingNode::ALERT_DIRTY))
		return false;
	const GBuildingConfiguration* type = building->getType();
	const fw::f32 materialsCost = type->getRepairMaterialsCost(m_levelConfiguration.get());
	const fw::s32 workersCost = type->getRepairWorkersCost(m_levelConfiguration.get());
	const fw::CRefHolder<GCleaningWork> work = fw::adoptRef(new GCleaningWork(this, building, m_cargosNode.get(),
		getWorkTemplates(), findWorkPath(building), materialsCost, workersCost));
	beginRepairWork(building, work.get(), materialsCost, workersCost);
	recalculate();
	postStateChanged();
	return true;
}

bool GGameLevelScene::startRestoring(GBuildingNode* building)
{
	if (!canStartRepairWork(building, GBuildingNode::ALERT_UNFINISHED))
		return false;
	const GBuildingConfiguration* type = building->getType();
	const fw::f32 materialsCost = type->getBuildMaterialsCost(m_levelConfiguration.get());
	const fw::s32 workersCost = type->getBuildWorkersCost(m_levelConfiguration.get());
	const fw::CRefHolder<GRestoringWork> work = fw::adoptRef(new GRestoringWork(this, building, m_cargosNode.get(),
		getWorkTemplates(), findWorkPath(building), materialsCost, workersCost));
	beginRepairWork(building, work.get(), materialsCost, workersCost);
	postStateChanged();
	return true;
}

// ---------------------------------------------------------------------------------------------
// Serving and features.

GBuildingNode* GGameLevelScene::findServer(fw::s32 service) const
{
	for (GBuildingNode* building : levelservices::items(m_buildings))
	{
		const GBuildingConfiguration* type = building->getType();
		if (building->isOwnedByThePlayer() && type->Level != 0 && building->getWorkCode() == GBuildingNode::WORK_NONE &&
			type->ProvidedService == service)
			return building;
	}
	return nullptr;
}

bool GGameLevelScene::startCustomServe(GBuildingNode* requester)
{
	if (!requester || !requester->getType() || !requester->isOwnedByThePlayer() || requester->getAlert() < 4 ||
		requester->getWorkCode() != GBuildingNode::WORK_NONE)
		return false;
	GBuildingNode* server = findServer(requester->getAlert());
	if (!server)
		return false;
	fw::TemplateCollectionNode* templates = getWorkTemplates();
	const fw::CRefHolder<GServeWork> serve = fw::adoptRef(new GServeWork(this, server, templates));
	server->setWork(GBuildingNode::WORK_SERVE, serve.get());
	addWork(serve.get());
	if (requester->getAlert() == 5)
	{
		const fw::CRefHolder<GServeProgressWork> progress = fw::adoptRef(
			new GServeProgressWork(this, requester, m_cargosNode.get(), templates, findWorkPath(requester)));
		addWork(progress.get());
		requester->setWork(GBuildingNode::WORK_REPAIR, progress.get());
	}
	requester->setAlertIcon(GBuildingNode::ALERT_NONE);
	updateServiceLists();
	postStateChanged();
	return true;
}

bool GGameLevelScene::activateFeature(GBuildingNode* building, fw::s32 featureIndex)
{
	if (!building || !building->getType() || !building->isOwnedByThePlayer() ||
		!building->isFeatureUnlocked(featureIndex) || building->getFeatureState(featureIndex) != GFeatureState::READY)
		return false;
	// Serving and other features may run beside it; building, destroying and repairing may not.
	const fw::s32 work = building->getWorkCode();
	if (work == GBuildingNode::WORK_CONSTRUCTION || work == GBuildingNode::WORK_DESTROY ||
		work == GBuildingNode::WORK_REPAIR)
		return false;
	const GBuildingConfiguration* type = building->getType();
	// A feature's clock runs only while its building works: a factory still to be finished, broken
	// or dirty would hold its feature work, and so refuse every repair, for the rest of the level.
	if (type->Type >= 3 && !building->isWorking())
		return false;
	if (type->Type >= 3)
	{
		const fw::CRefHolder<GFeatureWork> feature =
			fw::adoptRef(new GFeatureWork(this, building, m_cargosNode.get(), getWorkTemplates(), featureIndex));
		addWork(feature.get());
		building->setWork(GBuildingNode::WORK_FEATURE, feature.get());
	}
	else
		building->activateFeature(featureIndex);
	// isFeatureUnlocked has checked the index against the type's features.
	m_economy.spend(type->ActiveFeatures[static_cast<fw::u32>(featureIndex)].MoneyCost, 0.f, 0);
	recalculate();
	building->playWorkSound();
	postStateChanged();
	return true;
}

// ---------------------------------------------------------------------------------------------
// Results of the works.

bool GGameLevelScene::onConstructionDone(GConstructionDoneMessage* message)
{
	GBuildingNode* building = message->building;
	if (!building)
		return false;
	addHistory(0, building, building->getType());
	building->msSinceWork = 0;
	building->setWork(GBuildingNode::WORK_NONE, nullptr);
	recalculate();
	levelservices::playCue(this, building->getType()->BuiltSoundCueName);
	return false;
}

bool GGameLevelScene::onRepairDone(GRepairDoneMessage* message)
{
	GBuildingNode* building = message->building;
	if (!building)
		return false;
	addHistory(4, building, building->getType());
	building->msSinceWork = 0;
	building->setWork(GBuildingNode::WORK_NONE, nullptr);
	recalculate();
	postStateChanged();
	return false;
}

bool GGameLevelScene::onCleaningDone(GCleaningDoneMessage* message)
{
	GBuildingNode* building = message->building;
	if (!building)
		return false;
	addHistory(8, building, building->getType());
	building->msSinceWork = 0;
	building->setWork(GBuildingNode::WORK_NONE, nullptr);
	recalculate();
	postStateChanged();
	return false;
}

bool GGameLevelScene::onServeDone(GServeDoneMessage* message)
{
	GBuildingNode* building = message->building;
	if (!building)
		return false;
	building->setWork(GBuildingNode::WORK_NONE, nullptr);
	recalculate();
	postStateChanged();
	return false;
}

bool GGameLevelScene::onDestroyDone(GDestroyDoneMessage* message)
{
	GBuildingNode* building = message->building;
	if (!building)
		return false;
	if (const GBuildingConfiguration* destroyed = building->getPreviousType())
		addHistory(1, building, destroyed);
	building->setWork(GBuildingNode::WORK_NONE, nullptr);
	recalculate();
	postStateChanged();
	// The screen refreshes the panel of the building it shows.
	if (building->isFocused())
		postToParent(new GBuildingSelectionChangedMessage(building, building));
	return false;
}

bool GGameLevelScene::onResourcesReturned(GResourcesReturnedMessage* message)
{
	if (!message->building)
		return false;
	m_economy.takeBack(message->materials, message->workers);
	return false;
}
