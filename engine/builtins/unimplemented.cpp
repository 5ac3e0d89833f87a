// Placeholders for the card built-ins not written yet: each answers "bad
// arguments". A real definition elsewhere replaces its placeholder at link
// time; delete a line here once its routine exists, and this file once all do.
#include "builtins/catalogue.h"

namespace pelorn::builtins {

#define PELORN_PLACEHOLDER_FUNCTION(name)                                                                          \
    __attribute__((weak)) int32_t name(uint32_t, ArgumentSlot *, ScriptValue *) { return PELORN_BAD_ARGUMENTS; }
#define PELORN_PLACEHOLDER_PROCEDURE(name)                                                                         \
    __attribute__((weak)) int32_t name(uint32_t, ArgumentSlot *) { return PELORN_BAD_ARGUMENTS; }

PELORN_PLACEHOLDER_FUNCTION(GetReaders)
PELORN_PLACEHOLDER_FUNCTION(GetCurrentReader)
PELORN_PLACEHOLDER_FUNCTION(WaitForCard)
PELORN_PLACEHOLDER_FUNCTION(GetATR)
PELORN_PLACEHOLDER_FUNCTION(LockCard)
PELORN_PLACEHOLDER_FUNCTION(IsCardConnected)
PELORN_PLACEHOLDER_FUNCTION(IsCardPresent)
PELORN_PLACEHOLDER_FUNCTION(SendAPDU)
PELORN_PLACEHOLDER_PROCEDURE(PowerON)
PELORN_PLACEHOLDER_PROCEDURE(SetCurrentReader)
PELORN_PLACEHOLDER_PROCEDURE(PowerOFF)
PELORN_PLACEHOLDER_PROCEDURE(DisconnectCard)
PELORN_PLACEHOLDER_PROCEDURE(ResetCard)
PELORN_PLACEHOLDER_PROCEDURE(UnlockCard)

} // namespace pelorn::builtins
