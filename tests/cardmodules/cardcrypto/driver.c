/* driver.c - the card cryptography library on a line protocol, for the
 * cross-check against another implementation. Each input line is one
 * operation with hex arguments ("-" for an absent IV); each output line is
 * the hex result, or "error" when the library refused.
 *
 *   encrypt|decrypt des|tdes|aes ecb|cbc KEY IV DATA
 *   retail|cbcmac KEY IV DATA
 *   cmac tdes|aes KEY DATA
 *   kdf KEY LABEL CONTEXT BITS          (LABEL and CONTEXT may be "-")
 *   pad80|pad00 BLOCK DATA
 *   unpad80 BLOCK DATA                  (the data length, or error)
 */
#include "card_crypto.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define LINE_SIZE 65536   /* the longest operation line the cross-check writes */
#define MAX_BYTES 16384   /* the most bytes one argument holds */

typedef struct {
    uint8_t bytes[MAX_BYTES];
    size_t length;
    int present;
} Buffer;

static int parse_hex(const char *text, Buffer *out)
{
    out->length = 0;
    out->present = strcmp(text, "-") != 0;
    if (!out->present)
        return 1;
    size_t n = strlen(text);
    if (n % 2 != 0 || n / 2 > MAX_BYTES)
        return 0;
    for (size_t i = 0; i < n; i += 2) {
        unsigned value;
        if (sscanf(text + i, "%2x", &value) != 1)
            return 0;
        out->bytes[out->length++] = (uint8_t)value;
    }
    return 1;
}

static void print_hex(const uint8_t *bytes, size_t length)
{
    for (size_t i = 0; i < length; i++)
        printf("%02x", bytes[i]);
    printf("\n");
}

static CardCipher cipher_named(const char *name)
{
    if (strcmp(name, "des") == 0)
        return CARD_CIPHER_DES;
    return strcmp(name, "tdes") == 0 ? CARD_CIPHER_TDES : CARD_CIPHER_AES;
}

static Buffer key, iv, data, extra;
static uint8_t out[MAX_BYTES + CARD_MAX_BLOCK];

static void run(char *line)
{
    char *words[8];
    int count = 0;
    for (char *word = strtok(line, " \n"); word != NULL && count < 8; word = strtok(NULL, " \n"))
        words[count++] = word;
    if (count == 0)
        return;
    const char *op = words[0];
    int status = -1;
    size_t length = 0;
    if ((strcmp(op, "encrypt") == 0 || strcmp(op, "decrypt") == 0) && count == 6 && parse_hex(words[3], &key) &&
        parse_hex(words[4], &iv) && parse_hex(words[5], &data)) {
        CardMode mode = strcmp(words[2], "cbc") == 0 ? CARD_MODE_CBC : CARD_MODE_ECB;
        const uint8_t *chain = iv.present ? iv.bytes : NULL;
        status = op[0] == 'e' ? card_encrypt(cipher_named(words[1]), mode, key.bytes, key.length, chain,
                                             data.bytes, data.length, out)
                              : card_decrypt(cipher_named(words[1]), mode, key.bytes, key.length, chain,
                                             data.bytes, data.length, out);
        length = data.length;
    } else if ((strcmp(op, "retail") == 0 || strcmp(op, "cbcmac") == 0) && count == 4 &&
               parse_hex(words[1], &key) && parse_hex(words[2], &iv) && parse_hex(words[3], &data)) {
        const uint8_t *chain = iv.present ? iv.bytes : NULL;
        status = op[0] == 'r' ? card_retail_mac(key.bytes, key.length, chain, data.bytes, data.length, out)
                              : card_tdes_cbc_mac(key.bytes, key.length, chain, data.bytes, data.length, out);
        length = CARD_DES_BLOCK;
    } else if (strcmp(op, "cmac") == 0 && count == 4 && parse_hex(words[2], &key) && parse_hex(words[3], &data)) {
        CardCipher cipher = cipher_named(words[1]);
        status = card_cmac(cipher, key.bytes, key.length, data.bytes, data.length, out);
        length = card_block_size(cipher);
    } else if (strcmp(op, "kdf") == 0 && count == 5 && parse_hex(words[1], &key) && parse_hex(words[2], &extra) &&
               parse_hex(words[3], &data)) {
        unsigned bits = (unsigned)strtoul(words[4], NULL, 10);
        status = card_kdf_cmac(key.bytes, key.length, extra.bytes, extra.length, data.bytes, data.length, bits,
                               out);
        length = bits / 8;
    } else if ((strcmp(op, "pad80") == 0 || strcmp(op, "pad00") == 0) && count == 3 &&
               parse_hex(words[2], &data)) {
        size_t block = strtoul(words[1], NULL, 10);
        int method2 = op[3] == '8';
        length = method2 ? card_pad80_length(data.length, block) : card_pad00_length(data.length, block);
        if (length <= sizeof out)
            status = method2 ? card_pad80(data.bytes, data.length, block, out)
                             : card_pad00(data.bytes, data.length, block, out);
    } else if (strcmp(op, "unpad80") == 0 && count == 3 && parse_hex(words[2], &data)) {
        size_t block = strtoul(words[1], NULL, 10);
        if (card_unpad80(data.bytes, data.length, block, &length) == 0) {
            printf("%zu\n", length);
            return;
        }
    }
    if (status == 0)
        print_hex(out, length);
    else
        printf("error\n");
}

int main(void)
{
    static char line[LINE_SIZE];
    while (fgets(line, sizeof line, stdin) != NULL) {
        run(line);
        fflush(stdout);
    }
    return 0;
}
