#pragma once

#include "core/CoreTypes.h"

// The eight compass facings of movers and works, as interned state names, each interned once on
// first use.
fw::s32 nameIdRight();
fw::s32 nameIdRightUp();
fw::s32 nameIdUp();
fw::s32 nameIdLeftUp();
fw::s32 nameIdLeft();
fw::s32 nameIdLeftDown();
fw::s32 nameIdDown();
fw::s32 nameIdRightDown();

// The facing state name id of a motion (dx, dy) on the screen, where y grows downwards: sectors of
// 15 to 75 degrees around the diagonals, 30 degrees around the axes. A heading that rounds to a
// full turn faces "Right"; only a NaN component gives -1.
fw::s32 directionStateName(fw::f32 dx, fw::f32 dy);
