#include "level/data/GGameStatistics.h"

bool GGameStatistics::start()
{
	return true;
}

bool GGameStatistics::stop()
{
	return true;
}

void GGameStatistics::reportLevelResult(const fw::core::stringc& levelName, const fw::core::stringc& timeSeconds)
{
	(void)levelName;
	(void)timeSeconds;
}

void GGameStatistics::addPlayTime(fw::u32 milliseconds)
{
	m_playTime += static_cast<fw::s32>(milliseconds);
}
