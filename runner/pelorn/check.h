// pelorn --check: the static check of scripts, nothing runs.
#pragma once

#include "options.h"

namespace pelorn::command {

// Checks each script in turn: a compile error as the engine reports it,
// each finding as "FILE:LINE: warning: TEXT" or "FILE:LINE: note: TEXT"
// on standard error (FILE as given; -e and - for the others). Script
// output (a module's greeting as it loads) is dropped. The status: 0
// nothing found, 1 warnings only, 2 a script did not compile.
int checkScripts(const Options &options);

} // namespace pelorn::command
