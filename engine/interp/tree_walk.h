// Visiting every expression of a subtree, for decisions taken once the
// tree is built (which variables are a routine's own).
#pragma once

#include "interp/nodes.h"

#include <functional>

namespace pelorn::interp {

// Calls visit on every expression under the statement, nested ones included.
void forEachExpression(Statement *statement, const std::function<void(Expression &)> &visit);

// Calls visitStatement on every statement and visitExpression on every
// expression under the statement, the statement itself included.
void forEachNode(Statement *statement, const std::function<void(Statement &)> &visitStatement,
                 const std::function<void(Expression &)> &visitExpression);

template <typename Visit> void forEachVariable(Statement *statement, Visit visit)
{
    forEachExpression(statement, [&visit](Expression &e) {
        if (e.kind == ExpressionKind::Variable)
            visit(static_cast<VariableExpr &>(e));
    });
}

} // namespace pelorn::interp
