// Fuzz target: arbitrary bytes compiled as a script file.
#include "fuzz_support.h"

#include "pelorn.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    pelorn::fuzz::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    int32_t status = 0;
    ScriptObject *script = ParseScript(pelorn::fuzz::writeScript(data, size), &status);
    if (script != nullptr)
        FreeScript(script);
    pelorn::fuzz::cleanUp();
    return 0;
}
