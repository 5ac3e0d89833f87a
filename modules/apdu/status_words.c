/* status_words.c - the status-word table. */
#include "status_words.h"

#include <stdio.h>

/* How the bits under the mask show in the text. */
typedef enum {
    SHOWN_NOT,        /* a fixed text */
    SHOWN_COUNT_256,  /* SW2 as a count, 00 meaning 256 */
    SHOWN_LOW_NIBBLE  /* the low four bits as a number */
} Shown;

typedef struct {
    uint16_t value;
    uint16_t mask;
    Shown shown;
    const char *text; /* a printf format with one %u when shown */
} StatusWord;

/* ORDER MATTERS: the first entry that matches wins, so exact words come
 * before the family that holds them. */
static const StatusWord table[] = {
    {0x9000, 0xFFFF, SHOWN_NOT, "Success"},
    {0x6100, 0xFF00, SHOWN_COUNT_256, "%u response bytes still available (GET RESPONSE)"},
    {0x6200, 0xFFFF, SHOWN_NOT, "Warning, memory unchanged: no information given"},
    {0x6281, 0xFFFF, SHOWN_NOT, "Warning: part of the returned data may be corrupted"},
    {0x6282, 0xFFFF, SHOWN_NOT, "Warning: end of file or record reached before reading Le bytes"},
    {0x6283, 0xFFFF, SHOWN_NOT, "Warning: selected file deactivated (GlobalPlatform: card locked)"},
    {0x6284, 0xFFFF, SHOWN_NOT, "Warning: file control information not formatted as ISO/IEC 7816-4 says"},
    {0x6285, 0xFFFF, SHOWN_NOT, "Warning: selected file in termination state"},
    {0x6286, 0xFFFF, SHOWN_NOT, "Warning: no input data available from a sensor on the card"},
    {0x6300, 0xFFFF, SHOWN_NOT, "Warning, memory changed: no information given (GlobalPlatform: "
                                "authentication of the host cryptogram failed)"},
    {0x6310, 0xFFFF, SHOWN_NOT, "More data available (GlobalPlatform GET STATUS)"},
    {0x6381, 0xFFFF, SHOWN_NOT, "Warning: file filled up by the last write"},
    {0x63C0, 0xFFF0, SHOWN_LOW_NIBBLE, "Verification failed, tries left: %u"},
    {0x6400, 0xFFFF, SHOWN_NOT, "Execution error, memory unchanged"},
    {0x6401, 0xFFFF, SHOWN_NOT, "Execution error: immediate response required by the card"},
    {0x6500, 0xFFFF, SHOWN_NOT, "Execution error, memory changed"},
    {0x6581, 0xFFFF, SHOWN_NOT, "Memory failure"},
    {0x6700, 0xFFFF, SHOWN_NOT, "Wrong length"},
    {0x6800, 0xFFFF, SHOWN_NOT, "Functions in CLA not supported"},
    {0x6881, 0xFFFF, SHOWN_NOT, "Logical channel not supported"},
    {0x6882, 0xFFFF, SHOWN_NOT, "Secure messaging not supported"},
    {0x6883, 0xFFFF, SHOWN_NOT, "Last command of the chain expected"},
    {0x6884, 0xFFFF, SHOWN_NOT, "Command chaining not supported"},
    {0x6900, 0xFFFF, SHOWN_NOT, "Command not allowed"},
    {0x6981, 0xFFFF, SHOWN_NOT, "Command incompatible with file structure"},
    {0x6982, 0xFFFF, SHOWN_NOT, "Security status not satisfied"},
    {0x6983, 0xFFFF, SHOWN_NOT, "Authentication method blocked"},
    {0x6984, 0xFFFF, SHOWN_NOT, "Reference data not usable"},
    {0x6985, 0xFFFF, SHOWN_NOT, "Conditions of use not satisfied"},
    {0x6986, 0xFFFF, SHOWN_NOT, "Command not allowed (no current EF)"},
    {0x6987, 0xFFFF, SHOWN_NOT, "Expected secure messaging data objects missing"},
    {0x6988, 0xFFFF, SHOWN_NOT, "Incorrect secure messaging data objects"},
    {0x6999, 0xFFFF, SHOWN_NOT, "Applet selection failed"},
    {0x6A80, 0xFFFF, SHOWN_NOT, "Incorrect parameters in the command data field"},
    {0x6A81, 0xFFFF, SHOWN_NOT, "Function not supported"},
    {0x6A82, 0xFFFF, SHOWN_NOT, "File or application not found"},
    {0x6A83, 0xFFFF, SHOWN_NOT, "Record not found"},
    {0x6A84, 0xFFFF, SHOWN_NOT, "Not enough memory space"},
    {0x6A85, 0xFFFF, SHOWN_NOT, "Nc inconsistent with TLV structure"},
    {0x6A86, 0xFFFF, SHOWN_NOT, "Incorrect parameters P1-P2"},
    {0x6A87, 0xFFFF, SHOWN_NOT, "Nc inconsistent with parameters P1-P2"},
    {0x6A88, 0xFFFF, SHOWN_NOT, "Referenced data or reference data not found"},
    {0x6A89, 0xFFFF, SHOWN_NOT, "File already exists"},
    {0x6A8A, 0xFFFF, SHOWN_NOT, "DF name already exists"},
    {0x6B00, 0xFFFF, SHOWN_NOT, "Wrong parameters P1-P2"},
    {0x6C00, 0xFF00, SHOWN_COUNT_256, "Wrong Le: %u bytes available"},
    {0x6D00, 0xFFFF, SHOWN_NOT, "Instruction code not supported or invalid"},
    {0x6E00, 0xFFFF, SHOWN_NOT, "Class not supported"},
    {0x6F00, 0xFFFF, SHOWN_NOT, "No precise diagnosis"},
    {0x9484, 0xFFFF, SHOWN_NOT, "Algorithm not supported (GlobalPlatform)"},
    {0x9485, 0xFFFF, SHOWN_NOT, "Invalid key check value (GlobalPlatform)"},
    /* The families, for the words above not named. */
    {0x6200, 0xFF00, SHOWN_NOT, "Warning, memory unchanged"},
    {0x6300, 0xFF00, SHOWN_NOT, "Warning, memory changed"},
    {0x6400, 0xFF00, SHOWN_NOT, "Execution error, memory unchanged"},
    {0x6500, 0xFF00, SHOWN_NOT, "Execution error, memory changed"},
    {0x6600, 0xFF00, SHOWN_NOT, "Security-related issue"},
    {0x6700, 0xFF00, SHOWN_NOT, "Wrong length"},
    {0x6800, 0xFF00, SHOWN_NOT, "Functions in CLA not supported"},
    {0x6900, 0xFF00, SHOWN_NOT, "Command not allowed"},
    {0x6A00, 0xFF00, SHOWN_NOT, "Wrong parameters P1-P2"},
    {0x9000, 0xF000, SHOWN_NOT, "Application-specific status"},
};

void status_word_text(uint16_t sw, char *out, size_t size)
{
    for (size_t i = 0; i < sizeof table / sizeof table[0]; i++) {
        const StatusWord *entry = &table[i];
        if ((sw & entry->mask) != entry->value)
            continue;
        unsigned low = sw & (uint16_t)~entry->mask;
        switch (entry->shown) {
        case SHOWN_NOT:
            snprintf(out, size, "%s", entry->text);
            return;
        case SHOWN_COUNT_256:
            snprintf(out, size, entry->text, low == 0 ? 256u : low);
            return;
        case SHOWN_LOW_NIBBLE:
            snprintf(out, size, entry->text, low);
            return;
        }
    }
    snprintf(out, size, "Unknown status word");
}
