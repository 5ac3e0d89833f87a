// Load-time preparation of the built-in library.
#pragma once

namespace pelorn::builtins {

// Notes the process start for Clock and the counter for GetPerfCounter.
void initializeClock();

} // namespace pelorn::builtins
