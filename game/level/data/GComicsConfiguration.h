#pragma once

#include "core/CRefHolder.h"
#include "core/CoreTypes.h"

#include <map>

namespace fw
{
class IXMLReader;
}

// The comic scene shown after a level.
class GComicsEntry : public virtual fw::IReferenceCounted
{
public:
	// The reader stands on the opening "Comics" tag; reads up to its closing tag.
	void read(fw::IXMLReader* reader);

	fw::s32 Level = 0;
	// Empty: no comic after that level.
	fw::core::stringc ScenePath;
};

class GComicsConfiguration : public virtual fw::IReferenceCounted
{
public:
	// Replaces the contents; the first entry of a level wins. True when the closing root tag was
	// reached; what was read before the input ended stays.
	bool load(fw::IXMLReader* reader);
	// Borrowed; null for a level without an entry.
	GComicsEntry* getComics(fw::s32 level) const;
	const std::map<fw::s32, fw::CRefHolder<GComicsEntry>>& getEntries() const { return m_entries; }

private:
	std::map<fw::s32, fw::CRefHolder<GComicsEntry>> m_entries;
};
