#pragma once

#include "core/CoreTypes.h"

#include <cstddef>

namespace fw
{
// FNV-1a over the code units of a text.
template <class T>
inline size_t hashText(const T* text, u32 length)
{
	u64 hash = 14695981039346656037ull;
	for (u32 i = 0; i < length; ++i)
	{
		hash ^= static_cast<u64>(static_cast<u32>(text[i]));
		hash *= 1099511628211ull;
	}
	return static_cast<size_t>(hash);
}

// Every unit and the length, embedded zeros included (the engine's operator== stops at one).
template <class T>
inline bool sameText(const core::string<T>& a, const core::string<T>& b)
{
	if (a.size() != b.size())
		return false;
	const T* x = a.c_str();
	const T* y = b.c_str();
	for (u32 i = 0, n = a.size(); i < n; ++i)
		if (x[i] != y[i])
			return false;
	return true;
}

// Hash and equality of engine strings for unordered containers: the name tables are looked up once
// or more per attribute while scene files load, where an ordered tree's walk of string comparisons
// costs more than the whole parse of the attribute.
struct SStringHash
{
	template <class T>
	size_t operator()(const core::string<T>& text) const
	{
		return hashText(text.c_str(), text.size());
	}
};

struct SStringEqual
{
	template <class T>
	bool operator()(const core::string<T>& a, const core::string<T>& b) const
	{
		return sameText(a, b);
	}
};
} // namespace fw
