// pelorn -i: an interactive session on one script.
#pragma once

#include "options.h"

namespace pelorn::command {

// Runs the script given, if any, then reads what is typed: each complete
// input (a line, a block up to its end, a routine definition) compiles
// into the same script and runs at once. Errors are reported and the
// session goes on; Ctrl-C stops a run, or gives up the input being typed;
// Ctrl-D ends the session. The status: 0, or 2 when the script given
// does not compile or the --reader reader does not exist.
int runSession(const Options &options);

} // namespace pelorn::command
