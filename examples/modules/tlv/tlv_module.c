/*
 * tlv_module.c - a pelorn extension module for BER-TLV card data.
 *
 *   use "tlv.so"
 *   aid = TlvFind(__Response, 0x84)        value of the first tag 84, at any depth
 *   if TlvHas(__Response, <9F38>) then ... tag given as a number or as bytes
 *   fci = TlvParse(__Response)             a TLV value: .tag .length .value
 *                                          .constructed .encoded .integer .hex
 *   items = TlvList(fci)                   its children (or a byte array's objects)
 *   cmd = TlvBuild(0x6F, [TlvBuild(0x84, aid); fci])   encoding of a new object
 *   TlvDump(__Response)                    an indented listing on the output
 *
 * Wrong argument types are reported through the engine's message routine
 * and answered with the bad-arguments code; malformed data and missing tags
 * are thrown as text, so a script can catch them. Build with -fexceptions:
 * a throw unwinds through these C frames.
 */
#include <pelorn.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include "tlv_codec.h"

/* Every text the module writes or throws, worded like the engine's own. */
#define MSG_PARSE_ARGUMENTS \
    "Bad argument(s) for function \"TlvParse\".Prototypes: TLV TlvParse(bytearray) | TLV TlvParse(TLV)."
#define MSG_LIST_ARGUMENTS \
    "Bad argument(s) for function \"TlvList\".Prototypes: array TlvList(bytearray) | array TlvList(TLV)."
#define MSG_FIND_ARGUMENTS                                                                        \
    "Bad argument(s) for function \"%s\".Prototypes: %s %s(bytearray data, int tag) | "         \
    "%s %s(bytearray data, bytearray tag), data may also be a TLV, tag must be a valid tag of 1 " \
    "to 4 bytes."
#define MSG_BUILD_ARGUMENTS                                                                    \
    "Bad argument(s) for function \"TlvBuild\".Prototypes: bytearray TlvBuild(int tag, value) | " \
    "bytearray TlvBuild(bytearray tag, value), tag must be a valid tag of 1 to 4 bytes, value a "  \
    "bytearray, a string, a TLV or an array of them."
#define MSG_DUMP_ARGUMENTS \
    "Bad argument(s) for function \"TlvDump\".Prototypes: void TlvDump(bytearray) | void TlvDump(TLV)."
#define MSG_MALFORMED "%s: malformed TLV data at offset %zu: %s"
#define MSG_NOT_FOUND "TlvFind: tag %s not found"
#define MSG_EMPTY "TlvParse: no TLV object in the data"
#define MSG_PRIMITIVE "TlvList: tag %s is primitive"
#define MSG_TOO_LONG "TlvBuild: value too long"
#define MSG_NO_MEMORY "%s: out of memory"

/* Byte arrays hold at most this many bytes (their length is 32-bit). */
#define MAX_BYTES 0x7FFFFFF0
/* Room for a formatted message: a name, a number and a status text. */
#define THROW_TEXT_SIZE 160

static PrintfLikeFn writeOutput;
static PrintfLikeFn writeMessage;

enum { ENTRY_TYPE, ENTRY_PARSE, ENTRY_LIST, ENTRY_FIND, ENTRY_HAS, ENTRY_BUILD, ENTRY_DUMP, ENTRY_COUNT };
static SymbolEntry symbols[ENTRY_COUNT];

/* The code the engine gave the TLV type when it loaded the module. */
static int32_t tlv_type(void)
{
    return symbols[ENTRY_TYPE].b.typeCode;
}

static void report(const char *text)
{
    if (writeMessage != NULL)
        writeMessage("%s", text);
}

/* Throws a formatted text. Callers own nothing when they call it: the throw
 * unwinds straight back into the engine. */
__attribute__((noreturn, format(printf, 1, 2))) static void throw_text(const char *format, ...)
{
    char text[THROW_TEXT_SIZE];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    ThrowStringException(text);
}

static void *allocate(size_t size, const char *routine)
{
    void *block = size <= MAX_BYTES ? zalloc((int32_t)size) : NULL;
    if (block == NULL)
        throw_text(MSG_NO_MEMORY, routine);
    return block;
}

/* ---- making values ---------------------------------------------------- */

static void make_plain(ScriptValue *out, int32_t type)
{
    memset(out, 0, sizeof *out);
    out->type = type;
    out->getProperty = GetField;
    out->setProperty = SetField;
}

static void make_integer(ScriptValue *out, int64_t number)
{
    make_plain(out, PELORN_INTEGER);
    out->u.integer = number;
}

