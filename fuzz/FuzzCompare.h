#pragma once

// Comparing two writings of the same data. Numbers are written with six decimals and read back by
// the engine's float parser, which accumulates the digits of a large number in single precision:
// a value far from 1 may come back a few units in the last place away, and be written that way.
// Infinities and NaNs are written as "inf" and "nan", which that parser does not read: they come
// back as some number. Everything else must match exactly.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>

namespace fuzz
{
// The text as code units: UTF-16LE when it starts with its byte-order mark, bytes otherwise.
inline std::u32string units(const std::string& text)
{
	std::u32string out;
	if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF && static_cast<unsigned char>(text[1]) == 0xFE)
	{
		for (size_t i = 2; i + 1 < text.size(); i += 2)
			out += static_cast<char32_t>(
				static_cast<unsigned char>(text[i]) | static_cast<unsigned char>(text[i + 1]) << 8);
		if (text.size() % 2)
			out += static_cast<char32_t>(0x110000); // an odd byte left over differs from any unit
	}
	else
		for (char c : text)
			out += static_cast<char32_t>(static_cast<unsigned char>(c));
	return out;
}

inline bool isDigit(char32_t c)
{
	return c >= '0' && c <= '9';
}

// The number that starts at i (digits, optionally "." and digits), read in double; i moves past it.
inline double number(const std::u32string& text, size_t& i)
{
	std::string digits;
	while (i < text.size() && (isDigit(text[i]) || text[i] == '.'))
		digits += static_cast<char>(text[i++]);
	return std::strtod(digits.c_str(), nullptr);
}

// "inf", "nan", "-inf" or "-nan" at i; i moves past it.
inline bool skipNonFinite(const std::u32string& text, size_t& i)
{
	size_t k = i < text.size() && text[i] == '-' ? i + 1 : i;
	const std::u32string word = text.substr(k, 3);
	if (word != U"inf" && word != U"nan")
		return false;
	i = k + 3;
	return true;
}

inline bool sameWriting(const std::string& first, const std::string& second)
{
	if (first == second)
		return true;
	const std::u32string a = units(first);
	const std::u32string b = units(second);
	size_t i = 0;
	size_t j = 0;
	while (i < a.size() && j < b.size())
	{
		if (skipNonFinite(a, i))
		{
			if (j < b.size() && b[j] == '-')
				++j;
			if (!skipNonFinite(b, j))
				number(b, j);
			continue;
		}
		if (isDigit(a[i]) && isDigit(b[j]) && (i == 0 || !isDigit(a[i - 1])))
		{
			const double x = number(a, i);
			const double y = number(b, j);
			if (std::fabs(x - y) > 2e-6 + 1e-6 * std::fmax(std::fabs(x), std::fabs(y)))
				return false;
			continue;
		}
		if (a[i] != b[j])
			return false;
		++i;
		++j;
	}
	return i == a.size() && j == b.size();
}

// Stops the run when two writings differ; with FUZZ_DUMP set to a folder, both are left there
// (first.txt, second.txt) to be compared.
inline void checkSame(const std::string& first, const std::string& second)
{
	if (sameWriting(first, second))
		return;
	if (const char* folder = std::getenv("FUZZ_DUMP"))
	{
		std::ofstream(std::string(folder) + "/first.txt", std::ios::binary) << first;
		std::ofstream(std::string(folder) + "/second.txt", std::ios::binary) << second;
	}
	__builtin_trap();
}
} // namespace fuzz
