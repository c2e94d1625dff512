#pragma once

#include "core/CoreTypes.h"

#include <irrArray.h>

class GBuildingConfiguration;
class GBuildingNode;
class GLevelConfiguration;
class GPurchaseOffer;
class IGLevelUpgradeEffects;

// The level's economy: the clock and the game day, money, rating, materials and workers, the
// pending deliveries, and the income and guests that the recalculation derives from the buildings.
// It decides and counts; the level plays the cues and posts the news of what happened.
class GLevelEconomy
{
public:
	// What ended during a step (settle's answer, bits).
	enum EStepEvent
	{
		STEP_DAY_PASSED = 1,
		STEP_MATERIALS_DELIVERED = 2,
		STEP_WORKERS_TRAINED = 4
	};

	// The start of a level: the configuration's money, rating, materials and workers, a new day.
	void start(const GLevelConfiguration& configuration);

	// Time runs on: elapsed ms and the day's seconds.
	void advanceClock(fw::u32 stepMs);
	// Ends the day and completes the deliveries that are due after a step; STEP_* bits of what did.
	fw::u32 settle(fw::u32 stepMs, const GLevelConfiguration& configuration);

	// Modifiers (upgrade effects, then each working building's own and its active features'),
	// serve-area bonuses, then income and guests, actual and potential; the rating never falls.
	void recalculate(GLevelConfiguration* level, const IGLevelUpgradeEffects* effects,
		const fw::core::array<GBuildingNode*>& buildings);

	// The largest n whose rating thresholds 1 to n add up to at most the rating; -1 when negative.
	fw::s32 getRatingLevel(const GLevelConfiguration* level) const;

	bool canAffordBuilding(const GBuildingConfiguration* type, const GLevelConfiguration* level) const;
	bool canAffordPurchase(const GBuildingNode* building, const GLevelConfiguration* level) const;
	bool buyMaterials(const GPurchaseOffer* offer, const GLevelConfiguration* level);
	bool buyWorkers(const GPurchaseOffer* offer, const GLevelConfiguration* level);
	// The building changes hands and the money with it; false, nothing changed, when it cannot.
	bool buyBuilding(GBuildingNode* building);
	bool sellBuilding(GBuildingNode* building);

	// A work's costs, taken at once.
	void spend(fw::f32 money, fw::f32 materials, fw::s32 workers);
	// What a work hands back when it ends or is cancelled.
	void takeBack(fw::f32 materials, fw::s32 workers);
	void earn(fw::f32 money) { m_money += money; }

	fw::f32 getElapsed() const { return m_elapsed; }
	fw::f32 getScore() const { return m_score; }
	// Seconds into the game day.
	fw::f32 getDayTime() const { return m_dayTime; }
	fw::f32 getRating() const { return m_rating; }
	fw::f32 getMoney() const { return m_money; }
	fw::f32 getIncome() const { return m_income; }
	fw::f32 getPotentialIncome() const { return m_potentialIncome; }
	fw::s32 getGuests() const { return m_guests; }
	fw::s32 getPotentialGuests() const { return m_potentialGuests; }
	fw::f32 getMaterials() const { return m_materials; }
	fw::s32 getFreeWorkers() const { return m_freeWorkers; }
	fw::s32 getAllWorkers() const { return m_allWorkers; }
	fw::f32 getMaterialsDeliveryTime() const { return m_materialsDeliveryTime; }
	// Below 0: no delivery pending.
	fw::f32 getMaterialsCountdown() const { return m_materialsCountdown; }
	fw::f32 getOrderedMaterials() const { return m_orderedMaterials; }
	fw::f32 getWorkersDeliveryTime() const { return m_workersDeliveryTime; }
	fw::f32 getWorkersCountdown() const { return m_workersCountdown; }
	fw::s32 getOrderedWorkers() const { return m_orderedWorkers; }
	bool isMaterialsDeliveryPending() const { return m_materialsCountdown >= 0.f; }
	bool isWorkersTrainingPending() const { return m_workersCountdown >= 0.f; }

	// The gameplay screen keeps the level's score in it.
	void setScore(fw::f32 score) { m_score = score; }
	// Direct settings, for the set-up of scenarios and the cheats of the debug screens.
	void setMoney(fw::f32 money) { m_money = money; }
	void setRating(fw::f32 rating) { m_rating = rating; }
	void setMaterials(fw::f32 materials) { m_materials = materials; }
	void setWorkers(fw::s32 freeWorkers, fw::s32 allWorkers)
	{
		m_freeWorkers = freeWorkers;
		m_allWorkers = allWorkers;
	}

private:
	fw::f32 m_elapsed = 0.f;
	fw::f32 m_score = 0.f;
	fw::f32 m_dayTime = 0.f;
	fw::f32 m_rating = 0.f;
	fw::f32 m_money = 0.f;
	fw::f32 m_income = 0.f;
	fw::f32 m_potentialIncome = 0.f;
	fw::s32 m_guests = 0;
	fw::s32 m_potentialGuests = 0;
	fw::f32 m_materials = 0.f;
	fw::s32 m_freeWorkers = 0;
	fw::s32 m_allWorkers = 0;
	fw::f32 m_materialsDeliveryTime = 0.f;
	fw::f32 m_materialsCountdown = -1.f;
	fw::f32 m_orderedMaterials = 0.f;
	fw::f32 m_workersDeliveryTime = 0.f;
	fw::f32 m_workersCountdown = -1.f;
	fw::s32 m_orderedWorkers = 0;
};
