// Compiling a script file into a Script.
#pragma once

#include "interp/script.h"

#include <cstddef>
#include <cstdint>

namespace pelorn::front {

// ParseScript: null with status 1 (file not readable) or 2 (compile error).
interp::Script *parseScript(const char *path, int32_t *status);
// ParseScriptText: the text is read like a main file named `name`; relative
// paths start from directory (the current directory when null).
interp::Script *parseScriptText(const char *text, size_t length, const char *name, const char *directory,
                                int32_t *status);

// Debug mode: '#' no longer starts a comment. Read while compiling.
void setDebugMode(bool on);

// Releases a module list, unloading every library (FreeScript and failed
// compilations).
void releaseModules(ModuleRecord *modules);

// Releases what the pending-node list still holds, and the list.
void releasePending(PendingList *pending);

} // namespace pelorn::front
