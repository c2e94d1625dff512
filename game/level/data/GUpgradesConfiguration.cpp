#include "level/data/GUpgradesConfiguration.h"

#include "core/CNameTable.h"
#include "core/IXMLReader.h"
#include "level/data/LevelXml.h"
#include "level/data/RecordFields.h"

void GUpgrade::read(fw::IXMLReader* reader)
{
	using namespace recordfields;
	AllowedBuildings.clear();
	AllowedFeatures.clear();
	std::vector<levelxml::SElementRule> rules;
	addValueRules<GUpgrade>(rules, *this,
		{
			valueField<&GUpgrade::Name, nameIdAttribute>(L"Name"),
			valueField<&GUpgrade::Info, textAttribute>(L"Info"),
			valueField<&GUpgrade::Price, intAttribute>(L"Price"),
			valueField<&GUpgrade::Level, intAttribute>(L"Level"),
			valueField<&GUpgrade::ObligatoryLevel, intAttribute>(L"ObligatoryLevel"),
		});
	rules.push_back({L"AllowsBuilding",
		[this](fw::IXMLReader* at) { AllowedBuildings.push_back(levelxml::nameIdAttribute(at, L"Value")); }});
	rules.push_back({L"AllowsBuildingFeature",
		[this](fw::IXMLReader* at)
		{
			GAllowedFeature feature;
			feature.building = levelxml::nameIdAttribute(at, L"Building");
			// Written from 1; kept from 0. INT_MIN stays, rather than wrapping.
			const fw::s32 written = at->getAttributeValueAsInt(L"FeatureIndex", 0);
			feature.featureIndex = written == INT32_MIN ? written : written - 1;
			AllowedFeatures.push_back(feature);
		}});
	rules.push_back({L"LevelModifiers", [this](fw::IXMLReader* at) { LevelModifiers->read(at); }});
	levelxml::walkElement(reader, L"Upgrade", levelxml::WALK_RECORD, rules);
}

bool GUpgradesConfiguration::load(fw::IXMLReader* reader)
{
	m_upgrades.clear();
	return levelxml::walkDocument(reader, L"UpgradesConfiguration", L"Upgrade",
		[this](fw::IXMLReader* at)
		{
			fw::CRefHolder<GUpgrade> upgrade = fw::adoptRef(new GUpgrade);
			upgrade->read(at);
			m_upgrades.emplace(upgrade->Name, upgrade);
		});
}

GUpgrade* GUpgradesConfiguration::getUpgrade(fw::s32 nameId) const
{
	auto it = m_upgrades.find(nameId);
	return it == m_upgrades.end() ? nullptr : it->second.get();
}
