// Name binding and name checks of the rule actions.
#include "front/tree_builder.h"

#include "front/messages.h"

#include <algorithm>

namespace pelorn::front::build {

namespace {

uint32_t depthOf(const std::unordered_map<const void *, uint32_t> &depths, const void *node)
{
    auto found = depths.find(node);
    return found != depths.end() ? found->second : 1;
}

} // namespace

void noteDepth(const void *node, std::initializer_list<const void *> children, const ExpressionList *more)
{
    auto &depths = compilation().depths;
    uint32_t deepest = 0;
    for (const void *child : children)
        if (child != nullptr)
            deepest = std::max(deepest, depthOf(depths, child));
    if (more != nullptr)
        for (const interp::Expression *child : *more)
            deepest = std::max(deepest, depthOf(depths, child));
    if (deepest == 0)
        return;
    if (deepest >= kMaxTreeDepth)
        raiseCompileError(messages::kTooDeep);
    depths[node] = deepest + 1;
}

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
