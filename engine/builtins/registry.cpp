// Registration of the built-in routines and the predefined variables.
#include "builtins/registry.h"

#include "builtins/catalogue.h"
#include "value/symbol_entries.h"
#include "value/value.h"

#include <cmath>

namespace pelorn::builtins {

namespace {

SymbolEntry *head = nullptr;
Predefined predefinedVariables{};

void pushFront(SymbolEntry *entry)
{
    entry->next = head;
    if (head != nullptr)
        head->previous = entry;
    head = entry;
}

void registerRoutine(const char *name, void *entry, int32_t routineKind)
{
    auto *e = static_cast<SymbolEntry *>(zalloc(sizeof(SymbolEntry)));
    e->kind = PELORN_SYM_ROUTINE;
    e->a.routineKind = routineKind;
    e->b.name = zstrdup(name);
    e->c.entry = entry;
    pushFront(e);
}

SymbolEntry *registerVariable(const char *name, ScriptValue value, bool constant)
{
    auto *e = static_cast<SymbolEntry *>(zalloc(sizeof(SymbolEntry)));
    e->kind = PELORN_SYM_VARIABLE;
    e->a.name = zstrdup(name);
    e->c.value = value;
    e->isConstant = constant ? 1 : 0;
    e->isReadOnly = 1;
    pushFront(e);
    return e;
}

} // namespace

void registerBuiltins()
{
#define PELORN_REGISTER_FUNCTION(name) registerRoutine(#name, reinterpret_cast<void *>(&name), PELORN_FUNCTION);
#define PELORN_REGISTER_PROCEDURE(name) registerRoutine(#name, reinterpret_cast<void *>(&name), PELORN_PROCEDURE);
    PELORN_BUILTIN_FUNCTIONS(PELORN_REGISTER_FUNCTION)
    PELORN_BUILTIN_PROCEDURES(PELORN_REGISTER_PROCEDURE)
#undef PELORN_REGISTER_FUNCTION
#undef PELORN_REGISTER_PROCEDURE

    using namespace value;
    registerVariable("Pi", makeFloat(3.141592653589793), true);
    registerVariable("E", makeFloat(std::exp(1.0)), true);
    registerVariable("PROTOCOL_T0", makeInteger(1), true);
    registerVariable("PROTOCOL_T1", makeInteger(2), true);
    registerVariable("Err", makeInteger(0), false);
    predefinedVariables.sw = registerVariable("__SW", makeInteger(0), false);
    predefinedVariables.sw1 = registerVariable("__SW1", makeInteger(0), false);
    predefinedVariables.sw2 = registerVariable("__SW2", makeInteger(0), false);
    predefinedVariables.response = registerVariable("__Response", adoptBytes(nullptr, 0), false);
    registerVariable("CLOCKS_PER_SEC", makeInteger(1000), false);
}

void releaseBuiltins()
{
    value::releaseSymbolList(head);
    head = nullptr;
    predefinedVariables = Predefined{};
}

SymbolEntry *globalList() { return head; }

const Predefined &predefined() { return predefinedVariables; }

} // namespace pelorn::builtins
