#pragma once

#include "core/CRefHolder.h"
#include "core/CTimer.h"
#include "core/SceneNode.h"
#include "level/buildings/IGBuildingSite.h"
#include "level/data/GGameMessages.h"
#include "level/data/GameNodeTypeIds.h"
#include "level/data/IGLevelPathsOwner.h"
#include "level/scene/GLevelEconomy.h"
#include "level/scene/GLevelRequests.h"
#include "level/scene/GLevelWorks.h"
#include "level/scene/GMoneyLetters.h"

#include <rect.h>

namespace fw
{
class CEventNodePressed;
class CEventNodePressedPreview;
class CEventSceneTransitionStart;
class CSoundManager;
} // namespace fw

class GBuildingConfiguration;
class GBuildingNode;
class GBuildingsConfiguration;
class GBuildingWork;
class GLevelConfiguration;
class GLevelPaths;
class GPurchaseOffer;
class GWeatherParticlesNode;
class IGLevelUpgradeEffects;
class IGTrafficManager;

// What happened to a building during a level; the objectives count these.
struct GLevelHistoryRecord
{
	fw::s32 kind = 0;
	// Name id of the type's Name.
	fw::s32 buildingType = -1;
	// Name id of the building node.
	fw::s32 place = -1;
	fw::u8 flag = 0;
};

// The running level: the map of one level's building places (loaded from its scene file) and the
// simulation of its economy. Every 20 ms of its scene's timer manager it moves the street traffic,
// advances the clock and the game day, runs the works and the money letters, completes deliveries
// and counts the weather down; whenever something changed it recalculates modifiers, income,
// guests and rating and checks the objectives. It posts its news to its parent (the gameplay
// screen) through its scene manager's queue, and takes requests from random events and the
// tutorial as game messages. Four parts of its own do most of that, and the level forwards its
// operations to them: the economy, the works with the player's operations that start them, the
// requests, and the money letters.
class GGameLevelScene : public fw::SceneNode, public fw::CTimer, public IGLevelPathsOwner, public IGBuildingSite
{
public:
	FW_NODE_CLASS(GGameLevelScene, fw::SceneNode, NODE_TYPE_GAME_LEVEL_SCENE, L"GGameLevelScene")

	static constexpr fw::u32 INTERVAL = 20;

	GGameLevelScene(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);
	~GGameLevelScene() override;

	// --- Loading, set-up and lifecycle.

	void onInit() override;
	void copyFrom(const fw::BaseNode* source, fw::ISceneManager* sceneManager) override;
	void focusDefaultChild() override {}

	void setBuildingsConfiguration(GBuildingsConfiguration* configuration);
	void setLevelConfiguration(GLevelConfiguration* configuration);
	void setLevelUpgradeEffects(IGLevelUpgradeEffects* effects);
	// Also makes the level's street traffic anew, on the cargos node (no neutral cars without paths).
	void setLevelPaths(GLevelPaths* paths);
	void setPaused(bool paused) { m_paused = paused; }
	bool isPaused() const override { return m_paused; }

	GBuildingsConfiguration* getBuildingsConfiguration() const { return m_buildingsConfiguration.get(); }
	GLevelConfiguration* getLevelConfiguration() const override { return m_levelConfiguration.get(); }
	IGLevelUpgradeEffects* getLevelUpgradeEffects() const override { return m_upgradeEffects.get(); }
	GLevelPaths* getLevelPaths() const override { return m_levelPaths.get(); }
	IGTrafficManager* getTrafficManager() const override { return m_traffic.get(); }
	bool offerMessage(GGameMessage* message) override { return offerGameMessage(this, message); }
	// In place of the one setLevelPaths makes.
	void setTrafficManager(IGTrafficManager* traffic);

	fw::ControlNode* getBuildingsNode() const { return m_buildingsNode.get(); }
	fw::BaseNode* getCargosNode() const { return m_cargosNode.get(); }
	const fw::core::array<GBuildingNode*>& getBuildings() const override { return m_buildings; }
	// The scene's Position to Position + Bounds.
	fw::core::rect<fw::s32> getMapBounds() const override;
	GWeatherParticlesNode* getWeatherNode() const { return m_weatherNode.get(); }

