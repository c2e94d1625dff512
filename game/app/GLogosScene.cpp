#include "app/GLogosScene.h"

#include "app/GGame.h"
#include "app/GLogosConfiguration.h"
#include "content/CAtlasTexture.h"
#include "content/CContentManager.h"
#include "core/CEventInput.h"
#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/CPropertyContainer.h"
#include "core/NodeCasts.h"
#include "platform/CDeviceStub.h"
#include "platform/CDictionary.h"
#include "platform/DeviceSettings.h"
#include "widgets/CEventScene.h"
#include "widgets/SpriteNode.h"

using namespace fw;

const c8* const GLogosScene::INTRO_SCENE_FILE = "scenes/IntroScene.oscn";
const c8* const GLogosScene::DICTIONARY_FILE = "strings/Dictionary.xml";

GLogosScene::GLogosScene(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	GBaseSceneNode(reference, parent, sceneManager)
{
}

SSceneTable<SBoundChild> GLogosScene::getBoundChildren() const
{
	static const SBoundChild CHILDREN[] = {
		boundChild<&GLogosScene::m_firstSprite>("Scene", "Logo1"),
		boundChild<&GLogosScene::m_secondSprite>("Scene", "Logo2"),
	};
	return CHILDREN;
}

bool GLogosScene::routeDown(s32 mode, CEvent* event)
{
	if (event && event->isOfType(EVENT_TYPE_INPUT_MOUSE_LEFT_DOWN))
		return onClick(event);
	return GBaseSceneNode::routeDown(mode, event);
}

bool GLogosScene::onClick(CEvent*)
{
	if (m_skippable)
	{
		m_timeLeft = 0;
		m_skippable = false;
	}
	return true;
}

bool GLogosScene::onSceneSwitchStarted(CEventSceneTransitionStart* event)
{
	GBaseSceneNode::onSceneSwitchStarted(event);
	if (event->getTo() == this)
		loadDictionaryAndTitle();
	return true;
}

bool GLogosScene::onSceneSwitchCompleted(CEventSceneTransitionEnd* event)
{
	GBaseSceneNode::onSceneSwitchCompleted(event);
	if (event->getTo() == this)
		showNextLogo();
	return true;
}

void GLogosScene::loadDictionaryAndTitle()
{
	CDeviceStub* device = need(getServices().device, "device");
	if (!device)
		return;
	CDictionary* dictionary = need(getServices().dictionary, "dictionary");
	core::stringw title;
	if (dictionary)
	{
		dictionary->load(DICTIONARY_FILE);
		title = dictionary->getText("TitleName");
	}
	if (title.empty())
		title = L"Quillbrook";
	device->getSettings()->setStringW(SETTING_TITLE_CAPTION, title);
	device->setWindowCaption(title.c_str());
}

void GLogosScene::showNextLogo()
{
	GGame* game = getGame();
	core::array<GLogosConfiguration::SLogo>* logos = game ? &game->getLogos()->getLogos() : nullptr;
	const s32 swap = nameId("Swap");
	if (logos && !logos->empty())
	{
		const GLogosConfiguration::SLogo logo = (*logos)[0];
		logos->erase(0);
		CRefHolder<CContent> loaded;
		if (CContentManager* content = need(getServices().content, "content manager"))
			loaded = adoptRef(content->getContent(CONTENT_TYPE_ATLAS_TEXTURE, logo.image, true));
		CAtlasTexture* picture = dynamic_cast<CAtlasTexture*>(loaded.get());
		// A negative time shows the logo for one beat, as 0 does; counting down from the bottom of
		// the int range would overflow.
		m_timeLeft = logo.time > 0 ? logo.time : 0;
		m_skippable = logo.skippable;
		if (m_secondSprite)
		{
			if (m_firstSprite)
			{
				m_firstSprite->enterState(swap, nullptr, -1);
				m_firstSprite->setAtlasTexture(m_secondSprite->getAtlasTexture());
			}
			m_secondSprite->enterState(m_secondSprite->getAtlasTexture() ? swap : nameId("Swap0"), nullptr, -1);
			m_secondSprite->setAtlasTexture(picture);
		}
		return;
	}
	if (m_secondSprite)
	{
		if (m_firstSprite)
		{
			m_firstSprite->enterState(swap, nullptr, -1);
			m_firstSprite->setAtlasTexture(m_secondSprite->getAtlasTexture());
		}
		m_secondSprite->setAtlasTexture(nullptr);
	}
	m_finished = true;
	m_timeLeft = 1000;
}

bool GLogosScene::onTimer(u32 step)
{
	return update(step);
}

bool GLogosScene::update(u32 step)
{
	GBaseSceneNode::onTimer(step);
	m_timeLeft -= static_cast<s32>(step);
	if (m_timeLeft >= 0)
		return true;
	GGame* game = getGame();
	if ((game && !game->getLogos()->getLogos().empty()) || !m_finished)
	{
		showNextLogo();
		return true;
	}
	if (openSceneFile(INTRO_SCENE_FILE, false, nameId("NavFrom"), nameId("NavTo")))
		return false;
	// The intro is tried again on the next beat rather than leaving the last picture for ever.
	logError("The intro scene cannot be opened; trying again", INTRO_SCENE_FILE);
	return true;
}
