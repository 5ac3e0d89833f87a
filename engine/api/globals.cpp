// A host's access to a compiled script's global variables between runs:
// the variables of its symbol list, copied in and out. Both copies take the
// public form: a module may call these during a run, when the globals hold
// vectors, and the host reads the symbol list itself between runs.
#include "value/arrays.h"
#include "value/value.h"

#include <cstring>

namespace {

SymbolEntry *findGlobal(ScriptObject *script, const char *name)
{
    if (script == nullptr || name == nullptr)
        return nullptr;
    for (SymbolEntry *e = script->symbols; e != nullptr; e = e->next)
        if (e->kind == PELORN_SYM_VARIABLE && e->a.name != nullptr && std::strcmp(e->a.name, name) == 0)
            return e;
    return nullptr;
}

} // namespace

extern "C" {

PELORN_API int32_t GetScriptGlobal(ScriptObject *script, const char *name, ScriptValue *out)
{
    SymbolEntry *entry = findGlobal(script, name);
    if (entry == nullptr || out == nullptr)
        return PELORN_NO_SUCH_GLOBAL;
    ScriptValue copied = pelorn::value::empty();
    if (!pelorn::value::copy(entry->c.value, copied) || !pelorn::value::arrays::publish(copied)) {
        pelorn::value::release(copied);
        return PELORN_GLOBAL_NOT_COPIED;
    }
    *out = copied;
    return PELORN_GLOBAL_DONE;
}

PELORN_API int32_t SetScriptGlobal(ScriptObject *script, const char *name, const ScriptValue *value)
{
    SymbolEntry *entry = findGlobal(script, name);
    if (entry == nullptr || value == nullptr)
        return PELORN_NO_SUCH_GLOBAL;
    if (entry->isConstant != 0 || entry->isReadOnly != 0)
        return PELORN_GLOBAL_READ_ONLY;
    // Copied aside first, so that a failed copy leaves the variable as it was.
    ScriptValue copied = pelorn::value::empty();
    if (!pelorn::value::copy(*value, copied) || !pelorn::value::arrays::publish(copied)) {
        pelorn::value::release(copied);
        return PELORN_GLOBAL_NOT_COPIED;
    }
    pelorn::value::move(copied, entry->c.value);
    return PELORN_GLOBAL_DONE;
}

} // extern "C"
