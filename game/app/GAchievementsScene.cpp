#include "app/GAchievementsScene.h"

#include "app/GAchievementsProgress.h"
#include "app/GGame.h"
#include "content/CAtlasTexture.h"
#include "content/CContentManager.h"
#include "core/CEventControl.h"
#include "core/CEventInput.h"
#include "core/CNameTable.h"
#include "core/NodeCasts.h"
#include "core/TextFormat.h"
#include "platform/CDictionary.h"
#include "widgets/CEventScene.h"
#include "widgets/ListNode.h"
#include "widgets/SliderNode.h"
#include "widgets/SpriteNode.h"
#include "widgets/TextNode.h"

using namespace fw;

namespace
{
bool isMoneyAchievement(u32 n)
{
	return n >= 7 && n <= 9;
}

core::stringw moneyOrNumber(s32 value, bool money, CDictionary* dictionary)
{
	const core::stringw number = formatThousands(value, L',');
	if (!money)
		return number;
	return dictionary ? dictionary->format("MoneyDollar", number, L"", L"", L"") : number;
}
} // namespace

core::stringw achievementProgressText(const GAchievementsProgress& progress, u32 n, CDictionary* dictionary)
{
	const bool money = isMoneyAchievement(n);
	return moneyOrNumber(progress.getProgress(n), money, dictionary) + L"/" +
		moneyOrNumber(progress.getTarget(n), money, dictionary);
}

// ---------------------------------------------------------------------------------------------

GAchievementsScene::GAchievementsScene(const ContentReference& reference, BaseNode* parent,
	ISceneManager* sceneManager) :
	GBaseSceneNode(reference, parent, sceneManager)
{
}

SSceneTable<SBoundChild> GAchievementsScene::getBoundChildren() const
{
	static const SBoundChild CHILDREN[] = {
		boundChild<&GAchievementsScene::m_lists, TAB_ALL>("Scene/TabScene/Tab1", "AchievementsList"),
		boundChild<&GAchievementsScene::m_lists, TAB_EARNED>("Scene/TabScene/Tab2", "AchievementsList"),
		boundChild<&GAchievementsScene::m_lists, TAB_PENDING>("Scene/TabScene/Tab3", "AchievementsList"),
		boundChild<&GAchievementsScene::m_emptyTexts, TAB_EARNED>("Scene/TabScene/Tab2", "EmptyText"),
		boundChild<&GAchievementsScene::m_earnedText>("Scene", "EarnedText"),
	};
	return CHILDREN;
}

SSceneTable<SButtonAction> GAchievementsScene::getButtonActions() const
{
	static const SButtonAction BUTTONS[] = {
		buttonAction<&GAchievementsScene::leave>("BackButton"),
	};
	return BUTTONS;
}

void GAchievementsScene::fill(const GAchievementsProgress& progress)
{
	for (core::array<SAchievementRow>& rows : m_rows)
		rows.clear();
	CContentManager* content = need(getServices().content, "content manager");
	CDictionary* dictionary = need(getServices().dictionary, "dictionary");
	u32 earned = 0;
	for (u32 n = 0; n < GAchievementsProgress::COUNT; ++n)
	{
		SAchievementRow row;
		row.texts[0] = progress.getNameKey(n);
		row.icon = progress.getIconFileName(n);
		if (content)
		{
			const CRefHolder<CContent> icon = adoptRef(content->getContent(CONTENT_TYPE_ATLAS_TEXTURE, row.icon, true));
			row.image.assign(dynamic_cast<CAtlasTexture*>(icon.get()));
		}
		if (progress.isEarned(n))
		{
			++earned;
			row.texts[1] = progress.getDescAfterKey(n);
			row.texts[2] = L"%Achievements_AlreadyEarned%";
			m_rows[TAB_ALL].push_back(row);
			row.texts[1] = core::stringw(L"\n") + progress.getDescAfterKey(n);
			row.texts[2] = L"";
			m_rows[TAB_EARNED].push_back(row);
		}
		else
		{
			row.texts[1] = progress.getDescBeforeKey(n);
			row.texts[2] = achievementProgressText(progress, n, dictionary);
			m_rows[TAB_ALL].push_back(row);
			m_rows[TAB_PENDING].push_back(row);
		}
	}
	fillList(TAB_ALL);
	fillList(TAB_EARNED);
	if (m_earnedText)
		m_earnedText->setText(core::stringw(earned) + L"/" + core::stringw(GAchievementsProgress::COUNT));
	fillList(TAB_PENDING);
}

void GAchievementsScene::fillList(ETab tab)
{
	ListNode* list = m_lists[tab];
	if (!list)
		return;
	const core::array<SAchievementRow>& rows = m_rows[tab];
	list->setItemCount(rows.size());
	for (u32 i = 0; i < rows.size(); ++i)
	{
		for (u32 slot = 0; slot < 3; ++slot)
			list->setItemText(i, slot, rows[i].texts[slot]);
		list->setItemImage(i, 0, rows[i].image.get());
	}
	list->updateElements();
	// A tab with nothing to list says so, rather than showing an empty panel.
	if (TextNode* empty = m_emptyTexts[tab])
		empty->setVisible(rows.empty());
	// An empty list has nothing to scroll: its scroll bar would keep a knob from its template.
	for (BaseNode* scroller : {static_cast<BaseNode*>(list->getSlider()), list->getPrevButton(), list->getNextButton()})
		if (scroller)
			scroller->setVisible(!rows.empty());
}

bool GAchievementsScene::onSceneSwitchStarted(CEventSceneTransitionStart* event)
{
	if (GBaseSceneNode::onSceneSwitchStarted(event))
		return true;
	if (event->getTo() != this)
		return false;
	GGame* game = getGame();
	if (game && game->getAchievements())
		fill(*game->getAchievements());
	return true;
}

bool GAchievementsScene::onKeyUp(CEventInputKeyUp* event)
{
	if (GBaseSceneNode::onKeyUp(event))
		return true;
	if (!isEscapeOrEnter(event->Key))
		return false;
	goBackSliding(*this);
	return true;
}
