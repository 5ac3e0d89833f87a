// The walk over a subtree: one case per node kind.
#include "interp/tree_walk.h"

namespace pelorn::interp {

namespace {

using Visit = std::function<void(Expression &)>;
using VisitStatement = std::function<void(Statement &)>;

void walk(Expression *e, const Visit &visit);

void walkRecords(const ValueRecords &records, const Visit &visit)
{
    for (const ValueRecord &r : records)
        walk(r.expression, visit);
}

void walkArguments(const Arguments &arguments, const Visit &visit)
{
    for (uint32_t i = 0; i < arguments.count; ++i)
        walk(arguments.expression(i), visit);
}

void walk(Expression *e, const Visit &visit)
{
    if (e == nullptr)
        return;
    visit(*e);
    switch (e->kind) {
    case ExpressionKind::Variable:
    case ExpressionKind::Literal:
        return;
    case ExpressionKind::ArrayLiteral:
        return walkRecords(static_cast<ArrayLiteralExpr *>(e)->elements, visit);
    case ExpressionKind::SubArray: {
        auto *s = static_cast<SubArrayExpr *>(e);
        walk(s->sourceExpression, visit);
        walk(s->low, visit);
        return walk(s->high, visit);
    }
    case ExpressionKind::Index: {
        auto *i = static_cast<IndexExpr *>(e);
        walk(i->sourceExpression, visit);
        return walk(i->index, visit);
    }
    case ExpressionKind::Property:
        return walk(static_cast<PropertyExpr *>(e)->sourceExpression, visit);
    case ExpressionKind::FunctionCall:
        return walkArguments(static_cast<FunctionCallExpr *>(e)->arguments, visit);
    case ExpressionKind::BuiltinFunctionCall:
        return walkArguments(static_cast<BuiltinFunctionCallExpr *>(e)->arguments, visit);
    case ExpressionKind::Arithmetic: {
        auto *a = static_cast<ArithmeticExpr *>(e);
        walk(a->left, visit);
        return walk(a->right, visit);
    }
    case ExpressionKind::Negate:
        return walk(static_cast<NegateExpr *>(e)->operand, visit);
    case ExpressionKind::Typeof:
        return walk(static_cast<TypeofExpr *>(e)->operand, visit);
    case ExpressionKind::Condition: {
        auto *c = static_cast<ConditionExpr *>(e);
        walk(c->left, visit);
        return walk(c->right, visit);
    }
    }
}

void walk(Statement *s, const Visit &visit, const VisitStatement *visitStatement = nullptr)
{
    if (s == nullptr)
        return;
    if (visitStatement != nullptr)
        (*visitStatement)(*s);
    switch (s->kind) {
    case StatementKind::Block:
        for (Statement *child : static_cast<BlockStatement *>(s)->statements)
            walk(child, visit, visitStatement);
        return;
    case StatementKind::Assign: {
        auto *a = static_cast<AssignStatement *>(s);
        walk(a->target, visit);
        return walk(a->value, visit);
    }
    case StatementKind::CompoundAssign: {
        auto *a = static_cast<CompoundAssignStatement *>(s);
        walk(a->target, visit);
        return walk(a->value, visit);
    }
    case StatementKind::Increment:
        return walk(static_cast<IncrementStatement *>(s)->target, visit);
    case StatementKind::ElementAssign: {
        auto *a = static_cast<ElementAssignStatement *>(s);
        walk(a->target, visit);
        walkRecords(a->indexes, visit);
        return walk(a->value, visit);
    }
    case StatementKind::ElementCompoundAssign: {
        auto *a = static_cast<ElementCompoundAssignStatement *>(s);
        walk(a->target, visit);
        walkRecords(a->indexes, visit);
        return walk(a->value, visit);
    }
    case StatementKind::PropertyAssign: {
        auto *a = static_cast<PropertyAssignStatement *>(s);
        walk(a->target, visit);
        return walk(a->value, visit);
    }
    case StatementKind::ProcedureCall:
        return walkArguments(static_cast<ProcedureCallStatement *>(s)->arguments, visit);
    case StatementKind::BuiltinProcedureCall:
        return walkArguments(static_cast<BuiltinProcedureCallStatement *>(s)->arguments, visit);
    case StatementKind::If: {
        auto *i = static_cast<IfStatement *>(s);
        walk(i->condition, visit);
        walk(i->thenBlock, visit, visitStatement);
        return walk(i->elseBlock, visit, visitStatement);
    }
    case StatementKind::While: {
        auto *w = static_cast<WhileStatement *>(s);
        walk(w->condition, visit);
        return walk(w->body, visit, visitStatement);
    }
    case StatementKind::For: {
        auto *f = static_cast<ForStatement *>(s);
        walk(f->counter, visit);
        walk(f->start, visit);
        walk(f->stop, visit);
        walk(f->step, visit);
        return walk(f->body, visit, visitStatement);
    }
    case StatementKind::Try: {
        auto *t = static_cast<TryStatement *>(s);
        walk(t->catchVariable, visit);
        walk(t->tryBlock, visit, visitStatement);
        return walk(t->catchBlock, visit, visitStatement);
    }
    case StatementKind::Break:
        return;
    case StatementKind::Return:
        return walk(static_cast<ReturnStatement *>(s)->value, visit);
    case StatementKind::Throw:
        return walk(static_cast<ThrowStatement *>(s)->value, visit);
    case StatementKind::Apdu: {
        auto *a = static_cast<ApduStatement *>(s);
        walk(a->previous, visit);
        return walk(a->part, visit);
    }
    }
}

} // namespace

void forEachExpression(Statement *statement, const std::function<void(Expression &)> &visit)
{
    walk(statement, visit);
}

void forEachNode(Statement *statement, const std::function<void(Statement &)> &visitStatement,
                 const std::function<void(Expression &)> &visitExpression)
{
    walk(statement, visitExpression, &visitStatement);
}

} // namespace pelorn::interp
