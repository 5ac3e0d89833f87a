// Matching status words against APDU masks.
#include "interp/apdu_mask.h"

#include "interp/apdu_texts.h"

#include <cctype>
#include <cstdio>

namespace pelorn::interp {

namespace {

constexpr size_t kAlternativeLength = 4;

void swDigits(uint16_t sw, char (&digits)[5]) { std::snprintf(digits, sizeof digits, "%.4x", sw); }

} // namespace

bool statusMatches(uint16_t sw, const std::string &mask)
{
    char digits[5];
    swDigits(sw, digits);
    size_t alternatives = mask.size() / kAlternativeLength;
    for (size_t a = 0; a < alternatives; ++a) {
        const char *alternative = mask.data() + a * kAlternativeLength;
        bool matches = true;
        for (size_t i = 0; i < kAlternativeLength && matches; ++i) {
            char c = static_cast<char>(std::tolower(static_cast<unsigned char>(alternative[i])));
            matches = c == 'x' || c == digits[i];
        }
        if (matches)
            return true;
    }
    return false;
}

std::string mismatchText(uint16_t sw, const std::string &mask)
{
    char digits[5];
    swDigits(sw, digits);
    char buffer[apdu_text::kMismatchBufferSize];
    size_t used = static_cast<size_t>(std::snprintf(buffer, sizeof buffer, apdu_text::kMismatchStart, digits));
    size_t alternatives = mask.size() / kAlternativeLength;
    std::string text(buffer, used < sizeof buffer ? used : sizeof buffer - 1);
    for (size_t a = 0; a < alternatives; ++a) {
        text.append(mask, a * kAlternativeLength, kAlternativeLength);
        text.push_back(a + 1 < alternatives ? ',' : '}');
    }
    if (alternatives == 0)
        text.push_back('}');
    if (text.size() > apdu_text::kMismatchBufferSize - 1)
        text.resize(apdu_text::kMismatchBufferSize - 1);
    return text;
}

} // namespace pelorn::interp
