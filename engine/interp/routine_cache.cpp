// Clearing the routines that call nodes resolved.
#include "interp/routine_cache.h"

#include "interp/tree_walk.h"

namespace pelorn::interp {

namespace {

// Procedure calls are statements: the blocks of compound statements hold
// them; the expressions' walk reaches the function calls.
void forgetInStatements(Statement *s)
{
    if (s == nullptr)
        return;
    switch (s->kind) {
    case StatementKind::Block:
        for (Statement *inner : static_cast<BlockStatement *>(s)->statements)
            forgetInStatements(inner);
        return;
    case StatementKind::ProcedureCall:
        static_cast<ProcedureCallStatement *>(s)->resolved = nullptr;
        return;
    case StatementKind::If:
        forgetInStatements(static_cast<IfStatement *>(s)->thenBlock);
        forgetInStatements(static_cast<IfStatement *>(s)->elseBlock);
        return;
    case StatementKind::While:
        forgetInStatements(static_cast<WhileStatement *>(s)->body);
        return;
    case StatementKind::For:
        forgetInStatements(static_cast<ForStatement *>(s)->body);
        return;
    case StatementKind::Try:
        forgetInStatements(static_cast<TryStatement *>(s)->tryBlock);
        forgetInStatements(static_cast<TryStatement *>(s)->catchBlock);
        return;
    default:
        return;
    }
}

void forgetIn(Statement *s)
{
    forgetInStatements(s);
    forEachExpression(s, [](Expression &e) {
        if (e.kind == ExpressionKind::FunctionCall)
            static_cast<FunctionCallExpr &>(e).resolved = nullptr;
    });
}

} // namespace

void forgetResolvedRoutines(Script &script)
{
    forgetIn(script.mainBlock);
    for (RoutineDefinition *r = script.procedures; r != nullptr; r = r->next)
        forgetIn(r->body);
    for (RoutineDefinition *r = script.functions; r != nullptr; r = r->next)
        forgetIn(r->body);
}

} // namespace pelorn::interp
