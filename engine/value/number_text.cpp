// Reading numbers from text for the "integer" and "float" properties.
#include "value/number_text.h"

#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace pelorn::value {

namespace {

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The end of the decimal number at the start of text (blanks, sign,
// digits, fraction, exponent), or text itself when there is none.
const char *decimalEnd(const char *text)
{
    const char *p = text;
    while (isBlank(*p))
        ++p;
    if (*p == '+' || *p == '-')
        ++p;
    bool anyDigit = false;
    while (*p >= '0' && *p <= '9') {
        ++p;
        anyDigit = true;
    }
    if (*p == '.') {
        ++p;
        while (*p >= '0' && *p <= '9') {
            ++p;
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return text;
    if (*p == 'e' || *p == 'E') {
        const char *e = p + 1;
        if (*e == '+' || *e == '-')
            ++e;
        if (*e >= '0' && *e <= '9') {
            while (*e >= '0' && *e <= '9')
                ++e;
            p = e;
        }
    }
    return p;
}

} // namespace

// A text read as a signed 64-bit integer with automatic base: blanks, a
// sign, then "0x" for hexadecimal, a leading 0 for octal, decimal
// otherwise. The whole text must be read; an empty text is 0.
NumberText parseInteger(const char *text, int64_t &out)
{
    const char *p = text;
    while (isBlank(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digitValue(p[2]) >= 0) {
        base = 16;
        p += 2;
    } else if (p[0] == '0') {
        base = 8;
    }
    const uint64_t limit = negative ? uint64_t{1} << 63 : static_cast<uint64_t>(INT64_MAX);
    const char *digits = p;
    uint64_t magnitude = 0;
    bool overflow = false;
    for (int d; (d = digitValue(*p)) >= 0 && d < base; ++p) {
        if (overflow)
            continue;
        auto digit = static_cast<uint64_t>(d);
        if (magnitude > (limit - digit) / static_cast<uint64_t>(base))
            overflow = true;
        else
            magnitude = magnitude * static_cast<uint64_t>(base) + digit;
    }
    if (p == digits) {
        // Nothing was converted: the text counts as unread from its start.
        out = 0;
        return *text == '\0' ? NumberText::Ok : NumberText::Invalid;
    }
    if (*p != '\0')
        return NumberText::Invalid;
    if (overflow)
        return NumberText::Overflow;
    out = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return NumberText::Ok;
}

// A text read as a double in decimal notation. A zero must be the whole
// text; a non-zero number may be followed by anything ("1.5x" is 1.5).
NumberText parseFloat(char *text, double &out)
{
    char *end = const_cast<char *>(decimalEnd(text));
    out = 0.0;
    if (end != text) {
        // Read only the decimal prefix, in the C locale whatever the host set.
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
        char saved = *end;
        *end = '\0';
        out = strtod_l(text, nullptr, cLocale);
        *end = saved;
    }
    if (out == 0.0)
        return *end == '\0' ? NumberText::Ok : NumberText::Invalid;
    if (std::isinf(out))
        return NumberText::Overflow;
    return NumberText::Ok;
}

} // namespace pelorn::value
