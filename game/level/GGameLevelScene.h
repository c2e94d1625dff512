#pragma once

#include "core/CRefHolder.h"
#include "core/CTimer.h"
#include "core/SceneNode.h"
#include "level/GGameMessages.h"
#include "level/GameNodeTypeIds.h"
#include "level/IGLevelPathsOwner.h"

#include <rect.h>

namespace fw
{
class CEventNodePressed;
class CEventNodePressedPreview;
class CEventSceneTransitionStart;
class CSoundManager;
class TemplateCollectionNode;
} // namespace fw

class GBuildingConfiguration;
class GBuildingNode;
class GBuildingsConfiguration;
class GBuildingWork;
class GLevelConfiguration;
class GLevelPath;
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

// A bonus shown on a building until the player collects it by a click or its time runs out. The
// user object of its letter node.
class GMoneyLetter : public virtual fw::IReferenceCounted
{
public:
	GMoneyLetter(fw::s32 amount, fw::s32 duration, GBuildingNode* building) :
		amount(amount), duration(duration), building(building)
	{
	}
	fw::s32 amount;
	fw::s32 elapsed = 0;
	fw::s32 duration;
	// Not held: the level holds its buildings.
	GBuildingNode* building;
};

// The running level: the map of one level's building places (loaded from its scene file) and the
// simulation of its economy. Every 20 ms of its scene's timer manager it moves the street traffic,
// advances the clock and the game day, runs the works and the money letters, completes deliveries
// and counts the weather down; whenever something changed it recalculates modifiers, income,
// guests and rating and checks the objectives. It posts its news to its parent (the gameplay
// screen) through its scene manager's queue, and takes requests from random events and the
// tutorial as game messages.
class GGameLevelScene : public fw::SceneNode, public fw::CTimer, public IGLevelPathsOwner
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
	bool isPaused() const { return m_paused; }

	GBuildingsConfiguration* getBuildingsConfiguration() const { return m_buildingsConfiguration.get(); }
	GLevelConfiguration* getLevelConfiguration() const { return m_levelConfiguration.get(); }
	IGLevelUpgradeEffects* getLevelUpgradeEffects() const { return m_upgradeEffects.get(); }
	GLevelPaths* getLevelPaths() const override { return m_levelPaths.get(); }
	IGTrafficManager* getTrafficManager() const { return m_traffic.get(); }
	// In place of the one setLevelPaths makes.
	void setTrafficManager(IGTrafficManager* traffic);

	fw::ControlNode* getBuildingsNode() const { return m_buildingsNode.get(); }
	fw::BaseNode* getCargosNode() const { return m_cargosNode.get(); }
	const fw::core::array<GBuildingNode*>& getBuildings() const { return m_buildings; }
	// The scene's Position to Position + Bounds.
	fw::core::rect<fw::s32> getMapBounds() const;
	GWeatherParticlesNode* getWeatherNode() const { return m_weatherNode.get(); }

	GBuildingNode* getSelectedBuilding() const;
	fw::s32 getRatingLevel() const;
	bool isMaterialsDeliveryPending() const { return materialsCountdown >= 0.f; }
	bool isWorkersTrainingPending() const { return workersCountdown >= 0.f; }
	bool isLevelCompleted() const { return m_objectivesMet && m_completionHint.empty(); }
	bool areObjectivesMet() const { return m_objectivesMet; }
	const fw::core::stringw& getCompletionHint() const { return m_completionHint; }

	// --- Step and recalculation.

	bool onTimer(fw::u32 elapsed) override;
	void recalculate();
	void updateWorks(fw::u32 stepMs);
	void updateServiceLists();
	void dropUnprovidedRequests();
	void checkLevelCompleted();
	// The list holds one reference; null is ignored.
	void addWork(GBuildingWork* work);
	const fw::core::array<GBuildingWork*>& getWorks() const { return m_works; }
	const fw::core::array<fw::s32>& getProvidedServices() const { return m_providedServices; }

	// --- Player operations. Each takes its costs at once and hands the building a work; false, with
	// nothing changed, when a precondition fails. A building that already has a work is refused
	// (a feature only under a construction, destroy or repair).

	bool startConstruction(GBuildingNode* place, const GBuildingConfiguration* type);
	bool startUpgrade(GBuildingNode* building);
	bool startDestroy(GBuildingNode* building);
	bool startRepair(GBuildingNode* building);
	bool startCleaning(GBuildingNode* building);
	bool startRestoring(GBuildingNode* building);
	// The requester's alert names the service.
	bool startCustomServe(GBuildingNode* requester);
	// The first owned, built, idle building that provides the service; null without one.
	GBuildingNode* findServer(fw::s32 service) const;
	bool activateFeature(GBuildingNode* building, fw::s32 featureIndex);

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
		const fw::core::array<fw::s32>& places);
	const fw::core::array<fw::BaseNode*>& getMoneyLetters() const { return m_moneyLetters; }
	fw::s32 getWeatherTime() const { return m_weatherTime; }

	// --- Event map.

	static const fw::EventMap& getClassEventMap();

	virtual bool onSceneSwitchStarted(fw::CEventSceneTransitionStart* event);
	virtual bool onNodePressedPreview(fw::CEventNodePressedPreview* event);
	virtual bool onNodePressed(fw::CEventNodePressed* event);
	virtual bool onNodeHovered(fw::CEventNodeHovered* event);
	virtual bool onNodeUnhovered(fw::CEventNodeUnhovered* event);
	virtual bool onNodeFocused(fw::CEventNodeFocused* event);
	virtual bool onNodeUnfocused(fw::CEventNodeUnfocused* event);

	bool onConstructionDone(GConstructionDoneMessage* message);
	bool onRepairDone(GRepairDoneMessage* message);
	bool onCleaningDone(GCleaningDoneMessage* message);
	bool onServeDone(GServeDoneMessage* message);
	bool onFeatureReady(GFeatureReadyMessage* message);
	bool onFeatureIncome(GFeatureIncomeMessage* message);
	bool onFeatureFinished(GFeatureFinishedMessage* message);
	bool onSellBuildingRequest(GSellBuildingRequestMessage* message);
	bool onBrokenBuildingRequest(GBrokenBuildingRequestMessage* message);
	bool onDirtyBuildingRequest(GDirtyBuildingRequestMessage* message);
	bool onCafeBuildingRequest(GCafeBuildingRequestMessage* message);
	bool onLetterRequest(GLetterRequestMessage* message);
	bool onPauseRequest(GPauseRequestMessage* message);
	bool onBuildingTypesQuery(GBuildingTypesQueryMessage* message);
	bool onWeatherEffectRequest(GWeatherEffectRequestMessage* message);
	bool onDestroyDone(GDestroyDoneMessage* message);
	bool onResourcesReturned(GResourcesReturnedMessage* message);

	// The economy, read and written directly by the gameplay screen.
	fw::f32 elapsed = 0.f;
	fw::f32 score = 0.f;
	// Seconds into the game day.
	fw::f32 dayTime = 0.f;
	fw::f32 rating = 0.f;
	fw::f32 money = 0.f;
	fw::f32 income = 0.f;
	fw::f32 potentialIncome = 0.f;
	fw::s32 guests = 0;
	fw::s32 potentialGuests = 0;
	fw::f32 materials = 0.f;
	fw::s32 freeWorkers = 0;
	fw::s32 allWorkers = 0;
	fw::f32 materialsDeliveryTime = 0.f;
	// Below 0: no delivery pending.
	fw::f32 materialsCountdown = -1.f;
	fw::f32 orderedMaterials = 0.f;
	fw::f32 workersDeliveryTime = 0.f;
	fw::f32 workersCountdown = -1.f;
	fw::s32 orderedWorkers = 0;

