// The analyses of the static check, each over the whole outline.
#pragma once

#include "check/findings.h"
#include "check/outline.h"

namespace pelorn::check {

// Calls of routines nothing defines; wrong argument counts for script
// routines and for built-ins.
void checkCalls(const Outline &outline, Findings &findings);
// Assignments to constants and read-only variables.
void checkAssignments(const Outline &outline, Findings &findings);
// Statements after exit or return in the same block.
void checkReachability(const Outline &outline, Findings &findings);
// Variables read where no path has assigned them yet.
void checkUnassignedReads(const Outline &outline, Findings &findings);

} // namespace pelorn::check
