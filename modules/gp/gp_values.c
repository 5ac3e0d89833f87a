/*
 * gp_values.c - the GPSESSION and GPENTRY value types: payloads, hooks and
 * properties.
 */
#include "gp_values.h"

#include "gp_messages.h"
#include "gp_throw.h"

#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <tlv_codec.h>

/* ---- plain values ------------------------------------------------------ */

static void make_plain(ScriptValue *out, int32_t type)
{
    memset(out, 0, sizeof *out);
    out->type = type;
    out->getProperty = GetField;
    out->setProperty = SetField;
}

void gp_make_integer(ScriptValue *out, int64_t number)
{
    make_plain(out, PELORN_INTEGER);
    out->u.integer = number;
}

int gp_make_bytes(ScriptValue *out, const uint8_t *data, size_t length)
{
    uint8_t *copy = zalloc((int32_t)length);
    if (copy == NULL)
        return 0;
    if (length > 0)
        memcpy(copy, data, length);
    make_plain(out, PELORN_BYTEARRAY);
    out->u.bytes.data = copy;
    out->u.bytes.length = (int32_t)length;
    return 1;
}

int gp_make_text(ScriptValue *out, const char *text, size_t length)
{
    char *copy = zalloc((int32_t)length);
    if (copy == NULL)
        return 0;
    memcpy(copy, text, length);
    copy[length] = '\0';
    make_plain(out, PELORN_STRING);
    out->u.string.first.text = copy;
    out->u.string.length = (uint32_t)length;
    return 1;
}

/* A property result the engine could not allocate: thrown as such. */
static int32_t made(int ok, const char *type)
{
    if (!ok)
        gp_throw(GP_NO_MEMORY, type);
    return 0;
}

/* Both types are read-only: a known name is 2, any other 1. */
static int32_t read_only(const char *name, const char *const *names)
{
    for (; *names != NULL; names++)
        if (strcasecmp(name, *names) == 0)
            return 2;
    return 1;
}

/* ---- GPSESSION --------------------------------------------------------- */

static const char *const kSessionProperties[] = {
    "protocol", "i", "level", "keyVersion", "kdd", "hostChallenge", "cardChallenge", "sequenceCounter",
    "sessionEnc", "sessionMac", "sessionRmac", "sessionDek", "string", NULL};

static int32_t session_get(ScriptValue *value, const char *name, ScriptValue *out);

static int32_t session_set(ScriptValue *value, const char *name, ScriptValue *newValue)
{
    (void)value;
    (void)newValue;
    return read_only(name, kSessionProperties);
}

static void session_release(ScriptValue *value)
{
    GpSession *session = (GpSession *)value->u.bytes.data;
    memset(value, 0, sizeof *value);
    if (session == NULL || --session->references > 0)
        return;
    FreeValue(&session->reader);
    memset(&session->channel, 0, sizeof session->channel); /* keys do not linger in freed memory */
    zfree(session);
}

static uint8_t session_copy(ScriptValue *destination, ScriptValue *source)
{
    GpSession *session = (GpSession *)source->u.bytes.data;
    session->references++;
    destination->u.bytes.data = (uint8_t *)session;
    destination->u.bytes.length = 0;
    return 1;
}

int gp_is_session(const ScriptValue *value)
{
    return value->type >= PELORN_FIRST_MODULE_TYPE && value->getProperty == session_get;
}

GpSession *gp_session_of(const ScriptValue *value)
{
    return (GpSession *)value->u.bytes.data;
}

void gp_make_session(ScriptValue *out, const GpChannel *channel, const ScriptValue *reader, const char *routine)
{
    GpSession *session = zalloc((int32_t)sizeof *session);
    if (session == NULL)
        gp_throw(GP_NO_MEMORY, routine);
    session->references = 1;
    session->channel = *channel;
    if (reader != NULL)
        reader->copy(&session->reader, (ScriptValue *)reader);
    memset(out, 0, sizeof *out);
    out->type = gp_session_type();
    out->u.bytes.data = (uint8_t *)session;
    out->getProperty = session_get;
    out->setProperty = session_set;
    out->release = session_release;
    out->copy = session_copy;
}

