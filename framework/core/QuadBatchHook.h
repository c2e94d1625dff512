#pragma once

#include "core/CoreTypes.h"

#include <IVideoDriver.h>

namespace fw
{
// Draws the quads the video layer has batched so far for this driver and empties the batch.
typedef void (*QuadBatchFlushHook)(video::IVideoDriver* driver);

// The video layer installs its flush once; null removes it. Returns the previous hook.
QuadBatchFlushHook setQuadBatchFlushHook(QuadBatchFlushHook hook);
// Nothing happens until a hook is installed.
void flushQuadBatch(video::IVideoDriver* driver);
} // namespace fw
