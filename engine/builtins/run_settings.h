// Settings of a compiled script that its run's built-ins read and change.
// The script object holds them; the built-ins reach them through the
// script running on this thread, without knowing the script object.
#pragma once

#include <cstdint>

namespace pelorn::builtins {

struct RunSettings {
    uint8_t apduVerbose = 0; // SetAPDUVerbose: trace connections and exchanges
};

// The settings of the script compiled or run on this thread, or null.
RunSettings *runSettings();
void setRunSettings(RunSettings *settings);

} // namespace pelorn::builtins
