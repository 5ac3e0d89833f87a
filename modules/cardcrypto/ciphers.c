/* ciphers.c - DES, Triple DES and AES in ECB and CBC through EVP. */
#include "card_crypto.h"

#include <limits.h>
#include <string.h>

#include <openssl/crypto.h>
#include <openssl/evp.h>

#define DES_KEY 8           /* single DES key bytes */
#define TDES_TWO_KEY 16     /* K1 K2, K3 = K1 */
#define TDES_THREE_KEY 24   /* K1 K2 K3 */

size_t card_block_size(CardCipher cipher)
{
    return cipher == CARD_CIPHER_AES ? CARD_AES_BLOCK : CARD_DES_BLOCK;
}

int card_key_fits(CardCipher cipher, size_t keyLength)
{
    switch (cipher) {
    case CARD_CIPHER_DES:
        return keyLength == DES_KEY;
    case CARD_CIPHER_TDES:
        return keyLength == TDES_TWO_KEY || keyLength == TDES_THREE_KEY;
    case CARD_CIPHER_AES:
        return keyLength == 16 || keyLength == 24 || keyLength == 32;
    }
    return 0;
}

/* Single DES is Triple DES EDE with K1 = K2 = K3: the default provider of
 * OpenSSL 3 has no plain DES (it lives in the legacy provider), and the two
 * give the same result. */
static const EVP_CIPHER *evp_cipher(CardCipher cipher, CardMode mode, size_t keyLength)
{
    int cbc = mode == CARD_MODE_CBC;
    switch (cipher) {
    case CARD_CIPHER_DES:
        return cbc ? EVP_des_ede3_cbc() : EVP_des_ede3_ecb();
    case CARD_CIPHER_TDES:
        if (keyLength == TDES_TWO_KEY)
            return cbc ? EVP_des_ede_cbc() : EVP_des_ede_ecb();
        return cbc ? EVP_des_ede3_cbc() : EVP_des_ede3_ecb();
    case CARD_CIPHER_AES:
        if (keyLength == 16)
            return cbc ? EVP_aes_128_cbc() : EVP_aes_128_ecb();
        if (keyLength == 24)
            return cbc ? EVP_aes_192_cbc() : EVP_aes_192_ecb();
        return cbc ? EVP_aes_256_cbc() : EVP_aes_256_ecb();
    }
    return NULL;
}

static int crypt(CardCipher cipher, CardMode mode, const uint8_t *key, size_t keyLength, const uint8_t *iv,
               const uint8_t *in, size_t length, uint8_t *out, int encrypt)
{
    size_t block = card_block_size(cipher);
    if (!card_key_fits(cipher, keyLength) || length % block != 0 || length > INT_MAX)
        return -1;
    if (length == 0)
        return 0;

    uint8_t desKey[TDES_THREE_KEY];
    const uint8_t *evpKey = key;
    if (cipher == CARD_CIPHER_DES) {
        for (int i = 0; i < 3; i++)
            memcpy(desKey + i * DES_KEY, key, DES_KEY);
        evpKey = desKey;
    }
    uint8_t zeros[CARD_MAX_BLOCK] = {0};
    const uint8_t *chain = mode == CARD_MODE_CBC ? (iv != NULL ? iv : zeros) : NULL;

    int ok = 0;
    EVP_CIPHER_CTX *context = EVP_CIPHER_CTX_new();
    if (context != NULL &&
        EVP_CipherInit_ex(context, evp_cipher(cipher, mode, keyLength), NULL, evpKey, chain, encrypt) == 1 &&
        EVP_CIPHER_CTX_set_padding(context, 0) == 1) {
        int written = 0;
        int tail = 0;
        ok = EVP_CipherUpdate(context, out, &written, in, (int)length) == 1 &&
             EVP_CipherFinal_ex(context, out + written, &tail) == 1 && (size_t)(written + tail) == length;
    }
    EVP_CIPHER_CTX_free(context);
    OPENSSL_cleanse(desKey, sizeof desKey);
    return ok ? 0 : -1;
}

int card_encrypt(CardCipher cipher, CardMode mode, const uint8_t *key, size_t keyLength, const uint8_t *iv,
                 const uint8_t *in, size_t length, uint8_t *out)
{
    return crypt(cipher, mode, key, keyLength, iv, in, length, out, 1);
}

int card_decrypt(CardCipher cipher, CardMode mode, const uint8_t *key, size_t keyLength, const uint8_t *iv,
                 const uint8_t *in, size_t length, uint8_t *out)
{
    return crypt(cipher, mode, key, keyLength, iv, in, length, out, 0);
}
