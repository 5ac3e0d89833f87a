// Command APDUs: recognising their ISO/IEC 7816-4 case and fitting their
// length fields to the transport protocol.
#pragma once

#include <cstdint>

namespace pelorn::card {

enum class ApduCase : uint8_t { Malformed, NoData, ExpectsData, SendsData, SendsAndExpects };

struct ApduShape {
    ApduCase kind;
    bool extended;
};

// Longest well-formed command: extended case 4 with 65535 data bytes.
constexpr uint32_t kMaxCommandLength = 9 + 65535;

ApduShape classify(const uint8_t *command, uint32_t length);

// Rewrites the command for the protocol (1 = T=0, 2 = T=1) and returns its
// new length. The buffer must have room for two bytes past `length`.
//  T=1: a command with data always goes as case 4 with Le zero.
//  T=0: a case-4 command goes without its Le (the card answers 61xx).
uint32_t adaptToProtocol(uint8_t *command, uint32_t length, ApduShape shape, uint32_t protocol);

} // namespace pelorn::card
