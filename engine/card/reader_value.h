// The READER value: a script's counted reference to a registry entry.
#pragma once

#include "pelorn.h"

namespace pelorn::card {

// A reader value for the entry, taking a reference on it.
ScriptValue makeReaderValue(ReaderEntry *entry);

inline bool isReader(const ScriptValue &v) { return v.type == PELORN_READER && v.u.reader != nullptr; }

} // namespace pelorn::card
