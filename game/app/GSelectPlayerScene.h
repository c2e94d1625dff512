#pragma once

#include "app/GBaseSceneNode.h"

namespace fw
{
class ListNode;
} // namespace fw

// The list of players: pick one (OK, Escape or Enter makes it active, saves, applies its sound and
// reads its achievements, then goes back), delete one after a confirmation, or open the name entry
// for a new one (at most ten). The list cannot be left without an active player.
class GSelectPlayerScene : public GBaseSceneNode
{
public:
	FW_NODE_CLASS(GSelectPlayerScene, GBaseSceneNode, NODE_TYPE_GAME_SELECT_PLAYER_SCENE, L"GSelectPlayerScene")

	static const fw::c8* const INPUT_NAME_SCENE_FILE;
	static constexpr fw::u32 MAX_PLAYERS = 10;

	GSelectPlayerScene(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	SSceneTable<SBoundChild> getBoundChildren() const override;
	SSceneTable<SButtonAction> getButtonActions() const override;

	// One item per player, its text the name as typed but for blanks around it; with selectActive
	// the active one selected.
	void fillList(bool selectActive);
	void choosePlayer();
	// A name as a text node shows it unchanged: its percent signs doubled, so that the dictionary
	// expands none of it.
	static fw::core::stringw literalText(const fw::core::stringw& name);

	bool onSceneSwitchStarted(fw::CEventSceneTransitionStart* event) override;
	bool onMessageBoxResult(fw::CEventMessageBoxResult* event) override;
	bool onKeyUp(fw::CEventInputKeyUp* event) override;

	fw::u32 getRememberedCount() const { return m_rememberedCount; }
	fw::ListNode* getPlayersList() const { return m_playersList; }
	fw::ControlNode* getOkButton() const { return m_okButton; }
	fw::ControlNode* getNewPlayerButton() const { return m_newPlayerButton; }
	fw::ControlNode* getDeleteButton() const { return m_deleteButton; }

private:
	void updateButtons();
	fw::u32 profileCount() const;
	// Asks whether to delete the selected player.
	void confirmDelete();
	void selectItem(fw::u32 index);

	fw::u32 m_rememberedCount = 0;
	// Plain pointers into the scene's own tree, bound once.
	fw::ListNode* m_playersList = nullptr;
	fw::ControlNode* m_okButton = nullptr;
	fw::ControlNode* m_newPlayerButton = nullptr;
	fw::ControlNode* m_deleteButton = nullptr;
};
