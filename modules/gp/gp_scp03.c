/*
 * gp_scp03.c - SCP03: AES static keys of 16, 24 or 32 bytes; session keys
 * and cryptograms from the counter-mode KDF over host and card challenge;
 * the C-MAC an AES-CMAC under S-MAC over the MAC chaining value and the
 * command as sent (enciphered data), cut to 8 bytes, the whole CMAC chained
 * on; command data AES CBC under S-ENC with an ICV from the encryption
 * counter; the R-MAC an AES-CMAC under S-RMAC over the chaining value,
 * response data and status word; response data deciphered with the
 * counter's ICV whose first byte is 80.
 */
#include "gp_scp.h"

#include <card_crypto.h>
#include <string.h>

/* KDF derivation constants. */
enum { CARD_CRYPTOGRAM = 0x00, HOST_CRYPTOGRAM = 0x01, S_ENC = 0x04, S_MAC = 0x06, S_RMAC = 0x07 };
#define CRYPTOGRAM_BITS 64

static int kdf(const uint8_t *key, size_t keyLength, uint8_t constant, const GpChannel *channel, unsigned bits,
               uint8_t *out)
{
    uint8_t context[2 * GP_CHALLENGE];
    memcpy(context, channel->hostChallenge, GP_CHALLENGE);
    memcpy(context + GP_CHALLENGE, channel->card.cardChallenge, GP_CHALLENGE);
    return card_scp03_kdf(key, keyLength, constant, context, sizeof context, bits, out);
}

/* The ICV of command data (first byte as counted) or response data (80). */
static int icv(const GpChannel *channel, int response, uint8_t out[CARD_AES_BLOCK])
{
    uint8_t block[CARD_AES_BLOCK] = {0};
    for (int n = 0; n < 8; n++)
        block[CARD_AES_BLOCK - 1 - n] = (uint8_t)(channel->encryptionCounter >> (8 * n));
    if (response)
        block[0] = 0x80;
    return card_encrypt(CARD_CIPHER_AES, CARD_MODE_ECB, channel->sessionEnc, channel->keyLength, NULL, block,
                        CARD_AES_BLOCK, out);
}

/* CMAC under key of the chaining value and the parts; out: 16 bytes. */
static int chained_mac(const GpChannel *channel, const uint8_t *key, const uint8_t *a, size_t na, const uint8_t *b,
                       size_t nb, uint8_t out[CARD_AES_BLOCK])
{
    uint8_t data[CARD_AES_BLOCK + 5 + GP_MAX_DATA + CARD_AES_BLOCK];
    memcpy(data, channel->chain, CARD_AES_BLOCK);
    memcpy(data + CARD_AES_BLOCK, a, na);
    if (nb > 0)
        memcpy(data + CARD_AES_BLOCK + na, b, nb);
    return card_cmac(CARD_CIPHER_AES, key, channel->keyLength, data, CARD_AES_BLOCK + na + nb, out);
}

GpStatus gp_scp03_start(GpChannel *channel, const GpKeys *keys)
{
    if (!card_key_fits(CARD_CIPHER_AES, keys->length))
        return GP_BAD_KEYS;
    channel->keyLength = keys->length;
    unsigned bits = (unsigned)keys->length * 8;
    uint8_t expected[GP_CHALLENGE];
    if (kdf(keys->enc, keys->length, S_ENC, channel, bits, channel->sessionEnc) != 0 ||
        kdf(keys->mac, keys->length, S_MAC, channel, bits, channel->sessionMac) != 0 ||
        kdf(keys->mac, keys->length, S_RMAC, channel, bits, channel->sessionRmac) != 0 ||
        kdf(channel->sessionMac, keys->length, CARD_CRYPTOGRAM, channel, CRYPTOGRAM_BITS, expected) != 0)
        return GP_CRYPTO_FAILED;
    /* SCP03 has no session DEK: the static one enciphers keys. */
    memcpy(channel->sessionDek, keys->dek, keys->length);
    return memcmp(expected, channel->card.cryptogram, GP_CHALLENGE) == 0 ? GP_OK : GP_CRYPTOGRAM;
}

