#pragma once

#include "core/CEventReceiver.h"
#include "core/CRefHolder.h"
#include "platform/SDeviceCreationParameters.h"

#include <IVideoDriver.h>
#include <rect.h>
#include <vector2d.h>

namespace fw
{
class CContentManager;
class CDeviceStub;
class CEventDeviceVideoDriverCreated;
class CEventSystemFlowActivate;
class CEventSystemFlowCloseRequest;
class CEventSystemFlowDraw;
class CEventSystemFlowUpdate;
class CTimerManager;
class SceneManager;
} // namespace fw

class GAchievementsProgress;
class GBuildingsConfiguration;
class GComicsConfiguration;
class GGameStatistics;
class GLevelScores;
class GLogosConfiguration;
class GUpgradesConfiguration;

// Where the design screen goes on a screen of some size: stretched when the ratios are within a
// tenth of each other, else scaled evenly between two black bars.
struct SScreenFit
{
	// False for a screen without area: nothing is placed.
	bool fitted = false;
	bool stretched = false;
	fw::core::vector2df position;
	fw::core::vector2df scale;
	fw::core::rect<fw::s32> firstBar;
	fw::core::rect<fw::s32> secondBar;
	fw::f32 screenRatio = 0.f;
	fw::f32 designRatio = 0.f;
	fw::f32 difference = 0.f;
};

SScreenFit computeScreenFit(fw::s32 width, fw::s32 height, fw::f32 designWidth, fw::f32 designHeight);

// The game object: writes the settings and the profile defaults, creates and owns the services the
// scenes share (content manager, two timer managers, two scene managers) and the game's
// configurations, opens the first scene and then follows the device's events: play time, the
// frame with its bars, sound paused while the window is inactive, the fit of the design screen.
class GGame : public fw::CEventReceiver
{
public:
	// Sound groups.
	static constexpr fw::s32 GROUP_EFFECTS = 0;
	static constexpr fw::s32 GROUP_MUSIC = 1;
	static constexpr fw::s32 GROUP_LEVEL_EFFECTS = 2;

	static const fw::c8* const LOGOS_FILE;
	static const fw::c8* const LOGOS_SCENE_FILE;
	static const fw::c8* const CURSOR_FILE;

	GGame();
	~GGame() override;

	// Everything from the settings to the first scene; false when the device cannot start or the
	// logos scene cannot be loaded.
	bool init();
	// The device's main loop.
	bool run();
	// Leaves the device's receivers and lets go of the services, scene managers before timer
	// managers; the entry calls it before releasing the game. Safe to call twice.
	void shutdown();

	// The active player's switches and volumes on the sound groups, and the right music.
	void applySoundSettings();
	// The placement of scene manager A and the bars for the driver's screen size.
	void fitScreen();
	// The system's arrow (true) or the game's cursor image (false); nothing without a cursor
	// control, and a missing image leaves the cursor as it is.
	void applyCursorMode(bool windowsCursor);
	// Re-creates the device with the parameters, which become the game's. When that fails the device
	// goes back to what it ran with before and the game's parameters stay as they were: false.
	bool changeDeviceParameters(const fw::SDeviceCreationParameters& parameters);
	void trackLevelEvent(const fw::c8* text) { (void)text; }

	FW_RECEIVER_EVENT_MAP
	bool onDriversCreated(fw::CEventDeviceVideoDriverCreated* event);
	bool onUpdate(fw::CEventSystemFlowUpdate* event);
	// Begins the frame, draws it and ends it.
	bool onDraw(fw::CEventSystemFlowDraw* event);
	// What a frame shows: scene manager A, then the two black bars over it.
	void drawFrame(fw::video::IVideoDriver* driver);
	bool onWindowFocus(fw::CEventSystemFlowActivate* event);
	bool onCloseRequest(fw::CEventSystemFlowCloseRequest* event);

	fw::CContentManager* getContentManager() const { return m_contentManager.get(); }
	// Scene manager A: the menus, panels and the gameplay screen; drawn and fitted by the game.
	fw::SceneManager* getSceneManager() const { return m_sceneManager.get(); }
	// Scene manager B: the running level.
	fw::SceneManager* getLevelSceneManager() const { return m_levelSceneManager.get(); }
	fw::CTimerManager* getTimerManager() const { return m_timerManager.get(); }
	fw::CTimerManager* getLevelTimerManager() const { return m_levelTimerManager.get(); }
	GLogosConfiguration* getLogos() const { return m_logos.get(); }
	GComicsConfiguration* getComics() const { return m_comics.get(); }
	GLevelScores* getLevelScores() const { return m_levelScores.get(); }
	GBuildingsConfiguration* getBuildings() const { return m_buildings.get(); }
	GUpgradesConfiguration* getUpgrades() const { return m_upgrades.get(); }
	GAchievementsProgress* getAchievements() const { return m_achievements.get(); }
	GGameStatistics* getStatistics() const { return m_statistics.get(); }
	const fw::SDeviceCreationParameters& getDeviceParameters() const { return m_deviceParameters; }
	// What the next change of the display starts from; the device is not touched.
	void setDeviceParameters(const fw::SDeviceCreationParameters& parameters) { m_deviceParameters = parameters; }
	const fw::core::rect<fw::s32>& getFirstBar() const { return m_firstBar; }
	const fw::core::rect<fw::s32>& getSecondBar() const { return m_secondBar; }
	fw::s32 getLastStep() const { return m_lastStep; }
	fw::s32 getTotalTime() const { return m_totalTime; }

private:
	GGame(const GGame&) = delete;
	GGame& operator=(const GGame&) = delete;

	// The device parameters from the common profile (or the headless request in the settings).
	void fillDeviceParameters(fw::CDeviceStub* device);
	void setUpSoundGroups(fw::CDeviceStub* device);
	void loadCursor(fw::CDeviceStub* device);
	void readLogos(fw::CDeviceStub* device);

	fw::f32 m_designWidth = 1024.f;
	fw::f32 m_designHeight = 768.f;
	fw::core::rect<fw::s32> m_firstBar = fw::core::rect<fw::s32>(0, 0, 0, 768);
	fw::core::rect<fw::s32> m_secondBar = fw::core::rect<fw::s32>(1024, 0, 1024, 768);
	fw::SDeviceCreationParameters m_deviceParameters;
	fw::CRefHolder<fw::CTimerManager> m_timerManager;
	fw::CRefHolder<fw::CTimerManager> m_levelTimerManager;
	fw::CRefHolder<fw::SceneManager> m_sceneManager;
	fw::CRefHolder<fw::SceneManager> m_levelSceneManager;
	fw::CRefHolder<fw::CContentManager> m_contentManager;
	fw::CRefHolder<GLogosConfiguration> m_logos;
	fw::CRefHolder<GComicsConfiguration> m_comics;
	fw::CRefHolder<GLevelScores> m_levelScores;
	fw::CRefHolder<GBuildingsConfiguration> m_buildings;
	fw::CRefHolder<GUpgradesConfiguration> m_upgrades;
	fw::CRefHolder<GAchievementsProgress> m_achievements;
	fw::CRefHolder<GGameStatistics> m_statistics;
	fw::s32 m_lastStep = 0;
	fw::s32 m_totalTime = 0;
	// The receivers this game registered with the device, so that they leave it again.
	fw::core::array<fw::CEventReceiver*> m_registered;
	fw::CDeviceStub* m_device = nullptr;
};

// The current game: set by GGame::init, cleared when that game shuts down; null otherwise.
GGame* getGame();
