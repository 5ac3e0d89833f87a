// A host's request to stop the run in progress (InterruptScript): a flag
// that any thread and a signal handler may set, read at every block the
// run enters.
#pragma once

#include <atomic>

namespace pelorn::api {

extern std::atomic<bool> interruptRequested;

inline bool interrupted() { return interruptRequested.load(std::memory_order_relaxed); }
// A run starts afresh: a request made before it does not stop it.
inline void clearInterrupt() { interruptRequested.store(false, std::memory_order_relaxed); }

} // namespace pelorn::api
