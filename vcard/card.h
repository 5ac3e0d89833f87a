// What the virtual card answers: scripted rules first, then a small
// ISO/IEC 7816-4 file system (SELECT, READ BINARY, UPDATE BINARY and, on
// T=0, GET RESPONSE after 61xx).
#pragma once

#include "profile.h"

namespace vcard {

class Card {
public:
    explicit Card(Profile &profile) : profile_(profile) { reset(); }

    // Power-up or reset: back to the MF, nothing pending.
    void reset();
    Bytes respond(const Bytes &command);

private:
    struct Command {
        uint8_t cla, ins, p1, p2;
        Bytes data;
        uint32_t ne;  // expected response length; 0 when the command has no Le
        bool valid;
        bool leZero;  // a short Le of 00: "as much as there is, up to 256"
    };
    static Command parse(const Bytes &apdu);

    Bytes select(const Command &c);
    Bytes readBinary(const Command &c);
    Bytes updateBinary(const Command &c);
    Bytes getResponse(const Command &c);
    // Response data of a case-4 command: on T=0 held back behind 61xx, on
    // T=1 sent at once (cut to Ne).
    Bytes deliver(Bytes data, const Command &c);

    CardFile *findByName(CardFile *folder, const Bytes &name);
    CardFile *findById(uint16_t fid);
    Bytes control(const CardFile &file, uint8_t templateTag);

    Profile &profile_;
    CardFile *folder_ = nullptr; // current DF
    CardFile *file_ = nullptr;   // current EF, or null
    Bytes pending_;              // T=0: data awaiting GET RESPONSE
};

Bytes status(uint16_t sw);

} // namespace vcard
