/*
 * gp_channel.h - the host side of GlobalPlatform secure channels SCP02 and
 * SCP03 over plain bytes: reading INITIALIZE UPDATE's answer, session keys
 * and cryptograms, EXTERNAL AUTHENTICATE, wrapping commands and unwrapping
 * responses. No engine types here; the crypto is the cardcrypto library.
 */
#ifndef GP_CHANNEL_H
#define GP_CHANNEL_H

#include <stddef.h>
#include <stdint.h>

#define GP_CHALLENGE 8          /* host challenge, SCP03 card challenge, cryptograms */
#define GP_KDD 10               /* key diversification data */
#define GP_MAC 8                /* the MAC a command or response carries */
#define GP_MAX_KEY 32           /* AES-256 */
#define GP_DES_KEY 16           /* two-key Triple DES, the SCP02 keys */
#define GP_MAX_DATA 255         /* a short command's data field */
/* A wrapped command: header, Lc, data grown by padding (at most one AES
 * block) and the MAC, Le. */
#define GP_MAX_WRAPPED (5 + GP_MAX_DATA + 1)

/* Security levels: EXTERNAL AUTHENTICATE's P1. */
enum { GP_LEVEL_C_MAC = 0x01, GP_LEVEL_C_DEC = 0x02, GP_LEVEL_R_MAC = 0x10, GP_LEVEL_R_ENC = 0x20 };

typedef enum GpStatus {
    GP_OK = 0,
    GP_BAD_ANSWER,       /* INITIALIZE UPDATE's answer is not SCP02 or SCP03 */
    GP_BAD_KEYS,         /* key lengths that do not suit the protocol */
    GP_CRYPTOGRAM,       /* the card cryptogram does not match: other keys */
    GP_LEVEL,            /* a level the protocol or the card's i does not offer */
    GP_TOO_LONG,         /* the wrapped command would not fit a short APDU */
    GP_MALFORMED,        /* not a short command APDU */
    GP_R_MAC,            /* the response's R-MAC does not match */
    GP_R_PADDING,        /* deciphered response data without their padding */
    GP_CRYPTO_FAILED     /* libcrypto failed */
} GpStatus;

typedef struct GpKeys {
    uint8_t enc[GP_MAX_KEY], mac[GP_MAX_KEY], dek[GP_MAX_KEY];
    size_t length;                   /* of each of the three */
} GpKeys;

/* What INITIALIZE UPDATE's answer says. */
typedef struct GpAnswer {
    int scp;                         /* 2 or 3 */
    uint8_t kdd[GP_KDD];
    uint8_t keyVersion;
    uint8_t i;                       /* SCP03 only */
    uint8_t cardChallenge[GP_CHALLENGE];
    size_t cardChallengeLength;      /* 6 for SCP02, 8 for SCP03 */
    uint8_t counter[3];              /* sequence counter */
    size_t counterLength;            /* 2 for SCP02, 3 or 0 for SCP03 */
    uint8_t cryptogram[GP_CHALLENGE];
} GpAnswer;

/* One session, host side. Plain data: it can be copied and moved. */
typedef struct GpChannel {
    GpAnswer card;
    uint8_t hostChallenge[GP_CHALLENGE];
    uint8_t level;
    size_t keyLength;                /* of the session keys */
    uint8_t sessionEnc[GP_MAX_KEY], sessionMac[GP_MAX_KEY], sessionRmac[GP_MAX_KEY], sessionDek[GP_MAX_KEY];
    uint8_t chain[16];               /* SCP02: the last C-MAC; SCP03: the MAC chaining value */
    uint64_t encryptionCounter;      /* SCP03: one count per command */
} GpChannel;

GpStatus gp_read_answer(const uint8_t *answer, size_t length, GpAnswer *out);

/* Derives the session from the static keys and checks the card cryptogram. */
GpStatus gp_channel_start(GpChannel *channel, const GpAnswer *answer, const uint8_t hostChallenge[GP_CHALLENGE],
                          const GpKeys *keys);

/* Whether the protocol (and SCP03's i) offer the level. */
int gp_level_offered(const GpChannel *channel, uint8_t level);

/* The EXTERNAL AUTHENTICATE command for the level (21 bytes); the session
 * runs at that level from here on. */
GpStatus gp_channel_authenticate(GpChannel *channel, uint8_t level, uint8_t out[5 + 2 * GP_MAC]);

/* Wraps a short command APDU as the level asks; out holds GP_MAX_WRAPPED. */
GpStatus gp_channel_wrap(GpChannel *channel, const uint8_t *command, size_t length, uint8_t *out, size_t *outLength);

/* Checks and strips the R-MAC, deciphers R-ENC data, in place. */
GpStatus gp_channel_unwrap(GpChannel *channel, uint8_t *data, size_t *length, uint16_t sw);

/* The parts of a short command APDU; 0 when it is none. */
typedef struct GpCommand {
    uint8_t header[4];
    const uint8_t *data;
    size_t dataLength;
    int hasLe;
    uint8_t le;
} GpCommand;
int gp_parse_command(const uint8_t *command, size_t length, GpCommand *out);

#endif
