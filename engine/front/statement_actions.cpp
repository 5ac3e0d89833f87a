// Rule actions of statements and blocks.
#include "front/actions.h"

#include "front/messages.h"
#include "front/modules.h"
#include "front/tree_builder.h"

namespace pelorn::front::actions {

using namespace build;

BlockStatement *firstStatement(Statement *statement)
{
    auto *block = node<BlockStatement>({});
    block->append(statement);
    taken(statement);
    return block;
}

BlockStatement *nextStatement(BlockStatement *block, Statement *statement)
{
    block->append(statement);
    taken(statement);
    return block;
}

Statement *simpleStatement(Statement *statement)
{
    forgetDepths();
    compilation().symbols.closeSimpleStatement();
    return statement;
}

Statement *compoundStatement(Statement *statement)
{
    forgetDepths();
    // The names first bound by this statement (a new for counter or catch
    // variable among them) become its own.
    statement->symbols = compilation().symbols.takeNewVariables();
    return statement;
}

Statement *builtinProcedureCall(SymbolEntry *routine, ExpressionList *arguments)
{
    auto *call = node<interp::BuiltinProcedureCallStatement>({},
                                                             reinterpret_cast<ProcedureEntry>(routine->c.entry),
                                                             entryName(*routine), expressions(arguments));
    call->fromModule = isModuleEntry(routine);
    dropList(arguments);
    return call;
}

Statement *procedureCall(IdentifierToken name, ExpressionList *arguments)
{
    if (name.entry != nullptr)
        raiseCompileErrorf(kCheckLimit, messages::kVariableNotProcedure, name.name);
    // Which procedure runs is found at the first call.
    auto *call = node<interp::ProcedureCallStatement>({}, name.name, expressions(arguments));
    dropList(arguments);
    dropText(name.name);
    return call;
}

Statement *increment(IdentifierToken name, bool up)
{
    requireKnown(name, kShortCheckLimit, up ? messages::kIncrementUndeclared : messages::kDecrementUndeclared);
    interp::VariableExpr *target = bind(name);
    auto *statement = node<interp::IncrementStatement>({target}, target, up);
    dropText(name.name);
    return statement;
}

Statement *breakStatement()
{
    return node<interp::BreakStatement>({});
}

Statement *returnStatement(Expression *value)
{
    return node<interp::ReturnStatement>({value}, value);
}

Statement *throwStatement(Expression *value)
{
    return node<interp::ThrowStatement>({value}, value);
}

Statement *tryStatement(BlockStatement *body, IdentifierToken name, BlockStatement *handler)
{
    interp::VariableExpr *variable = bind(name);
    auto *statement = node<interp::TryStatement>({variable, body, handler}, variable, body, handler);
    dropText(name.name);
    return statement;
}

Statement *forStatement(IdentifierToken counter, Expression *start, Expression *stop, Expression *step,
                        BlockStatement *body)
{
    interp::VariableExpr *variable = bind(counter);
    if (step == nullptr)
        step = integerLiteral(1);
    auto *statement =
        node<interp::ForStatement>({variable, start, stop, step, body}, variable, start, stop, step, body);
    dropText(counter.name);
    return statement;
}

Statement *whileStatement(Expression *condition, BlockStatement *body)
{
    return node<interp::WhileStatement>({condition, body}, condition, body);
}

Statement *ifStatement(Expression *condition, BlockStatement *thenBlock, BlockStatement *elseBlock)
{
    return node<interp::IfStatement>({condition, thenBlock, elseBlock}, condition, thenBlock, elseBlock);
}

} // namespace pelorn::front::actions
