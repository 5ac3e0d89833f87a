// The language's integer arithmetic, in one place: 64-bit two's complement
// that wraps around without undefined behaviour, truncating division with
// the sign rules below, and shifts by any count.
#pragma once

#include <cstdint>

namespace pelorn::interp::integers {

inline int64_t add(int64_t a, int64_t b) { return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b)); }
inline int64_t subtract(int64_t a, int64_t b) { return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b)); }
inline int64_t multiply(int64_t a, int64_t b) { return static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b)); }
inline int64_t negate(int64_t a) { return static_cast<int64_t>(0 - static_cast<uint64_t>(a)); }

// Truncating division (b not 0); the most negative integer divided by -1
// is itself.
inline int64_t divide(int64_t a, int64_t b) { return b == -1 ? negate(a) : a / b; }
// The remainder has the dividend's sign (b not 0); anything modulo -1 is 0.
inline int64_t remainder(int64_t a, int64_t b) { return b == -1 ? 0 : a % b; }

inline int64_t shiftLeft(int64_t value, uint64_t count)
{
    return count >= 64 ? 0 : static_cast<int64_t>(static_cast<uint64_t>(value) << count);
}

// Arithmetic: the sign bit is copied in.
inline int64_t shiftRight(int64_t value, uint64_t count)
{
    if (count >= 64)
        return value < 0 ? -1 : 0;
    return value >> count;
}

// A negative count shifts the other way by its magnitude.
inline int64_t shift(int64_t value, int64_t count, bool left)
{
    uint64_t magnitude = count < 0 ? 0 - static_cast<uint64_t>(count) : static_cast<uint64_t>(count);
    if (count < 0)
        left = !left;
    return left ? shiftLeft(value, magnitude) : shiftRight(value, magnitude);
}

} // namespace pelorn::interp::integers
