// PC/SC error texts: GetErrorMessage and the texts inside card messages.
#include "card/pcsc_error.h"

#include <PCSC/pcsclite.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace pelorn::card {

namespace {

// pcsc-lite names a code it does not know with this prefix and the number.
constexpr char kUnknownPrefix[] = "Unknown error: ";

} // namespace

const char *errorText(int64_t code)
{
    return pcsc_stringify_error(static_cast<LONG>(static_cast<uint32_t>(code)));
}

void throwMessage(size_t capacity, const char *format, ...)
{
    char buffer[kTransmitMessageBufferSize];
    if (capacity > sizeof buffer)
        capacity = sizeof buffer;
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, capacity, format, arguments);
    va_end(arguments);
    ThrowStringException(buffer);
    __builtin_unreachable();
}

} // namespace pelorn::card

extern "C" PELORN_API char *GetErrorMessage(uint32_t code)
{
    const char *text = pelorn::card::errorText(code);
    if (text == nullptr || std::strncmp(text, pelorn::card::kUnknownPrefix, sizeof pelorn::card::kUnknownPrefix - 1) == 0)
        return nullptr;
    return zstrdup(text);
}
