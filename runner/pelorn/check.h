// pelorn --check: the static check of scripts, nothing runs.
#pragma once

#include <string>
#include <vector>

namespace pelorn::command {

// Checks each script in turn: a compile error as the engine reports it,
// each finding as "FILE:LINE: warning: TEXT" or "FILE:LINE: note: TEXT"
// on standard error (FILE as given). The status: 0 nothing found, 1
// warnings only, 2 a script did not compile.
int checkScripts(const std::vector<std::string> &paths);

} // namespace pelorn::command
