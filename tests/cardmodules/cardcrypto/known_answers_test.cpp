// The card cryptography library against published known-answer vectors,
// and its length and padding rules.
#include "card_crypto.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes hex(const std::string &text)
{
    Bytes out;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return out;
}

Bytes ascii(const std::string &text) { return Bytes(text.begin(), text.end()); }

std::string text(const Bytes &bytes)
{
    std::string out;
    char pair[3];
    for (uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        out += pair;
    }
    return out;
}

// NIST SP 800-38A / SP 800-38B sample message blocks.
const std::string kSample = "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
                            "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710";

Bytes sample(size_t bytes) { return hex(kSample.substr(0, 2 * bytes)); }

struct CmacCase {
    const char *source;
    CardCipher cipher;
    const char *key;
    size_t messageBytes; // a prefix of the sample message
    const char *mac;
};

const CmacCase kCmacCases[] = {
    {"RFC 4493 example 1", CARD_CIPHER_AES, "2b7e151628aed2a6abf7158809cf4f3c", 0, "bb1d6929e95937287fa37d129b756746"},
    {"RFC 4493 example 2", CARD_CIPHER_AES, "2b7e151628aed2a6abf7158809cf4f3c", 16, "070a16b46b4d4144f79bdd9dd04a287c"},
    {"RFC 4493 example 3", CARD_CIPHER_AES, "2b7e151628aed2a6abf7158809cf4f3c", 40, "dfa66747de9ae63030ca32611497c827"},
    {"RFC 4493 example 4", CARD_CIPHER_AES, "2b7e151628aed2a6abf7158809cf4f3c", 64, "51f0bebf7e3b9d92fc49741779363cfe"},
    {"SP 800-38B AES-256 example 12", CARD_CIPHER_AES,
     "603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4", 64, "e1992190549f6ed5696a2c056c315410"},
    {"SP 800-38B three-key TDEA, empty", CARD_CIPHER_TDES, "8aa83bf8cbda10620bc1bf19fbb6cd58bc313d4a371ca8b5", 0,
     "b7a688e122ffaf95"},
    {"SP 800-38B three-key TDEA, 8 bytes", CARD_CIPHER_TDES, "8aa83bf8cbda10620bc1bf19fbb6cd58bc313d4a371ca8b5", 8,
     "8e8f293136283797"},
    {"SP 800-38B three-key TDEA, 20 bytes", CARD_CIPHER_TDES, "8aa83bf8cbda10620bc1bf19fbb6cd58bc313d4a371ca8b5", 20,
     "743ddbe0ce2dc2ed"},
    {"SP 800-38B three-key TDEA, 32 bytes", CARD_CIPHER_TDES, "8aa83bf8cbda10620bc1bf19fbb6cd58bc313d4a371ca8b5", 32,
     "33e6b1092400eae5"},
    {"SP 800-38B two-key TDEA, empty", CARD_CIPHER_TDES, "4cf15134a2850dd58a3d10ba80570d38", 0, "bd2ebf9a3ba00361"},
    {"SP 800-38B two-key TDEA, 8 bytes", CARD_CIPHER_TDES, "4cf15134a2850dd58a3d10ba80570d38", 8, "4ff2ab813c53ce83"},
    {"SP 800-38B two-key TDEA, 20 bytes", CARD_CIPHER_TDES, "4cf15134a2850dd58a3d10ba80570d38", 20, "62dd1b471902bd4e"},
    {"SP 800-38B two-key TDEA, 32 bytes", CARD_CIPHER_TDES, "4cf15134a2850dd58a3d10ba80570d38", 32, "31b1e431dabc4eb8"},
    {"SP 800-38B TDEA (2016 examples), 32 bytes", CARD_CIPHER_TDES, "0123456789abcdef23456789abcdef01456789abcdef0123",
     32, "99429bd0bf7904e5"},
};

TEST(CardCrypto, CmacKnownAnswers)
{
    for (const CmacCase &c : kCmacCases) {
        Bytes key = hex(c.key);
        Bytes message = sample(c.messageBytes);
        Bytes mac(card_block_size(c.cipher));
        ASSERT_EQ(0, card_cmac(c.cipher, key.data(), key.size(), message.data(), message.size(), mac.data()))
            << c.source;
        EXPECT_EQ(c.mac, text(mac)) << c.source;
    }
}

struct CipherCase {
    const char *source;
    CardCipher cipher;
    CardMode mode;
    const char *key;
    const char *iv; // null: zeros
    const char *plain;
    const char *encrypted;
};

