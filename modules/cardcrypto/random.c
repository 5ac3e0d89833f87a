/* random.c - secure random bytes from libcrypto's generator. */
#include "card_crypto.h"

#include <limits.h>

#include <openssl/rand.h>

int card_random(uint8_t *out, size_t length)
{
    if (length > INT_MAX)
        return -1;
    if (length == 0)
        return 0;
    return RAND_bytes(out, (int)length) == 1 ? 0 : -1;
}
