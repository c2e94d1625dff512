#include "app/GGame.h"

#include "app/GAchievementsProgress.h"
#include "app/GBaseSceneNode.h"
#include "app/GGameClasses.h"
#include "app/GGameSettings.h"
#include "app/GLogosConfiguration.h"
#include "content/CContentManager.h"
#include "content/CContentProcessorsManager.h"
#include "content/CImage.h"
#include "content/video/CQuadBatch.h"
#include "content/video/CVideoDriver2D.h"
#include "core/CLogger.h"
#include "core/CNameTable.h"
#include "core/CNodeFactory.h"
#include "core/IXMLReader.h"
#include "core/NodeCasts.h"
#include "core/PropertyAccessors.h"
#include "level/data/GBuildingsConfiguration.h"
#include "level/data/GComicsConfiguration.h"
#include "level/data/GGameStatistics.h"
#include "level/data/GLevelScores.h"
#include "level/data/GUpgradesConfiguration.h"
#include "platform/CDeviceClock.h"
#include "platform/CDeviceStub.h"
#include "platform/CEngineDeviceSingleton.h"
#include "platform/CEventDevice.h"
#include "platform/CEventSystemFlow.h"
#include "platform/CFileSystem.h"
#include "platform/CProfile.h"
#include "platform/CProfileManager.h"
#include "platform/CRandomGenerator.h"
#include "platform/CSoundManager.h"
#include "platform/CTimerManager.h"
#include "platform/DeviceSettings.h"
#include "platform/IAudioDriver.h"
#include "platform/ICursorControl.h"
#include "widgets/SceneManager.h"

#include <cmath>

using namespace fw;

const c8* const GGame::LOGOS_FILE = "logos/Logos.xml";
const c8* const GGame::LOGOS_SCENE_FILE = "scenes/LogosScene.oscn";
const c8* const GGame::CURSOR_FILE = "scenes/images/Cursor.png";

namespace
{
GGame* s_currentGame = nullptr;

const u32 GAME_EVENT_MASK =
	EVENT_CATEGORY_DEVICE | EVENT_CATEGORY_SYSTEM_FLOW | EVENT_CATEGORY_KEYBOARD | EVENT_CATEGORY_MOUSE;
const s32 GAME_PRIORITY = 0;
const s32 CONTENT_MANAGER_PRIORITY = 1;
const s32 MANAGER_PRIORITY = 2;
const u32 STEP_MS = 10;
const u32 STREAMING_THRESHOLD = 0x20000;

void setUpGroup(CSoundManager* sounds, s32 group, u32 maxPlaying, s32 fadeIn)
{
	SoundGroup& record = sounds->getGroup(group);
	record.maxPlaying = maxPlaying;
	record.policy = 1;
	record.fadeInMs = fadeIn;
	record.fadeOutMs = 1000;
}

} // namespace

GGame* getGame()
{
	return s_currentGame;
}

SScreenFit computeScreenFit(s32 W, s32 H, f32 designWidth, f32 designHeight)
{
	SScreenFit fit;
	if (W <= 0 || H <= 0 || designWidth <= 0.f || designHeight <= 0.f)
		return fit;
	fit.fitted = true;
	const f32 d = designWidth / designHeight;
	const f32 s = static_cast<f32>(W) / static_cast<f32>(H);
	const f32 r = std::fabs(s - d) / d;
	fit.designRatio = d;
	fit.screenRatio = s;
	fit.difference = r;
	if (r < 0.1f)
	{
		fit.stretched = true;
		fit.position = core::vector2df(0.f, 0.f);
		fit.scale = core::vector2df(W / designWidth, H / designHeight);
		fit.firstBar = core::rect<s32>(0, 0, 0, H);
		fit.secondBar = core::rect<s32>(W, 0, W, H);
		return fit;
	}
	// The single-precision ratio is carried at double precision here: 1024 / d is 767.99998, not 768.
	const s32 h = static_cast<s32>(static_cast<f64>(W) / d);
	const s32 w = static_cast<s32>(static_cast<f64>(H) * d);
	if (w <= W)
	{
		const s32 b = (W - w) / 2;
		fit.position = core::vector2df(static_cast<f32>(b), 0.f);
		fit.scale = core::vector2df(H / designHeight, H / designHeight);
		fit.firstBar = core::rect<s32>(0, 0, b, H);
		fit.secondBar = core::rect<s32>(b + w, 0, W, H);
	}
	else
	{
		const s32 b = (H - h) / 2;
		fit.position = core::vector2df(0.f, static_cast<f32>(b));
		fit.scale = core::vector2df(W / designWidth, W / designWidth);
		fit.firstBar = core::rect<s32>(0, 0, W, b);
		fit.secondBar = core::rect<s32>(0, b + h, W, H);
	}
	return fit;
}

