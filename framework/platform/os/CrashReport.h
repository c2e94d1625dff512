#pragma once

#include "core/CoreTypes.h"

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

// The file the report of a crash at that time would have: for the tests.
core::stringc getCrashReportPath(s64 time);
} // namespace os
} // namespace fw
