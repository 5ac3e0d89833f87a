// Fuzz target: arbitrary bytes compiled and, when they compile, run with a
// bounded number of blocks (no card; files stay in the working folder).
#include "fuzz_support.h"

#include "api/unattended.h"
#include "pelorn.h"

namespace {

// Blocks one input may enter: enough for loops over a few thousand bytes,
// small enough that an endless loop costs a fraction of a second.
constexpr uint64_t kBlocksPerRun = 20000;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    pelorn::fuzz::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    int32_t status = 0;
    ScriptObject *script = ParseScript(pelorn::fuzz::writeScript(data, size), &status);
    if (script != nullptr) {
        pelorn::api::runBudget = kBlocksPerRun;
        script->run(script);
        FreeScript(script);
    }
    pelorn::fuzz::cleanUp();
    return 0;
}