GGame::GGame() :
	m_logos(adoptRef(new GLogosConfiguration)),
	m_comics(adoptRef(new GComicsConfiguration)),
	m_levelScores(adoptRef(new GLevelScores)),
	m_buildings(adoptRef(new GBuildingsConfiguration)),
	m_upgrades(adoptRef(new GUpgradesConfiguration)),
	m_achievements(adoptRef(new GAchievementsProgress)),
	m_statistics(adoptRef(new GGameStatistics))
{
	setEventMask(GAME_EVENT_MASK);
	m_deviceParameters.VideoDriver = DEVICE_DRIVER_NULL;
	m_deviceParameters.WindowSize = core::dimension2d<s32>(800, 600);
	m_deviceParameters.ColorBits = 16;
	m_deviceParameters.DepthBits = 16;
}

GGame::~GGame()
{
	shutdown();
	m_statistics->stop();
}

void GGame::shutdown()
{
	// The device holds every receiver it was given: they leave it first, so that nothing it
	// dispatches later reaches a game that is going.
	if (m_device)
		for (u32 i = 0; i < m_registered.size(); ++i)
			m_device->removeEventReceiver(m_registered[i]);
	m_registered.clear();
	m_device = nullptr;
	// The scene managers' timers live on the timer managers: the scene managers go first.
	if (m_sceneManager)
		m_sceneManager->setTimerManager(nullptr);
	if (m_levelSceneManager)
		m_levelSceneManager->setTimerManager(nullptr);
	m_sceneManager.release();
	m_levelSceneManager.release();
	m_timerManager.release();
	m_levelTimerManager.release();
	m_contentManager.release();
	if (s_currentGame == this)
		s_currentGame = nullptr;
}

void GGame::fillDeviceParameters(CDeviceStub* device)
{
	const CProfile* common = CProfileManagerSingleton::Instance().getCommonProfile();
	m_deviceParameters.VideoDriver = videoDriverFromProfile(common->getInt(PROFILE_VIDEO_DRIVER));
	// A headless run asks for the null driver in the settings; no profile can.
	const CPropertyContainer* settings = device->getSettings();
	if (settings->indexOf(SETTING_VIDEO_DRIVER) >= 0)
		m_deviceParameters.VideoDriver = settings->getInt(SETTING_VIDEO_DRIVER);
	m_deviceParameters.FullScreen = common->getBool(PROFILE_FULL_SCREEN);
	m_deviceParameters.AntiAlias = antiAliasFromProfile(common->getInt(PROFILE_ANTI_ALIAS));
	m_deviceParameters.VSync = common->getBool(PROFILE_VSYNC);
	m_deviceParameters.WindowSize = core::dimension2d<s32>(1024, 768);
	m_deviceParameters.ColorBits = 32;
	m_deviceParameters.StencilBuffer = false;
	m_deviceParameters.DesktopResolution = true;
}

void GGame::setUpSoundGroups(CDeviceStub* device)
{
	CSoundManager* sounds = device->getSoundManager();
	if (!sounds)
		return;
	setUpGroup(sounds, GROUP_MUSIC, 1, 2000);
	setUpGroup(sounds, GROUP_EFFECTS, 8, 0);
	setUpGroup(sounds, GROUP_LEVEL_EFFECTS, 16, 0);
}

