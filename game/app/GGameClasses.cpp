#include "app/GGameClasses.h"

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
#include "core/CNodeFactory.h"
#include "level/scene/GLevelNodeClasses.h"
#include "minigames/GMiniGameNodeClasses.h"

using namespace fw;

namespace
{
// One registration: the class's own, or a library's registration function that registers several.
typedef void (*ClassRegistration)(CNodeFactory& factory);

// The game's node classes in the order the start-up step registers them. Each library of the game
// appends its classes (or its registration function) here in that order.
const ClassRegistration GAME_CLASSES[] = {
	// The main menu, its street and the scenes it opens.
	&registerNodeClass<GMainMenuScene>,
	&registerNodeClass<GMainMenuPedestrianNode>,
	&registerNodeClass<GMainMenuCarNode>,
	&registerNodeClass<GMainMenuBikeNode>,
	&registerNodeClass<GMainMenuCloudNode>,
	&registerNodeClass<GAchievementUnlockedScene>,
	&registerNodeClass<GAchievementsScene>,
	&registerNodeClass<GCreditsScene>,
	// The player selection and the options.
	&registerNodeClass<GSelectPlayerScene>,
	&registerNodeClass<GSelectPlayerInputNameScene>,
	&registerNodeClass<GOptionsScene>,
	&registerNodeClass<GRectangleNode>,
	&registerLevelNodeClasses,
	&registerMiniGameNodeClasses,
};

const ClassRegistration STARTUP_CLASSES[] = {
	&registerNodeClass<GDebugStatsScene>,
	&registerNodeClass<GLogosScene>,
	&registerNodeClass<GIntroScene>,
	&registerNodeClass<GQuitConfirmationScene>,
	&registerNodeClass<GRectangleNode>,
};
} // namespace

void registerStartupClassesWith(CNodeFactory& factory)
{
	for (ClassRegistration registration : STARTUP_CLASSES)
		registration(factory);
}

void registerGameClassesWith(CNodeFactory& factory)
{
	for (ClassRegistration registration : GAME_CLASSES)
		registration(factory);
}
