/*
 * gp_transport.c - whole answers through TransmitAPDU.
 */
#include "gp_transport.h"

#include "gp_messages.h"
#include "gp_throw.h"

#include <string.h>

/* A card answering 61xx without end is stopped after this many. */
#define MAX_GET_RESPONSES 512

/* Module data: an answer needs no allocation that a throw could leak. */
static uint8_t answer[GP_MAX_ANSWER];

ReaderEntry *gp_reader(const char *routine, const ScriptValue *given)
{
    if (given != NULL)
        return given->u.reader;
    if (g_currentReader == NULL)
        gp_throw(GP_NO_READER, routine);
    return g_currentReader;
}

/* One exchange; returns the data length, the status word in *sw. */
static size_t send_one(ReaderEntry *reader, const uint8_t *command, size_t length, uint16_t *sw)
{
    uint32_t received = TransmitAPDU(reader, command, (uint32_t)length);
    *sw = (uint16_t)(reader->receiveBuffer[received - 2] << 8 | reader->receiveBuffer[received - 1]);
    return received - 2;
}

static size_t keep(const char *routine, size_t at, const ReaderEntry *reader, size_t length)
{
    if (at + length > sizeof answer)
        gp_throw(GP_ANSWER_TOO_LONG, routine, (int)sizeof answer);
    memcpy(answer + at, reader->receiveBuffer, length);
    return at + length;
}

GpReply gp_exchange(const char *routine, ReaderEntry *reader, const uint8_t *command, size_t length)
{
    uint16_t sw;
    size_t got = send_one(reader, command, length, &sw);
    /* 6Cxx to a command with Le and no data: the same with Le = xx. */
    if ((sw >> 8) == 0x6C && length == 5) {
        uint8_t again[5];
        memcpy(again, command, 4);
        again[4] = (uint8_t)sw;
        got = send_one(reader, again, sizeof again, &sw);
    }
    size_t at = keep(routine, 0, reader, got);
    for (int n = 0; (sw >> 8) == 0x61 && n < MAX_GET_RESPONSES; n++) {
        uint8_t getResponse[5] = {0x00, 0xC0, 0x00, 0x00, (uint8_t)sw};
        got = send_one(reader, getResponse, sizeof getResponse, &sw);
        if ((sw >> 8) == 0x6C) {
            getResponse[4] = (uint8_t)sw;
            got = send_one(reader, getResponse, sizeof getResponse, &sw);
        }
        at = keep(routine, at, reader, got);
    }
    GpReply reply = {answer, at, sw};
    return reply;
}
