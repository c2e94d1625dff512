// The level's running works: the player's operations on buildings (each pays at once and hands the
// building a work), the step of every work, and the level's handling of what the works report.

#include "level/scene/GLevelWorks.h"

#include "core/ISceneManager.h"
#include "core/NodeCasts.h"
#include "level/buildings/GBuildingNode.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GLevelConfiguration.h"
#include "level/data/GLevelPaths.h"
#include "level/scene/GGameLevelScene.h"
#include "level/scene/LevelServices.h"
#include "level/works/GCleaningWork.h"
#include "level/works/GConstructionWork.h"
#include "level/works/GDestroyWork.h"
#include "level/works/GFeatureWork.h"
#include "level/works/GRepairWork.h"
#include "level/works/GRestoringWork.h"
#include "level/works/GServeWork.h"
#include "widgets/TemplateCollectionNode.h"

GLevelWorks::GLevelWorks(GGameLevelScene& level) : m_level(level)
{
}

GLevelWorks::~GLevelWorks()
{
	clear();
}

void GLevelWorks::clear()
{
	for (GBuildingWork* work : levelservices::items(m_works))
		work->drop();
	m_works.clear();
}

void GLevelWorks::addWork(GBuildingWork* work)
{
	if (!work)
		return;
	work->grab();
	m_works.push_back(work);
}

void GLevelWorks::updateWorks(fw::u32 stepMs)
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

fw::TemplateCollectionNode* GLevelWorks::getWorkTemplates() const
{
	fw::ISceneManager* scenes = m_level.getSceneManager();
	return scenes ? fw::nodeCast<fw::TemplateCollectionNode>(scenes->getTemplateCollectionNode()) : nullptr;
}

