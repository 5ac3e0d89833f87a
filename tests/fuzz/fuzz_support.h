// What both fuzz targets share: a private working folder, silenced output,
// and the input written there as the main script file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pelorn::fuzz {

// Once per process: makes a fresh temporary folder for the script and the
// files it writes, and routes the engine's output away
// (PELORN_FUZZ_VERBOSE=1 keeps it).
void setUp();
// Writes the input as the main script, in the folder; gives its path.
const char *writeScript(const uint8_t *data, size_t size);
// Removes what a run left in the folder.
void cleanUp();

} // namespace pelorn::fuzz
