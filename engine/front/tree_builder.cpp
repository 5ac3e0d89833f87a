// Name binding and name checks of the rule actions.
#include "front/tree_builder.h"

namespace pelorn::front::build {

interp::VariableExpr *bind(IdentifierToken name)
{
    Compilation &c = compilation();
    c.pending->reserveOne();
    interp::VariableExpr *variable = name.entry != nullptr ? c.symbols.makeVariableExpr(name.entry)
                                                           : c.symbols.resolveVariable(name.name);
    c.pending->add(PendingKind::Expression, variable);
    return variable;
}

void requireKnown(const IdentifierToken &name, size_t limit, const char *format, const char *extra)
{
    if (name.entry == nullptr)
        raiseCompileErrorf(limit, format, name.name, extra);
}

} // namespace pelorn::front::build
