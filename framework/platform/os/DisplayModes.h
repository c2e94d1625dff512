#pragma once

#include "core/CoreTypes.h"

#include <dimension2d.h>

namespace fw
{
namespace os
{
// A mode the screen can take: its size in pixels and the bits per pixel of its root window.
struct SDisplayMode
{
	core::dimension2d<s32> Size;
	s32 Depth = 0;
};

// The display modes and gamma ramps of an X screen, through RandR, on a connection of their own
// that is used for nothing else: after a crash the crash report puts the desktop's mode and ramps
// back by writing requests made in advance to it (a write is all a signal handler may do), so
// that the program never leaves the desktop in its full-screen mode.
//
// Each call names the display of the window it is for (as Xlib names it; null for $DISPLAY).
// One display at a time has the connection: asking for another first puts back the mode and ramps
// changed on the last one. A forked child never uses or undoes its parent's.

// Every size the screen offers at its depth, and the mode it has now (the desktop's own, while
// the program has switched it); false when there is no display or it has no RandR.
bool getDisplayModes(const char* displayName, core::array<SDisplayMode>& modes, SDisplayMode& current);

// Switches the screen to an offered mode of that size; the mode it had before the first switch
// is kept to be put back. False, after one log line, when the display has no such mode or
// refuses.
bool switchDisplayMode(const char* displayName, const core::dimension2d<s32>& size);

// Puts back the mode the screen had before the first switch; nothing when there was none.
void restoreDisplayMode(const char* displayName);
// Puts back the gamma ramps the screen had before the first change; nothing when there was none.
// Both run at exit too.
void restoreGammaRamps(const char* displayName);

// Entries of each of the three gamma ramps of the screen's outputs; 0 when the display has none.
u32 getGammaRampSize(const char* displayName);

// The ramps (size entries each) for every output of the screen; false, after one log line, when
// the display has no gamma ramps or refuses them.
bool setGammaRamps(const char* displayName, const u16* red, const u16* green, const u16* blue, u32 size);

// The ramps of the first output that has any; false when there are none.
bool getGammaRamps(const char* displayName, u16* red, u16* green, u16* blue, u32 size);
} // namespace os
} // namespace fw
