// The run entry of a script object: runs the main block and reports what
// no handler took.
#include "card/registry.h"
#include "interp/array_forms.h"
#include "interp/messages.h"
#include "interp/run_support.h"
#include "interp/script.h"
#include "value/chain.h"
#include "value/value.h"

#include <algorithm>
#include <pthread.h>

namespace pelorn::interp {

namespace {

// Stack kept free below the deepest script call: room for the built-ins,
// the host's callbacks and nested expressions that the last call runs.
constexpr size_t kMinStackReserve = size_t{256} << 10;
constexpr size_t kMaxStackReserve = size_t{8} << 20;
// Assumed stack depth when the thread's stack bounds cannot be read.
constexpr size_t kUnknownStackDepth = size_t{4} << 20;
// The most native stack a run's nested calls may use, however large the
// thread's stack: enough for the call-stack area's deepest recursion
// (595781 calls of a one-parameter routine), while a runaway recursion of
// routines that need no area ends within a second or two instead of
// touching gigabytes. AddressSanitizer's frames are larger: its builds get
// twice the room, so they reach the same depth.
#if defined(__SANITIZE_ADDRESS__)
constexpr uintptr_t kMaxCallStackDepth = uintptr_t{1024} << 20;
#else
constexpr uintptr_t kMaxCallStackDepth = uintptr_t{512} << 20;
#endif

const char *boundedLimit(const char *limit)
{
    auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    uintptr_t deepest = here > kMaxCallStackDepth ? here - kMaxCallStackDepth : 0;
    return std::max(limit, reinterpret_cast<const char *>(deepest));
}

const char *stackLimitOfThisThread()
{
    pthread_attr_t attributes;
    void *lowest = nullptr;
    size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        bool known = pthread_attr_getstack(&attributes, &lowest, &size) == 0;
        pthread_attr_destroy(&attributes);
        if (known && lowest != nullptr) {
            // A small stack (a host's thread) keeps half of itself for calls.
            size_t reserve = std::min(std::clamp(size / 8, kMinStackReserve, kMaxStackReserve), size / 2);
            return static_cast<const char *>(lowest) + reserve;
        }
    }
    return static_cast<const char *>(__builtin_frame_address(0)) - kUnknownStackDepth;
}

// An APDU exception's text: a string's own text, anything else's through
// its "string" property.
bool apduText(ScriptValue &v, std::string &text)
{
    if (v.type != PELORN_STRING)
        return textOf(v, text);
    char *joined = value::chain::join(v.u.string);
    text.assign(joined);
    zfree(joined);
    return true;
}

// The report of a transfer that reached the run entry. True only for a
// top-level exit.
bool reportUncaught(RunContext &run)
{
    Transfer &t = run.transfer;
    const char *file = pathOf(t.source);
    ScriptValue &v = t.value;
    auto asHex = [&v] { return static_cast<unsigned long long>(v.u.integer); };
    std::string text;
    switch (t.code) {
    case TransferCode::Break:
        report(file, t.line, msg::kBreakOutsideLoop);
        break;
    case TransferCode::Return:
        if (!t.hasValue)
            return true; // exit: the run ends successfully
        dropTransfer(run);
        report(file, t.line, msg::kReturnOutsideFunction);
        return false;
    case TransferCode::ScriptException:
        if (v.type == PELORN_INTEGER)
            report(file, t.line, msg::kUncaughtInteger, asHex());
        else if (textOf(v, text))
            report(file, t.line, msg::kUncaughtText, text.c_str());
        else
            report(file, t.line, msg::kUncaughtUnknown);
        break;
    case TransferCode::ApduException:
        if (apduText(v, text))
            report(file, t.line, msg::kUncaughtApduText, text.c_str());
        else
            report(file, t.line, msg::kUncaughtApduUnknown);
        break;
    case TransferCode::BuiltinException:
        if (v.type == PELORN_INTEGER && v.u.integer == PELORN_BAD_ARGUMENTS)
            report(file, t.line, msg::kBuiltinBadArguments, t.routineName);
        else if (v.type == PELORN_INTEGER)
            report(file, t.line, msg::kBuiltinInteger, asHex(), t.routineName);
        else if (textOf(v, text))
            report(file, t.line, msg::kBuiltinText, text.c_str(), t.routineName);
        else
            report(file, t.line, msg::kBuiltinUnknown, t.routineName);
        break;
    }
    dropTransfer(run);
    return false;
}

} // namespace

namespace {

// What every run leaves behind, however it ended: the directory it
// started in, and the globals in the form the host reads.
void endRun(RunContext &run, Script &script)
{
    run.directory.finish();
    if (script.globalsPublic)
        publishGlobals(script.header.symbols);
}

// Runs the main block, or its statements from `first` on, under the report
// of what no handler took. True when the run succeeded.
bool runMainBlock(Script *script, size_t first)
{
    setRunningScript(script);
    card::refreshRegistry();
    api::clearInterrupt();
    RunContext run;
    run.script = script;
    run.stackLimit = boundedLimit(stackLimitOfThisThread());
    run.directory.reset();
    value::forgetPositions(); // nothing remembered from before this run holds
    Completion c = Completion::Normal;
    try {
        if (first == 0) {
            c = script->mainBlock->execute(run);
        } else {
            // The part's own statements: an interrupt that came while one
            // ran (a Sleep) stops the part after it.
            const std::vector<Statement *> &statements = script->mainBlock->statements;
            for (size_t i = first; i < statements.size() && c == Completion::Normal; ++i) {
                c = statements[i]->execute(run);
                if (c == Completion::Normal && api::interrupted())
                    c = stopInterrupted(*statements[i]);
            }
        }
    } catch (...) { // not the engine's: it passes on to the host
        endRun(run, *script);
        throw;
    }
    endRun(run, *script);
    value::forgetPositions();
    return c == Completion::Normal || (c == Completion::Transfer && reportUncaught(run));
}

} // namespace

uint8_t runScript(::ScriptObject *object)
{
    bool succeeded = runMainBlock(Script::fromObject(object), 0);
    card::disconnectAll();
    card::releaseCurrentReader();
    return succeeded ? 1 : 0;
}

uint8_t runScriptPart(Script *script)
{
    size_t first = script->partsRun;
    script->partsRun = script->mainBlock->statements.size();
    if (first == script->partsRun)
        return 1;
    return runMainBlock(script, first) ? 1 : 0;
}

} // namespace pelorn::interp
