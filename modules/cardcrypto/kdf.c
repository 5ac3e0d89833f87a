/* kdf.c - the NIST SP 800-108 counter-mode KDF with AES-CMAC, in the
 * layout of GlobalPlatform SCP03. libcrypto's KBKDF puts the counter first;
 * SCP03 puts it after L, so the blocks are put together here and each one
 * goes through libcrypto's CMAC. */
#include "card_crypto.h"

#include <stdlib.h>
#include <string.h>

#include <openssl/crypto.h>

#define KDF_MAX_BLOCKS 255    /* the counter is one byte */
#define KDF_FIXED_BYTES 4     /* separator 00, L (two bytes), counter */

int card_kdf_cmac(const uint8_t *key, size_t keyLength, const uint8_t *label, size_t labelLength,
                  const uint8_t *context, size_t contextLength, unsigned bits, uint8_t *out)
{
    if (!card_key_fits(CARD_CIPHER_AES, keyLength) || bits == 0 || bits % 8 != 0 ||
        bits > KDF_MAX_BLOCKS * CARD_AES_BLOCK * 8 || labelLength > SIZE_MAX / 2 || contextLength > SIZE_MAX / 2)
        return -1;
    size_t inputLength = labelLength + KDF_FIXED_BYTES + contextLength;
    uint8_t *input = malloc(inputLength);
    if (input == NULL)
        return -1;
    if (labelLength > 0)
        memcpy(input, label, labelLength);
    uint8_t *fixed = input + labelLength;
    fixed[0] = 0x00;
    fixed[1] = (uint8_t)(bits >> 8);
    fixed[2] = (uint8_t)bits;
    if (contextLength > 0)
        memcpy(fixed + KDF_FIXED_BYTES, context, contextLength);

    size_t wanted = bits / 8;
    uint8_t block[CARD_AES_BLOCK];
    int status = 0;
    for (unsigned counter = 1; wanted > 0 && status == 0; counter++) {
        fixed[3] = (uint8_t)counter;
        status = card_cmac(CARD_CIPHER_AES, key, keyLength, input, inputLength, block);
        size_t size = wanted < sizeof block ? wanted : sizeof block;
        if (status == 0)
            memcpy(out, block, size);
        out += size;
        wanted -= size;
    }
    OPENSSL_cleanse(block, sizeof block);
    OPENSSL_cleanse(input, inputLength);
    free(input);
    return status;
}

int card_scp03_kdf(const uint8_t *key, size_t keyLength, uint8_t constant, const uint8_t *context,
                   size_t contextLength, unsigned bits, uint8_t *out)
{
    uint8_t label[CARD_SCP03_LABEL_LENGTH] = {0};
    label[CARD_SCP03_LABEL_LENGTH - 1] = constant;
    return card_kdf_cmac(key, keyLength, label, sizeof label, context, contextLength, bits, out);
}
