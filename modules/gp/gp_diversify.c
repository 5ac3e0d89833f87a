/*
 * gp_diversify.c - EMV CPS 1.1 and VISA2 key diversification.
 */
#include "gp_diversify.h"

#include <card_crypto.h>
#include <string.h>

int gp_diversify(GpDiversification how, const uint8_t *master, size_t masterLength, const uint8_t kdd[GP_KDD],
                 GpKeys *out)
{
    uint8_t part[6];
    if (how == GP_DIVERSIFY_EMV) {
        memcpy(part, kdd + 4, 6);
    } else if (how == GP_DIVERSIFY_VISA2) {
        memcpy(part, kdd, 2);
        memcpy(part + 2, kdd + 4, 4);
    } else {
        return -1;
    }
    if (!card_key_fits(CARD_CIPHER_TDES, masterLength))
        return -1;
    uint8_t *keys[3] = {out->enc, out->mac, out->dek};
    for (int n = 0; n < 3; n++) {
        uint8_t data[GP_DES_KEY];
        memcpy(data, part, 6);
        data[6] = 0xF0;
        data[7] = (uint8_t)(n + 1);
        memcpy(data + 8, part, 6);
        data[14] = 0x0F;
        data[15] = (uint8_t)(n + 1);
        if (card_encrypt(CARD_CIPHER_TDES, CARD_MODE_ECB, master, masterLength, NULL, data, sizeof data, keys[n]) != 0)
            return -1;
    }
    out->length = GP_DES_KEY;
    return 0;
}
