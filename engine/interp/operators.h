// Operator evaluation shared between the operator nodes and the statements
// that take short cuts around them.
#pragma once

#include "interp/nodes.h"

namespace pelorn::interp {

// Applies the node's arithmetic operator to two evaluated operands (steps
// after their evaluation: the type checks, then the operation). Both
// operands are consumed; on success the result is filled.
Completion combine(const ArithmeticExpr &node, ScriptValue &left, ScriptValue &right, ScriptValue *result);

// The string order of the comparison operators: -1, 0 or 1 as left orders
// before, equal to or after right. Bytes are signed.
int compareStrings(const ScriptValue &left, const ScriptValue &right);

} // namespace pelorn::interp
