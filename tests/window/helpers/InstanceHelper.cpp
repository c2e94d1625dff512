// A program that may run once per user: a second start raises the first one's window and ends
// with 0. Prints "ready <window id>" when its window is up, then runs until it is killed.
// Argument: the instance lock's name.

#include "core/CRefHolder.h"
#include "platform/CDeviceLinux.h"
#include "platform/CSingleInstanceGuard.h"

#include <cstdio>

int main(int argc, char** argv)
{
	if (argc < 2)
		return 2;
	fw::CSingleInstanceGuard guard(argv[1]);
	if (guard.isAlreadyRunning())
		return 0;

	fw::SDeviceCreationParameters params;
	params.VideoDriver = fw::DEVICE_DRIVER_OPENGL;
	params.WindowSize = fw::core::dimension2d<fw::s32>(320, 240);
	fw::CRefHolder<fw::CDeviceStub> device = fw::adoptRef(fw::createDevice(params));
	if (!device)
		return 1;
	const fw::os::WindowId window = static_cast<fw::CDeviceLinux*>(device.get())->getWindowId();
	guard.setMainWindow(window);
	std::printf("ready %llu\n", static_cast<unsigned long long>(window));
	std::fflush(stdout);
	device->run();
	return 0;
}