static void make_boolean(ScriptValue *out, int truth)
{
    make_plain(out, PELORN_BOOLEAN);
    out->u.boolean = truth ? 1 : 0;
}

static void make_bytes(ScriptValue *out, const uint8_t *data, size_t size, const char *routine)
{
    uint8_t *copy = allocate(size, routine);
    if (size > 0)
        memcpy(copy, data, size);
    make_plain(out, PELORN_BYTEARRAY);
    out->u.bytes.data = copy;
    out->u.bytes.length = (int32_t)size;
}

/* Takes over a text block from zalloc. */
static void make_string(ScriptValue *out, char *text, size_t length)
{
    make_plain(out, PELORN_STRING);
    out->u.string.first.text = text;
    out->u.string.length = (uint32_t)length;
}

/* ---- the TLV value type ----------------------------------------------- */
/* A TLV value owns a copy of one object's whole encoding, checked when the
 * value was made, in the byte-array fields of the payload. */

static int32_t tlv_get(ScriptValue *value, const char *name, ScriptValue *out);

/* Property names are matched without regard to case, like the engine's. */
static int32_t tlv_set(ScriptValue *value, const char *name, ScriptValue *newValue)
{
    static const char *const properties[] = {"tag", "length", "constructed", "value",
                                             "encoded", "hex", "string", "integer"};
    (void)value;
    (void)newValue;
    for (size_t i = 0; i < sizeof properties / sizeof properties[0]; i++) {
        if (strcasecmp(name, properties[i]) == 0)
            return 2;
    }
    return 1;
}

static void tlv_release(ScriptValue *value)
{
    zfree(value->u.bytes.data);
    memset(value, 0, sizeof *value);
}

static uint8_t tlv_copy(ScriptValue *destination, ScriptValue *source)
{
    size_t size = (size_t)source->u.bytes.length;
    uint8_t *copy = zalloc((int32_t)size);
    if (copy == NULL)
        return 0;
    memcpy(copy, source->u.bytes.data, size);
    destination->u.bytes.data = copy;
    destination->u.bytes.length = (int32_t)size;
    return 1;
}

/* Gives a value the TLV type and hooks; its payload holds the encoding. */
static void set_tlv_header(ScriptValue *value)
{
    value->type = tlv_type();
    value->getProperty = tlv_get;
    value->setProperty = tlv_set;
    value->release = tlv_release;
    value->copy = tlv_copy;
}

static void make_tlv(ScriptValue *out, const TlvObject *object, const char *routine)
{
    make_bytes(out, object->encoded, object->encodedLength, routine);
    set_tlv_header(out);
}

/* Known by its hook rather than its code: another script's compilation
 * may have numbered the type differently since this value was made. */
static int is_tlv(const ScriptValue *value)
{
    return value->type >= PELORN_FIRST_MODULE_TYPE && value->getProperty == tlv_get;
}

/* The object a TLV value holds; its encoding was checked when it was made. */
static TlvObject tlv_object(const ScriptValue *value)
{
    TlvObject object;
    size_t position = 0;
    tlv_read(value->u.bytes.data, (size_t)value->u.bytes.length, &position, &object);
    return object;
}

/* One line of text for a sequence of checked objects: primitive objects as
 * TAG=VALUE, constructed ones as TAG{child child}. With out null it only
 * counts. */
static size_t render(const uint8_t *data, size_t size, char *out)
{
    size_t written = 0;
    size_t position = 0;
    TlvObject object;
    while (tlv_read(data, size, &position, &object) == TLV_OK) {
        char tag[TLV_TAG_TEXT_SIZE];
        tlv_format_tag(object.tag, tag);
        size_t tagLength = strlen(tag);
        if (written > 0) {
            if (out != NULL)
                out[written] = ' ';
            written++;
        }
        if (out != NULL)
            memcpy(out + written, tag, tagLength);
        written += tagLength;
        if (object.constructed) {
            if (out != NULL)
                out[written] = '{';
            written++;
            written += render(object.value, object.length, out != NULL ? out + written : NULL);
            if (out != NULL)
                out[written] = '}';
            written++;
        } else {
            if (out != NULL) {
                out[written] = '=';
                htoa(out + written + 1, object.value, (uint32_t)object.length, 0);
            }
            written += 1 + 2 * object.length;
        }
    }
    return written;
}

static void make_rendering(ScriptValue *out, const uint8_t *data, size_t size)
{
    size_t length = render(data, size, NULL);
    char *text = allocate(length, "TLV");
    render(data, size, text);
    text[length] = '\0';
    make_string(out, text, length);
}

