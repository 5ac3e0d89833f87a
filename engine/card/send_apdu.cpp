// SendAPDU: one exchange on a given reader, the status word as the result.
#include "builtins/arguments.h"
#include "builtins/catalogue.h"
#include "card/exchange.h"
#include "card/messages.h"
#include "card/reader_value.h"
#include "value/value.h"

#include <cstring>

namespace pelorn::builtins {

int32_t SendAPDU(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    if (count < 2 || count > 3 || !card::isReader(arguments[0].value))
        return PELORN_BAD_ARGUMENTS;
    const ScriptValue &given = arguments[1].value;
    if (!value::isBytes(given) && !value::isString(given))
        return PELORN_BAD_ARGUMENTS;
    if (count == 3 && !isVariableReference(arguments[2]))
        return PELORN_BAD_ARGUMENTS;

    // The routine works on its own copy: the script's value never sees the
    // protocol adaptation.
    const uint8_t *bytes = given.u.bytes.data;
    int32_t length = given.u.bytes.length;
    ScriptValue parsed = value::empty();
    if (value::isString(given)) {
        parsed = stringToBytearray2(&given.u.string);
        if (!value::isBytes(parsed))
            ThrowStringException(card::text::kInvalidHexCommand);
        bytes = parsed.u.bytes.data;
        length = parsed.u.bytes.length;
    }
    card::CommandBuffer command(static_cast<uint32_t>(length));
    if (length > 0)
        std::memcpy(command.data(), bytes, static_cast<size_t>(length));
    value::release(parsed);

    ReaderEntry &reader = *arguments[0].value.u.reader;
    card::ExchangeResult exchange = card::transmit(reader, command.data(), command.length());
    const uint8_t *response = reader.receiveBuffer;
    uint32_t r = exchange.received;
    *result = value::makeInteger(response[r - 2] * 256 + response[r - 1]);
    if (count == 3) {
        value::release(arguments[2].value);
        arguments[2].value = value::makeBytes(response, static_cast<int32_t>(r - 2));
    }
    return PELORN_OK;
}

} // namespace pelorn::builtins
