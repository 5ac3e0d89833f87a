// Status-word masks of the APDU statement: {9000, 61XX}, stored as the
// alternatives' characters run together, four per alternative.
#pragma once

#include <cstdint>
#include <string>

namespace pelorn::interp {

// An alternative matches when each character, in lower case, is 'x' or
// the status word's hexadecimal digit at that place.
bool statusMatches(uint16_t sw, const std::string &mask);

// "Error: unexpected status word returned (0x6a82 instead of {9000,61XX}",
// cut to 255 characters.
std::string mismatchText(uint16_t sw, const std::string &mask);

} // namespace pelorn::interp
