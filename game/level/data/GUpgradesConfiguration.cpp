#include "level/data/GUpgradesConfiguration.h"

#include "core/CNameTable.h"
#include "core/IXMLReader.h"
#include "level/data/LevelXml.h"

void GUpgrade::read(fw::IXMLReader* reader)
{
	AllowedBuildings.clear();
	AllowedFeatures.clear();
	if (reader->isEmptyElement())
		return;
	while (reader->read())
	{
		if (levelxml::isElementEnd(reader, L"Upgrade"))
			return;
		if (reader->getNodeType() != fw::XML_NODE_ELEMENT)
			continue;
		const fw::core::stringw& name = reader->getNodeName();
		if (name == L"Name")
			Name = levelxml::nameIdAttribute(reader, L"Value");
		else if (name == L"Info")
			Info = reader->getAttributeValue(L"Value");
		else if (name == L"Price")
			Price = reader->getAttributeValueAsInt(L"Value", 0);
		else if (name == L"Level")
			Level = reader->getAttributeValueAsInt(L"Value", 0);
		else if (name == L"ObligatoryLevel")
			ObligatoryLevel = reader->getAttributeValueAsInt(L"Value", 0);
		else if (name == L"AllowsBuilding")
			AllowedBuildings.push_back(levelxml::nameIdAttribute(reader, L"Value"));
		else if (name == L"AllowsBuildingFeature")
		{
			GAllowedFeature feature;
			feature.building = levelxml::nameIdAttribute(reader, L"Building");
			// Written from 1; kept from 0. INT_MIN stays, rather than wrapping.
			const fw::s32 written = reader->getAttributeValueAsInt(L"FeatureIndex", 0);
			feature.featureIndex = written == INT32_MIN ? written : written - 1;
			AllowedFeatures.push_back(feature);
		}
		else if (name == L"LevelModifiers")
			LevelModifiers->read(reader);
	}
}

bool GUpgradesConfiguration::load(fw::IXMLReader* reader)
{
	m_upgrades.clear();
	if (!reader)
		return false;
	while (reader->read())
	{
		if (levelxml::isElementEnd(reader, L"UpgradesConfiguration"))
			return true;
		if (levelxml::isElement(reader, L"UpgradesConfiguration") && reader->isEmptyElement())
			return true;
		if (!levelxml::isElement(reader, L"Upgrade"))
			continue;
		fw::CRefHolder<GUpgrade> upgrade = fw::adoptRef(new GUpgrade);
		upgrade->read(reader);
		m_upgrades.emplace(upgrade->Name, upgrade);
	}
	levelxml::logCutShort("UpgradesConfiguration");
	return false;
}

GUpgrade* GUpgradesConfiguration::getUpgrade(fw::s32 nameId) const
{
	auto it = m_upgrades.find(nameId);
	return it == m_upgrades.end() ? nullptr : it->second.get();
}
