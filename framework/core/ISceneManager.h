#pragma once

#include "core/CoreTypes.h"

namespace fw
{
class CEvent;
class CEventReceiver;

// What nodes ask of the scene manager that runs their tree.
class ISceneManager : public virtual IReferenceCounted
{
public:
	// Delivers the event later with receiver->routeEvent(mode, event), first in, first out. The
	// queue keeps the event and the receiver alive until then.
	virtual void queueMessage(CEventReceiver* receiver, s32 mode, CEvent* event) = 0;
};
} // namespace fw
