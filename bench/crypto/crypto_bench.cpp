// How much the cipher and digest built-ins cost over libcrypto itself:
// SHA-256 and AES-128-CBC over 16 MiB in 64 KiB pieces, through the
// built-in entry points and through the same libcrypto calls in a loop.
#include "builtins/catalogue.h"
#include "interp/nodes.h"
#include "value/value.h"

#include <openssl/evp.h>
#include <openssl/sha.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

using namespace pelorn;
namespace bi = pelorn::builtins;

namespace {

constexpr size_t kTotal = size_t{16} << 20; // bytes digested or encrypted per run
constexpr size_t kPiece = size_t{64} << 10; // bytes handed over per call
constexpr int kRuns = 7;                    // the best run counts

std::vector<uint8_t> data(kTotal);
const uint8_t key[16] = {0x2B, 0x7E, 0x15, 0x16, 0x28, 0xAE, 0xD2, 0xA6,
                         0xAB, 0xF7, 0x15, 0x88, 0x09, 0xCF, 0x4F, 0x3C};
const uint8_t iv[16] = {};
uint8_t sink; // keeps results alive

double bestSeconds(const std::function<void()> &run)
{
    double best = 1e9;
    for (int i = 0; i < kRuns; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    return best;
}

void shaLibcrypto()
{
    SHA256_CTX context;
    SHA256_Init(&context);
    for (size_t at = 0; at < kTotal; at += kPiece)
        SHA256_Update(&context, data.data() + at, kPiece);
    uint8_t digest[32];
    SHA256_Final(digest, &context);
    sink ^= digest[0];
}

// SHA256Init, SHA256Update(ctx, piece) per piece, SHA256Final(ctx), the
// context written as a variable as a script would. With `evaluate`, each
// piece is copied into its argument slot as a call evaluates its arguments;
// without, the built-in's own cost shows alone.
void shaBuiltins(bool evaluate)
{
    static SymbolEntry variable{};
    ArgumentSlot slots[2]{};
    interp::VariableExpr contextExpression("ctx", &variable, false);
    slots[0].expression = &contextExpression;
    bi::SHA256Init(0, nullptr, &slots[0].value);
    for (size_t at = 0; at < kTotal; at += kPiece) {
        if (evaluate) {
            slots[1].value = value::makeBytes(data.data() + at, static_cast<int32_t>(kPiece));
        } else {
            slots[1].value = value::adoptBytes(data.data() + at, static_cast<int32_t>(kPiece));
        }
        bi::SHA256Update(2, slots);
        if (evaluate)
            value::release(slots[1].value);
    }
    ScriptValue digest = value::empty();
    bi::SHA256Final(1, slots, &digest);
    sink ^= digest.u.bytes.data[0];
    value::release(digest);
    value::release(slots[0].value);
}

// The calls AesCBC makes for each piece, the chaining value carried over.
void aesLibcrypto()
{
    uint8_t chain[16];
    std::memcpy(chain, iv, sizeof chain);
    std::vector<uint8_t> out(kPiece);
    for (size_t at = 0; at < kTotal; at += kPiece) {
        EVP_CIPHER_CTX *context = EVP_CIPHER_CTX_new();
        EVP_EncryptInit_ex(context, EVP_aes_128_cbc(), nullptr, key, chain);
        EVP_CIPHER_CTX_set_padding(context, 0);
        int written = 0, tail = 0;
        EVP_EncryptUpdate(context, out.data(), &written, data.data() + at, static_cast<int>(kPiece));
        EVP_EncryptFinal_ex(context, out.data() + written, &tail);
        EVP_CIPHER_CTX_free(context);
        std::memcpy(chain, out.data() + kPiece - 16, sizeof chain);
    }
    sink ^= chain[0];
}

// One context over the whole stream: what libcrypto does at best.
void aesLibcryptoStream()
{
    std::vector<uint8_t> out(kPiece);
    EVP_CIPHER_CTX *context = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(context, EVP_aes_128_cbc(), nullptr, key, iv);
    EVP_CIPHER_CTX_set_padding(context, 0);
    for (size_t at = 0; at < kTotal; at += kPiece) {
        int written = 0;
        EVP_EncryptUpdate(context, out.data(), &written, data.data() + at, static_cast<int>(kPiece));
    }
    EVP_CIPHER_CTX_free(context);
    sink ^= out[0];
}

// c = AesCBC(piece, key, iv) per piece, the IV taken from the last block.
void aesBuiltins(bool evaluate)
{
    ArgumentSlot slots[3]{};
    slots[1].value = value::makeBytes(key, sizeof key);
    slots[2].value = value::makeBytes(iv, sizeof iv);
    for (size_t at = 0; at < kTotal; at += kPiece) {
        if (evaluate)
            slots[0].value = value::makeBytes(data.data() + at, static_cast<int32_t>(kPiece));
        else
            slots[0].value = value::adoptBytes(data.data() + at, static_cast<int32_t>(kPiece));
        ScriptValue out = value::empty();
        bi::AesCBC(3, slots, &out);
        std::memcpy(slots[2].value.u.bytes.data, out.u.bytes.data + kPiece - 16, 16);
        value::release(out);
        if (evaluate)
            value::release(slots[0].value);
    }
    sink ^= slots[2].value.u.bytes.data[0];
    value::release(slots[1].value);
    value::release(slots[2].value);
}

void report(const char *name, double builtins, double libcrypto)
{
    double megabytes = static_cast<double>(kTotal) / 1e6;
    std::printf("%-28s built-ins %8.1f MB/s   libcrypto %8.1f MB/s   ratio %.3f\n", name, megabytes / builtins,
                megabytes / libcrypto, builtins / libcrypto);
}

} // namespace

int main()
{
    for (size_t i = 0; i < kTotal; ++i)
        data[i] = static_cast<uint8_t>(i * 131 + 7);
    double sha = bestSeconds(shaLibcrypto);
    report("SHA-256 call alone", bestSeconds([] { shaBuiltins(false); }), sha);
    report("SHA-256 with argument copy", bestSeconds([] { shaBuiltins(true); }), sha);
    double aes = bestSeconds(aesLibcrypto);
    report("AES-128-CBC call alone", bestSeconds([] { aesBuiltins(false); }), aes);
    report("AES-128-CBC with arg. copy", bestSeconds([] { aesBuiltins(true); }), aes);
    std::printf("AES-128-CBC libcrypto, one context for the whole stream: %.1f MB/s\n",
                static_cast<double>(kTotal) / 1e6 / bestSeconds(aesLibcryptoStream));
    return sink == 0xFFu ? 1 : 0;
}
