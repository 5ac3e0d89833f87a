// Reading numbers from text the way the "integer" and "float" properties
// do: whole-text integers with automatic base, decimal floats.
#pragma once

#include <cstdint>

namespace pelorn::value {

enum class NumberText { Ok, Invalid, Overflow };

// Blanks, a sign, then "0x" for hexadecimal, a leading 0 for octal, decimal
// otherwise; the whole text must be read, and an empty text is 0.
NumberText parseInteger(const char *text, int64_t &out);

// Decimal notation only (digits, fraction, exponent). A zero must be the
// whole text; a non-zero number may be followed by anything ("1.5x" is
// 1.5). The text is borrowed writable and given back unchanged.
NumberText parseFloat(char *text, double &out);

} // namespace pelorn::value
