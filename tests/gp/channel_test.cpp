// The gp module's channel code against traces of real cards (the ones
// gp_reference.py is checked against, see test_reference.py): SCP02 with
// i = 55, SCP03 with i = 70 and AES-128, -192 and -256 keys; and the key
// diversifications against published keys.
extern "C" {
#include "gp_channel.h"
#include "gp_diversify.h"
}

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytes(const std::string &hex)
{
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::string hexOf(const uint8_t *data, size_t n)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        out.push_back(digits[data[i] >> 4]);
        out.push_back(digits[data[i] & 15]);
    }
    return out;
}

std::string upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(toupper(c));
    return s;
}

GpKeys keysOf(const std::string &enc, const std::string &mac, const std::string &dek)
{
    GpKeys keys{};
    Bytes e = bytes(enc), m = bytes(mac), d = bytes(dek);
    std::copy(e.begin(), e.end(), keys.enc);
    std::copy(m.begin(), m.end(), keys.mac);
    std::copy(d.begin(), d.end(), keys.dek);
    keys.length = e.size();
    return keys;
}

// INITIALIZE UPDATE's answer read, the session started from the host
// challenge of the traced command.
GpChannel start(const std::string &command, const std::string &answer, const GpKeys &keys,
                GpStatus expected = GP_OK)
{
    GpAnswer parsed;
    Bytes a = bytes(answer), c = bytes(command);
    EXPECT_EQ(gp_read_answer(a.data(), a.size(), &parsed), GP_OK);
    GpChannel channel;
    EXPECT_EQ(gp_channel_start(&channel, &parsed, c.data() + 5, &keys), expected);
    return channel;
}

std::string authenticate(GpChannel &channel, uint8_t level)
{
    uint8_t out[5 + 2 * GP_MAC];
    EXPECT_EQ(gp_channel_authenticate(&channel, level, out), GP_OK);
    return hexOf(out, sizeof out);
}

std::string wrap(GpChannel &channel, const std::string &plain)
{
    Bytes c = bytes(plain);
    uint8_t out[GP_MAX_WRAPPED];
    size_t n = 0;
    EXPECT_EQ(gp_channel_wrap(&channel, c.data(), c.size(), out, &n), GP_OK) << plain;
    return hexOf(out, n);
}

const char *const kCases[] = {"80F22002", "80CA006600", "80F220020A4F0212345C054F9F70C5", "80F28002024F0000"};

} // namespace

TEST(GpChannel, Scp02AgainstACardTrace)
{
    GpKeys keys = keysOf("100102030405060708090a0b0c0d0e0f", "101102030405060708090a0b0c0d0e0f",
                         "102102030405060708090a0b0c0d0e0f");
    GpChannel channel = start("805020000840A62C37FA6304F800", "00000000000000000000700200016B4524ABEE7CF32EA3838BC148F3", keys);
    EXPECT_EQ(channel.card.scp, 2);
    EXPECT_EQ(authenticate(channel, 0x01), "8482010010BA6961667737C5BCEBECE14C7D6A4376");
    const char *wrapped[] = {"84F220020814DB34FA4341DCA8", "84CA00660855ED7C5FF069512B00",
                             "84F22002124F0212345C054F9F70C58FC1B380C4228AF8", "84F280020A4F003B95F09317DE6A4E00"};
    for (size_t n = 0; n < 4; ++n)
        EXPECT_EQ(wrap(channel, kCases[n]), wrapped[n]);
    // Another key: the card cryptogram does not match.
    keys.enc[0] ^= 0x02; // bit 1 is parity, which DES ignores
    start("805020000840A62C37FA6304F800", "00000000000000000000700200016B4524ABEE7CF32EA3838BC148F3", keys,
          GP_CRYPTOGRAM);
}

struct Scp03Trace {
    int bits;
    const char *initializeUpdate, *answer, *externalAuthenticate, *getEid, *eidAnswer;
    const char *cases[4];
};

