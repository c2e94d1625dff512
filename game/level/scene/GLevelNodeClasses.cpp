#include "level/scene/GLevelNodeClasses.h"

#include "core/CNodeFactory.h"
#include "level/buildings/GBuildingNode.h"
#include "level/nodes/GAmbientMovers.h"
#include "level/nodes/GCarNode.h"
#include "level/nodes/GEllipseSectorNode.h"
#include "level/nodes/GHOHintParticlesNode.h"
#include "level/nodes/GPathMovableNode.h"
#include "level/nodes/GWeatherParticlesNode.h"
#include "level/nodes/OnceSpawnerNode.h"
#include "level/scene/GGameLevelScene.h"

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
