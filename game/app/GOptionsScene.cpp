#include "app/GOptionsScene.h"

#include "app/GGame.h"
#include "app/GGameSettings.h"
#include "core/CEventControl.h"
#include "core/CEventInput.h"
#include "core/CNameTable.h"
#include "core/NodeCasts.h"
#include "platform/CDeviceStub.h"
#include "platform/CProfile.h"
#include "platform/CProfileManager.h"
#include "platform/CSoundManager.h"
#include "widgets/ButtonNode.h"
#include "widgets/CEventScene.h"
#include "widgets/CEventValueChanged.h"
#include "widgets/SliderNode.h"

using namespace fw;

const c8* const GOptionsScene::ON_TEMPLATE = "Options_OnOffButtonGreen";
const c8* const GOptionsScene::OFF_TEMPLATE = "Options_OnOffButtonRed";

namespace
{

s32 onTemplateId()
{
	static const s32 id = nameId(GOptionsScene::ON_TEMPLATE);
	return id;
}

s32 offTemplateId()
{
	static const s32 id = nameId(GOptionsScene::OFF_TEMPLATE);
	return id;
}

void playCueIfIdle(CSoundManager* sounds, const c8* name)
{
	if (sounds && !sounds->isPlaying(nameId(name)))
		sounds->play(nameId(name), false, 0);
}

void applySoundSettings()
{
	if (GGame* game = getGame())
		game->applySoundSettings();
}
} // namespace

