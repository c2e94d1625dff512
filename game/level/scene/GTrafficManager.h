#pragma once

#include "core/CRefHolder.h"
#include "level/scene/IGTrafficManager.h"

#include <vector2d.h>
#include <vector3d.h>

#include <vector>

namespace fw
{
class BaseNode;
}

class GLevelPath;
class IGLevelPathsOwner;

// The street traffic of a level. Neutral cars are made at the starts of the level's "NeutralCar"
// paths at random pauses, drive their path once at a slightly random speed and leave; the vehicles
// of building works join as priority vehicles, and neutral cars close to one hurry out of its way.
// Half of the neutral cars play "GameCar" as they pass the middle of the screen.
//
// The cars are children of the parent node (the level's CargosNode) and drive by their own timers;
// the manager only reads their positions and sets their speeds. Every registered mover holds a
// reference to the manager and leaves it when it is destroyed.
class GTrafficManager : public IGTrafficManager
{
public:
	enum EMode
	{
		MODE_NORMAL = 1,
		MODE_HURRYING = 2
	};

	// A path that makes cars.
	struct SCarPath
	{
		fw::CRefHolder<GLevelPath> path;
		// The path's pause range, in order and not below 0.
		fw::s32 minTime = 0;
		fw::s32 maxTime = 0;
		// Time until the next car, ms.
		fw::s32 countdown = 0;
		// Index into the path's car names of the template used last.
		fw::s32 lastCar = 0;
	};

	struct SVehicle
	{
		GPathMovableNode* vehicle = nullptr;
		bool priority = false;
		// The velocity at registration, which a car returns to after hurrying.
		fw::f32 normalVelocity = 0.f;
		fw::s32 mode = MODE_NORMAL;
		fw::f32 hurryTime = 0.f;
		// The passing cue has played, or never will for this vehicle.
		bool cueDone = true;
		fw::core::vector3df lastPosition;
	};

	static constexpr fw::f32 HURRY_VELOCITY = 160.f;
	static constexpr fw::f32 HURRY_TIME = 1000.f;
	// A neutral car hurries while it is strictly closer than this to a priority vehicle on both axes.
	static constexpr fw::f32 HURRY_DISTANCE_X = 35.f;
	static constexpr fw::f32 HURRY_DISTANCE_Y = 16.f;
	// The passing cue plays when a car's x is first seen within this stretch (both ends included).
	static constexpr fw::f32 CUE_MIN_X = 400.f;
	static constexpr fw::f32 CUE_MAX_X = 600.f;

	// Takes the level's "NeutralCar" paths. Without a parent node or without paths there is no
	// neutral traffic; priority vehicles still register.
	GTrafficManager(const IGLevelPathsOwner* level, fw::BaseNode* parentNode);
	~GTrafficManager() override;

	void addCar(GPathMovableNode* mover, bool priority) override;
	void removeCar(GPathMovableNode* mover) override;

	// One step of the level: seeds the streets on the first call, counts down to new cars, makes
	// neutral cars near priority vehicles hurry and plays the passing cue.
	void update(fw::u32 stepMs) override;

	bool isFirstUpdatePending() const { return m_firstUpdatePending; }
	fw::BaseNode* getParentNode() const { return m_parentNode; }
	const std::vector<SCarPath>& getCarPaths() const { return m_carPaths; }
	const std::vector<SVehicle>& getVehicles() const { return m_vehicles; }
	// The record of a registered mover, or null.
	const SVehicle* findVehicle(const GPathMovableNode* mover) const;

	static fw::s32 nameIdNeutralCar();
	static fw::s32 nameIdGameCar();

private:
	GTrafficManager(const GTrafficManager&) = delete;
	GTrafficManager& operator=(const GTrafficManager&) = delete;

	void drawFirstCountdowns();
	void seedStreets(fw::u32 stepMs);
	// A new neutral car on the path's route, or null when its template is missing or no car.
	GPathMovableNode* createCar(SCarPath& entry);
	void hurryNearPriorityVehicles();
	void playPassingCue();

	bool m_firstUpdatePending = true;
	// Built before its node met a scene manager: the first pauses are drawn at the first update.
	bool m_countdownsPending = false;
	// Not held: the cars under it hold the manager.
	fw::BaseNode* m_parentNode;
	std::vector<SCarPath> m_carPaths;
	std::vector<SVehicle> m_vehicles;
	// Reused for every new car's route.
	fw::core::array<fw::core::vector2df> m_route;
};
