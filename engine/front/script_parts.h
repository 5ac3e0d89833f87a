// More text compiled into a script that is compiled already: the next
// input of a session (ParseScriptPart). The part sees the script's global
// variables, constants, routines and modules; what it declares and the
// globals it makes join them; its top-level statements are added to the
// main block, for runScriptPart to run.
#pragma once

#include "interp/script.h"

#include <cstddef>
#include <cstdint>

namespace pelorn::front {

// PELORN_PARSED; PELORN_COMPILE_ERROR (the message delivered, the script as
// it was); PELORN_INCOMPLETE (nothing delivered, the script as it was: the
// text ends where more text could complete it). The text is read like a
// main file named `name`, its lines numbered from firstLine; relative
// paths start from directory (the current directory when null).
int32_t parseScriptPart(interp::Script *script, const char *text, size_t length, const char *name,
                        const char *directory, int32_t firstLine);

} // namespace pelorn::front
