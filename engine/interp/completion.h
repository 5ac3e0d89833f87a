// How control leaves a statement or an expression. Every execute and
// evaluate entry returns a Completion; a pending transfer (break, return,
// exit, throw, a built-in or APDU exception) carries its details in the
// RunContext until the node that handles its code takes it over.
#pragma once

#include "interp/directory.h"
#include "pelorn.h"

#include <cstdint>

namespace pelorn::interp {

struct SourceFile;
struct Script;

enum class Completion : uint8_t {
    Normal,   // done; go on
    Failed,   // a message has been delivered; the run stops
    Transfer, // a transfer is pending in RunContext::transfer
};

// The transfer codes; their numbers are those the engine reports.
enum class TransferCode : uint32_t {
    Break = 0xE0000001,
    Return = 0xE0000010,
    BuiltinException = 0xE0000011,
    ScriptException = 0xE0000012,
    ApduException = 0xE0000014,
};

struct Transfer {
    TransferCode code;
    bool hasValue;           // false for `exit` (a return without a value)
    ScriptValue value;       // owned by the transfer while it is pending
    const char *routineName; // built-in exceptions: the routine that threw
    const SourceFile *source;
    int32_t line;
    // A function's return: the value is already in the call's result
    // record (RunContext::returnSlot), not in `value`.
    bool valueInResult = false;
};

// Everything a run needs that is not in the tree. One per run entry call.
struct RunContext {
    Script *script = nullptr;
    Transfer transfer{};
    // Deepest native stack address that calls may still use; below it a
    // call fails with the "maximum call depth reached" message.
    const char *stackLimit = nullptr;
    // The result record of the innermost running function call; null in
    // procedures and the main block. `return` evaluates straight into it.
    ScriptValue *returnSlot = nullptr;
    // The value slots of the innermost running routine call (its
    // parameters and locals); null in the main block.
    ScriptValue *frame = nullptr;
    DirectoryTracker directory;
};

} // namespace pelorn::interp
