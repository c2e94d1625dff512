#pragma once

// What the level's nodes take from the program around them: interned names, the sound manager and
// the dictionary of the device that runs their scene manager, the random generator, and the
// roundings and money texts the economy shares.

#include "core/CNameTable.h"
#include "core/CoreTypes.h"

namespace fw
{
class BaseNode;
class CDictionary;
class CRandomGenerator;
class CSoundCue;
class CSoundManager;
} // namespace fw

namespace levelservices
{
using fw::nameId;
// "Feature" + number (+ "Stop").
fw::s32 featureStateId(fw::u32 index, bool stop);

// The services of the node's scene manager; null outside one.
fw::CSoundManager* soundManager(const fw::BaseNode* node);
fw::CDictionary* dictionary(const fw::BaseNode* node);
// The node's random generator: null, with a log line, outside a scene manager that hands one out.
fw::CRandomGenerator* random(const fw::BaseNode* node);

// Plays the cue through the node's sound manager; the started instance (held by the manager) or
// null.
fw::CSoundCue* playCue(const fw::BaseNode* node, fw::s32 cueNameId, bool onlyIfNotPlaying = false);
inline fw::CSoundCue* playCue(const fw::BaseNode* node, const char* cue, bool onlyIfNotPlaying = false)
{
	return playCue(node, nameId(cue), onlyIfNotPlaying);
}

// Whether the list holds the id.
inline bool contains(const fw::core::array<fw::s32>& list, fw::s32 id)
{
	return list.linear_search(id) != -1;
}
// A filter list: an empty one lets every id through.
inline bool passesFilter(const fw::core::array<fw::s32>& list, fw::s32 id)
{
	return list.empty() || contains(list, id);
}

// Halves up, clamped to the int range.
fw::s32 roundToInt(fw::f64 value);
// The dictionary's "MoneyDollar" around the amount with "," every three digits; the bare amount
// without a dictionary.
fw::core::stringw moneyText(const fw::BaseNode* node, fw::s32 amount);
// The dictionary's text of the key filled with one argument; the argument alone without one.
fw::core::stringw formatText(const fw::BaseNode* node, const char* key, const fw::core::stringw& argument);

// The elements of an engine array for a range-for; the array must not change meanwhile.
template <class T>
struct SArrayItems
{
	T* first;
	T* last;
	T* begin() const { return first; }
	T* end() const { return last; }
};

template <class T>
SArrayItems<T> items(const fw::core::array<T>& array)
{
	T* first = const_cast<T*>(array.const_pointer());
	return SArrayItems<T>{first, first + array.size()};
}
} // namespace levelservices
