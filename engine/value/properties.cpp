// Placeholder for the default property hooks until they exist.
#include "pelorn.h"

extern "C" {
PELORN_API int32_t GetField(ScriptValue *, const char *, ScriptValue *) { return 1; }
PELORN_API int32_t SetField(ScriptValue *, const char *, ScriptValue *) { return 1; }
}
