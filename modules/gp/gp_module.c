/*
 * gp_module.c - use "gp": GlobalPlatform secure channels and card content
 * management from scripts.
 *
 *   fci = GpSelect(GP_ISD)                        SELECT by AID
 *   sc = GpOpen(GP_DEFAULT_KEY, GP_C_MAC)         INITIALIZE UPDATE, card cryptogram,
 *                                                 EXTERNAL AUTHENTICATE (SCP02 or SCP03,
 *                                                 as the card answers)
 *   sw = GpSend(sc, <80 CA 00 66 00>, data)       one command wrapped, its answer unwrapped
 *   apps = GpGetStatus(sc, GP_STATUS_APPLICATIONS)  GPENTRY values
 *   GpDelete(sc, aid)
 *   keys = GpDiversifyEmv(kmc, sc.kdd)            EMV CPS 1.1 (and GpDiversifyVisa2)
 *
 * Wrong argument types are reported through the engine's message routine
 * and answered with the bad-arguments code; card refusals, wrong keys and
 * broken responses are thrown as text.
 */
#include <pelorn.h>

#include "gp_channel.h"
#include "gp_diversify.h"
#include "gp_messages.h"
#include "gp_throw.h"
#include "gp_transport.h"
#include "gp_values.h"

#include <card_crypto.h>
#include <stdio.h>
#include <string.h>
#include <tlv_codec.h>

#define MAX_AID 16
/* A whole GET STATUS listing, every page of it. */
#define MAX_LISTING 65536
/* A routine name, an AID and a status word. */
#define AID_TEXT_SIZE (2 * MAX_AID + 1)

static PrintfLikeFn writeMessage;

enum {
    ENTRY_SESSION_TYPE,
    ENTRY_ENTRY_TYPE,
    ENTRY_SELECT,
    ENTRY_OPEN,
    ENTRY_SEND,
    ENTRY_GET_STATUS,
    ENTRY_DELETE,
    ENTRY_DIVERSIFY_EMV,
    ENTRY_DIVERSIFY_VISA2,
    ENTRY_DEFAULT_KEY,
    ENTRY_ISD,
    FIRST_INTEGER_CONSTANT
};

/* Integer constants: levels, GET STATUS kinds, diversifications. */
static const struct {
    const char *name;
    int64_t value;
} kIntegers[] = {
    {"GP_C_MAC", GP_LEVEL_C_MAC},
    {"GP_C_DEC", GP_LEVEL_C_DEC},
    {"GP_R_MAC", GP_LEVEL_R_MAC},
    {"GP_R_ENC", GP_LEVEL_R_ENC},
    {"GP_STATUS_ISD", 0x80},
    {"GP_STATUS_APPLICATIONS", 0x40},
    {"GP_STATUS_LOAD_FILES", 0x20},
    {"GP_STATUS_MODULES", 0x10},
    {"GP_DIVERSIFY_NONE", GP_DIVERSIFY_NONE},
    {"GP_DIVERSIFY_EMV", GP_DIVERSIFY_EMV},
    {"GP_DIVERSIFY_VISA2", GP_DIVERSIFY_VISA2},
};
#define INTEGER_COUNT (sizeof kIntegers / sizeof kIntegers[0])
#define ENTRY_COUNT (FIRST_INTEGER_CONSTANT + INTEGER_COUNT)

static SymbolEntry symbols[ENTRY_COUNT];

static const uint8_t kDefaultKey[16] = {0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47,
                                        0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F};
static const uint8_t kIsd[8] = {0xA0, 0x00, 0x00, 0x01, 0x51, 0x00, 0x00, 0x00};

/* Module data, so that no listing is allocated while a throw may come. */
static uint8_t listing[MAX_LISTING];

int32_t gp_session_type(void)
{
    return symbols[ENTRY_SESSION_TYPE].b.typeCode;
}

int32_t gp_entry_type(void)
{
    return symbols[ENTRY_ENTRY_TYPE].b.typeCode;
}

