#include "level/data/GUpgradesConfiguration.h"

#include "core/CNameTable.h"
#include "core/IXMLReader.h"
#include "level/data/LevelXml.h"
#include "level/data/RecordFields.h"

namespace
{
// Written from 1; kept from 0. INT_MIN stays, rather than wrapping.
fw::s32 featureIndexAttribute(const fw::IXMLReader* reader, const wchar_t* name)
{
	const fw::s32 written = reader->getAttributeValueAsInt(name, 0);
	return written == INT32_MIN ? written : written - 1;
}
} // namespace

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
			typedef GAllowedFeature F;
			F feature;
			readAttributes<F>(feature,
				{
					attributeField<&F::building, nameIdAttribute>(L"Building"),
					attributeField<&F::featureIndex, featureIndexAttribute>(L"FeatureIndex"),
				},
				at);
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