void GGame::loadCursor(CDeviceStub* device)
{
	if (!CProfileManagerSingleton::Instance().getCommonProfile()->getBool(PROFILE_WINDOWS_CURSOR))
		applyCursorMode(false);
	if (ICursorControl* cursor = device->getCursorControl())
		cursor->setVisible(false);
}

void GGame::applyCursorMode(bool windowsCursor)
{
	CDeviceStub* device = CEngineDeviceSingleton::Instance().getDevice();
	ICursorControl* cursor = device ? device->getCursorControl() : nullptr;
	if (!cursor)
		return;
	if (windowsCursor)
	{
		cursor->setCursorImage(nullptr, 0, 0);
		return;
	}
	if (!m_contentManager)
		return;
	CRefHolder<CContent> loaded = adoptRef(m_contentManager->getContent(CONTENT_TYPE_IMAGE, CURSOR_FILE, true));
	if (CImage* image = dynamic_cast<CImage*>(loaded.get()))
		cursor->setCursorImage(image->getEngineImage(), 2, 2);
}

bool GGame::changeDeviceParameters(const SDeviceCreationParameters& parameters)
{
	CDeviceStub* device = CEngineDeviceSingleton::Instance().getDevice();
	if (!device)
		return false;
	const SDeviceCreationParameters working = device->getCreationParameters();
	if (device->reinitialize(parameters))
	{
		m_deviceParameters = parameters;
		return true;
	}
	// A device left without a driver would show nothing from here on: back to what worked.
	logWarning("The display could not be changed; the previous one is restored.");
	device->reinitialize(working);
	return false;
}

void GGame::readLogos(CDeviceStub* device)
{
	CRefHolder<IXMLReader> reader = adoptRef(device->getFileSystem()->createXMLReader(LOGOS_FILE));
	if (reader)
		m_logos->read(reader.get());
}

bool GGame::init()
{
	CDeviceStub* device = CEngineDeviceSingleton::Instance().getDevice();
	if (!device)
		return false;
	if (!device->getAudioDriver())
		logWarning("No sound device could be opened: the game runs without sound.");
	CRandomGeneratorSingleton::Instance().seed(device->getTimer()->getRealTime());
	device->setFrameInterval(STEP_MS);
	device->setUpdateStep(STEP_MS);

	writeApplicationSettings(device->getSettings());
	CProfileManager& profiles = CProfileManagerSingleton::Instance();
	writeCommonDefaults(profiles.getCommonDefaults());
	writePlayerDefaults(profiles.getPlayerDefaults());
	profiles.setFileSystem(device->getFileSystem());
	profiles.loadProfiles();

	registerStartupClassesWith(CNodeFactorySingleton::Instance());

	s_currentGame = this;
	m_device = device;
	device->addEventReceiver(this, GAME_PRIORITY);
	m_registered.push_back(this);

	fillDeviceParameters(device);
	if (!device->reinitialize(m_deviceParameters))
		return false;

	// The device keeps the processors and gives them its driver events first of all receivers.
	const CRefHolder<CContentProcessorsManager> processors =
		adoptRef(new CContentProcessorsManager(device->getVideoDriver(), device->getAudioDriver(),
			device->getFileSystem(), &CNodeFactorySingleton::Instance()));
	device->setProcessorsManager(processors.get());
	m_contentManager =
		adoptRef(new CContentManager(device->getVideoDriver(), device->getFileSystem(), processors.get()));
	device->addEventReceiver(m_contentManager.get(), CONTENT_MANAGER_PRIORITY);
	m_registered.push_back(m_contentManager.get());
	m_timerManager = adoptRef(device->createTimerManager());
	m_levelTimerManager = adoptRef(device->createTimerManager());
	for (CTimerManager* timers : {m_timerManager.get(), m_levelTimerManager.get()})
	{
		device->addEventReceiver(timers, MANAGER_PRIORITY);
		m_registered.push_back(timers);
	}

	m_sceneManager = adoptRef(new SceneManager);
	m_levelSceneManager = adoptRef(new SceneManager);
	SServices services = device->getServices();
	services.profiles = &profiles;
	services.random = &CRandomGeneratorSingleton::Instance();
	services.content = m_contentManager.get();
	services.timers = m_timerManager.get();
	m_sceneManager->setServices(services);
	services.timers = m_levelTimerManager.get();
	m_levelSceneManager->setServices(services);
	m_sceneManager->setSortingEnabled(true);
	m_sceneManager->setTimerManager(m_timerManager.get());
	device->addEventReceiver(m_sceneManager.get(), MANAGER_PRIORITY);
	m_registered.push_back(m_sceneManager.get());
	m_levelSceneManager->setSortingEnabled(true);
	m_levelSceneManager->setTimerManager(m_levelTimerManager.get());
	m_levelSceneManager->setPosition(core::vector3df(0.f, 0.f, -4000.f));

	const core::stringc assets = device->getSettings()->getString(SETTING_ASSETS_FOLDER);
	device->getFileSystem()->addFileArchive(assets, false, false);
	device->getFileSystem()->addFileArchive(assets + ".oca", false, false);

	if (IAudioDriver* audio = device->getAudioDriver())
		audio->setStreamingThreshold(STREAMING_THRESHOLD);
	setUpSoundGroups(device);

	if (CProfile* player = profiles.getActiveProfile())
	{
		applySoundSettings();
		m_achievements->load(player->getString(PROFILE_ACHIEVEMENTS_PROGRESS));
	}
	loadCursor(device);
	readLogos(device);

	CRefHolder<CContent> loaded =
		adoptRef(m_contentManager->getContent(CONTENT_TYPE_SCENE_NODE, LOGOS_SCENE_FILE, true));
	SceneNode* logos = nodeCast<SceneNode>(dynamic_cast<BaseNode*>(loaded.get()));
	if (!logos)
		return false;
	m_sceneManager->setActiveScene(logos, nameId("NavTo"));
	fitScreen();
	return true;
}

