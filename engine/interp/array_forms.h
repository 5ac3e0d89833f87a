// Where the interpreter moves a variable's array between its two forms
// (value/arrays.h). A module reads and writes its variables in place, at
// any time: they always hold the public form. Every other variable may
// hold a vector; the script's globals go back to the public form when a
// run ends (publishGlobals), for the host.
#pragma once

#include "interp/nodes.h"
#include "value/arrays.h"

namespace pelorn::interp {

// Turns a chain the variable holds into a vector, so that the reads that
// follow cost one step. A module's variable, or an array with a module's
// hooks, stays as it is (as does one that memory does not allow).
inline void holdAsVector(const VariableExpr &variable, ScriptValue &stored)
{
    if (stored.type == PELORN_ARRAY && !value::arrays::isVector(stored) &&
        variable.storage != VariableStorage::External)
        value::arrays::own(stored);
}

// publishIfExternal for a module's variable.
bool publishExternal(ScriptValue &stored);

// After a write to the variable: a module's variable gets the public form
// back. False (after the message) when memory ran out: the variable is
// then emptied rather than left in a form its module cannot read.
inline bool publishIfExternal(const VariableExpr &variable, ScriptValue &stored)
{
    if (stored.type == PELORN_ARRAY && variable.storage == VariableStorage::External) [[unlikely]]
        return publishExternal(stored);
    return true;
}

// After a call wrote its arguments back: the module variables among them
// get the public form back.
void publishModuleArguments(const RunContext &run, const Arguments &arguments);

// Puts every global of the script's symbol list in the public form.
void publishGlobals(SymbolEntry *symbols);

} // namespace pelorn::interp
