// The issuer security domain of a GlobalPlatform card: SELECT by AID, the
// secure channel (INITIALIZE UPDATE, EXTERNAL AUTHENTICATE, wrapped
// commands), GET STATUS and DELETE over the card's content.
#pragma once

#include "gp_channel.h"

#include <optional>

namespace vcard::gp {

class SecurityDomain {
public:
    // Power-up: the ISD is selected, no session.
    explicit SecurityDomain(GpCard &card) : card_(card) {}

    // The answer to a command that is the domain's; nothing when it is the
    // file system's (other SELECTs, commands while another AID is selected).
    std::optional<Reply> respond(Command &c);
    // The file system selected something else: the ISD is left, and its
    // session ends. (A SELECT that finds nothing changes nothing.)
    void leave();

private:
    std::optional<Reply> select(const Command &c);
    Reply initializeUpdate(const Command &c);
    Reply externalAuthenticate(const Command &c);
    Reply inSession(Command &c);
    Reply getStatus(const Command &c);
    Reply deleteContent(const Command &c);

    GpCard &card_;
    bool isdSelected_ = true;
    std::unique_ptr<SecureChannel> channel_;
    // Where the last GET STATUS stopped, for "next occurrence".
    struct Listing {
        uint8_t p1 = 0;
        uint8_t format = 0;
        Bytes criteria;
        size_t next = 0;
        bool more = false;
    } listing_;
};

// GET STATUS: the entries of one kind matching the AID prefix, from the
// first-th match on, encoded (P2 bit 02: E3 templates, else the older
// fixed layout) up to `limit` bytes. `next` is where a following call
// starts; `more` says that entries were left.
struct StatusPage {
    Bytes data;
    size_t next = 0;
    bool more = false;
    bool any = false; // anything matched at all
};
StatusPage listContent(const GpCard &card, uint8_t p1, bool tagged, const Bytes &prefix, size_t first, size_t limit);

} // namespace vcard::gp
