// The GlobalPlatform part of a card profile: an issuer security domain, its
// key sets and the card's content (applications, security domains, load
// files). Lines of the profile text (see profile.h for the rest):
//
//   isd A0 00 00 01 51 00 00 00 state 0F privileges 9E FE 80
//   keyset 20 scp02 i 55 counter 00 2A      (version 20; keys default to 40..4F)
//   keyset 30 scp03 i 70 enc 40 41 ... mac ... dek ...
//   kdd 00 00 11 22 33 44 55 66 77 88       (key diversification data, 10 bytes)
//   loadfile A0 00 00 00 62 03 01 state 01 version 01 00 module A0 00 00 00 62 03 01 0C 01
//   application A0 00 00 00 62 03 01 0C 01 state 07 privileges 00 00 00 loadfile A0 00 00 00 62 03 01
//   domain A0 00 00 01 51 53 50 41 state 0F privileges 80 00 00 loadfile A0 00 00 01 51 53 50
//   statuslimit 120                          (response bytes per GET STATUS, before 63 10)
//
// The first key set answers INITIALIZE UPDATE with key version 00. An
// application or domain line may also name its security domain with
// "domain AID". The ISD is selected at power-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vcard {

using Bytes = std::vector<uint8_t>;

enum class GpKind { Isd, Application, Domain, LoadFile };

struct GpKeySet {
    uint8_t version = 0;
    int scp = 2;          // 2 or 3
    uint8_t i = 0x55;     // the protocol's option byte
    Bytes enc, mac, dek;  // static keys
    uint32_t counter = 0; // sequence counter: 2 bytes for SCP02, 3 for SCP03
};

struct GpEntry {
    GpKind kind = GpKind::Application;
    Bytes aid;
    uint8_t state = 0;
    Bytes privileges;           // 3 bytes (none for load files)
    Bytes loadFile;             // applications and domains: their load file
    Bytes domain;               // the associated security domain, when named
    Bytes version;              // load files
    std::vector<Bytes> modules; // load files: their executable modules
};

struct GpCard {
    bool present = false;        // the profile has an ISD
    std::vector<GpEntry> content; // the ISD first
    std::vector<GpKeySet> keySets;
    Bytes kdd = Bytes(10, 0x00);
    size_t statusLimit = 0;       // 0: as much as a short response holds

    GpEntry *find(const Bytes &aid);
    GpEntry &isd() { return content.front(); }
};

// One profile line whose keyword belongs to GlobalPlatform. Returns false
// with the reason when the line is wrong; `known` tells whether the keyword
// was one of them at all. `continued` is where indented lines that follow
// add their bytes (the line's last attribute), or null.
bool parseGpLine(const std::string &keyword, const std::string &rest, GpCard &card, bool &known,
                 Bytes *&continued, std::string &why);

// Checks what only the whole profile can tell (an ISD for the key sets,
// known load files); fills in defaults.
bool finishGpCard(GpCard &card, std::string &why);

// The well-known test key 40 41 ... 4F.
Bytes gpDefaultKey();

} // namespace vcard
