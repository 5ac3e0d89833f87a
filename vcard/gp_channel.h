// The card side of a GlobalPlatform secure channel protocol: what the
// security domain asks of SCP02 and SCP03.
#pragma once

#include "card.h"

#include <memory>

namespace vcard::gp {

struct Reply {
    Bytes data;
    uint16_t sw;
};

// Security levels (EXTERNAL AUTHENTICATE P1).
constexpr uint8_t kCMac = 0x01;
constexpr uint8_t kCDecryption = 0x02;
constexpr uint8_t kRMac = 0x10;
constexpr uint8_t kREncryption = 0x20;

constexpr uint16_t kOk = 0x9000;
constexpr uint16_t kAuthenticationFailed = 0x6300;
constexpr uint16_t kWrongLength = 0x6700;
constexpr uint16_t kSecurityNotSatisfied = 0x6982;
constexpr uint16_t kConditionsNotSatisfied = 0x6985;
constexpr uint16_t kBadSecureMessaging = 0x6988;
constexpr uint16_t kWrongData = 0x6A80;
constexpr uint16_t kWrongP1P2 = 0x6A86;
constexpr uint16_t kNotFound = 0x6A88;
constexpr uint16_t kInsUnknown = 0x6D00;
constexpr uint16_t kClaUnknown = 0x6E00;

class SecureChannel {
public:
    virtual ~SecureChannel() = default;

    // INITIALIZE UPDATE: the response data for the host challenge.
    virtual Reply initialize(const Bytes &hostChallenge) = 0;
    // EXTERNAL AUTHENTICATE: checks the host cryptogram and the command's
    // MAC; 9000 opens the session at the level P1 names.
    virtual uint16_t authenticate(const Command &c) = 0;
    // A command of the open session: checks the C-MAC and deciphers the
    // data, leaving the plain command in c; 9000 or the error to answer.
    virtual uint16_t unwrap(Command &c) = 0;
    // The response to an unwrapped command, protected as the level asks.
    virtual Reply wrap(const Bytes &data, uint16_t sw) = 0;

    bool open() const { return open_; }
    uint8_t level() const { return level_; }

protected:
    bool open_ = false;
    uint8_t level_ = 0;
};

// The key set's sequence counter is the card's: the channel moves it on.
std::unique_ptr<SecureChannel> makeScp02(GpKeySet &keys, const Bytes &kdd, const Bytes &aid);
std::unique_ptr<SecureChannel> makeScp03(GpKeySet &keys, const Bytes &kdd, const Bytes &aid);

// The class byte that carries GlobalPlatform secure messaging.
inline bool securedClass(uint8_t cla) { return (cla & 0x04) != 0; }

} // namespace vcard::gp
