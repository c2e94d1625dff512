#pragma once

// The log lines a test provokes, for every suite.

#include "core/CLogger.h"

#include <string>
#include <vector>

namespace fw
{
namespace test
{
struct SLogLine
{
	s32 level;
	std::string text;
	std::string hint = {};
};

// Collects the log lines written while it lives and puts the previous sink back.
class CLogCapture
{
public:
	CLogCapture()
	{
		m_previous = CLogger::setSink(
			[this](s32 level, const c8* text, const c8* hint) {
				lines.push_back({level, text ? text : "", hint ? hint : ""});
			});
	}
	~CLogCapture() { CLogger::setSink(m_previous); }
	CLogCapture(const CLogCapture&) = delete;
	CLogCapture& operator=(const CLogCapture&) = delete;

	// Lines that hold the fragment, read as "text | hint" (or the text alone without a hint).
	size_t countContaining(const std::string& fragment) const
	{
		size_t count = 0;
		for (const SLogLine& line : lines)
			if (joined(line).find(fragment) != std::string::npos)
				++count;
		return count;
	}
	bool contains(const std::string& fragment) const { return countContaining(fragment) > 0; }
	// A line of that level with exactly that text.
	bool has(s32 level, const std::string& text) const
	{
		for (const SLogLine& line : lines)
			if (line.level == level && line.text == text)
				return true;
		return false;
	}
	// Every line, for failure messages.
	std::string all() const
	{
		std::string text;
		for (const SLogLine& line : lines)
			text += std::to_string(line.level) + " " + joined(line) + "\n";
		return text;
	}

	std::vector<SLogLine> lines;

private:
	static std::string joined(const SLogLine& line)
	{
		return line.hint.empty() ? line.text : line.text + " | " + line.hint;
	}

	LogSink m_previous;
};
} // namespace test
} // namespace fw
