/*
 * crypto_module.c - use "crypto": the cryptography of card protocols for
 * scripts, on the card cryptography library.
 *
 *   XorBytes(a, b)                 Pad80(data, blockSize)   Unpad80(data [, blockSize])
 *   Pad00(data, blockSize)         RetailMAC(data, key [, iv])
 *   TDesMAC(data, key [, iv])      AesCMAC(data, key)       TDesCMAC(data, key)
 *   Scp03KDF(key, constant, context, bits)                  RandomBytes(count)
 *
 * Arguments of the wrong type are reported through the engine's message
 * routine and answered with the bad-arguments code, as the built-ins do;
 * wrong lengths and values are thrown as text naming the function, so a
 * script can catch them. Build with -fexceptions: a throw unwinds through
 * these C frames.
 */
#include <pelorn.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <openssl/crypto.h>

#include "card_crypto.h"

/* ---- texts ------------------------------------------------------------- */

#define MSG_XOR_ARGUMENTS \
    "Bad argument(s) for function \"XorBytes\".Prototypes: bytearray XorBytes(bytearray a, bytearray b)."
#define MSG_PAD80_ARGUMENTS \
    "Bad argument(s) for function \"Pad80\".Prototypes: bytearray Pad80(bytearray data, int blockSize)."
#define MSG_UNPAD80_ARGUMENTS                                                                              \
    "Bad argument(s) for function \"Unpad80\".Prototypes: bytearray Unpad80(bytearray data) | bytearray " \
    "Unpad80(bytearray data, int blockSize)."
#define MSG_PAD00_ARGUMENTS \
    "Bad argument(s) for function \"Pad00\".Prototypes: bytearray Pad00(bytearray data, int blockSize)."
#define MSG_MAC_ARGUMENTS                                                                                   \
    "Bad argument(s) for function \"%s\".Prototypes: bytearray %s(bytearray data, bytearray key) | bytearray " \
    "%s(bytearray data, bytearray key, bytearray iv)."
#define MSG_CMAC_ARGUMENTS \
    "Bad argument(s) for function \"%s\".Prototypes: bytearray %s(bytearray data, bytearray key)."
#define MSG_KDF_ARGUMENTS                                                                                  \
    "Bad argument(s) for function \"Scp03KDF\".Prototypes: bytearray Scp03KDF(bytearray key, int constant, " \
    "bytearray context, int bits)."
#define MSG_RANDOM_ARGUMENTS \
    "Bad argument(s) for function \"RandomBytes\".Prototypes: bytearray RandomBytes(int count)."

#define MSG_XOR_LENGTHS "XorBytes: the byte arrays differ in length (%d and %d bytes)"
#define MSG_BLOCK_SIZE "%s: the block size must be 1 to %d (not %lld)"
#define MSG_NO_PADDING "Unpad80: the data does not end in 80 padding"
#define MSG_NO_PADDING_IN_BLOCKS "Unpad80: the data does not end in 80 padding within whole blocks of %lld"
#define MSG_MAC_DATA "%s: the data length must be a positive multiple of 8 (not %d)"
#define MSG_TDES_KEY "%s: the key must be 16 or 24 bytes long (not %d)"
#define MSG_AES_KEY "%s: the key must be 16, 24 or 32 bytes long (not %d)"
#define MSG_IV "%s: the IV must be 8 bytes long (not %d)"
#define MSG_KDF_CONSTANT "Scp03KDF: the derivation constant must be 0 to 255 (not %lld)"
#define MSG_KDF_BITS "Scp03KDF: the length in bits must be a multiple of 8 from 8 to %d (not %lld)"
#define MSG_RANDOM_COUNT "RandomBytes: the count must be 0 to %d (not %lld)"
#define MSG_TOO_LONG "%s: the result would be too long"
#define MSG_NO_MEMORY "%s: out of memory"
#define MSG_FAILED "%s: the cryptographic library failed"

/* Byte arrays hold at most this many bytes (their length is 32-bit). */
#define MAX_BYTES 0x7FFFFFF0
/* Padding blocks: no cipher has blocks longer than this. */
#define MAX_BLOCK_SIZE 256
/* The SCP03 derivation's one-byte counter allows 255 AES blocks. */
#define MAX_KDF_BITS (255 * CARD_AES_BLOCK * 8)
/* One RandomBytes call: a generous bound for keys, challenges and test data. */
#define MAX_RANDOM_BYTES 65536
/* Room for a formatted message: a function name and two numbers. */
#define THROW_TEXT_SIZE 200
/* Room for a formatted bad-arguments message. */
#define MESSAGE_TEXT_SIZE 400

