#pragma once

#include "core/CoreTypes.h"

namespace fw
{
class CEvent;
class CEventReceiver;
class ITimerManager;
class SceneNode;

// What nodes ask of the scene manager that runs their tree.
class ISceneManager : public virtual IReferenceCounted
{
public:
	// Delivers the event later with receiver->routeEvent(mode, event), first in, first out. The
	// queue keeps the event and the receiver alive until then.
	virtual void queueMessage(CEventReceiver* receiver, s32 mode, CEvent* event) = 0;

	// The timer manager that the scene gave its nodes for their states; null when it has none. The
	// manager answers for its scenes because a node knows its scene only by an incomplete type.
	virtual ITimerManager* getSceneTimerManager(const SceneNode* /*scene*/) const { return nullptr; }
};
} // namespace fw
