// SymbolEntry records: their names, and the release of an engine-owned list.
#pragma once

#include "pelorn.h"

namespace pelorn::value {

// The entry's name: a routine's second name field, anything else's first.
const char *entryName(const SymbolEntry &entry);
// Name comparison: exact for variables, without regard to case otherwise.
bool nameMatches(const SymbolEntry &entry, const char *name);
// Frees an engine-owned list: names, variable values, entries.
void releaseSymbolList(SymbolEntry *head);

} // namespace pelorn::value
