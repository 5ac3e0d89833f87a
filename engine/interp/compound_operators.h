// The compound operators (+= -= *= /= %=) applied in place to a variable's
// or an array element's stored value.
#pragma once

#include "interp/nodes.h"

namespace pelorn::interp {

const char *compoundName(CompoundOperator op);

// True when a right value of this type may be combined into the stored
// value: the same type, an integer into a byte array, anything into an
// array. A stored value without type never is.
bool compoundCompatible(const ScriptValue &stored, const ScriptValue &right);

// Applies op to stored with right (compatible, typed). Consumes right.
// keepsChain: stored lives where a module reads it in place (a module's
// variable, or inside its chain), so an item appended to a chain is
// linked there. False after a message at the value expression's position,
// naming the variable.
bool applyCompound(CompoundOperator op, ScriptValue &stored, ScriptValue &right, bool keepsChain,
                   const char *variable, const Expression *valueAt);

} // namespace pelorn::interp
