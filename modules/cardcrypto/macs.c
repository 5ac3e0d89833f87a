/* macs.c - the retail MAC, Triple DES CBC-MAC and CMAC. */
#include "card_crypto.h"

#include <limits.h>
#include <string.h>

#include <openssl/crypto.h>
#include <openssl/evp.h>

#define DES_KEY 8          /* one DES key of a Triple DES key */
#define CHAIN_CHUNK 1024   /* bytes enciphered per pass while only the last block counts */

static int mac_input_fits(size_t keyLength, size_t length)
{
    return (keyLength == 16 || keyLength == 24) && length > 0 && length % CARD_DES_BLOCK == 0;
}

/* The last block of a CBC encryption, in chunks through a small buffer. */
static int cbc_last_block(CardCipher cipher, const uint8_t *key, size_t keyLength, const uint8_t *iv,
                          const uint8_t *data, size_t length, uint8_t *out)
{
    size_t block = card_block_size(cipher);
    uint8_t chain[CARD_MAX_BLOCK] = {0};
    uint8_t buffer[CHAIN_CHUNK];
    if (iv != NULL)
        memcpy(chain, iv, block);
    int status = 0;
    for (size_t at = 0; at < length && status == 0; at += CHAIN_CHUNK) {
        size_t size = length - at < CHAIN_CHUNK ? length - at : CHAIN_CHUNK;
        status = card_encrypt(cipher, CARD_MODE_CBC, key, keyLength, chain, data + at, size, buffer);
        if (status == 0)
            memcpy(chain, buffer + size - block, block);
    }
    if (status == 0)
        memcpy(out, chain, block);
    OPENSSL_cleanse(buffer, sizeof buffer);
    return status;
}

int card_retail_mac(const uint8_t *key, size_t keyLength, const uint8_t *iv, const uint8_t *data, size_t length,
                    uint8_t *out)
{
    if (!mac_input_fits(keyLength, length))
        return -1;
    /* Single DES CBC with K1 up to the last block; the last block's DES
     * step with K1 followed by the D(K2), E(K1 or K3) output transform is
     * one Triple DES encryption with the whole key. */
    uint8_t chain[CARD_DES_BLOCK] = {0};
    size_t head = length - CARD_DES_BLOCK;
    int status = 0;
    if (head > 0)
        status = cbc_last_block(CARD_CIPHER_DES, key, DES_KEY, iv, data, head, chain);
    else if (iv != NULL)
        memcpy(chain, iv, CARD_DES_BLOCK);
    if (status == 0) {
        card_xor(chain, data + head, CARD_DES_BLOCK, chain);
        status = card_encrypt(CARD_CIPHER_TDES, CARD_MODE_ECB, key, keyLength, NULL, chain, CARD_DES_BLOCK, out);
    }
    OPENSSL_cleanse(chain, sizeof chain);
    return status;
}

int card_tdes_cbc_mac(const uint8_t *key, size_t keyLength, const uint8_t *iv, const uint8_t *data,
                      size_t length, uint8_t *out)
{
    if (!mac_input_fits(keyLength, length))
        return -1;
    return cbc_last_block(CARD_CIPHER_TDES, key, keyLength, iv, data, length, out);
}

/* The CMAC implementation's cipher names; a two-key Triple DES key is
 * given to it as K1 K2 K1. */
static const char *cmac_cipher_name(CardCipher cipher, size_t keyLength)
{
    if (cipher == CARD_CIPHER_TDES)
        return "DES-EDE3-CBC";
    switch (keyLength) {
    case 16:
        return "AES-128-CBC";
    case 24:
        return "AES-192-CBC";
    default:
        return "AES-256-CBC";
    }
}

int card_cmac(CardCipher cipher, const uint8_t *key, size_t keyLength, const uint8_t *data, size_t length,
              uint8_t *out)
{
    if (cipher == CARD_CIPHER_DES || !card_key_fits(cipher, keyLength))
        return -1;
    uint8_t fullKey[3 * DES_KEY];
    const uint8_t *macKey = key;
    size_t macKeyLength = keyLength;
    if (cipher == CARD_CIPHER_TDES && keyLength == 2 * DES_KEY) {
        memcpy(fullKey, key, 2 * DES_KEY);
        memcpy(fullKey + 2 * DES_KEY, key, DES_KEY);
        macKey = fullKey;
        macKeyLength = sizeof fullKey;
    }
    size_t block = card_block_size(cipher);
    size_t written = 0;
    static const uint8_t nothing[1];
    unsigned char *result = EVP_Q_mac(NULL, "CMAC", NULL, cmac_cipher_name(cipher, keyLength), NULL, macKey,
                                      macKeyLength, length > 0 ? data : nothing, length, out, block, &written);
    OPENSSL_cleanse(fullKey, sizeof fullKey);
    return result != NULL && written == block ? 0 : -1;
}
