#pragma once

#include "app/GBaseSceneNode.h"

namespace fw
{
class EditNode;
} // namespace fw

// The name entry for a new player: OK (or Enter) stays disabled while the name is empty or exactly
// that of an existing player, and creates the player, who is then picked in the list below but not
// yet made active. Cancel or Escape goes back without a player. A name is taken without the blanks
// and line breaks around it.
class GSelectPlayerInputNameScene : public GBaseSceneNode
{
public:
	FW_NODE_CLASS(GSelectPlayerInputNameScene, GBaseSceneNode, NODE_TYPE_GAME_SELECT_PLAYER_INPUT_NAME_SCENE,
		L"GSelectPlayerInputNameScene")

	GSelectPlayerInputNameScene(const fw::ContentReference& reference, fw::BaseNode* parent,
		fw::ISceneManager* sceneManager);

	SSceneTable<SBoundChild> getBoundChildren() const override;
	SSceneTable<SButtonAction> getButtonActions() const override;

	// The name without blanks and line breaks at either end, as it is stored and shown.
	static fw::core::stringw trimName(const fw::core::stringw& name);
	// Not empty once trimmed and no player's trimmed name is exactly this (case counts).
	// False without a profile manager.
	bool isNameValid(const fw::core::stringw& name) const;
	void createPlayer();

	bool onSceneSwitchStarted(fw::CEventSceneTransitionStart* event) override;
	bool onValueChanged(fw::CEventNodeValueChanged* event) override;
	bool onKeyUp(fw::CEventInputKeyUp* event) override;

	fw::EditNode* getNameEdit() const { return m_nameEdit; }
	fw::ControlNode* getOkButton() const { return m_okButton; }

private:
	fw::core::stringw getName() const;
	void cancel();

	// Plain pointers into the scene's own tree, bound once.
	fw::EditNode* m_nameEdit = nullptr;
	fw::ControlNode* m_okButton = nullptr;
};
