#pragma once

#include "app/GBaseSceneNode.h"
#include "core/CRefHolder.h"

namespace fw
{
class TextNode;
}

// A small overlay scene: frames per second, the last update step and the quads drawn in the last
// frame, in its top-left corner, refreshed on every update of its timer manager. Shown only where
// a scene file names it.
class GDebugStatsScene : public GBaseSceneNode
{
public:
	FW_NODE_CLASS(GDebugStatsScene, GBaseSceneNode, NODE_TYPE_GAME_DEBUG_STATS_SCENE, L"GDebugStatsScene")

	static const fw::c8* const FONT_FILE;

	GDebugStatsScene(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);
	~GDebugStatsScene() override;

	// Entered: a fresh text node replaces the one before.
	bool onSceneSwitchStarted(fw::CEventSceneTransitionStart* event) override;
	bool onTimer(fw::u32 step) override;
	// The three lines for the figures given.
	static fw::core::stringw formatStats(fw::s32 framesPerSecond, fw::s32 lastStep, fw::u32 primitivesDrawn);

	fw::TextNode* getTextNode() const { return m_text.get(); }

private:
	// The text's refresh: nothing without the text node or a video driver.
	void updateText();

	fw::CRefHolder<fw::TextNode> m_text;
};
