// Rule actions of the declarations part and of the top level: constants,
// modules, routine definitions and their parameters.
#include "front/actions.h"

#include "front/messages.h"
#include "front/modules.h"
#include "front/tree_builder.h"

namespace pelorn::front::actions {

using namespace build;

void declarationsDone()
{
    compilation().symbols.joinConstantsToScope();
}

void appendTopLevel(Statement *statement)
{
    Compilation &c = compilation();
    c.script->mainBlock->append(statement);
    taken(statement);
    c.symbols.closeSimpleStatement();
}

void declareConstant(char *name, Expression *value)
{
    Compilation &c = compilation();
    c.pending->reserveOne();
    interp::VariableExpr *target = c.symbols.declareConstant(name);
    if (target == nullptr)
        raiseCompileError(messages::kConstantRedeclared);
    c.pending->add(PendingKind::Expression, target);
    dropText(name);
    // Straight into the main block: constants are assigned, in the order
    // declared, before the first top-level statement runs.
    auto *assignment = node<interp::AssignStatement>({target, value}, target, value, true);
    c.script->mainBlock->append(assignment);
    taken(assignment);
}

void useModule(char *text)
{
    front::useModule(text);
    dropText(text);
}

void defineRoutine(bool function, char *name, ParameterList *parameters, BlockStatement *body)
{
    Compilation &c = compilation();
    auto count = static_cast<uint32_t>(parameters != nullptr ? parameters->size() : 0);
    // Parameters, then the body's own variables: the routine's symbols.
    SymbolEntry *symbols = c.symbols.takeRoutineSymbols();
    interp::RoutineDefinition *routine = nullptr;
    try {
        routine = new interp::RoutineDefinition(name, function, count, body, symbols);
    } catch (...) {
        releaseSymbolList(symbols);
        throw;
    }
    taken(body);
    interp::RoutineDefinition *&list = function ? c.functions : c.procedures;
    routine->next = list;
    list = routine;
    // The parameters' entries live on in the routine; their expressions go.
    if (parameters != nullptr) {
        taken(parameters);
        for (interp::VariableExpr *parameter : *parameters)
            delete parameter;
        delete parameters;
    }
    dropText(name);
}

namespace {

ParameterList *declareParameter(ParameterList *list, IdentifierToken name)
{
    Compilation &c = compilation();
    // Known when scanned: a variable or an earlier parameter of this list.
    if (name.entry != nullptr)
        raiseCompileErrorf(kCheckLimit, messages::kParameterNameUsed, name.name);
    c.pending->reserveOne();
    interp::VariableExpr *parameter = c.symbols.declareParameter(name.name);
    if (parameter == nullptr)
        raiseCompileError(messages::kParameterDeclarationFailed);
    c.pending->add(PendingKind::Expression, parameter);
    dropText(name.name);
    if (list == nullptr) {
        c.pending->reserveOne();
        list = new ParameterList();
        c.pending->add(PendingKind::ParameterList, list);
    }
    list->push_back(parameter);
    taken(parameter);
    return list;
}

} // namespace

ParameterList *firstParameter(IdentifierToken name)
{
    return declareParameter(nullptr, name);
}

ParameterList *nextParameter(ParameterList *list, IdentifierToken name)
{
    return declareParameter(list, name);
}

} // namespace pelorn::front::actions
