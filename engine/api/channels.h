// The engine's three channels to its host: script output, diagnostics and
// script input. Hosts replace each with a callback; null restores the
// default (the process's standard streams).
#pragma once

#include "pelorn.h"

#include <cstdint>

namespace pelorn::api {

// A diagnostic holds at most this many characters; longer ones are cut.
constexpr int kMessageCapacity = 1023;
// ReadLine's buffer: one line of at most 1024 characters and its NUL.
constexpr int kLineBufferSize = 1025;

// Formats and delivers one piece of script output, of any length.
int32_t WriteStandardOutput(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Formats and delivers one diagnostic, cut to kMessageCapacity characters.
int32_t WriteMessage(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Delivers an already formatted text without interpreting '%'.
void WriteStandardOutputText(const char *text, size_t length);
// Fills the line buffer with the next input line.
void ReadStandardInput();
char *lineBuffer();

StandardOutputFn setStandardOutput(StandardOutputFn fn);
MessageOutputFn setMessageOutput(MessageOutputFn fn);
StandardInputFn setStandardInput(StandardInputFn fn);

} // namespace pelorn::api
