#include "minigames/GMiniGameNodeClasses.h"

#include "core/CNodeFactory.h"
#include "minigames/GAmbientEffects.h"
#include "minigames/GBirdFireworkNodes.h"
#include "minigames/GLakeWaveNode.h"
#include "minigames/GSelectGridNode.h"
#include "minigames/GShieldNodes.h"

void registerMiniGameNodeClasses(fw::CNodeFactory& factory)
{
	fw::registerNodeClass<GSpiralMovableNode>(factory);
	fw::registerNodeClass<GBaloonNode>(factory);
	fw::registerNodeClass<GPicEffectNode>(factory);
	fw::registerNodeClass<GShieldStarNode>(factory);
	fw::registerNodeClass<GShieldEffectNode>(factory);
	fw::registerNodeClass<GLakeWaveNode>(factory);
	fw::registerNodeClass<GCircularBirdNode>(factory);
	fw::registerNodeClass<GFireworkNode>(factory);
	fw::registerNodeClass<GSelectGridNode>(factory);
}
