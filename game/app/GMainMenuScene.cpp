#include "app/GMainMenuScene.h"

#include "app/GGameSettings.h"
#include "app/GSelectPlayerInputNameScene.h"
#include "app/GSelectPlayerScene.h"
#include "content/CContentManager.h"
#include "core/CEventControl.h"
#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/ISceneManager.h"
#include "core/IXMLReader.h"
#include "core/NodeCasts.h"
#include "level/data/GLevelPaths.h"
#include "platform/CDeviceStub.h"
#include "platform/CDictionary.h"
#include "platform/CFileSystem.h"
#include "platform/CProfile.h"
#include "platform/CProfileManager.h"
#include "platform/CSoundManager.h"
#include "platform/ICursorControl.h"
#include "widgets/CEventScene.h"
#include "widgets/TextNode.h"

using namespace fw;

const c8* const GMainMenuScene::PATHS_FILE = "scenes/BgTrafficPaths.xml";

namespace
{
// The street's cues, which stop when the menu gives way to the map; the music plays on.
const c8* const STREET_CUES[] = {"MainMenuAmbient", "MainMenuCarOut", "MainMenuCarTo"};

} // namespace

core::stringw literalText(const core::stringw& text)
{
	core::stringw literal;
	literal.reserve(text.size());
	for (u32 i = 0; i < text.size(); ++i)
	{
		literal.append(text[i]);
		if (text[i] == L'%')
			literal.append(L'%');
	}
	return literal;
}

GMainMenuScene::GMainMenuScene(const ContentReference& reference, BaseNode* parent, ISceneManager* sceneManager) :
	GBaseSceneNode(reference, parent, sceneManager), m_paths(adoptRef(new GLevelPaths))
{
}

void GMainMenuScene::attachToScene(ISceneManager* sceneManager, SceneNode* scene)
{
	// Read here rather than when built: a scene loaded from a file meets its services only now.
	// Before the children attach, so that the movers find their routes.
	if (sceneManager && !m_pathsRead)
		readPaths(sceneManager->getServices());
	GBaseSceneNode::attachToScene(sceneManager, scene);
}

void GMainMenuScene::readPaths(const SServices& services)
{
	if (!services.device)
	{
		logWarning("The main menu has no device to read its street paths with", PATHS_FILE);
		return;
	}
	m_pathsRead = true;
	CFileSystem* files = services.device->getFileSystem();
	if (!files || !files->existFile(PATHS_FILE, true))
		return;
	CRefHolder<IXMLReader> reader = adoptRef(files->createXMLReader(PATHS_FILE));
	if (reader)
		m_paths->load(reader.get());
}

GMainMenuScene::~GMainMenuScene()
{
	if (m_clipNode)
		m_clipNode->removePreListener(this);
}

SSceneTable<SBoundChild> GMainMenuScene::getBoundChildren() const
{
	static const SBoundChild CHILDREN[] = {
		boundChild<&GMainMenuScene::m_sceneRoot>("", "Scene"),
		boundChild<&GMainMenuScene::m_welcomeText>("Scene", "WelcomeText"),
		boundChild<&GMainMenuScene::m_backButton>("BgScene/ActiveBg", "BackButton"),
		boundChild<&GMainMenuScene::m_clipNode>("BgScene/ActiveBg", "ClipNode"),
	};
	return CHILDREN;
}

SSceneTable<SButtonAction> GMainMenuScene::getButtonActions() const
{
	// The files the buttons open over the menu, and how.
	static const SButtonAction BUTTONS[] = {
		buttonOpens("QuitButton", "scenes/QuitConfirmationScene.oscn", "NoTransTo", "NavTo"),
		buttonOpens("ChangePlayerButton", "scenes/SelectPlayerScene.oscn", "NavFromSlide", "NavTo"),
		buttonOpens("CreditsButton", "scenes/CreditsScene.oscn", "NavFromSlide", "NavTo"),
		buttonOpens("OptionsButton", "scenes/OptionsScene.oscn", "NavFromSlide", "NavToSlide"),
		buttonOpens("AchievementsButton", "scenes/AchievementsScene.oscn", "NavFromSlide", "NavTo"),
		buttonAction<&GMainMenuScene::openNewGame>("NewGameButton"),
		buttonTaken("Baloon"),
		buttonTaken("Baloon2"),
		buttonAction<&GMainMenuScene::endScrolling>("BackButton"),
	};
	return BUTTONS;
}

void GMainMenuScene::updateWelcomeText()
{
	if (!m_welcomeText)
		return;
	CDictionary* dictionary = need(getServices().dictionary, "dictionary");
	CProfileManager* profiles = need(getServices().profiles, "profile manager");
	CProfile* player = profiles ? profiles->getActiveProfile() : nullptr;
	// Nobody to greet yet (a first start, under the name entry).
	if (!player)
	{
		m_welcomeText->setText(core::stringw());
		return;
	}
	const core::stringw name = literalText(GSelectPlayerInputNameScene::trimName(player->getName()));
	m_welcomeText->setText(dictionary ? dictionary->format("MainMenu_WelcomeTxt", name, L"", L"", L"") : name);
}

