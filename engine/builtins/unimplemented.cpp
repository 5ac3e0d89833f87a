// Placeholders for built-ins not written yet: each answers "bad arguments".
// A real definition elsewhere replaces its placeholder at link time; delete
// a line here once its routine exists, and this file once all do.
#include "builtins/catalogue.h"
#include "builtins/startup.h"

namespace pelorn::builtins {

#define PELORN_PLACEHOLDER_FUNCTION(name)                                                                          \
    __attribute__((weak)) int32_t name(uint32_t, ArgumentSlot *, ScriptValue *) { return PELORN_BAD_ARGUMENTS; }
#define PELORN_PLACEHOLDER_PROCEDURE(name)                                                                         \
    __attribute__((weak)) int32_t name(uint32_t, ArgumentSlot *) { return PELORN_BAD_ARGUMENTS; }
PELORN_BUILTIN_FUNCTIONS(PELORN_PLACEHOLDER_FUNCTION)
PELORN_BUILTIN_PROCEDURES(PELORN_PLACEHOLDER_PROCEDURE)

__attribute__((weak)) void initializeCrypto() {}
__attribute__((weak)) void initializeClock() {}

} // namespace pelorn::builtins
