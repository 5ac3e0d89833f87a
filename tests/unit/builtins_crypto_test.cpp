// Ciphers and digests against published vectors; argument and length checks;
// digest contexts kept in byte arrays.
#include "builtin_fixture.h"

#include <openssl/sha.h>

using namespace pelorn;
using namespace pelorn::testing;
namespace bi = pelorn::builtins;

namespace {

const char *const kKey1 = "01 23 45 67 89 AB CD EF";
const char *const kNowIsTheTime = "4E 6F 77 20 69 73 20 74 68 65 20 74 69 6D 65 20 66 6F 72 20 61 6C 6C 20";
const char *const kTripleKey = "01 23 45 67 89 AB CD EF 23 45 67 89 AB CD EF 01 45 67 89 AB CD EF 01 23";
const char *const kAesFipsKey128 = "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F";
const char *const kAesFipsPlain = "00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF";
const char *const kAesKey = "2B 7E 15 16 28 AE D2 A6 AB F7 15 88 09 CF 4F 3C";
const char *const kAesPlain = "6B C1 BE E2 2E 40 9F 96 E9 3D 7E 11 73 93 17 2A AE 2D 8A 57 1E 03 AC 9C 9E B7 6F AC "
                              "45 AF 8E 51";
const char *const kSequenceIv = "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F";
const char *const kTwoBlockText = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";

std::string hexText(const std::vector<uint8_t> &b)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (uint8_t x : b) {
        out += digits[x >> 4];
        out += digits[x & 15];
    }
    return out;
}

} // namespace

class CryptoBuiltins : public BuiltinTest {
protected:
    // Runs a cipher and gives its result in hexadecimal.
    std::string cipher(FunctionEntry entry, Args &args)
    {
        EXPECT_EQ(call(entry, args), 0) << thrown << messages();
        return result.type == PELORN_BYTEARRAY ? hexText(bytesOf(result)) : "(none)";
    }
};

TEST_F(CryptoBuiltins, DesAgainstPublishedVectors)
{
    Args ecb{bytes("4E 6F 77 20 69 73 20 74"), bytes(kKey1)};
    EXPECT_EQ(cipher(bi::DES, ecb), "3FA40E8A984D4815");
    Args zero{bytes("00 00 00 00 00 00 00 00"), bytes(kKey1), boolean(true)};
    EXPECT_EQ(cipher(bi::DES, zero), "D5D44FF720683D0D");
    Args back{bytes("D5 D4 4F F7 20 68 3D 0D"), bytes(kKey1), boolean(false)};
    EXPECT_EQ(cipher(bi::DES, back), "0000000000000000");
    Args cbc{bytes(kNowIsTheTime), bytes(kKey1), bytes("12 34 56 78 90 AB CD EF")};
    EXPECT_EQ(cipher(bi::DesCBC, cbc), "E5C7CDDE872BF27C43E934008C389C0F683788499A7C05F6");
    EXPECT_EQ(bytesOf(cbc[2]), hex("12 34 56 78 90 AB CD EF"));
    Args decrypt{bytes("E5C7CDDE872BF27C43E934008C389C0F683788499A7C05F6"), bytes(kKey1),
                 bytes("12 34 56 78 90 AB CD EF"), boolean(false)};
    EXPECT_EQ(cipher(bi::DesCBC, decrypt), hexText(hex(kNowIsTheTime)));
}

TEST_F(CryptoBuiltins, TripleDesAgainstPublishedVectors)
{
    Args ecb{bytes("6B C1 BE E2 2E 40 9F 96 E9 3D 7E 11 73 93 17 2A"), bytes(kTripleKey)};
    EXPECT_EQ(cipher(bi::TDes, ecb), "714772F339841D34267FCC4BD2949CC3");
    Args cbc{bytes(kAesPlain), bytes(kTripleKey), bytes("F6 9F 24 45 DF 4F 9B 17")};
    EXPECT_EQ(cipher(bi::TDesCBC, cbc), "2079C3D53AA763E193B79E2569AB5262516570481F25B50F73C0BDA85C8E0DA7");
    // The chaining value (last ciphertext block) is written into the IV.
    EXPECT_EQ(hexText(bytesOf(cbc[2])), "73C0BDA85C8E0DA7");
    Args decrypt{bytes("2079C3D53AA763E193B79E2569AB5262516570481F25B50F73C0BDA85C8E0DA7"), bytes(kTripleKey),
                 bytes("F6 9F 24 45 DF 4F 9B 17"), boolean(false)};
    EXPECT_EQ(cipher(bi::TDesCBC, decrypt), hexText(hex(kAesPlain)));
    EXPECT_EQ(hexText(bytesOf(decrypt[2])), "73C0BDA85C8E0DA7");
}

