// Compile-time check of the public records' layout.
#include "api/layout_check.h"
