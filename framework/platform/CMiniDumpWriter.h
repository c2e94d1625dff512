#pragma once

#include "core/CoreTypes.h"

namespace fw
{
// Writes a report of every crash of the process, on any thread, next to the program (see
// os::installCrashReport), and ends the process with a non-zero status.
class CMiniDumpWriter
{
public:
	// Once per process, at start-up; later calls do nothing. False, with a warning, when the
	// system refused the handler.
	static bool install();
};
} // namespace fw