static PrintfLikeFn writeMessage;

/* ---- reporting --------------------------------------------------------- */

__attribute__((format(printf, 1, 2))) static int32_t bad_arguments(const char *format, ...)
{
    char text[MESSAGE_TEXT_SIZE];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (writeMessage != NULL)
        writeMessage("%s", text);
    return PELORN_BAD_ARGUMENTS;
}

/* Throws a formatted text. Callers own nothing when they call it: the throw
 * unwinds straight back into the engine. */
__attribute__((noreturn, format(printf, 1, 2))) static void throw_text(const char *format, ...)
{
    char text[THROW_TEXT_SIZE];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    ThrowStringException(text);
}

/* ---- arguments and results --------------------------------------------- */

static int is_bytes(const ArgumentSlot *slot) { return slot->value.type == PELORN_BYTEARRAY; }
static int is_integer(const ArgumentSlot *slot) { return slot->value.type == PELORN_INTEGER; }

static const uint8_t *bytes_of(const ArgumentSlot *slot) { return slot->value.u.bytes.data; }

/* A byte array's length; never negative, whatever a module stored. */
static int32_t length_of(const ArgumentSlot *slot)
{
    return slot->value.u.bytes.length > 0 ? slot->value.u.bytes.length : 0;
}

/* A zeroed block for a result of size bytes. */
static uint8_t *result_block(size_t size, const char *routine)
{
    if (size > MAX_BYTES)
        throw_text(MSG_TOO_LONG, routine);
    uint8_t *block = zalloc((int32_t)size);
    if (block == NULL)
        throw_text(MSG_NO_MEMORY, routine);
    return block;
}

/* Hands a block from result_block to the script as a byte array. */
static void set_bytes(ScriptValue *result, uint8_t *block, size_t size)
{
    memset(result, 0, sizeof *result);
    result->type = PELORN_BYTEARRAY;
    result->u.bytes.data = block;
    result->u.bytes.length = (int32_t)size;
    result->getProperty = GetField;
    result->setProperty = SetField;
}

/* Frees a result block after a library failure, then throws. Secrets are
 * wiped first. */
__attribute__((noreturn)) static void fail(uint8_t *block, size_t size, const char *routine)
{
    OPENSSL_cleanse(block, size);
    zfree(block);
    throw_text(MSG_FAILED, routine);
}

static size_t block_size_argument(const ArgumentSlot *slot, const char *routine)
{
    long long size = (long long)slot->value.u.integer;
    if (size < 1 || size > MAX_BLOCK_SIZE)
        throw_text(MSG_BLOCK_SIZE, routine, MAX_BLOCK_SIZE, size);
    return (size_t)size;
}

/* ---- routines ---------------------------------------------------------- */

/* function XorBytes(a, b): a XOR b, byte by byte. */
static int32_t xor_bytes(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    if (count != 2 || !is_bytes(&arguments[0]) || !is_bytes(&arguments[1]))
        return bad_arguments(MSG_XOR_ARGUMENTS);
    int32_t size = length_of(&arguments[0]);
    if (size != length_of(&arguments[1]))
        throw_text(MSG_XOR_LENGTHS, size, length_of(&arguments[1]));
    uint8_t *out = result_block((size_t)size, "XorBytes");
    card_xor(bytes_of(&arguments[0]), bytes_of(&arguments[1]), (size_t)size, out);
    set_bytes(result, out, (size_t)size);
    return PELORN_OK;
}

/* Pad80 and Pad00: the data padded to a multiple of the block size. */
static int32_t pad(uint32_t count, ArgumentSlot *arguments, ScriptValue *result, int method2)
{
    const char *routine = method2 ? "Pad80" : "Pad00";
    if (count != 2 || !is_bytes(&arguments[0]) || !is_integer(&arguments[1]))
        return bad_arguments("%s", method2 ? MSG_PAD80_ARGUMENTS : MSG_PAD00_ARGUMENTS);
    size_t block = block_size_argument(&arguments[1], routine);
    size_t length = (size_t)length_of(&arguments[0]);
    size_t padded = method2 ? card_pad80_length(length, block) : card_pad00_length(length, block);
    uint8_t *out = result_block(padded, routine);
    int status = method2 ? card_pad80(bytes_of(&arguments[0]), length, block, out)
                         : card_pad00(bytes_of(&arguments[0]), length, block, out);
    if (status != 0)
        fail(out, padded, routine);
    set_bytes(result, out, padded);
    return PELORN_OK;
}

