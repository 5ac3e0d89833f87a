// Calls of the script's own procedures and functions.
#include "interp/arguments.h"
#include "interp/array_forms.h"
#include "interp/call_stack.h"
#include "interp/messages.h"
#include "interp/run_support.h"

#include <strings.h>

namespace pelorn::interp {

namespace {

// What distinguishes the two kinds of call site.
struct CallSite {
    const SourceFile *source; // position of the call node
    int32_t line;
    const std::string &name;
    RoutineDefinition *&resolved;
    Arguments &arguments;
    ScriptValue *result;      // null for a procedure
};

RoutineDefinition *findRoutine(RoutineDefinition *list, const std::string &name)
{
    for (RoutineDefinition *r = list; r != nullptr; r = r->next)
        if (strcasecmp(r->name.c_str(), name.c_str()) == 0)
            return r;
    return nullptr;
}

// A returned value whose copy would differ from itself (a module's copy
// hook) is replaced by its copy, as a hand-over would. False when the
// copy failed (its message has been delivered).
bool keepAsCopy(ScriptValue &v)
{
    if ((v.copy == nullptr && v.release == nullptr && isScalar(v.type)) || copiesPlainly(v))
        return true;
    ScriptValue returned = value::empty();
    bool ok = value::copy(v, returned);
    drop(v);
    v = returned;
    return ok;
}

// A return that reached the routine's invocation: a procedure ends (exit)
// or refuses a value; a function takes its value.
Completion takeReturn(RunContext &run, RoutineDefinition &routine, ScriptValue *result)
{
    Transfer &t = run.transfer;
    if (!routine.isFunction) {
        if (!t.hasValue)
            return Completion::Normal;
        dropTransfer(run);
        report(pathOf(t.source), t.line, msg::kProcedureReturnsValue);
        return Completion::Failed;
    }
    if (!t.hasValue) {
        report(pathOf(t.source), t.line, msg::kFunctionMustReturn, routine.name.c_str());
        return Completion::Failed;
    }
    if (t.valueInResult) {
        t.hasValue = false;
        t.valueInResult = false;
        if (result->type == PELORN_UNDEFINED) {
            drop(*result);
            report(pathOf(t.source), t.line, msg::kFunctionReturnUntyped, routine.name.c_str());
            return Completion::Failed;
        }
        return keepAsCopy(*result) ? Completion::Normal : Completion::Failed;
    }
    if (t.value.type == PELORN_UNDEFINED) {
        dropTransfer(run);
        report(pathOf(t.source), t.line, msg::kFunctionReturnUntyped, routine.name.c_str());
        return Completion::Failed;
    }
    t.hasValue = false;
    return handOverToEmpty(t.value, *result) ? Completion::Normal : Completion::Failed;
}

// Runs the routine's body in the directory of the file that holds the call.
Completion invoke(RunContext &run, RoutineDefinition &routine, ScriptValue *result, const SourceFile *callSource)
{
    const std::string *saved = run.directory.wanted();
    if (callSource != nullptr)
        run.directory.want(&callSource->directory);
    ScriptValue *outerSlot = run.returnSlot;
    run.returnSlot = result;
    Completion c = routine.body->execute(run);
    run.returnSlot = outerSlot;
    if (c == Completion::Transfer && run.transfer.code == TransferCode::Return)
        c = takeReturn(run, routine, result);
    run.directory.want(saved);
    return c;
}

// Parameter k gets argument k's value; the slot is not needed any more.
void bindParameters(const RoutineDefinition &routine, ScriptValue *frame, ArgumentSet &arguments)
{
    for (uint32_t k = 0; k < routine.parameterCount; ++k)
        handOverToEmpty(arguments.slots()[k].value, frame[routine.parameterSlot(k)]);
}

// A script variable passed to a routine that leaves its arguments alone
// still holds what its parameter holds: a copy that only hooks could tell
// apart (a module value keeps being written back, a module's variable too).
inline bool keepsItsValue(const VariableExpr &variable, const ScriptValue &parameter)
{
    return variable.storage != VariableStorage::External && parameter.copy == nullptr && parameter.release == nullptr;
}

// After a call that ended normally: each argument written as a variable
// receives its parameter's final value, in order. A recursive call that
// passes the routine's own variable writes into its own frame, which is
// then released: the caller's variable keeps its value.
void writeBack(const RunContext &run, const RoutineDefinition &routine, ScriptValue *frame,
               const Arguments &arguments)
{
    for (uint32_t k = 0; k < routine.parameterCount; ++k) {
        VariableExpr *variable = writableVariable(arguments.expression(k));
        if (variable == nullptr || (routine.leavesArgumentsAlone && keepsItsValue(*variable, frame[routine.parameterSlot(k)])))
            continue;
        ScriptValue &target = variable->routine == &routine ? frame[variable->slot] : variable->ref(run);
        handOver(frame[routine.parameterSlot(k)], target);
        if (variable->storage == VariableStorage::External) [[unlikely]]
            publishExternal(target);
    }
}

// Whether writeBack has anything to do after a call that ended normally:
// not when no argument is a variable, nor when the routine leaves its
// arguments alone, no argument is a module's variable and no parameter
// holds a value with hooks (the one test writeBack would make per
// argument, here over the parameter slots, which come first in the frame).
inline bool mustWriteBack(const RoutineDefinition &routine, const ScriptValue *frame, const Arguments &arguments)
{
    if (!arguments.namesVariable)
        return false;
    if (!routine.leavesArgumentsAlone || arguments.namesModuleVariable)
        return true;
    for (uint32_t k = 0; k < routine.parameterCount; ++k)
        if (frame[k].copy != nullptr || frame[k].release != nullptr)
            return true;
    return false;
}

void reportDepth(const CallSite &site, const RoutineDefinition &routine)
{
    report(pathOf(site.source), site.line, site.result != nullptr ? msg::kFunctionDepth : msg::kProcedureDepth,
           routine.name.c_str());
}

// Runs the routine in its open frame, then writes the arguments back and
// closes the frame.
Completion runInFrame(RunContext &run, const CallSite &site, RoutineDefinition &routine, ScriptValue *frame)
{
    ScriptValue *callerFrame = run.frame;
    run.frame = frame;
    Completion c = invoke(run, routine, site.result, site.source);
    run.frame = callerFrame;
    if (c == Completion::Failed)
        return c; // the run is ending: the frame stays open
    if (frame != nullptr) {
        if (c == Completion::Normal && mustWriteBack(routine, frame, site.arguments))
            writeBack(run, routine, frame, site.arguments);
        closeFrame(run.script->callStack, frame, routine.symbolCount);
    }
    return c;
}

// A known routine whose arguments call no routine: they are evaluated
// straight into the parameters' slots of the frame about to open. False
// when the call must take the general path (nothing done then).
bool callDirect(RunContext &run, const CallSite &site, Completion &c)
{
    RoutineDefinition *routine = site.resolved;
    if (routine == nullptr || !site.arguments.allPure || routine->parameterCount != site.arguments.count ||
        routine->symbolCount == 0)
        return false;
    CallStackArea &area = run.script->callStack;
    uint32_t symbols = routine->symbolCount;
    ScriptValue *frame = nextFrame(area, symbols);
    if (frame == nullptr)
        return false; // the general path evaluates, then reports the depth
    for (uint32_t k = 0; k < routine->parameterCount; ++k) {
        c = evaluateInto(run, site.arguments.expression(k), frame[routine->parameterSlot(k)]);
        if (c != Completion::Normal) {
            for (uint32_t i = 0; i < symbols; ++i)
                drop(frame[i]);
            return true;
        }
    }
    if (nativeStackExhausted(run)) {
        for (uint32_t i = 0; i < symbols; ++i)
            drop(frame[i]);
        reportDepth(site, *routine);
        c = Completion::Failed;
        return true;
    }
    pushFrame(area, symbols);
    c = runInFrame(run, site, *routine, frame);
    return true;
}

Completion call(RunContext &run, const CallSite &site)
{
    Completion c;
    if (callDirect(run, site, c))
        return c;
    bool function = site.result != nullptr;
    ArgumentSet arguments(site.arguments);
    c = arguments.evaluate(run);
    if (c != Completion::Normal)
        return c;
    RoutineDefinition *routine = site.resolved;
    if (routine == nullptr) {
        routine = findRoutine(function ? run.script->functions : run.script->procedures, site.name);
        if (routine == nullptr) {
            report(pathOf(site.source), site.line, function ? msg::kFunctionNotFound : msg::kProcedureNotFound,
                   site.name.c_str());
            return Completion::Failed;
        }
        site.resolved = routine;
    }
    if (routine->parameterCount != arguments.count()) {
        report(pathOf(site.source), site.line, function ? msg::kFunctionArgumentCount : msg::kProcedureArgumentCount,
               static_cast<int>(routine->parameterCount), routine->name.c_str());
        return Completion::Failed;
    }
    // Routines without symbols take no room in the area, but every call
    // nests native frames: both limits end a runaway recursion.
    uint32_t symbols = routine->symbolCount;
    ScriptValue *frame = nullptr;
    if (nativeStackExhausted(run) || (symbols > 0 && (frame = openFrame(run.script->callStack, symbols)) == nullptr)) {
        reportDepth(site, *routine);
        return Completion::Failed;
    }
    bindParameters(*routine, frame, arguments);
    arguments.finish();
    return runInFrame(run, site, *routine, frame);
}

} // namespace

Completion ProcedureCallStatement::execute(RunContext &run)
{
    return call(run, CallSite{source, line, name, resolved, arguments, nullptr});
}

Completion FunctionCallExpr::evaluate(RunContext &run, ScriptValue *result)
{
    return call(run, CallSite{source, line, name, resolved, arguments, result});
}

} // namespace pelorn::interp