const CipherCase kCipherCases[] = {
    {"FIPS 197 / SP 800-38A ECB-AES128", CARD_CIPHER_AES, CARD_MODE_ECB, "2b7e151628aed2a6abf7158809cf4f3c", nullptr,
     "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51",
     "3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf"},
    {"SP 800-38A CBC-AES128", CARD_CIPHER_AES, CARD_MODE_CBC, "2b7e151628aed2a6abf7158809cf4f3c",
     "000102030405060708090a0b0c0d0e0f", "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51",
     "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"},
    {"SP 800-38A CBC-AES256", CARD_CIPHER_AES, CARD_MODE_CBC,
     "603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4", "000102030405060708090a0b0c0d0e0f",
     "6bc1bee22e409f96e93d7e117393172a", "f58c4c04d6e5f1ba779eabfb5f7bfbd6"},
    {"FIPS 46 DES worked example", CARD_CIPHER_DES, CARD_MODE_ECB, "133457799bbcdff1", nullptr, "0123456789abcdef",
     "85e813540f0ab405"},
    {"FIPS 81 DES-CBC", CARD_CIPHER_DES, CARD_MODE_CBC, "0123456789abcdef", "1234567890abcdef",
     "4e6f77206973207468652074696d6520666f7220616c6c20",
     "e5c7cdde872bf27c43e934008c389c0f683788499a7c05f6"},
    // A Triple DES key of three equal keys is single DES.
    {"FIPS 46 DES example as three equal keys", CARD_CIPHER_TDES, CARD_MODE_ECB,
     "133457799bbcdff1133457799bbcdff1133457799bbcdff1", nullptr, "0123456789abcdef", "85e813540f0ab405"},
};

TEST(CardCrypto, CipherKnownAnswersBothWays)
{
    for (const CipherCase &c : kCipherCases) {
        Bytes key = hex(c.key);
        Bytes iv = c.iv != nullptr ? hex(c.iv) : Bytes();
        const uint8_t *ivData = c.iv != nullptr ? iv.data() : nullptr;
        Bytes plain = hex(c.plain);
        Bytes out(plain.size());
        ASSERT_EQ(0, card_encrypt(c.cipher, c.mode, key.data(), key.size(), ivData, plain.data(), plain.size(),
                                  out.data()))
            << c.source;
        EXPECT_EQ(c.encrypted, text(out)) << c.source;
        // In place, back again.
        ASSERT_EQ(0, card_decrypt(c.cipher, c.mode, key.data(), key.size(), ivData, out.data(), out.size(),
                                  out.data()))
            << c.source;
        EXPECT_EQ(c.plain, text(out)) << c.source;
    }
}

TEST(CardCrypto, RetailMacIso9797Annex)
{
    // ISO/IEC 9797-1 annex B: MAC algorithm 3, padding method 1, K K'.
    Bytes key = hex("0123456789abcdeffedcba9876543210");
    struct {
        const char *message;
        const char *mac;
    } cases[] = {{"Now is the time for all ", "a1c72e74ea3fa9b6"}, {"Now is the time for it", "2e2b1428cc78254f"}};
    for (const auto &c : cases) {
        Bytes message = ascii(c.message);
        Bytes padded(card_pad00_length(message.size(), CARD_DES_BLOCK));
        ASSERT_EQ(0, card_pad00(message.data(), message.size(), CARD_DES_BLOCK, padded.data()));
        Bytes mac(8);
        ASSERT_EQ(0, card_retail_mac(key.data(), key.size(), nullptr, padded.data(), padded.size(), mac.data()));
        EXPECT_EQ(c.mac, text(mac)) << c.message;
    }
}

TEST(CardCrypto, CbcMacFips113)
{
    // FIPS 113 appendix: DES CBC-MAC of "7654321 Now is the time for ".
    // Triple DES with K1 = K2 is single DES, and so is the retail MAC.
    Bytes key = hex("0123456789abcdef0123456789abcdef");
    Bytes message = ascii("7654321 Now is the time for ");
    Bytes padded(card_pad00_length(message.size(), CARD_DES_BLOCK));
    ASSERT_EQ(0, card_pad00(message.data(), message.size(), CARD_DES_BLOCK, padded.data()));
    Bytes mac(8);
    ASSERT_EQ(0, card_tdes_cbc_mac(key.data(), key.size(), nullptr, padded.data(), padded.size(), mac.data()));
    EXPECT_EQ("f1d30f6849312ca4", text(mac));
    ASSERT_EQ(0, card_retail_mac(key.data(), key.size(), nullptr, padded.data(), padded.size(), mac.data()));
    EXPECT_EQ("f1d30f6849312ca4", text(mac));
}

