// The one way commands reach a card: the APDU statement and SendAPDU.
#pragma once

#include "pelorn.h"

#include <cstdint>
#include <memory>

namespace pelorn::card {

// A command buffer with the two spare bytes the protocol adaptation may
// append; usual commands stay on the stack.
class CommandBuffer {
public:
    explicit CommandBuffer(uint32_t length)
        : length_(length), heap_(length + kSpareBytes > kInlineCapacity ? new uint8_t[length + kSpareBytes] : nullptr)
    {
    }
    CommandBuffer(const CommandBuffer &) = delete;
    CommandBuffer &operator=(const CommandBuffer &) = delete;

    uint8_t *data() { return heap_ != nullptr ? heap_.get() : inline_; }
    uint32_t length() const { return length_; }

    static constexpr uint32_t kSpareBytes = 2;

private:
    // A short command with its data and Le (5 + 255 + 1), with room to spare.
    static constexpr uint32_t kInlineCapacity = 512;
    uint32_t length_;
    std::unique_ptr<uint8_t[]> heap_;
    uint8_t inline_[kInlineCapacity];
};

struct ExchangeResult {
    uint32_t received;  // response bytes, SW1 SW2 included
    int32_t durationMs; // time spent in SCardTransmit
};

// Checks the command, fits it to the connection's protocol, sends it and
// publishes __SW, __SW1, __SW2 and __Response. The response stays in the
// reader's receive buffer. Every failure is thrown (ThrowStringException)
// and leaves the status variables as they were.
// `command` must have CommandBuffer::kSpareBytes writable bytes past `length`.
ExchangeResult transmit(ReaderEntry &reader, uint8_t *command, uint32_t length);

} // namespace pelorn::card