bool GGame::run()
{
	CDeviceStub* device = CEngineDeviceSingleton::Instance().getDevice();
	return device && device->run();
}

void GGame::applySoundSettings()
{
	const CProfile* player = CProfileManagerSingleton::Instance().getActiveProfile();
	CDeviceStub* device = CEngineDeviceSingleton::Instance().getDevice();
	CSoundManager* sounds = device ? device->getSoundManager() : nullptr;
	if (!player || !sounds)
		return;
	const bool soundOn = player->getBool(PROFILE_SOUND_ON);
	const bool musicOn = player->getBool(PROFILE_MUSIC_ON);
	const f32 soundVolume = soundOn ? volumeFromPercent(getFloatValue(player, PROFILE_SOUND_VOLUME)) : 0.f;
	sounds->setGroupVolume(soundVolume, GROUP_EFFECTS);
	sounds->setGroupVolume(soundVolume, GROUP_LEVEL_EFFECTS);
	const f32 musicVolume = musicOn ? volumeFromPercent(getFloatValue(player, PROFILE_MUSIC_VOLUME)) : 0.f;
	sounds->setGroupVolume(musicVolume, GROUP_MUSIC);

	if (musicOn && m_sceneManager && m_sceneManager->getActiveScene())
	{
		s32 levelMusic = -1;
		bool gameplay = false;
		for (SceneNode* scene = m_sceneManager->getActiveScene(); scene; scene = scene->getPreviousScene())
			if (scene->isOfType(NODE_TYPE_GAME_GAMEPLAY_SCENE))
			{
				gameplay = true;
				if (GBaseSceneNode* screen = nodeCast<GBaseSceneNode>(scene))
					levelMusic = screen->getLevelMusicCue();
				break;
			}
		if (!gameplay)
		{
			sounds->play(nameId("MenuMusic"), true, 0);
			sounds->play(nameId("MainMenuAmbient"), true, 0);
		}
		else if (levelMusic >= 0)
			sounds->play(levelMusic, true, 0);
	}
	if (!musicOn)
		sounds->stopGroup(GROUP_MUSIC);
	if (!soundOn)
	{
		sounds->stopGroup(GROUP_EFFECTS);
		sounds->stopGroup(GROUP_LEVEL_EFFECTS);
	}
}

