// Helpers shared by the node kinds: positions for messages, raising and
// dropping transfers, turning a value into text for reports, truth values.
#pragma once

#include "interp/fast_values.h"
#include "interp/nodes.h"
#include "value/value.h"

#include <cstdarg>
#include <string>

namespace pelorn::interp {

inline const char *pathOf(const SourceFile *source) { return source != nullptr ? source->path.c_str() : ""; }
inline const char *fileOf(const Statement *node) { return pathOf(node->source); }
inline const char *fileOf(const Expression *node) { return pathOf(node->source); }

// Delivers a run-time message about the node at file and line: the
// position, then the formatted text ("file(line) : text").
void report(const char *file, int32_t line, const char *format, ...) __attribute__((format(printf, 3, 4)));
// report, for helpers that take a format and its arguments themselves.
void vreport(const char *file, int32_t line, const char *format, va_list arguments)
    __attribute__((format(printf, 3, 0)));

// Makes a transfer pending. A value is taken over (source is left empty);
// a null value is a transfer without one (break, exit).
Completion raise(RunContext &run, TransferCode code, ScriptValue *value, const SourceFile *source, int32_t line,
                 const char *routine = nullptr);
// raise, for a value the caller gives up whole: a record about to go out
// of scope, which need not be cleared.
inline Completion raiseWith(RunContext &run, TransferCode code, const ScriptValue &value, const SourceFile *source,
                            int32_t line)
{
    Transfer &t = run.transfer;
    t.code = code;
    t.hasValue = true;
    t.valueInResult = false;
    t.value = value;
    t.routineName = nullptr;
    t.source = source;
    t.line = line;
    return Completion::Transfer;
}
// Ends a pending transfer whose handler needs nothing from it.
void dropTransfer(RunContext &run);

// The value's text through its own "string" property. False when it has no
// property hook, the hook fails or throws, or the result is not a string.
bool textOf(ScriptValue &value, std::string &text);

// Whether a deep copy of v would be an exact, independent duplicate made
// by the engine's own procedure, so that moving v instead changes nothing.
bool copiesPlainly(const ScriptValue &v);

// Gives source's content to destination (releasing what destination held)
// and leaves source empty. Moves when a deep copy would give the same
// value; otherwise copies and releases source. False when the copy failed
// (its message has been delivered).
bool handOverValue(ScriptValue &source, ScriptValue &destination);
inline bool handOver(ScriptValue &source, ScriptValue &destination)
{
    if (isScalar(source.type) && source.copy == nullptr && source.release == nullptr && &source != &destination) {
        moveValue(source, destination);
        return true;
    }
    return handOverValue(source, destination);
}
// handOver into a record known to be empty: a scalar goes over whole and
// nothing needs releasing first.
inline bool handOverToEmpty(ScriptValue &source, ScriptValue &destination)
{
    if (isScalar(source.type) && source.copy == nullptr && source.release == nullptr) {
        destination = source;
        source.type = PELORN_UNDEFINED;
        return true;
    }
    return handOverValue(source, destination);
}

// True when the native stack has too little room left for another call.
inline bool nativeStackExhausted(const RunContext &run)
{
    return static_cast<const char *>(__builtin_frame_address(0)) < run.stackLimit;
}

} // namespace pelorn::interp