TEST(CardCrypto, MacInitialValueChainsLikeAPrefixBlock)
{
    // A MAC over A || B equals the MAC over B with the chaining value after A.
    Bytes key = hex("404142434445464748494a4b4c4d4e4f");
    Bytes message = sample(24);
    Bytes first(message.begin(), message.begin() + 8);
    Bytes rest(message.begin() + 8, message.end());
    Bytes chain(8), whole(8), split(8);
    ASSERT_EQ(0, card_encrypt(CARD_CIPHER_DES, CARD_MODE_ECB, key.data(), 8, nullptr, first.data(), 8, chain.data()));
    ASSERT_EQ(0, card_retail_mac(key.data(), key.size(), nullptr, message.data(), message.size(), whole.data()));
    ASSERT_EQ(0, card_retail_mac(key.data(), key.size(), chain.data(), rest.data(), rest.size(), split.data()));
    EXPECT_EQ(text(whole), text(split));

    ASSERT_EQ(0, card_encrypt(CARD_CIPHER_TDES, CARD_MODE_ECB, key.data(), key.size(), nullptr, first.data(), 8,
                              chain.data()));
    ASSERT_EQ(0, card_tdes_cbc_mac(key.data(), key.size(), nullptr, message.data(), message.size(), whole.data()));
    ASSERT_EQ(0, card_tdes_cbc_mac(key.data(), key.size(), chain.data(), rest.data(), rest.size(), split.data()));
    EXPECT_EQ(text(whole), text(split));
}

TEST(CardCrypto, Scp03SessionKeys)
{
    // GlobalPlatform default keys 40..4F; context: host challenge || card
    // challenge. Published session keys of an SCP03 card (sequence 000010).
    Bytes key = hex("404142434445464748494a4b4c4d4e4f");
    Bytes context = hex("a7f76c713f0a713d31900058c1c451a2");
    struct {
        uint8_t constant;
        const char *sessionKey;
    } cases[] = {{0x04, "258a78866f41482bef482dc8ca976ccd"},
                 {0x06, "053db6abc7fdf3b63a0d965ee16b0255"},
                 {0x07, "eda0b4f2ec0345bfc50f3bc59cfef936"}};
    for (const auto &c : cases) {
        Bytes out(16);
        ASSERT_EQ(0, card_scp03_kdf(key.data(), key.size(), c.constant, context.data(), context.size(), 128,
                                    out.data()));
        EXPECT_EQ(c.sessionKey, text(out)) << int(c.constant);
    }
}

TEST(CardCrypto, KdfLongerOutputsShareTheirPrefixOnlyThroughTheCounter)
{
    // L is part of every block: the first 8 bytes of a 128-bit output are
    // not the 64-bit output, and a 256-bit output is two counter blocks.
    Bytes key = hex("404142434445464748494a4b4c4d4e4f");
    Bytes context = hex("0001020304050607");
    Bytes short64(8), long128(16), long256(32);
    ASSERT_EQ(0, card_scp03_kdf(key.data(), 16, 0x00, context.data(), context.size(), 64, short64.data()));
    ASSERT_EQ(0, card_scp03_kdf(key.data(), 16, 0x00, context.data(), context.size(), 128, long128.data()));
    ASSERT_EQ(0, card_scp03_kdf(key.data(), 16, 0x00, context.data(), context.size(), 256, long256.data()));
    EXPECT_NE(text(short64), text(long128).substr(0, 16));

    // label (eleven 00, constant 00) || 00 || L = 0100 || counter 01 || context
    Bytes input = hex("000000000000000000000000" "00" "0100" "01" "0001020304050607");
    Bytes block(16);
    ASSERT_EQ(0, card_cmac(CARD_CIPHER_AES, key.data(), 16, input.data(), input.size(), block.data()));
    EXPECT_EQ(text(block), text(long256).substr(0, 32));
    input[15] = 0x02;
    ASSERT_EQ(0, card_cmac(CARD_CIPHER_AES, key.data(), 16, input.data(), input.size(), block.data()));
    EXPECT_EQ(text(block), text(long256).substr(32));
}

TEST(CardCrypto, Padding)
{
    struct {
        const char *data;
        size_t block;
        const char *pad80;
        const char *pad00;
    } cases[] = {
        {"", 8, "8000000000000000", "0000000000000000"},
        {"01", 8, "0180000000000000", "0100000000000000"},
        {"01020304050607", 8, "0102030405060780", "0102030405060700"},
        {"0102030405060708", 8, "01020304050607088000000000000000", "0102030405060708"},
        {"01", 16, "01800000000000000000000000000000", "01000000000000000000000000000000"},
        {"0102", 1, "010280", "0102"},
    };
    for (const auto &c : cases) {
        Bytes data = hex(c.data);
        Bytes pad80(card_pad80_length(data.size(), c.block));
        ASSERT_EQ(0, card_pad80(data.data(), data.size(), c.block, pad80.data()));
        EXPECT_EQ(c.pad80, text(pad80)) << c.data;
        size_t unpadded = 0;
        ASSERT_EQ(0, card_unpad80(pad80.data(), pad80.size(), c.block, &unpadded)) << c.data;
        EXPECT_EQ(data.size(), unpadded) << c.data;
        Bytes pad00(card_pad00_length(data.size(), c.block));
        ASSERT_EQ(0, card_pad00(data.data(), data.size(), c.block, pad00.data()));
        EXPECT_EQ(c.pad00, text(pad00)) << c.data;
    }
}

