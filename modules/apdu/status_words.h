/*
 * status_words.h - readable texts for status words: ISO/IEC 7816-4 and the
 * common GlobalPlatform ones, with the families whose low bits carry a
 * number (61XX, 6CXX, 63CX). No engine types.
 */
#ifndef STATUS_WORDS_H
#define STATUS_WORDS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Room for any text status_word_text writes. */
#define STATUS_TEXT_SIZE 96

/* Writes the text of a status word; an unknown one gets a text saying so. */
void status_word_text(uint16_t sw, char *out, size_t size);

#ifdef __cplusplus
}
#endif

#endif
