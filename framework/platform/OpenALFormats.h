#pragma once

#include "core/CoreTypes.h"

namespace fw
{
// The OpenAL format of a sample format code; 0 when the implementation has none for it. The
// multichannel formats are asked of the implementation by name each time.
s32 getOpenALFormat(s32 sampleFormat);
} // namespace fw
