// The process-wide reader registry.
#pragma once

#include "pelorn.h"

#include <cstdint>

namespace pelorn::card {

// Re-reads the readers from PC/SC; 0 or a PC/SC error code.
int32_t refreshRegistry();
// At the end of every run: ends transactions and disconnects every card.
void disconnectAll();
// Releases the current-reader link (end of every run).
void releaseCurrentReader();
// Library unload: releases every entry and the current reader.
void releaseRegistry();
// Makes entry the current reader (no-op when it already is); connects nothing.
void setCurrentReader(ReaderEntry *entry);

} // namespace pelorn::card
