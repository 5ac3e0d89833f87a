/*
 * gp_diversify.h - card keys from an issuer master key and the card's key
 * diversification data (the first ten bytes of INITIALIZE UPDATE's
 * answer), as card vendors commonly derive them.
 */
#ifndef GP_DIVERSIFY_H
#define GP_DIVERSIFY_H

#include "gp_channel.h"

typedef enum GpDiversification {
    GP_DIVERSIFY_NONE = 0,
    GP_DIVERSIFY_EMV = 1,   /* EMV CPS 1.1: bytes 4 to 9 of the data */
    GP_DIVERSIFY_VISA2 = 2  /* VISA2: bytes 0, 1 and 4 to 7 */
} GpDiversification;

/* ENC, MAC and DEK (16 bytes each) from a Triple DES master key of 16 or
 * 24 bytes: each key is the master key's Triple DES ECB encryption of the
 * card's bytes followed by F0 0n, then of the same bytes followed by
 * 0F 0n, n = 1, 2, 3. -1 on a wrong master key. */
int gp_diversify(GpDiversification how, const uint8_t *master, size_t masterLength, const uint8_t kdd[GP_KDD],
                 GpKeys *out);

#endif