TEST(GpChannel, Scp03AgainstCardTraces)
{
    const Scp03Trace traces[] = {
        {128, "8050300008b13e5f938fc108c400", "000000000000000000003003703eb51047495b249f66c484c1d2ef1948000002",
         "84821100107d5f5826a993ebc89eea24957fa0b3ce", "84e291000ebf3e035c015a558d036518a2829700",
         "bf3e125a1089882119900000000000000000000005971be68992dbbdfa",
         {"84f220020863a63f8959827fb2", "84ca006608a0c6a4a74166f7ce00", "84f22002124f0212345c054f9f70c52249b50272656536",
          "84f280020a4f00e91443f6dce6b8ed00"}},
        {128, "80503000088e1552d0513c60f300", "0000000000000000000030037030760cd2c47c1dd395065fe5ead8a9d7000001",
         "8482030010fd4721a14d9b07003c451d2f8ae6bb21", "84e2910018ca9c00f6713d79bc8baa642bdff51c3f6a4082d3bd9ad26c00",
         "bf3e125a1089882119900000000000000000000005",
         {"84f2200208c9811b11f1264cf1", "84ca006608e10ab60b3054798800",
          "84f22002184e2908bdb48b2315a55482e9e936ca122d6ecfae7d17416e",
          "84f28002180dd10a6b6193e5340b9e77d32d5a179cd710ac2773aefb2800"}},
        {128, "8050300008fdf38259a1e0de4400", "000000000000000000003003703b1aca81e821f219081cdc01c26b372d000003",
         "84823300108c36f96bcc00724a4e13ad591d7da3f0", "84e2910018267a85dfe4a98fca6fb0527e0dfecce4914e40401433c87f00",
         "f3ba2b1013aa6224f5e1c138d71805c569e5439b47576260b75fc021b25097cb2e68f8a0144975b9",
         {"84f2200208ac6a59024bed84cc", "84ca006608409912ad8fb7aed000",
          "84f22002185f3dafc3ac14c381536a488bf44e06d056df9d74dbd21e5a",
          "84f280021865165105be3373347d0424d4400af2ac393f569ec779389e00"}},
        {192, "80503100089b3f2eef0e8c937400", "00000000000000000000310370f6bb305a15bae1a68f79fb08212fbed7000002",
         "84823300109100bc22d58b45b86a26365ce39ff3cf", "84e29100188f7f946c84f70d17994bc6e8791251bb1bb1bf02cf8de58900",
         "c05176c1b6f72aae50c32cbee63b0e95998928fd4dfb2be9f27ffde8c8476f5909b4805cc4039599",
         {"84f2200208d5d97754b6b3d2ba", "84ca006608516c82b8e30adbeb00",
          "84f2200218cc247f4761e6944277a4e0d6e32e44025b1e31537e2fc668",
          "84f2800218ba22b63d509bef5d093b43e5eaed03ed23144ab2d9cb51de00"}},
        {256, "805032000897b2055fe58599fd00", "00000000000000000000320370a8439a22cedf045fa9f1903b2834f26e000002",
         "8482330010508a0fd959d2e547c6b33154a6be2057", "84e29100187a5ef717eaf1e135ae92fe54429d0e465decda65f5fe5aea00",
         "ea90dbfa648a67c5eb6abc57f8530b97d0cd5647c5e8732016b55203b078dd2ace7f8bc5d1c1cd99",
         {"84f2200208bcc5c17275545d93", "84ca00660804806aba9d543bb600",
          "84f2200218717222491556ec81a45f49ce48be33320024801a1c4cb0e0",
          "84f2800218561f105bccd3a1642904b251ccc1228beb80a82370a8637000"}},
    };
    const std::string enc = "000102030405060708090a0b0c0d0e0f000102030405060708090a0b0c0d0e0f";
    const std::string mac = "101112131415161718191a1b1c1d1e1f101112131415161718191a1b1c1d1e1f";
    const std::string dek = "202122232425262728292a2b2c2d2e2f202122232425262728292a2b2c2d2e2f";
    for (const Scp03Trace &t : traces) {
        SCOPED_TRACE(std::string(t.externalAuthenticate).substr(4, 2) + " with AES-" + std::to_string(t.bits));
        size_t n = static_cast<size_t>(t.bits / 4);
        GpChannel channel = start(t.initializeUpdate, t.answer, keysOf(enc.substr(0, n), mac.substr(0, n), dek.substr(0, n)));
        EXPECT_EQ(channel.card.scp, 3);
        EXPECT_EQ(channel.card.i, 0x70);
        EXPECT_EQ(channel.card.counterLength, 3u);
        uint8_t level = bytes(t.externalAuthenticate)[2];
        EXPECT_EQ(authenticate(channel, level), upper(t.externalAuthenticate));
        EXPECT_EQ(wrap(channel, "80E2910006BF3E035C015A00"), upper(t.getEid));
        Bytes answer = bytes(t.eidAnswer);
        size_t length = answer.size();
        EXPECT_EQ(gp_channel_unwrap(&channel, answer.data(), &length, 0x9000), GP_OK);
        EXPECT_EQ(hexOf(answer.data(), length), "BF3E125A1089882119900000000000000000000005");
        for (size_t c = 0; c < 4; ++c)
            EXPECT_EQ(wrap(channel, kCases[c]), upper(t.cases[c]));
    }
}

