#pragma once

// The timer base lives in the core, whose state items are timers too.
#include "core/CTimer.h"
