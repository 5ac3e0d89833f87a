// How many arguments each built-in routine accepts. A call with a count
// outside these is refused by the routine's own check whatever the values
// (it answers bad arguments), so the static check can say so before the
// script runs. The unit test BuiltinArgumentCounts calls every built-in
// with every count to prove the table against the routines.
#pragma once

#include <cstdint>

namespace pelorn::builtins {

// Print and Println take any number of arguments from one on.
constexpr uint32_t kNoMostCount = UINT32_MAX;

struct ArgumentCounts {
    uint32_t least;
    uint32_t most; // kNoMostCount: no upper bound

    bool accepts(uint32_t count) const { return count >= least && count <= most; }
};

// The counts of the built-in routine of that name (letter case does not
// matter, as for calls); null when no built-in has the name.
const ArgumentCounts *argumentCountsOf(const char *name);

} // namespace pelorn::builtins