static int32_t session_get(ScriptValue *value, const char *name, ScriptValue *out)
{
    const GpChannel *c = &gp_session_of(value)->channel;
    const GpAnswer *card = &c->card;
    size_t keys = c->keyLength;
    if (strcasecmp(name, "protocol") == 0) {
        gp_make_integer(out, card->scp);
    } else if (strcasecmp(name, "i") == 0) {
        gp_make_integer(out, card->scp == 3 ? card->i : -1);
    } else if (strcasecmp(name, "level") == 0) {
        gp_make_integer(out, c->level);
    } else if (strcasecmp(name, "keyVersion") == 0) {
        gp_make_integer(out, card->keyVersion);
    } else if (strcasecmp(name, "kdd") == 0) {
        return made(gp_make_bytes(out, card->kdd, GP_KDD), "GPSESSION");
    } else if (strcasecmp(name, "hostChallenge") == 0) {
        return made(gp_make_bytes(out, c->hostChallenge, GP_CHALLENGE), "GPSESSION");
    } else if (strcasecmp(name, "cardChallenge") == 0) {
        return made(gp_make_bytes(out, card->cardChallenge, card->cardChallengeLength), "GPSESSION");
    } else if (strcasecmp(name, "sequenceCounter") == 0) {
        return made(gp_make_bytes(out, card->counter, card->counterLength), "GPSESSION");
    } else if (strcasecmp(name, "sessionEnc") == 0) {
        return made(gp_make_bytes(out, c->sessionEnc, keys), "GPSESSION");
    } else if (strcasecmp(name, "sessionMac") == 0) {
        return made(gp_make_bytes(out, c->sessionMac, keys), "GPSESSION");
    } else if (strcasecmp(name, "sessionRmac") == 0) {
        return made(gp_make_bytes(out, c->sessionRmac, card->scp == 3 ? keys : 0), "GPSESSION");
    } else if (strcasecmp(name, "sessionDek") == 0) {
        return made(gp_make_bytes(out, c->sessionDek, keys), "GPSESSION");
    } else if (strcasecmp(name, "string") == 0) {
        char text[64];
        int n = card->scp == 3 ? snprintf(text, sizeof text, "SCP03 i=%02X, key version %02X, level %02X", card->i,
                                          card->keyVersion, c->level)
                               : snprintf(text, sizeof text, "SCP02, key version %02X, level %02X", card->keyVersion,
                                          c->level);
        return made(gp_make_text(out, text, (size_t)n), "GPSESSION");
    } else {
        return 1;
    }
    return 0;
}

/* ---- GPENTRY ----------------------------------------------------------- */
/* The payload is one block: the kind, then the entry's E3 template as the
 * card sent it (checked when the value was made). */

static const char *const kEntryProperties[] = {"kind", "aid", "state", "stateName", "privileges", "privilegeNames",
                                               "loadFile", "domain", "version", "modules", "string", NULL};

static int32_t entry_get(ScriptValue *value, const char *name, ScriptValue *out);

static int32_t entry_set(ScriptValue *value, const char *name, ScriptValue *newValue)
{
    (void)value;
    (void)newValue;
    return read_only(name, kEntryProperties);
}

static void entry_release(ScriptValue *value)
{
    zfree(value->u.bytes.data);
    memset(value, 0, sizeof *value);
}

static uint8_t entry_copy(ScriptValue *destination, ScriptValue *source)
{
    size_t length = (size_t)source->u.bytes.length;
    uint8_t *copy = zalloc((int32_t)length);
    if (copy == NULL)
        return 0;
    memcpy(copy, source->u.bytes.data, length);
    destination->u.bytes.data = copy;
    destination->u.bytes.length = (int32_t)length;
    return 1;
}

int gp_make_entry(ScriptValue *out, GpKind kind, const uint8_t *encoded, size_t length)
{
    uint8_t *block = zalloc((int32_t)(length + 1));
    if (block == NULL)
        return 0;
    block[0] = (uint8_t)kind;
    memcpy(block + 1, encoded, length);
    memset(out, 0, sizeof *out);
    out->type = gp_entry_type();
    out->u.bytes.data = block;
    out->u.bytes.length = (int32_t)(length + 1);
    out->getProperty = entry_get;
    out->setProperty = entry_set;
    out->release = entry_release;
    out->copy = entry_copy;
    return 1;
}

/* The value of a tag in the entry's template, or null. */
static const uint8_t *field(const ScriptValue *value, uint32_t tag, size_t *length)
{
    TlvObject outer, found;
    size_t position = 0;
    tlv_read(value->u.bytes.data + 1, (size_t)value->u.bytes.length - 1, &position, &outer);
    if (!tlv_find(outer.value, outer.length, tag, &found)) {
        *length = 0;
        return NULL;
    }
    *length = found.length;
    return found.value;
}

