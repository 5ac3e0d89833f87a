// Compiling a part into a script. The compilation starts from what the
// script holds (its routines, modules and globals are the compilation's
// lists' tails, its globals searched as an outer scope); the part's
// statements gather in a block of their own. Success splices everything
// new into the script; failure releases only what is new.
#include "front/script_parts.h"

#include "api/channels.h"
#include "front/compilation.h"
#include "front/compile_error.h"
#include "front/compiler.h"
#include "front/messages.h"
#include "front/modules.h"
#include "front/parser.h"
#include "front/paths.h"
#include "front/scanner.h"
#include "front/script_files.h"
#include "interp/routine_cache.h"

#include <algorithm>
#include <new>
#include <string>

namespace pelorn::front {

namespace {

// What the script holds before the part: the compilation's lists end there.
struct Before {
    interp::BlockStatement *mainBlock;
    interp::RoutineDefinition *procedures;
    interp::RoutineDefinition *functions;
    ModuleRecord *modules;
};

// Module value types are numbered on from those the script's modules have.
int32_t nextTypeCode(const ModuleRecord *modules)
{
    int32_t code = kFirstModuleType;
    for (const ModuleRecord *m = modules; m != nullptr; m = m->next)
        for (const SymbolEntry *e = m->symbols; e != nullptr; e = e->next)
            if (e->kind == PELORN_SYM_TYPE)
                code = std::max(code, e->b.typeCode + 1);
    return code;
}

void compilePart(Compilation &c, FILE *&text, const std::string &name, const std::string &directory,
                 int32_t firstLine)
{
    interp::Script *script = c.script;
    c.pending = new PendingList();
    script->pending = c.pending;
    script->mainBlock = new interp::BlockStatement();
    interp::setRunningScript(script);
    c.procedures = script->procedures;
    c.functions = script->functions;
    c.modules = script->modules;
    c.nextTypeCode = nextTypeCode(c.modules);
    c.quietIncomplete = true;
    c.symbols.indexShared(c.modules);
    c.symbols.seedOuter(script->header.symbols);
    c.scanner = scanner::create();
    c.current.file = text; // closed with the other files from here on
    text = nullptr;
    beginMainText(c.current.file, name, directory);
    c.current.line = std::max(firstLine, 1) - 1;
    stamp(script->mainBlock);
    parser::parse(c.scanner);
}

void appendChain(SymbolEntry *&head, SymbolEntry *chain)
{
    if (chain == nullptr)
        return;
    if (head == nullptr) {
        head = chain;
        return;
    }
    SymbolEntry *tail = head;
    while (tail->next != nullptr)
        tail = tail->next;
    tail->next = chain;
    chain->previous = tail;
}

void handOver(Compilation &c, const Before &before)
{
    interp::Script *script = c.script;
    c.symbols.forgetOuter();
    appendChain(script->header.symbols, c.symbols.takeGlobals());
    bool newRoutines = c.procedures != before.procedures || c.functions != before.functions;
    script->procedures = c.procedures;
    script->functions = c.functions;
    script->modules = c.modules;
    c.procedures = c.functions = nullptr;
    c.modules = nullptr;
    interp::BlockStatement *part = script->mainBlock;
    script->mainBlock = before.mainBlock;
    for (interp::Statement *statement : part->statements)
        script->mainBlock->append(statement);
    part->statements.clear();
    delete part;
    releasePending(c.pending);
    script->pending = nullptr;
    c.pending = nullptr;
    // A routine declared again under a name: calls find the new one.
    if (newRoutines)
        interp::forgetResolvedRoutines(*script);
}

// The routines and modules put in front of the script's own.
template <typename Record, typename Release> void releaseNew(Record *head, Record *old, Release release)
{
    while (head != nullptr && head != old) {
        Record *next = head->next;
        release(head);
        head = next;
    }
}

// Everything the part built, nodes first: the modules go last, since
// values and nodes may still point into them.
void discard(Compilation &c, const Before &before)
{
    interp::Script *script = c.script;
    if (script->mainBlock != before.mainBlock) {
        delete script->mainBlock;
        script->mainBlock = before.mainBlock;
    }
    releasePending(c.pending);
    script->pending = nullptr;
    c.pending = nullptr;
    auto deleteRoutine = [](interp::RoutineDefinition *r) { delete r; };
    releaseNew(c.procedures, before.procedures, deleteRoutine);
    releaseNew(c.functions, before.functions, deleteRoutine);
    c.procedures = c.functions = nullptr;
    c.symbols.forgetOuter();
    c.symbols.releaseAll();
    releaseNew(c.modules, before.modules, [](ModuleRecord *m) {
        m->next = nullptr;
        releaseModules(m);
    });
    c.modules = nullptr;
}

void finish(Compilation &c)
{
    closeScriptFiles();
    scanner::destroy(c.scanner);
    c.scanner = nullptr;
    parser::releaseStacks();
}

} // namespace

int32_t parseScriptPart(interp::Script *script, const char *text, size_t length, const char *name,
                        const char *directory, int32_t firstLine)
{
    std::string shown = name != nullptr ? name : "";
    std::string current = paths::currentDirectory();
    std::string base = directory != nullptr ? paths::resolve(paths::withSlashes(directory), current) : current;
    static const char kNoText[] = "";
    FILE *file = fmemopen(const_cast<char *>(text != nullptr && length > 0 ? text : kNoText),
                          text != nullptr ? length : 0, "r");
    if (file == nullptr) {
        api::WriteMessage(messages::kCannotOpenMain, shown.c_str());
        return PELORN_COMPILE_ERROR;
    }

    Before before{script->mainBlock, script->procedures, script->functions, script->modules};
    Compilation c;
    ActiveCompilation activation(c);
    c.script = script;
    bool compiled = false;
    try {
        compilePart(c, file, shown, base, firstLine);
        handOver(c, before);
        compiled = true;
    } catch (const CompileError &) {
        // The message has been delivered, unless the text was incomplete.
    } catch (const std::bad_alloc &) {
        try {
            raiseCompileError(messages::kOutOfMemory);
        } catch (const CompileError &) {
        }
    } catch (...) {
        // Not the compiler's own (a module's native throw): clean up, pass on.
        finish(c);
        if (file != nullptr)
            std::fclose(file);
        discard(c, before);
        throw;
    }
    finish(c);
    if (file != nullptr)
        std::fclose(file);
    if (compiled)
        return PELORN_PARSED;
    bool incomplete = c.incomplete;
    discard(c, before);
    return incomplete ? int32_t{PELORN_INCOMPLETE} : int32_t{PELORN_COMPILE_ERROR};
}

} // namespace pelorn::front
