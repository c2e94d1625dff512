#include "level/data/GComicsConfiguration.h"

#include "core/IXMLReader.h"
#include "level/data/LevelXml.h"

void GComicsEntry::read(fw::IXMLReader* reader)
{
	if (reader->isEmptyElement())
		return;
	while (reader->read())
	{
		if (levelxml::isElementEnd(reader, L"Comics"))
			return;
		if (levelxml::isElement(reader, L"Level"))
			Level = reader->getAttributeValueAsInt(L"Value", 0);
		else if (levelxml::isElement(reader, L"ScenePath"))
			ScenePath = levelxml::narrowAttribute(reader, L"Value");
	}
}

bool GComicsConfiguration::load(fw::IXMLReader* reader)
{
	m_entries.clear();
	if (!reader)
		return false;
	while (reader->read())
	{
		if (levelxml::isElementEnd(reader, L"ComicsConfiguration"))
			return true;
		if (levelxml::isElement(reader, L"ComicsConfiguration") && reader->isEmptyElement())
			return true;
		if (!levelxml::isElement(reader, L"Comics"))
			continue;
		fw::CRefHolder<GComicsEntry> entry = fw::adoptRef(new GComicsEntry);
		entry->read(reader);
		m_entries.emplace(entry->Level, entry);
	}
	levelxml::logCutShort("ComicsConfiguration");
	return false;
}

GComicsEntry* GComicsConfiguration::getComics(fw::s32 level) const
{
	auto it = m_entries.find(level);
	return it == m_entries.end() ? nullptr : it->second.get();
}
