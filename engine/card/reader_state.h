// Status queries over the registry's readers.
#pragma once

#include "pelorn.h"

#include <PCSC/winscard.h>
#include <cstdint>

namespace pelorn::card {

// pcsc-lite takes at most this many readers in one status query; larger
// sets are queried in slices.
constexpr uint32_t kStatesPerQuery = PCSCLITE_MAX_READERS_CONTEXTS;
// A query whose current states are all "unaware" reports at once; the
// bound only keeps a daemon that never answers from holding the script.
constexpr DWORD kImmediateQueryTimeoutMs = 5000;

// One record per registry entry, in registry order, every state unaware.
void fillRegistryStates(SCARD_READERSTATE *states);

// Queries count records. The first slice waits up to timeoutMs, the rest
// report what they see now. 0 when some record changed, SCARD_E_TIMEOUT
// when none did, else the first error.
LONG queryStates(SCARDCONTEXT context, SCARD_READERSTATE *states, uint32_t count, DWORD timeoutMs);

// A responsive card: present and not mute.
inline bool holdsResponsiveCard(DWORD state)
{
    return (state & SCARD_STATE_PRESENT) != 0 && (state & SCARD_STATE_MUTE) == 0;
}

} // namespace pelorn::card
