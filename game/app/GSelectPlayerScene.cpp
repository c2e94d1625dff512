#include "app/GSelectPlayerScene.h"

#include "app/GAchievementsProgress.h"
#include "app/GGame.h"
#include "app/GGameSettings.h"
#include "app/GSelectPlayerInputNameScene.h"
#include "core/CEventControl.h"
#include "core/CEventInput.h"
#include "core/CNameTable.h"
#include "core/NodeCasts.h"
#include "platform/CProfile.h"
#include "platform/CProfileManager.h"
#include "widgets/CEventScene.h"
#include "widgets/ListNode.h"

using namespace fw;

const c8* const GSelectPlayerScene::INPUT_NAME_SCENE_FILE = "scenes/SelectPlayerInputNameScene.oscn";

namespace
{
// The confirmation's buttons in order: "%Yes%" is 0.
const s32 RESULT_YES = 0;

void enable(ControlNode* control, bool enabled)
{
	if (control)
		control->setEnabled(enabled);
}
} // namespace

GSelectPlayerScene::GSelectPlayerScene(const ContentReference& reference, BaseNode* parent,
	ISceneManager* sceneManager) :
	GBaseSceneNode(reference, parent, sceneManager)
{
}

SSceneTable<SBoundChild> GSelectPlayerScene::getBoundChildren() const
{
	static const SBoundChild CHILDREN[] = {
		boundChild<&GSelectPlayerScene::m_playersList>("Scene", "PlayersList"),
		boundChild<&GSelectPlayerScene::m_okButton>("Scene", "OkButton"),
		boundChild<&GSelectPlayerScene::m_newPlayerButton>("Scene", "NewPlayerButton"),
		boundChild<&GSelectPlayerScene::m_deleteButton>("Scene", "DeletePlayerButton"),
	};
	return CHILDREN;
}

SSceneTable<SButtonAction> GSelectPlayerScene::getButtonActions() const
{
	static const SButtonAction BUTTONS[] = {
		buttonAction<&GSelectPlayerScene::choosePlayer>("OkButton"),
		buttonOpens("NewPlayerButton", INPUT_NAME_SCENE_FILE, "NavFrom", "NavTo"),
		buttonAction<&GSelectPlayerScene::confirmDelete>("DeletePlayerButton"),
	};
	return BUTTONS;
}

core::stringw GSelectPlayerScene::literalText(const core::stringw& name)
{
	core::stringw text;
	text.reserve(name.size());
	for (u32 i = 0; i < name.size(); ++i)
	{
		if (name[i] == L'%')
			text.append(L'%');
		text.append(name[i]);
	}
	return text;
}

void GSelectPlayerScene::fillList(bool selectActive)
{
	if (!m_playersList)
		return;
	const CProfileManager* profiles = need(getServices().profiles, "profile manager");
	const u32 count = profiles ? profiles->getProfileCount() : 0;
	m_playersList->setItemCount(count);
	for (u32 i = 0; i < count; ++i)
	{
		CProfile* player = profiles->getProfile(i);
		m_playersList->setItemText(i, 0, literalText(GSelectPlayerInputNameScene::trimName(player->getName())));
		if (selectActive && player == profiles->getActiveProfile())
			m_playersList->setSelectedItem(static_cast<s32>(i), true);
	}
	m_playersList->updateElements();
}

void GSelectPlayerScene::selectItem(u32 index)
{
	m_playersList->setSelectedItem(static_cast<s32>(index), true);
	m_playersList->updateElements();
}

u32 GSelectPlayerScene::profileCount() const
{
	const CProfileManager* profiles = need(getServices().profiles, "profile manager");
	return profiles ? profiles->getProfileCount() : 0;
}

void GSelectPlayerScene::updateButtons()
{
	const u32 count = profileCount();
	enable(m_okButton, count > 0);
	enable(m_newPlayerButton, count < MAX_PLAYERS);
	enable(m_deleteButton, count > 0);
}

bool GSelectPlayerScene::onSceneSwitchStarted(CEventSceneTransitionStart* event)
{
	if (GBaseSceneNode::onSceneSwitchStarted(event))
		return true;
	const u32 count = profileCount();
	if (event->getFrom() == this)
	{
		m_rememberedCount = count;
		return true;
	}
	if (event->getTo() != this)
		return false;
	if (event->isForward())
	{
		fillList(true);
		m_rememberedCount = count;
	}
	else
	{
		fillList(false);
		// Back from the name entry with one more player: the new one is picked, not yet chosen.
		if (m_playersList && m_rememberedCount != count && count > 0)
			selectItem(count - 1);
		if (m_playersList)
			m_playersList->setFocused(true);
	}
	updateButtons();
	return true;
}

void GSelectPlayerScene::confirmDelete()
{
	core::array<core::stringw> buttons;
	buttons.push_back(L"%Yes%");
	buttons.push_back(L"%No%");
	openTemplateScene(nameId("MessageBox2Buttons"), buttons, L"", L"%SelectPlayer_WantDelete%");
}

bool GSelectPlayerScene::onMessageBoxResult(CEventMessageBoxResult* event)
{
	if (GBaseSceneNode::onMessageBoxResult(event))
		return true;
	// The button that opened the box kept the focus; the arrow keys belong to the list again.
	if (m_playersList)
		m_playersList->setFocused(true);
	if (event->getResult() != RESULT_YES || !m_playersList)
		return true;
	CProfileManager* profiles = need(getServices().profiles, "profile manager");
	if (!profiles)
		return true;
	const s32 selected = m_playersList->getSelectedIndex();
	if (selected >= 0)
		profiles->removeProfile(static_cast<u32>(selected));
	profiles->saveUserProfiles();
	fillList(false);
	const u32 count = profiles->getProfileCount();
	if (count > 0)
		selectItem(core::min_(static_cast<u32>(selected < 0 ? 0 : selected), count - 1));
	updateButtons();
	return true;
}

void GSelectPlayerScene::choosePlayer()
{
	CProfileManager* profiles = need(getServices().profiles, "profile manager");
	if (!profiles)
		return;
	const s32 selected = m_playersList ? m_playersList->getSelectedIndex() : 0;
	// A negative index selects nobody, as one beyond the count does.
	profiles->setActiveProfile(selected < 0 ? profiles->getProfileCount() : static_cast<u32>(selected));
	CProfile* player = profiles->getActiveProfile();
	if (!player)
		return;
	profiles->saveUserProfiles();
	if (GGame* game = getGame())
	{
		game->applySoundSettings();
		game->getAchievements()->load(player->getString(PROFILE_ACHIEVEMENTS_PROGRESS));
	}
	goBackSliding(*this);
}

bool GSelectPlayerScene::onKeyUp(CEventInputKeyUp* event)
{
	if (GBaseSceneNode::onKeyUp(event))
		return true;
	if (!isEscapeOrEnter(event->Key))
		return false;
	choosePlayer();
	return true;
}