TEST_F(CryptoBuiltins, TripleDesKeyForms)
{
    // A 16-byte key is K1 K2 with K3 = K1; K1 = K2 = K3 is single DES.
    Args twoKey{bytes(kNowIsTheTime), bytes("01 23 45 67 89 AB CD EF 23 45 67 89 AB CD EF 01")};
    Args threeKey{bytes(kNowIsTheTime),
                  bytes("01 23 45 67 89 AB CD EF 23 45 67 89 AB CD EF 01 01 23 45 67 89 AB CD EF")};
    EXPECT_EQ(cipher(bi::TDes, twoKey), cipher(bi::TDes, threeKey));
    Args same{bytes(kNowIsTheTime), bytes("01 23 45 67 89 AB CD EF 01 23 45 67 89 AB CD EF")};
    Args single{bytes(kNowIsTheTime), bytes(kKey1)};
    EXPECT_EQ(cipher(bi::TDes, same), cipher(bi::DES, single));
}

TEST_F(CryptoBuiltins, TripleDesCbcContinuesTheStreamThroughTheIv)
{
    Args whole{bytes(kAesPlain), bytes(kTripleKey), bytes("F6 9F 24 45 DF 4F 9B 17")};
    std::string expected = cipher(bi::TDesCBC, whole);
    Args first{bytes("6B C1 BE E2 2E 40 9F 96 E9 3D 7E 11 73 93 17 2A"), bytes(kTripleKey),
               bytes("F6 9F 24 45 DF 4F 9B 17")};
    std::string part = cipher(bi::TDesCBC, first);
    Args second{bytes("AE 2D 8A 57 1E 03 AC 9C 9E B7 6F AC 45 AF 8E 51"), bytes(kTripleKey),
                bytes(hexText(bytesOf(first[2])).c_str())};
    EXPECT_EQ(part + cipher(bi::TDesCBC, second), expected);
}

TEST_F(CryptoBuiltins, AesAgainstFips197AndSp80038a)
{
    Args aes128{bytes(kAesFipsPlain), bytes(kAesFipsKey128)};
    EXPECT_EQ(cipher(bi::Aes, aes128), "69C4E0D86A7B0430D8CDB78070B4C55A");
    Args aes192{bytes(kAesFipsPlain), bytes("000102030405060708090A0B0C0D0E0F1011121314151617")};
    EXPECT_EQ(cipher(bi::Aes, aes192), "DDA97CA4864CDFE06EAF70A0EC0D7191");
    Args aes256{bytes(kAesFipsPlain), bytes("000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F"),
                boolean(true)};
    EXPECT_EQ(cipher(bi::Aes, aes256), "8EA2B7CA516745BFEAFC49904B496089");
    Args back{bytes("69C4E0D86A7B0430D8CDB78070B4C55A"), bytes(kAesFipsKey128), boolean(false)};
    EXPECT_EQ(cipher(bi::Aes, back), hexText(hex(kAesFipsPlain)));

    Args ecb{bytes(kAesPlain), bytes(kAesKey)};
    EXPECT_EQ(cipher(bi::Aes, ecb), "3AD77BB40D7A3660A89ECAF32466EF97F5D3D58503B9699DE785895A96FDBAAF");
    Args cbc{bytes(kAesPlain), bytes(kAesKey), bytes(kSequenceIv)};
    EXPECT_EQ(cipher(bi::AesCBC, cbc), "7649ABAC8119B246CEE98E9B12E9197D5086CB9B507219EE95DB113A917678B2");
    EXPECT_EQ(bytesOf(cbc[2]), hex(kSequenceIv));
    Args decrypt{bytes("7649ABAC8119B246CEE98E9B12E9197D5086CB9B507219EE95DB113A917678B2"), bytes(kAesKey),
                 bytes(kSequenceIv), boolean(false)};
    EXPECT_EQ(cipher(bi::AesCBC, decrypt), hexText(hex(kAesPlain)));
}

