// Reading card profiles.
#include "profile.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace vcard {

CardFile *CardFile::child(uint16_t fid) const
{
    for (const auto &c : children)
        if (c->id == fid)
            return c.get();
    return nullptr;
}

std::string hex(const uint8_t *data, size_t n)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        if (i > 0)
            out.push_back(' ');
        out.push_back(digits[data[i] >> 4]);
        out.push_back(digits[data[i] & 15]);
    }
    return out;
}

bool parseHex(const std::string &text, Bytes &out)
{
    int high = -1;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
        int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
        if (high < 0) {
            high = d;
        } else {
            out.push_back(static_cast<uint8_t>(high << 4 | d));
            high = -1;
        }
    }
    return high < 0;
}

Protocol protocolOfAtr(const Bytes &atr)
{
    if (atr.size() < 2)
        return Protocol::T0;
    // T0 then, for each TDi, the interface bytes it announces.
    size_t at = 1;
    uint8_t indicator = atr[1];
    ++at;
    while (true) {
        int present = __builtin_popcount(indicator & 0x70);
        bool more = (indicator & 0x80) != 0;
        at += static_cast<size_t>(present);
        if (!more || at >= atr.size())
            return Protocol::T0;
        indicator = atr[at++];
        if ((indicator & 0x0F) == 1)
            return Protocol::T1;
    }
}

namespace {

struct Parser {
    Profile &profile;
    std::string error;
    Bytes *continued = nullptr; // where indented hex lines go

    bool fail(int line, const std::string &why)
    {
        error = "line " + std::to_string(line) + ": " + why;
        return false;
    }

    // "3F00/7F10/6F01" → the FIDs; the first must be 3F00.
    static bool parsePath(const std::string &text, std::vector<uint16_t> &path)
    {
        std::stringstream in(text);
        std::string part;
        while (std::getline(in, part, '/')) {
            Bytes b;
            if (!parseHex(part, b) || b.size() != 2)
                return false;
            path.push_back(static_cast<uint16_t>(b[0] << 8 | b[1]));
        }
        return !path.empty() && path[0] == 0x3F00;
    }

    // The file at the path, creating the folders on the way.
    CardFile *place(const std::vector<uint16_t> &path, bool folder)
    {
        CardFile *at = profile.master.get();
        for (size_t i = 1; i < path.size(); ++i) {
            CardFile *next = at->child(path[i]);
            if (next == nullptr) {
                auto made = std::make_unique<CardFile>();
                made->id = path[i];
                made->folder = i + 1 < path.size() || folder;
                made->parent = at;
                next = made.get();
                at->children.push_back(std::move(made));
            }
            at = next;
        }
        return at;
    }

    // Splits "keyword rest".
    static void split(const std::string &line, std::string &first, std::string &rest)
    {
        size_t a = line.find_first_not_of(" \t");
        size_t b = line.find_first_of(" \t", a);
        first = a == std::string::npos ? "" : line.substr(a, b == std::string::npos ? std::string::npos : b - a);
        size_t c = b == std::string::npos ? std::string::npos : line.find_first_not_of(" \t", b);
        rest = c == std::string::npos ? "" : line.substr(c);
    }

    bool fileLine(int n, const std::string &keyword, const std::string &rest)
    {
        std::string pathText, attributes;
        split(rest, pathText, attributes);
        std::vector<uint16_t> path;
        if (!parsePath(pathText, path))
            return fail(n, "expected a path from 3F00 such as 3F00/7F10/6F01");
        bool folder = keyword == "df";
        CardFile *file = place(path, folder);
        if (file->folder != folder)
            return fail(n, "the path names a file of the other kind");
        // Attribute keywords are not hexadecimal, so every other word is
        // bytes for the attribute before it.
        continued = nullptr;
        std::stringstream words(attributes);
        std::string word;
        while (words >> word) {
            if (word == "name" || word == "fci" || word == "data") {
                if ((word == "data") == folder)
                    return fail(n, word + " does not apply to this kind of file");
                continued = word == "name" ? &file->name : word == "fci" ? &file->fci : &file->data;
            } else if (word == "size" && !folder) {
                size_t size = 0;
                if (!(words >> size))
                    return fail(n, "size needs a number");
                file->data.resize(size);
                continued = nullptr;
            } else if (word == "text" && !folder) {
                size_t open = attributes.find('"');
                size_t close = attributes.rfind('"');
                if (open == std::string::npos || close == open)
                    return fail(n, "text needs a quoted string");
                file->data.assign(attributes.begin() + static_cast<long>(open) + 1,
                                  attributes.begin() + static_cast<long>(close));
                return true;
            } else if (continued == nullptr || !parseHex(word, *continued)) {
                return fail(n, "unexpected '" + word + "'");
            }
        }
        return true;
    }