static int32_t bad_arguments(const char *routine, const char *prototypes)
{
    if (writeMessage != NULL)
        writeMessage(GP_BAD_ARGUMENTS, routine, prototypes);
    return PELORN_BAD_ARGUMENTS;
}

static int is_bytes(const ScriptValue *v)
{
    return v->type == PELORN_BYTEARRAY;
}

static int is_reader(const ScriptValue *v)
{
    return v->type == PELORN_READER && v->u.reader != NULL;
}

static void aid_text(const uint8_t *aid, size_t length, char out[AID_TEXT_SIZE])
{
    htoa(out, aid, (uint32_t)(length > MAX_AID ? MAX_AID : length), 0);
}

static void check_aid(const char *routine, const ScriptValue *aid)
{
    if (aid->u.bytes.length < 1 || aid->u.bytes.length > MAX_AID)
        gp_throw(GP_AID_LENGTH, routine);
}

/* The reader a session sends through: its own, or the current one. */
static ReaderEntry *session_reader(const char *routine, GpSession *session)
{
    return gp_reader(routine, session->reader.type == PELORN_READER ? &session->reader : NULL);
}

/* One command through the session: wrapped, sent, its answer unwrapped in
 * the answer buffer. */
static GpReply secured_exchange(const char *routine, GpSession *session, const uint8_t *command, size_t length)
{
    uint8_t wrapped[GP_MAX_WRAPPED];
    size_t wrappedLength;
    switch (gp_channel_wrap(&session->channel, command, length, wrapped, &wrappedLength)) {
    case GP_OK:
        break;
    case GP_TOO_LONG:
        gp_throw(GP_TOO_LONG_COMMAND, routine, length > 5 ? command[4] : 0);
    case GP_MALFORMED:
        gp_throw(GP_MALFORMED_COMMAND, routine);
    default:
        gp_throw(GP_CRYPTO_TEXT, routine);
    }
    GpReply reply = gp_exchange(routine, session_reader(routine, session), wrapped, wrappedLength);
    switch (gp_channel_unwrap(&session->channel, reply.data, &reply.length, reply.sw)) {
    case GP_OK:
        return reply;
    case GP_R_MAC:
        gp_throw(GP_R_MAC_TEXT, routine);
    case GP_R_PADDING:
        gp_throw(GP_R_PADDING_TEXT, routine);
    default:
        gp_throw(GP_CRYPTO_TEXT, routine);
    }
}

/* ---- GpSelect ----------------------------------------------------------- */

/* function GpSelect([reader,] aid): SELECT by AID; the FCI, or thrown. */
static int32_t gp_select(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    const ScriptValue *reader = count == 2 ? &arguments[0].value : NULL;
    const ScriptValue *aid = count >= 1 && count <= 2 ? &arguments[count - 1].value : NULL;
    if (aid == NULL || !is_bytes(aid) || (reader != NULL && !is_reader(reader)))
        return bad_arguments("GpSelect", GP_PROTOTYPES_SELECT);
    check_aid("GpSelect", aid);
    uint8_t command[5 + MAX_AID + 1] = {0x00, 0xA4, 0x04, 0x00, (uint8_t)aid->u.bytes.length};
    memcpy(command + 5, aid->u.bytes.data, (size_t)aid->u.bytes.length);
    command[5 + aid->u.bytes.length] = 0x00;
    GpReply reply = gp_exchange("GpSelect", gp_reader("GpSelect", reader), command, 6 + (size_t)aid->u.bytes.length);
    if (reply.sw != 0x9000) {
        char text[AID_TEXT_SIZE];
        aid_text(aid->u.bytes.data, (size_t)aid->u.bytes.length, text);
        gp_throw(GP_NOT_SELECTED, "GpSelect", text, reply.sw);
    }
    if (!gp_make_bytes(result, reply.data, reply.length))
        gp_throw(GP_NO_MEMORY, "GpSelect");
    return PELORN_OK;
}

/* ---- GpOpen ------------------------------------------------------------- */

/* The static keys: one byte array for all three, or an array of three of
 * the same length. 0 when the value is neither. */
