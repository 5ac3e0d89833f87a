// Guards for builds that run untrusted scripts unattended (the fuzz
// targets, built with PELORN_FUZZING): a bound on how much a run may do, so
// that an endless loop or recursion ends like any failed run, and file
// access kept below the current directory. Normal builds compile none of it.
#pragma once

#include <cstdint>

namespace pelorn::api {

#ifdef PELORN_FUZZING
// Blocks a run may still enter; the host sets it before each run.
extern thread_local uint64_t runBudget;
// False (and the run's message delivered) once the budget is spent.
bool chargeRunBudget();
// True for a path that may reach outside the current directory: absolute,
// or with a ".." part.
bool leavesSandbox(const char *path);
#endif

} // namespace pelorn::api
