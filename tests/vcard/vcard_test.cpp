// The virtual card's answers: profile reading and the ISO 7816-4 commands
// it plays, on both protocols.
#include "card.h"

#include <gtest/gtest.h>

using namespace vcard;

namespace {

const char *const kProfile = R"(# a payment-like card
atr 3B 02 14 50
df 3F00/7F10 name A0 00 00 00 03 10 10
ef 3F00/7F10/6F01 data 01 02 03 04 05
ef 3F00/2F00 text "Hi"
ef 3F00/2F01 size 4
  # a continued rule response:
rule 80 CA -> 9F 7F
  90 00
rule 80 -> echo
)";

Bytes bytes(const std::string &text)
{
    Bytes out;
    for (size_t i = 0; i + 1 < text.size() + 1;) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        if (i >= text.size())
            break;
        out.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

struct Exchange {
    const char *command;
    const char *response;
};

void play(const std::string &protocolLine, std::initializer_list<Exchange> exchanges)
{
    Profile profile;
    std::string error;
    ASSERT_TRUE(parseProfile(std::string(kProfile) + protocolLine, profile, error)) << error;
    Card card(profile);
    for (const Exchange &e : exchanges)
        EXPECT_EQ(hex(card.respond(bytes(e.command))), e.response) << "command " << e.command;
}

} // namespace

TEST(VirtualCard, ReadsProfiles)
{
    Profile profile;
    std::string error;
    ASSERT_TRUE(parseProfile(kProfile, profile, error)) << error;
    EXPECT_EQ(hex(profile.atr), "3B 02 14 50");
    EXPECT_EQ(profile.protocol, Protocol::T0);
    ASSERT_EQ(profile.rules.size(), 2u);
    EXPECT_EQ(hex(profile.rules[0].response), "9F 7F 90 00");
    EXPECT_TRUE(profile.rules[1].echo);
    const CardFile *app = profile.master->child(0x7F10);
    ASSERT_NE(app, nullptr);
    EXPECT_TRUE(app->folder);
    EXPECT_EQ(hex(app->name), "A0 00 00 00 03 10 10");
    EXPECT_EQ(hex(profile.master->child(0x2F00)->data), "48 69");
    EXPECT_EQ(profile.master->child(0x2F01)->data.size(), 4u);
}

TEST(VirtualCard, RefusesBadProfiles)
{
    const char *bad[] = {
        "df 3F00/7F10\n",                       // no ATR
        "atr 3B\nef 7F10/6F01 data 01\n",      // path not from the MF
        "atr 3B\nef 3F00/6F01 data 0G\n",      // not hexadecimal
        "atr 3B\nrule 00 A4 -> \n",            // empty response
        "atr 3B\n  01 02\n",                   // continuation of nothing
        "atr 3B\nprotocol T=2\n",
        "atr 3B\nrule * 00 -> 90 00\n",        // a star is the whole prefix
        "atr 3B\nef 3F00/6F01 data 01\ndf 3F00/6F01\n", // an EF taken for a DF
    };
    for (const char *text : bad) {
        Profile profile;
        std::string error;
        EXPECT_FALSE(parseProfile(text, profile, error)) << text;
        EXPECT_FALSE(error.empty());
    }
}

TEST(VirtualCard, ProtocolFollowsTheAtr)
{
    EXPECT_EQ(protocolOfAtr(bytes("3B 02 14 50")), Protocol::T0);
    EXPECT_EQ(protocolOfAtr(bytes("3B 00")), Protocol::T0);
    EXPECT_EQ(protocolOfAtr(bytes("3B 80 01 81")), Protocol::T1);
    EXPECT_EQ(protocolOfAtr(bytes("3B 80 80 01 01")), Protocol::T1);
}

TEST(VirtualCard, PlaysT0WithGetResponse)
{
    play("", {
        {"00 A4 04 00 07 A0 00 00 00 03 10 10", "61 12"},
        {"00 C0 00 00 08", "6F 10 82 01 38 83 02 7F 61 0A"},
        {"00 C0 00 00 0B", "6C 0A"},
        {"00 C0 00 00 0A", "10 84 07 A0 00 00 00 03 10 10 90 00"},
        {"00 C0 00 00 00", "69 85"},                 // nothing pending any more
        {"00 A4 00 00 02 6F 01", "61 0D"},           // the EF under the current DF
        {"00 B0 00 00 05", "01 02 03 04 05 90 00"},  // pending data dropped
        {"00 B0 00 03 05", "6C 02"},
        {"00 B0 00 03 00", "04 05 90 00"},
        {"00 B0 00 05 01", "6B 00"},
        {"00 A4 04 0C 04 A0 00 00 00", "90 00"},     // partial name, no answer data
        {"00 A4 00 0C 02 2F 00", "90 00"},           // sibling of the current DF
        {"00 B0 00 00 02", "48 69 90 00"},
        {"00 A4 00 00 02 12 34", "6A 82"},
        {"00 B0 81 00 00", "00 00 00 00 90 00"},     // short EF identifier 1: 2F01
        {"00 B0 00 00 01", "00 90 00"},              // which is now the current EF
        {"80 CA 9F 7F 00", "9F 7F 90 00"},
        {"80 10 00 00", "80 10 00 00 90 00"},
        {"00 84 00 00 08", "6D 00"},
        {"00 A4 04 00", "67 00"},
    });
}

TEST(VirtualCard, PlaysT1WithDataAtOnce)
{
    play("protocol T=1\n", {
        {"00 A4 08 04 04 7F 10 6F 01 00", "62 0B 80 02 00 05 82 01 01 83 02 6F 01 90 00"},
        {"00 B0 00 03 05", "04 05 62 82"},
        {"00 D6 00 01 02 AA BB", "90 00"},
        {"00 B0 00 00 00", "01 AA BB 04 05 90 00"},
        {"00 D6 00 04 02 AA BB", "6B 00"},
        {"00 A4 03 00 00", "6F 07 82 01 38 83 02 3F 00 90 00"},    // the parent of 7F10
        {"00 A4 04 00 07 A0 00 00 00 03 10 10 00", "6F 10 82 01 38 83 02 7F 10 84 07 A0 00 00 00 03 10 10 90 00"},
        {"00 A4 04 00 02 A0 00 05", "6F 10 82 01 38 90 00"},       // cut to Le
    });
}
