// Output, diagnostics and input channels.
#include "api/channels.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace pelorn::api {

namespace {

StandardOutputFn standardOutputCallback = nullptr;
MessageOutputFn messageCallback = nullptr;
StandardInputFn standardInputCallback = nullptr;
char line[kLineBufferSize];

void deliverOutput(const char *text, size_t length)
{
    if (standardOutputCallback != nullptr) {
        standardOutputCallback(text);
        return;
    }
    std::fwrite(text, 1, length, stdout);
}

} // namespace

int32_t WriteStandardOutput(const char *format, ...)
{
    char local[kMessageCapacity + 1];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(local, sizeof local, format, args);
    va_end(args);
    if (n < 0) {
        va_end(again);
        return 0;
    }
    if (static_cast<size_t>(n) < sizeof local) {
        va_end(again);
        deliverOutput(local, static_cast<size_t>(n));
        return n;
    }
    auto *heap = static_cast<char *>(std::malloc(static_cast<size_t>(n) + 1));
    if (heap == nullptr) {
        va_end(again);
        return 0;
    }
    std::vsnprintf(heap, static_cast<size_t>(n) + 1, format, again);
    va_end(again);
    deliverOutput(heap, static_cast<size_t>(n));
    std::free(heap);
    return n;
}

void WriteStandardOutputText(const char *text, size_t length)
{
    deliverOutput(text, length);
}

int32_t WriteMessage(const char *format, ...)
{
    char text[kMessageCapacity + 1];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0)
        return 0;
    if (messageCallback != nullptr)
        messageCallback(text);
    else
        std::fputs(text, stdout);
    return n;
}

void ReadStandardInput()
{
    if (standardInputCallback != nullptr) {
        standardInputCallback(line, kLineBufferSize);
        return;
    }
    line[0] = '\0';
    if (std::fgets(line, kLineBufferSize, stdin) == nullptr) {
        line[0] = '\0';
        return;
    }
    size_t n = std::strlen(line);
    if (n > 0 && line[n - 1] == '\n') {
        line[--n] = '\0';
        if (n > 0 && line[n - 1] == '\r')
            line[--n] = '\0';
    }
}

char *lineBuffer() { return line; }

StandardOutputFn setStandardOutput(StandardOutputFn fn)
{
    standardOutputCallback = fn;
    return fn;
}

MessageOutputFn setMessageOutput(MessageOutputFn fn)
{
    messageCallback = fn;
    return fn;
}

StandardInputFn setStandardInput(StandardInputFn fn)
{
    standardInputCallback = fn;
    return fn;
}

} // namespace pelorn::api

extern "C" {

PELORN_API StandardOutputFn SetStandardOutputFn(StandardOutputFn fn) { return pelorn::api::setStandardOutput(fn); }
PELORN_API MessageOutputFn SetMessageOutputFn(MessageOutputFn fn) { return pelorn::api::setMessageOutput(fn); }
PELORN_API StandardInputFn SetStandardInputFn(StandardInputFn fn) { return pelorn::api::setStandardInput(fn); }

} // extern "C"
