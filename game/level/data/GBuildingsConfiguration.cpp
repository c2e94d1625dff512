#include "level/data/GBuildingsConfiguration.h"

#include "core/CPropertyContainer.h"
#include "core/IXMLReader.h"
#include "level/data/LevelXml.h"
#include "level/data/PropertyValues.h"
#include "level/data/RecordFields.h"

void GActiveFeature::read(fw::IXMLReader* reader)
{
	using namespace recordfields;
	typedef GActiveFeature F;
	FeatureTypes.clear();
	readAttributes<F>(*this,
		{
			attributeField<&F::ButtonName, nameIdAttribute>(L"ButtonName"),
			attributeField<&F::DurationTime, intAttribute>(L"DurationTime"),
			attributeField<&F::RechargeTime, intAttribute, &F::DurationTime>(L"RechargeTime"),
			attributeField<&F::MoneyCost, floatAttribute>(L"MoneyCost"),
			attributeField<&F::Name, textAttribute>(L"Name"),
			attributeField<&F::InfoText, textAttribute>(L"InfoText"),
			attributeField<&F::ButtonInfoText, textAttribute>(L"ButtonInfoText"),
		},
		reader);
	levelxml::walkElement(reader, L"ActiveFeature", levelxml::WALK_RECORD,
		{
			{L"LevelModifiers",
				[this](fw::IXMLReader* at)
				{
					LevelModifiers = fw::adoptRef(new GLevelModifierList);
					LevelModifiers->read(at);
				}},
			{L"Feature",
				[this](fw::IXMLReader* at) { FeatureTypes.push_back(levelxml::nameIdAttribute(at, L"Type")); }},
		});
}

namespace
{
void readProperties(SBuildingValues& building, const fw::CPropertyContainer* container)
{
	using namespace propertyvalues;
	using recordfields::field;
	typedef SBuildingValues B;
	recordfields::readFields<B>(building,
		{
			field<&B::DisplayName, recordfields::toStringC>("DisplayName"),
			field<&B::Description, toStringW>("Description"),
			field<&B::FullDescription, toStringW>("FullDescription"),
			field<&B::PreviewScale, toFloat>("PreviewScale"),
			field<&B::BuiltSoundCueName, recordfields::toNameId>("BuiltSoundCueName"),
			field<&B::SelectedSoundCueName, recordfields::toNameId>("SelectedSoundCueName"),
			field<&B::Name, recordfields::toNameId>("Name"),
			field<&B::NextLevelName, recordfields::toNameId>("NextLevelName"),
			field<&B::Level, toInt>("Level"),
			field<&B::Type, toInt>("Type"),
			field<&B::GuestsCount, toInt>("GuestsCount"),
			field<&B::ButtonTemplate, recordfields::toNameId>("ButtonTemplate"),
			field<&B::BuildTime, toFloat>("BuildTime"),
			field<&B::RepairTime, toFloat>("RepairTime"),
			field<&B::DestroyTime, toFloat>("DestroyTime"),
			field<&B::ProvidedService, toInt>("ProvidedService"),
			field<&B::ServeTime, toFloat>("ServeTime"),
			field<&B::ServeArea, toVector2d>("ServeArea"),
			field<&B::BoostedServeArea, toVector2d>("BoostedServeArea"),
			field<&B::ServeAreaIncomeBonus, toFloat>("ServeAreaIncomeBonus"),
			field<&B::BrokenServeAreaIncomeBonus, toFloat>("BrokenServeAreaIncomeBonus"),
			field<&B::ServeIncome, toFloat>("ServeIncome"),
			field<&B::ServeBoostedIncome, toFloat>("ServeBoostedIncome"),
			field<&B::Income, toFloat>("Income"),
			field<&B::Cost, toFloat>("Cost"),
			field<&B::SellPrice, toFloat>("SellPrice"),
			field<&B::BuildMaterialsCost, toFloat>("BuildMaterialsCost"),
			field<&B::BuildWorkersCost, toInt>("BuildWorkersCost"),
			field<&B::RepairMaterialsCost, toFloat>("RepairMaterialsCost"),
			field<&B::RepairWorkersCost, toInt>("RepairWorkersCost"),
			field<&B::DestroyWorkersCost, toInt>("DestroyWorkersCost"),
		},
		container);
	if (building.ProvidedService != 4 && building.ProvidedService != 5)
		building.ProvidedService = 0;
}
} // namespace

void GBuildingConfiguration::read(fw::IXMLReader* reader)
{
	LevelModifiers.release();
	ActiveFeatures.clear();
	// The empty form has no closing tag: the record ends here, with its defaults.
	levelxml::walkElement(reader, L"Building", levelxml::WALK_RECORD,
		{
			{L"Properties",
				[this](fw::IXMLReader* at)
				{
					const fw::CRefHolder<fw::CPropertyContainer> container =
						fw::adoptRef(new fw::CPropertyContainer(nullptr));
					container->readFromXml(at, false, L"");
					readProperties(*this, container.get());
				}},
			{L"LevelModifiers",
				[this](fw::IXMLReader* at)
				{
					LevelModifiers = fw::adoptRef(new GLevelModifierList);
					LevelModifiers->read(at);
				}},
			{L"ActiveFeature",
				[this](fw::IXMLReader* at)
				{
					ActiveFeatures.push_back(GActiveFeature());
					ActiveFeatures.getLast().read(at);
				}},
		});
	if (BoostedServeArea.X == 0.f && BoostedServeArea.Y == 0.f)
		BoostedServeArea = ServeArea;
}

bool GBuildingsConfiguration::load(fw::IXMLReader* reader)
{
	m_buildings.clear();
	return levelxml::walkDocument(reader, L"BuildingsConfiguration", L"Building",
		[this](fw::IXMLReader* at)
		{
			fw::CRefHolder<GBuildingConfiguration> building = fw::adoptRef(new GBuildingConfiguration);
			building->read(at);
			m_buildings.emplace(building->Name, building);
		});
}

GBuildingConfiguration* GBuildingsConfiguration::getBuilding(fw::s32 nameId) const
{
	auto it = m_buildings.find(nameId);
	return it == m_buildings.end() ? nullptr : it->second.get();
}
