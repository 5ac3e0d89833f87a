// Transfers, value texts for reports, hand-over of values.
#include "interp/run_support.h"

#include "api/channels.h"
#include "api/exceptions.h"
#include "interp/fast_values.h"
#include "value/arrays.h"
#include "value/chain.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace pelorn::interp {

void report(const char *file, int32_t line, const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    vreport(file, line, format, arguments);
    va_end(arguments);
}

void vreport(const char *file, int32_t line, const char *format, va_list arguments)
{
    std::string text = std::string(file) + "(" + std::to_string(line) + ") : ";
    va_list again;
    va_copy(again, arguments);
    int length = std::vsnprintf(nullptr, 0, format, arguments);
    if (length > 0) {
        size_t prefix = text.size();
        text.resize(prefix + static_cast<size_t>(length) + 1);
        std::vsnprintf(text.data() + prefix, static_cast<size_t>(length) + 1, format, again);
        text.resize(prefix + static_cast<size_t>(length));
    }
    va_end(again);
    api::WriteMessage("%s", text.c_str());
}

Completion raise(RunContext &run, TransferCode code, ScriptValue *value, const SourceFile *source, int32_t line,
                 const char *routine)
{
    Transfer &t = run.transfer;
    t.code = code;
    t.hasValue = value != nullptr;
    t.valueInResult = false;
    if (value != nullptr) {
        t.value = *value;
        value::clear(*value);
    } else {
        value::clear(t.value);
    }
    t.routineName = routine;
    t.source = source;
    t.line = line;
    return Completion::Transfer;
}

void dropTransfer(RunContext &run)
{
    if (run.transfer.hasValue)
        drop(run.transfer.value);
    run.transfer.hasValue = false;
}

bool textOf(ScriptValue &v, std::string &text)
{
    if (v.getProperty == nullptr)
        return false;
    ScriptValue out = value::empty();
    int32_t code;
    try {
        code = v.getProperty(&v, "string", &out);
    } catch (api::NativeThrow &thrown) {
        value::forgetPositions();
        drop(thrown.value);
        drop(out);
        return false;
    }
    if (v.getProperty != GetField)
        value::forgetPositions();
    bool ok = code == 0 && value::isString(out);
    if (ok) {
        char *joined = value::chain::join(out.u.string);
        text.assign(joined);
        zfree(joined);
    }
    drop(out);
    return ok;
}

bool copiesPlainly(const ScriptValue &v)
{
    if (v.copy != nullptr || v.release != nullptr)
        return false;
    switch (v.type) {
    case PELORN_UNDEFINED:
    case PELORN_INTEGER:
    case PELORN_FLOAT:
    case PELORN_BOOLEAN:
    case PELORN_STRING:
    case PELORN_BYTEARRAY:
        return true;
    case PELORN_ARRAY:
        return value::arrays::everyElement(v, [](const ScriptValue &e) { return copiesPlainly(e); });
    default:
        return false;
    }
}

bool handOverValue(ScriptValue &source, ScriptValue &destination)
{
    if (&source == &destination)
        return true;
    if (copiesPlainly(source)) {
        moveValue(source, destination);
        return true;
    }
    bool ok = value::copy(source, destination);
    drop(source);
    return ok;
}

} // namespace pelorn::interp
