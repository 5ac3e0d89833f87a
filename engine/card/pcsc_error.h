// PC/SC error texts and the card layer's one way of throwing a message.
#pragma once

#include "pelorn.h"

#include <PCSC/winscard.h>
#include <cstddef>
#include <cstdint>

namespace pelorn::card {

// Thrown messages are formatted into buffers of these sizes; longer texts
// are cut to one character less.
constexpr size_t kMessageBufferSize = 512;         // connection and state failures
constexpr size_t kTransmitMessageBufferSize = 1024; // transmission failures
constexpr size_t kNotConnectedBufferSize = 300;     // "Reader ... is not connected"

// The text PC/SC gives for a code; never null (unknown codes are named by
// number). Codes are 32-bit whether they come as pcsc-lite's 64-bit LONG or
// as the registry refresh's int32_t.
const char *errorText(int64_t code);

// Formats a message into a buffer of `capacity` bytes and throws it into
// the script (ThrowStringException).
[[noreturn]] void throwMessage(size_t capacity, const char *format, ...) __attribute__((format(printf, 2, 3)));

} // namespace pelorn::card
