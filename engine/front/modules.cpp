// Loading and unloading extension modules.
#include "front/modules.h"

#include "api/channels.h"
#include "front/compilation.h"
#include "front/compile_error.h"
#include "front/messages.h"
#include "front/module_search.h"
#include "front/paths.h"

#include <dlfcn.h>

namespace pelorn::front {

namespace {

[[noreturn]] void refuse(void *handle, const char *format, const std::string &path)
{
    dlclose(handle);
    raiseCompileErrorf(kUncutMessage, format, path.c_str());
}

} // namespace

void useModule(const char *text)
{
    Compilation &c = compilation();
    std::string written = paths::withSlashes(text);
    std::string path = findModule(written, paths::resolve(written, c.current.source->directory));
#ifdef PELORN_FUZZING
    void *handle = nullptr; // no foreign code in unattended runs
#else
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
    if (handle == nullptr)
        raiseCompileErrorf(kUncutMessage, messages::kModuleLoadFailed, path.c_str());

    // dlopen hands back the same handle for a library already loaded:
    // a second "use" of it only drops the load just made.
    for (ModuleRecord *m = c.modules; m != nullptr; m = m->next) {
        if (m->handle == handle) {
            dlclose(handle);
            return;
        }
    }

    auto getSymTable = reinterpret_cast<GetSymTableFn>(dlsym(handle, "GetSymTable"));
    auto initialize = reinterpret_cast<InitializeFn>(dlsym(handle, "Initialize"));
    if (getSymTable == nullptr || initialize == nullptr)
        refuse(handle, messages::kModuleUnrecognized, path);
    SymbolEntry *symbols = getSymTable();
    if (symbols == nullptr)
        refuse(handle, messages::kModuleNoSymbols, path);

    ModuleRecord *record = nullptr;
    try {
        record = new ModuleRecord{handle, path, symbols, c.modules};
    } catch (...) {
        dlclose(handle);
        throw;
    }
    c.modules = record;
    // Numbered before Initialize, so that the module can read the codes of
    // its value types from its own entries.
    for (SymbolEntry *e = symbols; e != nullptr; e = e->next)
        if (e->kind == PELORN_SYM_TYPE)
            e->b.typeCode = c.nextTypeCode++;

    // Once in the list, a module that fails here is unloaded with the rest
    // of the failed compilation.
    if (initialize(api::WriteStandardOutput, api::WriteMessage) == 0)
        raiseCompileErrorf(kUncutMessage, messages::kModuleInitFailed, path.c_str());
    // Indexed as Initialize left the entries, which it may have completed.
    c.symbols.indexShared(c.modules);
}

bool isModuleEntry(const SymbolEntry *entry)
{
    for (const ModuleRecord *m = compilation().modules; m != nullptr; m = m->next)
        for (const SymbolEntry *e = m->symbols; e != nullptr; e = e->next)
            if (e == entry)
                return true;
    return false;
}

void releaseModules(ModuleRecord *modules)
{
    while (modules != nullptr) {
        ModuleRecord *next = modules->next;
        dlclose(modules->handle);
        delete modules;
        modules = next;
    }
}

} // namespace pelorn::front
