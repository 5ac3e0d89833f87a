// The crossings of a variable's array into the public form.
#include "interp/array_forms.h"

#include "interp/fast_values.h"

namespace pelorn::interp {

bool publishExternal(ScriptValue &stored)
{
    if (value::arrays::publish(stored))
        return true;
    drop(stored);
    return false;
}

void publishModuleArguments(const RunContext &run, const Arguments &arguments)
{
    for (uint32_t i = 0; i < arguments.count; ++i) {
        Expression *e = arguments.expression(i);
        if (e->kind == ExpressionKind::Variable && static_cast<VariableExpr *>(e)->storage == VariableStorage::External)
            publishExternal(static_cast<VariableExpr *>(e)->ref(run));
    }
}

void publishGlobals(SymbolEntry *symbols)
{
    for (SymbolEntry *e = symbols; e != nullptr; e = e->next)
        if (e->kind == PELORN_SYM_VARIABLE && !value::arrays::publish(e->c.value))
            value::release(e->c.value); // gone, rather than unreadable for the host
}

} // namespace pelorn::interp
