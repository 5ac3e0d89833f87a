// Time, clocks, pauses and random numbers (OpenSSL's process-wide generator).
#include "api/interrupt.h"
#include "builtins/arguments.h"
#include "builtins/catalogue.h"
#include "builtins/messages.h"
#include "builtins/startup.h"
#include "value/value.h"

#include <openssl/rand.h>

#include <cerrno>
#include <chrono>
#include <ctime>

namespace pelorn::builtins {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Clock counts from here, noted when the library is loaded (as the process
// starts, for a host linked with it).
SteadyClock::time_point processStart;
// Ticks per second of the high-resolution counter; 0 when there is none.
double counterFrequency = 0.0;

// The largest number of bytes Rand gives in one call: a byte array's
// length is a signed 32-bit number.
constexpr int64_t kMaxRandomBytes = INT32_MAX;

int64_t millisecondsSinceStart()
{
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - processStart);
    // A 32-bit clock value widened with its sign.
    return static_cast<int32_t>(static_cast<uint32_t>(elapsed.count()));
}

} // namespace

void initializeClock()
{
    processStart = SteadyClock::now();
    timespec resolution{};
    counterFrequency = clock_getres(CLOCK_MONOTONIC, &resolution) == 0 ? 1e9 : 0.0;
}

int32_t Time(uint32_t count, ArgumentSlot *, ScriptValue *result)
{
    if (count != 0)
        return badArguments(messages::kTime);
    *result = value::makeInteger(static_cast<int64_t>(std::time(nullptr)));
    return PELORN_OK;
}

int32_t Clock(uint32_t count, ArgumentSlot *, ScriptValue *result)
{
    if (count != 0)
        return badArguments(messages::kClock);
    *result = value::makeInteger(millisecondsSinceStart());
    return PELORN_OK;
}

int32_t GetPerfCounter(uint32_t count, ArgumentSlot *, ScriptValue *result)
{
    if (count != 0)
        return badArguments(messages::kGetPerfCounter);
    double seconds;
    if (counterFrequency > 0.0) {
        timespec now{};
        double ticks = 0.0;
        if (clock_gettime(CLOCK_MONOTONIC, &now) == 0)
            ticks = static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
        seconds = ticks / counterFrequency;
    } else {
        seconds = static_cast<double>(millisecondsSinceStart()) / 1000.0;
    }
    *result = value::makeFloat(seconds);
    return PELORN_OK;
}

// The low 32 bits of the argument, as unsigned milliseconds.
int32_t Sleep(uint32_t count, ArgumentSlot *args)
{
    if (count != 1 || !isInteger(args[0]))
        return badArguments(messages::kSleep);
    auto milliseconds = static_cast<uint32_t>(args[0].value.u.integer);
    timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    // A signal that interrupts the run (InterruptScript) ends the sleep.
    while (nanosleep(&left, &left) != 0 && errno == EINTR && !api::interrupted()) {
    }
    return PELORN_OK;
}

// No argument: an integer from 8 random bytes (the first the least
// significant). One integer n: n random bytes.
int32_t Rand(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    if (count == 0) {
        unsigned char bytes[8] = {};
        RAND_bytes(bytes, sizeof bytes);
        uint64_t n = 0;
        for (int i = 7; i >= 0; --i)
            n = n << 8 | bytes[i];
        *result = value::makeInteger(static_cast<int64_t>(n));
        return PELORN_OK;
    }
    if (count != 1 || !isInteger(args[0]))
        return badArguments(messages::kRand);
    int64_t n = args[0].value.u.integer;
    if (n < 0)
        fail(messages::kRandNegative);
    if (n > kMaxRandomBytes)
        fail(messages::kRandTooLarge);
    auto *block = static_cast<uint8_t *>(zalloc(static_cast<int32_t>(n)));
    if (block == nullptr)
        fail(messages::kRandNoMemory);
    RAND_bytes(block, static_cast<int>(n));
    *result = value::adoptBytes(block, static_cast<int32_t>(n));
    return PELORN_OK;
}

// Mixes the argument into the generator; later output stays unpredictable.
int32_t SRand(uint32_t count, ArgumentSlot *args)
{
    if (count != 1)
        return badArguments(messages::kSRand);
    const ScriptValue &seed = args[0].value;
    if (isInteger(args[0])) {
        RAND_seed(&seed.u.integer, sizeof seed.u.integer);
    } else if (isBytes(args[0])) {
        if (byteCount(seed) > 0)
            RAND_seed(seed.u.bytes.data, static_cast<int>(byteCount(seed)));
    } else if (isString(args[0])) {
        forEachSegment(seed, [](const char *text, size_t length) { RAND_seed(text, static_cast<int>(length)); });
    } else {
        return badArguments(messages::kSRand);
    }
    return PELORN_OK;
}

} // namespace pelorn::builtins
