// --each-reader: one run of the script per reader holding a card.
#pragma once

#include "options.h"

namespace pelorn::command {

// Starts one pelorn process per reader holding a card (the same command
// with --reader NAME), all at once, so that no two runs share the engine's
// process-wide state; relays every line they write, prefixed with
// "[reader name] ", to the same stream. The status is the highest of the
// runs (128 + N for a run ended by signal N).
int runOnEachReader(const Options &options);

} // namespace pelorn::command
