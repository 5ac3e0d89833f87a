// A call finds its script routine by name at its first run and keeps it.
// When more text compiled into the script (a session's next input)
// declares routines, a name may now reach another routine: every call of
// the script looks again at its next run.
#pragma once

#include "interp/script.h"

namespace pelorn::interp {

void forgetResolvedRoutines(Script &script);

} // namespace pelorn::interp
