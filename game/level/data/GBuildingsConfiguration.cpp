#include "level/data/GBuildingsConfiguration.h"

#include "core/CPropertyContainer.h"
#include "core/IXMLReader.h"
#include "level/data/LevelXml.h"
#include "level/data/PropertyValues.h"

void GActiveFeature::read(fw::IXMLReader* reader)
{
	FeatureTypes.clear();
	ButtonName = levelxml::nameIdAttribute(reader, L"ButtonName");
	DurationTime = reader->getAttributeValueAsInt(L"DurationTime", 15000);
	RechargeTime = reader->getAttributeValueAsInt(L"RechargeTime", DurationTime);
	MoneyCost = reader->getAttributeValueAsFloat(L"MoneyCost", 0.f);
	Name = reader->getAttributeValue(L"Name");
	InfoText = reader->getAttributeValue(L"InfoText");
	ButtonInfoText = reader->getAttributeValue(L"ButtonInfoText");
	if (reader->isEmptyElement())
		return;
	while (reader->read())
	{
		if (levelxml::isElementEnd(reader, L"ActiveFeature"))
			return;
		if (levelxml::isElement(reader, L"LevelModifiers"))
		{
			LevelModifiers = fw::adoptRef(new GLevelModifierList);
			LevelModifiers->read(reader);
		}
		else if (levelxml::isElement(reader, L"Feature"))
			FeatureTypes.push_back(levelxml::nameIdAttribute(reader, L"Type"));
	}
}

namespace
{
void readProperties(SBuildingValues& b, const fw::CPropertyContainer* container)
{
	const propertyvalues::CReader p(container);
	p.readStringC("DisplayName", b.DisplayName);
	p.readStringW("Description", b.Description);
	p.readStringW("FullDescription", b.FullDescription);
	p.readFloat("PreviewScale", b.PreviewScale);
	p.readNameId("BuiltSoundCueName", b.BuiltSoundCueName);
	p.readNameId("SelectedSoundCueName", b.SelectedSoundCueName);
	p.readNameId("Name", b.Name);
	p.readNameId("NextLevelName", b.NextLevelName);
	p.readInt("Level", b.Level);
	p.readInt("Type", b.Type);
	p.readInt("GuestsCount", b.GuestsCount);
	p.readNameId("ButtonTemplate", b.ButtonTemplate);
	p.readFloat("BuildTime", b.BuildTime);
	p.readFloat("RepairTime", b.RepairTime);
	p.readFloat("DestroyTime", b.DestroyTime);
	p.readInt("ProvidedService", b.ProvidedService);
	p.readFloat("ServeTime", b.ServeTime);
	p.readVector2d("ServeArea", b.ServeArea);
	p.readVector2d("BoostedServeArea", b.BoostedServeArea);
	p.readFloat("ServeAreaIncomeBonus", b.ServeAreaIncomeBonus);
	p.readFloat("BrokenServeAreaIncomeBonus", b.BrokenServeAreaIncomeBonus);
	p.readFloat("ServeIncome", b.ServeIncome);
	p.readFloat("ServeBoostedIncome", b.ServeBoostedIncome);
	p.readFloat("Income", b.Income);
	p.readFloat("Cost", b.Cost);
	p.readFloat("SellPrice", b.SellPrice);
	p.readFloat("BuildMaterialsCost", b.BuildMaterialsCost);
	p.readInt("BuildWorkersCost", b.BuildWorkersCost);
	p.readFloat("RepairMaterialsCost", b.RepairMaterialsCost);
	p.readInt("RepairWorkersCost", b.RepairWorkersCost);
	p.readInt("DestroyWorkersCost", b.DestroyWorkersCost);
	if (b.ProvidedService != 4 && b.ProvidedService != 5)
		b.ProvidedService = 0;
}
} // namespace

void GBuildingConfiguration::read(fw::IXMLReader* reader)
{
	LevelModifiers.release();
	ActiveFeatures.clear();
	// The empty form has no closing tag: the record ends here, with its defaults.
	if (!reader->isEmptyElement())
	{
		while (reader->read())
		{
			if (levelxml::isElementEnd(reader, L"Building"))
				break;
			if (levelxml::isElement(reader, L"Properties"))
			{
				const fw::CRefHolder<fw::CPropertyContainer> container = fw::adoptRef(new fw::CPropertyContainer(nullptr));
				container->readFromXml(reader, false, L"");
				readProperties(*this, container.get());
			}
			else if (levelxml::isElement(reader, L"LevelModifiers"))
			{
				LevelModifiers = fw::adoptRef(new GLevelModifierList);
				LevelModifiers->read(reader);
			}
			else if (levelxml::isElement(reader, L"ActiveFeature"))
			{
				ActiveFeatures.push_back(GActiveFeature());
				ActiveFeatures.getLast().read(reader);
			}
		}
	}
	if (BoostedServeArea.X == 0.f && BoostedServeArea.Y == 0.f)
		BoostedServeArea = ServeArea;
}

bool GBuildingsConfiguration::load(fw::IXMLReader* reader)
{
	m_buildings.clear();
	if (!reader)
		return false;
	while (reader->read())
	{
		if (levelxml::isElementEnd(reader, L"BuildingsConfiguration"))
			return true;
		if (levelxml::isElement(reader, L"BuildingsConfiguration") && reader->isEmptyElement())
			return true;
		if (!levelxml::isElement(reader, L"Building"))
			continue;
		fw::CRefHolder<GBuildingConfiguration> building = fw::adoptRef(new GBuildingConfiguration);
		building->read(reader);
		m_buildings.emplace(building->Name, building);
	}
	levelxml::logCutShort("BuildingsConfiguration");
	return false;
}

GBuildingConfiguration* GBuildingsConfiguration::getBuilding(fw::s32 nameId) const
{
	auto it = m_buildings.find(nameId);
	return it == m_buildings.end() ? nullptr : it->second.get();
}
