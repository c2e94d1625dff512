#pragma once

#include "core/CSingleton.h"
#include "core/CoreTypes.h"
#include "core/StringHash.h"

#include <unordered_map>
#include <vector>

namespace fw
{
// Interned names: each distinct text gets an id for the life of the process.
// The empty text is always -1; other texts count up from 1 in the order they were first seen.
class CNameTable
{
public:
	CNameTable();

	s32 intern(const core::stringc& text);
	s32 intern(const c8* text);
	// The text of an id; the empty text for an id that no text ever had.
	const core::stringc& lookup(s32 id) const;

	s32 getLastId() const { return m_lastId; }

private:
	// Hashed: names are looked up for every node and state a scene file names. The texts stay where
	// the map put them, so that the list of ids can point at them.
	std::unordered_map<core::stringc, s32, SStringHash, SStringEqual> m_names;
	// The text of id i at index i; index 0 is never an id.
	std::vector<const core::stringc*> m_ids;
	s32 m_lastId = 0;
};

// Node, state, navigation and template names.
typedef CSingletonHolder<CNameTable> CNameTableSingleton;

// The id of a node, state, navigation or template name.
inline s32 nameId(const c8* text)
{
	return CNameTableSingleton::Instance().intern(text);
}

// Names of content objects only.
struct SContentNameTable : CNameTable
{
};
typedef CSingletonHolder<SContentNameTable> CContentNameTableSingleton;

// Ids of the fixed names the core uses.
s32 getNavToNameId();
s32 getNavFromNameId();
s32 getTextNameId();
} // namespace fw
