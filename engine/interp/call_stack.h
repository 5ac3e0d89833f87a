// The call-stack area of a script: where a routine call saves the values
// its routine's variables held, so that each call gets fresh parameters
// and locals, and gives them back when the call ends.
//
// A call of a routine with s symbols takes 80 * s + 8 bytes: one saved
// variable per symbol, then a frame link. A routine's active calls form a
// chain through the links, newest first, headed by RoutineDefinition::frames.
#pragma once

#include "interp/script.h"

#include <cstddef>
#include <cstdint>

namespace pelorn::interp {

// A symbol's value as it was before the call, and the symbol it belongs to.
struct SavedVariable {
    ScriptValue value;
    SymbolEntry *symbol;
};
static_assert(sizeof(SavedVariable) == 80);

// Closes a frame: the distance back to the routine's previous frame link
// (0 when there is none). The saved variables lie just before the link.
struct FrameLink {
    uint64_t distanceToPrevious;
};
static_assert(sizeof(FrameLink) == 8);

inline size_t frameSize(uint32_t symbols) { return sizeof(SavedVariable) * symbols + sizeof(FrameLink); }

// Saves the routine's variables (each symbol is left without a value) and
// links the frame as the routine's newest. False, with nothing moved, when
// the frame would reach the end of the area.
bool openFrame(CallStackArea &area, RoutineDefinition &routine);
// Gives the routine's variables back the values its newest frame saved
// (their current values are released), unlinks the frame and returns its
// bytes to the area.
void closeFrame(CallStackArea &area, RoutineDefinition &routine);
// Releases the values saved in frames still open (a failed run leaves them).
void releaseOpenFrames(RoutineDefinition &routine);

} // namespace pelorn::interp
