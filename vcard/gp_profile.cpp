// Reading the GlobalPlatform lines of a card profile.
#include "gp_profile.h"

#include "profile.h"

#include <algorithm>
#include <sstream>

namespace vcard {

namespace {

constexpr size_t kKddLength = 10;
constexpr size_t kPrivilegesLength = 3;
constexpr uint8_t kIsdSecured = 0x0F;
// Security domain, card lock, card terminate, card reset, CVM management;
// every second-byte privilege but global service; receipt generation.
const Bytes kIsdPrivileges = {0x9E, 0xFE, 0x80};
constexpr uint8_t kSecurityDomainPrivilege = 0x80;

bool isKey(const Bytes &key, int scp)
{
    if (scp == 2)
        return key.size() == 16;
    return key.size() == 16 || key.size() == 24 || key.size() == 32;
}

// "name HEX HEX word HEX ..." → the bytes after each attribute word; the
// first bytes, before any word, under the name "".
struct Attributes {
    std::vector<std::pair<std::string, Bytes>> items;
    std::string error;

    bool read(const std::string &text, const std::vector<std::string> &allowed)
    {
        std::stringstream words(text);
        std::string word;
        items.push_back({"", {}});
        while (words >> word) {
            if (std::find(allowed.begin(), allowed.end(), word) != allowed.end()) {
                items.push_back({word, {}});
            } else if (!parseHex(word, items.back().second)) {
                error = "unexpected '" + word + "'";
                return false;
            }
        }
        return true;
    }
};

bool readEntry(GpKind kind, const std::string &rest, GpCard &card, Bytes *&continued, std::string &why)
{
    Attributes a;
    std::vector<std::string> allowed = {"state"};
    if (kind != GpKind::LoadFile)
        allowed.insert(allowed.end(), {"privileges", "loadfile", "domain"});
    else
        allowed.insert(allowed.end(), {"version", "module", "domain"});
    if (!a.read(rest, allowed)) {
        why = a.error;
        return false;
    }
    GpEntry entry;
    entry.kind = kind;
    entry.aid = a.items[0].second;
    if (entry.aid.size() < 5 || entry.aid.size() > 16) {
        why = "an AID has 5 to 16 bytes";
        return false;
    }
    if (card.find(entry.aid) != nullptr) {
        why = "the AID is already on the card";
        return false;
    }
    entry.state = kind == GpKind::LoadFile ? 0x01 : kind == GpKind::Isd ? kIsdSecured : 0x07;
    if (kind == GpKind::Isd)
        entry.privileges = kIsdPrivileges;
    else if (kind == GpKind::Domain)
        entry.privileges = {kSecurityDomainPrivilege, 0x00, 0x00};
    else if (kind == GpKind::Application)
        entry.privileges = {0x00, 0x00, 0x00};
    for (size_t n = 1; n < a.items.size(); ++n) {
        const auto &[name, value] = a.items[n];
        if (name == "state") {
            if (value.size() != 1) {
                why = "a state is one byte";
                return false;
            }
            entry.state = value[0];
        } else if (name == "privileges") {
            if (value.size() != kPrivilegesLength) {
                why = "privileges are three bytes";
                return false;
            }
            entry.privileges = value;
        } else if (name == "loadfile") {
            entry.loadFile = value;
        } else if (name == "domain") {
            entry.domain = value;
        } else if (name == "version") {
            entry.version = value;
        } else if (name == "module") {
            entry.modules.push_back(value);
        }
    }
    if (kind == GpKind::Isd && !card.content.empty() && card.content.front().kind == GpKind::Isd) {
        why = "the card has one ISD";
        return false;
    }
    if (kind == GpKind::Isd)
        card.content.insert(card.content.begin(), std::move(entry));
    else
        card.content.push_back(std::move(entry));
    // Indented lines continue the last attribute's bytes.
    GpEntry &stored = kind == GpKind::Isd ? card.content.front() : card.content.back();
    const std::string &last = a.items.back().first;
    continued = last == "" ? &stored.aid : last == "privileges" ? &stored.privileges : last == "loadfile" ? &stored.loadFile
              : last == "domain" ? &stored.domain : last == "version" ? &stored.version
              : last == "module" ? &stored.modules.back() : nullptr;
    return true;
}

bool readKeySet(const std::string &rest, GpCard &card, Bytes *&continued, std::string &why)
{
    Attributes a;
    if (!a.read(rest, {"scp02", "scp03", "i", "enc", "mac", "dek", "counter"})) {
        why = a.error;
        return false;
    }
    GpKeySet set;
    if (a.items[0].second.size() != 1) {
        why = "a key set starts with its version, one byte";
        return false;
    }
    set.version = a.items[0].second[0];
    bool scpGiven = false;
    for (size_t n = 1; n < a.items.size(); ++n) {
        const auto &[name, value] = a.items[n];
        if (name == "scp02" || name == "scp03") {
            set.scp = name == "scp02" ? 2 : 3;
            scpGiven = true;
            if (!value.empty()) {
                why = "unexpected bytes after " + name;
                return false;
            }
        } else if (name == "i") {
            if (value.size() != 1) {
                why = "i is one byte";
                return false;
            }
            set.i = value[0];
        } else if (name == "counter") {
            if (value.empty() || value.size() > 3) {
                why = "a counter has 1 to 3 bytes";
                return false;
            }
            set.counter = 0;
            for (uint8_t b : value)
                set.counter = set.counter << 8 | b;
        } else {
            Bytes &key = name == "enc" ? set.enc : name == "mac" ? set.mac : set.dek;
            key = value;
        }
    }
    if (!scpGiven) {
        why = "a key set names its protocol, scp02 or scp03";
        return false;
    }
    for (const GpKeySet &other : card.keySets) {
        if (other.version == set.version) {
            why = "key version given twice";
            return false;
        }
    }
    card.keySets.push_back(std::move(set));
    GpKeySet &stored = card.keySets.back();
    const std::string &last = a.items.back().first;
    continued = last == "enc" ? &stored.enc : last == "mac" ? &stored.mac : last == "dek" ? &stored.dek : nullptr;
    return true;
}

} // namespace

Bytes gpDefaultKey()
{
    Bytes key;
    for (uint8_t b = 0x40; b <= 0x4F; ++b)
        key.push_back(b);
    return key;
}

GpEntry *GpCard::find(const Bytes &aid)
{
    for (GpEntry &e : content)
        if (e.aid == aid)
            return &e;
    return nullptr;
}

bool parseGpLine(const std::string &keyword, const std::string &rest, GpCard &card, bool &known,
                 Bytes *&continued, std::string &why)
{
    known = true;
    continued = nullptr;
    if (keyword == "isd")
        return readEntry(GpKind::Isd, rest, card, continued, why);
    if (keyword == "application")
        return readEntry(GpKind::Application, rest, card, continued, why);
    if (keyword == "domain")
        return readEntry(GpKind::Domain, rest, card, continued, why);
    if (keyword == "loadfile")
        return readEntry(GpKind::LoadFile, rest, card, continued, why);
    if (keyword == "keyset")
        return readKeySet(rest, card, continued, why);
    if (keyword == "kdd") {
        card.kdd.clear();
        if (!parseHex(rest, card.kdd) || card.kdd.size() != kKddLength) {
            why = "key diversification data are 10 bytes";
            return false;
        }
        return true;
    }
    if (keyword == "statuslimit") {
        std::stringstream in(rest);
        if (!(in >> card.statusLimit) || card.statusLimit < 32) {
            why = "statuslimit needs a number of bytes, at least 32";
            return false;
        }
        return true;
    }
    known = false;
    return true;
}

bool finishGpCard(GpCard &card, std::string &why)
{
    card.present = !card.content.empty() && card.content.front().kind == GpKind::Isd;
    if (!card.present) {
        if (!card.content.empty() || !card.keySets.empty()) {
            why = "GlobalPlatform content needs an 'isd' line";
            return false;
        }
        return true;
    }
    for (GpKeySet &set : card.keySets) {
        for (Bytes *key : {&set.enc, &set.mac, &set.dek}) {
            if (key->empty())
                *key = gpDefaultKey();
            if (!isKey(*key, set.scp)) {
                why = "key set " + hex(&set.version, 1) +
                      (set.scp == 2 ? ": SCP02 keys have 16 bytes" : ": SCP03 keys have 16, 24 or 32 bytes");
                return false;
            }
        }
        if (set.enc.size() != set.mac.size() || set.enc.size() != set.dek.size()) {
            why = "key set " + hex(&set.version, 1) + ": its three keys differ in length";
            return false;
        }
    }
    if (card.keySets.empty()) {
        GpKeySet set;
        set.version = 0x20;
        set.enc = set.mac = set.dek = gpDefaultKey();
        card.keySets.push_back(set);
    }
    for (const GpEntry &e : card.content) {
        if (!e.loadFile.empty() && card.find(e.loadFile) == nullptr) {
            why = hex(e.aid) + ": no load file " + hex(e.loadFile) + " on the card";
            return false;
        }
        if (!e.domain.empty() && card.find(e.domain) == nullptr) {
            why = hex(e.aid) + ": no security domain " + hex(e.domain) + " on the card";
            return false;
        }
    }
    return true;
}

} // namespace vcard
