#pragma once

#include "core/CoreTypes.h"

class GBrokenBuildingRequestMessage;
class GBuildingNode;
class GBuildingTypesQueryMessage;
class GCafeBuildingRequestMessage;
class GDirtyBuildingRequestMessage;
class GGameLevelScene;
class GRandomEventMessage;
class GSellBuildingRequestMessage;
class GWeatherEffectRequestMessage;

namespace fw
{
class CRandomGenerator;
}

// What random events and the tutorial ask of the level: a building offered for sale, a breakdown,
// dirt, rain or snow for a while, and whether the player owns a building of some types. Part of
// its level.
class GLevelRequests
{
public:
	explicit GLevelRequests(GGameLevelScene& level) : m_level(level) {}

	// The building's type and place pass the request's filters (an empty filter passes all).
	static bool matchesFilter(const GBuildingNode* building, const fw::core::array<fw::s32>& types,
		const fw::core::array<fw::s32>& places);
	// One of the candidates, drawn from the generator (the first without one); the list must not be
	// empty.
	static GBuildingNode* pickOne(const fw::core::array<GBuildingNode*>& candidates, fw::CRandomGenerator* random);

	bool onSellBuildingRequest(GSellBuildingRequestMessage* message);
	bool onBrokenBuildingRequest(GBrokenBuildingRequestMessage* message);
	bool onDirtyBuildingRequest(GDirtyBuildingRequestMessage* message);
	bool onCafeBuildingRequest(GCafeBuildingRequestMessage* message);
	bool onBuildingTypesQuery(GBuildingTypesQueryMessage* message);
	bool onWeatherEffectRequest(GWeatherEffectRequestMessage* message);

	// Counts the weather down and switches it off at the end.
	void stepWeather(fw::u32 stepMs);
	// Ms of rain or snow left.
	fw::s32 getWeatherTime() const { return m_weatherTime; }

private:
	GLevelRequests(const GLevelRequests&) = delete;
	GLevelRequests& operator=(const GLevelRequests&) = delete;

	// The buildings that break or get dirty: working, of the type kind, quiet for 10 s, matching.
	void pickForAlert(const GRandomEventMessage* message, fw::s32 typeKind, fw::s32 alert, const char* cue);

	GGameLevelScene& m_level;
	fw::s32 m_weatherTime = 0;
};
