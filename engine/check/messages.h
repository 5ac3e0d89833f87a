// Every text of the static check, in one place.
#pragma once

namespace pelorn::check::msg {

// Calls.
inline constexpr char kNoSuchProcedure[] = "no procedure \"%s\" is defined: the call fails when it runs";
inline constexpr char kNoSuchFunction[] = "no function \"%s\" is defined: the call fails when it runs";
inline constexpr char kFunctionCalledAsProcedure[] =
    "\"%s\" is a function, not a procedure: the call fails when it runs";
inline constexpr char kProcedureCalledAsFunction[] =
    "\"%s\" is a procedure, not a function: the call fails when it runs";
inline constexpr char kProcedureArguments[] = "procedure \"%s\" takes %s, not %u: the call fails when it runs";
inline constexpr char kFunctionArguments[] = "function \"%s\" takes %s, not %u: the call fails when it runs";
inline constexpr char kBuiltinArguments[] = "%s takes %s, not %u: the call fails when it runs";
inline constexpr char kDefinedHere[] = "\"%s\" is defined here";

// How many arguments a routine takes.
inline constexpr char kNoArguments[] = "no arguments";
inline constexpr char kOneArgument[] = "1 argument";
inline constexpr char kArguments[] = "%u arguments";
inline constexpr char kTwoCounts[] = "%u or %u arguments";
inline constexpr char kCountRange[] = "%u to %u arguments";
inline constexpr char kAtLeast[] = "at least %u argument%s";

// Assignments.
inline constexpr char kConstantAssigned[] = "\"%s\" is a constant: assigning it fails when it runs";
inline constexpr char kReadOnlyAssigned[] = "\"%s\" is read-only: assigning it fails when it runs";

// Variables.
inline constexpr char kNeverAssigned[] = "\"%s\" has no value here: nothing assigns it before";

// Statements that never run.
inline constexpr char kUnreachable[] = "this statement never runs: the \"%s\" before it leaves the block";

// Blocks left open.
inline constexpr char kBlockNotClosed[] = "the \"%s\" block opened here has no \"end\"";

} // namespace pelorn::check::msg
