#pragma once

#include "core/CoreTypes.h"
#include "level/data/GGameMessages.h"

namespace fw
{
class TemplateCollectionNode;
} // namespace fw

class GBuildingConfiguration;
class GBuildingNode;
class GBuildingWork;
class GGameLevelScene;
class GLevelPath;

// The level's running works and the player's operations that start them. Each operation takes its
// costs at once and hands the building a work; false, with nothing changed, when a precondition
// fails. A building that already has a work is refused (a feature only under a construction,
// destroy or repair). The handlers of the works' results free the building, record the action in
// the level's history and recalculate. Part of its level, made and destroyed with it.
class GLevelWorks
{
public:
	explicit GLevelWorks(GGameLevelScene& level);
	~GLevelWorks();

	// The list holds one reference; null is ignored.
	void addWork(GBuildingWork* work);
	const fw::core::array<GBuildingWork*>& getWorks() const { return m_works; }
	// Runs every work one step; those that answer false leave the list.
	void updateWorks(fw::u32 stepMs);
	// Lets every work go.
	void clear();

	// The scene manager's template collection, from which works copy their nodes; null without one.
	fw::TemplateCollectionNode* getWorkTemplates() const;

	bool startConstruction(GBuildingNode* place, const GBuildingConfiguration* type);
	bool startUpgrade(GBuildingNode* building);
	bool startDestroy(GBuildingNode* building);
	bool startRepair(GBuildingNode* building);
	bool startCleaning(GBuildingNode* building);
	bool startRestoring(GBuildingNode* building);
	bool startCustomServe(GBuildingNode* requester);
	GBuildingNode* findServer(fw::s32 service) const;
	bool activateFeature(GBuildingNode* building, fw::s32 featureIndex);

	bool onConstructionDone(GConstructionDoneMessage* message);
	bool onRepairDone(GRepairDoneMessage* message);
	bool onCleaningDone(GCleaningDoneMessage* message);
	bool onServeDone(GServeDoneMessage* message);
	bool onDestroyDone(GDestroyDoneMessage* message);
	bool onResourcesReturned(GResourcesReturnedMessage* message);
	bool onFeatureReady(GFeatureReadyMessage* message);
	bool onFeatureIncome(GFeatureIncomeMessage* message);
	bool onFeatureFinished(GFeatureFinishedMessage* message);

private:
	GLevelWorks(const GLevelWorks&) = delete;
	GLevelWorks& operator=(const GLevelWorks&) = delete;

	// A delivery path of the building's path group; null without level paths.
	GLevelPath* findWorkPath(const GBuildingNode* building) const;
	// Building or upgrading to the type once its preconditions hold: the type, the work, the costs.
	void beginConstruction(GBuildingNode* building, const GBuildingConfiguration* type);
	// Owned, built, idle and showing the alert: what repair, cleaning and restoring need.
	bool canStartRepairWork(const GBuildingNode* building, fw::s32 alert) const;
	// Hands the building the repair, cleaning or restoring work and takes its costs.
	void beginRepairWork(GBuildingNode* building, GBuildingWork* work, fw::f32 materialsCost, fw::s32 workersCost);

	GGameLevelScene& m_level;
	fw::core::array<GBuildingWork*> m_works;
};
