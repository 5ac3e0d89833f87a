// Status queries over the registry's readers.
#include "card/reader_state.h"

#include <algorithm>
#include <cstring>

namespace pelorn::card {

void fillRegistryStates(SCARD_READERSTATE *states)
{
    std::memset(states, 0, sizeof(SCARD_READERSTATE) * g_readersCount);
    for (uint32_t i = 0; i < g_readersCount; ++i)
        states[i].szReader = g_readersList[i]->name;
}

LONG queryStates(SCARDCONTEXT context, SCARD_READERSTATE *states, uint32_t count, DWORD timeoutMs)
{
    LONG result = SCARD_E_TIMEOUT;
    for (uint32_t first = 0; first < count; first += kStatesPerQuery) {
        DWORD slice = std::min(count - first, kStatesPerQuery);
        LONG rv = SCardGetStatusChange(context, first == 0 ? timeoutMs : 0, states + first, slice);
        if (rv == SCARD_S_SUCCESS)
            result = SCARD_S_SUCCESS;
        else if (rv != SCARD_E_TIMEOUT)
            return rv;
    }
    return result;
}

} // namespace pelorn::card
