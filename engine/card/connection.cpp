// PowerON: choosing the reader and connecting to its card.
#include "api/channels.h"
#include "builtins/catalogue.h"
#include "builtins/run_settings.h"
#include "card/messages.h"
#include "card/pcsc_context.h"
#include "card/pcsc_error.h"
#include "card/reader_entry.h"
#include "card/reader_state.h"
#include "card/reader_value.h"
#include "card/registry.h"
#include "value/value.h"

#include <cstdio>

namespace pelorn::builtins {

namespace {

constexpr DWORD kEitherProtocol = SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1;

struct PowerOnRequest {
    ReaderEntry *reader = nullptr; // null: choose automatically
    bool exclusive = false;
    DWORD protocols = kEitherProtocol;
};

bool isInteger(const ArgumentSlot &a) { return value::isInteger(a.value); }
bool isBoolean(const ArgumentSlot &a) { return value::isBoolean(a.value); }
bool isReader(const ArgumentSlot &a) { return card::isReader(a.value); }
DWORD protocolsOf(const ArgumentSlot &a) { return static_cast<DWORD>(a.value.u.integer); }

// The seven argument forms: (), (p), (x), (r), (p, x), (r, x), (r, p, x).
bool decode(uint32_t count, ArgumentSlot *a, PowerOnRequest &request)
{
    switch (count) {
    case 0:
        return true;
    case 1:
        if (isInteger(a[0]))
            request.protocols = protocolsOf(a[0]);
        else if (isBoolean(a[0]))
            request.exclusive = a[0].value.u.boolean != 0;
        else if (isReader(a[0]))
            request.reader = a[0].value.u.reader;
        else
            return false;
        return true;
    case 2:
        if (!isBoolean(a[1]))
            return false;
        request.exclusive = a[1].value.u.boolean != 0;
        if (isInteger(a[0]))
            request.protocols = protocolsOf(a[0]);
        else if (isReader(a[0]))
            request.reader = a[0].value.u.reader;
        else
            return false;
        return true;
    case 3:
        if (!isReader(a[0]) || !isInteger(a[1]) || !isBoolean(a[2]))
            return false;
        request.reader = a[0].value.u.reader;
        request.protocols = protocolsOf(a[1]);
        request.exclusive = a[2].value.u.boolean != 0;
        return true;
    default:
        return false;
    }
}

// The current reader as it is, else the first reader holding a responsive
// card, which then becomes current.
ReaderEntry *chooseReader()
{
    if (g_currentReader != nullptr)
        return g_currentReader;
    card::Context context;
    if (context.establish() != SCARD_S_SUCCESS)
        ThrowStringException(card::text::kNoReaderWithCard);
    SCARD_READERSTATE states[PELORN_MAX_READERS];
    card::fillRegistryStates(states);
    LONG rv = card::queryStates(context.get(), states, g_readersCount, card::kImmediateQueryTimeoutMs);
    context.reset();
    if (rv == SCARD_S_SUCCESS) {
        for (uint32_t i = 0; i < g_readersCount; ++i) {
            if (card::holdsResponsiveCard(states[i].dwEventState)) {
                card::setCurrentReader(g_readersList[i]);
                return g_readersList[i];
            }
        }
    }
    ThrowStringException(card::text::kNoReaderWithCard);
    __builtin_unreachable();
}

void connect(ReaderEntry *entry, bool exclusive, DWORD protocols)
{
    DWORD share = exclusive ? SCARD_SHARE_EXCLUSIVE : SCARD_SHARE_SHARED;
    DWORD active = 0;
    if (entry->card != 0) {
        // Connected already: only the share mode changes; T=0 or T=1,
        // whatever was asked.
        LONG rv = SCardReconnect(entry->card, share, kEitherProtocol, SCARD_LEAVE_CARD, &active);
        if (rv != SCARD_S_SUCCESS) {
            char text[card::kMessageBufferSize];
            std::snprintf(text, sizeof text, card::text::kReconnectFailed, entry->name, card::errorText(rv));
            // The handle is of no further use; the card keeps its state.
            card::closeConnection(entry, SCARD_LEAVE_CARD);
            entry->protocol = 0;
            ThrowStringException(text);
        }
        entry->protocol = static_cast<uint32_t>(active);
        return;
    }
    card::Context context;
    LONG rv = context.establish();
    if (rv != SCARD_S_SUCCESS)
        card::throwMessage(card::kMessageBufferSize, card::text::kManagerUnreachable, card::errorText(rv));
    SCARDHANDLE handle = 0;
    rv = SCardConnect(context.get(), entry->name, share, protocols, &handle, &active);
    if (rv != SCARD_S_SUCCESS)
        card::throwMessage(card::kMessageBufferSize, card::text::kConnectFailed, entry->name, card::errorText(rv));
    entry->card = handle;
    entry->context = context.take();
    entry->protocol = static_cast<uint32_t>(active);
}

} // namespace

int32_t PowerON(uint32_t count, ArgumentSlot *arguments)
{
    PowerOnRequest request;
    if (!decode(count, arguments, request))
        return PELORN_BAD_ARGUMENTS;
    builtins::RunSettings *settings = builtins::runSettings();
    bool verbose = settings != nullptr && settings->apduVerbose != 0;
    if (g_readersCount == 0) {
        card::refreshRegistry(); // a failure shows as the empty registry
        if (g_readersCount == 0)
            ThrowStringException(card::text::kNoReaderOnSystem);
    }
    ReaderEntry *entry = request.reader != nullptr ? request.reader : chooseReader();
    if (verbose)
        api::WriteStandardOutput(request.exclusive ? card::text::kConnectingExclusive : card::text::kConnectingShared,
                                 entry->name);
    connect(entry, request.exclusive, request.protocols);
    if (verbose) {
        if (entry->protocol == SCARD_PROTOCOL_T0)
            api::WriteStandardOutput(card::text::kConnectedT0);
        else if (entry->protocol == SCARD_PROTOCOL_T1)
            api::WriteStandardOutput(card::text::kConnectedT1);
    }
    return PELORN_OK;
}

} // namespace pelorn::builtins
