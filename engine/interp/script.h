// The compiled script: the root of the tree and the handle hosts hold.
// Its first member is the public ScriptObject prefix, so hosts find the
// release and run entries where pelorn.h says.
#pragma once

#include "builtins/run_settings.h"
#include "interp/nodes.h"
#include "pelorn.h"

#include <cstddef>
#include <cstdint>

namespace pelorn::front {
struct PendingList;
struct ModuleRecord;
} // namespace pelorn::front

namespace pelorn::interp {

// Routine calls keep their frames here (80 bytes a symbol, 8 a frame).
constexpr size_t kCallStackSize = 52428800;

struct CallStackArea {
    uint8_t *base;
    size_t size;
    size_t fill;
    uint32_t top; // the newest open frame's link offset plus one; 0 for none
};

struct Script {
    ::ScriptObject header;          // owner = this; release and run entries
    BlockStatement *mainBlock;
    void *reserved;
    front::PendingList *pending;    // nodes built but not yet attached
    front::ModuleRecord *modules;   // loaded extension modules, newest first
    RoutineDefinition *procedures;  // newest first
    RoutineDefinition *functions;   // newest first
    builtins::RunSettings settings;
    CallStackArea callStack;
    SourceFile *sources;            // every file the script was compiled from
    size_t partsRun;                // main-block statements runScriptPart has started
    bool globalsPublic;             // runs end with global arrays as chains (SetScriptGlobalsPublic)
    // Frees what the compiler attached (pending nodes, modules); set by
    // the compiler, null for scripts built without it.
    void (*releaseCompiled)(Script *script);

    static Script *fromObject(::ScriptObject *object) { return reinterpret_cast<Script *>(object); }
    ::ScriptObject *object() { return &header; }
};

static_assert(offsetof(Script, header) == 0);
static_assert(offsetof(::ScriptObject, release) == 48);
static_assert(offsetof(::ScriptObject, run) == 56);

// Allocates the object with its main block and its call-stack area
// (reserved, not touched: untouched pages cost nothing).
Script *createScript();
// The release entry: frees everything the object owns but its own block.
void releaseScript(::ScriptObject *object);
// The run entry.
uint8_t runScript(::ScriptObject *object);
// Runs the main-block statements no part run has started yet (all of a
// fresh script, then those each compiled part added), reporting as the run
// entry does, but leaving the cards connected for the next part.
uint8_t runScriptPart(Script *script);
// Frees the object's own block after releaseScript.
void destroyScript(Script *script);

// Finds or adds the SourceFile record for a path (one per file).
const SourceFile *internSource(Script *script, const std::string &path, const std::string &directory);

// The script being compiled or run on this thread (its settings become
// the built-ins' run settings).
Script *runningScript();
void setRunningScript(Script *script);

} // namespace pelorn::interp
