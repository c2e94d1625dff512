#include "level/scene/GNodeTimer.h"

#include "core/BaseNode.h"
#include "core/ITimerManager.h"

bool GNodeTimer::joinSceneTimerManager(const fw::BaseNode& node)
{
	fw::ITimerManager* manager = node.getSceneTimerManager();
	if (!manager)
		return false;
	setManager(manager);
	return true;
}

void GNodeTimer::leaveParent(fw::BaseNode& node)
{
	if (fw::BaseNode* parent = node.getParent())
		parent->removeChild(&node);
}
