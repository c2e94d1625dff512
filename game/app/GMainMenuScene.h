#pragma once

#include "app/GBaseSceneNode.h"
#include "core/CRefHolder.h"
#include "level/data/IGLevelPathsOwner.h"

class GLevelPaths;

namespace fw
{
class TextNode;
}

// The main menu, the bottom of the menus' scene stack: greets the active player, plays the menu
// music and the street's ambience, opens the other front-end scenes from its buttons, sends a first
// start into player selection and naming, and owns the street paths its movers travel. Entered
// from the level-completed panel it shows a scrolling sequence in a clipped area instead of its
// normal face, until the sequence ends or its back button is pressed.
class GMainMenuScene : public GBaseSceneNode, public IGLevelPathsOwner
{
public:
	FW_NODE_CLASS(GMainMenuScene, GBaseSceneNode, NODE_TYPE_GAME_MAIN_MENU_SCENE, L"GMainMenuScene")

	static const fw::c8* const PATHS_FILE;

	GMainMenuScene(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);
	~GMainMenuScene() override;

	SSceneTable<SBoundChild> getBoundChildren() const override;
	SSceneTable<SButtonAction> getButtonActions() const override;
	bool onStateChangeComplete(fw::CEventNodeStateChangeComplete* event) override;
	bool onSceneSwitchStarted(fw::CEventSceneTransitionStart* event) override;
	bool onSceneSwitchCompleted(fw::CEventSceneTransitionEnd* event) override;
	// The first time it meets a scene manager with a device, the menu reads its street paths; a
	// missing file leaves them empty.
	void attachToScene(fw::ISceneManager* sceneManager, fw::SceneNode* scene) override;

	// Ends the scrolling sequence and brings the normal face back; finish ends the animations at
	// once.
	void stopScrolling(bool finish);
	// The welcome text for the active player (the name shown as typed).
	void updateWelcomeText();

	GLevelPaths* getLevelPaths() const override { return m_paths.get(); }
	fw::TextNode* getWelcomeText() const { return m_welcomeText; }
	fw::BaseNode* getSceneRoot() const { return m_sceneRoot; }
	fw::ControlNode* getBackButton() const { return m_backButton; }
	fw::BaseNode* getClipNode() const { return m_clipNode; }

private:
	void startScrolling();
	// The back button of the scrolling sequence.
	void endScrolling() { stopScrolling(false); }
	void openNewGame();
	void stopStreetCues();
	void readPaths(const fw::SServices& services);

	fw::CRefHolder<GLevelPaths> m_paths;
	bool m_pathsRead = false;
	fw::TextNode* m_welcomeText = nullptr;
	fw::BaseNode* m_sceneRoot = nullptr;
	fw::ControlNode* m_backButton = nullptr;
	fw::BaseNode* m_clipNode = nullptr;
};

// The name as a text node shows it literally: each "%" doubled, so that no part of it is taken for
// a dictionary key.
fw::core::stringw literalText(const fw::core::stringw& text);
