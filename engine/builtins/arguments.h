// What every built-in does with its arguments: type tests, the
// bad-argument answer, throwing a text, walking a string's segments.
//
// Built-ins are the engine's own: their arrays, taken and made, may be in
// either form and are read and built through value/arrays.h only (they
// make vectors); a module's routines get and give the public form.
#pragma once

#include "api/channels.h"
#include "pelorn.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pelorn::builtins {

// Writes the routine's bad-argument message; the routine returns the code.
inline int32_t badArguments(const char *text)
{
    api::WriteMessage("%s", text);
    return PELORN_BAD_ARGUMENTS;
}

// Throws a text into the script (ThrowStringException never returns).
[[noreturn]] inline void fail(const char *text)
{
    ThrowStringException(text);
    __builtin_unreachable();
}

inline bool isInteger(const ArgumentSlot &slot) { return slot.value.type == PELORN_INTEGER; }
inline bool isFloat(const ArgumentSlot &slot) { return slot.value.type == PELORN_FLOAT; }
inline bool isString(const ArgumentSlot &slot) { return slot.value.type == PELORN_STRING; }
inline bool isBoolean(const ArgumentSlot &slot) { return slot.value.type == PELORN_BOOLEAN; }
inline bool isBytes(const ArgumentSlot &slot) { return slot.value.type == PELORN_BYTEARRAY; }
inline bool isNumber(const ArgumentSlot &slot) { return isInteger(slot) || isFloat(slot); }

// True when the argument is written as a bare variable, the form whose value
// the call copies back into the variable. The interpreter, which owns the
// argument's node, defines it (interp/arguments.cpp).
bool isVariableReference(const ArgumentSlot &slot);

// A byte array's length; never negative, whatever a module stored.
inline size_t byteCount(const ScriptValue &v) { return v.u.bytes.length > 0 ? static_cast<size_t>(v.u.bytes.length) : 0; }

// Calls visit(text, length) for each segment of a string, each text up to
// its NUL; segments without text are skipped.
template <typename Visit>
void forEachSegment(const ScriptValue &s, Visit visit)
{
    for (const StringChunk *c = &s.u.string.first; c != nullptr; c = c->next) {
        if (c->text != nullptr)
            visit(c->text, std::strlen(c->text));
    }
}

} // namespace pelorn::builtins