bool GMainMenuScene::onSceneSwitchStarted(CEventSceneTransitionStart* event)
{
	if (GBaseSceneNode::onSceneSwitchStarted(event))
		return true;
	if (event->getTo() == this)
	{
		if (CContentManager* content = need(getServices().content, "content manager"))
			content->releaseUnused();
		// No cursor without a window: nothing to show, nothing to say.
		if (ICursorControl* cursor = getServices().cursor)
			cursor->setVisible(true);
		if (CSoundManager* sounds = need(getServices().sound, "sound manager"))
		{
			sounds->play(nameId("MenuMusic"), true, 0);
			sounds->play(nameId("MainMenuAmbient"), true, 0);
		}
		updateWelcomeText();
		if (event->getFrom() && event->getFrom()->isOfType(NODE_TYPE_GAME_LEVEL_COMPLETED_SCENE))
		{
			startScrolling();
		}
		else
		{
			if (m_clipNode)
				m_clipNode->setVisible(false);
			if (m_backButton)
			{
				m_backButton->setEnabled(false);
				m_backButton->setVisible(false);
			}
		}
		return true;
	}
	if (event->getFrom() == this)
	{
		stopScrolling(true);
		if (event->getTo() && event->getTo()->isOfType(NODE_TYPE_GAME_MAP_SCENE))
			stopStreetCues();
		return true;
	}
	return false;
}

bool GMainMenuScene::onSceneSwitchCompleted(CEventSceneTransitionEnd* event)
{
	if (GBaseSceneNode::onSceneSwitchCompleted(event))
		return true;
	if (event->getTo() == this)
	{
		const CProfileManager* profiles = need(getServices().profiles, "profile manager");
		if (!profiles || profiles->getActiveProfile())
			return true;
		// Nobody plays: the player list over the menu and the name entry over it, unless the list
		// is full, when the player can only choose.
		openSceneFile("scenes/SelectPlayerScene.oscn", true, nameId("NavFrom"), nameId("NavTo"));
		if (profiles->getProfileCount() < GSelectPlayerScene::MAX_PLAYERS)
			openSceneFile(GSelectPlayerScene::INPUT_NAME_SCENE_FILE, true, nameId("NavFrom"), nameId("NavTo"));
		return true;
	}
	if (event->getFrom() == this)
	{
		if (event->getTo() && event->getTo()->isOfType(NODE_TYPE_GAME_MAP_SCENE))
			stopStreetCues();
		return true;
	}
	return false;
}

void GMainMenuScene::stopStreetCues()
{
	CSoundManager* sounds = need(getServices().sound, "sound manager");
	if (!sounds)
		return;
	for (const c8* cue : STREET_CUES)
		sounds->stop(nameId(cue), 0);
}

void GMainMenuScene::startScrolling()
{
	if (m_sceneRoot)
	{
		m_sceneRoot->setVisible(false);
		m_sceneRoot->setPosition(core::vector3df(1024.f, 0.f, 0.f));
	}
	if (m_clipNode)
	{
		// Entered twice without leaving, the menu still listens once.
		m_clipNode->removePreListener(this);
		m_clipNode->addPreListener(this);
		m_clipNode->setVisible(true);
		m_clipNode->setState(nameId("Scrolling"), nullptr);
	}
	if (m_backButton)
	{
		m_backButton->setEnabled(true);
		m_backButton->setVisible(true);
		m_backButton->enterState(nameId("Appear"), nullptr, -1);
	}
}

void GMainMenuScene::stopScrolling(bool finish)
{
	if (m_sceneRoot)
	{
		m_sceneRoot->setVisible(true);
		m_sceneRoot->enterState(nameId("NavBackToSlide"), nullptr, -1);
		if (finish)
			m_sceneRoot->stopAllStates(true);
	}
	if (m_clipNode)
	{
		m_clipNode->removePreListener(this);
		m_clipNode->setVisible(false);
		// A copy: stopping a state may change the children.
		const core::array<BaseNode*> children = m_clipNode->getChildren();
		for (u32 i = 0; i < children.size(); ++i)
			children[i]->stopAllStates(false);
	}
	if (m_backButton)
	{
		m_backButton->setEnabled(false);
		m_backButton->enterState(nameId("Disappear"), nullptr, -1);
		if (finish)
			m_backButton->stopAllStates(true);
	}
}

bool GMainMenuScene::onStateChangeComplete(CEventNodeStateChangeComplete* event)
{
	if (m_clipNode && event->getNode() == m_clipNode && event->getStateId() == nameId("Scrolling"))
	{
		stopScrolling(false);
		return true;
	}
	return GBaseSceneNode::onStateChangeComplete(event);
}

void GMainMenuScene::openNewGame()
{
	CProfileManager* profiles = need(getServices().profiles, "profile manager");
	CProfile* player = profiles ? profiles->getActiveProfile() : nullptr;
	if (!player)
		return;
	if (player->getInt(PROFILE_MAX_UNLOCKED_LEVEL_INDEX) != -1)
	{
		openSceneFile("scenes/MapScene.oscn", false, nameId("NavFrom"), nameId("NavTo"));
		return;
	}
	player->setInt(PROFILE_LEVEL_INDEX, 0);
	openSceneFile("scenes/LoadingLevelScene.oscn", false, nameId("NavFrom"), nameId("NavTo"));
}
