// The APDU statement's messages and trace lines.
#pragma once

#include <cstddef>

namespace pelorn::interp::apdu_text {

inline constexpr char kNoCurrentReader[] = "No current smart card read set yet";
inline constexpr char kWrongPartType[] =
    "An expression on the APDU command didn't evaluate to a byte array, string or integer";
inline constexpr char kEmptyPart[] = "An expression on the APDU command has an empty content";

inline constexpr char kTraceCommand[] = "\tCommand         : %s\n";
inline constexpr char kTraceData[] = "\tOutput Data (%d bytes) : %s\n";
inline constexpr char kTraceNoData[] = "\tOutput Data     : none\n";
inline constexpr char kTraceStatus[] = "\tStatus          : %.2X\n";
inline constexpr char kTraceStatusMasked[] = "\tStatus          : %.2X (expecting %.4s)\n";
inline constexpr char kTraceDuration[] = "\tDuration        : %d ms\n\n";

// The mismatch text is built in a buffer of this size (cut one short).
constexpr size_t kMismatchBufferSize = 256;
inline constexpr char kMismatchStart[] = "Error: unexpected status word returned (0x%s instead of {";

} // namespace pelorn::interp::apdu_text
