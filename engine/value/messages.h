// The texts of the value layer: what a copy reports and what a property
// conversion throws. They carry no file or line.
#pragma once

namespace pelorn::value::messages {

inline constexpr const char kUnknownTypeForAssignation[] = "Unknow type for assignation.";
// A copy whose blocks could not be allocated: the run stops rather than go
// on with a value that lost its contents.
inline constexpr const char kNotEnoughMemoryToCopy[] = "Not enough memory to copy the value.";

inline constexpr const char kStringToInteger[] = "Can't convert string to integer";
inline constexpr const char kStringToIntegerOverflow[] = "Overflow occurred while converting string to integer";
inline constexpr const char kStringToFloat[] = "Can't convert string to float";
inline constexpr const char kStringToFloatOverflow[] = "Overflow occurred while converting string to float";
// A conversion whose text would not fit in memory (or in a string's
// 32-bit length).
inline constexpr const char kConversionTooLarge[] = "Not enough memory to convert the value to text";

// What an array element, or a printed value, shows when it has no text of
// its own.
inline constexpr const char kUnknownText[] = "(unknown)";

} // namespace pelorn::value::messages
