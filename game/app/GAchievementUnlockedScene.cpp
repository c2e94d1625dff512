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

namespace
{
BaseNode* child(BaseNode* node, const c8* name)
{
	return node ? node->findChildByNameId(nameId(name), 1) : nullptr;
}
} // namespace

GAchievementUnlockedScene::GAchievementUnlockedScene(const ContentReference& reference, BaseNode* parent,
	ISceneManager* sceneManager) :
	GBaseSceneNode(reference, parent, sceneManager)
{
	setCloseOnEscapeOrEnter(true);
}

const PropertyTable& GAchievementUnlockedScene::getClassPropertyTable()
{
	return GBaseSceneNode::getClassPropertyTable();
}

void GAchievementUnlockedScene::onInit()
{
	GBaseSceneNode::onInit();
	BaseNode* root = child(this, "Scene");
	m_image = nodeCast<SpriteNode>(child(root, "AchImage"));
	m_name = nodeCast<TextNode>(child(root, "AchName"));
	m_description = nodeCast<TextNode>(child(root, "AchDesc"));
}

void GAchievementUnlockedScene::show(u32 n)
{
	GGame* game = getGame();
	GAchievementsProgress* progress = game ? game->getAchievements() : nullptr;
	if (!progress || n >= GAchievementsProgress::COUNT)
		return;
	if (m_image)
	{
		CContentManager* content = game->getContentManager();
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

bool GAchievementUnlockedScene::onNodePressed(CEventNodePressed* event)
{
	if (GBaseSceneNode::onNodePressed(event))
		return true;
	if (!event->getNode() || event->getNode()->getNameId() != nameId("OkButton"))
		return false;
	goBack(0, nameIdNavBackFrom(), nameIdNavBackTo());
	return true;
}

bool GAchievementUnlockedScene::onSceneSwitchStarted(CEventSceneTransitionStart* event)
{
	if (GBaseSceneNode::onSceneSwitchStarted(event))
		return true;
	return event->getTo() == this;
}
