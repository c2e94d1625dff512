#pragma once

#include "app/GBaseSceneNode.h"

namespace fw
{
class SpriteNode;
class TextNode;
} // namespace fw

// The pop-up announcing one newly earned achievement: its icon, name and earned description.
// "OkButton", Escape or Enter close it.
class GAchievementUnlockedScene : public GBaseSceneNode
{
public:
	FW_NODE_CLASS(GAchievementUnlockedScene, GBaseSceneNode, NODE_TYPE_GAME_ACHIEVEMENT_UNLOCKED_SCENE,
		L"GAchievementUnlockedScene")

	static const fw::c8* const SCENE_FILE;

	GAchievementUnlockedScene(const fw::ContentReference& reference, fw::BaseNode* parent,
		fw::ISceneManager* sceneManager);

	SSceneTable<SBoundChild> getBoundChildren() const override;
	SSceneTable<SButtonAction> getButtonActions() const override;
	// Fills the pop-up for achievement n (0 to 11; anything else shows nothing).
	void show(fw::u32 n);
	bool onSceneSwitchStarted(fw::CEventSceneTransitionStart* event) override;

	fw::SpriteNode* getImage() const { return m_image; }
	fw::TextNode* getNameText() const { return m_name; }
	fw::TextNode* getDescriptionText() const { return m_description; }

private:
	void close() { goBack(0, nameIdNavBackFrom(), nameIdNavBackTo()); }

	fw::SpriteNode* m_image = nullptr;
	fw::TextNode* m_name = nullptr;
	fw::TextNode* m_description = nullptr;
};
