#pragma once

#include "core/CoreTypes.h"

#include <map>

namespace fw
{
class IXMLReader;
}

struct GLevelScore
{
	fw::s32 score = 0;
	fw::s32 expertScore = 0;
	// The level time, seconds.
	fw::s32 time = 0;
};

// The scores and times of the campaign's levels, by level name.
class GLevelScores : public virtual fw::IReferenceCounted
{
public:
	// Replaces the contents; a later entry of a name replaces an earlier one. True when the closing
	// root tag was reached; what was read before the input ended stays.
	bool load(fw::IXMLReader* reader);
	// The entry of the name; one that is missing is added with 0, 0 and 360 seconds.
	GLevelScore& getScore(const fw::core::stringc& levelName);
	bool hasScore(const fw::core::stringc& levelName) const { return m_scores.count(levelName) != 0; }
	const std::map<fw::core::stringc, GLevelScore>& getScores() const { return m_scores; }

private:
	std::map<fw::core::stringc, GLevelScore> m_scores;
};
