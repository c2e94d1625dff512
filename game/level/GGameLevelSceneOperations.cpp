// The player's operations on buildings (each pays at once and hands the building a work) and the
// level's handling of what the works report when they end.

#include "level/GGameLevelScene.h"

#include "core/ISceneManager.h"
#include "core/NodeCasts.h"
#include "level/GBuildingNode.h"
#include "level/GBuildingsConfiguration.h"
#include "level/GFeatureWork.h"
#include "level/GLevelConfiguration.h"
#include "level/GLevelPaths.h"
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
	money -= type->ActiveFeatures[static_cast<fw::u32>(featureIndex)].MoneyCost;
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
	materials += message->materials;
	freeWorkers += message->workers;
	return false;
}