/* function Pad80(data, blockSize): ISO/IEC 9797-1 padding method 2. */
static int32_t pad80(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    return pad(count, arguments, result, 1);
}

/* function Pad00(data, blockSize): ISO/IEC 9797-1 padding method 1. */
static int32_t pad00(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    return pad(count, arguments, result, 0);
}

/* function Unpad80(data [, blockSize]): the data without its method 2
 * padding; with a block size the data must be whole blocks and the padding
 * at most one block. */
static int32_t unpad80(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    if (count < 1 || count > 2 || !is_bytes(&arguments[0]) || (count == 2 && !is_integer(&arguments[1])))
        return bad_arguments(MSG_UNPAD80_ARGUMENTS);
    size_t block = count == 2 ? block_size_argument(&arguments[1], "Unpad80") : 0;
    size_t kept = 0;
    if (card_unpad80(bytes_of(&arguments[0]), (size_t)length_of(&arguments[0]), block, &kept) != 0) {
        if (block > 0)
            throw_text(MSG_NO_PADDING_IN_BLOCKS, (long long)block);
        throw_text(MSG_NO_PADDING);
    }
    uint8_t *out = result_block(kept, "Unpad80");
    if (kept > 0)
        memcpy(out, bytes_of(&arguments[0]), kept);
    set_bytes(result, out, kept);
    return PELORN_OK;
}

/* RetailMAC and TDesMAC share their arguments: (data, key [, iv]). */
static int32_t des_mac(uint32_t count, ArgumentSlot *arguments, ScriptValue *result, const char *routine,
                       int (*mac)(const uint8_t *, size_t, const uint8_t *, const uint8_t *, size_t, uint8_t *))
{
    if (count < 2 || count > 3 || !is_bytes(&arguments[0]) || !is_bytes(&arguments[1]) ||
        (count == 3 && !is_bytes(&arguments[2])))
        return bad_arguments(MSG_MAC_ARGUMENTS, routine, routine, routine);
    int32_t length = length_of(&arguments[0]);
    int32_t keyLength = length_of(&arguments[1]);
    if (length == 0 || length % CARD_DES_BLOCK != 0)
        throw_text(MSG_MAC_DATA, routine, length);
    if (!card_key_fits(CARD_CIPHER_TDES, (size_t)keyLength))
        throw_text(MSG_TDES_KEY, routine, keyLength);
    if (count == 3 && length_of(&arguments[2]) != CARD_DES_BLOCK)
        throw_text(MSG_IV, routine, length_of(&arguments[2]));
    const uint8_t *iv = count == 3 ? bytes_of(&arguments[2]) : NULL;
    uint8_t *out = result_block(CARD_DES_BLOCK, routine);
    if (mac(bytes_of(&arguments[1]), (size_t)keyLength, iv, bytes_of(&arguments[0]), (size_t)length, out) != 0)
        fail(out, CARD_DES_BLOCK, routine);
    set_bytes(result, out, CARD_DES_BLOCK);
    return PELORN_OK;
}

/* function RetailMAC(data, key [, iv]): ISO/IEC 9797-1 MAC algorithm 3. */
static int32_t retail_mac(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    return des_mac(count, arguments, result, "RetailMAC", card_retail_mac);
}

/* function TDesMAC(data, key [, iv]): the Triple DES CBC-MAC. */
static int32_t tdes_mac(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    return des_mac(count, arguments, result, "TDesMAC", card_tdes_cbc_mac);
}

/* AesCMAC and TDesCMAC: (data, key), data of any length. */
static int32_t cmac(uint32_t count, ArgumentSlot *arguments, ScriptValue *result, CardCipher cipher)
{
    const char *routine = cipher == CARD_CIPHER_AES ? "AesCMAC" : "TDesCMAC";
    if (count != 2 || !is_bytes(&arguments[0]) || !is_bytes(&arguments[1]))
        return bad_arguments(MSG_CMAC_ARGUMENTS, routine, routine);
    int32_t keyLength = length_of(&arguments[1]);
    if (!card_key_fits(cipher, (size_t)keyLength))
        throw_text(cipher == CARD_CIPHER_AES ? MSG_AES_KEY : MSG_TDES_KEY, routine, keyLength);
    size_t size = card_block_size(cipher);
    uint8_t *out = result_block(size, routine);
    if (card_cmac(cipher, bytes_of(&arguments[1]), (size_t)keyLength, bytes_of(&arguments[0]),
                  (size_t)length_of(&arguments[0]), out) != 0)
        fail(out, size, routine);
    set_bytes(result, out, size);
    return PELORN_OK;
}

