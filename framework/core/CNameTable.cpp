#include "core/CNameTable.h"

#include "core/TextParsing.h"

namespace fw
{
bool CNameTable::SLess::operator()(const core::stringc& a, const core::stringc& b) const
{
	const u32 na = a.size();
	const u32 nb = b.size();
	const u32 n = na < nb ? na : nb;
	for (u32 i = 0; i < n; ++i)
	{
		const signed char ca = static_cast<signed char>(a[i]);
		const signed char cb = static_cast<signed char>(b[i]);
		if (ca != cb)
			return ca < cb;
	}
	return na < nb;
}

CNameTable::CNameTable()
{
	m_names[core::stringc()] = -1;
	m_ids[-1] = core::stringc();
}

s32 CNameTable::intern(const core::stringc& text)
{
	auto inserted = m_names.emplace(text, m_lastId + 1);
	if (!inserted.second)
		return inserted.first->second;
	++m_lastId;
	m_ids.emplace(m_lastId, text);
	return m_lastId;
}

s32 CNameTable::intern(const c8* text) { return intern(core::stringc(text ? text : "")); }

const core::stringc& CNameTable::lookup(s32 id) const
{
	auto found = m_ids.find(id);
	if (found == m_ids.end())
		return getEmptyStringC();
	return found->second;
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
