/*
 * gp_names.c - kinds, life cycle states and privileges in words.
 */
#include "gp_names.h"

#include <stdio.h>
#include <string.h>

/* Privileges by bit, first byte first, most significant bit first. */
static const char *const kPrivileges[3][8] = {
    {"Security Domain", "DAP Verification", "Delegated Management", "Card Lock", "Card Terminate", "Card Reset",
     "CVM Management", "Mandated DAP Verification"},
    {"Trusted Path", "Authorized Management", "Token Verification", "Global Delete", "Global Lock",
     "Global Registry", "Final Application", "Global Service"},
    {"Receipt Generation", "Ciphered Load File Data Block", "Contactless Activation", "Contactless Self-Activation",
     NULL, NULL, NULL, NULL},
};

const char *gp_kind_name(GpKind kind)
{
    switch (kind) {
    case GP_KIND_ISD:
        return "ISD";
    case GP_KIND_APPLICATION:
        return "Application";
    case GP_KIND_DOMAIN:
        return "Security Domain";
    default:
        return "Load File";
    }
}

const char *gp_state_name(GpKind kind, uint8_t state)
{
    switch (kind) {
    case GP_KIND_ISD:
        switch (state) {
        case 0x01:
            return "OP_READY";
        case 0x07:
            return "INITIALIZED";
        case 0x0F:
            return "SECURED";
        case 0x7F:
            return "CARD_LOCKED";
        case 0xFF:
            return "TERMINATED";
        default:
            return "UNKNOWN";
        }
    case GP_KIND_LOAD_FILE:
        return state == 0x01 ? "LOADED" : "UNKNOWN";
    default:
        /* Applications and domains: bit 8 locks whatever the rest says. */
        if ((state & 0x80) != 0 && (state & 0x03) == 0x03)
            return "LOCKED";
        if (state == 0x03)
            return "INSTALLED";
        if (state == 0x07)
            return "SELECTABLE";
        if (kind == GP_KIND_DOMAIN && state == 0x0F)
            return "PERSONALIZED";
        if (kind == GP_KIND_APPLICATION && (state & 0x07) == 0x07)
            return "APPLICATION SPECIFIC";
        return "UNKNOWN";
    }
}

size_t gp_privilege_names(const uint8_t *privileges, size_t count, char *out, size_t size)
{
    size_t length = 0;
    for (size_t byte = 0; byte < count && byte < 3; byte++) {
        for (int bit = 0; bit < 8; bit++) {
            const char *name = kPrivileges[byte][bit];
            if (name == NULL || (privileges[byte] & (0x80 >> bit)) == 0)
                continue;
            int n = snprintf(out != NULL && length < size ? out + length : NULL,
                             out != NULL && length < size ? size - length : 0, "%s%s", length > 0 ? ", " : "", name);
            length += (size_t)n;
        }
    }
    return length;
}