TEST(GpChannel, ResponsesAreCheckedWhereProtected)
{
    const std::string key = "000102030405060708090a0b0c0d0e0f";
    GpChannel channel = start("8050300008fdf38259a1e0de4400",
                              "000000000000000000003003703b1aca81e821f219081cdc01c26b372d000003",
                              keysOf(key, "101112131415161718191a1b1c1d1e1f", "202122232425262728292a2b2c2d2e2f"));
    authenticate(channel, 0x33);
    wrap(channel, "80E2910006BF3E035C015A00");
    Bytes answer = bytes("f3ba2b1013aa6224f5e1c138d71805c569e5439b47576260b75fc021b25097cb2e68f8a0144975b9");
    Bytes spoilt = answer;
    spoilt.back() ^= 1;
    size_t length = spoilt.size();
    EXPECT_EQ(gp_channel_unwrap(&channel, spoilt.data(), &length, 0x9000), GP_R_MAC);
    length = 4;
    EXPECT_EQ(gp_channel_unwrap(&channel, answer.data(), &length, 0x9000), GP_R_MAC); // shorter than a MAC
    length = 0;
    EXPECT_EQ(gp_channel_unwrap(&channel, answer.data(), &length, 0x6A88), GP_OK);  // errors come bare
    length = answer.size();
    EXPECT_EQ(gp_channel_unwrap(&channel, answer.data(), &length, 0x9000), GP_OK);
}

