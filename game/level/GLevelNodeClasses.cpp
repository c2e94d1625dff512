#include "level/GLevelNodeClasses.h"

#include "core/CNodeFactory.h"
#include "level/GAmbientMovers.h"
#include "level/GBuildingNode.h"
#include "level/GCarNode.h"
#include "level/GEllipseSectorNode.h"
#include "level/GGameLevelScene.h"
#include "level/GHOHintParticlesNode.h"
#include "level/GPathMovableNode.h"
#include "level/GWeatherParticlesNode.h"
#include "level/OnceSpawnerNode.h"

void registerLevelNodeClasses(fw::CNodeFactory& factory)
{
	fw::registerNodeClass<GGameLevelScene>(factory);
	fw::registerNodeClass<GBuildingNode>(factory);
	fw::registerNodeClass<GPathMovableNode>(factory);
	fw::registerNodeClass<GBirdNode>(factory);
	fw::registerNodeClass<GCarNode>(factory);
	fw::registerNodeClass<GPedestrianNode>(factory);
	fw::registerNodeClass<GTextTrailNode>(factory);
	fw::registerNodeClass<GEllipseSectorNode>(factory);
	fw::registerNodeClass<GHOHintParticlesNode>(factory);
	fw::registerNodeClass<GWeatherParticlesNode>(factory);
	fw::registerNodeClass<OnceSpawnerNode>(factory);
}
