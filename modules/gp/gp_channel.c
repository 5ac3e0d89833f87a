/*
 * gp_channel.c - the parts of the host side that SCP02 and SCP03 share:
 * reading INITIALIZE UPDATE's answer, the levels, short command APDUs, and
 * handing each step to its protocol.
 */
#include "gp_channel.h"

#include "gp_scp.h"

#include <string.h>

/* SCP02: KDD, key version, 02, counter (2), card challenge (6), cryptogram. */
#define SCP02_ANSWER 28
/* SCP03: KDD, key version, 03, i, card challenge, cryptogram [, counter (3)]. */
#define SCP03_ANSWER 29
#define SCP03_ANSWER_WITH_COUNTER 32

GpStatus gp_read_answer(const uint8_t *a, size_t length, GpAnswer *out)
{
    memset(out, 0, sizeof *out);
    if (length < GP_KDD + 2)
        return GP_BAD_ANSWER;
    memcpy(out->kdd, a, GP_KDD);
    out->keyVersion = a[10];
    out->scp = a[11];
    if (out->scp == 2 && length == SCP02_ANSWER) {
        out->counterLength = 2;
        memcpy(out->counter, a + 12, 2);
        out->cardChallengeLength = 6;
        memcpy(out->cardChallenge, a + 14, 6);
        memcpy(out->cryptogram, a + 20, GP_CHALLENGE);
        return GP_OK;
    }
    if (out->scp == 3 && (length == SCP03_ANSWER || length == SCP03_ANSWER_WITH_COUNTER)) {
        out->i = a[12];
        out->cardChallengeLength = GP_CHALLENGE;
        memcpy(out->cardChallenge, a + 13, GP_CHALLENGE);
        memcpy(out->cryptogram, a + 21, GP_CHALLENGE);
        out->counterLength = length - SCP03_ANSWER;
        memcpy(out->counter, a + 29, out->counterLength);
        return GP_OK;
    }
    return GP_BAD_ANSWER;
}

GpStatus gp_channel_start(GpChannel *channel, const GpAnswer *answer, const uint8_t hostChallenge[GP_CHALLENGE],
                          const GpKeys *keys)
{
    memset(channel, 0, sizeof *channel);
    channel->card = *answer;
    memcpy(channel->hostChallenge, hostChallenge, GP_CHALLENGE);
    return answer->scp == 2 ? gp_scp02_start(channel, keys) : gp_scp03_start(channel, keys);
}

int gp_level_offered(const GpChannel *channel, uint8_t level)
{
    int rMac = (level & GP_LEVEL_R_MAC) != 0;
    switch (level) {
    case 0x00:
    case GP_LEVEL_C_MAC:
    case GP_LEVEL_C_MAC | GP_LEVEL_C_DEC:
        return 1;
    case GP_LEVEL_C_MAC | GP_LEVEL_R_MAC:
    case GP_LEVEL_C_MAC | GP_LEVEL_C_DEC | GP_LEVEL_R_MAC:
    case GP_LEVEL_C_MAC | GP_LEVEL_C_DEC | GP_LEVEL_R_MAC | GP_LEVEL_R_ENC:
        /* SCP03's i: 20 R-MAC, 40 R-ENC as well. This host keeps SCP02
         * to the command side. */
        if (channel->card.scp != 3 || (rMac && (channel->card.i & 0x20) == 0))
            return 0;
        return (level & GP_LEVEL_R_ENC) == 0 || (channel->card.i & 0x40) != 0;
    default:
        return 0;
    }
}

GpStatus gp_channel_authenticate(GpChannel *channel, uint8_t level, uint8_t out[5 + 2 * GP_MAC])
{
    if (!gp_level_offered(channel, level))
        return GP_LEVEL;
    return channel->card.scp == 2 ? gp_scp02_authenticate(channel, level, out)
                                  : gp_scp03_authenticate(channel, level, out);
}

int gp_parse_command(const uint8_t *c, size_t length, GpCommand *out)
{
    memset(out, 0, sizeof *out);
    if (length < 4)
        return 0;
    memcpy(out->header, c, 4);
    if (length == 4)
        return 1;
    if (length == 5) {
        out->hasLe = 1;
        out->le = c[4];
        return 1;
    }
    size_t lc = c[4];
    if (lc == 0 || (length != 5 + lc && length != 6 + lc))
        return 0;
    out->data = c + 5;
    out->dataLength = lc;
    out->hasLe = length == 6 + lc;
    out->le = out->hasLe ? c[length - 1] : 0;
    return 1;
}

GpStatus gp_channel_wrap(GpChannel *channel, const uint8_t *command, size_t length, uint8_t *out, size_t *outLength)
{
    GpCommand parsed;
    if (!gp_parse_command(command, length, &parsed))
        return GP_MALFORMED;
    return channel->card.scp == 2 ? gp_scp02_wrap(channel, &parsed, out, outLength)
                                  : gp_scp03_wrap(channel, &parsed, out, outLength);
}

GpStatus gp_channel_unwrap(GpChannel *channel, uint8_t *data, size_t *length, uint16_t sw)
{
    if (channel->card.scp == 2)
        return GP_OK; /* no R-MAC on SCP02 here */
    return gp_scp03_unwrap(channel, data, length, sw);
}

GpStatus gp_put_plain(const GpCommand *command, uint8_t *out, size_t *outLength)
{
    size_t n = 4;
    memcpy(out, command->header, 4);
    if (command->dataLength > 0) {
        out[n++] = (uint8_t)command->dataLength;
        memcpy(out + n, command->data, command->dataLength);
        n += command->dataLength;
    }
    if (command->hasLe)
        out[n++] = command->le;
    *outLength = n;
    return GP_OK;
}

GpStatus gp_put_wrapped(const GpCommand *command, const uint8_t *body, size_t bodyLength, const uint8_t *mac,
                        uint8_t *out, size_t *outLength)
{
    if (bodyLength + GP_MAC > GP_MAX_DATA)
        return GP_TOO_LONG;
    memcpy(out, command->header, 4);
    out[0] |= 0x04;
    out[4] = (uint8_t)(bodyLength + GP_MAC);
    if (bodyLength > 0)
        memcpy(out + 5, body, bodyLength);
    memcpy(out + 5 + bodyLength, mac, GP_MAC);
    size_t n = 5 + bodyLength + GP_MAC;
    /* The answer may grow by an R-MAC: Le 00, whatever Le was. */
    if (command->hasLe)
        out[n++] = 0x00;
    *outLength = n;
    return GP_OK;
}
