// One run of the script in this process.
#pragma once

#include "options.h"

namespace pelorn::command {

// Compiles the script, makes the --reader reader current, runs it on the
// large script stack and gives the exit status.
int runOnce(const Options &options);

// The text of -e as the compiler reads it: a line feed is added at its
// end when it has none.
std::string textScript(const std::string &text);

// The whole of standard input, for the script "-"; false (message
// written) when it cannot be read.
bool readStandardInput(std::string &script);

} // namespace pelorn::command
