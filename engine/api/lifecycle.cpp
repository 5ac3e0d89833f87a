// Library load and unload, in the order the engine's state needs them.
#include "builtins/registry.h"
#include "builtins/startup.h"
#include "card/registry.h"

namespace {

// libcrypto is not prepared here: it initialises itself on its first use,
// so scripts that never hash or encrypt do not pay for it at start-up.
__attribute__((constructor)) void loadEngine()
{
    pelorn::builtins::registerBuiltins();
    pelorn::builtins::initializeClock();
}

__attribute__((destructor)) void unloadEngine()
{
    pelorn::builtins::releaseBuiltins();
    pelorn::card::releaseRegistry();
}

} // namespace
