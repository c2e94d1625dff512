#include "app/GQuitConfirmationScene.h"

#include "core/CEventControl.h"
#include "core/CEventInput.h"
#include "core/CNameTable.h"
#include "core/KeyCodes.h"
#include "platform/CDeviceStub.h"
#include "widgets/CEventScene.h"

using namespace fw;

GQuitConfirmationScene::GQuitConfirmationScene(const ContentReference& reference, BaseNode* parent,
	ISceneManager* sceneManager) :
	GBaseSceneNode(reference, parent, sceneManager)
{
}

bool GQuitConfirmationScene::onSceneSwitchStarted(CEventSceneTransitionStart* event)
{
	if (GBaseSceneNode::onSceneSwitchStarted(event))
		return true;
	return event->getTo() == this;
}

void GQuitConfirmationScene::close()
{
	goBack(0, -1, nameId("NoTransTo"));
}

SSceneTable<SButtonAction> GQuitConfirmationScene::getButtonActions() const
{
	static const SButtonAction BUTTONS[] = {
		buttonAction<&GQuitConfirmationScene::close>("NoButton"),
		buttonAction<&GQuitConfirmationScene::quit>("YesButton"),
	};
	return BUTTONS;
}

void GQuitConfirmationScene::quit()
{
	if (CDeviceStub* device = need(getServices().device, "device"))
		device->closeDevice();
}

bool GQuitConfirmationScene::onKeyUp(CEventInputKeyUp* event)
{
	if (GBaseSceneNode::onKeyUp(event))
		return true;
	if (event->Key != KEY_ESCAPE)
		return false;
	close();
	return true;
}
