#include "app/GSelectPlayerInputNameScene.h"

#include "core/CEventControl.h"
#include "core/CEventInput.h"
#include "core/CNameTable.h"
#include "core/KeyCodes.h"
#include "core/NodeCasts.h"
#include "platform/CProfile.h"
#include "platform/CProfileManager.h"
#include "widgets/CEventScene.h"
#include "widgets/CEventValueChanged.h"
#include "widgets/EditNode.h"

using namespace fw;

GSelectPlayerInputNameScene::GSelectPlayerInputNameScene(const ContentReference& reference, BaseNode* parent,
	ISceneManager* sceneManager) :
	GBaseSceneNode(reference, parent, sceneManager)
{
}

void GSelectPlayerInputNameScene::onInit()
{
	GBaseSceneNode::onInit();
	BaseNode* root = findChildByNameId(nameId("Scene"), 1);
	m_nameEdit = bindChild<EditNode>(root, "NameEdit");
	m_okButton = bindChild<ControlNode>(root, "OkButton");
}

core::stringw GSelectPlayerInputNameScene::getName() const
{
	return m_nameEdit ? m_nameEdit->getText() : core::stringw();
}

bool GSelectPlayerInputNameScene::isNameValid(const core::stringw& name)
{
	if (name.empty())
		return false;
	const CProfileManager& profiles = CProfileManagerSingleton::Instance();
	for (u32 i = 0; i < profiles.getProfileCount(); ++i)
		if (profiles.getProfile(i)->getName() == name)
			return false;
	return true;
}

bool GSelectPlayerInputNameScene::onSceneSwitchStarted(CEventSceneTransitionStart* event)
{
	if (GBaseSceneNode::onSceneSwitchStarted(event))
		return true;
	if (event->getTo() != this)
		return false;
	if (m_nameEdit)
		m_nameEdit->setText(L"");
	if (m_okButton)
		m_okButton->setEnabled(false);
	return true;
}

bool GSelectPlayerInputNameScene::onValueChanged(CEventNodeValueChanged* event)
{
	if (GBaseSceneNode::onValueChanged(event))
		return true;
	if (m_okButton)
		m_okButton->setEnabled(isNameValid(getName()));
	return false;
}

bool GSelectPlayerInputNameScene::onNodePressed(CEventNodePressed* event)
{
	if (GBaseSceneNode::onNodePressed(event))
		return true;
	const BaseNode* pressed = event->getNode();
	const s32 name = pressed ? pressed->getNameId() : -1;
	if (name < 0)
		return false;
	if (name == nameId("OkButton"))
		createPlayer();
	else if (name == nameId("CancelButton"))
		goBack(0, nameIdNavBackFrom(), nameIdNavBackTo());
	else
		return false;
	return true;
}

bool GSelectPlayerInputNameScene::onKeyUp(CEventInputKeyUp* event)
{
	if (GBaseSceneNode::onKeyUp(event))
		return true;
	if (event->Key == KEY_ESCAPE)
		goBack(0, nameIdNavBackFrom(), nameIdNavBackTo());
	else if (event->Key == KEY_RETURN)
	{
		if (m_okButton && m_okButton->isEnabled())
			createPlayer();
	}
	else
		return false;
	return true;
}

void GSelectPlayerInputNameScene::createPlayer()
{
	CProfileManager& profiles = CProfileManagerSingleton::Instance();
	// A player without a name could never be told apart in the list.
	const core::stringw name = getName();
	if (!name.empty())
		profiles.addProfile(name);
	profiles.saveUserProfiles();
	goBack(0, nameIdNavBackFrom(), nameIdNavBackTo());
}
