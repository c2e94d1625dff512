#pragma once

#include "core/CoreTypes.h"

#include <map>

// Play-time totals and reporting hooks; the hooks do nothing.
class GGameStatistics : public virtual fw::IReferenceCounted
{
public:
	bool start();
	bool stop();
	void reportLevelResult(const fw::core::stringc& levelName, const fw::core::stringc& timeSeconds);

	void addPlayTime(fw::u32 milliseconds);
	fw::s32 getPlayTime() const { return m_playTime; }

private:
	std::map<fw::core::stringc, fw::s32> m_values;
	fw::s32 m_playTime = 0;
};
