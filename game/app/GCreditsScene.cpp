#include "app/GCreditsScene.h"

#include "core/CEventControl.h"
#include "core/CEventInput.h"
#include "core/CNameTable.h"
#include "widgets/CEventScene.h"

using namespace fw;

GCreditsScene::GCreditsScene(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	GBaseSceneNode(reference, parent, sceneManager)
{
}

bool GCreditsScene::onKeyUp(CEventInputKeyUp* event)
{
	if (GBaseSceneNode::onKeyUp(event))
		return true;
	if (!isEscapeOrEnter(event->Key))
		return false;
	goBackSliding(*this);
	return true;
}

bool GCreditsScene::onSceneSwitchStarted(CEventSceneTransitionStart* event)
{
	if (GBaseSceneNode::onSceneSwitchStarted(event))
		return true;
	return event->getTo() == this;
}

bool GCreditsScene::onNodePressed(CEventNodePressed* event)
{
	if (GBaseSceneNode::onNodePressed(event))
		return true;
	static const s32 back = CNameTableSingleton::Instance().intern("BackButton");
	if (!event->getNode() || event->getNode()->getNameId() != back)
		return false;
	goBackSliding(*this);
	return true;
}
