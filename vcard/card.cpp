// The virtual card's answers.
#include "card.h"

#include "gp_domain.h"

#include <algorithm>

namespace vcard {

namespace {

constexpr uint16_t kOk = 0x9000;
constexpr uint16_t kEndOfFile = 0x6282;
constexpr uint16_t kWrongLength = 0x6700;
constexpr uint16_t kNoCurrentEf = 0x6986;
constexpr uint16_t kNothingPending = 0x6985;
constexpr uint16_t kNotFound = 0x6A82;
constexpr uint16_t kWrongP1P2 = 0x6A86;
constexpr uint16_t kOffsetOutside = 0x6B00;
constexpr uint16_t kInsUnknown = 0x6D00;
constexpr uint16_t kClaUnknown = 0x6E00;

void appendTlv(Bytes &out, uint8_t tag, const Bytes &value)
{
    out.push_back(tag);
    out.push_back(static_cast<uint8_t>(value.size()));
    out.insert(out.end(), value.begin(), value.end());
}

Bytes withStatus(Bytes data, uint16_t sw)
{
    data.push_back(static_cast<uint8_t>(sw >> 8));
    data.push_back(static_cast<uint8_t>(sw));
    return data;
}

} // namespace

Bytes status(uint16_t sw) { return withStatus({}, sw); }

Card::Card(Profile &profile) : profile_(profile) { reset(); }

Card::~Card() = default;

void Card::reset()
{
    folder_ = profile_.master.get();
    file_ = nullptr;
    pending_.clear();
    // A profile loaded since holds another card: the domain follows it.
    domain_ = profile_.gp.present ? std::make_unique<gp::SecurityDomain>(profile_.gp) : nullptr;
}

Command parseCommand(const Bytes &a)
{
    Command c{0, 0, 0, 0, {}, 0, false, false};
    size_t n = a.size();
    if (n < 4)
        return c;
    c.cla = a[0], c.ins = a[1], c.p1 = a[2], c.p2 = a[3];
    c.valid = true;
    if (n == 4)
        return c;
    if (n == 5) {
        c.ne = a[4] == 0 ? 256 : a[4];
        c.leZero = a[4] == 0;
        return c;
    }
    if (a[4] == 0 && n >= 7) {
        size_t lc = static_cast<size_t>(a[5] << 8 | a[6]);
        if (n == 7) {
            c.ne = lc == 0 ? 65536 : static_cast<uint32_t>(lc);
            return c;
        }
        if (n == 7 + lc || n == 9 + lc) {
            c.data.assign(a.begin() + 7, a.begin() + 7 + static_cast<long>(lc));
            if (n == 9 + lc) {
                uint32_t le = static_cast<uint32_t>(a[n - 2] << 8 | a[n - 1]);
                c.ne = le == 0 ? 65536 : le;
            }
            return c;
        }
        c.valid = false;
        return c;
    }
    size_t lc = a[4];
    if (n == 5 + lc || n == 6 + lc) {
        c.data.assign(a.begin() + 5, a.begin() + 5 + static_cast<long>(lc));
        if (n == 6 + lc) {
            c.ne = a[n - 1] == 0 ? 256 : a[n - 1];
            c.leZero = a[n - 1] == 0;
        }
        return c;
    }
    c.valid = false;
    return c;
}

Bytes Card::respond(const Bytes &apdu)
{
    for (const Rule &rule : profile_.rules) {
        if (rule.any || (apdu.size() >= rule.prefix.size() && std::equal(rule.prefix.begin(), rule.prefix.end(), apdu.begin()))) {
            pending_.clear();
            return rule.echo ? withStatus(apdu, kOk) : rule.response;
        }
    }
    Command c = parseCommand(apdu);
    if (!c.valid)
        return status(kWrongLength);
    if (c.ins == 0xC0 && (c.cla & 0x80) == 0)
        return getResponse(c);
    pending_.clear();
    if (domain_ != nullptr) {
        if (std::optional<gp::Reply> reply = domain_->respond(c))
            return deliver(std::move(reply->data), c, reply->sw);
    }
    if ((c.cla & 0x80) != 0)
        return status(kClaUnknown);
    switch (c.ins) {
    case 0xA4:
        return select(c);
    case 0xB0:
        return readBinary(c);
    case 0xD6:
        return updateBinary(c);
    default:
        return status(kInsUnknown);
    }
}

CardFile *Card::findByName(CardFile *folder, const Bytes &name)
{
    // A name given in part selects the first folder whose name starts with it.
    if (!folder->name.empty() && folder->name.size() >= name.size() &&
        std::equal(name.begin(), name.end(), folder->name.begin()))
        return folder;
    for (const auto &child : folder->children)
        if (child->folder)
            if (CardFile *found = findByName(child.get(), name))
                return found;
    return nullptr;
}

// By identifier, as ISO 7816-4 looks: the MF, the current DF's children,
// the current DF, its parent, and the parent's children.
CardFile *Card::findById(uint16_t fid)
{
    if (fid == 0x3F00)
        return profile_.master.get();
    if (CardFile *f = folder_->child(fid))
        return f;
    if (folder_->id == fid)
        return folder_;
    if (CardFile *parent = folder_->parent) {
        if (parent->id == fid)
            return parent;
        return parent->child(fid);
    }
    return nullptr;
}

Bytes Card::control(const CardFile &file, uint8_t templateTag)
{
    if (!file.fci.empty() && templateTag == 0x6F)
        return file.fci;
    Bytes inner;
    if (file.folder) {
        appendTlv(inner, 0x82, {0x38});
    } else {
        size_t size = file.data.size();
        appendTlv(inner, 0x80, {static_cast<uint8_t>(size >> 8), static_cast<uint8_t>(size)});
        appendTlv(inner, 0x82, {0x01});
    }
    appendTlv(inner, 0x83, {static_cast<uint8_t>(file.id >> 8), static_cast<uint8_t>(file.id)});
    if (file.folder && !file.name.empty())
        appendTlv(inner, 0x84, file.name);
    Bytes out;
    appendTlv(out, templateTag, inner);
    return out;
}

Bytes Card::select(const Command &c)
{
    CardFile *target = nullptr;
    const Bytes &d = c.data;
    auto fidAt = [&d](size_t i) { return static_cast<uint16_t>(d[i] << 8 | d[i + 1]); };
    switch (c.p1) {
    case 0x00:
        if (d.empty())
            target = profile_.master.get();
        else if (d.size() == 2)
            target = findById(fidAt(0));
        else
            return status(kWrongLength);
        break;
    case 0x01:
    case 0x02:
        if (d.size() != 2)
            return status(kWrongLength);
        target = folder_->child(fidAt(0));
        if (target != nullptr && target->folder != (c.p1 == 0x01))
            target = nullptr;
        break;
    case 0x03:
        target = folder_->parent != nullptr ? folder_->parent : folder_;
        break;
    case 0x04:
        if (d.empty())
            return status(kWrongLength);
        target = findByName(profile_.master.get(), d);
        break;
    case 0x08:
    case 0x09: {
        if (d.empty() || d.size() % 2 != 0)
            return status(kWrongLength);
        target = c.p1 == 0x08 ? profile_.master.get() : folder_;
        for (size_t i = 0; i < d.size() && target != nullptr; i += 2) {
            uint16_t fid = fidAt(i);
            if (!(i == 0 && fid == 0x3F00 && c.p1 == 0x08))
                target = target->folder ? target->child(fid) : nullptr;
        }
        break;
    }
    default:
        return status(kWrongP1P2);
    }
    if (target == nullptr)
        return status(kNotFound);
    if (domain_ != nullptr)
        domain_->leave();
    if (target->folder) {
        folder_ = target;
        file_ = nullptr;
    } else {
        folder_ = target->parent;
        file_ = target;
    }
    switch (c.p2 & 0x0C) {
    case 0x00:
        return deliver(control(*target, 0x6F), c);
    case 0x04:
        return deliver(control(*target, 0x62), c);
    case 0x08:
        return deliver({0x64, 0x00}, c);
    default:
        return status(kOk);
    }
}

Bytes Card::readBinary(const Command &c)
{
    CardFile *file = file_;
    uint32_t offset;
    if ((c.p1 & 0x80) != 0) {
        // Short EF identifier in P1, offset in P2; the file becomes current.
        file = nullptr;
        for (const auto &child : folder_->children)
            if (!child->folder && child->shortId() == (c.p1 & 0x1F))
                file = child.get();
        if (file == nullptr)
            return status(kNotFound);
        file_ = file;
        offset = c.p2;
    } else {
        offset = static_cast<uint32_t>((c.p1 & 0x7F) << 8 | c.p2);
    }
    if (file == nullptr)
        return status(kNoCurrentEf);
    if (offset >= file->data.size())
        return status(kOffsetOutside);
    size_t available = file->data.size() - offset;
    uint32_t ne = c.ne == 0 ? 256 : c.ne;
    // Le 00 asks for whatever there is, up to 256 bytes.
    if (c.ne == 256 && c.leZero)
        ne = static_cast<uint32_t>(std::min<size_t>(available, 256));
    if (ne > available) {
        // T=0 names the right length; T=1 gives what there is.
        if (profile_.protocol == Protocol::T0 && available < 256)
            return status(static_cast<uint16_t>(0x6C00 | available));
        Bytes rest(file->data.begin() + offset, file->data.end());
        return withStatus(std::move(rest), kEndOfFile);
    }
    Bytes part(file->data.begin() + offset, file->data.begin() + offset + ne);
    return withStatus(std::move(part), kOk);
}

Bytes Card::updateBinary(const Command &c)
{
    if (file_ == nullptr)
        return status(kNoCurrentEf);
    size_t offset = static_cast<size_t>((c.p1 & 0x7F) << 8 | c.p2);
    if (c.data.empty())
        return status(kWrongLength);
    if (offset + c.data.size() > file_->data.size())
        return status(kOffsetOutside);
    std::copy(c.data.begin(), c.data.end(), file_->data.begin() + static_cast<long>(offset));
    return status(kOk);
}

Bytes Card::getResponse(const Command &c)
{
    if (c.p1 != 0 || c.p2 != 0)
        return status(kWrongP1P2);
    if (pending_.empty())
        return status(kNothingPending);
    uint32_t ne = c.ne == 0 ? 256 : c.ne;
    if (c.ne == 256 && c.leZero)
        ne = static_cast<uint32_t>(std::min<size_t>(pending_.size(), 256));
    if (ne > pending_.size())
        return status(static_cast<uint16_t>(0x6C00 | (pending_.size() & 0xFF)));
    Bytes part(pending_.begin(), pending_.begin() + ne);
    pending_.erase(pending_.begin(), pending_.begin() + ne);
    uint16_t sw = pending_.empty() ? pendingStatus_ : static_cast<uint16_t>(0x6100 | std::min<size_t>(pending_.size(), 256) % 256);
    return withStatus(std::move(part), sw);
}

Bytes Card::deliver(Bytes data, const Command &c, uint16_t sw)
{
    if (data.empty())
        return status(sw);
    if (profile_.protocol == Protocol::T0) {
        pending_ = std::move(data);
        pendingStatus_ = sw;
        return status(static_cast<uint16_t>(0x6100 | std::min<size_t>(pending_.size(), 256) % 256));
    }
    if (c.ne == 0)
        return status(sw); // T=1 without Le: the data are not asked for
    if (data.size() > c.ne)
        data.resize(c.ne);
    return withStatus(std::move(data), sw);
}

} // namespace vcard
