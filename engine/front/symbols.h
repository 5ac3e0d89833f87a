// Symbol lists and scoping: where every name of a script lives.
//
// While a script compiles, its variables sit in four lists: the scope list
// (a routine's variables in the declarations part, the globals after), the
// constant list, the parameter list and the new-variable list. The rule
// actions move entries between them; where an entry ends up is its scope.
#pragma once

#include "pelorn.h"
#include "value/symbol_entries.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pelorn::interp {
class VariableExpr;
}

namespace pelorn::front {

struct ModuleRecord;

using value::entryName;
using value::nameMatches;
using value::releaseSymbolList;

// A chain of entries through next/previous, newest first.
struct SymbolList {
    SymbolEntry *head = nullptr;
    SymbolEntry *tail = nullptr;

    void pushFront(SymbolEntry *entry);
    // Moves other's entries behind this list's last one; other ends empty.
    void append(SymbolList &other);
    // Hands the chain over and leaves the list empty.
    SymbolEntry *take();
};

// Outer: the globals of a script that more text is compiled into (a
// session's earlier inputs); the compilation searches them but does not own
// them.
enum class ListId : uint8_t { Scope, Constants, Parameters, NewVariables, Outer };

// The compilation's lists, with indexes so that a lookup costs the same
// however many names a script has. The indexes give exactly the entry a
// search of the lists in their order would give.
class SymbolTables {
public:
    SymbolTables() = default;
    SymbolTables(const SymbolTables &) = delete;
    SymbolTables &operator=(const SymbolTables &) = delete;
    ~SymbolTables();

    // Built-ins first, then the modules newest first (call again after a
    // module was loaded).
    void indexShared(const ModuleRecord *modules);

    // Compiling more text into a script: its globals are searched right
    // after the scope list, its constants from routines too, its variables
    // only outside routine definitions (a routine sees no global variable,
    // as in a script). The list stays the caller's.
    void seedOuter(SymbolEntry *globals);
    void forgetOuter();
    // The scanner is inside a routine definition (declarations part).
    void setInRoutine(bool inRoutine) { inRoutine_ = inRoutine; }

    // Built-ins, modules, scope, constants, parameters, new variables.
    SymbolEntry *find(const char *name) const;
    // Built-ins, modules, scope, parameters, constants, new variables;
    // creates the variable in the new-variable list when none matches.
    interp::VariableExpr *resolveVariable(const char *name);
    // Null when the name is a built-in, module, scope or parameter name.
    interp::VariableExpr *declareParameter(const char *name);
    // Null when the name is a built-in, module, scope, new-variable,
    // constant or outer name.
    interp::VariableExpr *declareConstant(const char *name);
    // A VariableExpr bound to the entry, or to a new variable of the same
    // name when the entry has left every list the compiler searches.
    interp::VariableExpr *makeVariableExpr(SymbolEntry *entry);

    // A simple statement is complete: its new variables join the scope.
    void closeSimpleStatement() { moveTo(newVariables_, scope_, ListId::Scope); }
    // The first statement: constants join the scope.
    void joinConstantsToScope() { moveTo(constants_, scope_, ListId::Scope); }
    // A compound statement is complete: the new variables become its own.
    SymbolEntry *takeNewVariables();
    // A routine definition is complete: parameters, scope, new variables.
    SymbolEntry *takeRoutineSymbols();
    // The compilation succeeded: every variable left becomes a global.
    SymbolEntry *takeGlobals();
    // Frees every list (a failed compilation).
    void releaseAll();

private:
    struct Slot {
        SymbolEntry *entry;
        ListId list;
    };
    struct CaseInsensitiveHash {
        size_t operator()(std::string_view s) const;
    };
    struct CaseInsensitiveEqual {
        bool operator()(std::string_view a, std::string_view b) const;
    };

    SymbolList &list(ListId id);
    SymbolEntry *findShared(const char *name) const;
    // The first entry of the given lists, searched in the order given.
    SymbolEntry *findVariable(const char *name, std::initializer_list<ListId> order) const;
    SymbolEntry *createVariable(ListId id, const char *name, bool constant);
    void moveTo(SymbolList &from, SymbolList &to, ListId toId);
    void forget(SymbolEntry *head);

    SymbolList scope_;
    SymbolList constants_;
    SymbolList parameters_;
    SymbolList newVariables_;
    // Entries of the four lists by exact name (names are exact for variables).
    std::unordered_multimap<std::string_view, Slot> variables_;
    // Built-in and module entries by name regardless of case, each in
    // search order; the entry's own rule decides whether the case matters.
    std::unordered_map<std::string_view, std::vector<SymbolEntry *>, CaseInsensitiveHash, CaseInsensitiveEqual>
        shared_;
    SymbolEntry *outer_ = nullptr;
    bool inRoutine_ = false;
};

} // namespace pelorn::front
