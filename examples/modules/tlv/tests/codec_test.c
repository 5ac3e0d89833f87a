/* codec_test.c - BER-TLV reading, checking, finding and writing. */
#include "tlv_codec.h"

#include <stdio.h>
#include <string.h>

static int failures;
static int checks;

#define EXPECT(condition)                                                          \
    do {                                                                           \
        checks++;                                                                  \
        if (!(condition)) {                                                        \
            failures++;                                                            \
            fprintf(stderr, "%s:%d: expected %s\n", __FILE__, __LINE__, #condition); \
        }                                                                          \
    } while (0)

/* Hex text to bytes; spaces ignored. */
static size_t bytes(const char *hex, uint8_t *out)
{
    size_t n = 0;
    unsigned value;
    while (*hex != '\0') {
        if (*hex == ' ') {
            hex++;
            continue;
        }
        sscanf(hex, "%2x", &value);
        out[n++] = (uint8_t)value;
        hex += 2;
    }
    return n;
}

static void test_check_table(void)
{
    static const struct {
        const char *data;
        TlvStatus status;
        size_t offset;
    } cases[] = {
        {"", TLV_OK, 0},
        {"00 FF 00", TLV_OK, 0},                          /* padding only */
        {"84 02 A0 00", TLV_OK, 0},
        {"6F 06 84 01 AA A5 02 00", TLV_TRUNCATED_VALUE, 5}, /* A5 inside 6F wants one byte more */
        {"9F", TLV_TRUNCATED_TAG, 0},
        {"9F 38", TLV_TRUNCATED_LENGTH, 0},
        {"5F 81 82 83 84 01 00", TLV_TAG_TOO_LONG, 0},
        {"84 80 00 00", TLV_BAD_LENGTH, 0},               /* indefinite */
        {"84 85 00 00 00 00 01 00", TLV_BAD_LENGTH, 0},
        {"84 82 01", TLV_TRUNCATED_LENGTH, 0},
        {"84 03 01 02", TLV_TRUNCATED_VALUE, 0},
        {"84 01 01 85 05 01", TLV_TRUNCATED_VALUE, 3},    /* offset of the second object */
        {"6F 03 84 02 01", TLV_TRUNCATED_VALUE, 2},       /* offset inside the template */
        {"84 81 01 AA", TLV_OK, 0},                       /* long form of a short length */
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i++) {
        uint8_t data[64];
        size_t size = bytes(cases[i].data, data);
        TlvError error;
        int ok = tlv_check(data, size, &error);
        if (cases[i].status == TLV_OK) {
            EXPECT(ok);
        } else {
            EXPECT(!ok);
            EXPECT(error.status == cases[i].status);
            EXPECT(error.offset == cases[i].offset);
            if (error.status != cases[i].status || error.offset != cases[i].offset)
                fprintf(stderr, "  case %zu: got %s at %zu\n", i, tlv_status_text(error.status), error.offset);
        }
    }
}

static void test_nesting_limit(void)
{
    /* TLV_MAX_DEPTH nested templates of tag 62, the innermost empty. */
    uint8_t data[2 * TLV_MAX_DEPTH];
    for (int depth = TLV_MAX_DEPTH - 1; depth <= TLV_MAX_DEPTH; depth++) {
        for (int i = 0; i < depth; i++) {
            data[2 * i] = 0x62;
            data[2 * i + 1] = (uint8_t)(2 * (depth - i - 1));
        }
        TlvError error;
        int ok = tlv_check(data, (size_t)(2 * depth), &error);
        EXPECT(ok == (depth < TLV_MAX_DEPTH));
        if (!ok)
            EXPECT(error.status == TLV_TOO_DEEP);
    }
}

static void test_find(void)
{
    /* FCI: 6F { 84 A0000000031010, A5 { 50 "VISA", BF0C { 9F4D 0B0A } } }, then 90 00 padding-free */
    uint8_t data[64];
    size_t size = bytes("6F 1B 84 07 A0000000031010 A5 10 50 04 56495341 BF0C 06 9F4D 02 0B0A 00 00", data);
    TlvError error;
    EXPECT(tlv_check(data, size, &error));
    TlvObject found;
    EXPECT(tlv_find(data, size, 0x9F4D, &found));
    EXPECT(found.length == 2 && found.value[0] == 0x0B && found.tagLength == 2 && !found.constructed);
    EXPECT(tlv_find(data, size, 0xBF0C, &found));
    EXPECT(found.constructed && found.length == 6 && found.encodedLength == 9);
    EXPECT(tlv_find(data, size, 0x6F, &found) && found.encoded == data && found.encodedLength == 29);
    EXPECT(!tlv_find(data, size, 0x9F38, &found));
    /* Depth first: the first 50 in document order wins over a later one. */
    size = bytes("70 03 50 01 01 50 01 02", data);
    EXPECT(tlv_find(data, size, 0x50, &found) && found.value[0] == 0x01);
}

static void test_tags(void)
{
    static const struct {
        uint32_t tag;
        size_t count; /* 0: invalid */
    } cases[] = {
        {0x84, 1}, {0x6F, 1}, {0x9F38, 2}, {0x5F2D, 2}, {0xBF0C, 2}, {0xDF8101, 3},
        {0x9F818201, 4}, {0x00, 0}, {0x1F, 0}, {0x9F, 0}, {0x9F80, 0}, {0x8401, 0}, {0xFF01, 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i++) {
        uint8_t out[TLV_MAX_TAG_BYTES];
        EXPECT(tlv_tag_bytes(cases[i].tag, out) == cases[i].count);
    }
    char text[TLV_TAG_TEXT_SIZE];
    tlv_format_tag(0x9F38, text);
    EXPECT(strcmp(text, "9F38") == 0);
    tlv_format_tag(0x0A, text);
    EXPECT(strcmp(text, "0A") == 0);
}

static void test_headers(void)
{
    static const struct {
        uint32_t tag;
        size_t length;
        const char *header;
    } cases[] = {
        {0x84, 0, "84 00"},
        {0x84, 127, "84 7F"},
        {0x84, 128, "84 81 80"},
        {0x9F38, 255, "9F38 81 FF"},
        {0x70, 256, "70 82 0100"},
        {0x70, 65536, "70 83 010000"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i++) {
        uint8_t expected[16], out[16];
        size_t n = bytes(cases[i].header, expected);
        EXPECT(tlv_write_header(cases[i].tag, cases[i].length, out) == n);
        EXPECT(memcmp(out, expected, n) == 0);
        EXPECT(tlv_length_size(cases[i].length) == n - (cases[i].tag > 0xFF ? 2 : 1));
    }
}

int main(void)
{
    test_check_table();
    test_nesting_limit();
    test_find();
    test_tags();
    test_headers();
    printf("codec: %d passed, %d failed\n", checks - failures, failures);
    return failures == 0 ? 0 : 1;
}
