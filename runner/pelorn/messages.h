// Every text pelorn itself writes on standard error, in one place.
#pragma once

namespace pelorn::command::text {

inline constexpr char kNoScript[] = "no script";
inline constexpr char kReaderNeedsValue[] = "--reader needs a reader name or index";
inline constexpr char kTextNeedsValue[] = "-e needs the text of a script";
inline constexpr char kUnknownOption[] = "unknown option %s";
inline constexpr char kReaderOptionsExclusive[] = "--reader and --each-reader exclude each other";
inline constexpr char kCheckExcludes[] = "--check runs nothing: %s does not go with it";
inline constexpr char kSessionExcludes[] = "-i reads the session from the terminal: %s does not go with it";
inline constexpr char kUsageError[] = "pelorn: %s\n%sTry 'pelorn --help' for more.\n";

inline constexpr char kNoReaderAtAll[] = "pelorn: no reader \"%s\": no smart-card reader found\n";
inline constexpr char kNoSuchReader[] = "pelorn: no reader \"%s\"; the readers are:\n";
inline constexpr char kReaderListLine[] = "  %u: %s\n";
inline constexpr char kNoReaderWithCard[] = "pelorn: no reader holds a card\n";

inline constexpr char kStandardInputUnreadable[] = "pelorn: cannot read the script from standard input: %s\n";
inline constexpr char kRunNotStarted[] = "pelorn: cannot start the run for reader \"%s\": %s\n";

} // namespace pelorn::command::text
