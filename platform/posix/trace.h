// A trace of the spooler calls, for looking into a run after the fact: with WINSHIM_TRACE set to
// a file, each call appends one line, FUNCTION TAB ARGUMENT... TAB "->" TAB RESULT, where RESULT
// is "ok" or the last error code. The order of deletions, say, shows nowhere else.
#ifndef FOLVANE_PLATFORM_POSIX_TRACE_H
#define FOLVANE_PLATFORM_POSIX_TRACE_H

#include <string>
#include <vector>

#include "platform/platform.h"

// Appends the line for a call that returned result (the last error is read for a failure) and
// passes result through, so that a function can end with `return Traced(...)`.
BOOL Traced(const char* function, const std::vector<std::string>& arguments, BOOL result);

// A string argument as the trace shows it: NULL as "(null)".
std::string TraceArgument(const char* text);

#endif
