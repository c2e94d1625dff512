#pragma once

#include "core/CoreTypes.h"

#include <matrix4.h>

namespace fw
{
namespace video2d
{
// One identity matrix, made on first use and never changed: what drawing code resets the world
// transform with.
const core::matrix4& getIdentityMatrix();
} // namespace video2d
} // namespace fw
