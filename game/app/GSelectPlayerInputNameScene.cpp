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

SSceneTable<SBoundChild> GSelectPlayerInputNameScene::getBoundChildren() const
{
	static const SBoundChild CHILDREN[] = {
		boundChild<&GSelectPlayerInputNameScene::m_nameEdit>("Scene", "NameEdit"),
		boundChild<&GSelectPlayerInputNameScene::m_okButton>("Scene", "OkButton"),
	};
	return CHILDREN;
}

SSceneTable<SButtonAction> GSelectPlayerInputNameScene::getButtonActions() const
{
	static const SButtonAction BUTTONS[] = {
		buttonAction<&GSelectPlayerInputNameScene::createPlayer>("OkButton"),
		buttonAction<&GSelectPlayerInputNameScene::cancel>("CancelButton"),
	};
	return BUTTONS;
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

void GSelectPlayerInputNameScene::cancel()
{
	goBack(0, nameIdNavBackFrom(), nameIdNavBackTo());
}

bool GSelectPlayerInputNameScene::onKeyUp(CEventInputKeyUp* event)
{
	if (GBaseSceneNode::onKeyUp(event))
		return true;
	if (event->Key == KEY_ESCAPE)
		cancel();
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
