/*
 * gp_values.h - the module's value types: GPSESSION, an open secure
 * channel shared by every copy of the value (copies are references: a
 * command sent through one moves the MAC chain of all), and GPENTRY, one
 * entry of a GET STATUS listing.
 */
#ifndef GP_VALUES_H
#define GP_VALUES_H

#include <pelorn.h>

#include "gp_channel.h"
#include "gp_names.h"

typedef struct GpSession {
    int32_t references;
    GpChannel channel;
    ScriptValue reader; /* a reader value, or untyped: the current reader */
} GpSession;

/* The codes the engine gave the two types (gp_module.c keeps them). */
int32_t gp_session_type(void);
int32_t gp_entry_type(void);

/* A new session value holding the channel and, when given, the reader.
 * Throws when out of memory (the caller owns nothing then). */
void gp_make_session(ScriptValue *out, const GpChannel *channel, const ScriptValue *reader, const char *routine);
int gp_is_session(const ScriptValue *value);
GpSession *gp_session_of(const ScriptValue *value);

/* An entry value for one E3 template of a listing; 0 when out of memory. */
int gp_make_entry(ScriptValue *out, GpKind kind, const uint8_t *encoded, size_t length);

/* Plain engine values. */
void gp_make_integer(ScriptValue *out, int64_t number);
int gp_make_bytes(ScriptValue *out, const uint8_t *data, size_t length);
int gp_make_text(ScriptValue *out, const char *text, size_t length);

#endif
