// The front end's single error exit: deliver the message, then abandon the
// compilation by throwing CompileError, which only parseScript catches.
#pragma once

#include <cstddef>

namespace pelorn::front {

// Thrown once the message has been delivered; carries nothing.
struct CompileError {};

// Formatted texts of the tree checks are cut like fixed buffers would cut
// them: the long-name checks of ++, -- and APDU parts to 127 characters,
// the other checks to 255, a missing include's text to 511.
constexpr size_t kShortCheckLimit = 127;
constexpr size_t kCheckLimit = 255;
constexpr size_t kIncludeMessageLimit = 511;
// Texts naming a module's path are not cut (messages still stop at 1023).
constexpr size_t kUncutMessage = static_cast<size_t>(-1);

// "%s(%d) : %s\n" at the current position, or "%s\n" once the main file
// has ended; then throws CompileError.
[[noreturn]] void raiseCompileError(const char *text);
// Formats the text, cuts it to `limit` characters and raises it.
[[noreturn]] void raiseCompileErrorf(size_t limit, const char *format, ...) __attribute__((format(printf, 2, 3)));

} // namespace pelorn::front
