#pragma once

#include "app/GBaseSceneNode.h"

namespace fw
{
class SpriteNode;
}

// The first scene: loads the dictionary and sets the window's title, then shows the logos of the
// game's logos list one after another with a cross-fade between two sprites ("Logo1" takes the
// picture "Logo2" showed before), and opens the intro scene after the last one. A click skips a
// logo that may be skipped; every left click is consumed.
class GLogosScene : public GBaseSceneNode
{
public:
	FW_NODE_CLASS(GLogosScene, GBaseSceneNode, NODE_TYPE_GAME_LOGOS_SCENE, L"GLogosScene")

	static const fw::c8* const INTRO_SCENE_FILE;
	static const fw::c8* const DICTIONARY_FILE;

	GLogosScene(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	SSceneTable<SBoundChild> getBoundChildren() const override;
	// Left button presses go to onClick before anything else.
	bool routeDown(fw::s32 mode, fw::CEvent* event) override;
	bool onSceneSwitchStarted(fw::CEventSceneTransitionStart* event) override;
	bool onSceneSwitchCompleted(fw::CEventSceneTransitionEnd* event) override;
	bool onTimer(fw::u32 step) override;

	void loadDictionaryAndTitle();
	void showNextLogo();
	// The timer: the next logo when the time is up, the intro after the last one.
	bool update(fw::u32 step);
	// Moves on at the next beat when the logo may be skipped; always handled.
	virtual bool onClick(fw::CEvent* event);

	bool isSkippable() const { return m_skippable; }
	fw::s32 getTimeLeft() const { return m_timeLeft; }
	bool isFinished() const { return m_finished; }
	fw::SpriteNode* getFirstSprite() const { return m_firstSprite; }
	fw::SpriteNode* getSecondSprite() const { return m_secondSprite; }

private:
	bool m_skippable = false;
	fw::s32 m_timeLeft = 0;
	// Children of the scene's "Scene" node, found once.
	fw::SpriteNode* m_firstSprite = nullptr;
	fw::SpriteNode* m_secondSprite = nullptr;
	bool m_finished = false;
};
