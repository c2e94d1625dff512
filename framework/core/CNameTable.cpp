#include "core/CNameTable.h"

#include "core/TextParsing.h"

namespace fw
{
CNameTable::CNameTable()
{
	m_names.emplace(core::stringc(), -1);
	m_ids.push_back(nullptr);
}

s32 CNameTable::intern(const core::stringc& text)
{
	// Looked up first: emplacing would build (and allocate) a node even for a name already known.
	const auto found = m_names.find(text);
	if (found != m_names.end())
		return found->second;
	const auto inserted = m_names.emplace(text, m_lastId + 1);
	++m_lastId;
	m_ids.push_back(&inserted.first->first);
	return m_lastId;
}

s32 CNameTable::intern(const c8* text)
{
	return intern(core::stringc(text ? text : ""));
}

const core::stringc& CNameTable::lookup(s32 id) const
{
	if (id <= 0 || static_cast<size_t>(id) >= m_ids.size())
		return getEmptyStringC();
	return *m_ids[static_cast<size_t>(id)];
}

s32 getNavToNameId()
{
	static const s32 id = CNameTableSingleton::Instance().intern("NavTo");
	return id;
}

s32 getNavFromNameId()
{
	static const s32 id = CNameTableSingleton::Instance().intern("NavFrom");
	return id;
}

s32 getTextNameId()
{
	static const s32 id = CNameTableSingleton::Instance().intern("Text");
	return id;
}
} // namespace fw