static int read_keys(const ScriptValue *value, GpKeys *keys, int *single)
{
    memset(keys, 0, sizeof *keys);
    uint8_t *targets[3] = {keys->enc, keys->mac, keys->dek};
    const ScriptValue *parts[3];
    *single = value->type == PELORN_BYTEARRAY;
    if (*single) {
        parts[0] = parts[1] = parts[2] = value;
    } else if (value->type == PELORN_ARRAY) {
        const ArrayElement *e = value->u.array;
        for (int n = 0; n < 3; n++, e = e->next) {
            if (e == NULL)
                return 0;
            parts[n] = &e->value;
        }
        if (e != NULL)
            return 0;
    } else {
        return 0;
    }
    for (int n = 0; n < 3; n++) {
        if (!is_bytes(parts[n]) || parts[n]->u.bytes.length < 1 || parts[n]->u.bytes.length > GP_MAX_KEY ||
            parts[n]->u.bytes.length != parts[0]->u.bytes.length)
            return 0;
        memcpy(targets[n], parts[n]->u.bytes.data, (size_t)parts[n]->u.bytes.length);
    }
    keys->length = (size_t)parts[0]->u.bytes.length;
    return 1;
}

static int known_level(int64_t level)
{
    return level == 0x00 || level == 0x01 || level == 0x03 || level == 0x11 || level == 0x13 || level == 0x33;
}

/* function GpOpen([reader,] keys, level [, keyVersion [, diversification]]) */
static int32_t gp_open(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    const char *routine = "GpOpen";
    uint32_t first = count > 0 && is_reader(&arguments[0].value) ? 1 : 0;
    uint32_t given = count - first;
    GpKeys keys;
    int single = 0;
    if (given < 2 || given > 4 || !read_keys(&arguments[first].value, &keys, &single))
        return bad_arguments(routine, GP_PROTOTYPES_OPEN);
    for (uint32_t n = first + 1; n < count; n++)
        if (arguments[n].value.type != PELORN_INTEGER)
            return bad_arguments(routine, GP_PROTOTYPES_OPEN);
    int64_t level = arguments[first + 1].value.u.integer;
    int64_t keyVersion = given >= 3 ? arguments[first + 2].value.u.integer : 0;
    int64_t diversification = given >= 4 ? arguments[first + 3].value.u.integer : GP_DIVERSIFY_NONE;
    const ScriptValue *readerValue = first == 1 ? &arguments[0].value : NULL;
    if (!known_level(level))
        gp_throw(GP_LEVEL_VALUES, routine, (int)level);
    if (keyVersion < 0 || keyVersion > 255)
        gp_throw(GP_KEY_VERSION_VALUE, routine, (int)keyVersion);
    if (diversification < GP_DIVERSIFY_NONE || diversification > GP_DIVERSIFY_VISA2)
        gp_throw(GP_DIVERSIFICATION_VALUE, routine, (int)diversification);
    if (diversification != GP_DIVERSIFY_NONE && (!single || !card_key_fits(CARD_CIPHER_TDES, keys.length)))
        gp_throw(GP_DIVERSIFY_KEY, routine);
    ReaderEntry *reader = gp_reader(routine, readerValue);

    /* INITIALIZE UPDATE */
    uint8_t command[5 + GP_CHALLENGE + 1] = {0x80, 0x50, (uint8_t)keyVersion, 0x00, GP_CHALLENGE};
    uint8_t hostChallenge[GP_CHALLENGE];
    if (card_random(hostChallenge, sizeof hostChallenge) != 0)
        gp_throw(GP_CRYPTO_TEXT, routine);
    memcpy(command + 5, hostChallenge, GP_CHALLENGE);
    command[5 + GP_CHALLENGE] = 0x00;
    GpReply reply = gp_exchange(routine, reader, command, sizeof command);
    if (reply.sw != 0x9000)
        gp_throw(GP_REFUSED, routine, "INITIALIZE UPDATE", reply.sw);
    GpAnswer answer;
    if (gp_read_answer(reply.data, reply.length, &answer) != GP_OK)
        gp_throw(GP_BAD_ANSWER_TEXT, routine, (int)reply.length);
    if (diversification != GP_DIVERSIFY_NONE) {
        uint8_t master[GP_MAX_KEY];
        size_t masterLength = keys.length;
        memcpy(master, keys.enc, masterLength);
        if (gp_diversify((GpDiversification)diversification, master, masterLength, answer.kdd, &keys) != 0)
            gp_throw(GP_CRYPTO_TEXT, routine);
    }

    /* The card cryptogram, then EXTERNAL AUTHENTICATE */
    GpChannel channel;
    switch (gp_channel_start(&channel, &answer, hostChallenge, &keys)) {
    case GP_OK:
        break;
    case GP_BAD_KEYS:
        gp_throw(GP_KEY_LENGTHS, routine, answer.scp, answer.scp == 2 ? "16-byte" : "16-, 24- or 32-byte",
                 (int)keys.length);
    case GP_CRYPTOGRAM:
        gp_throw(GP_WRONG_KEYS, routine, answer.keyVersion, answer.scp);
    default:
        gp_throw(GP_CRYPTO_TEXT, routine);
    }
    memset(&keys, 0, sizeof keys);
    uint8_t authenticate[5 + 2 * GP_MAC];
    if (gp_channel_authenticate(&channel, (uint8_t)level, authenticate) != GP_OK) {
        char i[8] = "";
        if (answer.scp == 3)
            snprintf(i, sizeof i, " i=%02X", answer.i);
        gp_throw(GP_LEVEL_TEXT, routine, answer.scp, i, (unsigned)level);
    }
    reply = gp_exchange(routine, reader, authenticate, sizeof authenticate);
    if (reply.sw != 0x9000)
        gp_throw(GP_REFUSED, routine, "EXTERNAL AUTHENTICATE", reply.sw);
    gp_make_session(result, &channel, readerValue, routine);
    memset(&channel, 0, sizeof channel);
    return PELORN_OK;
}

