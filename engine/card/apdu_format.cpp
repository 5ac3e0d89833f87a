// Command APDU cases and their protocol adaptations.
#include "card/apdu_format.h"

#include <PCSC/pcsclite.h>

namespace pelorn::card {

ApduShape classify(const uint8_t *c, uint32_t n)
{
    if (n < 4)
        return {ApduCase::Malformed, false};
    if (n == 4)
        return {ApduCase::NoData, false};
    if (n == 5)
        return {ApduCase::ExpectsData, false};
    // Byte 4 zero introduces the three-byte extended length fields.
    if (n >= 7 && c[4] == 0) {
        if (n == 7)
            return {ApduCase::ExpectsData, true};
        uint32_t lc = static_cast<uint32_t>(c[5]) << 8 | c[6];
        if (lc != 0 && n == 7 + lc)
            return {ApduCase::SendsData, true};
        if (lc != 0 && n == 9 + lc)
            return {ApduCase::SendsAndExpects, true};
    }
    uint32_t lc = c[4];
    if (lc == 0)
        return {ApduCase::Malformed, false};
    if (n == lc + 5)
        return {ApduCase::SendsData, false};
    if (n == lc + 6)
        return {ApduCase::SendsAndExpects, false};
    return {ApduCase::Malformed, false};
}

uint32_t adaptToProtocol(uint8_t *c, uint32_t n, ApduShape shape, uint32_t protocol)
{
    uint32_t leBytes = shape.extended ? 2 : 1;
    if (protocol == SCARD_PROTOCOL_T1) {
        if (shape.kind == ApduCase::SendsAndExpects) {
            for (uint32_t i = n - leBytes; i < n; ++i)
                c[i] = 0;
        } else if (shape.kind == ApduCase::SendsData) {
            for (uint32_t i = 0; i < leBytes; ++i)
                c[n++] = 0;
        }
    } else if (protocol == SCARD_PROTOCOL_T0) {
        if (shape.kind == ApduCase::SendsAndExpects)
            n -= leBytes;
    }
    return n;
}

} // namespace pelorn::card
