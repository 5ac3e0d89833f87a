/*
 * gp_messages.h - every text the gp module writes or throws.
 */
#ifndef GP_MESSAGES_H
#define GP_MESSAGES_H

#define GP_PROTOTYPES_SELECT "bytearray GpSelect(bytearray aid) | bytearray GpSelect(reader, bytearray aid)."
#define GP_PROTOTYPES_OPEN                                                                                          \
    "GPSESSION GpOpen([reader,] keys, int level [, int keyVersion [, int diversification]]), keys a bytearray or " \
    "an array of three (ENC, MAC, DEK)."
#define GP_PROTOTYPES_SEND "int GpSend(GPSESSION, bytearray command [, variable response])."
#define GP_PROTOTYPES_STATUS "array GpGetStatus(GPSESSION, int kind [, bytearray aidPrefix])."
#define GP_PROTOTYPES_DELETE "void GpDelete(GPSESSION, bytearray aid [, boolean related])."
#define GP_PROTOTYPES_DIVERSIFY "array %s(bytearray masterKey, bytearray kdd), the key of 16 or 24 bytes, kdd of 10."
#define GP_BAD_ARGUMENTS "Bad argument(s) for function \"%s\".Prototypes: %s"

#define GP_NO_READER "%s: no current reader has been set yet"
#define GP_ANSWER_TOO_LONG "%s: the card's answer is longer than %d bytes"
#define GP_REFUSED "%s: the card refused %s (%04X)"
#define GP_NOT_SELECTED "%s: %s not selected (%04X)"
#define GP_BAD_ANSWER_TEXT "%s: INITIALIZE UPDATE's answer is neither SCP02 nor SCP03 (%d bytes)"
#define GP_WRONG_KEYS \
    "%s: the card cryptogram does not match: the keys are not those of key version %02X on the card (SCP0%d)"
#define GP_KEY_LENGTHS "%s: SCP0%d takes %s keys, not keys of %d bytes"
#define GP_LEVEL_TEXT "%s: the card's SCP0%d%s does not offer security level %02X"
#define GP_LEVEL_VALUES "%s: %d is no security level (00, 01, 03, 11, 13 or 33)"
#define GP_DIVERSIFY_KEY "%s: the master key must have 16 or 24 bytes for diversification"
#define GP_DIVERSIFICATION_VALUE "%s: %d is no diversification (GP_DIVERSIFY_NONE, _EMV or _VISA2)"
#define GP_KEY_VERSION_VALUE "%s: %d is no key version (0 to 255)"
#define GP_MALFORMED_COMMAND "%s: not a short command APDU (CLA INS P1 P2 [Lc data] [Le])"
#define GP_TOO_LONG_COMMAND "%s: the command is too long for the secure channel (%d bytes of data)"
#define GP_R_MAC_TEXT "%s: the response's R-MAC does not match"
#define GP_R_PADDING_TEXT "%s: the deciphered response data are not padded"
#define GP_CRYPTO_TEXT "%s: the cryptography failed"
#define GP_STATUS_KIND "%s: %d is no GET STATUS kind (GP_STATUS_ISD, _APPLICATIONS, _LOAD_FILES or _MODULES)"
#define GP_STATUS_TOO_LONG "%s: the listing is longer than %d bytes"
#define GP_STATUS_MALFORMED "%s: the card's listing is not BER-TLV (offset %zu: %s)"
#define GP_AID_LENGTH "%s: an AID has 1 to 16 bytes"
#define GP_NO_MEMORY "%s: out of memory"
#define GP_INVALID_HEX "%s: invalid hex character(s) in the command"

#endif
