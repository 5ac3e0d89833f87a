/* apdu_chain.c - GET RESPONSE after 61xx and the repeat after 6Cxx. */
#include "apdu_chain.h"

#include <stdlib.h>
#include <string.h>

#define SW1_MORE_DATA 0x61  /* SW2 bytes (00: 256) wait for GET RESPONSE */
#define SW1_WRONG_LE 0x6C   /* SW2 is the exact Le (00: 256) */
#define SHORT_LE_MAX 256    /* a one-byte Le of 00 means 256 */

/* Blocks freed when their variable goes out of scope, also while the stack
 * unwinds past it (the module is built with -fexceptions). */
static void free_block(uint8_t **block)
{
    free(*block);
}
#define OWNED __attribute__((cleanup(free_block)))

/* An extended command: byte 4 zero and a length field of two bytes. */
static int is_extended(const uint8_t *c, size_t n)
{
    if (n < 7 || c[4] != 0)
        return 0;
    size_t lc = (size_t)c[5] << 8 | c[6];
    return n == 7 || (lc != 0 && (n == 7 + lc || n == 9 + lc));
}

size_t apdu_with_le(const uint8_t *c, size_t n, unsigned le, uint8_t *out)
{
    memcpy(out, c, n);
    size_t at; /* where Le goes: past the end when the command has none */
    size_t leBytes = 1;
    if (is_extended(c, n)) {
        size_t lc = (size_t)c[5] << 8 | c[6];
        leBytes = 2;
        at = n == 7 ? 5 : (n == 7 + lc ? n : n - 2);
    } else if (n <= 5) {
        at = 4; /* case 1 gains Le, case 2 has it at byte 4 */
    } else {
        at = n == 5 + (size_t)c[4] ? n : n - 1; /* case 3 gains Le, case 4 has it last */
    }
    if (leBytes == 2)
        out[at++] = (uint8_t)(le >> 8);
    out[at++] = (uint8_t)le; /* 256 in one byte is 00 */
    return at > n ? at : n;
}

/* Appends to a growing block; 0 when memory ran out. */
static int append(uint8_t **block, size_t *length, size_t *capacity, const uint8_t *bytes, size_t size)
{
    if (size == 0)
        return 1;
    if (*length + size > *capacity) {
        size_t wanted = *capacity * 2 > *length + size ? *capacity * 2 : *length + size;
        uint8_t *grown = realloc(*block, wanted);
        if (grown == NULL)
            return 0;
        *block = grown;
        *capacity = wanted;
    }
    memcpy(*block + *length, bytes, size);
    *length += size;
    return 1;
}

ApduChainStatus apdu_exchange_chained(ApduTransmitFn transmit, void *context, const uint8_t *command,
                                      size_t length, uint8_t **data, size_t *dataLength, uint16_t *sw)
{
    uint8_t *collected OWNED = NULL;
    uint8_t *resent OWNED = malloc(length + 2);
    size_t collectedLength = 0;
    size_t capacity = 0;
    if (resent == NULL)
        return APDU_CHAIN_NO_MEMORY;

    /* The class byte is read once the first exchange has shown the command
     * well formed (the engine throws for anything shorter than 4 bytes). */
    uint8_t getResponse[5] = {0x00, APDU_INS_GET_RESPONSE, 0x00, 0x00, 0x00};
    const uint8_t *next = command;
    size_t nextLength = length;
    int repeated = 0; /* the command in flight already answers a 6Cxx */
    for (unsigned exchanges = 0;; exchanges++) {
        const uint8_t *response;
        size_t received = transmit(context, next, nextLength, &response);
        uint8_t sw1 = response[received - 2];
        uint8_t sw2 = response[received - 1];
        if (sw1 == SW1_WRONG_LE && !repeated) {
            unsigned le = sw2 == 0 ? SHORT_LE_MAX : sw2;
            nextLength = apdu_with_le(next, nextLength, le, resent);
            next = resent;
            repeated = 1;
            continue;
        }
        if (!append(&collected, &collectedLength, &capacity, response, received - 2))
            return APDU_CHAIN_NO_MEMORY;
        if (sw1 != SW1_MORE_DATA) {
            *sw = (uint16_t)(sw1 << 8 | sw2);
            break;
        }
        if (exchanges + 1 >= APDU_CHAIN_MAX_EXCHANGES)
            return APDU_CHAIN_ENDLESS;
        getResponse[0] = command[0];
        getResponse[4] = sw2;
        next = getResponse;
        nextLength = sizeof getResponse;
        repeated = 0;
    }
    *data = collected;
    *dataLength = collectedLength;
    collected = NULL;
    return APDU_CHAIN_OK;
}
