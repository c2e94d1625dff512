#include "level/data/GComicsConfiguration.h"

#include "core/IXMLReader.h"
#include "level/data/LevelXml.h"
#include "level/data/RecordFields.h"

void GComicsEntry::read(fw::IXMLReader* reader)
{
	using namespace recordfields;
	std::vector<levelxml::SElementRule> rules;
	addValueRules<GComicsEntry>(rules, *this,
		{
			valueField<&GComicsEntry::Level, intAttribute>(L"Level"),
			valueField<&GComicsEntry::ScenePath, narrowAttribute>(L"ScenePath"),
		});
	levelxml::walkElement(reader, L"Comics", levelxml::WALK_RECORD, rules);
}

bool GComicsConfiguration::load(fw::IXMLReader* reader)
{
	m_entries.clear();
	return levelxml::walkDocument(reader, L"ComicsConfiguration", L"Comics",
		[this](fw::IXMLReader* at)
		{
			fw::CRefHolder<GComicsEntry> entry = fw::adoptRef(new GComicsEntry);
			entry->read(at);
			m_entries.emplace(entry->Level, entry);
		});
}

GComicsEntry* GComicsConfiguration::getComics(fw::s32 level) const
{
	auto it = m_entries.find(level);
	return it == m_entries.end() ? nullptr : it->second.get();
}