GOptionsScene::GOptionsScene(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	GBaseSceneNode(reference, parent, sceneManager)
{
}

SSceneTable<SBoundChild> GOptionsScene::getBoundChildren() const
{
	static const SBoundChild CHILDREN[] = {
		boundChild<&GOptionsScene::m_soundSlider>("Scene", "SoundSlider"),
		boundChild<&GOptionsScene::m_musicSlider>("Scene", "MusicSlider"),
		boundChild<&GOptionsScene::m_fullscreenButton>("Scene", "FullscreenButton"),
		boundChild<&GOptionsScene::m_cursorButton>("Scene", "CursorButton"),
		boundChild<&GOptionsScene::m_soundButton>("Scene", "MuteSoundButton"),
		boundChild<&GOptionsScene::m_musicButton>("Scene", "MuteMusicButton"),
	};
	return CHILDREN;
}

SSceneTable<SButtonAction> GOptionsScene::getButtonActions() const
{
	static const SButtonAction BUTTONS[] = {
		buttonAction<&GOptionsScene::leave>("BackButton"),
		buttonAction<&GOptionsScene::pressSoundButton>("MuteSoundButton"),
		buttonAction<&GOptionsScene::pressMusicButton>("MuteMusicButton"),
		buttonAction<&GOptionsScene::pressFullscreenButton>("FullscreenButton"),
		buttonAction<&GOptionsScene::pressCursorButton>("CursorButton"),
	};
	return BUTTONS;
}

void GOptionsScene::setOnOffLook(ButtonNode* button, bool on)
{
	if (!button)
		return;
	button->setTemplateName(on ? onTemplateId() : offTemplateId());
	button->setText(on ? L"%Options_On%" : L"%Options_Off%");
}

bool GOptionsScene::isOn(const ButtonNode* button)
{
	return button && button->getTemplateName() == onTemplateId();
}

void GOptionsScene::applyCursorMode(bool windowsCursor) const
{
	if (GGame* game = getGame())
		game->applyCursorMode(windowsCursor);
}

bool GOptionsScene::onSceneSwitchStarted(CEventSceneTransitionStart* event)
{
	if (GBaseSceneNode::onSceneSwitchStarted(event))
		return true;
	if (event->getTo() != this)
		return false;
	loadSettings();
	return true;
}

void GOptionsScene::loadSettings()
{
	CProfileManager* profiles = need(getServices().profiles, "profile manager");
	if (!profiles)
		return;
	if (const CProfile* common = profiles->getCommonProfile())
	{
		setOnOffLook(m_fullscreenButton, common->getBool(PROFILE_FULL_SCREEN));
		setOnOffLook(m_cursorButton, common->getBool(PROFILE_WINDOWS_CURSOR));
	}
	const CProfile* player = profiles->getActiveProfile();
	if (!player)
		return;
	if (m_soundSlider)
		m_soundSlider->setValue(getFloatValue(player, PROFILE_SOUND_VOLUME));
	if (m_musicSlider)
		m_musicSlider->setValue(getFloatValue(player, PROFILE_MUSIC_VOLUME));
	setOnOffLook(m_soundButton, player->getBool(PROFILE_SOUND_ON));
	setOnOffLook(m_musicButton, player->getBool(PROFILE_MUSIC_ON));
}

bool GOptionsScene::pressSoundButton()
{
	// The click is heard only once the effects are audible again.
	if (togglePlayerSwitch(m_soundButton, PROFILE_SOUND_ON) && isOn(m_soundButton))
		playCue("ButtonClick");
	return false;
}

bool GOptionsScene::pressMusicButton()
{
	togglePlayerSwitch(m_musicButton, PROFILE_MUSIC_ON);
	return false;
}

bool GOptionsScene::pressFullscreenButton()
{
	toggleFullScreen();
	return false;
}

bool GOptionsScene::pressCursorButton()
{
	toggleCursor();
	return false;
}

bool GOptionsScene::togglePlayerSwitch(ButtonNode* button, const c8* key)
{
	CProfileManager* profiles = need(getServices().profiles, "profile manager");
	CProfile* player = profiles ? profiles->getActiveProfile() : nullptr;
	// Without a player there is nowhere to keep the switch: the button keeps showing the truth.
	if (!player)
		return false;
	const bool on = !isOn(button);
	setOnOffLook(button, on);
	player->setBool(key, on);
	player->save();
	applySoundSettings();
	return true;
}

void GOptionsScene::toggleFullScreen()
{
	GGame* game = getGame();
	CProfileManager* profiles = need(getServices().profiles, "profile manager");
	CProfile* common = profiles ? profiles->getCommonProfile() : nullptr;
	if (!game || !common)
		return;
	const bool on = !isOn(m_fullscreenButton);
	SDeviceCreationParameters parameters = game->getDeviceParameters();
	parameters.FullScreen = on;
	// A display that cannot be had is neither shown as chosen nor kept for the next start.
	if (!game->changeDeviceParameters(parameters))
		return;
	setOnOffLook(m_fullscreenButton, on);
	common->setBool(PROFILE_FULL_SCREEN, on);
	profiles->saveProfile(common);
	if (!on)
		applyCursorMode(common->getBool(PROFILE_WINDOWS_CURSOR));
}

void GOptionsScene::toggleCursor()
{
	CProfileManager* profiles = need(getServices().profiles, "profile manager");
	CProfile* common = profiles ? profiles->getCommonProfile() : nullptr;
	const bool on = !isOn(m_cursorButton);
	setOnOffLook(m_cursorButton, on);
	applyCursorMode(on);
	if (!common)
		return;
	common->setBool(PROFILE_WINDOWS_CURSOR, on);
	profiles->saveProfile(common);
}

bool GOptionsScene::onValueChanged(CEventNodeValueChanged* event)
{
	if (GBaseSceneNode::onValueChanged(event))
		return true;
	BaseNode* node = event->getNode();
	if (!node)
		return false;
	if (node == m_soundSlider)
	{
		storeVolume(m_soundSlider, PROFILE_SOUND_VOLUME);
		const CProfileManager* profiles = getServices().profiles;
		if (profiles && profiles->getActiveProfile())
			playCueIfIdle(need(getServices().sound, "sound manager"), "SoundVolumeChange");
	}
	else if (node == m_musicSlider)
		storeVolume(m_musicSlider, PROFILE_MUSIC_VOLUME);
	return false;
}

void GOptionsScene::storeVolume(SliderNode* slider, const c8* key)
{
	CProfileManager* profiles = need(getServices().profiles, "profile manager");
	CProfile* player = profiles ? profiles->getActiveProfile() : nullptr;
	if (!player)
		return;
	player->setFloat(key, slider->getValue());
	player->save();
	applySoundSettings();
}

bool GOptionsScene::onKeyUp(CEventInputKeyUp* event)
{
	if (GBaseSceneNode::onKeyUp(event))
		return true;
	if (!isEscapeOrEnter(event->Key))
		return false;
	leave();
	return true;
}

void GOptionsScene::leave()
{
	SceneNode* previous = getPreviousScene();
	if (previous && previous->isOfType(NODE_TYPE_GAME_MAIN_MENU_SCENE))
		goBack(0, nameId("NavBackFromSlide"), nameId("NavBackToSlide"));
	else
		goBack(0, nameIdNavBackFrom(), nameIdNavBackTo());
}
