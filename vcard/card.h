// What the virtual card answers: scripted rules first, then a small
// ISO/IEC 7816-4 file system (SELECT, READ BINARY, UPDATE BINARY and, on
// T=0, GET RESPONSE after 61xx).
#pragma once

#include "profile.h"

#include <memory>

namespace vcard {

namespace gp {
class SecurityDomain;
}

// One command APDU, short or extended.
struct Command {
    uint8_t cla, ins, p1, p2;
    Bytes data;
    uint32_t ne;  // expected response length; 0 when the command has no Le
    bool valid;
    bool leZero;  // a short Le of 00: "as much as there is, up to 256"
};
Command parseCommand(const Bytes &apdu);

class Card {
public:
    explicit Card(Profile &profile);
    ~Card();

    // Power-up or reset: back to the MF (and the ISD of a GlobalPlatform
    // card), nothing pending, no secure channel.
    void reset();
    Bytes respond(const Bytes &command);

private:
    Bytes select(const Command &c);
    Bytes readBinary(const Command &c);
    Bytes updateBinary(const Command &c);
    Bytes getResponse(const Command &c);
    // Response data of a case-4 command: on T=0 held back behind 61xx, on
    // T=1 sent at once (cut to Ne). The status word comes with the data,
    // after the last GET RESPONSE on T=0.
    Bytes deliver(Bytes data, const Command &c, uint16_t sw = 0x9000);

    CardFile *findByName(CardFile *folder, const Bytes &name);
    CardFile *findById(uint16_t fid);
    Bytes control(const CardFile &file, uint8_t templateTag);

    Profile &profile_;
    CardFile *folder_ = nullptr; // current DF
    CardFile *file_ = nullptr;   // current EF, or null
    Bytes pending_;              // T=0: data awaiting GET RESPONSE
    uint16_t pendingStatus_ = 0x9000; // and the status word that ends them
    std::unique_ptr<gp::SecurityDomain> domain_; // on a GlobalPlatform card
};

Bytes status(uint16_t sw);

} // namespace vcard