/* ---- GpSend ------------------------------------------------------------- */

/* function GpSend(session, command [, response]): the status word; the
 * unwrapped response data go to the third argument. */
static int32_t gp_send(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    const char *routine = "GpSend";
    if (count < 2 || count > 3 || !gp_is_session(&arguments[0].value) ||
        (!is_bytes(&arguments[1].value) && arguments[1].value.type != PELORN_STRING))
        return bad_arguments(routine, GP_PROTOTYPES_SEND);
    uint8_t command[5 + GP_MAX_DATA + 1];
    size_t length;
    ScriptValue parsed;
    const ScriptValue *bytes = &arguments[1].value;
    memset(&parsed, 0, sizeof parsed);
    if (bytes->type == PELORN_STRING) {
        parsed = stringToBytearray2(&bytes->u.string);
        bytes = &parsed;
    }
    int fits = is_bytes(bytes) && (size_t)bytes->u.bytes.length <= sizeof command;
    int wellFormed = is_bytes(bytes);
    length = fits ? (size_t)bytes->u.bytes.length : 0;
    if (fits && length > 0)
        memcpy(command, bytes->u.bytes.data, length);
    FreeValue(&parsed);
    if (!wellFormed)
        gp_throw(GP_INVALID_HEX, routine);
    if (!fits)
        gp_throw(GP_MALFORMED_COMMAND, routine);
    GpReply reply = secured_exchange(routine, gp_session_of(&arguments[0].value), command, length);
    if (count == 3) {
        ScriptValue data;
        if (!gp_make_bytes(&data, reply.data, reply.length))
            gp_throw(GP_NO_MEMORY, routine);
        FreeValue(&arguments[2].value);
        arguments[2].value = data;
    }
    gp_make_integer(result, reply.sw);
    return PELORN_OK;
}

/* ---- GpGetStatus -------------------------------------------------------- */

