#pragma once

#include "core/CoreTypes.h"

#include <cstddef>

namespace fw
{
namespace os
{
// Catches the signals of a crash (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, which an uncaught
// exception ends in) on a stack of its own, so a stack overflow is caught too, and writes a report
// next to the program: "<folder><program>.<seconds since 1970>.dmp" with the signal, the fault
// address, the back trace and the memory map. The process then ends with 128 + the signal,
// never 0. Returns false when the handler could not be installed.
bool installCrashReport();

// Bytes the crash handler writes to a descriptor after the report, before the process ends, and
// then waits (a second at most) for the one answer they ask for: X requests made in advance that
// put the desktop's display mode back, since nothing but plain writes and reads is safe in a
// signal handler. Bytes beyond the handler's buffer (64 KiB) are refused (false).
bool setCrashFarewell(int descriptor, const void* bytes, size_t size);
void clearCrashFarewell();

// The file the report of a crash at that time would have: for the tests.
core::stringc getCrashReportPath(s64 time);
} // namespace os
} // namespace fw
