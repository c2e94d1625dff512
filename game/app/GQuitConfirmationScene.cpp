#include "app/GQuitConfirmationScene.h"

#include "core/CEventControl.h"
#include "core/CEventInput.h"
#include "core/CNameTable.h"
#include "core/KeyCodes.h"
#include "platform/CDeviceStub.h"
#include "platform/CEngineDeviceSingleton.h"
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

bool GQuitConfirmationScene::onNodePressed(CEventNodePressed* event)
{
	if (GBaseSceneNode::onNodePressed(event))
		return true;
	const BaseNode* pressed = event->getNode();
	if (!pressed)
		return false;
	if (pressed->getNameId() == nameId("NoButton"))
	{
		close();
		return true;
	}
	if (pressed->getNameId() == nameId("YesButton"))
	{
		// Nothing is saved here: every change was saved when it was made.
		if (CDeviceStub* device = CEngineDeviceSingleton::Instance().getDevice())
			device->closeDevice();
		return true;
	}
	return false;
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
