// InterruptScript: stopping the run in progress from outside.
#include "api/interrupt.h"

#include "pelorn.h"

namespace pelorn::api {

std::atomic<bool> interruptRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from signal handlers");

} // namespace pelorn::api

extern "C" {

PELORN_API void InterruptScript(void)
{
    pelorn::api::interruptRequested.store(true, std::memory_order_relaxed);
    // A script waiting for a card stops waiting.
    StopCardWait();
}

} // extern "C"
