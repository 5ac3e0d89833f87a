// Blocks and the statements that leave the normal order: break, return,
// exit, throw, and try/catch, which handles the three exception codes.
#include "api/unattended.h"
#include "interp/fast_values.h"
#include "interp/run_support.h"

namespace pelorn::interp {

Completion BlockStatement::execute(RunContext &run)
{
#ifdef PELORN_FUZZING
    if (!api::chargeRunBudget())
        return Completion::Failed;
#endif
    for (Statement *statement : statements) {
        Completion c = statement->execute(run);
        if (c != Completion::Normal)
            return c;
    }
    return Completion::Normal;
}

Completion BreakStatement::execute(RunContext &run)
{
    return raise(run, TransferCode::Break, nullptr, source, line);
}

Completion ReturnStatement::execute(RunContext &run)
{
    if (value == nullptr) // exit
        return raise(run, TransferCode::Return, nullptr, source, line);
    ScriptValue result = value::empty();
    Completion c = evaluateInto(run, value, result);
    if (c != Completion::Normal) {
        drop(result);
        return c;
    }
    return raise(run, TransferCode::Return, &result, value->source, value->line);
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
    bool caught = handOver(run.transfer.value, *catchVariable->binding);
    run.transfer.hasValue = false;
    if (!caught)
        return Completion::Failed;
    // The catch block runs outside the guard: what it raises goes outward.
    return catchBlock->execute(run);
}

} // namespace pelorn::interp
