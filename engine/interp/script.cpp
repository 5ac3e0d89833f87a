// Creating and releasing the script object.
#include "interp/script.h"

#include "interp/call_stack.h"
#include "value/symbol_entries.h"

#include <new>
#include <sys/mman.h>

namespace pelorn::interp {

namespace {

thread_local Script *currentScript = nullptr;

void releaseRoutines(RoutineDefinition *&head)
{
    while (head != nullptr) {
        RoutineDefinition *next = head->next;
        delete head;
        head = next;
    }
}

} // namespace

Script *createScript()
{
    auto *script = new Script{};
    script->header.owner = script;
    script->header.release = releaseScript;
    script->header.run = runScript;
    script->globalsPublic = true;
    script->mainBlock = new BlockStatement();
    // Reserved, not committed: only the pages deep recursion touches cost
    // memory. Anonymous mappings read as zero.
    void *area = mmap(nullptr, kCallStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                      -1, 0);
    if (area == MAP_FAILED) {
        delete script->mainBlock;
        delete script;
        throw std::bad_alloc();
    }
    script->callStack = CallStackArea{static_cast<uint8_t *>(area), kCallStackSize, 0, 0};
    return script;
}

void releaseScript(::ScriptObject *object)
{
    Script *script = Script::fromObject(object);
    delete script->mainBlock;
    script->mainBlock = nullptr;
    value::releaseSymbolList(script->header.symbols);
    script->header.symbols = nullptr;
    if (script->callStack.base != nullptr)
        releaseOpenFrames(script->callStack);
    releaseRoutines(script->procedures);
    releaseRoutines(script->functions);
    // The modules go last: values and nodes may point into them.
    if (script->releaseCompiled != nullptr)
        script->releaseCompiled(script);
    if (script->callStack.base != nullptr)
        munmap(script->callStack.base, script->callStack.size);
    script->callStack = CallStackArea{nullptr, 0, 0, 0};
    while (script->sources != nullptr) {
        SourceFile *next = script->sources->next;
        delete script->sources;
        script->sources = next;
    }
    if (currentScript == script)
        setRunningScript(nullptr);
}

void destroyScript(Script *script) { delete script; }

const SourceFile *internSource(Script *script, const std::string &path, const std::string &directory)
{
    for (SourceFile *s = script->sources; s != nullptr; s = s->next)
        if (s->path == path)
            return s;
    script->sources = new SourceFile{path, directory, script->sources};
    return script->sources;
}

Script *runningScript() { return currentScript; }

void setRunningScript(Script *script)
{
    currentScript = script;
    builtins::setRunSettings(script != nullptr ? &script->settings : nullptr);
}

} // namespace pelorn::interp
