// The GlobalPlatform lines of card profiles: defaults and refusals.
#include "profile.h"

#include <gtest/gtest.h>

using namespace vcard;

TEST(GpProfile, FillsInDefaults)
{
    Profile profile;
    std::string error;
    ASSERT_TRUE(parseProfile("atr 3B 00\n"
                             "application A0 00 00 00 01 01 loadfile A0 00 00 00 01\n"
                             "loadfile A0 00 00 00 01 module A0 00 00 00 01 01\n"
                             "isd A0 00 00 01 51 00 00 00\n"
                             "keyset 30 scp03 i 70 mac 00 01 02 03 04 05 06 07\n"
                             "  08 09 0A 0B 0C 0D 0E 0F\n",
                             profile, error))
        << error;
    const GpCard &gp = profile.gp;
    ASSERT_TRUE(gp.present);
    ASSERT_EQ(gp.content.size(), 3u);
    EXPECT_EQ(gp.content[0].kind, GpKind::Isd); // first, wherever it was written
    EXPECT_EQ(hex(gp.content[0].privileges), "9E FE 80");
    EXPECT_EQ(gp.content[0].state, 0x0F);
    EXPECT_EQ(gp.content[1].state, 0x07);
    EXPECT_EQ(hex(gp.content[1].privileges), "00 00 00");
    EXPECT_EQ(gp.content[2].state, 0x01);
    ASSERT_EQ(gp.keySets.size(), 1u);
    EXPECT_EQ(gp.keySets[0].enc, gpDefaultKey());
    EXPECT_EQ(hex(gp.keySets[0].mac), "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F");
    EXPECT_EQ(gp.keySets[0].i, 0x70);

    Profile plain;
    ASSERT_TRUE(parseProfile("atr 3B 00\nisd A0 00 00 01 51\n", plain, error)) << error;
    ASSERT_EQ(plain.gp.keySets.size(), 1u); // SCP02, version 20, test keys
    EXPECT_EQ(plain.gp.keySets[0].version, 0x20);
    EXPECT_EQ(plain.gp.keySets[0].scp, 2);

    Profile none;
    ASSERT_TRUE(parseProfile("atr 3B 00\n", none, error)) << error;
    EXPECT_FALSE(none.gp.present);
}

TEST(GpProfile, RefusesMistakes)
{
    const char *bad[] = {
        "application A0 00 00 00 01\n",                              // no ISD
        "isd A0 00 00 01 51\nisd A0 00 00 01 52\n",                 // two
        "isd A0 00 01\n",                                           // AID too short
        "isd A0 00 00 01 51\napplication A0 00 00 01 51\n",         // AID twice
        "isd A0 00 00 01 51\napplication A0 00 00 00 01 loadfile A0 00 00 00 09\n",
        "isd A0 00 00 01 51\napplication A0 00 00 00 01 state 07 08\n",
        "isd A0 00 00 01 51\napplication A0 00 00 00 01 privileges 00\n",
        "isd A0 00 00 01 51\nloadfile A0 00 00 00 01 privileges 00 00 00\n",
        "isd A0 00 00 01 51\nkeyset 20 i 55\n",                      // no protocol
        "isd A0 00 00 01 51\nkeyset 20 scp02 enc 01 02\n",          // short key
        "isd A0 00 00 01 51\nkeyset 20 scp02 enc 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17\n",
        "isd A0 00 00 01 51\nkeyset 30 scp03\nkeyset 30 scp03\n",
        "isd A0 00 00 01 51\nkeyset 30 scp03 counter 01 02 03 04\n",
        "isd A0 00 00 01 51\nkdd 01 02\n",
        "isd A0 00 00 01 51\nstatuslimit 8\n",
        "isd A0 00 00 01 51 colour 07\n",
    };
    for (const char *text : bad) {
        Profile profile;
        std::string error;
        EXPECT_FALSE(parseProfile(std::string("atr 3B 00\n") + text, profile, error)) << text;
        EXPECT_FALSE(error.empty());
    }
}