static GpKind kind_of(uint8_t p1, const TlvObject *entry)
{
    if (p1 == 0x80)
        return GP_KIND_ISD;
    if (p1 == 0x20 || p1 == 0x10)
        return GP_KIND_LOAD_FILE;
    TlvObject privileges;
    if (tlv_find(entry->value, entry->length, 0xC5, &privileges) && privileges.length > 0 &&
        (privileges.value[0] & 0x80) != 0)
        return GP_KIND_DOMAIN;
    return GP_KIND_APPLICATION;
}

/* The E3 templates of the listing as an array of GPENTRY values. */
/* Hands the chain built so far to the script as an array; when building it
 * ran out of memory, frees it and throws instead. */
static void give_array(ScriptValue *result, ArrayElement *head, int failed, const char *routine)
{
    memset(result, 0, sizeof *result);
    result->type = PELORN_ARRAY;
    result->getProperty = GetField;
    result->setProperty = SetField;
    result->u.array = head;
    if (failed) {
        FreeValue(result);
        gp_throw(GP_NO_MEMORY, routine);
    }
}

static void make_entries(const char *routine, uint8_t p1, size_t size, ScriptValue *result)
{
    TlvError error;
    if (!tlv_check(listing, size, &error))
        gp_throw(GP_STATUS_MALFORMED, routine, error.offset, tlv_status_text(error.status));
    ArrayElement *head = NULL, **tail = &head;
    size_t position = 0;
    TlvObject entry;
    int failed = 0;
    while (!failed && tlv_read(listing, size, &position, &entry) == TLV_OK) {
        if (entry.tag != 0xE3 || !entry.constructed)
            continue;
        ArrayElement *element = zalloc((int32_t)sizeof *element);
        if (element == NULL || !gp_make_entry(&element->value, kind_of(p1, &entry), entry.encoded, entry.encodedLength)) {
            zfree(element);
            failed = 1;
            break;
        }
        *tail = element;
        tail = &element->next;
    }
    give_array(result, head, failed, routine);
}

/* function GpGetStatus(session, kind [, aidPrefix]): every page of GET
 * STATUS in the tagged format, as GPENTRY values; none found is an empty
 * array. */
static int32_t gp_get_status(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    const char *routine = "GpGetStatus";
    if (count < 2 || count > 3 || !gp_is_session(&arguments[0].value) || arguments[1].value.type != PELORN_INTEGER ||
        (count == 3 && !is_bytes(&arguments[2].value)))
        return bad_arguments(routine, GP_PROTOTYPES_STATUS);
    int64_t kind = arguments[1].value.u.integer;
    if (kind != 0x80 && kind != 0x40 && kind != 0x20 && kind != 0x10)
        gp_throw(GP_STATUS_KIND, routine, (int)kind);
    size_t prefix = count == 3 ? (size_t)arguments[2].value.u.bytes.length : 0;
    if (prefix > MAX_AID)
        gp_throw(GP_AID_LENGTH, routine);
    uint8_t command[5 + 2 + MAX_AID + 1] = {0x80, 0xF2, (uint8_t)kind, 0x02, (uint8_t)(2 + prefix), 0x4F,
                                            (uint8_t)prefix};
    if (prefix > 0)
        memcpy(command + 7, arguments[2].value.u.bytes.data, prefix);
    command[7 + prefix] = 0x00;
    GpSession *session = gp_session_of(&arguments[0].value);
    size_t size = 0;
    for (;;) {
        GpReply reply = secured_exchange(routine, session, command, 8 + prefix);
        if (reply.sw == 0x6A88 && size == 0)
            break; /* nothing of the kind */
        if (reply.sw != 0x9000 && reply.sw != 0x6310)
            gp_throw(GP_REFUSED, routine, "GET STATUS", reply.sw);
        if (size + reply.length > sizeof listing)
            gp_throw(GP_STATUS_TOO_LONG, routine, (int)sizeof listing);
        memcpy(listing + size, reply.data, reply.length);
        size += reply.length;
        /* A page without entries would never end the listing. */
        if (reply.sw == 0x9000 || reply.length == 0)
            break;
        command[3] = 0x03; /* the next occurrences */
    }
    make_entries(routine, (uint8_t)kind, size, result);
    return PELORN_OK;
}

