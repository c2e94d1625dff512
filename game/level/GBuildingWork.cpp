#include "level/GBuildingWork.h"

GBuildingWork::GBuildingWork()
{
	setEventMask(fw::EVENT_CATEGORY_GAME_MESSAGE | fw::EVENT_CATEGORY_NODE);
}
