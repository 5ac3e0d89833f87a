// Argument tests that need the syntax tree.
#include "builtins/arguments.h"

#include "interp/nodes.h"

namespace pelorn::builtins {

bool isVariableReference(const ArgumentSlot &slot)
{
    return dynamic_cast<const interp::VariableExpr *>(static_cast<const interp::Expression *>(slot.expression)) !=
           nullptr;
}

} // namespace pelorn::builtins