    bool ruleLine(int n, const std::string &rest)
    {
        size_t arrow = rest.find("->");
        if (arrow == std::string::npos)
            return fail(n, "expected 'rule PREFIX -> RESPONSE'");
        std::string left = rest.substr(0, arrow), right = rest.substr(arrow + 2);
        std::string l, afterPrefix, r, afterResponse;
        split(left, l, afterPrefix);
        split(right, r, afterResponse);
        Rule rule;
        if (l == "*" && afterPrefix.empty())
            rule.any = true;
        else if (!parseHex(left, rule.prefix))
            return fail(n, "bad prefix");
        if (r == "echo" && afterResponse.empty()) {
            rule.echo = true;
        } else if (!parseHex(right, rule.response) || rule.response.empty()) {
            return fail(n, "a response needs at least one byte (or echo)");
        }
        profile.rules.push_back(std::move(rule));
        continued = profile.rules.back().echo ? nullptr : &profile.rules.back().response;
        return true;
    }

    bool parse(const std::string &text)
    {
        profile.master = std::make_unique<CardFile>();
        profile.master->id = 0x3F00;
        profile.master->folder = true;
        bool protocolGiven = false;
        std::stringstream in(text);
        std::string line;
        for (int n = 1; std::getline(in, line); ++n) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            size_t hash = line.find('#');
            if (hash != std::string::npos && line.find('"') == std::string::npos)
                line.erase(hash);
            if (line.find_first_not_of(" \t") == std::string::npos)
                continue;
            if (std::isspace(static_cast<unsigned char>(line[0]))) {
                if (continued == nullptr || !parseHex(line, *continued))
                    return fail(n, "an indented line continues the bytes of the line before");
                continue;
            }
            std::string keyword, rest;
            split(line, keyword, rest);
            continued = nullptr;
            if (keyword == "atr") {
                profile.atr.clear();
                if (!parseHex(rest, profile.atr) || profile.atr.empty() || profile.atr.size() > 33)
                    return fail(n, "an ATR has 1 to 33 bytes");
            } else if (keyword == "protocol") {
                if (rest == "T=0" || rest == "T0")
                    profile.protocol = Protocol::T0;
                else if (rest == "T=1" || rest == "T1")
                    profile.protocol = Protocol::T1;
                else
                    return fail(n, "protocol is T=0 or T=1");
                protocolGiven = true;
            } else if (keyword == "df" || keyword == "ef") {
                if (!fileLine(n, keyword, rest))
                    return false;
            } else if (keyword == "rule") {
                if (!ruleLine(n, rest))
                    return false;
            } else {
                bool known = false;
                std::string why;
                if (!parseGpLine(keyword, rest, profile.gp, known, continued, why))
                    return fail(n, why);
                if (!known)
                    return fail(n, "unknown keyword '" + keyword + "'");
            }
        }
        if (profile.atr.empty())
            return fail(0, "the profile has no 'atr' line");
        if (!protocolGiven)
            profile.protocol = protocolOfAtr(profile.atr);
        std::string why;
        if (!finishGpCard(profile.gp, why))
            return fail(0, why);
        return true;
    }
};

} // namespace

bool parseProfile(const std::string &text, Profile &profile, std::string &error)
{
    Parser parser{profile, {}};
    bool ok = parser.parse(text);
    error = parser.error;
    return ok;
}

bool loadProfile(const std::string &path, Profile &profile, std::string &error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    return parseProfile(text.str(), profile, error);
}

} // namespace vcard
