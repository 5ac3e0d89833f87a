// The statements that leave the normal order: break, return,
// exit, throw, and try/catch, which handles the three exception codes.
#include "interp/array_forms.h"
#include "interp/fast_values.h"
#include "interp/run_support.h"

namespace pelorn::interp {

Completion BreakStatement::execute(RunContext &run)
{
    return raise(run, TransferCode::Break, nullptr, source, line);
}

Completion ReturnStatement::execute(RunContext &run)
{
    if (value == nullptr) // exit
        return raise(run, TransferCode::Return, nullptr, source, line);
    if (ScriptValue *slot = run.returnSlot) {
        // In a function: the value goes straight where the call wants it.
        Completion c = evaluateInto(run, value, *slot);
        if (c != Completion::Normal) {
            drop(*slot);
            return c;
        }
        Transfer &t = run.transfer;
        t.code = TransferCode::Return;
        t.hasValue = true;
        t.valueInResult = true;
        t.routineName = nullptr;
        t.source = value->source;
        t.line = value->line;
        return Completion::Transfer;
    }
    ScriptValue result = value::empty();
    Completion c = evaluateInto(run, value, result);
    if (c != Completion::Normal) {
        drop(result);
        return c;
    }
    return raiseWith(run, TransferCode::Return, result, value->source, value->line);
}

Completion ThrowStatement::execute(RunContext &run)
{
    ScriptValue thrown = value::empty();
    Completion c = evaluateInto(run, value, thrown);
    if (c != Completion::Normal) {
        drop(thrown);
        return c;
    }
    return raise(run, TransferCode::ScriptException, &thrown, value->source, value->line);
}

Completion TryStatement::execute(RunContext &run)
{
    Completion c = tryBlock->execute(run);
    if (c != Completion::Transfer)
        return c;
    switch (run.transfer.code) {
    case TransferCode::BuiltinException:
    case TransferCode::ScriptException:
    case TransferCode::ApduException:
        break;
    default: // break and return pass through to their own handlers
        return c;
    }
    // Every call between the raise and here has closed its frame and
    // restored the directory on its way out.
    ScriptValue &caughtValue = catchVariable->ref(run);
    bool caught = handOver(run.transfer.value, caughtValue) && publishIfExternal(*catchVariable, caughtValue);
    run.transfer.hasValue = false;
    if (!caught)
        return Completion::Failed;
    // The catch block runs outside the guard: what it raises goes outward.
    return catchBlock->execute(run);
}

} // namespace pelorn::interp
