// Rule actions of the assignment forms.
#include "front/actions.h"

#include "front/messages.h"
#include "front/tree_builder.h"

namespace pelorn::front::actions {

using namespace build;

namespace {

const char *operatorText(interp::CompoundOperator op)
{
    switch (op) {
    case interp::CompoundOperator::Add:
        return "+=";
    case interp::CompoundOperator::Subtract:
        return "-=";
    case interp::CompoundOperator::Multiply:
        return "*=";
    case interp::CompoundOperator::Divide:
        return "/=";
    case interp::CompoundOperator::Modulo:
        break;
    }
    return "%=";
}

} // namespace

Statement *assign(IdentifierToken name, Expression *value)
{
    interp::VariableExpr *target = bind(name);
    auto *statement = node<interp::AssignStatement>({target, value}, target, value, false);
    dropText(name.name);
    return statement;
}

Statement *compoundAssign(IdentifierToken name, interp::CompoundOperator op, Expression *value)
{
    requireKnown(name, kCheckLimit, messages::kCompoundUndeclared, operatorText(op));
    interp::VariableExpr *target = bind(name);
    auto *statement = node<interp::CompoundAssignStatement>({target, value}, target, value, op);
    dropText(name.name);
    return statement;
}

Statement *elementCompoundAssign(IdentifierToken name, ExpressionList *indexes, interp::CompoundOperator op,
                                 Expression *value)
{
    requireKnown(name, kCheckLimit, messages::kElementUndeclared);
    interp::VariableExpr *target = bind(name);
    auto *statement = node<interp::ElementCompoundAssignStatement>({target, value}, target,
                                                                   expressions(indexes), value, op);
    dropList(indexes);
    dropText(name.name);
    return statement;
}

Statement *elementAssign(IdentifierToken name, ExpressionList *indexes, Expression *value)
{
    requireKnown(name, kCheckLimit, messages::kElementUndeclared);
    interp::VariableExpr *target = bind(name);
    auto *statement =
        node<interp::ElementAssignStatement>({target, value}, target, expressions(indexes), value);
    dropList(indexes);
    dropText(name.name);
    return statement;
}

Statement *memberAssign(IdentifierToken name, char *member, Expression *value)
{
    requireKnown(name, kCheckLimit, messages::kMemberUndeclared);
    interp::VariableExpr *target = bind(name);
    auto *statement = node<interp::PropertyAssignStatement>({target, value}, target, value, member);
    dropText(member);
    dropText(name.name);
    return statement;
}

void memberOfElementAssign()
{
    raiseCompileError(messages::kMemberOfElement);
}

void constantAssign()
{
    raiseCompileError(messages::kConstantAssigned);
}

} // namespace pelorn::front::actions
