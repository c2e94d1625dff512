#pragma once

#include "core/CRefHolder.h"
#include "core/CoreTypes.h"
#include "level/data/GLevelModifierValues.h"
#include "level/data/GLevelObjective.h"
#include "level/data/GRandomEvent.h"

#include <vector2d.h>

namespace fw
{
class CPropertyContainer;
class IXMLReader;
} // namespace fw

// An amount of materials (or workers) that the level sells for a price, delivered after a time.
class GPurchaseOffer : public virtual fw::IReferenceCounted
{
public:
	GPurchaseOffer(fw::f32 amount, fw::f32 price, fw::f32 deliveryTime) :
		amount(amount), price(price), deliveryTime(deliveryTime)
	{
	}
	fw::f32 amount;
	fw::f32 price;
	// Milliseconds.
	fw::f32 deliveryTime;
};

// The values, objectives and random events of one level, read from its LevelConfiguration.xml.
class GLevelConfiguration : public virtual fw::IReferenceCounted
{
public:
	GLevelConfiguration();
	~GLevelConfiguration() override;

	// The reader stands before the file's first node. True when the closing "Level" tag was reached;
	// what was read before the input ended stays.
	bool read(fw::IXMLReader* reader);
	// Takes the values of a "Properties" element; absent values leave their fields alone, values of
	// another type read as 0. Appends the fixed purchase offers each time.
	void readProperties(const fw::CPropertyContainer* properties);
	// The threshold of the index; the last one past the end.
	fw::s32 getRatingThreshold(fw::u32 index) const;

	const fw::core::stringw& getName() const { return m_name; }
	const fw::core::stringw& getDescription() const { return m_description; }
	// The number the name starts with; 0 when it starts with none, -1 before any "Properties".
	fw::s32 getLevelNumber() const { return m_levelNumber; }
	fw::s32 getSettingIndex() const { return m_settingIndex; }
	const fw::core::array<fw::core::stringc>& getUnlockLevels() const { return m_unlockLevels; }
	const fw::core::array<fw::s32>& getAvailableBuildings() const { return m_availableBuildings; }
	GLevelObjectiveList* getObjectives() const { return m_objectives.get(); }
	GRandomEventList* getRandomEvents() const { return m_randomEvents.get(); }
	fw::s32 getLevelTime() const { return m_levelTime; }
	void setLevelTime(fw::s32 seconds) { m_levelTime = seconds; }
	fw::s32 getScore() const { return m_score; }
	void setScore(fw::s32 score) { m_score = score; }
	fw::s32 getExpertScore() const { return m_expertScore; }
	void setExpertScore(fw::s32 score) { m_expertScore = score; }
	fw::s32 getDayLength() const { return m_dayLength; }
	fw::f32 getInitMoney() const { return m_initMoney; }
	fw::f32 getInitRating() const { return m_initRating; }
	fw::f32 getInitMaterialsCount() const { return m_initMaterialsCount; }
	fw::s32 getInitWorkersCount() const { return m_initWorkersCount; }
	fw::f32 getIncomeBonus1() const { return m_incomeBonus1; }
	fw::f32 getIncomeBonus2() const { return m_incomeBonus2; }
	const fw::core::array<fw::s32>& getPyramidIncomeBonusPlaces() const { return m_pyramidPlaces; }
	fw::f32 getStationIncomeBonus1() const { return m_stationBonus1; }
	fw::f32 getStationIncomeBonus2() const { return m_stationBonus2; }
	const fw::core::array<fw::s32>& getStationIncomeBonus1BuildingTypes() const { return m_stationTypes1; }
	const fw::core::array<fw::s32>& getStationIncomeBonus2BuildingTypes() const { return m_stationTypes2; }
	// Ranges: X the minimum, Y the maximum.
	const fw::core::vector2df& getBuildingsSellTime() const { return m_sellTime; }
	const fw::core::vector2df& getBuildingsBuyRequestTime() const { return m_buyRequestTime; }
	const fw::core::vector2df& getBuildingsBuyRequestTimeWaiting() const { return m_buyRequestWaiting; }
	const fw::core::vector2df& getBuildingsBuyRequestPriceMultiplier() const { return m_buyRequestPriceFactor; }
	const fw::core::array<fw::CRefHolder<GPurchaseOffer>>& getMaterialsOffers() const { return m_materialsOffers; }
	const fw::core::array<fw::CRefHolder<GPurchaseOffer>>& getWorkersOffers() const { return m_workersOffers; }
	bool isRatingOn() const { return m_ratingOn; }
	bool isClockOn() const { return m_clockOn; }
	bool isBuildingLevelOn() const { return m_buildingLevelOn; }
	bool isBuildingPlaceLuckinessOn() const { return m_placeLuckinessOn; }
	bool isSellOn() const { return m_sellOn; }
	bool isNotOwnedDecorationsDirty() const { return m_notOwnedDecorationsDirty; }
	GLevelModifierValues& getModifierValues() { return m_modifierValues; }
	const GLevelModifierValues& getModifierValues() const { return m_modifierValues; }
	const fw::core::array<fw::s32>& getRatingThresholds() const { return m_ratingThresholds; }

private:
	GLevelConfiguration(const GLevelConfiguration&) = delete;
	GLevelConfiguration& operator=(const GLevelConfiguration&) = delete;

	fw::core::stringw m_name;
	fw::core::stringw m_description;
	fw::s32 m_levelNumber = -1;
	fw::s32 m_settingIndex = 1;
	fw::core::array<fw::core::stringc> m_unlockLevels;
	fw::core::array<fw::s32> m_availableBuildings;
	fw::CRefHolder<GLevelObjectiveList> m_objectives;
	fw::CRefHolder<GRandomEventList> m_randomEvents;
	fw::s32 m_levelTime = -1;
	fw::s32 m_score = 0;
	fw::s32 m_expertScore = 0;
	fw::s32 m_dayLength = 60;
	fw::f32 m_initMoney = 0.f;
	fw::f32 m_initRating = 0.f;
	fw::f32 m_initMaterialsCount = 0.f;
	fw::s32 m_initWorkersCount = 0;
	fw::f32 m_incomeBonus1 = 0.f;
	fw::f32 m_incomeBonus2 = 0.f;
	fw::core::array<fw::s32> m_pyramidPlaces;
	fw::f32 m_stationBonus1 = 0.f;
	fw::f32 m_stationBonus2 = 0.f;
	fw::core::array<fw::s32> m_stationTypes1;
	fw::core::array<fw::s32> m_stationTypes2;
	fw::core::vector2df m_sellTime{10000.f, 60000.f};
	fw::core::vector2df m_buyRequestTime{10000.f, 60000.f};
	fw::core::vector2df m_buyRequestWaiting{10000.f, 20000.f};
	fw::core::vector2df m_buyRequestPriceFactor{0.8f, 1.f};
	fw::core::array<fw::CRefHolder<GPurchaseOffer>> m_materialsOffers;
	fw::core::array<fw::CRefHolder<GPurchaseOffer>> m_workersOffers;
	bool m_ratingOn = true;
	bool m_clockOn = true;
	bool m_buildingLevelOn = true;
	bool m_placeLuckinessOn = true;
	bool m_sellOn = true;
	bool m_notOwnedDecorationsDirty = false;
	GLevelModifierValues m_modifierValues;
	fw::core::array<fw::s32> m_ratingThresholds;
};
