// Library load and unload, in the order the engine's state needs them.
#include "builtins/registry.h"
#include "builtins/startup.h"
#include "card/registry.h"

namespace {

__attribute__((constructor)) void loadEngine()
{
    pelorn::builtins::registerBuiltins();
    pelorn::builtins::initializeCrypto();
    pelorn::builtins::initializeClock();
}

__attribute__((destructor)) void unloadEngine()
{
    pelorn::builtins::releaseBuiltins();
    pelorn::card::releaseRegistry();
}

} // namespace
