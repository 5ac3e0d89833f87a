// Digest built-ins: MD5, SHA-1, SHA-256, SHA-384 and SHA-512, in one call or
// incrementally through a context byte array that holds libcrypto's own
// context record (recognised by its length).
#include "builtins/arguments.h"
#include "builtins/catalogue.h"
#include "builtins/messages.h"
#include "value/value.h"

#include <openssl/md5.h>
#include <openssl/sha.h>

namespace pelorn::builtins {

namespace {

// The context lengths scripts see; SHA-384 and SHA-512 share one record.
static_assert(sizeof(MD5_CTX) == 92);
static_assert(sizeof(SHA_CTX) == 96);
static_assert(sizeof(SHA256_CTX) == 112);
static_assert(sizeof(SHA512_CTX) == 216);

template <typename Context>
struct Algorithm {
    const messages::DigestTexts &texts;
    size_t digestLength;
    int (*init)(Context *);
    int (*update)(Context *, const void *, size_t);
    int (*finish)(unsigned char *, Context *);
};

const Algorithm<MD5_CTX> kMd5{messages::kMD5, MD5_DIGEST_LENGTH, MD5_Init, MD5_Update, MD5_Final};
const Algorithm<SHA_CTX> kSha1{messages::kSHA1, SHA_DIGEST_LENGTH, SHA1_Init, SHA1_Update, SHA1_Final};
const Algorithm<SHA256_CTX> kSha256{messages::kSHA256, SHA256_DIGEST_LENGTH, SHA256_Init, SHA256_Update,
                                    SHA256_Final};
const Algorithm<SHA512_CTX> kSha384{messages::kSHA384, SHA384_DIGEST_LENGTH, SHA384_Init, SHA384_Update,
                                    SHA384_Final};
const Algorithm<SHA512_CTX> kSha512{messages::kSHA512, SHA512_DIGEST_LENGTH, SHA512_Init, SHA512_Update,
                                    SHA512_Final};

// A context comes from script memory: its fill count (and, for the SHA-2
// records, its digest length) must be values the library itself produces,
// or the update and final steps would write outside the record or the result.
bool usable(const MD5_CTX &c) { return c.num < MD5_CBLOCK; }
bool usable(const SHA_CTX &c) { return c.num < SHA_CBLOCK; }
bool usable(const SHA256_CTX &c) { return c.num < SHA256_CBLOCK && c.md_len == SHA256_DIGEST_LENGTH; }
bool usable(const SHA512_CTX &c)
{
    return c.num < SHA512_CBLOCK && (c.md_len == SHA384_DIGEST_LENGTH || c.md_len == SHA512_DIGEST_LENGTH);
}

// The digest a context finishes into: a SHA-512 context given to the
// SHA-384 built-ins (or the reverse) still gives its own digest.
size_t producedLength(const MD5_CTX &) { return MD5_DIGEST_LENGTH; }
size_t producedLength(const SHA_CTX &) { return SHA_DIGEST_LENGTH; }
size_t producedLength(const SHA256_CTX &c) { return c.md_len; }
size_t producedLength(const SHA512_CTX &c) { return c.md_len; }

bool isDigestInput(const ArgumentSlot &slot) { return isBytes(slot) || isString(slot); }

// A byte array in one piece; a string segment by segment. One-call digests
// go through the same steps: libcrypto's one-call functions would look the
// algorithm up by name on every call.
template <typename Context>
void feed(const Algorithm<Context> &algorithm, Context &context, const ScriptValue &data)
{
    if (data.type == PELORN_BYTEARRAY) {
        if (byteCount(data) > 0)
            algorithm.update(&context, data.u.bytes.data, byteCount(data));
        return;
    }
    forEachSegment(data, [&](const char *text, size_t length) { algorithm.update(&context, text, length); });
}

template <typename Context>
int32_t digest(const Algorithm<Context> &algorithm, uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    if (count != 1 || !isDigestInput(args[0]))
        return badArguments(algorithm.texts.oneCall);
    Context context{};
    algorithm.init(&context);
    feed(algorithm, context, args[0].value);
    auto *out = static_cast<uint8_t *>(zalloc(static_cast<int32_t>(algorithm.digestLength)));
    algorithm.finish(out, &context);
    *result = value::adoptBytes(out, static_cast<int32_t>(algorithm.digestLength));
    return PELORN_OK;
}

template <typename Context>
int32_t initContext(const Algorithm<Context> &algorithm, uint32_t count, ScriptValue *result)
{
    if (count != 0)
        return badArguments(algorithm.texts.init);
    Context context{};
    algorithm.init(&context);
    *result = value::makeBytes(reinterpret_cast<const uint8_t *>(&context), sizeof context);
    return PELORN_OK;
}

// Copies the context out of a byte array of exactly its length.
template <typename Context>
bool loadContext(const ScriptValue &bytes, Context &context)
{
    if (byteCount(bytes) != sizeof context)
        return false;
    std::memcpy(&context, bytes.u.bytes.data, sizeof context);
    return usable(context);
}

// The updated context goes back into the argument's bytes; the call copies
// it into the variable written there.
template <typename Context>
int32_t updateContext(const Algorithm<Context> &algorithm, uint32_t count, ArgumentSlot *args)
{
    if (count != 2 || !isBytes(args[0]) || !isVariableReference(args[0]) || !isDigestInput(args[1]))
        return badArguments(algorithm.texts.update);
    Context context;
    if (!loadContext(args[0].value, context))
        return badArguments(algorithm.texts.updateContext);
    feed(algorithm, context, args[1].value);
    std::memcpy(args[0].value.u.bytes.data, &context, sizeof context);
    return PELORN_OK;
}

// The finished context is written back but not reset: a new digest needs a
// new context.
template <typename Context>
int32_t finishContext(const Algorithm<Context> &algorithm, uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    if (count != 1 || !isBytes(args[0]) || !isVariableReference(args[0]))
        return badArguments(algorithm.texts.final);
    Context context;
    if (!loadContext(args[0].value, context))
        return badArguments(algorithm.texts.finalContext);
    size_t length = producedLength(context);
    auto *out = static_cast<uint8_t *>(zalloc(static_cast<int32_t>(length)));
    algorithm.finish(out, &context);
    std::memcpy(args[0].value.u.bytes.data, &context, sizeof context);
    *result = value::adoptBytes(out, static_cast<int32_t>(length));
    return PELORN_OK;
}

} // namespace

int32_t MD5(uint32_t count, ArgumentSlot *args, ScriptValue *result) { return digest(kMd5, count, args, result); }
int32_t MD5Init(uint32_t count, ArgumentSlot *, ScriptValue *result) { return initContext(kMd5, count, result); }
int32_t MD5Update(uint32_t count, ArgumentSlot *args) { return updateContext(kMd5, count, args); }
int32_t MD5Final(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return finishContext(kMd5, count, args, result);
}

int32_t SHA1(uint32_t count, ArgumentSlot *args, ScriptValue *result) { return digest(kSha1, count, args, result); }
int32_t SHA1Init(uint32_t count, ArgumentSlot *, ScriptValue *result) { return initContext(kSha1, count, result); }
int32_t SHA1Update(uint32_t count, ArgumentSlot *args) { return updateContext(kSha1, count, args); }
int32_t SHA1Final(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return finishContext(kSha1, count, args, result);
}

int32_t SHA256(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return digest(kSha256, count, args, result);
}
int32_t SHA256Init(uint32_t count, ArgumentSlot *, ScriptValue *result)
{
    return initContext(kSha256, count, result);
}
int32_t SHA256Update(uint32_t count, ArgumentSlot *args) { return updateContext(kSha256, count, args); }
int32_t SHA256Final(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return finishContext(kSha256, count, args, result);
}

int32_t SHA384(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return digest(kSha384, count, args, result);
}
int32_t SHA384Init(uint32_t count, ArgumentSlot *, ScriptValue *result)
{
    return initContext(kSha384, count, result);
}
int32_t SHA384Update(uint32_t count, ArgumentSlot *args) { return updateContext(kSha384, count, args); }
int32_t SHA384Final(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return finishContext(kSha384, count, args, result);
}

int32_t SHA512(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return digest(kSha512, count, args, result);
}
int32_t SHA512Init(uint32_t count, ArgumentSlot *, ScriptValue *result)
{
    return initContext(kSha512, count, result);
}
int32_t SHA512Update(uint32_t count, ArgumentSlot *args) { return updateContext(kSha512, count, args); }
int32_t SHA512Final(uint32_t count, ArgumentSlot *args, ScriptValue *result)
{
    return finishContext(kSha512, count, args, result);
}

} // namespace pelorn::builtins
