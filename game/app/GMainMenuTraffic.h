#pragma once

#include "level/nodes/GAmbientMovers.h"

class GLevelPath;
class GLevelPaths;

// The 24 facings of the rider, one sector of 15 degrees around every multiple of 15 (0 = "Right",
// 90 = "Up"). Each name is interned once, on first use.
fw::s32 directionFromAngle(const fw::core::vector2df& vector);
// The facing names in table order, for scene files and tests.
const fw::c8* const* bikeFacingNames();
constexpr fw::u32 BIKE_FACING_COUNT = 24;

// The main menu's street movers: each takes its route from the street paths of the main menu a
// fixed number of levels above it, starts on its first drawing pass (once its scene runs timers),
// ticks every 30 ms and gives itself depth by scaling with its height on the screen. The first
// few of each kind in the process start part-way along their routes, so that the street is busy
// from the first frame. A mover that found no route leaves the tree at its first tick; so does one
// at the end of its route (never the looping rider).
class GMainMenuMover : public GTimedPathMover
{
public:
	static constexpr fw::u32 INTERVAL = 30;

	GMainMenuMover(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager,
		const fw::core::vector2df& velocityRange);
	~GMainMenuMover() override;

	void onInit() override;
	bool onTimer(fw::u32 elapsed) override;

	// The range the speed is drawn from when the route starts (scene units per second).
	const fw::core::vector2df& getInitialVelocityRange() const { return m_initialVelocityRange; }
	void setInitialVelocityRange(const fw::core::vector2df& range) { m_initialVelocityRange = range; }
	fw::f32 getSpeed() const { return m_speed; }
	fw::BaseNode* getBody() const { return m_body.get(); }

	// The street paths of the main menu levels up from node; null when there is no such menu.
	static GLevelPaths* findMenuPaths(const fw::BaseNode& node, fw::u32 levels);

protected:
	void onTimerJoined() override;

	// How many levels above the mover the main menu stands.
	virtual fw::u32 getMenuLevel() const { return 5; }
	// The route of the class among the menu's paths; null for none.
	virtual GLevelPath* chooseRoute(GLevelPaths& paths, fw::CRandomGenerator& random) const = 0;
	// Whether a two-way route may be taken backwards (a coin decides).
	virtual bool mayReverse() const { return false; }
	virtual bool loops() const { return false; }
	// Velocity, head start and first look, once the route has started.
	virtual void onRouteStarted() = 0;
	// The per-tick look while the route goes on.
	virtual void updateLook() {}
	// Whether the class has a body child.
	virtual bool hasBody() const { return true; }

	fw::f32 m_speed = 0.f;
	fw::core::vector2df m_initialVelocityRange;
	fw::CRefHolder<fw::BaseNode> m_body;
};

// Pedestrians walk the pavements at 1 to 3 units a second, showing their back ("Up") or their
// front ("Down"), larger nearer the viewer.
class GMainMenuPedestrianNode : public GMainMenuMover
{
public:
	FW_NODE_CLASS(GMainMenuPedestrianNode, GMainMenuMover, NODE_TYPE_GAME_MAIN_MENU_PEDESTRIAN,
		L"GMainMenuPedestrianNode")
	static const fw::PropertyTable& getClassPropertyTable();
	static constexpr fw::u32 HEAD_START_LIMIT = 24;

	GMainMenuPedestrianNode(const fw::ContentReference& reference, fw::BaseNode* parent,
		fw::ISceneManager* sceneManager);

	void setDirection(fw::f32 dx, fw::f32 dy) override;
	// Scale and velocity from the height: t = (y - 668) / 100 in [0, 1].
	void updateScale();

	static fw::u32 getHeadStartCount();

protected:
	GLevelPath* chooseRoute(GLevelPaths& paths, fw::CRandomGenerator& random) const override;
	bool mayReverse() const override { return true; }
	void onRouteStarted() override;
	void updateLook() override { updateScale(); }
};

// Cars drive the two-way road: away from the viewer ("Up1" near to "Up6" far) or towards it
// ("Down1" to "Down6"), smaller and slower towards the horizon at y 668, each sounding once as it
// passes the viewer.
class GMainMenuCarNode : public GMainMenuMover
{
public:
	FW_NODE_CLASS(GMainMenuCarNode, GMainMenuMover, NODE_TYPE_GAME_MAIN_MENU_CAR, L"GMainMenuCarNode")
	static const fw::PropertyTable& getClassPropertyTable();
	static constexpr fw::u32 HEAD_START_LIMIT = 4;

	GMainMenuCarNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	// Only remembers "Up" or "Down"; the look step sets the numbered state.
	void setDirection(fw::f32 dx, fw::f32 dy) override;
	void updateLook() override;

	bool getSoundPlayed() const { return m_soundPlayed; }
	static fw::u32 getHeadStartCount();

protected:
	GLevelPath* chooseRoute(GLevelPaths& paths, fw::CRandomGenerator& random) const override;
	bool mayReverse() const override { return true; }
	void onRouteStarted() override;

private:
	bool m_soundPlayed = false;
};

// Clouds drift along the sky, the higher ones faster; they have no body.
class GMainMenuCloudNode : public GMainMenuMover
{
public:
	FW_NODE_CLASS(GMainMenuCloudNode, GMainMenuMover, NODE_TYPE_GAME_MAIN_MENU_CLOUD, L"GMainMenuCloudNode")
	static const fw::PropertyTable& getClassPropertyTable();
	static constexpr fw::u32 HEAD_START_LIMIT = 12;

	GMainMenuCloudNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	// A cloud keeps its look whichever way it drifts.
	void setDirection(fw::f32, fw::f32) override {}

	static fw::u32 getHeadStartCount();

protected:
	GLevelPath* chooseRoute(GLevelPaths& paths, fw::CRandomGenerator& random) const override;
	void onRouteStarted() override;
	bool hasBody() const override { return false; }
};

// The rider loops the "Bike" path for ever. Its motion follows the road at once; its facing, one
// of 24, turns towards the road's heading by 10 degrees a tick and snaps within 7.
class GMainMenuBikeNode : public GMainMenuMover
{
public:
	FW_NODE_CLASS(GMainMenuBikeNode, GMainMenuMover, NODE_TYPE_GAME_MAIN_MENU_BIKE, L"GMainMenuBikeNode")
	static const fw::PropertyTable& getClassPropertyTable();

	GMainMenuBikeNode(const fw::ContentReference& reference, fw::BaseNode* parent, fw::ISceneManager* sceneManager);

	void setDirection(fw::f32 dx, fw::f32 dy) override;
	void updateScaleAndHeading();

	fw::f32 getTurnFactor() const { return m_turnFactor; }
	const fw::core::vector2df& getTargetHeading() const { return m_targetHeading; }
	const fw::core::vector2df& getCurrentHeading() const { return m_currentHeading; }

protected:
	fw::u32 getMenuLevel() const override { return 4; }
	GLevelPath* chooseRoute(GLevelPaths& paths, fw::CRandomGenerator& random) const override;
	bool loops() const override { return true; }
	void onRouteStarted() override;
	void updateLook() override { updateScaleAndHeading(); }

private:
	fw::f32 m_turnFactor = 1.f;
	fw::core::vector2df m_targetHeading;
	fw::core::vector2df m_currentHeading;
};
