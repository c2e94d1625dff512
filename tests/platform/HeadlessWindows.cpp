// The unit tests run without a display: devices here make no window (and fall back to the null
// driver), unless a test gives one a stand-in window of its own.

#include "platform/CDeviceLinux.h"

namespace
{
fw::os::IWindow* makeNoWindow(const fw::os::SWindowDescription&, fw::os::WindowProcedure)
{
	return nullptr;
}

struct SHeadless
{
	SHeadless() { fw::CDeviceLinux::setWindowMaker(&makeNoWindow); }
} s_headless;
} // namespace
