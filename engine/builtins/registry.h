// The global built-in list: built-in routines and predefined variables,
// registered when the library is loaded.
#pragma once

#include "pelorn.h"

namespace pelorn::builtins {

void registerBuiltins();
void releaseBuiltins();

// Head of the global built-in list (searched before every other list).
SymbolEntry *globalList();

// The predefined variables the engine itself writes or reads.
struct Predefined {
    SymbolEntry *sw;        // __SW
    SymbolEntry *sw1;       // __SW1
    SymbolEntry *sw2;       // __SW2
    SymbolEntry *response;  // __Response
};
const Predefined &predefined();

} // namespace pelorn::builtins
