// TransmitAPDU: the engine's exchange, offered to modules that send
// commands on a script's behalf, so that they check, adapt and publish
// exactly as SendAPDU does.
#include "card/apdu_format.h"
#include "card/exchange.h"
#include "card/messages.h"

#include <cstring>

extern "C" PELORN_API uint32_t TransmitAPDU(ReaderEntry *reader, const uint8_t *command, uint32_t length)
{
    using namespace pelorn::card;
    // Refused before the copy: nothing longer is a well-formed command.
    if (reader == nullptr || length > kMaxCommandLength || (length > 0 && command == nullptr))
        ThrowStringException(text::kMalformedCommand);
    CommandBuffer buffer(length);
    if (length > 0)
        std::memcpy(buffer.data(), command, length);
    return transmit(*reader, buffer.data(), buffer.length()).received;
}
