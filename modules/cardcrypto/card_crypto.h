/*
 * card_crypto.h - the cryptography smart-card protocols are built from:
 * XOR, ISO/IEC 9797-1 padding, DES/Triple DES/AES in ECB and CBC, the
 * retail MAC, CBC-MAC, CMAC, the GlobalPlatform SCP03 key derivation and
 * secure random bytes. Plain C over byte buffers, on libcrypto only; no
 * engine types. Every function returns 0 on success and -1 on a wrong
 * length or a libcrypto failure, and writes nothing it was not asked to.
 */
#ifndef CARD_CRYPTO_H
#define CARD_CRYPTO_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CARD_DES_BLOCK 8  /* DES and Triple DES block size in bytes */
#define CARD_AES_BLOCK 16 /* AES block size in bytes */
#define CARD_MAX_BLOCK 16 /* the largest block of any cipher here */

typedef enum {
    CARD_CIPHER_DES,  /* single DES, 8-byte key */
    CARD_CIPHER_TDES, /* Triple DES EDE: 16-byte (K1 K2 K1) or 24-byte key */
    CARD_CIPHER_AES   /* AES-128, -192 or -256 by key length */
} CardCipher;

typedef enum { CARD_MODE_ECB, CARD_MODE_CBC } CardMode;

/* The block size of a cipher in bytes. */
size_t card_block_size(CardCipher cipher);

/* Whether a key of this many bytes suits the cipher. */
int card_key_fits(CardCipher cipher, size_t keyLength);

/* ---- bytes ----------------------------------------------------------- */

/* out = a XOR b over length bytes; out may be a or b. */
void card_xor(const uint8_t *a, const uint8_t *b, size_t length, uint8_t *out);

/* Length after ISO/IEC 9797-1 padding method 2 (one 80, then 00 up to a
 * multiple of block): always one to block bytes longer. */
size_t card_pad80_length(size_t length, size_t block);

/* Writes data and its method 2 padding to out, which holds
 * card_pad80_length bytes; out may be data. block is at least 1. */
int card_pad80(const uint8_t *data, size_t length, size_t block, uint8_t *out);

/* The length of the data before its method 2 padding: trailing 00 bytes,
 * then one 80. With block > 0 the padded length must also be a multiple of
 * block and the padding at most one block. -1 when there is no such
 * padding. */
int card_unpad80(const uint8_t *data, size_t length, size_t block, size_t *dataLength);

/* Length after ISO/IEC 9797-1 padding method 1 (as few 00 bytes as give a
 * positive multiple of block): data already a multiple stays as it is,
 * empty data becomes one block. */
size_t card_pad00_length(size_t length, size_t block);

/* Writes data and its method 1 padding to out (card_pad00_length bytes). */
int card_pad00(const uint8_t *data, size_t length, size_t block, uint8_t *out);

/* ---- ciphers ---------------------------------------------------------- */

/* Encrypts or decrypts whole blocks without padding. iv is one block, or
 * null for zeros; ECB ignores it. out holds length bytes and may be in. */
int card_encrypt(CardCipher cipher, CardMode mode, const uint8_t *key, size_t keyLength, const uint8_t *iv,
                 const uint8_t *in, size_t length, uint8_t *out);
int card_decrypt(CardCipher cipher, CardMode mode, const uint8_t *key, size_t keyLength, const uint8_t *iv,
                 const uint8_t *in, size_t length, uint8_t *out);

/* ---- MACs ------------------------------------------------------------- */

/* ISO/IEC 9797-1 MAC algorithm 3 (the retail MAC) with DES: CBC with K1
 * over the data, the last block then decrypted with K2 and encrypted with
 * K1 (or K3 for a 24-byte key). Data is one or more whole 8-byte blocks,
 * already padded; iv is 8 bytes or null for zeros. out: 8 bytes. */
int card_retail_mac(const uint8_t *key, size_t keyLength, const uint8_t *iv, const uint8_t *data, size_t length,
                    uint8_t *out);

/* Triple DES CBC-MAC (ISO/IEC 9797-1 MAC algorithm 1 with Triple DES): the
 * last block of the Triple DES CBC encryption. Same data, key and iv rules
 * as the retail MAC. out: 8 bytes. */
int card_tdes_cbc_mac(const uint8_t *key, size_t keyLength, const uint8_t *iv, const uint8_t *data,
                      size_t length, uint8_t *out);

/* CMAC (NIST SP 800-38B) with Triple DES (16- or 24-byte key, 8-byte MAC)
 * or AES (16-byte MAC) over data of any length. */
int card_cmac(CardCipher cipher, const uint8_t *key, size_t keyLength, const uint8_t *data, size_t length,
              uint8_t *out);

/* ---- key derivation -------------------------------------------------- */

/* NIST SP 800-108 KDF in counter mode with AES-CMAC as the PRF, laid out
 * as GlobalPlatform SCP03 uses it: each block is
 * CMAC(key, label || 00 || L || i || context), L the output length in bits
 * as two bytes, i a one-byte counter from 1. bits is a positive multiple of
 * 8 of at most 255 blocks. out: bits / 8 bytes. */
int card_kdf_cmac(const uint8_t *key, size_t keyLength, const uint8_t *label, size_t labelLength,
                  const uint8_t *context, size_t contextLength, unsigned bits, uint8_t *out);

/* The SCP03 derivation: the label is eleven 00 bytes and the derivation
 * constant (00 card cryptogram, 01 host cryptogram, 02 card challenge,
 * 04 S-ENC, 06 S-MAC, 07 S-RMAC). */
#define CARD_SCP03_LABEL_LENGTH 12
int card_scp03_kdf(const uint8_t *key, size_t keyLength, uint8_t constant, const uint8_t *context,
                   size_t contextLength, unsigned bits, uint8_t *out);

/* ---- randomness ------------------------------------------------------- */

/* length bytes from libcrypto's cryptographically secure generator. */
int card_random(uint8_t *out, size_t length);

#ifdef __cplusplus
}
#endif

#endif