TEST(CardCrypto, UnpadRefusesWhatIsNotMethodTwo)
{
    struct {
        const char *data;
        size_t block; // 0: any length
        int status;
        size_t length;
    } cases[] = {
        {"", 0, -1, 0},
        {"0000", 0, -1, 0},
        {"0102", 0, -1, 0},
        {"01028001", 0, -1, 0},
        {"80", 0, 0, 0},
        {"01800000", 0, 0, 1},
        {"8080", 0, 0, 1},
        {"0180000000000000", 8, 0, 1},
        {"01800000000000", 8, -1, 0},                     // not whole blocks
        {"80000000000000000000000000000000", 8, -1, 0}, // padding longer than a block
        {"80000000000000000000000000000000", 0, 0, 0},
    };
    for (const auto &c : cases) {
        Bytes data = hex(c.data);
        size_t length = 99;
        EXPECT_EQ(c.status, card_unpad80(data.data(), data.size(), c.block, &length)) << c.data;
        if (c.status == 0) {
            EXPECT_EQ(c.length, length) << c.data;
        }
    }
}

TEST(CardCrypto, WrongLengthsAreRefused)
{
    Bytes key16(16, 0x11), key8(8, 0x22), key20(20, 0x33), data(24, 0x44), odd(12, 0x55), out(64);
    EXPECT_EQ(-1, card_encrypt(CARD_CIPHER_DES, CARD_MODE_ECB, key16.data(), 16, nullptr, data.data(), 24, out.data()));
    EXPECT_EQ(-1, card_encrypt(CARD_CIPHER_TDES, CARD_MODE_ECB, key8.data(), 8, nullptr, data.data(), 24, out.data()));
    EXPECT_EQ(-1, card_encrypt(CARD_CIPHER_AES, CARD_MODE_CBC, key20.data(), 20, nullptr, data.data(), 16, out.data()));
    EXPECT_EQ(-1, card_encrypt(CARD_CIPHER_AES, CARD_MODE_ECB, key16.data(), 16, nullptr, data.data(), 24, out.data()));
    EXPECT_EQ(-1, card_decrypt(CARD_CIPHER_DES, CARD_MODE_CBC, key8.data(), 8, nullptr, odd.data(), 12, out.data()));
    EXPECT_EQ(-1, card_retail_mac(key16.data(), 16, nullptr, odd.data(), 12, out.data()));
    EXPECT_EQ(-1, card_retail_mac(key16.data(), 16, nullptr, data.data(), 0, out.data()));
    EXPECT_EQ(-1, card_retail_mac(key8.data(), 8, nullptr, data.data(), 24, out.data()));
    EXPECT_EQ(-1, card_tdes_cbc_mac(key20.data(), 20, nullptr, data.data(), 24, out.data()));
    EXPECT_EQ(-1, card_cmac(CARD_CIPHER_DES, key8.data(), 8, data.data(), 24, out.data()));
    EXPECT_EQ(-1, card_cmac(CARD_CIPHER_AES, key20.data(), 20, data.data(), 24, out.data()));
    EXPECT_EQ(-1, card_kdf_cmac(key16.data(), 16, nullptr, 0, nullptr, 0, 0, out.data()));
    EXPECT_EQ(-1, card_kdf_cmac(key16.data(), 16, nullptr, 0, nullptr, 0, 12, out.data()));
    EXPECT_EQ(-1, card_kdf_cmac(key16.data(), 16, nullptr, 0, nullptr, 0, 256 * 128, out.data()));
    EXPECT_EQ(-1, card_scp03_kdf(key8.data(), 8, 0x04, data.data(), 16, 128, out.data()));
    EXPECT_EQ(-1, card_pad80(data.data(), 24, 0, out.data()));
    EXPECT_EQ(0, card_encrypt(CARD_CIPHER_AES, CARD_MODE_ECB, key16.data(), 16, nullptr, data.data(), 0, out.data()));
}

TEST(CardCrypto, RandomBytesDiffer)
{
    Bytes a(32), b(32);
    ASSERT_EQ(0, card_random(a.data(), a.size()));
    ASSERT_EQ(0, card_random(b.data(), b.size()));
    EXPECT_NE(a, b);
    EXPECT_EQ(0, card_random(nullptr, 0));
}

TEST(CardCrypto, XorInPlace)
{
    Bytes a = hex("00ff55aa"), b = hex("0f0f0f0f");
    card_xor(a.data(), b.data(), a.size(), a.data());
    EXPECT_EQ("0ff05aa5", text(a));
}

} // namespace
