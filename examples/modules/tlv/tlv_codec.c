/* tlv_codec.c - reading and writing BER-TLV (see tlv_codec.h). */
#include "tlv_codec.h"

#include <stdio.h>

#define TLV_MORE_TAG_BYTES 0x1F    /* low five bits of a first tag byte */
#define TLV_CONTINUES 0x80         /* bit 8 of a later tag byte */
#define TLV_CONSTRUCTED 0x20
#define TLV_LONG_LENGTH 0x80

static int is_padding(uint8_t byte)
{
    return byte == 0x00 || byte == 0xFF;
}

TlvStatus tlv_read(const uint8_t *data, size_t size, size_t *position, TlvObject *object)
{
    size_t at = *position;
    while (at < size && is_padding(data[at]))
        at++;
    *position = at;
    if (at == size)
        return TLV_END;

    size_t start = at;
    uint8_t first = data[at++];
    uint32_t tag = first;
    size_t tagLength = 1;
    if ((first & TLV_MORE_TAG_BYTES) == TLV_MORE_TAG_BYTES) {
        uint8_t next;
        do {
            if (at == size)
                return TLV_TRUNCATED_TAG;
            if (tagLength == TLV_MAX_TAG_BYTES)
                return TLV_TAG_TOO_LONG;
            next = data[at++];
            tag = (tag << 8) | next;
            tagLength++;
        } while (next & TLV_CONTINUES);
    }

    if (at == size)
        return TLV_TRUNCATED_LENGTH;
    size_t length = data[at++];
    if (length & TLV_LONG_LENGTH) {
        size_t count = length & 0x7F;
        if (count == 0 || count > TLV_MAX_LENGTH_BYTES)
            return TLV_BAD_LENGTH;
        if (size - at < count)
            return TLV_TRUNCATED_LENGTH;
        length = 0;
        while (count-- > 0)
            length = (length << 8) | data[at++];
    }
    if (size - at < length)
        return TLV_TRUNCATED_VALUE;

    object->tag = tag;
    object->tagLength = tagLength;
    object->constructed = (first & TLV_CONSTRUCTED) != 0;
    object->value = data + at;
    object->length = length;
    object->encoded = data + start;
    object->encodedLength = at + length - start;
    *position = at + length;
    return TLV_OK;
}

static int check_level(const uint8_t *data, size_t size, int depth, size_t base, TlvError *error)
{
    size_t position = 0;
    for (;;) {
        TlvObject object;
        TlvStatus status = tlv_read(data, size, &position, &object);
        if (status == TLV_END)
            return 1;
        if (status != TLV_OK) {
            error->status = status;
            error->offset = base + position;
            return 0;
        }
        if (!object.constructed)
            continue;
        size_t offset = base + (size_t)(object.encoded - data);
        if (depth + 1 >= TLV_MAX_DEPTH) {
            error->status = TLV_TOO_DEEP;
            error->offset = offset;
            return 0;
        }
        if (!check_level(object.value, object.length, depth + 1, base + (size_t)(object.value - data), error))
            return 0;
    }
}

int tlv_check(const uint8_t *data, size_t size, TlvError *error)
{
    error->status = TLV_OK;
    error->offset = 0;
    return check_level(data, size, 0, 0, error);
}

int tlv_find(const uint8_t *data, size_t size, uint32_t tag, TlvObject *found)
{
    size_t position = 0;
    TlvObject object;
    while (tlv_read(data, size, &position, &object) == TLV_OK) {
        if (object.tag == tag) {
            *found = object;
            return 1;
        }
        if (object.constructed && tlv_find(object.value, object.length, tag, found))
            return 1;
    }
    return 0;
}

int tlv_tag_from_bytes(const uint8_t *bytes, size_t count, uint32_t *tag)
{
    if (count == 0 || count > TLV_MAX_TAG_BYTES || is_padding(bytes[0]))
        return 0;
    int wantsMore = (bytes[0] & TLV_MORE_TAG_BYTES) == TLV_MORE_TAG_BYTES;
    if (wantsMore != (count > 1))
        return 0;
    uint32_t value = bytes[0];
    for (size_t i = 1; i < count; i++) {
        int last = i + 1 == count;
        if (((bytes[i] & TLV_CONTINUES) != 0) == last)
            return 0;
        value = (value << 8) | bytes[i];
    }
    *tag = value;
    return 1;
}

size_t tlv_tag_bytes(uint32_t tag, uint8_t out[TLV_MAX_TAG_BYTES])
{
    size_t count = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        uint8_t byte = (uint8_t)(tag >> shift);
        if (count == 0 && byte == 0)
            continue;
        out[count++] = byte;
    }
    uint32_t checked;
    return tlv_tag_from_bytes(out, count, &checked) ? count : 0;
}

size_t tlv_length_size(size_t length)
{
    if (length < TLV_LONG_LENGTH)
        return 1;
    size_t count = 0;
    for (size_t rest = length; rest != 0; rest >>= 8)
        count++;
    return 1 + count;
}

size_t tlv_write_header(uint32_t tag, size_t length, uint8_t *out)
{
    uint8_t tagBytes[TLV_MAX_TAG_BYTES];
    size_t written = tlv_tag_bytes(tag, tagBytes);
    for (size_t i = 0; i < written; i++)
        out[i] = tagBytes[i];
    size_t lengthSize = tlv_length_size(length);
    if (lengthSize == 1) {
        out[written++] = (uint8_t)length;
        return written;
    }
    out[written++] = (uint8_t)(TLV_LONG_LENGTH | (lengthSize - 1));
    for (size_t i = lengthSize - 1; i > 0; i--)
        out[written++] = (uint8_t)(length >> (8 * (i - 1)));
    return written;
}

void tlv_format_tag(uint32_t tag, char out[TLV_TAG_TEXT_SIZE])
{
    uint8_t bytes[TLV_MAX_TAG_BYTES];
    size_t count = 0;
    for (int shift = 24; shift >= 0; shift -= 8) {
        uint8_t byte = (uint8_t)(tag >> shift);
        if (count > 0 || byte != 0 || shift == 0)
            bytes[count++] = byte;
    }
    for (size_t i = 0; i < count; i++)
        snprintf(out + 2 * i, 3, "%02X", bytes[i]);
}

const char *tlv_status_text(TlvStatus status)
{
    switch (status) {
    case TLV_OK:
        return "no error";
    case TLV_END:
        return "no TLV object";
    case TLV_TRUNCATED_TAG:
        return "tag cut short";
    case TLV_TAG_TOO_LONG:
        return "tag longer than 4 bytes";
    case TLV_TRUNCATED_LENGTH:
        return "length cut short";
    case TLV_BAD_LENGTH:
        return "unsupported length form";
    case TLV_TRUNCATED_VALUE:
        return "value longer than the data";
    case TLV_TOO_DEEP:
        return "objects nested too deeply";
    }
    return "unknown error";
}
