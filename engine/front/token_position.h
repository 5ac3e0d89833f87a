// Where a token, or the construct a rule reduces, starts: the generated
// parser carries one of these with every symbol (its location type).
#pragma once

#include <cstdint>

namespace pelorn::interp {
struct SourceFile;
}

namespace pelorn::front {

struct TokenPosition {
    const interp::SourceFile *source = nullptr;
    int32_t line = 0; // 1-based, the line the token's first character is on

    constexpr TokenPosition() = default;
    constexpr TokenPosition(const interp::SourceFile *file, int32_t lineNumber) : source(file), line(lineNumber) {}
    // The parser's first location, which it writes { 1, 1, 1, 1 }: nowhere yet.
    constexpr TokenPosition(int, int, int, int) {}
};

} // namespace pelorn::front
