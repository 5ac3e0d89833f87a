/* padding.c - XOR and the ISO/IEC 9797-1 padding methods 1 and 2. */
#include "card_crypto.h"

#include <string.h>

#define PAD80_MARK 0x80 /* the first padding byte of method 2 */

void card_xor(const uint8_t *a, const uint8_t *b, size_t length, uint8_t *out)
{
    for (size_t i = 0; i < length; i++)
        out[i] = a[i] ^ b[i];
}

size_t card_pad80_length(size_t length, size_t block)
{
    return block == 0 ? 0 : length + (block - length % block);
}

int card_pad80(const uint8_t *data, size_t length, size_t block, uint8_t *out)
{
    if (block == 0 || length > SIZE_MAX - block)
        return -1;
    size_t total = card_pad80_length(length, block);
    if (out != data && length > 0)
        memmove(out, data, length);
    out[length] = PAD80_MARK;
    memset(out + length + 1, 0, total - length - 1);
    return 0;
}

int card_unpad80(const uint8_t *data, size_t length, size_t block, size_t *dataLength)
{
    if (block > 0 && length % block != 0)
        return -1;
    size_t end = length;
    while (end > 0 && data[end - 1] == 0x00)
        end--;
    if (end == 0 || data[end - 1] != PAD80_MARK)
        return -1;
    end--;
    if (block > 0 && length - end > block)
        return -1;
    *dataLength = end;
    return 0;
}

size_t card_pad00_length(size_t length, size_t block)
{
    if (block == 0)
        return 0;
    if (length == 0)
        return block;
    return length % block == 0 ? length : length + (block - length % block);
}

int card_pad00(const uint8_t *data, size_t length, size_t block, uint8_t *out)
{
    if (block == 0 || length > SIZE_MAX - block)
        return -1;
    size_t total = card_pad00_length(length, block);
    if (out != data && length > 0)
        memmove(out, data, length);
    memset(out + length, 0, total - length);
    return 0;
}
