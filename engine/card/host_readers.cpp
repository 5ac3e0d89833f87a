// What a host does with the reader registry before a run: choose the
// current reader, and ask which readers hold a card.
#include "card/pcsc_context.h"
#include "card/reader_state.h"
#include "card/registry.h"

#include <cstring>

extern "C" {

// The same as a script's SetCurrentReader on that entry; the choice lasts
// until a run ends (every run ends with no current reader).
PELORN_API void SetCurrentReaderEntry(ReaderEntry *reader)
{
    if (reader == nullptr)
        pelorn::card::releaseCurrentReader();
    else
        pelorn::card::setCurrentReader(reader);
}

// A card PowerON could connect to: present and not mute (the card PowerON
// without a current reader looks for).
PELORN_API uint8_t ReaderHoldsCard(const ReaderEntry *reader)
{
    if (reader == nullptr)
        return 0;
    pelorn::card::Context context;
    if (context.establish() != SCARD_S_SUCCESS)
        return 0;
    SCARD_READERSTATE state;
    std::memset(&state, 0, sizeof state);
    state.szReader = reader->name;
    LONG rv = pelorn::card::queryStates(context.get(), &state, 1, pelorn::card::kImmediateQueryTimeoutMs);
    if (rv != SCARD_S_SUCCESS && rv != SCARD_E_TIMEOUT)
        return 0;
    return pelorn::card::holdsResponsiveCard(state.dwEventState) ? 1 : 0;
}

} // extern "C"
