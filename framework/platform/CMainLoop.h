#pragma once

#include "core/CoreTypes.h"

namespace fw
{
class CDeviceLinux;

// Drives the application through its device: every pass handles one waiting message of the
// window, or else posts the update events that are due in fixed steps and then one draw. Between
// frames it waits on the window's messages until the next frame is due, so that input is handled
// at once and an idle application costs next to nothing. A backlog of more than 200 ms is dropped
// but for one step. While the application is in the background the clock stands still, nothing is
// updated and a draw comes every 200 ms; while the window is minimised the loop waits for messages
// and posts nothing.
class CMainLoop
{
public:
	static const u32 MAX_BACKLOG = 200;
	static const u32 BACKGROUND_PAUSE = 200;

	// The device outlives the loop.
	explicit CMainLoop(CDeviceLinux* device);

	// Sets the device running and makes passes until it is closed; true.
	bool run();
	// One pass; the wait at its end goes through the device's clock.
	void runPass();

private:
	// Takes one message of the window and dispatches it: without waiting while the window is
	// shown, waiting for one while it is minimised. False when there was none.
	bool handleMessage();
	// Posts the updates due at now; false when nothing was due.
	bool postDueUpdates(u32 now);
	void postUpdate(u32 milliseconds);
	// Until the clock's source reads the real time given, or a message comes.
	void waitForMessages(u64 realTime);

	CDeviceLinux* m_device;
};
} // namespace fw
