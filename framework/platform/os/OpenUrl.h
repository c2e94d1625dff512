#pragma once

#include "core/CoreTypes.h"

namespace fw
{
namespace os
{
// Hands the link to the desktop's opener (xdg-open, found on PATH) as one argument, never through
// a shell, and does not wait for it. True when the opener started; false for an empty link, one
// that would read as an option (leading '-'), or when the opener cannot be started.
bool openUrl(const c8* url);
} // namespace os
} // namespace fw
