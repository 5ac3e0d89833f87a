// Card-side ciphers and MACs on libcrypto's EVP interface.
#include "gp_crypto.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <memory>
#include <stdexcept>

namespace vcard::gp {

namespace {

constexpr size_t kDesBlock = 8;
constexpr size_t kAesBlock = 16;

const EVP_CIPHER *aesCipher(size_t keyLength, bool cbc)
{
    switch (keyLength) {
    case 16:
        return cbc ? EVP_aes_128_cbc() : EVP_aes_128_ecb();
    case 24:
        return cbc ? EVP_aes_192_cbc() : EVP_aes_192_ecb();
    case 32:
        return cbc ? EVP_aes_256_cbc() : EVP_aes_256_ecb();
    default:
        throw std::invalid_argument("AES keys have 16, 24 or 32 bytes");
    }
}

Bytes run(const EVP_CIPHER *cipher, const Bytes &key, const Bytes &iv, const Bytes &data, bool encrypt)
{
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    Bytes out(data.size() + kAesBlock);
    int n = 0, tail = 0;
    if (!ctx || EVP_CipherInit_ex(ctx.get(), cipher, nullptr, key.data(), iv.empty() ? nullptr : iv.data(),
                                  encrypt ? 1 : 0) != 1 ||
        EVP_CIPHER_CTX_set_padding(ctx.get(), 0) != 1 ||
        EVP_CipherUpdate(ctx.get(), out.data(), &n, data.data(), static_cast<int>(data.size())) != 1 ||
        EVP_CipherFinal_ex(ctx.get(), out.data() + n, &tail) != 1)
        throw std::runtime_error("cipher failed");
    out.resize(static_cast<size_t>(n + tail));
    return out;
}

// A 16-byte key as the 24 bytes K1 K2 K1 that three-key Triple DES takes.
Bytes tripleKey(const Bytes &key)
{
    if (key.size() == 24)
        return key;
    if (key.size() != 16)
        throw std::invalid_argument("Triple DES keys have 16 or 24 bytes");
    Bytes k = key;
    k.insert(k.end(), key.begin(), key.begin() + 8);
    return k;
}

} // namespace

Bytes pad80(const Bytes &data, size_t block)
{
    Bytes out = data;
    out.push_back(0x80);
    while (out.size() % block != 0)
        out.push_back(0x00);
    return out;
}

bool unpad80(Bytes &data)
{
    size_t n = data.size();
    while (n > 0 && data[n - 1] == 0x00)
        --n;
    if (n == 0 || data[n - 1] != 0x80)
        return false;
    data.resize(n - 1);
    return true;
}

Bytes tdesCbc(const Bytes &key, const Bytes &iv, const Bytes &data, bool encrypt)
{
    return run(EVP_des_ede3_cbc(), tripleKey(key), iv, data, encrypt);
}

Bytes desEcb(const Bytes &key8, const Bytes &block, bool encrypt)
{
    Bytes k(key8.begin(), key8.begin() + 8);
    k.insert(k.end(), key8.begin(), key8.begin() + 8);
    k.insert(k.end(), key8.begin(), key8.begin() + 8);
    return run(EVP_des_ede3_ecb(), k, {}, block, encrypt);
}

Bytes aesCbc(const Bytes &key, const Bytes &iv, const Bytes &data, bool encrypt)
{
    return run(aesCipher(key.size(), true), key, iv, data, encrypt);
}

Bytes retailMac(const Bytes &key16, const Bytes &icv, const Bytes &padded)
{
    Bytes k1(key16.begin(), key16.begin() + 8);
    Bytes k2(key16.begin() + 8, key16.begin() + 16);
    Bytes h = icv;
    for (size_t at = 0; at < padded.size(); at += kDesBlock) {
        for (size_t i = 0; i < kDesBlock; ++i)
            h[i] ^= padded[at + i];
        h = desEcb(k1, h, true);
    }
    return desEcb(k1, desEcb(k2, h, false), true);
}

Bytes tdesMac(const Bytes &key16, const Bytes &data)
{
    Bytes c = tdesCbc(key16, Bytes(kDesBlock, 0), pad80(data, kDesBlock), true);
    return Bytes(c.end() - kDesBlock, c.end());
}

Bytes aesCmac(const Bytes &key, const Bytes &data)
{
    std::unique_ptr<EVP_MAC, decltype(&EVP_MAC_free)> mac(EVP_MAC_fetch(nullptr, "CMAC", nullptr), EVP_MAC_free);
    std::unique_ptr<EVP_MAC_CTX, decltype(&EVP_MAC_CTX_free)> ctx(mac ? EVP_MAC_CTX_new(mac.get()) : nullptr,
                                                                  EVP_MAC_CTX_free);
    const char *name = EVP_CIPHER_get0_name(aesCipher(key.size(), true));
    OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_CIPHER, const_cast<char *>(name), 0),
        OSSL_PARAM_construct_end(),
    };
    Bytes out(kAesBlock);
    size_t n = 0;
    if (!ctx || EVP_MAC_init(ctx.get(), key.data(), key.size(), params) != 1 ||
        EVP_MAC_update(ctx.get(), data.data(), data.size()) != 1 ||
        EVP_MAC_final(ctx.get(), out.data(), &n, out.size()) != 1)
        throw std::runtime_error("CMAC failed");
    return out;
}

Bytes scp03Derive(const Bytes &key, uint8_t constant, const Bytes &context, size_t bits)
{
    Bytes out;
    for (uint8_t counter = 1; out.size() * 8 < bits; ++counter) {
        Bytes input(11, 0x00);
        input.push_back(constant);
        input.push_back(0x00);
        input.push_back(static_cast<uint8_t>(bits >> 8));
        input.push_back(static_cast<uint8_t>(bits));
        input.push_back(counter);
        input.insert(input.end(), context.begin(), context.end());
        Bytes block = aesCmac(key, input);
        out.insert(out.end(), block.begin(), block.end());
    }
    out.resize(bits / 8);
    return out;
}

Bytes randomBytes(size_t n)
{
    Bytes out(n);
    if (RAND_bytes(out.data(), static_cast<int>(n)) != 1)
        throw std::runtime_error("no random bytes");
    return out;
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes &part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

} // namespace vcard::gp
