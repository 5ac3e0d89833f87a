// Prints every name the engine registers before a script is read, one a
// line as "KIND NAME": the editor tests compare them with editors/names.json.
// Linked with the engine's objects, whose load registers the built-ins.
#include "builtins/registry.h"
#include "front/symbols.h"

#include <cstdio>

namespace {

const char *kindOf(const SymbolEntry &entry)
{
    switch (entry.kind) {
    case PELORN_SYM_ROUTINE:
        return entry.a.routineKind == PELORN_FUNCTION ? "function"
               : entry.a.routineKind == PELORN_PROCEDURE ? "procedure"
                                                         : "routine";
    case PELORN_SYM_VARIABLE:
        return entry.isConstant != 0 ? "constant" : "variable";
    case PELORN_SYM_TYPE:
        return "type";
    default:
        return "unknown";
    }
}

} // namespace

int main()
{
    for (const SymbolEntry *e = pelorn::builtins::globalList(); e != nullptr; e = e->next)
        std::printf("%s %s\n", kindOf(*e), pelorn::front::entryName(*e));
    return 0;
}