TEST_F(CryptoBuiltins, EmptyDataGivesAnEmptyResult)
{
    const FunctionEntry ecbCiphers[] = {bi::DES, bi::TDes, bi::Aes};
    const char *ecbKeys[] = {kKey1, kTripleKey, kAesKey};
    for (size_t i = 0; i < 3; ++i) {
        Args args{bytes(""), bytes(ecbKeys[i])};
        EXPECT_EQ(cipher(ecbCiphers[i], args), "");
        EXPECT_EQ(result.type, PELORN_BYTEARRAY);
    }
    Args des{bytes(""), bytes(kKey1), bytes(kKey1)};
    EXPECT_EQ(cipher(bi::DesCBC, des), "");
    Args tdes{bytes(""), bytes(kTripleKey), bytes(kKey1)};
    EXPECT_EQ(cipher(bi::TDesCBC, tdes), "");
    EXPECT_EQ(bytesOf(tdes[2]), hex(kKey1));
    Args aes{bytes(""), bytes(kAesKey), bytes(kSequenceIv)};
    EXPECT_EQ(cipher(bi::AesCBC, aes), "");
}

TEST_F(CryptoBuiltins, CipherLengthsAreCheckedDataThenKeyThenIv)
{
    const char *desData = "The length of input data for Triple DES must be a multiple of 8";
    const char *aesData = "The length of input data for AES must be a multiple of 16";
    const char *desKey = "The key for DES must be 8 bytes long";
    const char *tdesKey = "The key for Triple DES must be either 16 or 24 bytes long";
    const char *aesKey = "The key for AES must be either 16 (AES-128), 24 (AES-192) or 32 (AES-256) bytes long";
    struct Case {
        FunctionEntry entry;
        size_t data, key, iv; // iv 0: ECB
        const char *thrown;
    };
    const Case cases[] = {
        {bi::DES, 3, 1, 0, desData},      {bi::DesCBC, 12, 8, 8, desData},   {bi::TDes, 9, 16, 0, desData},
        {bi::TDesCBC, 4, 24, 8, desData}, {bi::Aes, 15, 16, 0, aesData},     {bi::AesCBC, 24, 20, 8, aesData},
        {bi::DES, 8, 7, 0, desKey},       {bi::DesCBC, 8, 16, 8, desKey},    {bi::TDes, 8, 8, 0, tdesKey},
        {bi::TDesCBC, 8, 32, 7, tdesKey}, {bi::Aes, 16, 20, 0, aesKey},      {bi::AesCBC, 16, 8, 16, aesKey},
        {bi::DesCBC, 8, 8, 16, "The IV must be 8 bytes long"},
        {bi::TDesCBC, 8, 16, 7, "The IV must be 8 bytes long"},
        {bi::AesCBC, 16, 16, 8, "The IV must be 16 bytes long"},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> data(c.data), key(c.key), iv(c.iv);
        Args ecb{bytes(data), bytes(key)};
        Args cbc{bytes(data), bytes(key), bytes(iv)};
        EXPECT_EQ(call(c.entry, c.iv == 0 ? ecb : cbc), -1);
        EXPECT_EQ(thrown, c.thrown) << c.data << " " << c.key << " " << c.iv;
        EXPECT_EQ(result.type, PELORN_UNDEFINED);
    }
}

