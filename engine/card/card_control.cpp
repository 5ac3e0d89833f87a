// PowerOFF, DisconnectCard, ResetCard, LockCard, UnlockCard and
// IsCardConnected: what a script does with a connection once it has one.
#include "builtins/catalogue.h"
#include "card/messages.h"
#include "card/pcsc_error.h"
#include "card/reader_entry.h"
#include "card/reader_value.h"
#include "value/value.h"

namespace pelorn::builtins {

namespace {

// Buffers of the status query LockCard makes.
constexpr DWORD kStatusNameSize = 260;
constexpr DWORD kStatusAtrSize = 38;

// No argument: the current reader (thrown when there is none); one reader
// value: its entry. Null for any other argument list.
ReaderEntry *chosenReader(uint32_t count, ArgumentSlot *arguments)
{
    if (count == 0) {
        if (g_currentReader == nullptr)
            ThrowStringException(card::text::kNoCurrentReader);
        return g_currentReader;
    }
    if (count == 1 && card::isReader(arguments[0].value))
        return arguments[0].value.u.reader;
    return nullptr;
}

int32_t closeCard(uint32_t count, ArgumentSlot *arguments, DWORD disposition)
{
    ReaderEntry *entry = chosenReader(count, arguments);
    if (entry == nullptr)
        return PELORN_BAD_ARGUMENTS;
    if (entry->card != 0)
        card::closeConnection(entry, disposition);
    return PELORN_OK;
}

bool statusReadable(SCARDHANDLE card, LONG &rv)
{
    char name[kStatusNameSize];
    DWORD nameLength = sizeof name;
    DWORD state = 0;
    DWORD protocol = 0;
    BYTE atr[kStatusAtrSize];
    DWORD atrLength = sizeof atr;
    rv = SCardStatus(card, name, &nameLength, &state, &protocol, atr, &atrLength);
    return rv == SCARD_S_SUCCESS;
}

} // namespace

int32_t PowerOFF(uint32_t count, ArgumentSlot *arguments)
{
    return closeCard(count, arguments, SCARD_UNPOWER_CARD);
}

int32_t DisconnectCard(uint32_t count, ArgumentSlot *arguments)
{
    return closeCard(count, arguments, SCARD_LEAVE_CARD);
}

int32_t ResetCard(uint32_t count, ArgumentSlot *arguments)
{
    ReaderEntry *entry = chosenReader(count, arguments);
    if (entry == nullptr)
        return PELORN_BAD_ARGUMENTS;
    if (entry->card == 0)
        ThrowStringException(card::text::kCardNotConnected);
    // Always shared afterwards, even after an exclusive PowerON.
    DWORD active = 0;
    LONG rv = SCardReconnect(entry->card, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, SCARD_RESET_CARD,
                             &active);
    if (rv != SCARD_S_SUCCESS)
        card::throwMessage(card::kMessageBufferSize, card::text::kResetFailed, card::errorText(rv));
    entry->protocol = static_cast<uint32_t>(active);
    return PELORN_OK;
}

int32_t LockCard(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    ReaderEntry *entry = chosenReader(count, arguments);
    if (entry == nullptr)
        return PELORN_BAD_ARGUMENTS;
    if (entry->card != 0 && SCardBeginTransaction(entry->card) == SCARD_S_SUCCESS) {
        LONG rv = SCARD_S_SUCCESS;
        if (statusReadable(entry->card, rv)) {
            entry->locked = 1;
        } else if (rv == SCARD_W_RESET_CARD) {
            // Someone else reset the card: take note and try once more.
            DWORD active = 0;
            if (SCardReconnect(entry->card, SCARD_SHARE_SHARED, entry->protocol, SCARD_LEAVE_CARD, &active) ==
                    SCARD_S_SUCCESS &&
                SCardBeginTransaction(entry->card) == SCARD_S_SUCCESS)
                entry->locked = 1;
        } else if (entry->locked == 0) {
            // The transaction just begun would otherwise stay open with
            // nothing left to end it, keeping every other client out.
            SCardEndTransaction(entry->card, SCARD_LEAVE_CARD);
        }
    }
    *result = value::makeBoolean(entry->locked != 0);
    return PELORN_OK;
}

int32_t UnlockCard(uint32_t count, ArgumentSlot *arguments)
{
    ReaderEntry *entry = chosenReader(count, arguments);
    if (entry == nullptr)
        return PELORN_BAD_ARGUMENTS;
    if (entry->card != 0 && entry->locked != 0)
        SCardEndTransaction(entry->card, SCARD_LEAVE_CARD);
    entry->locked = 0;
    return PELORN_OK;
}

int32_t IsCardConnected(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    if (count != 1 || !card::isReader(arguments[0].value))
        return PELORN_BAD_ARGUMENTS;
    *result = value::makeBoolean(arguments[0].value.u.reader->card != 0);
    return PELORN_OK;
}

} // namespace pelorn::builtins
