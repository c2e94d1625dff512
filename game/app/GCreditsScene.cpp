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

SSceneTable<SButtonAction> GCreditsScene::getButtonActions() const
{
	static const SButtonAction BUTTONS[] = {
		buttonAction<&GCreditsScene::leave>("BackButton"),
	};
	return BUTTONS;
}
