/*
 * gp_names.h - GlobalPlatform registry entries in words: their kinds,
 * life cycle states and privileges.
 */
#ifndef GP_NAMES_H
#define GP_NAMES_H

#include <stddef.h>
#include <stdint.h>

/* What GET STATUS listed; stored as the first byte of an entry value. */
typedef enum GpKind {
    GP_KIND_ISD = 0,
    GP_KIND_APPLICATION = 1,
    GP_KIND_DOMAIN = 2,
    GP_KIND_LOAD_FILE = 3
} GpKind;

const char *gp_kind_name(GpKind kind);

/* "SECURED", "SELECTABLE", "LOADED", ...; a state without a name of its own
 * in the kind's life cycle gives "APPLICATION SPECIFIC" or "UNKNOWN". */
const char *gp_state_name(GpKind kind, uint8_t state);

/* The names of the privileges set in up to three bytes, joined with ", "
 * into out (size bytes); returns the length the whole text needs. */
size_t gp_privilege_names(const uint8_t *privileges, size_t count, char *out, size_t size);

#endif