static int32_t bytes_of(const ScriptValue *value, uint32_t tag, ScriptValue *out)
{
    size_t length;
    const uint8_t *data = field(value, tag, &length);
    return made(gp_make_bytes(out, data, length), "GPENTRY");
}

static uint8_t state_of(const ScriptValue *value)
{
    size_t length;
    const uint8_t *state = field(value, 0x9F70, &length);
    return length > 0 ? state[0] : 0;
}

/* The executable modules of a load file: every 84 in the template. */
static int32_t modules_of(const ScriptValue *value, ScriptValue *out)
{
    TlvObject outer, item;
    size_t position = 0;
    tlv_read(value->u.bytes.data + 1, (size_t)value->u.bytes.length - 1, &position, &outer);
    ArrayElement *head = NULL, **tail = &head;
    position = 0;
    while (tlv_read(outer.value, outer.length, &position, &item) == TLV_OK) {
        if (item.tag != 0x84)
            continue;
        ArrayElement *element = zalloc((int32_t)sizeof *element);
        if (element == NULL || !gp_make_bytes(&element->value, item.value, item.length)) {
            zfree(element);
            make_plain(out, PELORN_ARRAY);
            out->u.array = head;
            FreeValue(out);
            gp_throw(GP_NO_MEMORY, "GPENTRY");
        }
        *tail = element;
        tail = &element->next;
    }
    make_plain(out, PELORN_ARRAY);
    out->u.array = head;
    return 0;
}

/* "AID kind state[, privileges P][, version V]". */
static int32_t entry_text(const ScriptValue *value, ScriptValue *out)
{
    GpKind kind = (GpKind)value->u.bytes.data[0];
    size_t aidLength, privilegesLength, versionLength;
    const uint8_t *aid = field(value, 0x4F, &aidLength);
    const uint8_t *privileges = field(value, 0xC5, &privilegesLength);
    const uint8_t *version = field(value, 0xCE, &versionLength);
    char aidText[2 * 16 + 1] = "", privilegesText[2 * 3 + 1] = "", versionText[2 * 8 + 1] = "";
    htoa(aidText, aid, (uint32_t)(aidLength > 16 ? 16 : aidLength), 0);
    htoa(privilegesText, privileges, (uint32_t)(privilegesLength > 3 ? 3 : privilegesLength), 0);
    htoa(versionText, version, (uint32_t)(versionLength > 8 ? 8 : versionLength), 0);
    char text[160];
    int n = snprintf(text, sizeof text, "%s %s %s%s%s%s%s", aidText, gp_kind_name(kind),
                     gp_state_name(kind, state_of(value)), privilegesLength > 0 ? ", privileges " : "",
                     privilegesText, versionLength > 0 ? ", version " : "", versionText);
    return made(gp_make_text(out, text, (size_t)n < sizeof text ? (size_t)n : sizeof text - 1), "GPENTRY");
}

static int32_t entry_get(ScriptValue *value, const char *name, ScriptValue *out)
{
    GpKind kind = (GpKind)value->u.bytes.data[0];
    if (strcasecmp(name, "kind") == 0) {
        const char *text = gp_kind_name(kind);
        return made(gp_make_text(out, text, strlen(text)), "GPENTRY");
    }
    if (strcasecmp(name, "aid") == 0)
        return bytes_of(value, 0x4F, out);
    if (strcasecmp(name, "state") == 0) {
        gp_make_integer(out, state_of(value));
        return 0;
    }
    if (strcasecmp(name, "stateName") == 0) {
        const char *text = gp_state_name(kind, state_of(value));
        return made(gp_make_text(out, text, strlen(text)), "GPENTRY");
    }
    if (strcasecmp(name, "privileges") == 0)
        return bytes_of(value, 0xC5, out);
    if (strcasecmp(name, "privilegeNames") == 0) {
        size_t length;
        const uint8_t *privileges = field(value, 0xC5, &length);
        char text[512];
        size_t n = gp_privilege_names(privileges, length, text, sizeof text);
        return made(gp_make_text(out, text, n < sizeof text ? n : sizeof text - 1), "GPENTRY");
    }
    if (strcasecmp(name, "loadFile") == 0)
        return bytes_of(value, 0xC4, out);
    if (strcasecmp(name, "domain") == 0)
        return bytes_of(value, 0xCC, out);
    if (strcasecmp(name, "version") == 0)
        return bytes_of(value, 0xCE, out);
    if (strcasecmp(name, "modules") == 0)
        return modules_of(value, out);
    if (strcasecmp(name, "string") == 0)
        return entry_text(value, out);
    return 1;
}
