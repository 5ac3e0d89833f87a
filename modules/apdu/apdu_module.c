/*
 * apdu_module.c - use "apdu": exchanges that finish what the card asks for,
 * and readable status words.
 *
 *   sw = SendAPDUAuto(reader, command [, data])   as SendAPDU, but 61xx is
 *        followed by GET RESPONSE and 6Cxx repeats the command with Le = xx;
 *        data receives all response data, sw is the last status word
 *   text = SWText(sw)                             "File or application not found"
 *
 * Every exchange goes through the engine's own (TransmitAPDU), so commands
 * are checked and adapted as for SendAPDU, and __SW, __SW1, __SW2 and
 * __Response describe the last exchange. The APDU statement and SendAPDU
 * are left alone: they send exactly what is written. Build with
 * -fexceptions: the engine's throws unwind through these C frames, and the
 * blocks held here are freed on the way (cleanup attributes).
 */
#include <pelorn.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "apdu_chain.h"
#include "status_words.h"

#define MSG_SEND_ARGUMENTS                                                                                   \
    "Bad argument(s) for function \"SendAPDUAuto\".Prototypes: int SendAPDUAuto(reader, bytearray command) | " \
    "int SendAPDUAuto(reader, string command) | int SendAPDUAuto(reader, command, variable data)."
#define MSG_SWTEXT_ARGUMENTS "Bad argument(s) for function \"SWText\".Prototypes: string SWText(int sw)."
#define MSG_INVALID_HEX "Invalid hex character(s) in APDU string"
#define MSG_SW_RANGE "SWText: the status word must be 0 to FFFF (not %lld)"
#define MSG_ENDLESS "SendAPDUAuto: the card still answers 61xx after %d exchanges"
#define MSG_NO_MEMORY "%s: out of memory"
#define MSG_TOO_LONG "SendAPDUAuto: the response data would be too long"

/* Byte arrays hold at most this many bytes (their length is 32-bit). */
#define MAX_BYTES 0x7FFFFFF0
/* Room for a formatted message. */
#define THROW_TEXT_SIZE 160

static PrintfLikeFn writeMessage;

static int32_t bad_arguments(const char *text)
{
    if (writeMessage != NULL)
        writeMessage("%s", text);
    return PELORN_BAD_ARGUMENTS;
}

/* Throws a formatted text; the caller's blocks are freed by their cleanup. */
__attribute__((noreturn, format(printf, 1, 2))) static void throw_text(const char *format, ...)
{
    char text[THROW_TEXT_SIZE];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    ThrowStringException(text);
}

static void free_block(uint8_t **block)
{
    free(*block);
}

static void release_value(ScriptValue *value)
{
    FreeValue(value);
}

static void make_plain(ScriptValue *out, int32_t type)
{
    memset(out, 0, sizeof *out);
    out->type = type;
    out->getProperty = GetField;
    out->setProperty = SetField;
}

/* ---- SendAPDUAuto ------------------------------------------------------- */

/* One exchange through the engine; the response is in the reader's buffer. */
static size_t transmit_on_reader(void *context, const uint8_t *command, size_t length, const uint8_t **response)
{
    ReaderEntry *reader = context;
    uint32_t received = TransmitAPDU(reader, command, (uint32_t)length);
    *response = reader->receiveBuffer;
    return received;
}

/* function SendAPDUAuto(reader, command [, data]). */
static int32_t send_apdu_auto(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    if (count < 2 || count > 3 || arguments[0].value.type != PELORN_READER || arguments[0].value.u.reader == NULL ||
        (arguments[1].value.type != PELORN_BYTEARRAY && arguments[1].value.type != PELORN_STRING))
        return bad_arguments(MSG_SEND_ARGUMENTS);

    /* A string command is read as hex, as SendAPDU reads it. */
    ScriptValue parsed __attribute__((cleanup(release_value)));
    memset(&parsed, 0, sizeof parsed);
    const ScriptValue *command = &arguments[1].value;
    if (command->type == PELORN_STRING) {
        parsed = stringToBytearray2(&command->u.string);
        if (parsed.type != PELORN_BYTEARRAY)
            throw_text("%s", MSG_INVALID_HEX);
        command = &parsed;
    }
    size_t length = command->u.bytes.length > 0 ? (size_t)command->u.bytes.length : 0;

    uint8_t *data __attribute__((cleanup(free_block))) = NULL;
    size_t dataLength = 0;
    uint16_t sw = 0;
    ApduChainStatus status = apdu_exchange_chained(transmit_on_reader, arguments[0].value.u.reader,
                                                   command->u.bytes.data, length, &data, &dataLength, &sw);
    if (status == APDU_CHAIN_ENDLESS)
        throw_text(MSG_ENDLESS, APDU_CHAIN_MAX_EXCHANGES);
    if (status == APDU_CHAIN_NO_MEMORY)
        throw_text(MSG_NO_MEMORY, "SendAPDUAuto");
    if (dataLength > MAX_BYTES)
        throw_text(MSG_TOO_LONG);

    if (count == 3) {
        uint8_t *copy = zalloc((int32_t)dataLength);
        if (copy == NULL)
            throw_text(MSG_NO_MEMORY, "SendAPDUAuto");
        if (dataLength > 0)
            memcpy(copy, data, dataLength);
        FreeValue(&arguments[2].value);
        make_plain(&arguments[2].value, PELORN_BYTEARRAY);
        arguments[2].value.u.bytes.data = copy;
        arguments[2].value.u.bytes.length = (int32_t)dataLength;
    }
    make_plain(result, PELORN_INTEGER);
    result->u.integer = sw;
    return PELORN_OK;
}

/* ---- SWText ------------------------------------------------------------- */

/* function SWText(sw): the text of a status word. */
static int32_t sw_text(uint32_t count, ArgumentSlot *arguments, ScriptValue *result)
{
    if (count != 1 || arguments[0].value.type != PELORN_INTEGER)
        return bad_arguments(MSG_SWTEXT_ARGUMENTS);
    long long sw = (long long)arguments[0].value.u.integer;
    if (sw < 0 || sw > 0xFFFF)
        throw_text(MSG_SW_RANGE, sw);
    char text[STATUS_TEXT_SIZE];
    status_word_text((uint16_t)sw, text, sizeof text);
    int32_t length = 0;
    char *copy = zstrdup2(text, &length);
    if (copy == NULL)
        throw_text(MSG_NO_MEMORY, "SWText");
    make_plain(result, PELORN_STRING);
    result->u.string.first.text = copy;
    result->u.string.length = (uint32_t)length;
    return PELORN_OK;
}

/* ---- the module's two entry points -------------------------------------- */

static SymbolEntry symbols[2];

__attribute__((visibility("default"))) SymbolEntry *GetSymTable(void)
{
    memset(symbols, 0, sizeof symbols);
    symbols[0].kind = PELORN_SYM_ROUTINE;
    symbols[0].a.routineKind = PELORN_FUNCTION;
    symbols[0].b.name = (char *)"SendAPDUAuto";
    symbols[0].c.entry = (void *)send_apdu_auto;
    symbols[0].next = &symbols[1];
    symbols[1].kind = PELORN_SYM_ROUTINE;
    symbols[1].a.routineKind = PELORN_FUNCTION;
    symbols[1].b.name = (char *)"SWText";
    symbols[1].c.entry = (void *)sw_text;
    return &symbols[0];
}

__attribute__((visibility("default"))) uint8_t Initialize(PrintfLikeFn standardOutput, PrintfLikeFn message)
{
    (void)standardOutput;
    writeMessage = message;
    return 1;
}
