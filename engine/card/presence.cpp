// IsCardPresent and GetATR: what the resource manager reports about one
// reader, without connecting to its card.
#include "builtins/catalogue.h"
#include "card/messages.h"
#include "card/pcsc_context.h"
#include "card/pcsc_error.h"
#include "card/reader_state.h"
#include "card/reader_value.h"
#include "value/value.h"

#include <cstdio>
#include <cstring>

namespace pelorn::builtins {

namespace {

struct StateMessages {
    const char *managerUnreachable;
    const char *queryFailed;
};

constexpr StateMessages kPresenceMessages{card::text::kPresenceManagerUnreachable, card::text::kPresenceStateFailed};
constexpr StateMessages kAtrMessages{card::text::kManagerUnreachable, card::text::kStateFailed};

SCARD_READERSTATE queryReader(const ReaderEntry &entry, const StateMessages &messages)
{
    card::Context context;
    LONG rv = context.establish();
    if (rv != SCARD_S_SUCCESS)
        card::throwMessage(card::kMessageBufferSize, messages.managerUnreachable, card::errorText(rv));
    SCARD_READERSTATE state;
    std::memset(&state, 0, sizeof state);
    state.szReader = entry.name;
    rv = SCardGetStatusChange(context.get(), 0, &state, 1);
    context.reset();
    // An unaware query reports at once; a timeout still carries the state.
    if (rv != SCARD_S_SUCCESS && rv != SCARD_E_TIMEOUT) {
        char *text = GetErrorMessage(static_cast<uint32_t>(rv));
        char message[card::kMessageBufferSize];
        std::snprintf(message, sizeof message, messages.queryFailed, entry.name,
                      text != nullptr ? text : card::errorText(rv));
        zfree(text);
        ThrowStringException(message);
    }
    return state;
}

} // namespace

int32_t IsCardPresent(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    if (count != 1 || !card::isReader(arguments[0].value))
        return PELORN_BAD_ARGUMENTS;
    SCARD_READERSTATE state = queryReader(*arguments[0].value.u.reader, kPresenceMessages);
    // A mute card counts as present.
    *result = value::makeBoolean((state.dwEventState & SCARD_STATE_PRESENT) != 0);
    return PELORN_OK;
}

int32_t GetATR(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    if (count != 1 || !card::isReader(arguments[0].value))
        return PELORN_BAD_ARGUMENTS;
    const ReaderEntry &entry = *arguments[0].value.u.reader;
    SCARD_READERSTATE state = queryReader(entry, kAtrMessages);
    if ((state.dwEventState & SCARD_STATE_PRESENT) == 0)
        card::throwMessage(card::kMessageBufferSize, card::text::kNoCardForAtr, entry.name);
    if ((state.dwEventState & SCARD_STATE_MUTE) != 0)
        card::throwMessage(card::kMessageBufferSize, card::text::kMuteCardForAtr, entry.name);
    DWORD length = state.cbAtr <= sizeof state.rgbAtr ? state.cbAtr : sizeof state.rgbAtr;
    *result = value::makeBytes(state.rgbAtr, static_cast<int32_t>(length));
    return PELORN_OK;
}

} // namespace pelorn::builtins