/* ---- GpDelete ----------------------------------------------------------- */

/* procedure GpDelete(session, aid [, related]) */
static int32_t gp_delete(uint32_t count, ArgumentSlot *arguments)
{
    const char *routine = "GpDelete";
    if (count < 2 || count > 3 || !gp_is_session(&arguments[0].value) || !is_bytes(&arguments[1].value) ||
        (count == 3 && arguments[2].value.type != PELORN_BOOLEAN))
        return bad_arguments(routine, GP_PROTOTYPES_DELETE);
    const ScriptValue *aid = &arguments[1].value;
    check_aid(routine, aid);
    size_t length = (size_t)aid->u.bytes.length;
    int related = count == 3 && arguments[2].value.u.boolean;
    uint8_t command[5 + 2 + MAX_AID + 1] = {0x80, 0xE4, 0x00, related ? 0x80 : 0x00, (uint8_t)(2 + length), 0x4F,
                                            (uint8_t)length};
    memcpy(command + 7, aid->u.bytes.data, length);
    command[7 + length] = 0x00;
    GpReply reply = secured_exchange(routine, gp_session_of(&arguments[0].value), command, 8 + length);
    if (reply.sw != 0x9000) {
        char what[16 + AID_TEXT_SIZE];
        char text[AID_TEXT_SIZE];
        aid_text(aid->u.bytes.data, length, text);
        snprintf(what, sizeof what, "DELETE of %s", text);
        gp_throw(GP_REFUSED, routine, what, reply.sw);
    }
    return PELORN_OK;
}

/* ---- key diversification ------------------------------------------------ */

static int32_t diversify(const char *routine, GpDiversification how, uint32_t count, ArgumentSlot *arguments,
                         ScriptValue *result)
{
    char prototypes[sizeof GP_PROTOTYPES_DIVERSIFY + 32];
    snprintf(prototypes, sizeof prototypes, GP_PROTOTYPES_DIVERSIFY, routine);
    if (count != 2 || !is_bytes(&arguments[0].value) || !is_bytes(&arguments[1].value) ||
        !card_key_fits(CARD_CIPHER_TDES, (size_t)arguments[0].value.u.bytes.length) ||
        arguments[1].value.u.bytes.length != GP_KDD)
        return bad_arguments(routine, prototypes);
    GpKeys keys;
    if (gp_diversify(how, arguments[0].value.u.bytes.data, (size_t)arguments[0].value.u.bytes.length,
                     arguments[1].value.u.bytes.data, &keys) != 0)
        gp_throw(GP_CRYPTO_TEXT, routine);
    const uint8_t *parts[3] = {keys.enc, keys.mac, keys.dek};
    ArrayElement *head = NULL, **tail = &head;
    int failed = 0;
    for (int n = 0; n < 3 && !failed; n++) {
        ArrayElement *element = zalloc((int32_t)sizeof *element);
        if (element == NULL || !gp_make_bytes(&element->value, parts[n], keys.length)) {
            zfree(element);
            failed = 1;
            break;
        }
        *tail = element;
        tail = &element->next;
    }
    memset(&keys, 0, sizeof keys);
    give_array(result, head, failed, routine);
    return PELORN_OK;
}

/* function GpDiversifyEmv(masterKey, kdd): [ENC; MAC; DEK] */
static int32_t gp_diversify_emv(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    return diversify("GpDiversifyEmv", GP_DIVERSIFY_EMV, count, arguments, result);
}

/* function GpDiversifyVisa2(masterKey, kdd): [ENC; MAC; DEK] */
static int32_t gp_diversify_visa2(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    return diversify("GpDiversifyVisa2", GP_DIVERSIFY_VISA2, count, arguments, result);
}

/* ---- the module's entry points ------------------------------------------ */

static void set_routine(SymbolEntry *entry, int32_t routineKind, const char *name, void *code)
{
    entry->kind = PELORN_SYM_ROUTINE;
    entry->a.routineKind = routineKind;
    entry->b.name = (char *)name;
    entry->c.entry = code;
}

