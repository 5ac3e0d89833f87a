// The state of the compilation in progress: one structure, reached through
// compilation(). One script compiles at a time (a nested ParseScript, say
// from a module's Initialize, gets its own and restores the outer one).
#pragma once

#include "front/compile_observer.h"
#include "front/pending.h"
#include "front/symbols.h"
#include "interp/script.h"

#include <cstdint>
#include <cstdio>
#include <sys/types.h>
#include <unordered_map>
#include <vector>

namespace pelorn::front {

struct ModuleRecord;

// A string literal holds at most this many characters.
constexpr uint32_t kStringCapacity = 1024;
// Module value types are numbered from here by each compilation.
constexpr int32_t kFirstModuleType = PELORN_FIRST_MODULE_TYPE;

// Which file a path names, whatever the spelling (includes compare these).
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity &) const = default;
};

// A script file being read: the current one, or one waiting on the include
// stack for the file it includes to end.
struct OpenFile {
    FILE *file = nullptr;
    void *buffer = nullptr;                     // the scanner's read buffer
    const interp::SourceFile *source = nullptr; // canonical name and directory
    FileIdentity identity;
    int32_t line = 0;                           // line breaks consumed so far
};

struct Compilation {
    interp::Script *script = nullptr;
    PendingList *pending = nullptr; // the script's pending list

    OpenFile current;
    std::vector<OpenFile> includeStack; // innermost last
    bool positionPrefix = true;         // cleared when the main file ends
    void *scanner = nullptr;

    char stringBuffer[kStringCapacity + 1];
    uint32_t stringLength = 0;

    SymbolTables symbols;
    interp::RoutineDefinition *procedures = nullptr; // newest first
    interp::RoutineDefinition *functions = nullptr;  // newest first
    ModuleRecord *modules = nullptr;                 // newest first
    int32_t nextTypeCode = kFirstModuleType;

    // Stack blocks the parser grew into; freed if a compile error unwinds it.
    std::vector<void *> parserStacks;

    // How deep the composite expressions (and APDU part chains) of the
    // statement being compiled reach; leaves are 1 and not listed.
    std::unordered_map<const void *, uint32_t> depths;

    // How deep the scanner is inside a routine definition: its own block
    // and the blocks in its body (0 outside any).
    int32_t routineDepth = 0;
    // The text ended where more could have completed it (a syntax error at
    // the end of input); with quietIncomplete, that error is not delivered.
    bool incomplete = false;
    bool quietIncomplete = false;

    // Watching from outside (the static check); null otherwise.
    CompileObserver *observer = takeNextObserver();
    TokenPosition tokenStart; // of the token being scanned
    TokenPosition reduction;  // of the first symbol of the rule being reduced
};

// The compilation in progress; only valid while parseScript runs.
Compilation &compilation();
bool compiling();

// Makes a compilation the active one for as long as it lives; an outer one
// (a module compiling a script while it is being loaded) comes back after.
class ActiveCompilation {
public:
    explicit ActiveCompilation(Compilation &c);
    ~ActiveCompilation();
    ActiveCompilation(const ActiveCompilation &) = delete;
    ActiveCompilation &operator=(const ActiveCompilation &) = delete;

private:
    Compilation *outer_;
};

// The current position, as nodes are stamped: the line break count + 1.
inline int32_t currentLine() { return compilation().current.line + 1; }

// Stamps a node with the current file and line.
template <typename Node> Node *stamp(Node *node)
{
    Compilation &c = compilation();
    node->source = c.current.source;
    node->line = currentLine();
    if (c.observer != nullptr)
        c.observer->nodeBuilt(node, c.reduction);
    return node;
}

// The debug switch: '#' no longer starts a comment.
bool debugMode();

} // namespace pelorn::front
