#include "app/GSelectPlayerInputNameScene.h"

#include "app/GSelectPlayerScene.h"
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
	return m_nameEdit ? trimName(m_nameEdit->getText()) : core::stringw();
}

core::stringw GSelectPlayerInputNameScene::trimName(const core::stringw& name)
{
	core::stringw trimmed = name;
	return trimmed.trim(core::stringw(L" \t\r\n\u00A0"));
}

bool GSelectPlayerInputNameScene::isNameValid(const core::stringw& name) const
{
	const core::stringw trimmed = trimName(name);
	if (trimmed.empty())
		return false;
	const CProfileManager* profiles = need(getServices().profiles, "profile manager");
	if (!profiles)
		return false;
	// Stored names may come from older files with blanks around them; they show trimmed.
	for (u32 i = 0; i < profiles->getProfileCount(); ++i)
		if (trimName(profiles->getProfile(i)->getName()) == trimmed)
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
	CProfileManager* profiles = need(getServices().profiles, "profile manager");
	// A player without a name could never be told apart in the list; nor could more than the list
	// holds be chosen.
	const core::stringw name = getName();
	if (profiles && isNameValid(name) && profiles->getProfileCount() < GSelectPlayerScene::MAX_PLAYERS)
		profiles->addProfile(name);
	if (profiles)
		profiles->saveUserProfiles();
	goBack(0, nameIdNavBackFrom(), nameIdNavBackTo());
}
