// One reader of the registry: creation, reference counting, connection
// teardown.
#pragma once

#include "pelorn.h"

#include <cstdint>

namespace pelorn::card {

// Every response lands here: the largest extended response (65536 data
// bytes) and its status word.
constexpr uint32_t kReceiveBufferSize = 65538;

// A new entry for a reader name, holding one reference (the caller's).
ReaderEntry *createEntry(const char *name);
void retain(ReaderEntry *entry);
// Drops one reference; the last one closes the connection (the card keeps
// its state) and frees the entry.
void release(ReaderEntry *entry);
// Ends an open transaction and disconnects with `disposition`, releases
// the context and clears card, context and locked. The protocol stays.
void closeConnection(ReaderEntry *entry, DWORD disposition);

} // namespace pelorn::card
