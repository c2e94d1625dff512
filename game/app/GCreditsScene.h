#pragma once

#include "app/GBaseSceneNode.h"

// The credits: everything shown is the scene file's own; the class adds the ways out ("BackButton",
// Escape or Enter), which slide back to the menu.
class GCreditsScene : public GBaseSceneNode
{
public:
	FW_NODE_CLASS(GCreditsScene, GBaseSceneNode, NODE_TYPE_GAME_CREDITS_SCENE, L"GCreditsScene")

	GCreditsScene(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	SSceneTable<SButtonAction> getButtonActions() const override;
	bool onKeyUp(fw::CEventInputKeyUp* event) override;
	bool onSceneSwitchStarted(fw::CEventSceneTransitionStart* event) override;

private:
	void leave() { goBackSliding(*this); }
};