static void set_constant(SymbolEntry *entry, const char *name)
{
    entry->kind = PELORN_SYM_VARIABLE;
    entry->a.name = (char *)name;
    entry->isConstant = 1;
}

/* A byte-array constant: its block comes from the engine's heap, made once
 * while the module is loaded, and given back when it is unloaded. */
static void set_bytes_constant(SymbolEntry *entry, const char *name, const uint8_t *bytes, size_t length)
{
    ScriptValue kept = entry->c.value;
    memset(entry, 0, sizeof *entry);
    set_constant(entry, name);
    if (kept.type == PELORN_BYTEARRAY)
        entry->c.value = kept;
    else
        gp_make_bytes(&entry->c.value, bytes, length);
}

__attribute__((destructor)) static void release_constants(void)
{
    FreeValue(&symbols[ENTRY_DEFAULT_KEY].c.value);
    FreeValue(&symbols[ENTRY_ISD].c.value);
}

__attribute__((visibility("default"))) SymbolEntry *GetSymTable(void)
{
    set_bytes_constant(&symbols[ENTRY_DEFAULT_KEY], "GP_DEFAULT_KEY", kDefaultKey, sizeof kDefaultKey);
    set_bytes_constant(&symbols[ENTRY_ISD], "GP_ISD", kIsd, sizeof kIsd);
    memset(&symbols[ENTRY_SESSION_TYPE], 0, sizeof symbols[0] * (ENTRY_DEFAULT_KEY - ENTRY_SESSION_TYPE));
    symbols[ENTRY_SESSION_TYPE].kind = PELORN_SYM_TYPE;
    symbols[ENTRY_SESSION_TYPE].a.name = "GPSESSION";
    symbols[ENTRY_ENTRY_TYPE].kind = PELORN_SYM_TYPE;
    symbols[ENTRY_ENTRY_TYPE].a.name = "GPENTRY";
    set_routine(&symbols[ENTRY_SELECT], PELORN_FUNCTION, "GpSelect", (void *)gp_select);
    set_routine(&symbols[ENTRY_OPEN], PELORN_FUNCTION, "GpOpen", (void *)gp_open);
    set_routine(&symbols[ENTRY_SEND], PELORN_FUNCTION, "GpSend", (void *)gp_send);
    set_routine(&symbols[ENTRY_GET_STATUS], PELORN_FUNCTION, "GpGetStatus", (void *)gp_get_status);
    set_routine(&symbols[ENTRY_DELETE], PELORN_PROCEDURE, "GpDelete", (void *)gp_delete);
    set_routine(&symbols[ENTRY_DIVERSIFY_EMV], PELORN_FUNCTION, "GpDiversifyEmv", (void *)gp_diversify_emv);
    set_routine(&symbols[ENTRY_DIVERSIFY_VISA2], PELORN_FUNCTION, "GpDiversifyVisa2", (void *)gp_diversify_visa2);
    for (size_t n = 0; n < INTEGER_COUNT; n++) {
        SymbolEntry *entry = &symbols[FIRST_INTEGER_CONSTANT + n];
        memset(entry, 0, sizeof *entry);
        set_constant(entry, kIntegers[n].name);
        gp_make_integer(&entry->c.value, kIntegers[n].value);
    }
    for (size_t n = 0; n + 1 < ENTRY_COUNT; n++)
        symbols[n].next = &symbols[n + 1];
    symbols[ENTRY_COUNT - 1].next = NULL;
    return &symbols[0];
}

__attribute__((visibility("default"))) uint8_t Initialize(PrintfLikeFn standardOutput, PrintfLikeFn message)
{
    (void)standardOutput;
    writeMessage = message;
    /* Nothing works without the two constants' blocks. */
    return symbols[ENTRY_DEFAULT_KEY].c.value.type == PELORN_BYTEARRAY && symbols[ENTRY_ISD].c.value.type == PELORN_BYTEARRAY;
}
