// Calls of built-in and extension-module routines: the calling convention,
// the write-back of variable arguments, and the conversion of result codes
// and native throws into the built-in exception.
#include "api/exceptions.h"
#include "interp/arguments.h"
#include "interp/fast_values.h"
#include "interp/run_support.h"
#include "value/arrays.h"
#include "value/value.h"

namespace pelorn::interp {

namespace {

// Calls the entry in the directory of the file holding the call and turns
// its failures into the built-in exception. `invoke` calls the entry with
// (count, slots) and gives its result code.
template <typename Invoke>
Completion callBuiltin(RunContext &run, Arguments &nodeArguments, const char *name, const SourceFile *callSource,
                       int32_t callLine, bool fromModule, Invoke invokeEntry)
{
    ArgumentSet arguments(nodeArguments);
    Completion c = arguments.evaluate(run);
    if (c != Completion::Normal)
        return c;
    if (fromModule) // a module reads its arguments in the public form
        for (uint32_t i = 0; i < arguments.count(); ++i)
            if (!value::arrays::publish(arguments.slots()[i].value))
                return Completion::Failed;
    const std::string *saved = run.directory.wanted();
    if (callSource != nullptr)
        run.directory.want(&callSource->directory);
    run.directory.sync();
    int32_t code;
    bool threw = false;
    bool copied = true;
    ScriptValue exception = value::empty();
    try {
        code = invokeEntry(arguments.count(), arguments.slots());
    } catch (api::NativeThrow &thrown) {
        threw = true;
        copied = handOver(thrown.value, exception);
        code = -1;
    } catch (...) { // not the engine's: it passes on
        value::forgetPositions();
        run.directory.want(saved);
        throw;
    }
    if (fromModule)
        value::forgetPositions();
    run.directory.want(saved);
    if (code == 0) {
        arguments.writeBack(run);
        return Completion::Normal;
    }
    if (threw && !copied)
        return Completion::Failed;
    if (!threw) // the code, read as an unsigned 32-bit number
        exception = integerValue(static_cast<uint32_t>(code));
    // Reported at the first argument, where there is one.
    const Expression *first = arguments.count() > 0 ? arguments.expression(0) : nullptr;
    return raise(run, TransferCode::BuiltinException, &exception, first != nullptr ? first->source : callSource,
                 first != nullptr ? first->line : callLine, name);
}

} // namespace

Completion BuiltinProcedureCallStatement::execute(RunContext &run)
{
    ProcedureEntry call = entry;
    return callBuiltin(run, arguments, name, source, line, fromModule,
                       [call](uint32_t count, ArgumentSlot *slots) { return call(count, slots); });
}

Completion BuiltinFunctionCallExpr::evaluate(RunContext &run, ScriptValue *result)
{
    // Relative paths resolve next to the file that holds the call, as for
    // a procedure (not next to the file where the enclosing block began).
    FunctionEntry call = entry;
    Completion c = callBuiltin(run, arguments, name, source, line, fromModule, [call, result](uint32_t count, ArgumentSlot *slots) {
        return call(count, slots, result);
    });
    if (c != Completion::Normal)
        drop(*result); // whatever a failing routine left there
    return c;
}

} // namespace pelorn::interp
