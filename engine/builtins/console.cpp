// Console built-ins: printing values, reading a line, the APDU trace switch.
#include "api/channels.h"
#include "api/exceptions.h"
#include "builtins/arguments.h"
#include "builtins/catalogue.h"
#include "builtins/messages.h"
#include "builtins/run_settings.h"
#include "value/arrays.h"
#include "value/chain.h"
#include "value/messages.h"
#include "value/value.h"

#include <cinttypes>
#include <cstdlib>

namespace pelorn::builtins {

namespace {

void write(const char *text) { api::WriteStandardOutputText(text, std::strlen(text)); }

void writeBytes(const ScriptValue &v)
{
    size_t count = byteCount(v);
    if (count == 0)
        return;
    auto *text = static_cast<char *>(std::malloc(count * 3 + 1));
    if (text == nullptr) {
        write(value::messages::kUnknownText);
        return;
    }
    htoa(text, v.u.bytes.data, static_cast<uint32_t>(count), 1);
    api::WriteStandardOutputText(text, count * 3);
    std::free(text);
}

void writeValue(const ScriptValue &v);

// "[ a ; b ]", each element as Print writes it.
void writeArray(const ScriptValue &v)
{
    write("[");
    bool first = true;
    value::arrays::everyElement(v, [&first](const ScriptValue &element) {
        if (!first)
            write(" ;");
        first = false;
        write(" ");
        writeValue(element);
        write(" ");
        return true;
    });
    write("]");
}

// A value whose maker gave it no property hook: written by its type.
void writeByType(const ScriptValue &v)
{
    switch (v.type) {
    case PELORN_INTEGER:
        api::WriteStandardOutput("%" PRId64, v.u.integer);
        break;
    case PELORN_FLOAT:
        api::WriteStandardOutput("%.8f", v.u.real);
        break;
    case PELORN_STRING:
        forEachSegment(v, [](const char *text, size_t length) { api::WriteStandardOutputText(text, length); });
        break;
    case PELORN_BOOLEAN:
        write(v.u.boolean != 0 ? "TRUE" : "FALSE");
        break;
    case PELORN_BYTEARRAY:
        writeBytes(v);
        break;
    case PELORN_ARRAY:
        writeArray(v);
        break;
    default:
        write(value::messages::kUnknownText);
        break;
    }
}

// One argument of Print: its "string" property, chunk by chunk and
// literally (a '%' is no format), or "(unknown)" when it has none.
void writeValue(const ScriptValue &v)
{
    if (v.type == PELORN_UNDEFINED) {
        write(messages::kUndefinedText);
        return;
    }
    if (v.getProperty == nullptr) {
        writeByType(v);
        return;
    }
    ScriptValue text = value::empty();
    int32_t code = 1;
    try {
        code = v.getProperty(const_cast<ScriptValue *>(&v), "string", &text);
    } catch (api::NativeThrow &thrown) {
        value::release(thrown.value);
    }
    if (v.getProperty != GetField)
        value::forgetPositions();
    if (code == 0 && text.type == PELORN_STRING)
        forEachSegment(text, [](const char *piece, size_t length) { api::WriteStandardOutputText(piece, length); });
    else
        write(value::messages::kUnknownText);
    value::release(text);
}

} // namespace

int32_t Print(uint32_t count, ArgumentSlot *args)
{
    if (count == 0)
        return badArguments(messages::kPrint);
    for (uint32_t i = 0; i < count; ++i)
        writeValue(args[i].value);
    return PELORN_OK;
}

int32_t Println(uint32_t count, ArgumentSlot *args)
{
    if (count == 0)
        return badArguments(messages::kPrintln);
    for (uint32_t i = 0; i < count; ++i)
        writeValue(args[i].value);
    write("\n");
    return PELORN_OK;
}

int32_t SetAPDUVerbose(uint32_t count, ArgumentSlot *args)
{
    if (count != 1 || !isBoolean(args[0]))
        return badArguments(messages::kSetAPDUVerbose);
    if (RunSettings *settings = runSettings(); settings != nullptr)
        settings->apduVerbose = args[0].value.u.boolean != 0 ? 1 : 0;
    return PELORN_OK;
}

int32_t ReadLine(uint32_t count, ArgumentSlot *, ScriptValue *result)
{
    if (count != 0)
        return badArguments(messages::kReadLine);
    api::ReadStandardInput();
    // A host callback may fill the whole buffer without a terminator.
    const char *line = api::lineBuffer();
    *result = value::makeString(line, static_cast<uint32_t>(strnlen(line, api::kLineBufferSize)));
    return PELORN_OK;
}

} // namespace pelorn::builtins
