#include "app/GAchievementUnlockedScene.h"

#include "app/GAchievementsProgress.h"
#include "app/GGame.h"
#include "content/CAtlasTexture.h"
#include "content/CContentManager.h"
#include "core/CEventControl.h"
#include "core/CNameTable.h"
#include "core/NodeCasts.h"
#include "widgets/CEventScene.h"
#include "widgets/SpriteNode.h"
#include "widgets/TextNode.h"

using namespace fw;

const c8* const GAchievementUnlockedScene::SCENE_FILE = "scenes/AchievementUnlockedScene.oscn";

GAchievementUnlockedScene::GAchievementUnlockedScene(const ContentReference& reference, BaseNode* parent,
	ISceneManager* sceneManager) :
	GBaseSceneNode(reference, parent, sceneManager)
{
	setCloseOnEscapeOrEnter(true);
}

SSceneTable<SBoundChild> GAchievementUnlockedScene::getBoundChildren() const
{
	static const SBoundChild CHILDREN[] = {
		boundChild<&GAchievementUnlockedScene::m_image>("Scene", "AchImage"),
		boundChild<&GAchievementUnlockedScene::m_name>("Scene", "AchName"),
		boundChild<&GAchievementUnlockedScene::m_description>("Scene", "AchDesc"),
	};
	return CHILDREN;
}

SSceneTable<SButtonAction> GAchievementUnlockedScene::getButtonActions() const
{
	static const SButtonAction BUTTONS[] = {
		buttonAction<&GAchievementUnlockedScene::close>("OkButton"),
	};
	return BUTTONS;
}

void GAchievementUnlockedScene::show(u32 n)
{
	GGame* game = getGame();
	GAchievementsProgress* progress = game ? game->getAchievements() : nullptr;
	if (!progress || n >= GAchievementsProgress::COUNT)
		return;
	if (m_image)
	{
		// The manager that loaded the pop-up, which may be shown before it is opened.
		IContentManager* content = getContentManager();
		if (!content)
			content = need(getServices().content, "content manager");
		CRefHolder<CContent> icon;
		if (content)
			icon = adoptRef(content->getContent(CONTENT_TYPE_ATLAS_TEXTURE, progress->getIconFileName(n), true));
		m_image->setAtlasTexture(dynamic_cast<CAtlasTexture*>(icon.get()));
	}
	if (m_name)
		m_name->setText(progress->getNameKey(n));
	if (m_description)
		m_description->setText(progress->getDescAfterKey(n));
}

bool GAchievementUnlockedScene::onSceneSwitchStarted(CEventSceneTransitionStart* event)
{
	if (GBaseSceneNode::onSceneSwitchStarted(event))
		return true;
	return event->getTo() == this;
}
