// The issuer security domain: command dispatch, SELECT, opening the secure
// channel, and the content management commands inside it.
#include "gp_domain.h"

#include <algorithm>

namespace vcard::gp {

namespace {

constexpr uint8_t kInsSelect = 0xA4;
constexpr uint8_t kInsInitializeUpdate = 0x50;
constexpr uint8_t kInsExternalAuthenticate = 0x82;
constexpr uint8_t kInsGetStatus = 0xF2;
constexpr uint8_t kInsDelete = 0xE4;
constexpr size_t kHostChallenge = 8;
// A short response holds 256 bytes; leave room for an R-MAC and the
// padding R-ENC adds.
constexpr size_t kStatusRoom = 256 - 8 - 16;
constexpr uint8_t kStatusNext = 0x01;
constexpr uint8_t kStatusTagged = 0x02;
constexpr uint8_t kDeleteRelated = 0x80;
constexpr uint16_t kMoreData = 0x6310;
constexpr uint8_t kLocked = 0x80;
constexpr uint8_t kSelectable = 0x07;

void appendTlv(Bytes &out, uint8_t tag, const Bytes &value)
{
    out.push_back(tag);
    out.push_back(static_cast<uint8_t>(value.size()));
    out.insert(out.end(), value.begin(), value.end());
}

bool startsWith(const Bytes &aid, const Bytes &prefix)
{
    return aid.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), aid.begin());
}

// Reads "4F len AID" at the start of command data.
bool readAid(const Bytes &data, Bytes &aid)
{
    if (data.size() < 2 || data[0] != 0x4F || data.size() < 2u + data[1])
        return false;
    aid.assign(data.begin() + 2, data.begin() + 2 + data[1]);
    return true;
}

} // namespace

void SecurityDomain::leave()
{
    isdSelected_ = false;
    channel_.reset();
    listing_ = {};
}

std::optional<Reply> SecurityDomain::respond(Command &c)
{
    if (c.ins == kInsSelect && (c.cla & 0x80) == 0)
        return select(c);
    if (!isdSelected_ || (c.cla & 0x80) == 0)
        return std::nullopt;
    switch (c.ins) {
    case kInsInitializeUpdate:
        return initializeUpdate(c);
    case kInsExternalAuthenticate:
        return externalAuthenticate(c);
    default:
        return inSession(c);
    }
}

// By AID (first or only occurrence): the ISD, or a selectable application
// or domain. Other SELECTs are the file system's.
std::optional<Reply> SecurityDomain::select(const Command &c)
{
    const GpEntry *target = nullptr;
    if (c.p1 == 0x04 && (c.p2 & 0x03) == 0 && !c.data.empty()) {
        for (const GpEntry &e : card_.content) {
            bool selectable = e.kind == GpKind::Isd ||
                              (e.kind != GpKind::LoadFile && (e.state & kSelectable) == kSelectable && (e.state & kLocked) == 0);
            if (selectable && startsWith(e.aid, c.data)) {
                target = &e;
                break;
            }
        }
    }
    if (target == nullptr)
        return std::nullopt;
    leave();
    isdSelected_ = target->kind == GpKind::Isd;
    Bytes proprietary;
    if (isdSelected_)
        proprietary = {0x9F, 0x65, 0x01, 0xFF}; // the longest command it takes
    Bytes inner;
    appendTlv(inner, 0x84, target->aid);
    appendTlv(inner, 0xA5, proprietary);
    Bytes fci;
    appendTlv(fci, 0x6F, inner);
    return Reply{(c.p2 & 0x0C) == 0x0C ? Bytes{} : fci, kOk};
}

