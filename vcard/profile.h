// A card profile: the ATR, the protocol, a file system and scripted
// command→response rules, read from a small text file.
//
//   # comment
//   atr 3B 02 14 50
//   protocol T=0                          (T=0 or T=1; by default from the ATR)
//   df 3F00/7F10 name A0 00 00 00 03 10 10
//   ef 3F00/7F10/6F01 data 01 02 03       (indented lines continue the bytes)
//   ef 3F00/7F10/6F02 text "Hello"
//   ef 3F00/7F10/6F03 size 32             (zero-filled)
//   rule 80 CA 9F 7F -> 9F 7F 01 02 90 00 (a command starting with the prefix)
//   rule * -> echo                        (any command; echo: the command + 90 00)
//
// Paths start at the MF, 3F00; a df or ef line creates the folders on its
// path. Rules are consulted before the file system. GlobalPlatform lines
// (isd, keyset, ...) are described in gp_profile.h.
#pragma once

#include "gp_profile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vcard {

using Bytes = std::vector<uint8_t>;

struct CardFile {
    uint16_t id = 0;
    bool folder = false;
    Bytes name;   // folders: the application identifier, possibly empty
    Bytes data;   // elementary files: the contents
    Bytes fci;    // given by the profile; generated when empty
    CardFile *parent = nullptr;
    std::vector<std::unique_ptr<CardFile>> children;

    CardFile *child(uint16_t fid) const;
    uint8_t shortId() const { return static_cast<uint8_t>(id & 0x1F); }
};

struct Rule {
    bool any = false; // '*'
    Bytes prefix;
    bool echo = false;
    Bytes response;
};

enum class Protocol { T0, T1 };

struct Profile {
    Bytes atr;
    Protocol protocol = Protocol::T0;
    std::unique_ptr<CardFile> master; // 3F00
    std::vector<Rule> rules;
    GpCard gp; // a GlobalPlatform card when it has an ISD
};

// Parses a profile text; on a mistake returns false with "line N: why".
bool parseProfile(const std::string &text, Profile &profile, std::string &error);
bool loadProfile(const std::string &path, Profile &profile, std::string &error);

// The protocol an ATR offers: T=1 when any interface byte names it.
Protocol protocolOfAtr(const Bytes &atr);

// Hex digits, blanks ignored, appended to out; false on anything else or
// an odd count of digits.
bool parseHex(const std::string &text, Bytes &out);

std::string hex(const uint8_t *data, size_t n);
inline std::string hex(const Bytes &b) { return hex(b.data(), b.size()); }

} // namespace vcard
