// WaitForCard and the card wait a host may replace or stop.
#include "api/channels.h"
#include "builtins/catalogue.h"
#include "card/messages.h"
#include "card/pcsc_context.h"
#include "card/pcsc_error.h"
#include "card/reader_state.h"
#include "card/reader_value.h"
#include "card/registry.h"
#include "value/value.h"

#include <atomic>

namespace pelorn::card {

namespace {

// A stop request is noticed at the latest after one poll of this length.
constexpr DWORD kWaitPollMs = 500;

// Written by any host thread, read by the waiting one at every poll.
std::atomic<int32_t> stopRequested{0};
CardWaitFn hostWaitFunction = nullptr;

// A card has just been inserted into a reader that was seen empty.
bool insertedIntoEmptyReader(const SCARD_READERSTATE &state)
{
    return (state.dwEventState & SCARD_STATE_CHANGED) != 0 && holdsResponsiveCard(state.dwEventState) &&
           (state.dwCurrentState & SCARD_STATE_EMPTY) != 0;
}

} // namespace

} // namespace pelorn::card

extern "C" {

PELORN_API void PerformCardWait(SCARDCONTEXT context, SCARD_READERSTATE *states, ScriptValue *result)
{
    using namespace pelorn::card;
    stopRequested.store(0);
    ReaderEntry *inserted = nullptr;
    uint32_t count = g_readersCount;
    while (inserted == nullptr) {
        // What was just reported counts as known: only a new change ends the poll early.
        for (uint32_t i = 0; i < count; ++i)
            states[i].dwCurrentState = states[i].dwEventState ^ SCARD_STATE_CHANGED;
        LONG rv = queryStates(context, states, count, kWaitPollMs);
        if ((rv != SCARD_S_SUCCESS && rv != SCARD_E_TIMEOUT) || stopRequested.load() != 0)
            break;
        for (uint32_t i = 0; i < count && inserted == nullptr; ++i)
            if (insertedIntoEmptyReader(states[i]))
                inserted = g_readersList[i];
    }
    if (context != 0)
        SCardReleaseContext(context);
    *result = inserted != nullptr ? makeReaderValue(inserted) : pelorn::value::makeInteger(0);
}

PELORN_API void StopCardWait(void)
{
    pelorn::card::stopRequested.store(1);
}

PELORN_API CardWaitFn SetExternCardWaitFn(CardWaitFn fn)
{
    pelorn::card::hostWaitFunction = fn;
    return fn;
}

} // extern "C"

namespace pelorn::builtins {

int32_t WaitForCard(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    if (count > 1 || (count == 1 && !value::isBoolean(arguments[0].value))) {
        api::WriteMessage("%s", card::text::kWaitArguments);
        return PELORN_BAD_ARGUMENTS;
    }
    bool newCard = count == 1 && arguments[0].value.u.boolean != 0;
    int32_t rv = card::refreshRegistry();
    if (rv != 0)
        card::throwMessage(card::kMessageBufferSize, card::text::kReaderListFailed, card::errorText(rv));
    if (g_readersCount == 0)
        ThrowStringException(card::text::kNoReaderConnected);

    // Without a context the queries fail and the wait ends without a reader.
    card::Context context;
    context.establish();
    SCARD_READERSTATE states[PELORN_MAX_READERS];
    card::fillRegistryStates(states);
    card::queryStates(context.get(), states, g_readersCount, card::kImmediateQueryTimeoutMs);
    if (!newCard) {
        for (uint32_t i = 0; i < g_readersCount; ++i) {
            if (card::holdsResponsiveCard(states[i].dwEventState)) {
                *result = card::makeReaderValue(g_readersList[i]);
                return PELORN_OK;
            }
        }
    }
    // The wait function owns the context from here on.
    CardWaitFn wait = card::hostWaitFunction != nullptr ? card::hostWaitFunction : PerformCardWait;
    wait(context.take(), states, result);
    return PELORN_OK;
}

} // namespace pelorn::builtins
