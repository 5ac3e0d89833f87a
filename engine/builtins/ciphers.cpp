// Block-cipher built-ins: DES, Triple DES and AES in ECB and CBC modes,
// without padding, on OpenSSL's libcrypto.
#include "builtins/arguments.h"
#include "builtins/catalogue.h"
#include "builtins/messages.h"
#include "value/value.h"

#include <openssl/des.h>
#include <openssl/evp.h>

#include <memory>

namespace pelorn::builtins {

namespace {

constexpr size_t kDesBlock = 8;
constexpr size_t kAesBlock = 16;

// The arguments every cipher shares once they passed their checks.
struct CipherCall {
    const ScriptValue *data;
    const ScriptValue *key;
    ScriptValue *iv; // null in ECB mode
    bool encrypt;
};

// (data, key [, iv] [, encrypt]): byte arrays, then an optional boolean;
// without it the built-in encrypts.
bool readArguments(uint32_t count, ArgumentSlot *args, bool withIv, CipherCall &call)
{
    uint32_t required = withIv ? 3 : 2;
    if (count != required && count != required + 1)
        return false;
    for (uint32_t i = 0; i < required; ++i) {
        if (!isBytes(args[i]))
            return false;
    }
    if (count > required && !isBoolean(args[required]))
        return false;
    call.data = &args[0].value;
    call.key = &args[1].value;
    call.iv = withIv ? &args[2].value : nullptr;
    call.encrypt = count == required || args[required].value.u.boolean != 0;
    return true;
}

// Data, then key, then IV lengths: the first wrong one is thrown.
void checkLengths(const CipherCall &call, size_t block, const char *dataText, bool (*keyFits)(size_t),
                  const char *keyText, const char *ivText)
{
    if (byteCount(*call.data) % block != 0)
        fail(dataText);
    if (!keyFits(byteCount(*call.key)))
        fail(keyText);
    if (call.iv != nullptr && byteCount(*call.iv) != block)
        fail(ivText);
}

bool desKeyFits(size_t n) { return n == 8; }
bool tdesKeyFits(size_t n) { return n == 16 || n == 24; }
bool aesKeyFits(size_t n) { return n == 16 || n == 24 || n == 32; }

// A zeroed result of the data's length (and a spare byte).
uint8_t *resultBlock(const CipherCall &call)
{
    auto *block = static_cast<uint8_t *>(zalloc(static_cast<int32_t>(byteCount(*call.data))));
    if (block == nullptr)
        fail(messages::kCipherNoMemory);
    return block;
}

// libcrypto's DES block type drops the const of its input.
const_DES_cblock *inputBlock(const uint8_t *p) { return reinterpret_cast<const_DES_cblock *>(const_cast<uint8_t *>(p)); }

void desSchedule(const uint8_t *key, DES_key_schedule &schedule)
{
    DES_cblock block;
    std::memcpy(block, key, sizeof block);
    DES_set_key_unchecked(&block, &schedule);
}

// K1, K2 from the first 16 key bytes; K3 from bytes 16..23, or K1 again for
// a two-key (16-byte) key.
struct TripleSchedule {
    DES_key_schedule k1, k2, k3;

    explicit TripleSchedule(const ScriptValue &key)
    {
        const uint8_t *bytes = key.u.bytes.data;
        desSchedule(bytes, k1);
        desSchedule(bytes + 8, k2);
        desSchedule(byteCount(key) == 24 ? bytes + 16 : bytes, k3);
    }
};

const EVP_CIPHER *aesCipher(size_t keyLength, bool cbc)
{
    switch (keyLength) {
    case 16:
        return cbc ? EVP_aes_128_cbc() : EVP_aes_128_ecb();
    case 24:
        return cbc ? EVP_aes_192_cbc() : EVP_aes_192_ecb();
    default:
        return cbc ? EVP_aes_256_cbc() : EVP_aes_256_ecb();
    }
}

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX *context) const { EVP_CIPHER_CTX_free(context); }
};

// One pass of AES over the whole data; the IV argument is not changed.
bool runAes(const CipherCall &call, bool cbc, uint8_t *out)
{
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> context(EVP_CIPHER_CTX_new());
    if (!context)
        return false;
    const EVP_CIPHER *cipher = aesCipher(byteCount(*call.key), cbc);
    const uint8_t *iv = cbc ? call.iv->u.bytes.data : nullptr;
    int initialised = call.encrypt ? EVP_EncryptInit_ex(context.get(), cipher, nullptr, call.key->u.bytes.data, iv)
                                   : EVP_DecryptInit_ex(context.get(), cipher, nullptr, call.key->u.bytes.data, iv);
    if (initialised != 1)
        return false;
    EVP_CIPHER_CTX_set_padding(context.get(), 0);
    int length = static_cast<int>(byteCount(*call.data));
    if (length == 0)
        return true;
    int written = 0;
    int updated = call.encrypt ? EVP_EncryptUpdate(context.get(), out, &written, call.data->u.bytes.data, length)
                               : EVP_DecryptUpdate(context.get(), out, &written, call.data->u.bytes.data, length);
    if (updated != 1)
        return false;
    // Without padding and with whole blocks the final step adds nothing.
    int tail = 0;
    if (call.encrypt)
        EVP_EncryptFinal_ex(context.get(), out + written, &tail);
    else
        EVP_DecryptFinal_ex(context.get(), out + written, &tail);
    return true;
}

