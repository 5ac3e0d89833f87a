/* The public header compiles as C and keeps the fixed layout. */
#include "../../engine/api/layout_check.h"

int pelorn_abi_check_anchor;
