// The readers --reader and --each-reader name, from the engine's registry.
#pragma once

#include "pelorn.h"

#include <string>
#include <vector>

namespace pelorn::command {

// Refreshes the registry and finds the reader a --reader word names: a
// reader's name (compared as the registry compares names, without regard
// to case), else a decimal index into the list. Null, after a message on
// standard error, when there is none.
ReaderEntry *findReader(const std::string &word);

// Refreshes the registry: the names of the readers holding a card that
// answers, in registry order.
std::vector<std::string> readersWithCard();

} // namespace pelorn::command
