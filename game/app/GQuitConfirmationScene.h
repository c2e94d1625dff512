#pragma once

#include "app/GBaseSceneNode.h"

// Asks whether to leave the game: "YesButton" closes the device, which ends the program;
// "NoButton" or Escape returns to the scene below, which plays no transition. Enter does nothing.
class GQuitConfirmationScene : public GBaseSceneNode
{
public:
	FW_NODE_CLASS(GQuitConfirmationScene, GBaseSceneNode, NODE_TYPE_GAME_QUIT_CONFIRMATION_SCENE,
		L"GQuitConfirmationScene")

	GQuitConfirmationScene(const fw::ContentReference& reference, fw::BaseNode* parent,
		fw::ISceneManager* sceneManager);

	SSceneTable<SButtonAction> getButtonActions() const override;
	bool onSceneSwitchStarted(fw::CEventSceneTransitionStart* event) override;
	bool onKeyUp(fw::CEventInputKeyUp* event) override;

	// Back to the scene below, which stays still.
	void close();
	// Closes the device, which ends the program. Nothing is saved here: every change was saved
	// when it was made.
	void quit();
};