void GGame::fitScreen()
{
	CDeviceStub* device = CEngineDeviceSingleton::Instance().getDevice();
	video::IVideoDriver* driver = device ? device->getVideoDriver() : nullptr;
	if (!m_sceneManager || !driver)
		return;
	const core::dimension2d<u32> screen = driver->getScreenSize();
	const SScreenFit fit = computeScreenFit(static_cast<s32>(screen.Width), static_cast<s32>(screen.Height),
		m_designWidth, m_designHeight);
	if (!fit.fitted)
		return;
	if (fit.stretched)
		logInfo("Stretched");
	m_firstBar = fit.firstBar;
	m_secondBar = fit.secondBar;
	m_sceneManager->setPosition(core::vector3df(fit.position.X, fit.position.Y, 0.f));
	m_sceneManager->setScale(core::vector3df(fit.scale.X, fit.scale.Y, 1.f));
	logFormat(LOG_INFORMATION, "Screen ratio: %f, UI ratio: %f, diff: %f", fit.screenRatio, fit.designRatio,
		fit.difference);
	logFormat(LOG_INFORMATION, "Game screen alined. Scene pos: %f,%f; Scale: %f,%f", fit.position.X, fit.position.Y,
		fit.scale.X, fit.scale.Y);
}

const EventMap& GGame::getClassEventMap()
{
	static const EventMap& map = *new EventMap(makeEventMap(CEventReceiver::getClassEventMap(),
		{
			eventMapEntry<&GGame::onDriversCreated>(),
			eventMapEntry<&GGame::onUpdate>(),
			eventMapEntry<&GGame::onDraw>(),
			eventMapEntry<&GGame::onWindowFocus>(),
			eventMapEntry<&GGame::onCloseRequest>(),
		}));
	return map;
}

bool GGame::onDriversCreated(CEventDeviceVideoDriverCreated* event)
{
	if (video::IVideoDriver* driver = event->getDriver())
		driver->setTextureCreationFlag(video::ETCF_CREATE_MIP_MAPS, false);
	CDeviceStub* device = CEngineDeviceSingleton::Instance().getDevice();
	if (device)
	{
		const core::stringw caption =
			SPropertyValue<core::stringw>::get(device->getSettings()->get(SETTING_TITLE_CAPTION));
		device->setWindowCaption(caption.c_str());
	}
	fitScreen();
	return false;
}

bool GGame::onUpdate(CEventSystemFlowUpdate* event)
{
	m_lastStep = static_cast<s32>(event->getMilliseconds());
	m_totalTime += m_lastStep;
	m_statistics->addPlayTime(event->getMilliseconds());
	return false;
}

bool GGame::onDraw(CEventSystemFlowDraw*)
{
	CDeviceStub* device = CEngineDeviceSingleton::Instance().getDevice();
	video::IVideoDriver* driver = device ? device->getVideoDriver() : nullptr;
	if (!driver || !driver->beginScene(true, true, video::SColor(0)))
		return false;
	drawFrame(driver);
	driver->endScene();
	return false;
}

void GGame::drawFrame(video::IVideoDriver* driver)
{
	if (m_sceneManager)
		m_sceneManager->drawAll(driver);
	if (video2d::CVideoDriver2D* layer = video2d::CVideoDriver2D::get(driver))
		layer->getQuadBatch()->flush();
	driver->draw2DRectangle(video::SColor(0xFF000000), m_firstBar);
	driver->draw2DRectangle(video::SColor(0xFF000000), m_secondBar);
}

bool GGame::onWindowFocus(CEventSystemFlowActivate* event)
{
	logInfo("Window focus", event->isActive() ? "true" : "false");
	CDeviceStub* device = CEngineDeviceSingleton::Instance().getDevice();
	CSoundManager* sounds = device ? device->getSoundManager() : nullptr;
	if (!sounds)
		return false;
	sounds->pauseGroup(!event->isActive(), GROUP_MUSIC);
	sounds->pauseGroup(!event->isActive(), GROUP_EFFECTS);
	return false;
}

bool GGame::onCloseRequest(CEventSystemFlowCloseRequest*)
{
	logInfo("CEventSystemFlowCloseRequest event received");
	return false;
}
