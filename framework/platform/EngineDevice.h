#pragma once

// The engine's devices only carry drivers and image codecs for the framework: they open no window
// of their own and their log lines are swallowed, since the framework's logger is the one log.

#include "core/CoreTypes.h"

#include <IrrlichtDevice.h>
#include <SIrrCreationParameters.h>

namespace fw
{
// An engine device made from params with its logging silenced; count 1 for the caller, or null.
irr::IrrlichtDevice* createSilentEngineDevice(irr::SIrrlichtCreationParameters params);
} // namespace fw
