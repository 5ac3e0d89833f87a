// The card's side of the vpcd driver's TCP protocol: every message is a
// 2-byte big-endian length and that many bytes. A 1-byte message from the
// driver is a control code (0 power off, 1 power on, 2 reset, 4 "send the
// ATR"); a longer one is a command APDU, answered by the response.
#pragma once

#include "profile.h"

#include <string>

namespace vcard {

enum : uint8_t { kPowerOff = 0, kPowerOn = 1, kReset = 2, kGetAtr = 4 };

class VpcdLink {
public:
    VpcdLink(std::string host, uint16_t port) : host_(std::move(host)), port_(port) {}
    VpcdLink(const VpcdLink &) = delete;
    VpcdLink &operator=(const VpcdLink &) = delete;
    ~VpcdLink() { close(); }

    // One attempt; true when connected (the daemon then sees a card).
    bool connect();
    // The daemon sees the card removed.
    void close();
    bool connected() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // One whole message; false when the driver closed the connection.
    bool receive(Bytes &message);
    bool send(const Bytes &message);

private:
    bool readExactly(uint8_t *out, size_t n);

    std::string host_;
    uint16_t port_;
    int fd_ = -1;
};

} // namespace vcard
