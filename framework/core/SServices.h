#pragma once

namespace fw
{
class CContentManager;
class CDeviceStub;
class CDictionary;
class CProfileManager;
class CRandomGenerator;
class CSoundManager;
class CTimerManager;
class ICursorControl;

// The program's services as a node or scene sees them: handed down by the scene manager that runs
// the node (BaseNode::getServices), set by whoever builds that manager. Not held; any may be null,
// and a node that needs a missing one does without it and says so in the log.
struct SServices
{
	CDeviceStub* device = nullptr;
	// The timer manager that runs the scene manager.
	CTimerManager* timers = nullptr;
	CSoundManager* sound = nullptr;
	CDictionary* dictionary = nullptr;
	CProfileManager* profiles = nullptr;
	CRandomGenerator* random = nullptr;
	CContentManager* content = nullptr;
	// Null without a window.
	ICursorControl* cursor = nullptr;
};

// The services of a node outside any scene manager: none.
inline const SServices& noServices()
{
	static const SServices none;
	return none;
}
} // namespace fw
