// Extension modules: shared objects that add routines, variables and value
// types to the language through the "use" declaration.
#pragma once

#include "pelorn.h"

#include <string>

namespace pelorn::front {

struct ModuleRecord {
    void *handle;          // from dlopen; dlclose'd when the record is released
    std::string path;      // canonical path of the library
    SymbolEntry *symbols;  // the module's own list (the module owns it)
    ModuleRecord *next;    // older modules
};

// Loads the module a "use" names (the literal's text), relative to the
// directory of the file being compiled. A module already used by this
// compilation is not loaded again. Failures raise compile errors.
void useModule(const char *text);

// True when the entry belongs to a module used by the compilation.
bool isModuleEntry(const SymbolEntry *entry);

// Releases a module list, unloading every library (FreeScript and failed
// compilations).
void releaseModules(ModuleRecord *modules);

} // namespace pelorn::front