private:
	// Queues the message for the parent; dropped without a scene manager.
	void postToParent(GGameMessage* message);
	void postStateChanged() { postToParent(new GLevelStateChangedMessage); }
	void updateMoneyLetters(fw::u32 stepMs);
	// Takes the letter at the index out of the array, the last one moved into its place.
	void removeLetterAt(fw::u32 index, const char* state);
	GMoneyLetter* letterOf(const GBuildingNode* building, fw::u32* index) const;
	bool collectLetter(GBuildingNode* building);
	// Starts the configuration's random events on the scene's timer manager (none yet: they wait).
	void startRandomEvents();
	void stopRandomEvents();
	void releaseBuildingsNode();
	// The buildings that break or get dirty: working, of the type kind, quiet for 10 s, matching.
	void pickForAlert(const GRandomEventMessage* message, fw::s32 typeKind, fw::s32 alert, const char* cue);
	void createWeatherNode();
	// The scene manager's template collection, from which works copy their nodes; null without one.
	fw::TemplateCollectionNode* getWorkTemplates() const;
	// A delivery path of the building's path group; null without level paths.
	GLevelPath* findWorkPath(const GBuildingNode* building) const;
	// Building or upgrading to the type once its preconditions hold: the type, the work, the costs.
	void beginConstruction(GBuildingNode* building, const GBuildingConfiguration* type);
	// Owned, built, idle and showing the alert: what repair, cleaning and restoring need.
	bool canStartRepairWork(const GBuildingNode* building, fw::s32 alert) const;
	// Hands the building the repair, cleaning or restoring work and takes its costs.
	void beginRepairWork(GBuildingNode* building, GBuildingWork* work, fw::f32 materialsCost, fw::s32 workersCost);

	fw::CRefHolder<IGTrafficManager> m_traffic;
	fw::CRefHolder<fw::ControlNode> m_buildingsNode;
	fw::core::array<GBuildingNode*> m_buildings;
	fw::CRefHolder<fw::BaseNode> m_cargosNode;
	fw::core::array<fw::BaseNode*> m_moneyLetters;
	fw::CRefHolder<GLevelConfiguration> m_levelConfiguration;
	fw::CRefHolder<GBuildingsConfiguration> m_buildingsConfiguration;
	fw::CRefHolder<IGLevelUpgradeEffects> m_upgradeEffects;
	fw::CRefHolder<GLevelPaths> m_levelPaths;
	GBuildingNode* m_selectedBuilding = nullptr;
	GBuildingNode* m_previousSelectedBuilding = nullptr;
	bool m_paused = false;
	bool m_objectivesMet = false;
	fw::core::stringw m_completionHint;
	fw::core::array<GBuildingWork*> m_works;
	fw::CRefHolder<GWeatherParticlesNode> m_weatherNode;
	fw::s32 m_weatherTime = 0;
	fw::core::array<GLevelHistoryRecord> m_history;
	fw::core::array<fw::s32> m_providedServices;
	// The configuration whose random events this level started, so that only it stops them.
	GLevelConfiguration* m_eventsStartedFor = nullptr;
	fw::CRefHolder<fw::CSoundManager> m_soundManager;
};
