#pragma once

#include "core/CoreTypes.h"

#include <dimension2d.h>

namespace fw
{
// Video driver types of the device (its own numbering, not the engine's).
enum EDeviceVideoDriver
{
	DEVICE_DRIVER_NULL = 0,
	DEVICE_DRIVER_DIRECT3D8 = 1,
	DEVICE_DRIVER_DIRECT3D9 = 2,
	DEVICE_DRIVER_OPENGL = 3
};

// The engine version the framework is built against, compared with the application's.
extern const c8* const DEVICE_ENGINE_VERSION;

// How the device makes its window and video driver; the device keeps a copy.
struct SDeviceCreationParameters
{
	s32 VideoDriver = DEVICE_DRIVER_NULL;
	// Client size of the window and back buffer.
	core::dimension2d<s32> WindowSize = core::dimension2d<s32>(800, 600);
	s32 ColorBits = 16;
	u8 DepthBits = 16;
	bool FullScreen = false;
	bool StencilBuffer = false;
	bool VSync = false;
	// Multisample count asked of the driver; 0 is off.
	u8 AntiAlias = 0;
	// In full screen, the desktop's resolution instead of WindowSize.
	bool DesktopResolution = false;
	// Carried unchanged to the engine's driver.
	bool WithAlphaChannel = false;
	bool Doublebuffer = true;
	bool IgnoreInput = false;
	bool Stereobuffer = false;
	// The driver keeps the processor's floating-point precision.
	bool HighPrecisionFpu = false;
	// An existing window to draw into; null for none.
	void* WindowHandle = nullptr;
	core::stringc EngineVersion = DEVICE_ENGINE_VERSION;
};
} // namespace fw
