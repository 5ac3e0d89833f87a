// Placeholders until the compiler exists: delete once it does.
#include "api/channels.h"
#include "front/compiler.h"
#include "front/symbols.h"

#include <cstdio>

namespace pelorn::front {

__attribute__((weak)) interp::Script *parseScript(const char *path, int32_t *status)
{
    if (status != nullptr)
        *status = 0;
    FILE *f = std::fopen(path, "r");
    if (f == nullptr) {
        if (status != nullptr)
            *status = 1;
        api::WriteMessage("Failed to open file %s for reading.", path);
        return nullptr;
    }
    std::fclose(f);
    return interp::createScript();
}

__attribute__((weak)) void setDebugMode(bool) {}
__attribute__((weak)) void releaseModules(ModuleRecord *) {}
__attribute__((weak)) void releasePending(PendingList *) {}
__attribute__((weak)) SymbolEntry *findSymbol(const char *) { return nullptr; }

} // namespace pelorn::front
