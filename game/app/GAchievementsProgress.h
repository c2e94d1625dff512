#pragma once

#include "core/CoreTypes.h"

namespace fw
{
class CProfile;
}

// The active player's progress towards the campaign's twelve achievements. Achievement n (0 to
// 11) is shown to the player as number n + 1 and is earned when its progress reaches its target.
class GAchievementsProgress : public virtual fw::IReferenceCounted
{
public:
	static constexpr fw::u32 COUNT = 12;

	GAchievementsProgress();

	// The initial progress (1 for the first achievement, 0 for the others) and the targets.
	void reset();
	fw::s32 getProgress(fw::u32 n) const { return m_progress[n]; }
	fw::s32 getTarget(fw::u32 n) const { return m_target[n]; }
	bool isEarned(fw::u32 n) const { return m_progress[n] >= m_target[n]; }

	// Adds the value (which may be negative), or for the money achievements 7, 8 and 9 replaces
	// the progress with it. True when this update made the achievement earned.
	bool addProgress(fw::u32 n, fw::s32 value);

	// Reset, then the first twelve numbers of the list as progress.
	void load(const fw::core::stringc& text);
	// Into the player's AchievementsProgress, saved at once; nothing without one.
	void save(fw::CProfile* player) const;
	// The progress as the profile keeps it.
	fw::core::stringc toText() const;

	fw::core::stringc getIconFileName(fw::u32 n) const;
	fw::core::stringw getNameKey(fw::u32 n) const;
	fw::core::stringw getDescBeforeKey(fw::u32 n) const;
	fw::core::stringw getDescAfterKey(fw::u32 n) const;

private:
	fw::s32 m_progress[COUNT];
	fw::s32 m_target[COUNT];
};
