// String operands of concatenation: chains are linked, never copied.
#pragma once

#include "pelorn.h"

namespace pelorn::interp {

// Makes a string whose blocks a module frees its own way (a payload-free
// function or release hook) an ordinary engine string with the same text,
// so that its segments can be linked into engine chains.
void adoptAsEngineString(ScriptValue &s);

// Links right's chain behind left's (both strings); right is left empty.
void concatenate(ScriptValue &left, ScriptValue &right);

} // namespace pelorn::interp