	GBuildingNode* getSelectedBuilding() const;
	// Money, stock, workers, deliveries, income, guests, rating and the clock.
	const GLevelEconomy& getEconomy() const { return m_economy; }
	GLevelEconomy& getEconomy() { return m_economy; }
	fw::s32 getRatingLevel() const { return m_economy.getRatingLevel(m_levelConfiguration.get()); }
	bool isMaterialsDeliveryPending() const { return m_economy.isMaterialsDeliveryPending(); }
	bool isWorkersTrainingPending() const { return m_economy.isWorkersTrainingPending(); }
	bool isLevelCompleted() const { return m_objectivesMet && m_completionHint.empty(); }
	bool areObjectivesMet() const { return m_objectivesMet; }
	const fw::core::stringw& getCompletionHint() const { return m_completionHint; }

	// --- Step and recalculation.

	bool onTimer(fw::u32 elapsed) override;
	void recalculate();
	void updateServiceLists();
	void dropUnprovidedRequests();
	void checkLevelCompleted();
	// The list holds one reference; null is ignored.
	void addWork(GBuildingWork* work) { m_works.addWork(work); }
	void updateWorks(fw::u32 stepMs) { m_works.updateWorks(stepMs); }
	const fw::core::array<GBuildingWork*>& getWorks() const { return m_works.getWorks(); }
	const fw::core::array<fw::s32>& getProvidedServices() const { return m_providedServices; }

	// --- Player operations (GLevelWorks says what each does).

	bool startConstruction(GBuildingNode* place, const GBuildingConfiguration* type)
	{
		return m_works.startConstruction(place, type);
	}
	bool startUpgrade(GBuildingNode* building) { return m_works.startUpgrade(building); }
	bool startDestroy(GBuildingNode* building) { return m_works.startDestroy(building); }
	bool startRepair(GBuildingNode* building) { return m_works.startRepair(building); }
	bool startCleaning(GBuildingNode* building) { return m_works.startCleaning(building); }
	bool startRestoring(GBuildingNode* building) { return m_works.startRestoring(building); }
	// The requester's alert names the service.
	bool startCustomServe(GBuildingNode* requester) { return m_works.startCustomServe(requester); }
	// The first owned, built, idle building that provides the service; null without one.
	GBuildingNode* findServer(fw::s32 service) const { return m_works.findServer(service); }
	bool activateFeature(GBuildingNode* building, fw::s32 featureIndex)
	{
		return m_works.activateFeature(building, featureIndex);
	}

	// --- History.

	void addHistory(fw::s32 kind, const GBuildingNode* building, const GBuildingConfiguration* type);
	const fw::core::array<GLevelHistoryRecord>& getHistory() const { return m_history; }

	// --- Purchases and sales.

	bool canAffordBuilding(const GBuildingConfiguration* type) const;
	bool canAffordPurchase(const GBuildingNode* building) const;
	bool buyMaterials(const GPurchaseOffer* offer);
	bool buyWorkers(const GPurchaseOffer* offer);
	bool buyBuilding(GBuildingNode* building);
	bool sellBuilding(GBuildingNode* building);
	fw::u32 countBuildingsOfType(fw::s32 typeName) const;

	// --- Requests.

	static bool matchesFilter(const GBuildingNode* building, const fw::core::array<fw::s32>& types,
		const fw::core::array<fw::s32>& places)
	{
		return GLevelRequests::matchesFilter(building, types, places);
	}
	const fw::core::array<fw::BaseNode*>& getMoneyLetters() const { return m_letters.getLetters(); }
	fw::s32 getWeatherTime() const { return m_requests.getWeatherTime(); }

	// --- Event map.

	static const fw::EventMap& getClassEventMap();

	virtual bool onSceneSwitchStarted(fw::CEventSceneTransitionStart* event);
	virtual bool onNodePressedPreview(fw::CEventNodePressedPreview* event);
	virtual bool onNodePressed(fw::CEventNodePressed* event);
	virtual bool onNodeHovered(fw::CEventNodeHovered* event);
	virtual bool onNodeUnhovered(fw::CEventNodeUnhovered* event);
	virtual bool onNodeFocused(fw::CEventNodeFocused* event);
	virtual bool onNodeUnfocused(fw::CEventNodeUnfocused* event);

