// Sending a command APDU and publishing the status word and response data.
#include "card/exchange.h"

#include "builtins/registry.h"
#include "card/apdu_format.h"
#include "card/messages.h"
#include "card/pcsc_error.h"
#include "value/value.h"

#include <PCSC/winscard.h>
#include <cstring>
#include <ctime>

namespace pelorn::card {

namespace {

// The process clock that Clock reads, in milliseconds.
int64_t clockMilliseconds()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void storeInteger(SymbolEntry *entry, int64_t n)
{
    if (entry == nullptr)
        return;
    ScriptValue &v = entry->c.value;
    if (v.type != PELORN_INTEGER) {
        value::release(v);
        v = value::makeInteger(n);
    }
    v.u.integer = n;
}

// Reuses __Response's block when it is large enough: no allocation per
// exchange once the largest response has been seen.
void storeResponse(SymbolEntry *entry, const uint8_t *data, int32_t length)
{
    if (entry == nullptr)
        return;
    ScriptValue &v = entry->c.value;
    if (v.type != PELORN_BYTEARRAY) {
        value::release(v);
        v = value::adoptBytes(static_cast<uint8_t *>(zalloc(length)), length);
    } else if (v.u.bytes.length < length || v.u.bytes.data == nullptr) {
        if (v.freeBlock != nullptr)
            v.freeBlock(v.u.bytes.data);
        else
            zfree(v.u.bytes.data);
        v.freeBlock = nullptr;
        v.u.bytes.data = static_cast<uint8_t *>(zalloc(length));
    }
    v.u.bytes.length = length;
    if (length > 0)
        std::memcpy(v.u.bytes.data, data, static_cast<size_t>(length));
}

void publish(const uint8_t *response, uint32_t received)
{
    uint8_t sw1 = response[received - 2];
    uint8_t sw2 = response[received - 1];
    const builtins::Predefined &p = builtins::predefined();
    storeInteger(p.sw, sw1 * 256 + sw2);
    storeInteger(p.sw1, sw1);
    storeInteger(p.sw2, sw2);
    storeResponse(p.response, response, static_cast<int32_t>(received - 2));
}

} // namespace

ExchangeResult transmit(ReaderEntry &reader, uint8_t *bytes, uint32_t commandLength)
{
    if (reader.card == 0)
        throwMessage(kNotConnectedBufferSize, text::kReaderNotConnected, reader.name);
    ApduShape shape = classify(bytes, commandLength);
    if (shape.kind == ApduCase::Malformed)
        ThrowStringException(text::kMalformedCommand);
    uint32_t length = adaptToProtocol(bytes, commandLength, shape, reader.protocol);

    SCARD_IO_REQUEST sendPci{reader.protocol, sizeof(SCARD_IO_REQUEST)};
    SCARD_IO_REQUEST receivePci{reader.protocol, sizeof(SCARD_IO_REQUEST)};
    DWORD received = reader.receiveBufferSize;
    int64_t start = clockMilliseconds();
    LONG rv = SCardTransmit(reader.card, &sendPci, bytes, length, &receivePci, reader.receiveBuffer, &received);
    int64_t end = clockMilliseconds();
    if (rv != SCARD_S_SUCCESS)
        throwMessage(kTransmitMessageBufferSize, text::kTransmitFailed, reader.name, errorText(rv));
    if (received < 2)
        throwMessage(kMessageBufferSize, text::kShortResponse, static_cast<int>(received), reader.name);
    publish(reader.receiveBuffer, static_cast<uint32_t>(received));
    return ExchangeResult{static_cast<uint32_t>(received), static_cast<int32_t>(end - start)};
}

} // namespace pelorn::card
