// GetReaders, GetCurrentReader, SetCurrentReader.
#include "builtins/catalogue.h"
#include "card/messages.h"
#include "card/pcsc_error.h"
#include "card/reader_value.h"
#include "card/registry.h"
#include "value/arrays.h"
#include "value/messages.h"
#include "value/value.h"

namespace pelorn::builtins {

int32_t GetReaders(uint32_t count, ArgumentSlot *, ScriptValue *result)
{
    if (count != 0)
        return PELORN_BAD_ARGUMENTS;
    int32_t rv = card::refreshRegistry();
    if (rv != 0)
        card::throwMessage(card::kMessageBufferSize, card::text::kReaderListFailed, card::errorText(rv));
    *result = value::makeEmptyArray();
    if (!value::arrays::own(*result, g_readersCount))
        ThrowStringException(value::messages::kNotEnoughMemoryToCopy);
    for (uint32_t i = 0; i < g_readersCount; ++i) {
        ScriptValue reader = card::makeReaderValue(g_readersList[i]);
        value::arrays::push(*result, reader); // room was made above
    }
    return PELORN_OK;
}

int32_t GetCurrentReader(uint32_t count, ArgumentSlot *, ScriptValue *result)
{
    if (count != 0)
        return PELORN_BAD_ARGUMENTS;
    if (g_currentReader == nullptr)
        ThrowStringException(card::text::kNoCurrentReaderYet);
    *result = card::makeReaderValue(g_currentReader);
    return PELORN_OK;
}

int32_t SetCurrentReader(uint32_t count, ArgumentSlot *arguments)
{
    if (count != 1)
        return PELORN_BAD_ARGUMENTS;
    const ScriptValue &chosen = arguments[0].value;
    if (card::isReader(chosen)) {
        card::setCurrentReader(chosen.u.reader);
        return PELORN_OK;
    }
    if (!value::isInteger(chosen))
        return PELORN_BAD_ARGUMENTS;
    // The registry is not refreshed: indices are those of the last refresh.
    int64_t index = chosen.u.integer;
    if (index < 0 || index >= static_cast<int64_t>(g_readersCount))
        ThrowStringException(card::text::kIndexOutOfBounds);
    card::setCurrentReader(g_readersList[index]);
    return PELORN_OK;
}

} // namespace pelorn::builtins
