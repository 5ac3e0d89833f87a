// ParseScript: compiling a script file into a Script.
#include "front/compiler.h"

#include "api/channels.h"
#include "front/compilation.h"
#include "front/compile_error.h"
#include "front/messages.h"
#include "front/modules.h"
#include "front/parser.h"
#include "front/paths.h"
#include "front/scanner.h"
#include "front/script_files.h"

#include <new>
#include <string>

namespace pelorn::front {

namespace {

Compilation *active = nullptr;
bool debugSwitch = false;

// What the compiler attached to a script, freed with it.
void releaseCompiled(interp::Script *script)
{
    releasePending(script->pending);
    script->pending = nullptr;
    releaseModules(script->modules);
    script->modules = nullptr;
}

// The main file: a file named by its path, or a host's text under a name.
struct MainSource {
    const char *path = nullptr; // a file, its path as given; null for a text
    std::string name;           // a text: the name messages show
    std::string directory;      // a text: where its relative paths start
};

void compile(Compilation &c, FILE *&mainFile, const MainSource &source)
{
    c.script = interp::createScript();
    c.script->releaseCompiled = releaseCompiled;
    c.pending = new PendingList();
    c.script->pending = c.pending;
    interp::setRunningScript(c.script);
    c.symbols.indexShared(nullptr);
    c.scanner = scanner::create();
    c.current.file = mainFile; // closed with the other files from here on
    mainFile = nullptr;
    if (source.path != nullptr)
        beginMainFile(c.current.file, source.path);
    else
        beginMainText(c.current.file, source.name, source.directory);
    stamp(c.script->mainBlock);
    parser::parse(c.scanner);
}

// The compiled results move into the script, which the host now owns.
void handOver(Compilation &c)
{
    interp::Script *script = c.script;
    script->header.symbols = c.symbols.takeGlobals();
    script->procedures = c.procedures;
    script->functions = c.functions;
    script->modules = c.modules;
    c.procedures = c.functions = nullptr;
    c.modules = nullptr;
    // Every node has found its parent by now.
    releasePending(script->pending);
    script->pending = nullptr;
    c.pending = nullptr;
}

void releaseRoutines(interp::RoutineDefinition *routine)
{
    while (routine != nullptr) {
        interp::RoutineDefinition *next = routine->next;
        delete routine;
        routine = next;
    }
}

// Everything a failed compilation built; the modules go last, since values
// and nodes may still point into them.
void discard(Compilation &c)
{
    if (c.script != nullptr) {
        c.script->header.release(c.script->object());
        interp::destroyScript(c.script);
        c.script = nullptr;
        c.pending = nullptr;
    }
    c.symbols.releaseAll();
    releaseRoutines(c.procedures);
    releaseRoutines(c.functions);
    c.procedures = c.functions = nullptr;
    releaseModules(c.modules);
    c.modules = nullptr;
}

// Closes the files and frees the scanner and the parser's stacks; the next
// compilation starts afresh at line 1.
void finish(Compilation &c, FILE *mainFile)
{
    closeScriptFiles();
    if (mainFile != nullptr)
        std::fclose(mainFile);
    scanner::destroy(c.scanner);
    c.scanner = nullptr;
    parser::releaseStacks();
}

void reportOutOfMemory()
{
    try {
        raiseCompileError(messages::kOutOfMemory);
    } catch (const CompileError &) {
    }
}

} // namespace

Compilation &compilation() { return *active; }

ActiveCompilation::ActiveCompilation(Compilation &c) : outer_(active) { active = &c; }

ActiveCompilation::~ActiveCompilation() { active = outer_; }

bool compiling() { return active != nullptr; }

bool debugMode() { return debugSwitch; }

void setDebugMode(bool on) { debugSwitch = on; }

namespace {

// Compiles from an opened main file, which it closes.
interp::Script *compileMain(FILE *mainFile, const MainSource &source, int32_t *status)
{
    Compilation c;
    ActiveCompilation activation(c);
    bool compiled = false;
    try {
        compile(c, mainFile, source);
        handOver(c);
        compiled = true;
    } catch (const CompileError &) {
        // The message has been delivered.
    } catch (const std::bad_alloc &) {
        reportOutOfMemory();
    } catch (...) {
        // Not the compiler's own (a module's native throw, say): clean up
        // and let it reach the host.
        finish(c, mainFile);
        discard(c);
        throw;
    }
    finish(c, mainFile);
    if (!compiled) {
        discard(c);
        if (status != nullptr)
            *status = PELORN_COMPILE_ERROR;
        return nullptr;
    }
    return c.script;
}

} // namespace

interp::Script *parseScript(const char *path, int32_t *status)
{
    if (status != nullptr)
        *status = PELORN_PARSED;
    FILE *mainFile = openScriptFile(paths::withSlashes(path).c_str());
    if (mainFile == nullptr) {
        if (status != nullptr)
            *status = PELORN_OPEN_FAILED;
        api::WriteMessage(messages::kCannotOpenMain, path);
        return nullptr;
    }
    MainSource source;
    source.path = path;
    return compileMain(mainFile, source, status);
}

interp::Script *parseScriptText(const char *text, size_t length, const char *name, const char *directory,
                                int32_t *status)
{
    if (status != nullptr)
        *status = PELORN_PARSED;
    MainSource source;
    source.name = name != nullptr ? name : "";
    std::string current = paths::currentDirectory();
    source.directory = directory != nullptr ? paths::resolve(paths::withSlashes(directory), current) : current;
    // The scanner reads the text as it reads a file; nothing is copied.
    static const char kNoText[] = "";
    FILE *mainFile = fmemopen(const_cast<char *>(text != nullptr ? text : kNoText), text != nullptr ? length : 0, "r");
    if (mainFile == nullptr) {
        if (status != nullptr)
            *status = PELORN_OPEN_FAILED;
        api::WriteMessage(messages::kCannotOpenMain, source.name.c_str());
        return nullptr;
    }
    return compileMain(mainFile, source, status);
}

} // namespace pelorn::front
