#include "app/GAchievementsProgress.h"

#include "app/GGameSettings.h"
#include "platform/CProfile.h"
#include "platform/CProfileManager.h"

using namespace fw;

namespace
{
const s32 TARGETS[GAchievementsProgress::COUNT] = {6, 3, 3, 3, 50, 150, 250, 2500000, 7500000, 10000000, 35, 30};

// The money achievements hold the highest amount reached, not a count.
bool isReplaced(u32 n)
{
	return n >= 7 && n <= 9;
}

core::stringw shownNumber(u32 n)
{
	return core::stringw(static_cast<s32>(n + 1));
}
} // namespace

GAchievementsProgress::GAchievementsProgress()
{
	reset();
}

void GAchievementsProgress::reset()
{
	for (u32 n = 0; n < COUNT; ++n)
	{
		m_progress[n] = n == 0 ? 1 : 0;
		m_target[n] = TARGETS[n];
	}
}

bool GAchievementsProgress::addProgress(u32 n, s32 value)
{
	const s32 old = m_progress[n];
	if (isReplaced(n))
		m_progress[n] = value;
	else
	{
		// A count far beyond any target is kept at the int range rather than wrapping round.
		const s64 sum = static_cast<s64>(old) + value;
		m_progress[n] = static_cast<s32>(core::clamp<s64>(sum, INT32_MIN, INT32_MAX));
	}
	return old < m_target[n] && m_progress[n] >= m_target[n];
}

void GAchievementsProgress::load(const core::stringc& text)
{
	reset();
	const core::array<s32> values = parseIntList(text);
	for (u32 n = 0; n < COUNT && n < values.size(); ++n)
		m_progress[n] = values[n];
}

core::stringc GAchievementsProgress::toText() const
{
	core::array<s32> values;
	for (u32 n = 0; n < COUNT; ++n)
		values.push_back(m_progress[n]);
	return joinIntList(values);
}

void GAchievementsProgress::save(CProfile* player) const
{
	if (!player)
		return;
	player->setString(PROFILE_ACHIEVEMENTS_PROGRESS, toText());
	player->save();
}

core::stringc GAchievementsProgress::getIconFileName(u32 n) const
{
	return core::stringc("scenes/images/Achievements/Icon") + core::stringc(static_cast<s32>(n + 1)) + ".png";
}

core::stringw GAchievementsProgress::getNameKey(u32 n) const
{
	return core::stringw(L"%Achievements_") + shownNumber(n) + L"%";
}

core::stringw GAchievementsProgress::getDescBeforeKey(u32 n) const
{
	return core::stringw(L"%Achievements_") + shownNumber(n) + L"DescBefore%";
}

core::stringw GAchievementsProgress::getDescAfterKey(u32 n) const
{
	return core::stringw(L"%Achievements_") + shownNumber(n) + L"DescAfter%";
}