static void make_hex(ScriptValue *out, const uint8_t *data, size_t size)
{
    char *text = allocate(2 * size, "TLV");
    htoa(text, data, (uint32_t)size, 0);
    make_string(out, text, 2 * size);
}

static int32_t tlv_get(ScriptValue *value, const char *name, ScriptValue *out)
{
    TlvObject object = tlv_object(value);
    if (strcasecmp(name, "tag") == 0) {
        make_integer(out, object.tag);
    } else if (strcasecmp(name, "length") == 0) {
        make_integer(out, (int64_t)object.length);
    } else if (strcasecmp(name, "constructed") == 0) {
        make_boolean(out, object.constructed);
    } else if (strcasecmp(name, "value") == 0) {
        make_bytes(out, object.value, object.length, "TLV");
    } else if (strcasecmp(name, "encoded") == 0) {
        make_bytes(out, object.encoded, object.encodedLength, "TLV");
    } else if (strcasecmp(name, "hex") == 0) {
        make_hex(out, object.encoded, object.encodedLength);
    } else if (strcasecmp(name, "string") == 0) {
        make_rendering(out, object.encoded, object.encodedLength);
    } else if (strcasecmp(name, "integer") == 0) {
        /* The engine's own reading of bytes as a big-endian number. */
        ScriptValue view;
        make_plain(&view, PELORN_BYTEARRAY);
        view.u.bytes.data = (uint8_t *)object.value;
        view.u.bytes.length = (int32_t)object.length;
        return GetField(&view, "integer", out);
    } else {
        return 1;
    }
    return 0;
}

/* ---- reading arguments ------------------------------------------------ */

/* The bytes of a byte array or of a TLV value's whole encoding. */
static int data_argument(const ScriptValue *value, const uint8_t **data, size_t *size)
{
    if (value->type == PELORN_BYTEARRAY || is_tlv(value)) {
        *data = value->u.bytes.data;
        *size = value->u.bytes.length > 0 ? (size_t)value->u.bytes.length : 0;
        return 1;
    }
    return 0;
}

static int tag_argument(const ScriptValue *value, uint32_t *tag)
{
    uint8_t bytes[TLV_MAX_TAG_BYTES];
    if (value->type == PELORN_INTEGER) {
        int64_t number = value->u.integer;
        if (number <= 0 || number > 0xFFFFFFFFll)
            return 0;
        *tag = (uint32_t)number;
        return tlv_tag_bytes(*tag, bytes) != 0;
    }
    if (value->type == PELORN_BYTEARRAY)
        return tlv_tag_from_bytes(value->u.bytes.data, (size_t)value->u.bytes.length, tag);
    return 0;
}

static void check_data(const uint8_t *data, size_t size, const char *routine)
{
    TlvError error;
    if (!tlv_check(data, size, &error))
        throw_text(MSG_MALFORMED, routine, error.offset, tlv_status_text(error.status));
}

/* ---- routines ------------------------------------------------------------ */

/* function TlvParse(data): the first object of the data as a TLV value. */
static int32_t tlv_parse(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    const uint8_t *data;
    size_t size;
    if (count != 1 || !data_argument(&arguments[0].value, &data, &size)) {
        report(MSG_PARSE_ARGUMENTS);
        return PELORN_BAD_ARGUMENTS;
    }
    check_data(data, size, "TlvParse");
    TlvObject object;
    size_t position = 0;
    if (tlv_read(data, size, &position, &object) != TLV_OK)
        throw_text(MSG_EMPTY);
    make_tlv(result, &object, "TlvParse");
    return PELORN_OK;
}

/* function TlvList(data): an array of TLV values, the objects of a byte
 * array or the children of a constructed TLV value. */
