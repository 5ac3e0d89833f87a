// Prints every name of the engine's global built-in list, one a line:
// "procedure NAME", "function NAME" or "variable NAME". The guide's test
// compares them with the names docs/language.md documents, so a built-in
// added to the engine without its entry in the guide fails the test.
#include "builtins/registry.h"
#include "front/symbols.h"

#include <cstdio>

int main()
{
    for (SymbolEntry *e = pelorn::builtins::globalList(); e != nullptr; e = e->next) {
        const char *kind = "variable";
        if (e->kind == PELORN_SYM_ROUTINE)
            kind = e->a.routineKind == PELORN_PROCEDURE ? "procedure" : "function";
        std::printf("%s %s\n", kind, pelorn::front::entryName(*e));
    }
    return 0;
}
