#pragma once

#include "core/CRefHolder.h"
#include "core/CoreTypes.h"
#include "level/data/GLevelModifier.h"

#include <vector2d.h>

#include <map>

namespace fw
{
class IXMLReader;
}
class GBuildingNode;
class GLevelConfiguration;

// A switchable feature of a building type.
struct GActiveFeature
{
	// The reader stands on the opening "ActiveFeature" tag; reads up to its closing tag. Attributes the
	// element lacks keep their values.
	void read(fw::IXMLReader* reader);

	fw::s32 ButtonName = -1;
	fw::s32 DurationTime = 15000;
	// The duration when the file gives none.
	fw::s32 RechargeTime = 15000;
	fw::f32 MoneyCost = 0.f;
	fw::core::stringw Name;
	fw::core::stringw InfoText;
	fw::core::stringw ButtonInfoText;
	// Name ids of what the feature does ("BoostIncome", "BoostServeArea" ...).
	fw::core::array<fw::s32> FeatureTypes;
	// Shared by copies; none when the feature has no "LevelModifiers".
	fw::CRefHolder<GLevelModifierList> LevelModifiers;
};

// The values of a building type, apart from the reference count so that copies start afresh.
struct SBuildingValues
{
	fw::core::stringc DisplayName;
	fw::core::stringw Description;
	fw::core::stringw FullDescription;
	fw::f32 PreviewScale = 0.75f;
	fw::s32 BuiltSoundCueName = -1;
	fw::s32 SelectedSoundCueName = -1;
	fw::s32 Name = -1;
	fw::s32 NextLevelName = -1;
	// 0 is an empty building place.
	fw::s32 Level = 0;
	fw::s32 Type = 0;
	fw::s32 ButtonTemplate = -1;
	fw::f32 BuildTime = 5000.f;
	fw::f32 RepairTime = 2000.f;
	fw::f32 DestroyTime = 1500.f;
	// 4 or 5, the service request the type answers; 0 for none.
	fw::s32 ProvidedService = 0;
	fw::core::vector2df ServeArea{0.f, 0.f};
	fw::core::vector2df BoostedServeArea{0.f, 0.f};
	fw::f32 ServeAreaIncomeBonus = 0.f;
	fw::f32 ServeTime = 2000.f;
	// Not in the file.
	fw::f32 ServeWorkTime = 2000.f;
	fw::f32 ServeIncome = 0.f;
	fw::f32 ServeBoostedIncome = 0.f;
	fw::f32 Income = 0.f;
	fw::f32 SellPrice = 0.f;
	fw::f32 Cost = 0.f;
	// Shared by copies of the record.
	fw::CRefHolder<GLevelModifierList> LevelModifiers;
	fw::core::array<GActiveFeature> ActiveFeatures;
	fw::f32 BrokenServeAreaIncomeBonus = 0.f;
	fw::f32 BuildMaterialsCost = 10.f;
	fw::s32 BuildWorkersCost = 1;
	fw::f32 RepairMaterialsCost = 10.f;
	fw::s32 RepairWorkersCost = 1;
	fw::s32 DestroyWorkersCost = 1;
	fw::s32 GuestsCount = 0;
};

// One building type of the game.
class GBuildingConfiguration : public virtual fw::IReferenceCounted, public SBuildingValues
{
public:
	GBuildingConfiguration() = default;
	// Every value copied, the modifier list shared; the copy's count is 1.
	GBuildingConfiguration(const GBuildingConfiguration& other) : fw::IReferenceCounted(), SBuildingValues(other) {}
	GBuildingConfiguration& operator=(const GBuildingConfiguration&) = delete;
	~GBuildingConfiguration() override = default;

	// The reader stands on the opening "Building" tag; reads up to its closing tag.
	void read(fw::IXMLReader* reader);

	// The values as a level applies them; the level configuration may be null.
	// 0 while the building has a work, the broken bonus while it has an alert.
	fw::f32 getServeAreaIncomeBonus(const GBuildingNode* building) const;
	// Hotels (Type 0) scale their guests by the level's GuestsCountM, rounded halves up.
	fw::s32 getGuestsCount(const GLevelConfiguration* level) const;
	fw::f32 getBuildMaterialsCost(const GLevelConfiguration*) const { return BuildMaterialsCost; }
	// Less the level's WorkersCostA, at least 1.
	fw::s32 getBuildWorkersCost(const GLevelConfiguration* level) const;
	fw::f32 getRepairMaterialsCost(const GLevelConfiguration*) const { return RepairMaterialsCost; }
	fw::s32 getRepairWorkersCost(const GLevelConfiguration*) const { return RepairWorkersCost; }
	fw::s32 getDestroyWorkersCost(const GLevelConfiguration* level) const;
	// The feature lists the feature type (a name id).
	bool featureHasType(fw::u32 featureIndex, fw::s32 featureType) const;
};

// Every building type of the game, by type name id.
class GBuildingsConfiguration : public virtual fw::IReferenceCounted
{
public:
	// Replaces the contents with the document's types; the first type of a name wins. True when the
	// closing root tag was reached; what was read before the input ended stays.
	bool load(fw::IXMLReader* reader);
	// Borrowed; null for an unknown name.
	GBuildingConfiguration* getBuilding(fw::s32 nameId) const;

	const std::map<fw::s32, fw::CRefHolder<GBuildingConfiguration>>& getBuildings() const { return m_buildings; }

private:
	std::map<fw::s32, fw::CRefHolder<GBuildingConfiguration>> m_buildings;
};