TEST_F(CryptoBuiltins, CipherArgumentErrorsWriteTheTwoLineMessage)
{
    struct Case {
        FunctionEntry entry;
        const char *name;
        const char *shape; // the prototype's second form names another routine for the CBC ones
    };
    const Case cases[] = {
        {bi::DES, "DES", "DES(inputData,Key) or DES(inputData,Key,IsForEncrypt).\n\tinputData and Key"},
        {bi::DesCBC, "DesCBC", "DesCBC(inputData,Key,IV) or Des(inputData,Key,IV,IsForEncrypt).\n\tinputData,Key and IV"},
        {bi::TDes, "TDes", "TDes(inputData,Key) or TDes(inputData,Key,IsForEncrypt).\n\tinputData and Key"},
        {bi::TDesCBC, "TDesCBC",
         "TDesCBC(inputData,Key,IV) or TDes(inputData,Key,IV,IsForEncrypt).\n\tinputData,Key and IV"},
        {bi::Aes, "Aes", "Aes(inputData,Key) or Aes(inputData,Key,IsForEncrypt).\n\tinputData and Key"},
        {bi::AesCBC, "AesCBC", "AesCBC(inputData,Key,IV) or Aes(inputData,Key,IV,IsForEncrypt).\n\tinputData,Key and IV"},
    };
    for (const Case &c : cases) {
        std::string expected = std::string("Bad arguments for \"") + c.name + "\". Prototype : " + c.shape +
                               " are ByteArrays. IsForEncrypt is a boolean to choose between encryption and "
                               "decryption. When ommited, \"" +
                               c.name + "\" encrypts\n";
        Args one{bytes("00")};
        Args textKey{bytes("00"), str("0123456789ABCDEF"), bytes("00")};
        Args integerFlag{bytes("00"), bytes("00"), bytes("00"), integer(1)};
        Args five{bytes("00"), bytes("00"), bytes("00"), boolean(true), boolean(true)};
        for (Args *args : {&one, &textKey, &integerFlag, &five}) {
            messages().clear();
            EXPECT_EQ(call(c.entry, *args), PELORN_BAD_ARGUMENTS) << c.name;
            EXPECT_EQ(messages(), expected);
        }
    }
}

// ----------------------------------------------------------------- digests

