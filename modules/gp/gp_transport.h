/*
 * gp_transport.h - one command and its whole answer through the engine's
 * exchange (TransmitAPDU: protocol adaptation, __SW and __Response as
 * SendAPDU sets them): GET RESPONSE after 61xx, the command again with the
 * right Le after 6Cxx.
 */
#ifndef GP_TRANSPORT_H
#define GP_TRANSPORT_H

#include <pelorn.h>

#include <stddef.h>
#include <stdint.h>

/* The longest answer gathered for one command. */
#define GP_MAX_ANSWER 65536

typedef struct GpReply {
    uint8_t *data;       /* in the module's answer buffer, valid until the next exchange */
    size_t length;
    uint16_t sw;
} GpReply;

/* Sends the command to the reader; every failure is thrown (the engine's
 * texts, or the routine's name with the module's), so the caller must own
 * nothing on the heap while it runs. */
GpReply gp_exchange(const char *routine, ReaderEntry *reader, const uint8_t *command, size_t length);

/* The reader a routine sends through: the one given, or the current one
 * (thrown when there is none). */
ReaderEntry *gp_reader(const char *routine, const ScriptValue *given);

#endif
