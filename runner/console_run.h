// What both commands need to run a script the same way: engine messages on
// standard error after the script's output, and a thread with a stack deep
// enough for deeply recursive scripts.
#pragma once

#include "pelorn.h"

#include <cstdint>

namespace pelorn::runner {

// The message callback: standard output is flushed first, so that a log
// holding both streams keeps their order; a line feed is added when the
// message has none.
int32_t showMessage(const char *text);

// Runs the script once; a failed run ends standard output with a blank
// line and "Script1 execution failed.". True when the run succeeded.
bool runReportingFailure(ScriptObject *script);

// Runs body(argument) to its end on a thread with a 2 GiB stack, or on the
// calling thread when no such thread can be had (the engine's own depth
// check still holds there).
void runOnLargeStack(void *(*body)(void *), void *argument);

} // namespace pelorn::runner