int32_t aes(uint32_t count, ArgumentSlot *args, ScriptValue *result, bool cbc)
{
    CipherCall call{};
    if (!readArguments(count, args, cbc, call))
        return badArguments(cbc ? messages::kAesCBC : messages::kAes);
    checkLengths(call, kAesBlock, messages::kAesDataLength, aesKeyFits, messages::kAesKeyLength,
                 messages::kAesIvLength);
    uint8_t *out = resultBlock(call);
    if (!runAes(call, cbc, out)) {
        zfree(out);
        fail(messages::kAesInternal);
    }
    *result = value::adoptBytes(out, static_cast<int32_t>(byteCount(*call.data)));
    return PELORN_OK;
}

} // namespace

int32_t DES(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    CipherCall call{};
    if (!readArguments(count, args, false, call))
        return badArguments(messages::kDES);
    checkLengths(call, kDesBlock, messages::kDesDataLength, desKeyFits, messages::kDesKeyLength, nullptr);
    DES_key_schedule schedule;
    desSchedule(call.key->u.bytes.data, schedule);
    size_t length = byteCount(*call.data);
    uint8_t *out = resultBlock(call);
    const uint8_t *in = call.data->u.bytes.data;
    for (size_t at = 0; at < length; at += kDesBlock)
        DES_ecb_encrypt(inputBlock(in + at), reinterpret_cast<DES_cblock *>(out + at),
                        &schedule, call.encrypt ? DES_ENCRYPT : DES_DECRYPT);
    *result = value::adoptBytes(out, static_cast<int32_t>(length));
    return PELORN_OK;
}

// The IV argument is left as it was.
int32_t DesCBC(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    CipherCall call{};
    if (!readArguments(count, args, true, call))
        return badArguments(messages::kDesCBC);
    checkLengths(call, kDesBlock, messages::kDesDataLength, desKeyFits, messages::kDesKeyLength,
                 messages::kDesIvLength);
    DES_key_schedule schedule;
    desSchedule(call.key->u.bytes.data, schedule);
    DES_cblock iv;
    std::memcpy(iv, call.iv->u.bytes.data, sizeof iv);
    size_t length = byteCount(*call.data);
    uint8_t *out = resultBlock(call);
    if (length > 0)
        DES_cbc_encrypt(call.data->u.bytes.data, out, static_cast<long>(length), &schedule, &iv,
                        call.encrypt ? DES_ENCRYPT : DES_DECRYPT);
    *result = value::adoptBytes(out, static_cast<int32_t>(length));
    return PELORN_OK;
}

int32_t TDes(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    CipherCall call{};
    if (!readArguments(count, args, false, call))
        return badArguments(messages::kTDes);
    checkLengths(call, kDesBlock, messages::kDesDataLength, tdesKeyFits, messages::kTDesKeyLength, nullptr);
    TripleSchedule keys(*call.key);
    size_t length = byteCount(*call.data);
    uint8_t *out = resultBlock(call);
    const uint8_t *in = call.data->u.bytes.data;
    for (size_t at = 0; at < length; at += kDesBlock)
        DES_ecb3_encrypt(inputBlock(in + at), reinterpret_cast<DES_cblock *>(out + at),
                         &keys.k1, &keys.k2, &keys.k3, call.encrypt ? DES_ENCRYPT : DES_DECRYPT);
    *result = value::adoptBytes(out, static_cast<int32_t>(length));
    return PELORN_OK;
}

// The chaining value (the last ciphertext block) is written back into the
// IV argument, so that an IV variable continues the same CBC stream.
int32_t TDesCBC(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    CipherCall call{};
    if (!readArguments(count, args, true, call))
        return badArguments(messages::kTDesCBC);
    checkLengths(call, kDesBlock, messages::kDesDataLength, tdesKeyFits, messages::kTDesKeyLength,
                 messages::kDesIvLength);
    TripleSchedule keys(*call.key);
    DES_cblock iv;
    std::memcpy(iv, call.iv->u.bytes.data, sizeof iv);
    size_t length = byteCount(*call.data);
    uint8_t *out = resultBlock(call);
    if (length > 0)
        DES_ede3_cbc_encrypt(call.data->u.bytes.data, out, static_cast<long>(length), &keys.k1, &keys.k2, &keys.k3,
                             &iv, call.encrypt ? DES_ENCRYPT : DES_DECRYPT);
    std::memcpy(call.iv->u.bytes.data, iv, sizeof iv);
    *result = value::adoptBytes(out, static_cast<int32_t>(length));
    return PELORN_OK;
}

int32_t Aes(uint32_t count, ArgumentSlot *args, ScriptValue *result) { return aes(count, args, result, false); }

int32_t AesCBC(uint32_t count, ArgumentSlot *args, ScriptValue *result) { return aes(count, args, result, true); }

} // namespace pelorn::builtins