/* function AesCMAC(data, key): 16 bytes. */
static int32_t aes_cmac(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    return cmac(count, arguments, result, CARD_CIPHER_AES);
}

/* function TDesCMAC(data, key): 8 bytes. */
static int32_t tdes_cmac(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    return cmac(count, arguments, result, CARD_CIPHER_TDES);
}

/* function Scp03KDF(key, constant, context, bits): the SCP03 derivation of
 * bits / 8 bytes. */
static int32_t scp03_kdf(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    if (count != 4 || !is_bytes(&arguments[0]) || !is_integer(&arguments[1]) || !is_bytes(&arguments[2]) ||
        !is_integer(&arguments[3]))
        return bad_arguments(MSG_KDF_ARGUMENTS);
    int32_t keyLength = length_of(&arguments[0]);
    long long constant = (long long)arguments[1].value.u.integer;
    long long bits = (long long)arguments[3].value.u.integer;
    if (!card_key_fits(CARD_CIPHER_AES, (size_t)keyLength))
        throw_text(MSG_AES_KEY, "Scp03KDF", keyLength);
    if (constant < 0 || constant > 0xFF)
        throw_text(MSG_KDF_CONSTANT, constant);
    if (bits < 8 || bits > MAX_KDF_BITS || bits % 8 != 0)
        throw_text(MSG_KDF_BITS, MAX_KDF_BITS, bits);
    size_t size = (size_t)bits / 8;
    uint8_t *out = result_block(size, "Scp03KDF");
    if (card_scp03_kdf(bytes_of(&arguments[0]), (size_t)keyLength, (uint8_t)constant, bytes_of(&arguments[2]),
                       (size_t)length_of(&arguments[2]), (unsigned)bits, out) != 0)
        fail(out, size, "Scp03KDF");
    set_bytes(result, out, size);
    return PELORN_OK;
}

/* function RandomBytes(count): count bytes from the secure generator. */
static int32_t random_bytes(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    if (count != 1 || !is_integer(&arguments[0]))
        return bad_arguments(MSG_RANDOM_ARGUMENTS);
    long long wanted = (long long)arguments[0].value.u.integer;
    if (wanted < 0 || wanted > MAX_RANDOM_BYTES)
        throw_text(MSG_RANDOM_COUNT, MAX_RANDOM_BYTES, wanted);
    uint8_t *out = result_block((size_t)wanted, "RandomBytes");
    if (card_random(out, (size_t)wanted) != 0)
        fail(out, (size_t)wanted, "RandomBytes");
    set_bytes(result, out, (size_t)wanted);
    return PELORN_OK;
}

/* ---- the module's two entry points -------------------------------------- */

static const struct {
    const char *name;
    FunctionEntry code;
} functions[] = {
    {"XorBytes", xor_bytes},   {"Pad80", pad80},         {"Unpad80", unpad80},     {"Pad00", pad00},
    {"RetailMAC", retail_mac}, {"TDesMAC", tdes_mac},    {"AesCMAC", aes_cmac},    {"TDesCMAC", tdes_cmac},
    {"Scp03KDF", scp03_kdf},   {"RandomBytes", random_bytes},
};

#define FUNCTION_COUNT (sizeof functions / sizeof functions[0])

static SymbolEntry symbols[FUNCTION_COUNT];

__attribute__((visibility("default"))) SymbolEntry *GetSymTable(void)
{
    memset(symbols, 0, sizeof symbols);
    for (size_t i = 0; i < FUNCTION_COUNT; i++) {
        symbols[i].kind = PELORN_SYM_ROUTINE;
        symbols[i].a.routineKind = PELORN_FUNCTION;
        symbols[i].b.name = (char *)functions[i].name;
        symbols[i].c.entry = (void *)functions[i].code;
        symbols[i].next = i + 1 < FUNCTION_COUNT ? &symbols[i + 1] : NULL;
    }
    return &symbols[0];
}

__attribute__((visibility("default"))) uint8_t Initialize(PrintfLikeFn standardOutput, PrintfLikeFn message)
{
    (void)standardOutput;
    writeMessage = message;
    return 1;
}
