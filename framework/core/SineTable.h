#pragma once

#include "core/CoreTypes.h"

#include <vector2d.h>

namespace fw
{
// Sines of whole degrees, read from a table of 360 entries (entry k = sin k°). Rotations,
// ellipses and sways that step in whole degrees use it in place of the trigonometric functions,
// so they give the same figures everywhere.
f32 sinDegrees(s32 degrees);
// The cosine of whole degrees, read as the sine of degrees + 90.
f32 cosDegrees(s32 degrees);
// Rotates the vector in place: x' = x cos a - y sin a, y' = x sin a + y cos a. Angles wrap into
// 0 to 359 (-10 turns like 350); on the screen, with y growing downwards, a positive angle turns
// clockwise.
void rotateVector2dByDegrees(core::vector2df& vector, s32 degrees);
// The heading of the vector in degrees on screen axes, in [0, 360): 0 along +x, 90 up the screen
// (-y), 180 along -x, 270 down; continuous between. The zero vector heads 0.
f32 getVector2dAngleDegrees(const core::vector2df& vector);
} // namespace fw
