#pragma once

#include "core/CoreTypes.h"

namespace fw
{
class BaseNode;
} // namespace fw

class GBuildingNode;
class GGameLevelScene;
class GLetterRequestMessage;
class GMoneyLetter;

// The money letters now shown on the level's buildings: made on a letter request, counted down each
// step, collected by a press on their building. Part of its level.
class GMoneyLetters
{
public:
	explicit GMoneyLetters(GGameLevelScene& level) : m_level(level) {}

	// A letter on one working, built building of Type 0 that passes the request's filters and has
	// had none for 5 s; nothing when the modifiers forbid letters.
	bool onLetterRequest(GLetterRequestMessage* message);
	// Letters whose time has run out, or whose building stopped working, disappear.
	void update(fw::u32 stepMs);
	// Pays the building's letter and takes it away; false when the building shows none.
	bool collect(GBuildingNode* building);

	// The letter nodes; each holds its GMoneyLetter as user object.
	const fw::core::array<fw::BaseNode*>& getLetters() const { return m_letters; }

private:
	GMoneyLetters(const GMoneyLetters&) = delete;
	GMoneyLetters& operator=(const GMoneyLetters&) = delete;

	GMoneyLetter* letterOf(const GBuildingNode* building, fw::u32* index) const;
	// Takes the letter at the index out of the array, the last one moved into its place.
	void removeLetterAt(fw::u32 index, const char* state);

	GGameLevelScene& m_level;
	fw::core::array<fw::BaseNode*> m_letters;
};
