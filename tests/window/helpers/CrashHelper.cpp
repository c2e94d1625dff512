// A program that crashes as its argument says ("segv", "abort", "overflow", "thread"), with the
// crash report installed. "fullscreen <width> <height>" first takes the screen to that mode in full
// screen and sets a gamma of 2, prints "switched <width>x<height>" with the screen's size as the
// X server reports it, then crashes as "segv" does.

#include "core/CRefHolder.h"
#include "platform/CDeviceLinux.h"
#include "platform/CMiniDumpWriter.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace
{
// An address no program maps; not null, so that the sanitizers' null checks let the fault happen.
volatile std::uintptr_t s_nowhere = 16;

int recurse(int depth);
// Called through a pointer the compiler cannot see through, so the recursion stays unbounded.
int (*volatile s_recurse)(int) = &recurse;

int recurse(int depth)
{
	volatile char ballast[1024];
	ballast[0] = static_cast<char>(depth);
	return s_recurse(depth + 1) + ballast[0];
}

// The screen's size as the server has it now.
void printScreenSize()
{
	Display* display = XOpenDisplay(nullptr);
	if (!display)
		return;
	XRRScreenConfiguration* config = XRRGetScreenInfo(display, DefaultRootWindow(display));
	int count = 0;
	XRRScreenSize* sizes = XRRConfigSizes(config, &count);
	Rotation rotation = 0;
	const int current = XRRConfigCurrentConfiguration(config, &rotation);
	if (current < count)
		std::printf("switched %dx%d\n", sizes[current].width, sizes[current].height);
	std::fflush(stdout);
	XRRFreeScreenConfigInfo(config);
	XCloseDisplay(display);
}

fw::CDeviceStub* s_device = nullptr; // left for the crash to end
} // namespace

int main(int argc, char** argv)
{
	if (argc < 2 || !fw::CMiniDumpWriter::install())
		return 2;
	if (std::strcmp(argv[1], "fullscreen") == 0 && argc >= 4)
	{
		fw::SDeviceCreationParameters params;
		params.VideoDriver = fw::DEVICE_DRIVER_OPENGL;
		params.FullScreen = true;
		params.WindowSize = fw::core::dimension2d<fw::s32>(std::atoi(argv[2]), std::atoi(argv[3]));
		s_device = fw::createDevice(params);
		if (!s_device || !s_device->isFullscreen() || !s_device->setGammaRamp(2.f, 2.f, 2.f, 0.f, 0.f))
			return 3;
		printScreenSize();
		*reinterpret_cast<volatile int*>(s_nowhere) = 3;
	}
	if (std::strcmp(argv[1], "segv") == 0)
		*reinterpret_cast<volatile int*>(s_nowhere) = 1;
	else if (std::strcmp(argv[1], "abort") == 0)
		std::abort();
	else if (std::strcmp(argv[1], "overflow") == 0)
		return recurse(0);
	else if (std::strcmp(argv[1], "thread") == 0)
		std::thread([] { *reinterpret_cast<volatile int*>(s_nowhere) = 2; }).join();
	return 0;
}