GpStatus gp_scp03_authenticate(GpChannel *channel, uint8_t level, uint8_t *out)
{
    uint8_t header[5] = {0x84, 0x82, level, 0x00, GP_CHALLENGE + GP_MAC};
    uint8_t host[GP_CHALLENGE];
    memset(channel->chain, 0, sizeof channel->chain);
    if (kdf(channel->sessionMac, channel->keyLength, HOST_CRYPTOGRAM, channel, CRYPTOGRAM_BITS, host) != 0 ||
        chained_mac(channel, channel->sessionMac, header, 5, host, GP_CHALLENGE, channel->chain) != 0)
        return GP_CRYPTO_FAILED;
    memcpy(out, header, 5);
    memcpy(out + 5, host, GP_CHALLENGE);
    memcpy(out + 5 + GP_CHALLENGE, channel->chain, GP_MAC);
    channel->level = level;
    channel->encryptionCounter = 0;
    return GP_OK;
}

GpStatus gp_scp03_wrap(GpChannel *channel, const GpCommand *command, uint8_t *out, size_t *outLength)
{
    channel->encryptionCounter++; /* every command, with data or without */
    if ((channel->level & GP_LEVEL_C_MAC) == 0)
        return gp_put_plain(command, out, outLength);
    size_t length = command->dataLength;
    uint8_t body[GP_MAX_DATA + CARD_AES_BLOCK];
    if (length > 0)
        memcpy(body, command->data, length);
    if ((channel->level & GP_LEVEL_C_DEC) != 0 && length > 0) {
        size_t padded = card_pad80_length(length, CARD_AES_BLOCK);
        uint8_t iv[CARD_AES_BLOCK];
        if (padded + GP_MAC > GP_MAX_DATA)
            return GP_TOO_LONG;
        if (card_pad80(body, length, CARD_AES_BLOCK, body) != 0 || icv(channel, 0, iv) != 0 ||
            card_encrypt(CARD_CIPHER_AES, CARD_MODE_CBC, channel->sessionEnc, channel->keyLength, iv, body, padded,
                         body) != 0)
            return GP_CRYPTO_FAILED;
        length = padded;
    }
    if (length + GP_MAC > GP_MAX_DATA)
        return GP_TOO_LONG;
    /* The MAC's class: secure messaging, logical channel bits cleared. */
    uint8_t header[5] = {(uint8_t)((command->header[0] & 0xF0) | 0x04), command->header[1], command->header[2],
                         command->header[3], (uint8_t)(length + GP_MAC)};
    if (chained_mac(channel, channel->sessionMac, header, 5, body, length, channel->chain) != 0)
        return GP_CRYPTO_FAILED;
    return gp_put_wrapped(command, body, length, channel->chain, out, outLength);
}

GpStatus gp_scp03_unwrap(GpChannel *channel, uint8_t *data, size_t *length, uint16_t sw)
{
    /* Errors come back bare: only success and warnings are protected. */
    int protectedStatus = sw == 0x9000 || (sw >> 8) == 0x62 || (sw >> 8) == 0x63;
    if ((channel->level & GP_LEVEL_R_MAC) == 0 || !protectedStatus)
        return GP_OK;
    if (*length < GP_MAC)
        return GP_R_MAC;
    size_t body = *length - GP_MAC;
    uint8_t status[2] = {(uint8_t)(sw >> 8), (uint8_t)sw};
    uint8_t mac[CARD_AES_BLOCK];
    uint8_t input[GP_MAX_DATA + 1 + 2];
    if (body + 2 > sizeof input)
        return GP_R_MAC;
    memcpy(input, data, body);
    memcpy(input + body, status, 2);
    if (chained_mac(channel, channel->sessionRmac, input, body + 2, NULL, 0, mac) != 0)
        return GP_CRYPTO_FAILED;
    if (memcmp(mac, data + body, GP_MAC) != 0)
        return GP_R_MAC;
    *length = body;
    if ((channel->level & GP_LEVEL_R_ENC) == 0 || body == 0)
        return GP_OK;
    uint8_t iv[CARD_AES_BLOCK];
    size_t plain;
    if (body % CARD_AES_BLOCK != 0)
        return GP_R_PADDING;
    if (icv(channel, 1, iv) != 0 ||
        card_decrypt(CARD_CIPHER_AES, CARD_MODE_CBC, channel->sessionEnc, channel->keyLength, iv, data, body, data) != 0)
        return GP_CRYPTO_FAILED;
    if (card_unpad80(data, body, CARD_AES_BLOCK, &plain) != 0)
        return GP_R_PADDING;
    *length = plain;
    return GP_OK;
}