static int32_t tlv_list(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    const ScriptValue *argument = count == 1 ? &arguments[0].value : NULL;
    const uint8_t *data;
    size_t size;
    if (argument == NULL || !data_argument(argument, &data, &size)) {
        report(MSG_LIST_ARGUMENTS);
        return PELORN_BAD_ARGUMENTS;
    }
    check_data(data, size, "TlvList");
    if (is_tlv(argument)) {
        TlvObject outer = tlv_object(argument);
        if (!outer.constructed) {
            char tag[TLV_TAG_TEXT_SIZE];
            tlv_format_tag(outer.tag, tag);
            throw_text(MSG_PRIMITIVE, tag);
        }
        data = outer.value;
        size = outer.length;
    }

    /* Allocate every element before linking any, so that running out of
     * memory leaves nothing behind. */
    size_t total = 0;
    size_t position = 0;
    TlvObject object;
    while (tlv_read(data, size, &position, &object) == TLV_OK)
        total++;
    ArrayElement *head = NULL;
    ArrayElement **tail = &head;
    int failed = 0;
    position = 0;
    for (size_t i = 0; i < total && !failed; i++) {
        tlv_read(data, size, &position, &object);
        ArrayElement *element = zalloc((int32_t)sizeof *element);
        uint8_t *copy = zalloc((int32_t)object.encodedLength);
        if (element == NULL || copy == NULL) {
            zfree(element);
            zfree(copy);
            failed = 1;
            break;
        }
        memcpy(copy, object.encoded, object.encodedLength);
        make_plain(&element->value, PELORN_UNDEFINED);
        element->value.u.bytes.data = copy;
        element->value.u.bytes.length = (int32_t)object.encodedLength;
        set_tlv_header(&element->value);
        *tail = element;
        tail = &element->next;
    }
    make_plain(result, PELORN_ARRAY);
    result->u.array = head;
    if (failed) {
        FreeValue(result);
        throw_text(MSG_NO_MEMORY, "TlvList");
    }
    return PELORN_OK;
}

/* Shared by TlvFind and TlvHas: 1 found, 0 not; bad arguments reported. */
static int32_t search(uint32_t count, ArgumentSlot *arguments, const char *routine, const char *resultType,
                      TlvObject *found, int *present)
{
    const uint8_t *data;
    size_t size;
    uint32_t tag;
    if (count != 2 || !data_argument(&arguments[0].value, &data, &size) || !tag_argument(&arguments[1].value, &tag)) {
        if (writeMessage != NULL)
            writeMessage(MSG_FIND_ARGUMENTS, routine, resultType, routine, resultType, routine);
        return PELORN_BAD_ARGUMENTS;
    }
    check_data(data, size, routine);
    *present = tlv_find(data, size, tag, found);
    if (!*present)
        found->tag = tag;
    return PELORN_OK;
}

/* function TlvFind(data, tag): the value of the first object with the tag,
 * searched depth first through constructed objects. */
static int32_t tlv_find_value(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    TlvObject found;
    int present;
    int32_t code = search(count, arguments, "TlvFind", "bytearray", &found, &present);
    if (code != PELORN_OK)
        return code;
    if (!present) {
        char tag[TLV_TAG_TEXT_SIZE];
        tlv_format_tag(found.tag, tag);
        throw_text(MSG_NOT_FOUND, tag);
    }
    make_bytes(result, found.value, found.length, "TlvFind");
    return PELORN_OK;
}

/* function TlvHas(data, tag): whether TlvFind would find the tag. */
static int32_t tlv_has(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    TlvObject found;
    int present;
    int32_t code = search(count, arguments, "TlvHas", "boolean", &found, &present);
    if (code != PELORN_OK)
        return code;
    make_boolean(result, present);
    return PELORN_OK;
}

/* The bytes one part of TlvBuild's value contributes; 0 for a wrong type. */
static int part_size(const ScriptValue *part, size_t *size)
{
    if (part->type == PELORN_BYTEARRAY || is_tlv(part)) {
        *size = part->u.bytes.length > 0 ? (size_t)part->u.bytes.length : 0;
        return 1;
    }
    if (part->type == PELORN_STRING) {
        *size = part->u.string.length;
        return 1;
    }
    return 0;
}

static uint8_t *write_part(const ScriptValue *part, uint8_t *out)
{
    if (part->type == PELORN_STRING) {
        for (const StringChunk *chunk = &part->u.string.first; chunk != NULL; chunk = chunk->next) {
            size_t n = chunk->text != NULL ? strlen(chunk->text) : 0;
            memcpy(out, chunk->text, n);
            out += n;
        }
        return out;
    }
    size_t n = part->u.bytes.length > 0 ? (size_t)part->u.bytes.length : 0;
    if (n > 0)
        memcpy(out, part->u.bytes.data, n);
    return out + n;
}

/* function TlvBuild(tag, value): the encoding of one object. A value that
 * is an array is the concatenation of its elements, which is how the
 * children of a constructed object are given. */
