// The game's node classes take their ids from the game's own numbering: no two share one, and none
// falls in the framework's range but the debug overlay's older number.

#include "app/GAchievementUnlockedScene.h"
#include "app/GAchievementsScene.h"
#include "app/GCreditsScene.h"
#include "app/GDebugStatsScene.h"
#include "app/GIntroScene.h"
#include "app/GLogosScene.h"
#include "app/GMainMenuScene.h"
#include "app/GMainMenuTraffic.h"
#include "app/GOptionsScene.h"
#include "app/GQuitConfirmationScene.h"
#include "app/GRectangleNode.h"
#include "app/GSelectPlayerInputNameScene.h"
#include "app/GSelectPlayerScene.h"
#include "level/buildings/GBuildingNode.h"
#include "level/nodes/GAmbientMovers.h"
#include "level/nodes/GCarNode.h"
#include "level/nodes/GEllipseSectorNode.h"
#include "level/nodes/GHOHintParticlesNode.h"
#include "level/nodes/GWeatherParticlesNode.h"
#include "level/nodes/OnceSpawnerNode.h"
#include "level/scene/GGameLevelScene.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#define G_ID(Class)                                                                                                    \
	{                                                                                                                  \
		Class::TypeId, #Class                                                                                          \
	}

TEST(GameTypeIds, NoTwoGameClassesShareAnIdAndAllLieInTheGamesRange)
{
	const std::vector<std::pair<fw::s32, const char*>> classes = {G_ID(GBaseSceneNode), G_ID(GLogosScene),
		G_ID(GIntroScene), G_ID(GMainMenuScene), G_ID(GMainMenuPedestrianNode), G_ID(GMainMenuCarNode),
		G_ID(GMainMenuCloudNode), G_ID(GMainMenuBikeNode), G_ID(GSelectPlayerScene), G_ID(GSelectPlayerInputNameScene),
		G_ID(GOptionsScene), G_ID(GAchievementsScene), G_ID(GCreditsScene), G_ID(GAchievementUnlockedScene),
		G_ID(GQuitConfirmationScene), G_ID(GEllipseSectorNode), G_ID(GRectangleNode), G_ID(GGameLevelScene),
		G_ID(GBuildingNode), G_ID(GPathMovableNode), G_ID(GHOHintParticlesNode), G_ID(GWeatherParticlesNode),
		G_ID(GBirdNode), G_ID(GCarNode), G_ID(GPedestrianNode), G_ID(GTextTrailNode), G_ID(OnceSpawnerNode),
		G_ID(GDebugStatsScene)};
	std::map<fw::s32, std::string> seen;
	for (const auto& entry : classes)
	{
		const auto inserted = seen.emplace(entry.first, entry.second);
		EXPECT_TRUE(inserted.second) << entry.first << ": " << inserted.first->second << " and " << entry.second;
		if (entry.first != NODE_TYPE_GAME_DEBUG_STATS_SCENE)
		{
			EXPECT_GE(entry.first, fw::NODE_TYPE_GAME_FIRST) << entry.second;
		}
	}
	// The kinds the menu tells apart by id before their classes exist take ids of their own.
	for (const fw::s32 kind :
		{NODE_TYPE_GAME_MAP_SCENE, NODE_TYPE_GAME_LEVEL_COMPLETED_SCENE, NODE_TYPE_GAME_GAMEPLAY_SCENE})
		EXPECT_EQ(0u, seen.count(kind)) << kind;
}
