/*
 * tlv_codec.h - BER-TLV as cards use it (ISO/IEC 7816-4, EMV): reading one
 * object, checking a whole encoding, finding a tag, writing tags and lengths.
 * Knows nothing of the engine, so it can be tested on its own.
 */
#ifndef TLV_CODEC_H
#define TLV_CODEC_H

#include <stddef.h>
#include <stdint.h>

/* A tag of up to four bytes fits a 32-bit number; no card tag is longer. */
#define TLV_MAX_TAG_BYTES 4
/* Lengths up to 0x84 + four bytes; longer ones cannot describe card data. */
#define TLV_MAX_LENGTH_BYTES 4
/* Constructed objects nested deeper than this are refused, so hostile data
 * cannot drive the recursive walks into the native stack's limit. */
#define TLV_MAX_DEPTH 32
/* The longest text tlv_format_tag writes, NUL included. */
#define TLV_TAG_TEXT_SIZE (2 * TLV_MAX_TAG_BYTES + 1)

typedef struct TlvObject {
    uint32_t tag;            /* tag bytes read as a big-endian number */
    size_t tagLength;        /* 1 .. TLV_MAX_TAG_BYTES */
    int constructed;         /* bit 6 of the first tag byte */
    const uint8_t *value;    /* points into the parsed data */
    size_t length;           /* bytes of the value */
    const uint8_t *encoded;  /* the whole object: tag, length and value */
    size_t encodedLength;
} TlvObject;

typedef enum TlvStatus {
    TLV_OK = 0,
    TLV_END,                 /* only padding (00 or FF bytes) was left */
    TLV_TRUNCATED_TAG,
    TLV_TAG_TOO_LONG,
    TLV_TRUNCATED_LENGTH,
    TLV_BAD_LENGTH,          /* indefinite (80) or more than four length bytes */
    TLV_TRUNCATED_VALUE,
    TLV_TOO_DEEP
} TlvStatus;

/* Where a walk stopped and why, for messages. */
typedef struct TlvError {
    TlvStatus status;
    size_t offset;           /* from the start of the outermost data */
} TlvError;

/* Reads the object at data[*position], skipping padding before it, and
 * moves *position past it. Does not look inside constructed values. */
TlvStatus tlv_read(const uint8_t *data, size_t size, size_t *position, TlvObject *object);

/* Checks that data is a sequence of well-formed objects (with padding
 * between them) whose constructed values are themselves such sequences. */
int tlv_check(const uint8_t *data, size_t size, TlvError *error);

/* Finds the first object with the tag, depth first, in data that
 * tlv_check accepted. Returns 1 and fills *found, or 0. */
int tlv_find(const uint8_t *data, size_t size, uint32_t tag, TlvObject *found);

/* Splits a tag number into its bytes; 0 when the number is not a valid
 * BER tag (continuation bits must agree with the number of bytes). */
size_t tlv_tag_bytes(uint32_t tag, uint8_t out[TLV_MAX_TAG_BYTES]);

/* Reads a tag given as bytes, the same check applied. 0 when invalid. */
int tlv_tag_from_bytes(const uint8_t *bytes, size_t count, uint32_t *tag);

/* The number of bytes the length field of a value of this length takes. */
size_t tlv_length_size(size_t length);

/* Writes tag and length and returns the number of bytes written (at most
 * TLV_MAX_TAG_BYTES + 1 + TLV_MAX_LENGTH_BYTES). The tag must be valid. */
size_t tlv_write_header(uint32_t tag, size_t length, uint8_t *out);

/* The tag as upper-case hex, two digits per byte ("9F38"). */
void tlv_format_tag(uint32_t tag, char out[TLV_TAG_TEXT_SIZE]);

/* A short English text for a status. */
const char *tlv_status_text(TlvStatus status);

#endif
