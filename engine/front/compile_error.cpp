// Reporting a compile error and abandoning the compilation.
#include "front/compile_error.h"

#include "api/channels.h"
#include "front/compilation.h"
#include "front/messages.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace pelorn::front {

void raiseCompileError(const char *text)
{
    Compilation &c = compilation();
    // Text that more text could complete: the host asks for it instead.
    bool quiet = c.incomplete && c.quietIncomplete;
    if (!quiet && c.positionPrefix && c.current.source != nullptr)
        api::WriteMessage(messages::kWithPosition, c.current.source->path.c_str(), currentLine(), text);
    else if (!quiet)
        api::WriteMessage(messages::kWithoutPosition, text);
    // parseScript closes the files, frees the buffers and everything built.
    throw CompileError{};
}

void raiseCompileErrorf(size_t limit, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    if (text.size() > limit)
        text.resize(limit);
    raiseCompileError(text.c_str());
}

} // namespace pelorn::front