TEST(GpChannel, RefusesWhatDoesNotFit)
{
    Bytes a = bytes("000000000000000000003003103b1aca81e821f219081cdc01c26b372d");
    GpAnswer answer;
    EXPECT_EQ(gp_read_answer(a.data(), a.size() - 1, &answer), GP_BAD_ANSWER);
    ASSERT_EQ(gp_read_answer(a.data(), a.size(), &answer), GP_OK);
    EXPECT_EQ(answer.counterLength, 0u);
    GpChannel channel{};
    channel.card = answer; // i = 10: no R-MAC, no R-ENC
    struct {
        uint8_t level;
        int offered;
    } levels[] = {{0x00, 1}, {0x01, 1}, {0x03, 1}, {0x02, 0}, {0x11, 0}, {0x13, 0}, {0x33, 0}, {0x10, 0}};
    for (auto l : levels)
        EXPECT_EQ(gp_level_offered(&channel, l.level), l.offered) << int(l.level);
    channel.card.i = 0x70;
    EXPECT_TRUE(gp_level_offered(&channel, 0x33));
    channel.card.scp = 2;
    EXPECT_FALSE(gp_level_offered(&channel, 0x11));

    GpKeys keys = keysOf("404142434445464748494A4B4C4D4E4F", "404142434445464748494A4B4C4D4E4F",
                         "404142434445464748494A4B4C4D4E4F");
    keys.length = 20;
    EXPECT_EQ(gp_channel_start(&channel, &answer, a.data(), &keys), GP_BAD_KEYS);

    channel.card.scp = 3;
    channel.level = 0x03;
    channel.keyLength = 16;
    uint8_t out[GP_MAX_WRAPPED];
    size_t n;
    Bytes command(5 + 240, 0x00);
    command[0] = 0x80;
    command[4] = 240; // 240 bytes pad to 256: more than a short command holds
    EXPECT_EQ(gp_channel_wrap(&channel, command.data(), command.size(), out, &n), GP_TOO_LONG);
    Bytes malformed = bytes("80CA0066030000"); // Lc 3, two bytes
    EXPECT_EQ(gp_channel_wrap(&channel, malformed.data(), malformed.size(), out, &n), GP_MALFORMED);
    EXPECT_EQ(gp_channel_wrap(&channel, malformed.data(), 3, out, &n), GP_MALFORMED);
}

// Below C-MAC a command goes out as it came, whichever protocol: with and
// without data, with and without Le.
TEST(GpChannel, PlainLevelSendsCommandsAsTheyAre)
{
    const char *commands[] = {"80CA00E0", "80CA00E000", "80F21002024F00", "80F21002024F0000"};
    for (int scp : {2, 3}) {
        GpChannel channel{};
        channel.card.scp = static_cast<uint8_t>(scp);
        channel.level = 0x00;
        for (const char *hex : commands) {
            Bytes command = bytes(hex);
            uint8_t out[GP_MAX_WRAPPED];
            size_t n = 0;
            ASSERT_EQ(gp_channel_wrap(&channel, command.data(), command.size(), out, &n), GP_OK) << hex;
            EXPECT_EQ(hexOf(out, n), upper(hex)) << "SCP0" << scp;
        }
    }
}

TEST(GpDiversify, EmvAndVisa2AgainstPublishedKeys)
{
    Bytes master = bytes("404142434445464748494A4B4C4D4E4F");
    Bytes kdd = bytes("0102030405060708090A");
    GpKeys keys;
    ASSERT_EQ(gp_diversify(GP_DIVERSIFY_EMV, master.data(), master.size(), kdd.data(), &keys), 0);
    EXPECT_EQ(hexOf(keys.enc, 16), "6438A05AC377DF302423BC5E2038FB5B");
    EXPECT_EQ(hexOf(keys.mac, 16), "5A9402DDABC5B9497BBECE0884929B83");
    EXPECT_EQ(hexOf(keys.dek, 16), "ACB4C129B3912FB782A4EAEE043BAE95");
    // VISA2, known by the check values published for data 00 ... 09 (the
    // full keys are those gp_reference.py computes, checked the same way).
    kdd = bytes("00010203040506070809");
    ASSERT_EQ(gp_diversify(GP_DIVERSIFY_VISA2, master.data(), master.size(), kdd.data(), &keys), 0);
    EXPECT_EQ(hexOf(keys.enc, 16), "8510FC973208218CA86888BCEC203635");
    EXPECT_EQ(hexOf(keys.mac, 16), "1068B5FB6F06C78C7A4DFC343B21C78F");
    EXPECT_EQ(hexOf(keys.dek, 16), "2DAEE809C71405FF259C3BE695A1F66E");
    EXPECT_EQ(gp_diversify(GP_DIVERSIFY_EMV, master.data(), 8, kdd.data(), &keys), -1);
    EXPECT_EQ(gp_diversify(GP_DIVERSIFY_NONE, master.data(), 16, kdd.data(), &keys), -1);
}