GLevelPath* GLevelWorks::findWorkPath(const GBuildingNode* building) const
{
	GLevelPaths* paths = m_level.getLevelPaths();
	if (!paths || !building)
		return nullptr;
	fw::CRandomGenerator* random = levelservices::random(&m_level);
	return random ? paths->findPath(building->getNameId(), *random) : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Building, upgrading and destroying.

bool GLevelWorks::startConstruction(GBuildingNode* place, const GBuildingConfiguration* type)
{
	if (!m_level.getCargosNode() || !place || place->getType()->Level != 0 || !type ||
		!m_level.canAffordBuilding(type) || !place->isOwnedByThePlayer() ||
		place->getWorkCode() != GBuildingNode::WORK_NONE)
		return false;
	beginConstruction(place, type);
	return true;
}

bool GLevelWorks::startUpgrade(GBuildingNode* building)
{
	if (!building || building->getType()->Level == 0 || !building->isWorking() ||
		building->getWorkCode() != GBuildingNode::WORK_NONE || !m_level.getBuildingsConfiguration())
		return false;
	const GBuildingConfiguration* next =
		m_level.getBuildingsConfiguration()->getBuilding(building->getType()->NextLevelName);
	if (!next || !m_level.canAffordBuilding(next))
		return false;
	beginConstruction(building, next);
	return true;
}

void GLevelWorks::beginConstruction(GBuildingNode* building, const GBuildingConfiguration* type)
{
	// The record may be one the building lets go of when it takes the new type.
	const fw::CRefHolder<const GBuildingConfiguration> newType(type);
	building->saveFeatureState();
	building->setType(newType.get(), false);
	// The place keeps its look until the construction work gives it the new one.
	const GBuildingConfiguration* previous = building->getPreviousType();
	if (previous && building->getTemplateName() != previous->Name)
		building->setTemplateName(previous->Name);
	const GLevelConfiguration* level = m_level.getLevelConfiguration();
	const fw::f32 materialsCost = newType->getBuildMaterialsCost(level);
	const fw::s32 workersCost = newType->getBuildWorkersCost(level);
	const fw::CRefHolder<GConstructionWork> work =
		fw::adoptRef(new GConstructionWork(&m_level, building, building->getType(), m_level.getCargosNode(),
			getWorkTemplates(), findWorkPath(building), materialsCost, workersCost));
	addWork(work.get());
	building->setWork(GBuildingNode::WORK_CONSTRUCTION, work.get());
	m_level.getEconomy().spend(newType->Cost, materialsCost, workersCost);
	m_level.recalculate();
	m_level.postStateChanged();
}

bool GLevelWorks::startDestroy(GBuildingNode* building)
{
	static const fw::s32 placeName = levelservices::nameId("BuildingPlace");
	if (!building || building->getType()->Level == 0 || !building->isOwnedByThePlayer() ||
		building->getWorkCode() != GBuildingNode::WORK_NONE)
		return false;
	const fw::CRefHolder<GBuildingConfiguration> destroyed(building->getType());
	building->saveFeatureState();
	building->clearOffersAndAlert();
	const fw::CRefHolder<GDestroyWork> work = fw::adoptRef(
		new GDestroyWork(&m_level, building, m_level.getCargosNode(), getWorkTemplates(), findWorkPath(building)));
	addWork(work.get());
	building->setWork(GBuildingNode::WORK_DESTROY, work.get());
	// Destroying pays nothing back and costs only the crew.
	m_level.getEconomy().spend(0.f, 0.f, destroyed->getDestroyWorkersCost(m_level.getLevelConfiguration()));
	for (GBuildingNode* other : levelservices::items(m_level.getBuildings()))
		if (other->getServerOf(destroyed->Name) == building)
			other->setServerOf(destroyed->Name, nullptr);
	building->setType(m_level.getBuildingsConfiguration() ? m_level.getBuildingsConfiguration()->getBuilding(placeName)
														  : nullptr,
		false);
	// Buildings the destroyed one served find another server of its kind.
	for (GBuildingNode* other : levelservices::items(m_level.getBuildings()))
		other->claimServedBuildings();
	// The list of provided services still names what the destroyed building provided.
	m_level.updateServiceLists();
	m_level.dropUnprovidedRequests();
	m_level.recalculate();
	m_level.postStateChanged();
	return true;
}

// ---------------------------------------------------------------------------------------------
// Repairing, cleaning and restoring.

bool GLevelWorks::canStartRepairWork(const GBuildingNode* building, fw::s32 alert) const
{
	return building && building->getType()->Level != 0 && building->isOwnedByThePlayer() &&
		building->getAlert() == alert && building->getWorkCode() == GBuildingNode::WORK_NONE;
}

void GLevelWorks::beginRepairWork(GBuildingNode* building, GBuildingWork* work, fw::f32 materialsCost,
	fw::s32 workersCost)
{
	addWork(work);
	building->setWork(GBuildingNode::WORK_REPAIR, work);
	building->setAlertIcon(GBuildingNode::ALERT_NONE);
	m_level.getEconomy().spend(0.f, materialsCost, workersCost);
}

bool GLevelWorks::startRepair(GBuildingNode* building)
{
	if (!canStartRepairWork(building, GBuildingNode::ALERT_BROKEN))
		return false;
	const GBuildingConfiguration* type = building->getType();
	const fw::f32 materialsCost = type->getRepairMaterialsCost(m_level.getLevelConfiguration());
	const fw::s32 workersCost = type->getRepairWorkersCost(m_level.getLevelConfiguration());
	const fw::CRefHolder<GRepairWork> work = fw::adoptRef(new GRepairWork(&m_level, building, m_level.getCargosNode(),
		getWorkTemplates(), findWorkPath(building), materialsCost, workersCost));
	beginRepairWork(building, work.get(), materialsCost, workersCost);
	m_level.postStateChanged();
	return true;
}

bool GLevelWorks::startCleaning(GBuildingNode* building)
{
	if (!canStartRepairWork(building, GBuildingNode::ALERT_DIRTY))
		return false;
	const GBuildingConfiguration* type = building->getType();
	const fw::f32 materialsCost = type->getRepairMaterialsCost(m_level.getLevelConfiguration());
	const fw::s32 workersCost = type->getRepairWorkersCost(m_level.getLevelConfiguration());
	const fw::CRefHolder<GCleaningWork> work = fw::adoptRef(new GCleaningWork(&m_level, building,
		m_level.getCargosNode(), getWorkTemplates(), findWorkPath(building), materialsCost, workersCost));
	beginRepairWork(building, work.get(), materialsCost, workersCost);
	m_level.recalculate();
	m_level.postStateChanged();
	return true;
}

bool GLevelWorks::startRestoring(GBuildingNode* building)
{
	if (!canStartRepairWork(building, GBuildingNode::ALERT_UNFINISHED))
		return false;
	const GBuildingConfiguration* type = building->getType();
	const fw::f32 materialsCost = type->getBuildMaterialsCost(m_level.getLevelConfiguration());
	const fw::s32 workersCost = type->getBuildWorkersCost(m_level.getLevelConfiguration());
	const fw::CRefHolder<GRestoringWork> work = fw::adoptRef(new GRestoringWork(&m_level, building,
		m_level.getCargosNode(), getWorkTemplates(), findWorkPath(building), materialsCost, workersCost));
	beginRepairWork(building, work.get(), materialsCost, workersCost);
	m_level.postStateChanged();
	return true;
}

// ---------------------------------------------------------------------------------------------
// Serving and features.

GBuildingNode* GLevelWorks::findServer(fw::s32 service) const
{
	for (GBuildingNode* building : levelservices::items(m_level.getBuildings()))
	{
		const GBuildingConfiguration* type = building->getType();
		if (building->isOwnedByThePlayer() && type->Level != 0 && building->getWorkCode() == GBuildingNode::WORK_NONE &&
			type->ProvidedService == service)
			return building;
	}
	return nullptr;
}

bool GLevelWorks::startCustomServe(GBuildingNode* requester)
{
	if (!requester || !requester->getType() || !requester->isOwnedByThePlayer() || requester->getAlert() < 4 ||
		requester->getWorkCode() != GBuildingNode::WORK_NONE)
		return false;
	GBuildingNode* server = findServer(requester->getAlert());
	if (!server)
		return false;
	fw::TemplateCollectionNode* templates = getWorkTemplates();
	const fw::CRefHolder<GServeWork> serve = fw::adoptRef(new GServeWork(&m_level, server, templates));
	server->setWork(GBuildingNode::WORK_SERVE, serve.get());
	addWork(serve.get());
	if (requester->getAlert() == 5)
	{
		const fw::CRefHolder<GServeProgressWork> progress = fw::adoptRef(
			new GServeProgressWork(&m_level, requester, m_level.getCargosNode(), templates, findWorkPath(requester)));
		addWork(progress.get());
		requester->setWork(GBuildingNode::WORK_REPAIR, progress.get());
	}
	requester->setAlertIcon(GBuildingNode::ALERT_NONE);
	m_level.updateServiceLists();
	m_level.postStateChanged();
	return true;
}

bool GLevelWorks::activateFeature(GBuildingNode* building, fw::s32 featureIndex)
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
		const fw::CRefHolder<GFeatureWork> feature = fw::adoptRef(
			new GFeatureWork(&m_level, building, m_level.getCargosNode(), getWorkTemplates(), featureIndex));
		addWork(feature.get());
		building->setWork(GBuildingNode::WORK_FEATURE, feature.get());
	}
	else
		building->activateFeature(featureIndex);
	// isFeatureUnlocked has checked the index against the type's features.
	m_level.getEconomy().spend(type->ActiveFeatures[static_cast<fw::u32>(featureIndex)].MoneyCost, 0.f, 0);
	m_level.recalculate();
	building->playWorkSound();
	m_level.postStateChanged();
	return true;
}

