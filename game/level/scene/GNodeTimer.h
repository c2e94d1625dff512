#pragma once

#include "core/CTimer.h"

namespace fw
{
class BaseNode;
}

// The timer part of a node that runs itself: the node derives from it beside BaseNode, so that the
// timer manager's reference is a reference to the node. It joins the timer manager of the node's
// scene on a drawing pass and stays idle while the node has none.
//
// A node may take itself out of the tree from its own tick: the manager's reference keeps it alive
// until the tick returns, and the tick answers false so that the manager lets it go.
class GNodeTimer : public fw::CTimer
{
public:
	explicit GNodeTimer(fw::u32 interval) { setInterval(interval); }

	bool isTimerRunning() const { return getManager() != nullptr; }

protected:
	// Moves the timer to the timer manager of the node's scene; false, leaving it where it is, when
	// the node is in no scene or its scene has none.
	bool joinSceneTimerManager(const fw::BaseNode& node);
	// Detaches the node from its parent (which drops its reference). Answer false from the tick
	// that calls it.
	static void leaveParent(fw::BaseNode& node);
};
