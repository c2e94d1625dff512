#pragma once

#include "app/GBaseSceneNode.h"
#include "content/CAtlasTexture.h"

class GAchievementsProgress;

namespace fw
{
class CDictionary;
class ListNode;
class SpriteNode;
class TextNode;
} // namespace fw

// One row of an achievements list: three texts (name, description, progress), the icon file and
// the icon loaded from it (null when the file is missing).
struct SAchievementRow
{
	fw::core::stringw texts[3];
	fw::core::stringc icon;
	fw::CRefHolder<fw::CAtlasTexture> image;
};

// The progress of achievement n as shown: "p/t" with "," between thousands; money achievements
// put each number through the dictionary's "MoneyDollar" (bare numbers without a dictionary).
fw::core::stringw achievementProgressText(const GAchievementsProgress& progress, fw::u32 n,
	fw::CDictionary* dictionary);

// The full-screen list of the twelve achievements in three tabs (all, earned, still to earn) with
// the count earned, refilled at every entrance from the active player's progress; a tab's
// "EmptyText" beside its list shows while the list is empty. Escape, Enter or "BackButton" slide
// back to the menu.
class GAchievementsScene : public GBaseSceneNode
{
public:
	FW_NODE_CLASS(GAchievementsScene, GBaseSceneNode, NODE_TYPE_GAME_ACHIEVEMENTS_SCENE, L"GAchievementsScene")

	enum ETab
	{
		TAB_ALL = 0,
		TAB_EARNED = 1,
		TAB_PENDING = 2,
		TAB_COUNT = 3
	};

	GAchievementsScene(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	SSceneTable<SBoundChild> getBoundChildren() const override;
	SSceneTable<SButtonAction> getButtonActions() const override;
	bool onSceneSwitchStarted(fw::CEventSceneTransitionStart* event) override;
	bool onKeyUp(fw::CEventInputKeyUp* event) override;

	// Builds the three tabs' rows and the earned count from the progress and hands each tab's rows
	// to its list: texts 0 to 2, the icon as image 0.
	void fill(const GAchievementsProgress& progress);

	const fw::core::array<SAchievementRow>& getRows(ETab tab) const { return m_rows[tab]; }
	// The list node bound for the tab ("AchievementsList" of "Tab1" to "Tab3"); null when missing.
	fw::ListNode* getList(ETab tab) const { return m_lists[tab]; }
	fw::TextNode* getEarnedText() const { return m_earnedText; }

private:
	void fillList(ETab tab);
	void leave() { goBackSliding(*this); }

	fw::ListNode* m_lists[TAB_COUNT] = {nullptr, nullptr, nullptr};
	// The words a tab shows while its list is empty; only the earned tab has them.
	fw::TextNode* m_emptyTexts[TAB_COUNT] = {nullptr, nullptr, nullptr};
	fw::TextNode* m_earnedText = nullptr;
	fw::core::array<SAchievementRow> m_rows[TAB_COUNT];
};
