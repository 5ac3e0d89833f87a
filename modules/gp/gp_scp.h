/*
 * gp_scp.h - what gp_channel.c asks of each protocol (gp_scp02.c,
 * gp_scp03.c). Internal to the module.
 */
#ifndef GP_SCP_H
#define GP_SCP_H

#include "gp_channel.h"

GpStatus gp_scp02_start(GpChannel *channel, const GpKeys *keys);
GpStatus gp_scp02_authenticate(GpChannel *channel, uint8_t level, uint8_t *out);
GpStatus gp_scp02_wrap(GpChannel *channel, const GpCommand *command, uint8_t *out, size_t *outLength);

GpStatus gp_scp03_start(GpChannel *channel, const GpKeys *keys);
GpStatus gp_scp03_authenticate(GpChannel *channel, uint8_t level, uint8_t *out);
GpStatus gp_scp03_wrap(GpChannel *channel, const GpCommand *command, uint8_t *out, size_t *outLength);
GpStatus gp_scp03_unwrap(GpChannel *channel, uint8_t *data, size_t *length, uint16_t sw);

/* Writes the wrapped command: the class with secure messaging, INS P1 P2,
 * Lc of body and MAC, the body, the MAC, and Le 00 when the command had
 * one. */
GpStatus gp_put_wrapped(const GpCommand *command, const uint8_t *body, size_t bodyLength, const uint8_t *mac,
                        uint8_t *out, size_t *outLength);

/* Writes the command as it is (no secure messaging at this level). */
GpStatus gp_put_plain(const GpCommand *command, uint8_t *out, size_t *outLength);

#endif
