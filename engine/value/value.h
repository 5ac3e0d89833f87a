// Values: making, copying and releasing the ScriptValue record.
#pragma once

#include "pelorn.h"

#include <cstdint>
#include <cstring>

namespace pelorn::value {

// A record with no type, no payload and no hooks.
inline ScriptValue empty()
{
    ScriptValue v;
    std::memset(&v, 0, sizeof v);
    return v;
}

inline void clear(ScriptValue &v) { std::memset(&v, 0, sizeof v); }

// The hooks every value made by the engine carries.
inline void setDefaultHooks(ScriptValue &v)
{
    v.getProperty = GetField;
    v.setProperty = SetField;
    v.release = nullptr;
    v.copy = nullptr;
    v.freeBlock = nullptr;
}

ScriptValue makeInteger(int64_t n);
ScriptValue makeFloat(double d);
ScriptValue makeBoolean(bool b);
// A one-segment string holding a copy of the first `length` bytes of text.
ScriptValue makeString(const char *text, uint32_t length);
ScriptValue makeString(const char *text);
// A one-segment string that takes over a zalloc/zstrdup block.
ScriptValue adoptString(char *block, uint32_t length);
// A byte array holding a copy of the bytes (a fresh block even for 0 bytes).
ScriptValue makeBytes(const uint8_t *data, int32_t length);
// A byte array that takes over a zalloc block (null allowed when length is 0).
ScriptValue adoptBytes(uint8_t *block, int32_t length);
ScriptValue makeEmptyArray();

// Code of a module or host (a routine, a property, copy or release hook)
// may have reshaped any value it can reach, without the engine's frees or
// appends: every remembered position in string chains is dropped. Also
// called when a run starts and ends, so nothing remembered outlives a run
// (a host may run scripts on different threads in turn).
void forgetPositions();

// FreeValue: releases the payload (through the value's own hook if it has
// one); afterwards the type is 0.
void release(ScriptValue &v);

// Deep copy: releases destination first, then makes it an independent copy
// of source. False (after the message "Unknow type for assignation.") when
// the type has no copy procedure or a copy hook fails.
bool copy(const ScriptValue &source, ScriptValue &destination);

// Moves source into destination (releasing what destination held) and
// leaves source empty. No payload is copied.
inline void move(ScriptValue &source, ScriptValue &destination)
{
    release(destination);
    destination = source;
    clear(source);
}

inline bool isInteger(const ScriptValue &v) { return v.type == PELORN_INTEGER; }
inline bool isFloat(const ScriptValue &v) { return v.type == PELORN_FLOAT; }
inline bool isString(const ScriptValue &v) { return v.type == PELORN_STRING; }
inline bool isBoolean(const ScriptValue &v) { return v.type == PELORN_BOOLEAN; }
inline bool isBytes(const ScriptValue &v) { return v.type == PELORN_BYTEARRAY; }

} // namespace pelorn::value