Reply SecurityDomain::initializeUpdate(const Command &c)
{
    channel_.reset();
    if (c.cla != 0x80)
        return {{}, kClaUnknown};
    if (c.p2 != 0x00)
        return {{}, kWrongP1P2};
    if (c.data.size() != kHostChallenge)
        return {{}, kWrongLength};
    GpKeySet *keys = nullptr;
    for (GpKeySet &set : card_.keySets) {
        if (c.p1 == 0x00 || set.version == c.p1) {
            keys = &set;
            break;
        }
    }
    if (keys == nullptr)
        return {{}, kNotFound};
    const Bytes &aid = card_.isd().aid;
    channel_ = keys->scp == 2 ? makeScp02(*keys, card_.kdd, aid) : makeScp03(*keys, card_.kdd, aid);
    return channel_->initialize(c.data);
}

Reply SecurityDomain::externalAuthenticate(const Command &c)
{
    if (channel_ == nullptr || channel_->open())
        return {{}, kConditionsNotSatisfied};
    uint16_t sw = channel_->authenticate(c);
    if (sw != kOk)
        channel_.reset();
    return {{}, sw};
}

// Everything else needs an authenticated session; a command that fails its
// secure messaging ends it.
Reply SecurityDomain::inSession(Command &c)
{
    if (channel_ == nullptr || !channel_->open())
        return {{}, kSecurityNotSatisfied};
    uint16_t sw = channel_->unwrap(c);
    if (sw != kOk) {
        channel_.reset();
        return {{}, sw};
    }
    Reply reply;
    switch (c.ins) {
    case kInsGetStatus:
        reply = getStatus(c);
        break;
    case kInsDelete:
        reply = deleteContent(c);
        break;
    default:
        reply = {{}, kInsUnknown};
    }
    return channel_->wrap(reply.data, reply.sw);
}

Reply SecurityDomain::getStatus(const Command &c)
{
    if ((c.p1 != 0x80 && c.p1 != 0x40 && c.p1 != 0x20 && c.p1 != 0x10) || (c.p2 & ~0x03) != 0)
        return {{}, kWrongP1P2};
    size_t limit = card_.statusLimit != 0 ? std::min(card_.statusLimit, kStatusRoom) : kStatusRoom;
    uint8_t format = c.p2 & kStatusTagged;
    if ((c.p2 & kStatusNext) != 0) {
        if (!listing_.more || listing_.p1 != c.p1 || listing_.format != format || listing_.criteria != c.data)
            return {{}, kWrongP1P2};
    } else {
        listing_ = {c.p1, format, c.data, 0, false};
    }
    // Search criteria: 4F and the AID's first bytes (4F 00: everything).
    Bytes prefix;
    if (!readAid(c.data, prefix))
        return {{}, kWrongData};
    StatusPage page = listContent(card_, c.p1, format != 0, prefix, listing_.next, limit);
    if (!page.any)
        return {{}, kNotFound};
    listing_.next = page.next;
    listing_.more = page.more;
    return {page.data, page.more ? kMoreData : kOk};
}

// DELETE of an application, a domain or a load file; P2 80 takes a load
// file's applications with it. The ISD, a load file with applications and
// a domain with applications stay.
Reply SecurityDomain::deleteContent(const Command &c)
{
    Bytes aid;
    if (c.p1 != 0x00 || (c.p2 != 0x00 && c.p2 != kDeleteRelated))
        return {{}, kWrongP1P2};
    if (!readAid(c.data, aid))
        return {{}, kWrongData};
    GpEntry *target = card_.find(aid);
    if (target == nullptr)
        return {{}, kNotFound};
    if (target->kind == GpKind::Isd)
        return {{}, kConditionsNotSatisfied};
    auto dependsOnTarget = [&aid](const GpEntry &e) { return e.loadFile == aid || e.domain == aid; };
    bool used = std::any_of(card_.content.begin(), card_.content.end(), dependsOnTarget);
    if (used && (c.p2 != kDeleteRelated || target->kind == GpKind::Domain))
        return {{}, kConditionsNotSatisfied};
    std::erase_if(card_.content, [&](const GpEntry &e) { return e.aid == aid || (used && e.loadFile == aid); });
    listing_ = {};
    return {{0x00}, kOk};
}

} // namespace vcard::gp
