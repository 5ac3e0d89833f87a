/*
 * gp_scp02.c - SCP02 as cards with i = 15 and 55 run it: three static
 * Triple DES keys; session keys from the sequence counter; the cryptograms
 * a full Triple DES MAC under S-ENC; the C-MAC a retail MAC under S-MAC
 * over the command as sent (class with secure messaging, Lc with the MAC)
 * and the plain data, its ICV the previous C-MAC enciphered with single
 * DES; command data Triple DES CBC under S-ENC after 80 padding.
 */
#include "gp_scp.h"

#include <card_crypto.h>
#include <string.h>

/* Derivation constants of the session keys. */
static const uint8_t kConstantCMac[2] = {0x01, 0x01};
static const uint8_t kConstantEnc[2] = {0x01, 0x82};
static const uint8_t kConstantDek[2] = {0x01, 0x81};

/* Triple DES CBC, zero ICV, of constant, counter and twelve 00 bytes. */
static int derive(const uint8_t *key, const uint8_t constant[2], const uint8_t counter[2], uint8_t out[GP_DES_KEY])
{
    uint8_t data[GP_DES_KEY] = {0};
    memcpy(data, constant, 2);
    memcpy(data + 2, counter, 2);
    return card_encrypt(CARD_CIPHER_TDES, CARD_MODE_CBC, key, GP_DES_KEY, NULL, data, sizeof data, out);
}

/* The full Triple DES MAC under S-ENC of three parts, padded. */
static int cryptogram(const GpChannel *channel, const uint8_t *a, size_t na, const uint8_t *b, size_t nb,
                      const uint8_t *c, size_t nc, uint8_t out[GP_MAC])
{
    uint8_t data[3 * CARD_DES_BLOCK];
    memcpy(data, a, na);
    memcpy(data + na, b, nb);
    memcpy(data + na + nb, c, nc);
    size_t padded = card_pad80_length(na + nb + nc, CARD_DES_BLOCK);
    if (padded > sizeof data || card_pad80(data, na + nb + nc, CARD_DES_BLOCK, data) != 0)
        return -1;
    return card_tdes_cbc_mac(channel->sessionEnc, GP_DES_KEY, NULL, data, padded, out);
}

/* The retail MAC of header and data under S-MAC from the ICV. */
static int command_mac(const GpChannel *channel, const uint8_t header[5], const uint8_t *data, size_t length,
                       const uint8_t icv[GP_MAC], uint8_t out[GP_MAC])
{
    uint8_t block[5 + GP_MAX_DATA + CARD_DES_BLOCK];
    memcpy(block, header, 5);
    if (length > 0)
        memcpy(block + 5, data, length);
    size_t padded = card_pad80_length(5 + length, CARD_DES_BLOCK);
    if (card_pad80(block, 5 + length, CARD_DES_BLOCK, block) != 0)
        return -1;
    return card_retail_mac(channel->sessionMac, GP_DES_KEY, icv, block, padded, out);
}

GpStatus gp_scp02_start(GpChannel *channel, const GpKeys *keys)
{
    const GpAnswer *card = &channel->card;
    if (keys->length != GP_DES_KEY)
        return GP_BAD_KEYS;
    channel->keyLength = GP_DES_KEY;
    if (derive(keys->enc, kConstantEnc, card->counter, channel->sessionEnc) != 0 ||
        derive(keys->mac, kConstantCMac, card->counter, channel->sessionMac) != 0 ||
        derive(keys->dek, kConstantDek, card->counter, channel->sessionDek) != 0)
        return GP_CRYPTO_FAILED;
    uint8_t expected[GP_MAC];
    if (cryptogram(channel, channel->hostChallenge, GP_CHALLENGE, card->counter, 2, card->cardChallenge, 6,
                   expected) != 0)
        return GP_CRYPTO_FAILED;
    return memcmp(expected, card->cryptogram, GP_MAC) == 0 ? GP_OK : GP_CRYPTOGRAM;
}

GpStatus gp_scp02_authenticate(GpChannel *channel, uint8_t level, uint8_t *out)
{
    const GpAnswer *card = &channel->card;
    uint8_t header[5] = {0x84, 0x82, level, 0x00, GP_CHALLENGE + GP_MAC};
    uint8_t host[GP_MAC];
    uint8_t zero[GP_MAC] = {0};
    if (cryptogram(channel, card->counter, 2, card->cardChallenge, 6, channel->hostChallenge, GP_CHALLENGE, host) != 0 ||
        command_mac(channel, header, host, GP_CHALLENGE, zero, channel->chain) != 0)
        return GP_CRYPTO_FAILED;
    memcpy(out, header, 5);
    memcpy(out + 5, host, GP_CHALLENGE);
    memcpy(out + 5 + GP_CHALLENGE, channel->chain, GP_MAC);
    channel->level = level;
    return GP_OK;
}

GpStatus gp_scp02_wrap(GpChannel *channel, const GpCommand *command, uint8_t *out, size_t *outLength)
{
    if ((channel->level & GP_LEVEL_C_MAC) == 0)
        return gp_put_plain(command, out, outLength);
    size_t length = command->dataLength;
    size_t enciphered = (channel->level & GP_LEVEL_C_DEC) != 0 && length > 0 ? card_pad80_length(length, CARD_DES_BLOCK)
                                                                             : length;
    if (enciphered + GP_MAC > GP_MAX_DATA)
        return GP_TOO_LONG;
    uint8_t header[5] = {(uint8_t)(command->header[0] | 0x04), command->header[1], command->header[2],
                         command->header[3], (uint8_t)(length + GP_MAC)};
    uint8_t icv[GP_MAC];
    uint8_t mac[GP_MAC];
    if (card_encrypt(CARD_CIPHER_DES, CARD_MODE_ECB, channel->sessionMac, CARD_DES_BLOCK, NULL, channel->chain,
                     GP_MAC, icv) != 0 ||
        command_mac(channel, header, command->data, length, icv, mac) != 0)
        return GP_CRYPTO_FAILED;
    uint8_t body[GP_MAX_DATA + CARD_DES_BLOCK];
    if (length > 0)
        memcpy(body, command->data, length);
    if (enciphered != length &&
        (card_pad80(body, length, CARD_DES_BLOCK, body) != 0 ||
         card_encrypt(CARD_CIPHER_TDES, CARD_MODE_CBC, channel->sessionEnc, GP_DES_KEY, NULL, body, enciphered,
                      body) != 0))
        return GP_CRYPTO_FAILED;
    memcpy(channel->chain, mac, GP_MAC);
    return gp_put_wrapped(command, body, enciphered, mac, out, outLength);
}
