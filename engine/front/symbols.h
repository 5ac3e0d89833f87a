// Symbol lists and scoping: where every name of a script lives.
#pragma once

#include "pelorn.h"

#include <string>

namespace pelorn::interp {
class VariableExpr;
}

namespace pelorn::front {

// Name comparison: exact for variables, without regard to case otherwise.
bool nameMatches(const SymbolEntry &entry, const char *name);
const char *entryName(const SymbolEntry &entry);

// Searches the built-ins, the modules (newest first), then the scope,
// constant, parameter and new-variable lists of the compilation.
SymbolEntry *findSymbol(const char *name);

// Frees an engine-owned list: names, variable values, entries.
void releaseSymbolList(SymbolEntry *head);

} // namespace pelorn::front