	bool onConstructionDone(GConstructionDoneMessage* message) { return m_works.onConstructionDone(message); }
	bool onRepairDone(GRepairDoneMessage* message) { return m_works.onRepairDone(message); }
	bool onCleaningDone(GCleaningDoneMessage* message) { return m_works.onCleaningDone(message); }
	bool onServeDone(GServeDoneMessage* message) { return m_works.onServeDone(message); }
	bool onFeatureReady(GFeatureReadyMessage* message) { return m_works.onFeatureReady(message); }
	bool onFeatureIncome(GFeatureIncomeMessage* message) { return m_works.onFeatureIncome(message); }
	bool onFeatureFinished(GFeatureFinishedMessage* message) { return m_works.onFeatureFinished(message); }
	bool onSellBuildingRequest(GSellBuildingRequestMessage* message)
	{
		return m_requests.onSellBuildingRequest(message);
	}
	bool onBrokenBuildingRequest(GBrokenBuildingRequestMessage* message)
	{
		return m_requests.onBrokenBuildingRequest(message);
	}
	bool onDirtyBuildingRequest(GDirtyBuildingRequestMessage* message)
	{
		return m_requests.onDirtyBuildingRequest(message);
	}
	bool onCafeBuildingRequest(GCafeBuildingRequestMessage* message)
	{
		return m_requests.onCafeBuildingRequest(message);
	}
	bool onLetterRequest(GLetterRequestMessage* message) { return m_letters.onLetterRequest(message); }
	bool onPauseRequest(GPauseRequestMessage* message);
	bool onBuildingTypesQuery(GBuildingTypesQueryMessage* message) { return m_requests.onBuildingTypesQuery(message); }
	bool onWeatherEffectRequest(GWeatherEffectRequestMessage* message)
	{
		return m_requests.onWeatherEffectRequest(message);
	}
	bool onDestroyDone(GDestroyDoneMessage* message) { return m_works.onDestroyDone(message); }
	bool onResourcesReturned(GResourcesReturnedMessage* message) { return m_works.onResourcesReturned(message); }

private:
	friend class GLevelWorks;

	// Queues the message for the parent; dropped without a scene manager.
	void postToParent(GGameMessage* message);
	void postStateChanged() { postToParent(new GLevelStateChangedMessage); }
	// Starts the configuration's random events on the scene's timer manager (none yet: they wait).
	void startRandomEvents();
	void stopRandomEvents();
	void releaseBuildingsNode();
	void createWeatherNode();

	fw::CRefHolder<IGTrafficManager> m_traffic;
	fw::CRefHolder<fw::ControlNode> m_buildingsNode;
	fw::core::array<GBuildingNode*> m_buildings;
	fw::CRefHolder<fw::BaseNode> m_cargosNode;
	fw::CRefHolder<GLevelConfiguration> m_levelConfiguration;
	fw::CRefHolder<GBuildingsConfiguration> m_buildingsConfiguration;
	fw::CRefHolder<IGLevelUpgradeEffects> m_upgradeEffects;
	fw::CRefHolder<GLevelPaths> m_levelPaths;
	GBuildingNode* m_selectedBuilding = nullptr;
	GBuildingNode* m_previousSelectedBuilding = nullptr;
	bool m_paused = false;
	bool m_objectivesMet = false;
	fw::core::stringw m_completionHint;
	fw::CRefHolder<GWeatherParticlesNode> m_weatherNode;
	fw::core::array<GLevelHistoryRecord> m_history;
	fw::core::array<fw::s32> m_providedServices;
	// The configuration whose random events this level started, so that only it stops them.
	GLevelConfiguration* m_eventsStartedFor = nullptr;
	fw::CRefHolder<fw::CSoundManager> m_soundManager;
	GLevelEconomy m_economy;
	GLevelWorks m_works{*this};
	GLevelRequests m_requests{*this};
	GMoneyLetters m_letters{*this};
};
