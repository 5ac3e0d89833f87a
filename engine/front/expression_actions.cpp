// Rule actions of expressions, literals and expression lists.
#include "front/actions.h"

#include "front/messages.h"
#include "front/modules.h"
#include "front/tree_builder.h"
#include "value/value.h"

#include <cstring>

namespace pelorn::front::actions {

using namespace build;

namespace {

// A payload the literal adopts stays on the pending list until the literal
// exists, so a failed construction frees it once.
Expression *literal(ScriptValue value)
{
    return node<interp::LiteralExpr>({}, value);
}

} // namespace

Expression *subArray(Expression *source, Expression *low, Expression *high)
{
    return node<interp::SubArrayExpr>({source, low, high}, source, low, high);
}

Expression *typeLiteral(int32_t typeCode)
{
    return literal(value::makeInteger(typeCode));
}

Expression *typeOf(Expression *operand)
{
    return node<interp::TypeofExpr>({operand}, operand);
}

ExpressionList *listOf(Expression *first)
{
    PendingList &p = pending();
    p.reserveOne();
    auto *list = new ExpressionList{first};
    taken(first);
    p.add(PendingKind::ExpressionList, list);
    return list;
}

ExpressionList *listAppend(ExpressionList *list, Expression *next)
{
    list->push_back(next);
    taken(next);
    return list;
}

ExpressionList *byValue(Expression *argument)
{
    // The callee's result is not written back into a BYVAL argument.
    if (argument->kind == interp::ExpressionKind::Variable)
        static_cast<interp::VariableExpr *>(argument)->byValue = true;
    return listOf(argument);
}

ExpressionList *joinLists(ExpressionList *first, ExpressionList *second)
{
    first->insert(first->end(), second->begin(), second->end());
    taken(second);
    delete second;
    return first;
}

Expression *index(Expression *source, Expression *position)
{
    return node<interp::IndexExpr>({source, position}, source, position);
}

Expression *name(IdentifierToken name)
{
    Expression *variable = bind(name);
    dropText(name.name);
    return variable;
}

Expression *member(Expression *source, char *member)
{
    Expression *property = node<interp::PropertyExpr>({source}, source, member);
    dropText(member);
    return property;
}

Expression *arrayLiteral(ExpressionList *elements)
{
    Expression *array = node<interp::ArrayLiteralExpr>({}, expressions(elements));
    if (elements != nullptr)
        noteDepth(array, {}, elements);
    dropList(elements);
    return array;
}

Expression *functionCall(IdentifierToken name, ExpressionList *arguments)
{
    if (name.entry != nullptr)
        raiseCompileErrorf(kCheckLimit, messages::kVariableNotFunction, name.name);
    // Which function runs is found at the first call.
    Expression *call =
        node<interp::FunctionCallExpr>({}, compilation().script, name.name, expressions(arguments));
    if (arguments != nullptr)
        noteDepth(call, {}, arguments);
    dropList(arguments);
    dropText(name.name);
    return call;
}

Expression *builtinFunctionCall(SymbolEntry *routine, ExpressionList *arguments)
{
    auto *call = node<interp::BuiltinFunctionCallExpr>({}, reinterpret_cast<FunctionEntry>(routine->c.entry),
                                                       entryName(*routine), expressions(arguments));
    call->fromModule = isModuleEntry(routine);
    if (arguments != nullptr)
        noteDepth(call, {}, arguments);
    dropList(arguments);
    return call;
}

Expression *arithmetic(interp::ArithmeticOperator op, Expression *left, Expression *right)
{
    return node<interp::ArithmeticExpr>({left, right}, op, left, right);
}

Expression *negate(Expression *operand)
{
    return node<interp::NegateExpr>({operand}, operand);
}

Expression *condition(interp::ConditionOperator op, Expression *left, Expression *right)
{
    return node<interp::ConditionExpr>({left, right}, left, right, op);
}

Expression *integerLiteral(int64_t value)
{
    return literal(value::makeInteger(value));
}

Expression *stringLiteral(char *text)
{
    // The literal keeps the token's text.
    Expression *string = literal(value::adoptString(text, static_cast<uint32_t>(std::strlen(text))));
    taken(text);
    return string;
}

Expression *floatLiteral(double value)
{
    return literal(value::makeFloat(value));
}

Expression *booleanLiteral(uint8_t value)
{
    return literal(value::makeBoolean(value != 0));
}

Expression *bytesLiteral(BytesToken bytes)
{
    // The literal keeps the token's bytes.
    Expression *array = literal(value::adoptBytes(bytes.data, bytes.length));
    taken(bytes.data);
    return array;
}

Expression *constant(SymbolEntry *entry)
{
    PendingList &p = pending();
    p.reserveOne();
    Expression *variable = compilation().symbols.makeVariableExpr(entry);
    p.add(PendingKind::Expression, variable);
    return variable;
}

} // namespace pelorn::front::actions