static int32_t tlv_build(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    uint32_t tag;
    size_t length = 0;
    int valid = count == 2 && tag_argument(&arguments[0].value, &tag);
    const ScriptValue *value = valid ? &arguments[1].value : NULL;
    if (valid && value->type == PELORN_ARRAY) {
        for (const ArrayElement *e = value->u.array; e != NULL && valid; e = e->next) {
            size_t size = 0;
            valid = part_size(&e->value, &size);
            length += size;
        }
    } else if (valid) {
        valid = part_size(value, &length);
    }
    if (!valid) {
        report(MSG_BUILD_ARGUMENTS);
        return PELORN_BAD_ARGUMENTS;
    }
    if (length > MAX_BYTES - (TLV_MAX_TAG_BYTES + 1 + TLV_MAX_LENGTH_BYTES))
        throw_text(MSG_TOO_LONG);

    uint8_t header[TLV_MAX_TAG_BYTES + 1 + TLV_MAX_LENGTH_BYTES];
    size_t headerSize = tlv_write_header(tag, length, header);
    uint8_t *bytes = allocate(headerSize + length, "TlvBuild");
    memcpy(bytes, header, headerSize);
    uint8_t *out = bytes + headerSize;
    if (value->type == PELORN_ARRAY) {
        for (const ArrayElement *e = value->u.array; e != NULL; e = e->next)
            out = write_part(&e->value, out);
    } else {
        write_part(value, out);
    }
    make_plain(result, PELORN_BYTEARRAY);
    result->u.bytes.data = bytes;
    result->u.bytes.length = (int32_t)(headerSize + length);
    return PELORN_OK;
}

/* Writes one line per object, children indented under their parent. */
static void dump(const uint8_t *data, size_t size, int depth)
{
    size_t position = 0;
    TlvObject object;
    while (tlv_read(data, size, &position, &object) == TLV_OK) {
        char tag[TLV_TAG_TEXT_SIZE];
        tlv_format_tag(object.tag, tag);
        if (object.constructed) {
            writeOutput("%*s%s (%zu)\n", 2 * depth, "", tag, object.length);
            dump(object.value, object.length, depth + 1);
            continue;
        }
        char *hex = zalloc((int32_t)(2 * object.length));
        if (hex == NULL)
            return;
        htoa(hex, object.value, (uint32_t)object.length, 0);
        writeOutput("%*s%s (%zu) %s\n", 2 * depth, "", tag, object.length, hex);
        zfree(hex);
    }
}

/* procedure TlvDump(data): an indented listing of the objects. */
static int32_t tlv_dump(uint32_t count, ArgumentSlot *arguments)
{
    const uint8_t *data;
    size_t size;
    if (count != 1 || !data_argument(&arguments[0].value, &data, &size)) {
        report(MSG_DUMP_ARGUMENTS);
        return PELORN_BAD_ARGUMENTS;
    }
    check_data(data, size, "TlvDump");
    if (writeOutput != NULL)
        dump(data, size, 0);
    return PELORN_OK;
}

/* ---- the module's two entry points ------------------------------------- */

static void set_routine(SymbolEntry *entry, int32_t routineKind, const char *name, void *code)
{
    entry->kind = PELORN_SYM_ROUTINE;
    entry->a.routineKind = routineKind;
    entry->b.name = (char *)name;
    entry->c.entry = code;
}

__attribute__((visibility("default"))) SymbolEntry *GetSymTable(void)
{
    memset(symbols, 0, sizeof symbols);
    symbols[ENTRY_TYPE].kind = PELORN_SYM_TYPE;
    symbols[ENTRY_TYPE].a.name = "TLV";
    set_routine(&symbols[ENTRY_PARSE], PELORN_FUNCTION, "TlvParse", (void *)tlv_parse);
    set_routine(&symbols[ENTRY_LIST], PELORN_FUNCTION, "TlvList", (void *)tlv_list);
    set_routine(&symbols[ENTRY_FIND], PELORN_FUNCTION, "TlvFind", (void *)tlv_find_value);
    set_routine(&symbols[ENTRY_HAS], PELORN_FUNCTION, "TlvHas", (void *)tlv_has);
    set_routine(&symbols[ENTRY_BUILD], PELORN_FUNCTION, "TlvBuild", (void *)tlv_build);
    set_routine(&symbols[ENTRY_DUMP], PELORN_PROCEDURE, "TlvDump", (void *)tlv_dump);
    for (int i = 0; i + 1 < ENTRY_COUNT; i++)
        symbols[i].next = &symbols[i + 1];
    return &symbols[0];
}

__attribute__((visibility("default"))) uint8_t Initialize(PrintfLikeFn standardOutput, PrintfLikeFn message)
{
    writeOutput = standardOutput;
    writeMessage = message;
    return 1;
}
