// The settings of the script on this thread.
#include "builtins/run_settings.h"

namespace pelorn::builtins {

namespace {

thread_local RunSettings *current = nullptr;

} // namespace

RunSettings *runSettings() { return current; }

void setRunSettings(RunSettings *settings) { current = settings; }

} // namespace pelorn::builtins
