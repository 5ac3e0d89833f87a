/*
 * apdu_chain.h - one command with the answers ISO/IEC 7816-4 leaves to the
 * terminal taken care of: 61xx is followed by GET RESPONSE (the command's
 * class, Le = xx) until the data are complete, and 6Cxx makes the command
 * go again with Le = xx. No engine types: the exchange is a callback.
 */
#ifndef APDU_CHAIN_H
#define APDU_CHAIN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Sends one command and gives the whole response, SW1 SW2 included (at
 * least 2 bytes), valid until the next call. It may throw (a C++ exception
 * from the engine): the chaining owns nothing across a call that it could
 * lose, its blocks are freed as the stack unwinds. */
typedef size_t (*ApduTransmitFn)(void *context, const uint8_t *command, size_t length, const uint8_t **response);

typedef enum {
    APDU_CHAIN_OK,
    APDU_CHAIN_NO_MEMORY,
    APDU_CHAIN_ENDLESS /* still 61xx after APDU_CHAIN_MAX_EXCHANGES exchanges */
} ApduChainStatus;

/* A card answering 61xx for ever is stopped here: 4096 answers of 256 bytes
 * is 1 MiB, far beyond any card object. */
#define APDU_CHAIN_MAX_EXCHANGES 4096

/* The INS of GET RESPONSE. */
#define APDU_INS_GET_RESPONSE 0xC0

/* Runs a well-formed command. On APDU_CHAIN_OK *data is a malloc block of
 * all response data (null when there is none; free it), *dataLength its
 * length and *sw the last status word. A 6Cxx answer is followed once per
 * command: a second 6Cxx in a row is the final status word. */
ApduChainStatus apdu_exchange_chained(ApduTransmitFn transmit, void *context, const uint8_t *command,
                                      size_t length, uint8_t **data, size_t *dataLength, uint16_t *sw);

/* Writes the command with its Le field set to le (1 to 256 in a short
 * command, 1 to 65536 in an extended one), adding the field when the
 * command has none; out holds length + 2 bytes. Returns the new length. */
size_t apdu_with_le(const uint8_t *command, size_t length, unsigned le, uint8_t *out);

#ifdef __cplusplus
}
#endif

#endif