// ---------------------------------------------------------------------------------------------
// Results of the works.

bool GLevelWorks::onConstructionDone(GConstructionDoneMessage* message)
{
	GBuildingNode* building = message->building;
	if (!building)
		return false;
	m_level.addHistory(0, building, building->getType());
	building->msSinceWork = 0;
	building->setWork(GBuildingNode::WORK_NONE, nullptr);
	m_level.recalculate();
	levelservices::playCue(&m_level, building->getType()->BuiltSoundCueName);
	return false;
}

bool GLevelWorks::onRepairDone(GRepairDoneMessage* message)
{
	GBuildingNode* building = message->building;
	if (!building)
		return false;
	m_level.addHistory(4, building, building->getType());
	building->msSinceWork = 0;
	building->setWork(GBuildingNode::WORK_NONE, nullptr);
	m_level.recalculate();
	m_level.postStateChanged();
	return false;
}

bool GLevelWorks::onCleaningDone(GCleaningDoneMessage* message)
{
	GBuildingNode* building = message->building;
	if (!building)
		return false;
	m_level.addHistory(8, building, building->getType());
	building->msSinceWork = 0;
	building->setWork(GBuildingNode::WORK_NONE, nullptr);
	m_level.recalculate();
	m_level.postStateChanged();
	return false;
}

bool GLevelWorks::onServeDone(GServeDoneMessage* message)
{
	GBuildingNode* building = message->building;
	if (!building)
		return false;
	building->setWork(GBuildingNode::WORK_NONE, nullptr);
	m_level.recalculate();
	m_level.postStateChanged();
	return false;
}

bool GLevelWorks::onDestroyDone(GDestroyDoneMessage* message)
{
	GBuildingNode* building = message->building;
	if (!building)
		return false;
	if (const GBuildingConfiguration* destroyed = building->getPreviousType())
		m_level.addHistory(1, building, destroyed);
	building->setWork(GBuildingNode::WORK_NONE, nullptr);
	m_level.recalculate();
	m_level.postStateChanged();
	// The screen refreshes the panel of the building it shows.
	if (building->isFocused())
		m_level.postToParent(new GBuildingSelectionChangedMessage(building, building));
	return false;
}

bool GLevelWorks::onResourcesReturned(GResourcesReturnedMessage* message)
{
	if (!message->building)
		return false;
	m_level.getEconomy().takeBack(message->materials, message->workers);
	return false;
}

bool GLevelWorks::onFeatureReady(GFeatureReadyMessage* message)
{
	if (!message->building)
		return false;
	// The end of a serve work frees its building; a feature that has recharged (the building's own
	// timers send the same message) leaves any other work of the building running.
	if (message->building->getWorkCode() == GBuildingNode::WORK_SERVE)
		message->building->setWork(GBuildingNode::WORK_NONE, nullptr);
	m_level.updateServiceLists();
	m_level.postStateChanged();
	return false;
}

bool GLevelWorks::onFeatureIncome(GFeatureIncomeMessage* message)
{
	if (message->building)
		m_level.getEconomy().earn(message->money);
	return false;
}

bool GLevelWorks::onFeatureFinished(GFeatureFinishedMessage* message)
{
	if (!message->building)
		return false;
	const fw::s32 kind = message->featureIndex == 1 ? 6 : message->featureIndex == 2 ? 7 : 5;
	m_level.addHistory(kind, message->building, message->building->getType());
	m_level.recalculate();
	m_level.postStateChanged();
	return false;
}
