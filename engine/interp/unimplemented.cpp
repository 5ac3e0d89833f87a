// Placeholders for node kinds whose evaluation is not written yet. A real
// definition elsewhere replaces its placeholder at link time; delete a line
// here once its kind runs, and this file once all do.
#include "api/channels.h"
#include "front/symbols.h"
#include "interp/script.h"

namespace pelorn::interp {

namespace {
Completion notYet(const Statement *s)
{
    api::WriteMessage("%s(%d) : not implemented yet", s->source != nullptr ? s->source->path.c_str() : "", s->line);
    return Completion::Failed;
}
Completion notYet(const Expression *e)
{
    api::WriteMessage("%s(%d) : not implemented yet", e->source != nullptr ? e->source->path.c_str() : "", e->line);
    return Completion::Failed;
}
} // namespace

#define PELORN_PLACEHOLDER_STATEMENT(kind) \
    __attribute__((weak)) Completion kind::execute(RunContext &) { return notYet(this); }
#define PELORN_PLACEHOLDER_EXPRESSION(kind) \
    __attribute__((weak)) Completion kind::evaluate(RunContext &, ScriptValue *) { return notYet(this); }

PELORN_PLACEHOLDER_STATEMENT(BlockStatement)
PELORN_PLACEHOLDER_STATEMENT(AssignStatement)
PELORN_PLACEHOLDER_STATEMENT(CompoundAssignStatement)
PELORN_PLACEHOLDER_STATEMENT(IncrementStatement)
PELORN_PLACEHOLDER_STATEMENT(ElementAssignStatement)
PELORN_PLACEHOLDER_STATEMENT(ElementCompoundAssignStatement)
PELORN_PLACEHOLDER_STATEMENT(PropertyAssignStatement)
PELORN_PLACEHOLDER_STATEMENT(ProcedureCallStatement)
PELORN_PLACEHOLDER_STATEMENT(BuiltinProcedureCallStatement)
PELORN_PLACEHOLDER_STATEMENT(IfStatement)
PELORN_PLACEHOLDER_STATEMENT(WhileStatement)
PELORN_PLACEHOLDER_STATEMENT(ForStatement)
PELORN_PLACEHOLDER_STATEMENT(TryStatement)
PELORN_PLACEHOLDER_STATEMENT(BreakStatement)
PELORN_PLACEHOLDER_STATEMENT(ReturnStatement)
PELORN_PLACEHOLDER_STATEMENT(ThrowStatement)
PELORN_PLACEHOLDER_EXPRESSION(VariableExpr)
PELORN_PLACEHOLDER_EXPRESSION(LiteralExpr)
PELORN_PLACEHOLDER_EXPRESSION(ArrayLiteralExpr)
PELORN_PLACEHOLDER_EXPRESSION(SubArrayExpr)
PELORN_PLACEHOLDER_EXPRESSION(IndexExpr)
PELORN_PLACEHOLDER_EXPRESSION(PropertyExpr)
PELORN_PLACEHOLDER_EXPRESSION(FunctionCallExpr)
PELORN_PLACEHOLDER_EXPRESSION(BuiltinFunctionCallExpr)
PELORN_PLACEHOLDER_EXPRESSION(ArithmeticExpr)
PELORN_PLACEHOLDER_EXPRESSION(NegateExpr)
PELORN_PLACEHOLDER_EXPRESSION(TypeofExpr)
PELORN_PLACEHOLDER_EXPRESSION(ConditionExpr)

__attribute__((weak)) RoutineDefinition::~RoutineDefinition()
{
    delete body;
    front::releaseSymbolList(symbols);
}

__attribute__((weak)) uint8_t runScript(::ScriptObject *object)
{
    Script *script = Script::fromObject(object);
    setRunningScript(script);
    RunContext run{};
    run.script = script;
    return script->mainBlock->execute(run) == Completion::Normal ? 1 : 0;
}

} // namespace pelorn::interp
