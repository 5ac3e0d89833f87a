// GET STATUS answers: the card content as GlobalPlatform registry data.
#include "gp_domain.h"

#include <algorithm>

namespace vcard::gp {

namespace {

constexpr uint8_t kIsd = 0x80;
constexpr uint8_t kApplications = 0x40;
constexpr uint8_t kLoadFiles = 0x20;
constexpr uint8_t kLoadFilesAndModules = 0x10;

void appendTlv(Bytes &out, std::initializer_list<uint8_t> tag, const Bytes &value)
{
    out.insert(out.end(), tag);
    if (value.size() >= 0x80)
        out.push_back(0x81);
    out.push_back(static_cast<uint8_t>(value.size()));
    out.insert(out.end(), value.begin(), value.end());
}

bool ofKind(const GpEntry &e, uint8_t p1)
{
    switch (p1) {
    case kIsd:
        return e.kind == GpKind::Isd;
    case kApplications:
        return e.kind == GpKind::Application || e.kind == GpKind::Domain;
    case kLoadFiles:
    case kLoadFilesAndModules:
    default:
        return e.kind == GpKind::LoadFile;
    }
}

// E3 { 4F AID, 9F70 state, C5 privileges, C4 load file, CE version,
// 84 module..., CC security domain }, as much as the kind has.
Bytes taggedEntry(const GpEntry &e, uint8_t p1, const Bytes &isd)
{
    Bytes inner;
    appendTlv(inner, {0x4F}, e.aid);
    appendTlv(inner, {0x9F, 0x70}, {e.state});
    if (e.kind != GpKind::LoadFile)
        appendTlv(inner, {0xC5}, e.privileges);
    if (!e.loadFile.empty())
        appendTlv(inner, {0xC4}, e.loadFile);
    if (!e.version.empty())
        appendTlv(inner, {0xCE}, e.version);
    if (p1 == kLoadFilesAndModules)
        for (const Bytes &module : e.modules)
            appendTlv(inner, {0x84}, module);
    if (e.kind != GpKind::Isd)
        appendTlv(inner, {0xCC}, e.domain.empty() ? isd : e.domain);
    Bytes out;
    appendTlv(out, {0xE3}, inner);
    return out;
}

// The older layout: AID length, AID, state, first privilege byte; for load
// files with modules, their count and each as length and AID.
Bytes plainEntry(const GpEntry &e, uint8_t p1)
{
    Bytes out = {static_cast<uint8_t>(e.aid.size())};
    out.insert(out.end(), e.aid.begin(), e.aid.end());
    out.push_back(e.state);
    out.push_back(e.privileges.empty() ? 0x00 : e.privileges[0]);
    if (p1 == kLoadFilesAndModules) {
        out.push_back(static_cast<uint8_t>(e.modules.size()));
        for (const Bytes &module : e.modules) {
            out.push_back(static_cast<uint8_t>(module.size()));
            out.insert(out.end(), module.begin(), module.end());
        }
    }
    return out;
}

} // namespace

StatusPage listContent(const GpCard &card, uint8_t p1, bool tagged, const Bytes &prefix, size_t first, size_t limit)
{
    StatusPage page;
    size_t index = 0;
    for (const GpEntry &e : card.content) {
        if (!ofKind(e, p1) || e.aid.size() < prefix.size() || !std::equal(prefix.begin(), prefix.end(), e.aid.begin()))
            continue;
        page.any = true;
        if (index++ < first)
            continue;
        Bytes encoded = tagged ? taggedEntry(e, p1, card.content.front().aid) : plainEntry(e, p1);
        // One entry at least, however long, or a listing could never end.
        if (!page.data.empty() && page.data.size() + encoded.size() > limit) {
            page.more = true;
            break;
        }
        page.data.insert(page.data.end(), encoded.begin(), encoded.end());
        page.next = index;
    }
    return page;
}

} // namespace vcard::gp
