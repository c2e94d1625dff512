#pragma once

#include "app/GBaseSceneNode.h"

namespace fw
{
class ButtonNode;
class SliderNode;
} // namespace fw

// The options dialog: volume sliders for effects and music and on/off buttons for sound, music,
// full screen and the system cursor. Sound and music belong to the active player's profile, full
// screen and the cursor to the machine's common profile. Every change is stored, saved and applied
// at once, so leaving (Back, Escape or Enter) has nothing to confirm.
class GOptionsScene : public GBaseSceneNode
{
public:
	FW_NODE_CLASS(GOptionsScene, GBaseSceneNode, NODE_TYPE_GAME_OPTIONS_SCENE, L"GOptionsScene")

	// The control templates of the two looks; a button is on exactly when it wears the first.
	static const fw::c8* const ON_TEMPLATE;
	static const fw::c8* const OFF_TEMPLATE;

	GOptionsScene(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	SSceneTable<SBoundChild> getBoundChildren() const override;
	SSceneTable<SButtonAction> getButtonActions() const override;

	// The on or off look: its template and its text. Nothing for a null button.
	static void setOnOffLook(fw::ButtonNode* button, bool on);
	static bool isOn(const fw::ButtonNode* button);
	// The game applies the cursor mode; the scene only asks.
	void applyCursorMode(bool windowsCursor) const;

	// Entering: the controls show the profiles' values.
	bool onSceneSwitchStarted(fw::CEventSceneTransitionStart* event) override;
	bool onValueChanged(fw::CEventNodeValueChanged* event) override;
	bool onKeyUp(fw::CEventInputKeyUp* event) override;

	fw::SliderNode* getSoundSlider() const { return m_soundSlider; }
	fw::SliderNode* getMusicSlider() const { return m_musicSlider; }
	fw::ButtonNode* getFullscreenButton() const { return m_fullscreenButton; }
	fw::ButtonNode* getCursorButton() const { return m_cursorButton; }
	fw::ButtonNode* getSoundButton() const { return m_soundButton; }
	fw::ButtonNode* getMusicButton() const { return m_musicButton; }

private:
	void loadSettings();
	// The switches' buttons: each press is left to go on.
	bool pressSoundButton();
	bool pressMusicButton();
	bool pressFullscreenButton();
	bool pressCursorButton();
	// Toggles a player switch; false without an active player, when nothing is stored.
	bool togglePlayerSwitch(fw::ButtonNode* button, const fw::c8* key);
	void toggleFullScreen();
	void toggleCursor();
	void storeVolume(fw::SliderNode* slider, const fw::c8* key);
	// Back to the scene below: sliding to the main menu, the plain way to any other.
	void leave();

	// Plain pointers into the scene's own tree, bound once.
	fw::SliderNode* m_soundSlider = nullptr;
	fw::SliderNode* m_musicSlider = nullptr;
	fw::ButtonNode* m_fullscreenButton = nullptr;
	fw::ButtonNode* m_cursorButton = nullptr;
	fw::ButtonNode* m_soundButton = nullptr;
	fw::ButtonNode* m_musicButton = nullptr;
};