namespace {

struct DigestSet {
    const char *name;
    FunctionEntry oneCall, init, final;
    ProcedureEntry update;
    size_t contextLength;
    const char *ofAbc, *ofEmpty, *ofTwoBlocks;
};

const DigestSet kDigests[] = {
    {"MD5", bi::MD5, bi::MD5Init, bi::MD5Final, bi::MD5Update, 92, "900150983CD24FB0D6963F7D28E17F72",
     "D41D8CD98F00B204E9800998ECF8427E", "8215EF0796A20BCAAAE116D3876C664A"},
    {"SHA1", bi::SHA1, bi::SHA1Init, bi::SHA1Final, bi::SHA1Update, 96, "A9993E364706816ABA3E25717850C26C9CD0D89D",
     "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709", "84983E441C3BD26EBAAE4AA1F95129E5E54670F1"},
    {"SHA256", bi::SHA256, bi::SHA256Init, bi::SHA256Final, bi::SHA256Update, 112,
     "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD",
     "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855",
     "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
    {"SHA384", bi::SHA384, bi::SHA384Init, bi::SHA384Final, bi::SHA384Update, 216,
     "CB00753F45A35E8BB5A03D699AC65007272C32AB0EDED1631A8B605A43FF5BED8086072BA1E7CC2358BAECA134C825A7",
     "38B060A751AC96384CD9327EB1B1E36A21FDB71114BE07434C0CC7BF63F6E1DA274EDEBFE76F65FBD51AD2F14898B95B",
     "3391FDDDFC8DC7393707A65B1B4709397CF8B1D162AF05ABFE8F450DE5F36BC6B0455A8520BC4E6F5FE95B1FE3C8452B"},
    {"SHA512", bi::SHA512, bi::SHA512Init, bi::SHA512Final, bi::SHA512Update, 216,
     "DDAF35A193617ABACC417349AE20413112E6FA4E89A97EA20A9EEEE64B55D39A2192992A274FC1A836BA3C23A3FEEBBD454D4423643CE8"
     "0E2A9AC94FA54CA49F",
     "CF83E1357EEFB8BDF1542850D66D8007D620E4050B5715DC83F4A921D36CE9CE47D0D13C5D85F2B0FF8318D2877EEC2F63B931BD47417A"
     "81A538327AF927DA3E",
     "204A8FC6DDA82F0A0CED7BEB8E08A41657C16EF468B228A8279BE331A703C33596FD15C13B1B07F9AA1D3BEA57789CA031AD85C7A71DD7"
     "0354EC631238CA3445"},
};

} // namespace

TEST_F(CryptoBuiltins, OneCallDigestsOfStringsAndByteArrays)
{
    for (const DigestSet &d : kDigests) {
        Args abc{str("abc")};
        EXPECT_EQ(cipher(d.oneCall, abc), d.ofAbc) << d.name;
        Args abcBytes{bytes("61 62 63")};
        EXPECT_EQ(cipher(d.oneCall, abcBytes), d.ofAbc) << d.name;
        Args pieces{segmented({"a", "", "bc"})};
        EXPECT_EQ(cipher(d.oneCall, pieces), d.ofAbc) << d.name;
        Args empty{str("")};
        EXPECT_EQ(cipher(d.oneCall, empty), d.ofEmpty) << d.name;
        Args emptyBytes{bytes("")};
        EXPECT_EQ(cipher(d.oneCall, emptyBytes), d.ofEmpty) << d.name;
        Args twoBlocks{str(kTwoBlockText)};
        EXPECT_EQ(cipher(d.oneCall, twoBlocks), d.ofTwoBlocks) << d.name;
    }
}

TEST_F(CryptoBuiltins, IncrementalDigestsThroughContextByteArrays)
{
    for (const DigestSet &d : kDigests) {
        Args none{};
        ASSERT_EQ(call(d.init, none), 0);
        ASSERT_EQ(result.type, PELORN_BYTEARRAY);
        EXPECT_EQ(static_cast<size_t>(result.u.bytes.length), d.contextLength) << d.name;
        ScriptValue context = result;
        result = value::empty();
        // Pieces that straddle the 64- and 128-byte block boundaries.
        std::string text(kTwoBlockText);
        for (const std::string &piece : {text.substr(0, 5), text.substr(5, 50), std::string(), text.substr(55)}) {
            Args update{context, str(piece.c_str())};
            context = value::empty(); // the slot owns it during the call
            update.variable(0);
            ASSERT_EQ(call(d.update, update), 0) << d.name << messages();
            value::move(update[0], context);
        }
        Args final{context};
        final.variable(0);
        EXPECT_EQ(cipher(d.final, final), d.ofTwoBlocks) << d.name;
        EXPECT_EQ(static_cast<size_t>(final[0].u.bytes.length), d.contextLength);
    }
}

TEST_F(CryptoBuiltins, Sha384AndSha512ContextsGiveTheirOwnDigestToEitherFinal)
{
    Args none{};
    ASSERT_EQ(call(bi::SHA512Init, none), 0);
    Args update{result, str("abc")};
    result = value::empty();
    update.variable(0);
    ASSERT_EQ(call(bi::SHA384Update, update), 0);
    Args final{update[0]};
    update[0] = value::empty();
    final.variable(0);
    EXPECT_EQ(cipher(bi::SHA384Final, final), kDigests[4].ofAbc);
    EXPECT_EQ(result.u.bytes.length, 64);

    ASSERT_EQ(call(bi::SHA384Init, none), 0);
    Args other{result, str("abc")};
    result = value::empty();
    other.variable(0);
    ASSERT_EQ(call(bi::SHA512Update, other), 0);
    Args otherFinal{other[0]};
    other[0] = value::empty();
    otherFinal.variable(0);
    EXPECT_EQ(cipher(bi::SHA512Final, otherFinal), kDigests[3].ofAbc);
}

TEST_F(CryptoBuiltins, ContextsAreRecognisedByLengthAndSaneContent)
{
    // A byte array of the right length whose fill count or digest length the
    // library never produces would make it write outside its buffers.
    SHA512_CTX crafted{};
    SHA512_Init(&crafted);
    crafted.num = 100000;
    std::vector<uint8_t> badFill(reinterpret_cast<uint8_t *>(&crafted), reinterpret_cast<uint8_t *>(&crafted) + 216);
    SHA512_Init(&crafted);
    crafted.md_len = 4096;
    std::vector<uint8_t> badLength(reinterpret_cast<uint8_t *>(&crafted),
                                   reinterpret_cast<uint8_t *>(&crafted) + 216);
    for (const auto &context : {badFill, badLength, std::vector<uint8_t>(216), std::vector<uint8_t>(10)}) {
        Args update{bytes(context), str("x")};
        update.variable(0);
        messages().clear();
        EXPECT_EQ(call(bi::SHA512Update, update), PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(messages(),
                  "Bad first argument for function \"Sha512Update\". It must be created using a call to Sha512Init.\n");
        EXPECT_EQ(bytesOf(update[0]), context);
        Args final{bytes(context)};
        final.variable(0);
        messages().clear();
        EXPECT_EQ(call(bi::SHA384Final, final), PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(messages(),
                  "Bad first argument for function \"Sha384Final\". It must be created using a call to Sha384Init.\n");
    }
    Args md5Context{bytes(std::vector<uint8_t>(96)), str("x")};
    md5Context.variable(0);
    messages().clear();
    EXPECT_EQ(call(bi::MD5Update, md5Context), PELORN_BAD_ARGUMENTS);
    EXPECT_EQ(messages(), "Bad first argument for function \"MD5Update\". It must be created using a call to MD5Init.\n");
}

TEST_F(CryptoBuiltins, DigestArgumentErrors)
{
    struct Case {
        FunctionEntry function;
        ProcedureEntry procedure;
        std::vector<ScriptValue> values;
        bool firstIsVariable;
        const char *message;
    };
    std::vector<uint8_t> md5Context(92);
    const Case cases[] = {
        {bi::MD5, nullptr, {integer(5)}, false,
         "Bad argument(s) for function \"MD5\".Prototypes: bytearray MD5(bytearray) | bytearray MD5(string)."},
        {bi::MD5Init, nullptr, {integer(1)}, false,
         "Bad argument(s) for function \"MD5Init\".Prototypes: bytearray MD5Init()."},
        {nullptr, bi::MD5Update, {bytes(md5Context), str("x")}, false,
         "Bad argument(s) for function \"MD5Update\".Prototypes: void MD5Update(bytearray ctx, bytearray data) | void "
         "MD5Update(bytearray ctx, string s)."},
        {nullptr, bi::MD5Update, {bytes(md5Context), integer(5)}, true,
         "Bad argument(s) for function \"MD5Update\".Prototypes: void MD5Update(bytearray ctx, bytearray data) | void "
         "MD5Update(bytearray ctx, string s)."},
        {bi::MD5Final, nullptr, {bytes(md5Context)}, false,
         "Bad argument(s) for function \"MD5Final\".Prototypes: bytearray MD5Init(bytearray ctx)."},
        {bi::SHA1, nullptr, {}, false,
         "Bad argument(s) for function \"SHA1\".Prototypes: bytearray SHA1(bytearray) | bytearray SHA1(string)."},
        {bi::SHA1Init, nullptr, {str("x")}, false,
         "Bad argument(s) for function \"Sha1Init\".Prototypes: bytearray Sha1Init()."},
        {bi::SHA256Final, nullptr, {str("x")}, true,
         "Bad argument(s) for function \"Sha256Final\".Prototypes: bytearray Sha256Init(bytearray ctx)."},
        {nullptr, bi::SHA384Update, {str("x"), str("x")}, true,
         "Bad argument(s) for function \"Sha384Update\".Prototypes: void Sha384Update(bytearray ctx, bytearray data) "
         "| void Sha384Update(bytearray ctx, string s)."},
        {bi::SHA512, nullptr, {boolean(true)}, false,
         "Bad argument(s) for function \"SHA512\".Prototypes: bytearray SHA512(bytearray) | bytearray SHA512(string)."},
    };
    for (const Case &c : cases) {
        Args args(c.values);
        if (c.firstIsVariable)
            args.variable(0);
        messages().clear();
        int32_t code = c.function != nullptr ? call(c.function, args) : call(c.procedure, args);
        EXPECT_EQ(code, PELORN_BAD_ARGUMENTS);
        EXPECT_EQ(messages(), std::string(c.message) + "\n");
    }
}
